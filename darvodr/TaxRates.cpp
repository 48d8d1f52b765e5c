// Tax rates: reading (with the printer family found by trying its commands),
// writing with verification, and the check that any rate is defined.
#include "TaxRates.h"

#include "Core.h"
#include "Counters.h"
#include "Guard.h"
#include "Host.h"
#include "Receipt.h"
#include "Session.h"
#include "darvodr.h"

namespace darvo {

namespace {

constexpr uint8_t kRead7 = 209, kRead6 = 208, kRead4 = 112;
constexpr uint8_t kWrite7 = 213, kWrite6 = 212, kWrite4 = 68;

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

void Encode(int count, const std::array<int32_t, 7> &rates, uint8_t *out) {
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

int32_t DoSetVAT(int32_t &count, const std::array<int32_t, 7> &rates) {
    ShowActivityMessage("Zapis stawek podatkowych...");
    // A..D are written on every printer: a value that is no rate is refused
    // before anything goes out. E..G are looked at only on the printers
    // that hold them; the others ignore them, whatever the caller passed.
    for (int i = 0; i < 4; ++i)
        if (!IsValidRate(rates[i])) return RC_OUT_OF_RANGE;
    int32_t rc = PrintMonitor(1, DeviceType);
    if (rc != RC_OK) return rc;
    int32_t receipts = 0;
    if ((rc = ReadLastReceiptNumber(receipts)) != RC_OK) return rc;
    if (receipts != 0) return RC_COUNTER_NOT_ZERO;
    uint8_t type = 0;
    int32_t version = 0;
    if ((rc = ReadDeviceType(type, version)) != RC_OK) return rc;
    DeviceType = type;
    if (type > 9) return RC_OK;
    const int32_t written = RateCountOf(type);
    for (int i = 4; i < written; ++i)
        if (!IsValidRate(rates[i])) return RC_OUT_OF_RANGE;
    count = written;
    uint8_t data[14];
    Encode(written, rates, data);
    const uint8_t command = written == 4 ? kWrite4 : written == 6 ? kWrite6 : kWrite7;
    const uint8_t length = static_cast<uint8_t>(written == 4 ? 4 : 2 * written);
    uint8_t r = SendSequence(command, 1, length, data, nullptr);
    if (r != RC_OK) return r;
    if ((rc = PrintMonitor(0, DeviceType)) != RC_OK) return rc;
    int32_t readCount = 0;
    std::array<int32_t, 7> back{};
    if ((rc = ReadVATRates(readCount, back)) != RC_OK) return rc;
    if (readCount != written) return RC_NOT_WRITTEN;
    for (int i = 0; i < written; ++i)
        if (back[i] != rates[i]) return RC_NOT_WRITTEN;
    return RC_OK;
}

} // namespace

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

using namespace darvo;

extern "C" int32_t ReadVAT(int32_t *count, int32_t *a, int32_t *b, int32_t *c, int32_t *d, int32_t *e,
                           int32_t *f, int32_t *g) {
    return Guarded("ReadVAT", [&]() -> int32_t {
        int32_t *out[7] = {a, b, c, d, e, f, g};
        if (!count || !a || !b || !c || !d) return RC_NULL_BUFFER;
        int32_t n = 0;
        std::array<int32_t, 7> rates{};
        int32_t rc = ReadVATRates(n, rates);
        if (rc != RC_OK) return rc;
        for (int i = 0; i < n; ++i)
            if (!out[i]) return RC_NULL_BUFFER;
        *count = n;
        for (int i = 0; i < n; ++i)
            *out[i] = rates[i];
        return RC_OK;
    });
}

extern "C" int32_t SetVAT(int32_t *count, int32_t a, int32_t b, int32_t c, int32_t d, int32_t e, int32_t f,
                          int32_t g) {
    return Guarded("SetVAT", [&]() -> int32_t {
        if (!count) return RC_NULL_BUFFER;
        return DoSetVAT(*count, {a, b, c, d, e, f, g});
    });
}
