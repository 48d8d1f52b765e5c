// The driver's result codes the programs on it act upon.
#pragma once

#include "darvodr/ResultCodes.h"

#include <cstdint>

namespace darvo::ops {

constexpr int32_t kReceiveFailed = darvo::RC_RECEIVE_FAILED; // an answer byte did not arrive
constexpr int32_t kBadAnswer = darvo::RC_BAD_ANSWER;         // the answer makes no sense
constexpr int32_t kNak = darvo::RC_NAK;                      // the printer refused the frame
constexpr int32_t kOutOfRange = darvo::RC_OUT_OF_RANGE;      // a value the printer cannot take
constexpr int32_t kNoPort = 114;                             // no port chosen yet
constexpr int32_t kNotAvailable = darvo::RC_NOT_AVAILABLE;   // a command this program does not send

} // namespace darvo::ops
