// Counters, totals, clock, unique number, line feed and drawer.
#include "Counters.h"

#include "Core.h"
#include "Cp1250.h"
#include "Guard.h"
#include "Host.h"
#include "Receipt.h"
#include "Session.h"
#include "TaxRates.h"
#include "darvodr.h"

#include <cstring>

namespace darvo {

namespace {

constexpr uint8_t kRegisterNumber = 216, kDailyReportNumber = 217, kTotals = 218, kClock = 53,
                  kClockSeconds = 64, kUniqueNumber = 113, kLineFeed = 70, kDrawer1 = 87;

constexpr size_t kTotalTextMax = 13;
constexpr size_t kShortClockMax = 14;
constexpr size_t kUniqueNumberLength = 11;

const char *kReceiptNumberText = "Odczyt numeru ostatniego paragonu...";

uint16_t Get16LE(const uint8_t *p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

// Copies a text into a caller's buffer: emptied first, then at most `limit`
// characters and the terminating NUL.
void CopyOut(char *buffer, const std::string &text, size_t limit) {
    buffer[0] = '\0';
    const size_t n = std::min(text.size(), limit);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
}

// Reads the device type into DeviceType; 224 on printers without totals.
int32_t RequireTotals() {
    uint8_t type = 0;
    int32_t version = 0;
    int32_t rc = ReadDeviceType(type, version);
    if (rc != RC_OK) return rc;
    DeviceType = type;
    return IsNewerPrinter(type) ? RC_OK : RC_NOT_IN_DEVICE;
}

// The seven 40-bit totals of command 218.
int32_t ReadRateTotals(uint64_t (&totals)[7]) {
    uint8_t rc = SendSequence(kTotals, 36, 0, nullptr, nullptr);
    if (rc != RC_OK) return rc;
    for (int i = 0; i < 7; ++i) {
        uint64_t v = 0;
        for (int k = 4; k >= 0; --k)
            v = v << 8 | AnswerBuffer[5 * i + k];
        totals[i] = v;
    }
    return RC_OK;
}

// Two clock digits as text; a byte that is no digit is a damaged answer.
bool Digits(const uint8_t *p, int count, std::string &out) {
    for (int i = 0; i < count; ++i) {
        if (p[i] > 9) return false;
        out += static_cast<char>('0' + p[i]);
    }
    return true;
}

int32_t DoReadTotal(std::string &total) {
    total.clear();
    int32_t rc = OperationPrologue(nullptr, false, true);
    if (rc != RC_OK) return rc;
    if ((rc = RequireTotals()) != RC_OK) return rc;
    uint8_t present = 0;
    if ((rc = CheckTaxRates(present)) != RC_OK) return rc;
    if (!present) return RC_NO_RATES;
    uint64_t totals[7];
    if ((rc = ReadRateTotals(totals)) != RC_OK) return rc;
    uint64_t sum = 0;
    for (uint64_t t : totals)
        sum += t;
    total = std::to_string(sum);
    return RC_OK;
}

int32_t DoReadSelTotal(const std::string &selector, std::string &total) {
    total.clear();
    int32_t rc = OperationPrologue(nullptr, false, true);
    if (rc != RC_OK) return rc;
    if ((rc = RequireTotals()) != RC_OK) return rc;
    int32_t count = 0;
    std::array<int32_t, 7> rates{};
    if ((rc = ReadVATRates(count, rates)) != RC_OK) return rc;
    const bool letter = selector.size() == 1 && selector[0] >= 'A' && selector[0] <= 'G';
    const int index = letter ? selector[0] - 'A' : -1;
    if (letter && index < count && rates[index] == kRateUnused) return RC_RATE_UNUSED;
    uint64_t totals[7];
    if ((rc = ReadRateTotals(totals)) != RC_OK) return rc;
    if (letter) {
        total = std::to_string(totals[index]);
    } else if (selector == "+") {
        uint64_t sum = 0;
        for (uint64_t t : totals)
            sum += t;
        total = std::to_string(sum);
    } else {
        return RC_BAD_SELECTOR;
    }
    return RC_OK;
}

int32_t DoReadUniqueNumber(const char *progress, bool withSpace, std::string &number) {
    number.clear();
    int32_t rc = OperationPrologue(progress, true, true);
    if (rc != RC_OK) return rc;
    uint8_t r = SendSequence(kUniqueNumber, 12, 0, nullptr, nullptr);
    if (r != RC_OK) return r;
    std::string raw(reinterpret_cast<const char *>(AnswerBuffer), kUniqueNumberLength);
    number = withSpace ? raw.substr(0, 3) + " " + raw.substr(3) : raw;
    return RC_OK;
}

} // namespace

int32_t OperationPrologue(const char *progressUtf8, bool checkPrinter, bool refuseOpenReceipt) {
    if (progressUtf8) ShowActivityMessage(Utf8ToCp1250(progressUtf8));
    int32_t rc = EnsureSession(checkPrinter);
    if (rc != RC_OK) return rc;
    if (refuseOpenReceipt && ReceiptOpen) return RC_RECEIPT_OPEN;
    return RC_OK;
}

int32_t ReadLastReceiptNumber(int32_t &number) {
    int32_t rc = OperationPrologue(kReceiptNumberText, true, true);
    if (rc != RC_OK) return rc;
    uint8_t type = 0;
    int32_t version = 0;
    if ((rc = ReadDeviceType(type, version)) != RC_OK) return rc;
    DeviceType = type;
    uint8_t r = SendSequence(kReceiptCounter, 3, 0, nullptr, nullptr);
    if (r != RC_OK) return r;
    number = Get16LE(AnswerBuffer);
    if (number == 0 && IsPexaFamily(type)) {
        r = SendSequence(kReceiptCounterPexa, 8, 0, nullptr, nullptr);
        if (r != RC_OK) return r;
        number = Get16LE(AnswerBuffer);
    }
    return RC_OK;
}

int32_t ReadSalesTotals(std::array<int64_t, 7> &totals) {
    totals.fill(0);
    int32_t rc = OperationPrologue(nullptr, false, true);
    if (rc != RC_OK) return rc;
    if ((rc = RequireTotals()) != RC_OK) return rc;
    uint64_t read[7];
    if ((rc = ReadRateTotals(read)) != RC_OK) return rc;
    for (int i = 0; i < 7; ++i)
        totals[static_cast<size_t>(i)] = static_cast<int64_t>(read[i]);
    return RC_OK;
}

int32_t ReadClockTexts(std::string &date, std::string &time) {
    date.clear();
    time.clear();
    uint8_t type = 0;
    int32_t version = 0;
    int32_t rc = ReadDeviceType(type, version);
    if (rc != RC_OK) return rc;
    DeviceType = type;
    const bool seconds = IsNewerPrinter(type);
    uint8_t r = seconds ? SendSequence(kClockSeconds, 13, 0, nullptr, nullptr)
                        : SendSequence(kClock, 11, 0, nullptr, nullptr);
    if (r != RC_OK) return r;
    const uint8_t *d = AnswerBuffer;
    std::string y, mo, dd, h, mi, s;
    if (!Digits(d, 2, y) || !Digits(d + 2, 2, mo) || !Digits(d + 4, 2, dd) || !Digits(d + 6, 2, h) ||
        !Digits(d + 8, 2, mi) || (seconds && !Digits(d + 10, 2, s)))
        return RC_BAD_ANSWER;
    date = "20" + y + "." + mo + "." + dd;
    time = h + ":" + mi + (seconds ? ":" + s : "");
    return RC_OK;
}

int32_t ReadShortClock(std::string &text) {
    text.clear();
    uint8_t r = SendSequence(kClock, 11, 0, nullptr, nullptr);
    if (r != RC_OK) return r;
    const uint8_t *d = AnswerBuffer;
    std::string y, mo, dd, h, mi;
    if (!Digits(d, 2, y) || !Digits(d + 2, 2, mo) || !Digits(d + 4, 2, dd) || !Digits(d + 6, 2, h) ||
        !Digits(d + 8, 2, mi))
        return RC_BAD_ANSWER;
    text = y + "." + mo + "." + dd + ";" + h + ":" + mi;
    return RC_OK;
}

} // namespace darvo

using namespace darvo;

extern "C" int32_t ReceiptNumber(int32_t *number) {
    return Guarded("ReceiptNumber", [&]() -> int32_t {
        if (!number) return RC_NULL_BUFFER;
        return ReadLastReceiptNumber(*number);
    });
}

int32_t PrinterNumber(int32_t &cashRegisterNumber, std::string &operatorCode) {
    return Guarded("PrinterNumber", [&]() -> int32_t {
        int32_t rc = OperationPrologue(kReceiptNumberText, true, true);
        if (rc != RC_OK) return rc;
        uint8_t r = SendSequence(kRegisterNumber, 5, 0, nullptr, nullptr);
        if (r != RC_OK) return r;
        cashRegisterNumber = (AnswerBuffer[0] - 0x30) * 10 + (AnswerBuffer[1] - 0x30);
        operatorCode.assign(reinterpret_cast<const char *>(AnswerBuffer + 2), 2);
        return RC_OK;
    });
}

extern "C" int32_t DailyReportNumber(int32_t *number) {
    return Guarded("DailyReportNumber", [&]() -> int32_t {
        if (!number) return RC_NULL_BUFFER;
        int32_t rc = OperationPrologue("Odczyt numeru raportu dobowego...", true, true);
        if (rc != RC_OK) return rc;
        uint8_t r = SendSequence(kDailyReportNumber, 3, 0, nullptr, nullptr);
        if (r != RC_OK) return r;
        *number = Get16LE(AnswerBuffer);
        return RC_OK;
    });
}

int32_t ReadTotal(std::string &total) {
    return Guarded("ReadTotal", [&] { return DoReadTotal(total); });
}

extern "C" int32_t pReadTotal(char *buffer) {
    return Guarded("pReadTotal", [&]() -> int32_t {
        if (!buffer) return RC_NULL_BUFFER;
        buffer[0] = '\0';
        std::string total;
        int32_t rc = DoReadTotal(total);
        if (rc == RC_OK) CopyOut(buffer, total, kTotalTextMax);
        return rc;
    });
}

int32_t ReadSelTotal(const std::string &selector, std::string &total) {
    return Guarded("ReadSelTotal", [&] { return DoReadSelTotal(selector, total); });
}

extern "C" int32_t pReadSelTotal(const char *selector, char *buffer) {
    return Guarded("pReadSelTotal", [&]() -> int32_t {
        if (!buffer) return RC_NULL_BUFFER;
        buffer[0] = '\0';
        std::string total;
        int32_t rc = DoReadSelTotal(CallerText(selector), total);
        if (rc == RC_OK) CopyOut(buffer, total, kTotalTextMax);
        return rc;
    });
}

int32_t ReadClock(std::string &date, std::string &time) {
    return Guarded("ReadClock", [&]() -> int32_t {
        date.clear();
        time.clear();
        int32_t rc = OperationPrologue("Odczyt zegara...", true, true);
        if (rc != RC_OK) return rc;
        return ReadClockTexts(date, time);
    });
}

extern "C" int32_t pReadClock(char *buffer) {
    return Guarded("pReadClock", [&]() -> int32_t {
        if (!buffer) return RC_NULL_BUFFER;
        buffer[0] = '\0';
        int32_t rc = OperationPrologue(nullptr, true, true);
        if (rc != RC_OK) return rc;
        std::string text;
        if ((rc = ReadShortClock(text)) != RC_OK) return rc;
        CopyOut(buffer, text, kShortClockMax);
        return RC_OK;
    });
}

extern "C" int32_t WriteLineFeed(uint8_t lines) {
    return Guarded("WriteLineFeed", [&]() -> int32_t {
        int32_t rc = OperationPrologue("Zapis ilosci wierszy do wysunięcia...", true, true);
        if (rc != RC_OK) return rc;
        return SendSequence(kLineFeed, 1, 1, &lines, nullptr);
    });
}

int32_t ReadUniqueNumber(std::string &number) {
    return Guarded("ReadUniqueNumber",
                   [&] { return DoReadUniqueNumber("Odczyt numeru unikatowego...", true, number); });
}

extern "C" int32_t pReadUniqueNumber(char *buffer) {
    return Guarded("pReadUniqueNumber", [&]() -> int32_t {
        if (!buffer) return RC_NULL_BUFFER;
        buffer[0] = '\0';
        std::string number;
        int32_t rc = DoReadUniqueNumber(nullptr, false, number);
        if (rc == RC_OK) CopyOut(buffer, number, kUniqueNumberLength);
        return rc;
    });
}

extern "C" int32_t OpenDrawer(int32_t drawer) {
    return Guarded("OpenDrawer", [&]() -> int32_t {
        int32_t rc = OperationPrologue("Otwarcie szuflady...", false, false);
        if (rc != RC_OK) return rc;
        if (drawer < 1 || drawer > 3) return RC_BAD_DRAWER;
        return SendSequence(static_cast<uint8_t>(kDrawer1 + drawer - 1), 1, 0, nullptr, nullptr);
    });
}
