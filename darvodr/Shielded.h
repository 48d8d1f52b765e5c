// The driver's internal operations that the user program calls directly
// (reports, service and configuration commands): like the exported
// functions, an exception inside one becomes result 999. Unlike Guarded,
// no line goes to the wire trace, which lists the exported calls only.
#pragma once

#include "Core.h"

#include <cstdint>

namespace darvo {

template <typename Body> int32_t Shielded(Body &&body) noexcept {
    try {
        return body();
    } catch (...) {
        return RC_EXCEPTION;
    }
}

} // namespace darvo
