#include "Printout.h"

#include "darvodr/Core.h"
#include "darvodr/darvodr.h"
#include "ops/Connection.h"
#include "serial/Comm.h"

namespace darvo::ops {

static_assert(kAccepted == ACK && kRefused == NAK);

namespace {
// Far more than the 16 steps of a real erase or fiscalisation.
constexpr int kMaxProgressBytes = 256;
} // namespace

int32_t FollowProgress(uint8_t first, const std::function<void()> &step) {
    int count = 0;
    for (uint8_t last = first; last != 0;) {
        if (++count > kMaxProgressBytes) return RC_BAD_ANSWER;
        if (!darvo::ReceiveByte(last)) return RC_RECEIVE_FAILED;
        if (step) step();
    }
    return 0;
}

int32_t AwaitPrintout(uint16_t readSeconds, uint8_t deviceType) {
    LongReadTimeout(readSeconds);
    const int32_t code = PrintControl(0, deviceType);
    UsualTimeouts();
    return code;
}

} // namespace darvo::ops
