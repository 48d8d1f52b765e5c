// Every exported function runs its body through Guarded: any exception inside
// becomes result 999, and the call and its result go to the wire trace.
#pragma once

#include "Core.h"
#include "Trace.h"

#include <cstdint>

namespace darvo {

template <typename Body> int32_t Guarded(const char *function, Body &&body) noexcept {
    int32_t result;
    try {
        result = body();
    } catch (...) {
        result = RC_EXCEPTION;
    }
    try {
        TraceCall(function, result);
    } catch (...) {
    }
    return result;
}

} // namespace darvo
