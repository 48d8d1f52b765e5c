// Tax rates A..G: reading with family detection, the defined-rate check.
// Driver-internal; the user program, other operations and the tests use it.
#pragma once

#include <array>
#include <cstdint>

namespace darvo {

constexpr int32_t kRateExempt = 10000; // "ZWOLNIONA"
constexpr int32_t kRateUnused = 25500; // "REZERWA"

// The rates as the printer answered them, with the family that answered.
struct RateReading {
    int32_t count = 0;              // 4, 6 or 7
    std::array<int32_t, 7> rates{}; // driver representation, the first `count` valid
    std::array<bool, 7> defined{};  // the printer holds a rate under the letter
};

// The rates in the printer's encoding of a family of `count` rates (4: one
// byte a rate, 6 and 7: two bytes, high first).
void EncodeRates(int count, const std::array<int32_t, 7> &rates, uint8_t *out);
// Sends 209, then 208, then 112 while the printer refuses with NAK.
int32_t ReadTaxRateFamily(RateReading &reading);
// Flag 1 and 0 when some rate is defined, flag 0 and 113 when none is.
int32_t CheckTaxRates(uint8_t &ratesPresent);
// ReadVAT without the exported shell: progress text, session start, the
// open-receipt refusal, the reading.
int32_t ReadVATRates(int32_t &count, std::array<int32_t, 7> &rates);
// Rates a printer of this device type holds: 4, 6 or 7.
int32_t RateCountOf(int deviceType);
// A value SetVAT accepts: 0..10000 or 25500.
bool IsValidRate(int32_t value);

} // namespace darvo
