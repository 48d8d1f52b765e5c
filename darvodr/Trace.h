// Wire trace: with DARVO_TRACE=FILE the driver appends every exported call
// with its result and every byte it sends and receives, hex and timestamped,
// one line per command and direction. A trace that cannot be written is
// silently skipped; it never changes a result.
#pragma once

#include <cstdint>

namespace darvo {

enum class TraceDirection { Sent, Received };

void TraceCommandStart(uint8_t command);
void TraceByte(TraceDirection direction, uint8_t byte);
void TraceCall(const char *function, int32_t result);

} // namespace darvo
