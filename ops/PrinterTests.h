// The printer's own tests: its display and its fiscal memory.
#pragma once

#include <cstdint>

namespace darvo::ops {

// The display test, pattern by pattern: it starts with pattern 0, shows
// DisplayTestPattern(step) after each step the user has seen and ends with
// pattern 2. A PEXA shows four pictures, a NIVRA two.
int32_t DisplayTest(uint8_t pattern);
uint8_t DisplayTestPattern(int step);
constexpr uint8_t kDisplayTestStart = 0;
constexpr uint8_t kDisplayTestEnd = 2;
inline int DisplayTestSteps(bool pexa) {
    return pexa ? 4 : 2;
}

// Whether a PEXA printer is set to show its pictures negative (settings
// group 0).
int32_t DisplayShowsNegative(bool &negative);

// The fiscal memory test: it writes to that memory (255 times at most in
// the printer's life) and prints its result.
int32_t EpromTest();

} // namespace darvo::ops
