// The tax rates A..G in hundredths of a percent: 10000 exempt, 25500 a
// reserve (not in use).
#pragma once

#include <array>
#include <cstdint>

namespace darvo::ops {

constexpr int32_t kExemptRate = 10000;
constexpr int32_t kReserveRate = 25500;

// The printer's rates: `count` is 4, 6 or 7 by the model; the slots it does
// not report are 0. The driver's code.
int32_t ReadRates(int32_t &count, std::array<int32_t, 7> &rates);

// The rates to offer for writing: the printer's own, or 22 %, 7 %, 0 %,
// three reserves and the exempt rate where it has none yet (all seven
// reserves).
std::array<int32_t, 7> RatesToOffer(const std::array<int32_t, 7> &read);

} // namespace darvo::ops
