// Exact decimals for amounts, quantities and percentages: parsed from text
// such as "3.49" into integers, never through binary floating point.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace darvo::pos {

// value = units / 10^decimals
struct Decimal {
    uint64_t units = 0;
    int decimals = 0;
};

// Parses digits with an optional '.' and at most `maxDecimals` digits after
// it ("12", "12.5", "0.125"); no sign, no exponent, no blanks, no ','.
// Fails (with `why` set) on anything else or beyond 18 digits.
std::optional<Decimal> ParseDecimal(std::string_view text, int maxDecimals, std::string &why);

// An amount in hundredths (grosze) from "3.49", "3.5" or "3".
std::optional<int64_t> ParseAmount(std::string_view text, std::string &why);

// Hundredths as "3.49" ("-0.50" for a negative amount).
std::string FormatAmount(int64_t hundredths);
// "1.500" for 1500 units with 3 decimals.
std::string FormatDecimal(const Decimal &value);

} // namespace darvo::pos
