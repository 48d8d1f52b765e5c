#include "Decimal.h"

namespace darvo::pos {

std::optional<Decimal> ParseDecimal(std::string_view text, int maxDecimals, std::string &why) {
    Decimal d;
    bool point = false, digits = false;
    int total = 0;
    for (char c : text) {
        if (c == '.' && !point) {
            point = true;
            continue;
        }
        if (c < '0' || c > '9') {
            why = c == ',' ? "use '.' as the decimal point" : "not a decimal number";
            return std::nullopt;
        }
        if (point && d.decimals == maxDecimals) {
            why = maxDecimals == 0 ? "no decimals allowed"
                                   : "at most " + std::to_string(maxDecimals) + " digits after the point";
            return std::nullopt;
        }
        if (++total > 18) {
            why = "too many digits";
            return std::nullopt;
        }
        digits = true;
        d.units = d.units * 10 + static_cast<uint64_t>(c - '0');
        if (point) ++d.decimals;
    }
    if (!digits || (point && text.back() == '.')) {
        why = "not a decimal number";
        return std::nullopt;
    }
    return d;
}

std::optional<int64_t> ParseAmount(std::string_view text, std::string &why) {
    auto d = ParseDecimal(text, 2, why);
    if (!d) return std::nullopt;
    if (d->units > 1'000'000'000'000'000 / 100) {
        why = "too large";
        return std::nullopt;
    }
    uint64_t v = d->units;
    for (int i = d->decimals; i < 2; ++i)
        v *= 10;
    return static_cast<int64_t>(v);
}

std::string FormatAmount(int64_t hundredths) {
    const bool negative = hundredths < 0;
    const uint64_t m = negative ? 0 - static_cast<uint64_t>(hundredths) : static_cast<uint64_t>(hundredths);
    std::string cents = std::to_string(m % 100);
    if (cents.size() < 2) cents.insert(0, "0");
    return (negative ? "-" : "") + std::to_string(m / 100) + "." + cents;
}

std::string FormatDecimal(const Decimal &value) {
    std::string digits = std::to_string(value.units);
    if (value.decimals <= 0) return digits;
    const size_t n = static_cast<size_t>(value.decimals);
    if (digits.size() <= n) digits.insert(0, n + 1 - digits.size(), '0');
    digits.insert(digits.size() - n, ".");
    return digits;
}

} // namespace darvo::pos
