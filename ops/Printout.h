// What follows a frame the printer has accepted: the progress bytes a PEXA
// printer sends while it works, and the printout itself.
#pragma once

#include <cstdint>
#include <functional>

namespace darvo::ops {

// The byte a printer sends after a frame it accepts or refuses.
constexpr uint8_t kAccepted = 6;
constexpr uint8_t kRefused = 21;

// A PEXA printer counts its work in 16 progress bytes after the byte that
// accepted the frame and ends with a 0; `step` runs after each byte. From
// `first` (the accepting byte; 0 ends at once) until the 0: 0, the
// driver's code when a byte does not come, or its bad-answer code after far
// more bytes than a printer sends (one that answers garbage).
int32_t FollowProgress(uint8_t first, const std::function<void()> &step);

// Follows the printout with a read time-out of `readSeconds` (the printer
// answers only when it is done), then puts the usual time-outs back; the
// driver's code.
int32_t AwaitPrintout(uint16_t readSeconds, uint8_t deviceType);

} // namespace darvo::ops
