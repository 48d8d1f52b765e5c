// Every exported function runs its body through Guarded: the call holds the
// driver lock from start to end (calls from other threads wait their turn),
// any exception inside becomes result 999, and the call and its result go
// to the wire trace.
#pragma once

#include "Core.h"
#include "DriverLock.h"
#include "Trace.h"

#include <cstdint>
#include <mutex>

namespace darvo {

template <typename Body> int32_t Guarded(const char *function, Body &&body) noexcept {
    int32_t result;
    std::unique_lock<DriverLock> lock(TheDriverLock(), std::defer_lock);
    try {
        lock.lock();
        result = body();
    } catch (...) {
        result = RC_EXCEPTION;
    }
    // Still under the lock, so the trace keeps each call's line after its bytes.
    try {
        TraceCall(function, result);
    } catch (...) {
    }
    return result;
}

} // namespace darvo
