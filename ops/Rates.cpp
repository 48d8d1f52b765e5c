#include "Rates.h"

#include "darvodr/darvodr.h"

#include <algorithm>

namespace darvo::ops {

int32_t ReadRates(int32_t &count, std::array<int32_t, 7> &rates) {
    rates.fill(0);
    count = 0;
    return ReadVAT(&count, &rates[0], &rates[1], &rates[2], &rates[3], &rates[4], &rates[5], &rates[6]);
}

std::array<int32_t, 7> RatesToOffer(const std::array<int32_t, 7> &read) {
    if (std::all_of(read.begin(), read.end(), [](int32_t v) { return v == kReserveRate; }))
        return {2200, 700, 0, kReserveRate, kReserveRate, kReserveRate, kExemptRate};
    return read;
}

} // namespace darvo::ops
