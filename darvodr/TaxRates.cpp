// Tax rates: reading (with the printer family found by trying its commands),
// their encoding on the wire, and the check that any rate is defined.
#include "TaxRates.h"

#include "Core.h"
#include "Host.h"
#include "Session.h"

namespace darvo {

namespace {

constexpr uint8_t kRead7 = 209, kRead6 = 208, kRead4 = 112;

const char *kReadingText = "Odczyt stawek podatkowych...";

void Decode(int count, const uint8_t *data, RateReading &r) {
    r.count = count;
    r.rates.fill(0);
    r.defined.fill(false);
    for (int i = 0; i < count; ++i) {
        if (count == 4) {
            r.defined[i] = data[i] != 0xFF;
            r.rates[i] = r.defined[i] ? data[i] * 100 : kRateUnused;
            continue;
        }
        const uint8_t high = data[2 * i], low = data[2 * i + 1];
        const int32_t value = high * 256 + low;
        if (count == 6) {
            r.defined[i] = high != 0xFF;
            r.rates[i] = value == 0xFF00 ? kRateUnused : value;
        } else {
            r.defined[i] = high != 0x80;
            r.rates[i] = value == 0x8000 ? kRateUnused : value == 0x4000 ? kRateExempt : value;
        }
    }
}

} // namespace

void EncodeRates(int count, const std::array<int32_t, 7> &rates, uint8_t *out) {
    for (int i = 0; i < count; ++i) {
        const int32_t v = rates[i];
        if (count == 4) {
            out[i] = v == kRateUnused ? 0xFF : static_cast<uint8_t>(v / 100);
            continue;
        }
        uint16_t word = static_cast<uint16_t>(v);
        if (v == kRateUnused) word = count == 6 ? 0xFF00 : 0x8000;
        if (v == kRateExempt && count == 7) word = 0x4000;
        out[2 * i] = static_cast<uint8_t>(word >> 8);
        out[2 * i + 1] = static_cast<uint8_t>(word);
    }
}

int32_t RateCountOf(int deviceType) {
    switch (deviceType) {
    case 0:
    case 4: return 4;
    case 1:
    case 2:
    case 5: return 6;
    default: return 7;
    }
}

bool IsValidRate(int32_t value) {
    return (value >= 0 && value <= kRateExempt) || value == kRateUnused;
}

int32_t ReadTaxRateFamily(RateReading &reading) {
    struct Family {
        uint8_t command, answerLength;
        int count;
    };
    const Family families[] = {{kRead7, 15, 7}, {kRead6, 13, 6}, {kRead4, 5, 4}};
    uint8_t rc = RC_NAK;
    for (const Family &f : families) {
        rc = SendSequence(f.command, f.answerLength, 0, nullptr, nullptr);
        if (rc == RC_NAK) continue;
        if (rc != RC_OK) return rc;
        Decode(f.count, AnswerBuffer, reading);
        return RC_OK;
    }
    return rc;
}

int32_t CheckTaxRates(uint8_t &ratesPresent) {
    ratesPresent = 0;
    ShowActivityMessage(kReadingText);
    RateReading r;
    int32_t rc = ReadTaxRateFamily(r);
    if (rc != RC_OK) return rc;
    for (int i = 0; i < r.count; ++i)
        if (r.defined[i]) {
            ratesPresent = 1;
            return RC_OK;
        }
    return RC_NO_RATES;
}

int32_t ReadVATRates(int32_t &count, std::array<int32_t, 7> &rates) {
    ShowActivityMessage(kReadingText);
    int32_t rc = EnsureSession(true);
    if (rc != RC_OK) return rc;
    if (ReceiptOpen) return RC_RECEIPT_OPEN;
    RateReading r;
    if ((rc = ReadTaxRateFamily(r)) != RC_OK) return rc;
    count = r.count;
    rates = r.rates;
    return RC_OK;
}

} // namespace darvo
