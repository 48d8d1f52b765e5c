#include "Status.h"

#include "darvodr/Session.h"
#include "darvodr/Shielded.h"

#include <algorithm>

namespace darvo::ops {

int32_t ReadStatus(Status &status) {
    StatusSet set;
    const int32_t code = Shielded([&] { return ReadStatusBytes(set); });
    status.count = set.count;
    std::copy(std::begin(set.bytes), std::end(set.bytes), status.bytes.begin());
    status.hasByte8 = set.hasByte8;
    status.bits = BitsOf(status.bytes, status.count);
    return code;
}

PrintBlocker PrintBlockerOf(const StatusBits &b) {
    if (b.paperOut) return PrintBlocker::NoPaper;
    if (b.printerFailure) return PrintBlocker::PrinterFailure;
    if (b.noController) return PrintBlocker::NoController;
    if (b.mainBatteryLow) return PrintBlocker::LowBattery;
    if (b.noProgrammingVoltage) return PrintBlocker::NoProgrammingVoltage;
    if (b.readOnly) return PrintBlocker::ReadOnly;
    if (b.cmosErased) return PrintBlocker::CmosErased;
    return PrintBlocker::None;
}

} // namespace darvo::ops
