#include "Settlement.h"

#include "darvodr/Core.h"
#include "darvodr/darvodr.h"
#include "serial/Comm.h"

namespace darvo::ops {

namespace {
constexpr uint8_t kSettlementCommand = 49;
} // namespace

SettlementBlocker SettlementBlockerOf(const StatusBits &b) {
    if (!b.makerData) return SettlementBlocker::NoMakerData;
    if (b.noController) return SettlementBlocker::NoController;
    if (b.printerFailure) return SettlementBlocker::PrinterFailure;
    if (b.cmosErased) return SettlementBlocker::CmosErased;
    if (!b.userData) return SettlementBlocker::NoUserData;
    if (!b.fiscal) return SettlementBlocker::TrainingMode;
    return SettlementBlocker::None;
}

bool UniqueDigitsMatch(const std::string &unique, const std::string &digits) {
    return unique.size() >= 12 && digits.size() == 8 && digits == unique.substr(4, 8);
}

std::vector<uint8_t> SettlementFrame(const SettlementRequest &r) {
    const std::string &d = r.digits;
    const std::string &t = r.date;
    if (d.size() != 8 || t.size() != 10) return {};
    // The kind's code and the frame's length: the range's bytes follow.
    const bool byDates = r.kind == SettlementKind::ByDates;
    const bool byNumbers = r.kind == SettlementKind::ByNumbers;
    std::vector<uint8_t> frame(byDates ? 23 : byNumbers ? 15 : 11);
    frame[0] = byDates ? 6 : byNumbers ? 7 : 8;
    for (size_t i = 0; i < 4; ++i)
        frame[1 + i] = static_cast<uint8_t>(d[2 * i] + d[2 * i + 1]);
    // "2008.02.07": the digits of yy, mm, dd.
    const size_t at[6] = {2, 3, 5, 6, 8, 9};
    for (size_t i = 0; i < 6; ++i)
        frame[5 + i] = static_cast<uint8_t>(t[at[i]] - '0');
    std::copy(r.range.begin(), r.range.begin() + static_cast<long>(frame.size() - 11), frame.begin() + 11);
    return frame;
}

int32_t SendSettlement(const std::vector<uint8_t> &frame, uint8_t &result) {
    if (frame.empty()) return RC_OUT_OF_RANGE;
    uint8_t answer[256] = {};
    if (int32_t code =
            RSSequence(kSettlementCommand, 1, static_cast<int32_t>(frame.size()), answer, frame.data());
        code != 0)
        return code;
    return darvo::ReceiveByte(result) ? 0 : RC_RECEIVE_FAILED;
}

} // namespace darvo::ops
