#include "NamesBase.h"

#include "darvodr/Core.h"
#include "darvodr/darvodr.h"
#include "serial/Comm.h"

namespace darvo::ops {

namespace {
constexpr uint8_t kEraseNamesCommand = 92;
} // namespace

NamesEraseBlocker NamesEraseBlockerOf(const StatusBits &b) {
    if (!b.userData) return NamesEraseBlocker::NoUserData;
    if (b.serviceJumper) return NamesEraseBlocker::ServiceJumperSet;
    return NamesEraseBlocker::None;
}

bool NamesEraseConfirmation(const std::string &unique, uint8_t &confirmation) {
    if (unique.size() < 12) return false;
    confirmation = static_cast<uint8_t>(unique[10] + unique[11]);
    return true;
}

int32_t EraseNamesBase(uint8_t confirmation, uint8_t &result) {
    uint8_t answer[256] = {};
    if (int32_t code = RSSequence(kEraseNamesCommand, 1, 1, answer, &confirmation); code != 0) return code;
    return darvo::ReceiveByte(result) ? 0 : RC_RECEIVE_FAILED;
}

} // namespace darvo::ops
