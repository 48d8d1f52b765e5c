// The exported tax-rate functions: ReadVAT, and SetVAT with its checks
// before the write and the verification after it.
#include "Counters.h"
#include "Guard.h"
#include "Host.h"
#include "Session.h"
#include "TaxRates.h"
#include "darvodr.h"

namespace darvo {

namespace {

constexpr uint8_t kWrite7 = 213, kWrite6 = 212, kWrite4 = 68;

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
    EncodeRates(written, rates, data);
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
