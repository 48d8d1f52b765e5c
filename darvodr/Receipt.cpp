// The fiscal receipt: begin, lines, packages, subtotal, end with discount,
// payments and extra lines, cancel.
#include "Receipt.h"

#include "Core.h"
#include "Cp1250.h"
#include "Guard.h"
#include "Host.h"
#include "Session.h"
#include "TaxRates.h"
#include "darvodr.h"

#include <algorithm>
#include <cstring>

namespace darvo {

bool ReceiptOpen = false;
std::array<int32_t, kRateCount> RateTotals{};
uint8_t ItemCount = 0;

namespace {

// Windows-1250 and code page 852 codes of the 18 Polish letters.
constexpr uint8_t kWin[18] = {0xA5, 0xC6, 0xCA, 0xA3, 0xD1, 0xD3, 0x8C, 0x8F, 0xAF,
                              0xB9, 0xE6, 0xEA, 0xB3, 0xF1, 0xF3, 0x9C, 0x9F, 0xBF};
constexpr uint8_t kPrinter[18] = {0xA4, 0x8F, 0xA8, 0x9D, 0xE3, 0xE0, 0x97, 0x8D, 0xBD,
                                  0xA5, 0x86, 0xA9, 0x88, 0xE4, 0xA2, 0x98, 0xAB, 0xBE};

constexpr uint8_t kReceiptBegin = 33;
constexpr uint8_t kReceiptCancel = 35;
constexpr uint8_t kReceiptClose = 36;
constexpr uint8_t kReceiptLine = 6;
constexpr uint8_t kReceiptTotal = 7;
constexpr uint8_t kDiscount = 27;
constexpr uint8_t kPackageLine = 23;
constexpr uint8_t kSubtotal = 128;
constexpr uint8_t kEuroCheck = 245;

// Device types that take package lines, the subtotal and payment records.
bool HasExtendedReceipt(int t) {
    return t == 3 || t == 7 || t == 8 || t == 9;
}

const std::string &ConditionsText() {
    static const std::string text = Utf8ToCp1250("Sprawdzanie warunków wystawienia paragonu...");
    return text;
}

// Reads status byte 3 (plain form); the printer sets bit 4 when it has
// cancelled the receipt on its own.
int32_t CheckReceiptStillOpen() {
    uint8_t rc = SendSequence(kStatus3, 1, 0, nullptr, nullptr);
    if (rc != RC_OK) return rc;
    if (Bit(AnswerBuffer[0], 4)) {
        ReceiptOpen = false;
        return RC_RECEIPT_CANCELLED;
    }
    return RC_OK;
}

struct PlainStatus {
    uint8_t s155 = 0, s148 = 0, s149 = 0, s150 = 0;
};

int32_t ReadPlainStatus(PlainStatus &s) {
    const uint8_t commands[4] = {kStatus1, kStatus2, kStatus3, kStatus4};
    uint8_t *targets[4] = {&s.s155, &s.s148, &s.s149, &s.s150};
    for (int i = 0; i < 4; ++i) {
        uint8_t rc = SendSequence(commands[i], 1, 0, nullptr, nullptr);
        if (rc != RC_OK) return rc;
        *targets[i] = AnswerBuffer[0];
    }
    return RC_OK;
}

int32_t TaxRateCondition() {
    uint8_t present = 0;
    int32_t rc = CheckTaxRates(present);
    if (rc != RC_OK) return rc;
    return present ? RC_OK : RC_NO_RATES;
}

// The checks before a receipt; `beginOrder` picks the order ReceiptBegin uses.
int32_t Decide(const PlainStatus &s, bool beginOrder) {
    struct Rule {
        bool failing;
        int32_t code;
    };
    const Rule makerData{!Bit(s.s155, 0), 100}, readOnly{Bit(s.s155, 2), 105}, cmos{Bit(s.s148, 4), 107},
        jumper{Bit(s.s150, 6), 101}, controller{Bit(s.s148, 7), 102}, failure{Bit(s.s149, 2), 103},
        userData{!Bit(s.s155, 1), 104}, display{Bit(s.s148, 6), 106}, dailyReport{Bit(s.s148, 3), 108};
    const Rule conditionsOrder[] = {makerData, readOnly, cmos,    jumper,     controller,
                                    failure,   userData, display, dailyReport};
    const Rule beginRules[] = {makerData, cmos,     jumper,  controller, failure,
                               userData,  readOnly, display, dailyReport};
    for (const Rule &r : beginOrder ? beginRules : conditionsOrder)
        if (r.failing) return r.code;
    int32_t rc = TaxRateCondition();
    if (rc != RC_OK) return rc;
    if (Bit(s.s149, 1)) return 109;
    return PrintMonitor(1, DeviceType);
}

// The 10^mp divisor of a quantity with mp implied decimals.
uint32_t DecimalDivisor(int32_t mp) {
    uint32_t d = 1;
    for (int i = 0; i < mp; ++i)
        d *= 10;
    return d;
}

} // namespace

uint8_t WinToPrinterChar(uint8_t c) {
    for (int i = 0; i < 18; ++i)
        if (kWin[i] == c) return kPrinter[i];
    return c;
}

uint8_t PrinterToWinChar(uint8_t c) {
    for (int i = 0; i < 18; ++i)
        if (kPrinter[i] == c) return kWin[i];
    return c;
}

std::string WinToPrinterText(const std::string &text) {
    std::string out(text);
    for (char &c : out)
        c = static_cast<char>(WinToPrinterChar(static_cast<uint8_t>(c)));
    return out;
}

std::string PrinterToWinText(const std::string &text) {
    std::string out(text);
    for (char &c : out)
        c = static_cast<char>(PrinterToWinChar(static_cast<uint8_t>(c)));
    return out;
}

void PutInt32LE(uint8_t *out, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t GetInt32LE(const uint8_t *in) {
    return uint32_t(in[0]) | uint32_t(in[1]) << 8 | uint32_t(in[2]) << 16 | uint32_t(in[3]) << 24;
}

std::string CallerText(const std::string &text, size_t limit) {
    size_t end = text.find('\0');
    if (end == std::string::npos) end = text.size();
    return text.substr(0, std::min({end, limit, kMaxInputText}));
}

std::string CallerText(const char *text, size_t limit) {
    if (!text) return {};
    limit = std::min(limit, kMaxInputText);
    return std::string(text, strnlen(text, limit));
}

bool IsSignificantNameChar(uint8_t c) {
    if (c == '%' || c == ',' || c == '.' || c == '/' || c == '\\') return true;
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return true;
    for (uint8_t w : kWin)
        if (w == c) return true;
    return false;
}

std::string PadArticleName(const std::string &text) {
    std::string name = CallerText(text).substr(0, kArticleNameLength);
    name.resize(kArticleNameLength, ' ');
    return name;
}

int CountSignificant(const std::string &paddedName) {
    int count = 0;
    for (char c : paddedName)
        count += IsSignificantNameChar(static_cast<uint8_t>(c));
    return count;
}

int MinSignificantChars(int deviceType) {
    return HasExtendedReceipt(deviceType) ? 5 : 10;
}

int32_t PrepareArticleName(std::string &name, const std::string &text) {
    name = PadArticleName(text);
    return CountSignificant(name) < MinSignificantChars(DeviceType) ? RC_FEW_SIGNIFICANT : RC_OK;
}

bool LineValue(uint32_t quantity, int32_t mp, uint32_t price, uint32_t &value) {
    if (mp < 0 || mp > 4) return false;
    const uint64_t product = uint64_t(quantity) * price;
    if (product > UINT32_MAX) return false;
    const uint32_t divisor = DecimalDivisor(mp);
    uint64_t whole = product / divisor;
    // Half a hundredth and more rounds up.
    if ((product % divisor) * 2 >= divisor) ++whole;
    value = static_cast<uint32_t>(whole);
    return true;
}

int64_t DiscountedTotal(int32_t rateTotal, int32_t discountPercent) {
    if (discountPercent < 1 || discountPercent > 99) discountPercent = 0;
    // Worked on the magnitude, so a net cancellation rounds like a sale;
    // more than half a hundredth rounds up, exactly half rounds down.
    const int64_t magnitude = rateTotal < 0 ? -int64_t(rateTotal) : rateTotal;
    const int64_t scaled = magnitude * (100 - discountPercent);
    int64_t v = scaled / 100;
    if (scaled % 100 > 50) ++v;
    return rateTotal < 0 ? -v : v;
}

uint32_t ReceiptTotal(int32_t discountPercent) {
    uint32_t total = 0;
    for (int32_t t : RateTotals)
        total += static_cast<uint32_t>(DiscountedTotal(t, discountPercent));
    return total;
}

uint8_t RateWireCode(int32_t stawka) {
    switch (stawka) {
    case 5: return 6;
    case 6: return 7;
    case 7: return 5;
    default: return static_cast<uint8_t>(stawka);
    }
}

void BuildItemRecord(uint8_t *r, int32_t rodzaj, const std::string &paddedName, int32_t stawka,
                     int32_t komunikat, uint32_t quantity, int32_t mp, const std::string &unit,
                     uint32_t price, uint32_t value) {
    r[0] = rodzaj == 1 ? 0x20 : 0x2D;
    const std::string name = WinToPrinterText(paddedName);
    std::memcpy(r + 1, name.data(), kArticleNameLength);
    r[29] = static_cast<uint8_t>(static_cast<uint32_t>(komunikat) + 0x30);
    PutInt32LE(r + 30, quantity);
    r[34] = static_cast<uint8_t>(mp);
    std::string u = unit.substr(0, 4);
    u.resize(4, ' ');
    std::memcpy(r + 35, u.data(), 4);
    PutInt32LE(r + 39, price);
    r[43] = ESC;
    r[44] = RateWireCode(stawka);
    PutInt32LE(r + 45, value);
}

int32_t ReceiptBeginConditions() {
    ShowActivityMessage(ConditionsText());
    int32_t rc = EnsureSession(false);
    if (rc != RC_OK) return rc;
    if (ReceiptOpen) return RC_RECEIPT_OPEN;
    PlainStatus s;
    rc = ReadPlainStatus(s);
    if (rc != RC_OK) return rc;
    return Decide(s, true);
}

namespace {

int32_t DoReceiptConditions() {
    ShowActivityMessage(ConditionsText());
    int32_t rc = EnsureSession(false);
    if (rc != RC_OK) return rc;
    if (ReceiptOpen) return RC_RECEIPT_OPEN;
    uint8_t type = 0;
    int32_t version = 0;
    rc = ReadDeviceType(type, version);
    if (rc != RC_OK) return rc;
    DeviceType = type;
    if (IsPexaFamily(type)) {
        uint8_t r = SendSequence(kEuroCheck, 2, 0, nullptr, nullptr);
        if (r != RC_OK) return r;
        if (AnswerBuffer[0] == 7) return RC_EURO_PENDING;
    }
    PlainStatus s;
    rc = ReadPlainStatus(s);
    if (rc != RC_OK) return rc;
    return Decide(s, false);
}

int32_t DoReceiptBegin() {
    int32_t rc = EnsureSession(true);
    if (rc != RC_OK) return rc;
    if (ReceiptOpen) return RC_RECEIPT_OPEN;
    ItemCount = 0;
    rc = ReceiptBeginConditions();
    if (rc != RC_OK) return rc;
    PurgePort();
    uint8_t r = SendSequence(kReceiptBegin, 1, 0, nullptr, nullptr);
    if (r != RC_OK) return r;
    ReceiptOpen = true;
    RateTotals.fill(0);
    return RC_OK;
}

int32_t DoReceiptItem(int32_t rodzaj, const std::string &nazwa, int32_t stawka, int32_t komunikat,
                      uint32_t ilosc, int32_t mp, const std::string &jedn, uint32_t cena, uint32_t &wartosc) {
    int32_t rc = EnsureSession(false);
    if (rc != RC_OK) return rc;
    if (!ReceiptOpen) return RC_RECEIPT_NOT_BEGUN;
    // Checked before anything goes out: the totals have seven slots, and a
    // line without a name or with a value that does not fit never reaches
    // the printer.
    if (stawka < 1 || stawka > kRateCount) return RC_BAD_RATE;
    std::string name;
    PrepareArticleName(name, nazwa); // the printer judges the name
    if (CallerText(nazwa).empty()) return RC_FEW_SIGNIFICANT;
    uint32_t value = wartosc;
    if (value == 0) {
        if (mp < 0 || mp > 4) return RC_BAD_MP;
        if (!LineValue(ilosc, mp, cena, value)) return RC_VALUE_TOO_HIGH;
    }
    rc = CheckReceiptStillOpen();
    if (rc != RC_OK) return rc;
    wartosc = value;
    uint8_t record[49];
    BuildItemRecord(record, rodzaj, name, stawka, komunikat, ilosc, mp, CallerText(jedn), cena, value);
    uint8_t r = SendSequence(kReceiptLine, 0, sizeof record, record, nullptr);
    if (r != RC_OK) return r;
    int32_t &total = RateTotals[stawka - 1];
    if (rodzaj == 1)
        total = static_cast<int32_t>(static_cast<uint32_t>(total) + value);
    else
        total = static_cast<int32_t>(static_cast<uint32_t>(total) - value);
    // The count only tells an empty receipt from one with lines: it stays
    // at 255 rather than wrap, so that a refused closing of a receipt of
    // 256 lines is not taken for the harmless refusal of an empty one.
    if (ItemCount < UINT8_MAX) ++ItemCount;
    return RC_OK;
}

int32_t DoPackageItem(int32_t param, int32_t second, int32_t third, int32_t fourth) {
    int32_t rc = EnsureSession(false);
    if (rc != RC_OK) return rc;
    if (!ReceiptOpen) return RC_RECEIPT_NOT_BEGUN;
    if (!HasExtendedReceipt(DeviceType)) return RC_NOT_AVAILABLE;
    rc = CheckReceiptStillOpen();
    if (rc != RC_OK) return rc;
    if (param < 0 || param > 3) return RC_BAD_PACKAGE_PARAM;
    uint8_t record[10];
    record[0] = param <= 1 ? 0x20 : 0x2D;
    record[1] = (param == 0 || param == 2) ? 'S' : 'Z';
    record[2] = static_cast<uint8_t>(second);
    record[3] = static_cast<uint8_t>(second >> 8);
    record[4] = static_cast<uint8_t>(third);
    record[5] = static_cast<uint8_t>(third >> 8);
    PutInt32LE(record + 6, static_cast<uint32_t>(fourth));
    uint8_t r = SendSequence(kPackageLine, 0, sizeof record, record, nullptr);
    if (r != RC_OK) return r;
    uint8_t confirmation = 0;
    if (!ReceiveByte(confirmation)) return RC_RECEIVE_FAILED;
    return confirmation == ACK ? RC_OK : RC_NAK;
}

int32_t DoPrintSubtotal() {
    int32_t rc = EnsureSession(false);
    if (rc != RC_OK) return rc;
    if (!ReceiptOpen) return RC_RECEIPT_NOT_BEGUN;
    if (!HasExtendedReceipt(DeviceType)) return RC_NOT_AVAILABLE;
    return SendSequence(kSubtotal, 0, 0, nullptr, nullptr);
}

int32_t DoReceiptEnd(int32_t discount) {
    int32_t rc = EnsureSession(false);
    if (rc != RC_OK) return rc;
    if (!ReceiptOpen) return RC_RECEIPT_NOT_BEGUN;
    if ((rc = CheckReceiptStillOpen()) != RC_OK) return rc;
    if (discount >= 1 && discount <= 99) {
        const uint8_t percent = static_cast<uint8_t>(discount);
        uint8_t r = SendSequence(kDiscount, 0, 1, &percent, nullptr);
        if (r != RC_OK) return r;
    } else {
        discount = 0;
    }
    if ((rc = CheckReceiptStillOpen()) != RC_OK) return rc;
    uint8_t total[4];
    PutInt32LE(total, ReceiptTotal(discount));
    uint8_t r = SendSequence(kReceiptTotal, 0, 4, total, nullptr);
    if (r != RC_OK) return r;
    if ((rc = CheckReceiptStillOpen()) != RC_OK) return rc;
    if (HasExtendedReceipt(DeviceType) && (rc = SendPayments()) != RC_OK) return rc;
    if ((rc = SendExtraLines()) != RC_OK) return rc;
    if ((rc = CheckReceiptStillOpen()) != RC_OK) return rc;
    r = SendSequence(kReceiptClose, 1, 0, nullptr, nullptr);
    if (r != RC_OK) {
        // A refusal ends the receipt in the printer; an empty receipt that
        // the printer would not close is no error. Any other failure leaves
        // the receipt open for a retry or a cancel.
        if (r != RC_NAK) return r;
        ReceiptOpen = false;
        if (ItemCount == 0) return RC_OK;
        ItemCount = 0;
        return r;
    }
    uint8_t s = SendSequence(kStatus3, 1, 0, nullptr, nullptr);
    if (s != RC_OK) return s;
    const bool cancelled = Bit(AnswerBuffer[0], 4);
    ReceiptOpen = false;
    if (cancelled) {
        PrintMonitor(0, DeviceType);
        return RC_RECEIPT_CANCELLED;
    }
    ItemCount = 0;
    return PrintMonitor(0, DeviceType);
}

int32_t DoReceiptCancel() {
    int32_t rc = EnsureSession(false);
    if (rc != RC_OK) return rc;
    if (!ReceiptOpen) return RC_RECEIPT_NOT_BEGUN;
    if ((rc = CheckReceiptStillOpen()) != RC_OK) return rc;
    uint32_t sum = 0;
    for (int32_t t : RateTotals)
        sum += static_cast<uint32_t>(t);
    uint8_t total[4];
    PutInt32LE(total, sum);
    uint8_t r = SendSequence(kReceiptTotal, 0, 4, total, nullptr);
    if (r != RC_OK) return r;
    r = SendSequence(kReceiptCancel, 1, 0, nullptr, nullptr);
    if (r != RC_OK && !(r == RC_NAK && ItemCount == 0)) return r;
    ItemCount = 0;
    ReceiptOpen = false;
    return PrintMonitor(0, DeviceType);
}

} // namespace
} // namespace darvo

using namespace darvo;

extern "C" int32_t ReceiptConditions(void) {
    return Guarded("ReceiptConditions", [&] { return DoReceiptConditions(); });
}

extern "C" int32_t ReceiptBegin(void) {
    return Guarded("ReceiptBegin", [&] { return DoReceiptBegin(); });
}

int32_t ReceiptItem(int32_t rodzaj, const std::string &nazwa, int32_t stawka, int32_t komunikat,
                    uint32_t ilosc, int32_t mp, const std::string &jedn, uint32_t cena, uint32_t &wartosc) {
    return Guarded("ReceiptItem", [&] {
        return DoReceiptItem(rodzaj, nazwa, stawka, komunikat, ilosc, mp, jedn, cena, wartosc);
    });
}

extern "C" int32_t pReceiptItem(int32_t rodzaj, const char *nazwa, int32_t stawka, int32_t komunikat,
                                uint32_t ilosc, int32_t mp, const char *jedn, uint32_t cena,
                                uint32_t *wartosc) {
    return Guarded("pReceiptItem", [&]() -> int32_t {
        if (!wartosc) return RC_NULL_BUFFER;
        return DoReceiptItem(rodzaj, CallerText(nazwa), stawka, komunikat, ilosc, mp, CallerText(jedn), cena,
                             *wartosc);
    });
}

extern "C" int32_t PackageItem(int32_t param, int32_t second, int32_t third, int32_t fourth) {
    return Guarded("PackageItem", [&] { return DoPackageItem(param, second, third, fourth); });
}

extern "C" int32_t PrintSubtotal(void) {
    return Guarded("PrintSubtotal", [&] { return DoPrintSubtotal(); });
}

extern "C" int32_t ReceiptEnd(int32_t discountPercent) {
    return Guarded("ReceiptEnd", [&] { return DoReceiptEnd(discountPercent); });
}

extern "C" int32_t ReceiptCancel(void) {
    return Guarded("ReceiptCancel", [&] { return DoReceiptCancel(); });
}

int32_t CharsInArticleName(const std::string &nazwa) {
    return Guarded("CharsInArticleName", [&] { return CountSignificant(PadArticleName(nazwa)); });
}

extern "C" int32_t pCharsInArticleName(const char *nazwa) {
    return Guarded("pCharsInArticleName", [&]() -> int32_t {
        if (!nazwa) return RC_NULL_BUFFER;
        return CountSignificant(PadArticleName(CallerText(nazwa)));
    });
}
