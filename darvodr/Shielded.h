// The driver's internal operations that the user program calls directly
// (reports, service and configuration commands): like the exported
// functions, they hold the driver lock for the whole call and an exception
// inside one becomes result 999. Unlike Guarded, no line goes to the wire
// trace, which lists the exported calls only.
#pragma once

#include "Core.h"
#include "DriverLock.h"

#include <cstdint>
#include <mutex>

namespace darvo {

template <typename Body> int32_t Shielded(Body &&body) noexcept {
    std::unique_lock<DriverLock> lock(TheDriverLock(), std::defer_lock);
    try {
        lock.lock();
        return body();
    } catch (...) {
        return RC_EXCEPTION;
    }
}

} // namespace darvo
