// Reports: daily, financial, period (by dates, months and numbers),
// locked articles and printer status.
#include "Reports.h"
#include "Core.h"
#include "Counters.h"
#include "Guard.h"
#include "Host.h"
#include "Receipt.h"
#include "Session.h"
#include "Shielded.h"
#include "Trace.h"
#include "darvodr.h"

#include <cstdlib>

namespace darvo {

namespace {

constexpr uint8_t kDailyReport = 37;
constexpr uint8_t kFinancialReport = 43;
constexpr uint8_t kLockedArticlesReport = 34;
constexpr uint8_t kPrinterStatusReport = 38;
constexpr uint8_t kPeriodDetailedOld = 40;
constexpr uint8_t kPeriodShortOld = 41;
constexpr uint8_t kPeriodReport = 49;

// Closes the port and opens it again with PortWriteTimeout and the given
// read time-out, on the port and speed the user selected; without a user
// program, on the session's own; and for a host that opened the port itself
// (no session port), on the port that is open now.
int32_t ReopenPort(uint16_t readTimeout) {
    int32_t port = SessionPort;
    int32_t speed = SessionBaudRate;
    int32_t selectedPort = 0, selectedSpeed = 0;
    if (Host().SelectedPortAndSpeed(selectedPort, selectedSpeed)) {
        port = selectedPort;
        speed = selectedSpeed;
    } else if (port == 0 && ThePort && ThePort->portName.rfind("Com", 0) == 0) {
        port = std::atoi(ThePort->portName.c_str() + 3);
        speed = static_cast<int32_t>(ThePort->baudRate);
    }
    // Checked before closing: a port that cannot be opened again stays open.
    if (port <= 0 || port > 255) return RC_NO_PORT;
    if (speed <= 0) return RC_OUT_OF_RANGE;
    int32_t result = CloseSessionPort();
    if (result != RC_OK) return result;
    return OpenSessionPort(static_cast<uint8_t>(port), static_cast<uint32_t>(speed), PortWriteTimeout,
                           readTimeout);
}

// Runs `report` (which sends the report command and waits for its first
// answer) with the long read time-out, and returns the port to its usual
// time-outs afterwards whatever happened, exceptions included. The report's
// own error comes first, then the error of the return.
template <typename Report> int32_t WithLongReadTimeout(Report &&report) {
    // Unless the port was reopened with the usual time-outs, it is tried
    // once more; and should that fail too (an exception from the host that
    // names the port, say), the usual time-outs are set on the port as it
    // is, so that it never stays with the long one.
    struct Restore {
        bool done = false;
        ~Restore() {
            if (done) return;
            try {
                if (ReopenPort(PortReadTimeout) == RC_OK) return;
            } catch (...) {
            }
            try {
                SetPortTimeouts(PortWriteTimeout, PortReadTimeout);
            } catch (...) {
            }
        }
    } restore;
    int32_t result = ReopenPort(kPeriodReportReadTimeout);
    if (result == RC_OK) result = report();
    const int32_t back = ReopenPort(PortReadTimeout);
    restore.done = back == RC_OK;
    return result != RC_OK ? result : back;
}

// Daily, financial, locked-articles and printer-status reports.
int32_t SimpleReport(const char *progress, uint8_t command, bool zeroCounterCheck, int32_t zeroReport) {
    ShowActivity(progress);
    int32_t result = EnsureSession(true);
    if (result != RC_OK) return result;
    if (ReceiptOpen) return RC_RECEIPT_OPEN;
    result = PrintMonitor(1, DeviceType);
    if (result != RC_OK) return result;
    if (zeroCounterCheck) {
        const int t = DeviceType;
        const bool zeroAllowed = t == 2 || t == 3 || t == 6 || t == 7 || t == 8 || t == 9;
        if (!(zeroReport != 0 && zeroAllowed)) {
            result = SendSequence(kReceiptCounter, 3, 0, nullptr, nullptr);
            if (result != RC_OK) return result;
            bool zero = AnswerBuffer[0] == 0 && AnswerBuffer[1] == 0;
            // The PEXA printers keep the counter under another command and
            // answer 0 here: without asking it a day with sales would be
            // refused as one without.
            if (zero && IsPexaFamily(t)) {
                result = SendSequence(kReceiptCounterPexa, 8, 0, nullptr, nullptr);
                if (result != RC_OK) return result;
                zero = AnswerBuffer[0] == 0 && AnswerBuffer[1] == 0;
            }
            if (zero) return RC_ZERO_COUNTER;
        }
    }
    result = SendSequence(command, 1, 0, nullptr, nullptr);
    if (result != RC_OK) return result;
    return PrintMonitor(0, DeviceType);
}

void PutDigits(uint8_t *out, int value) {
    out[0] = static_cast<uint8_t>(value / 10);
    out[1] = static_cast<uint8_t>(value % 10);
}

// The prologue shared by the monthly and the number report: the session,
// the receipt check and the device type (newer printers only).
int32_t NewerPeriodPrologue(const char *progress, int32_t detailed) {
    ShowActivity(progress);
    int32_t result = EnsureSession(true);
    if (result != RC_OK) return result;
    if (ReceiptOpen) return RC_RECEIPT_OPEN;
    // Any other flag names no report (and would leave the result to an old answer).
    if (detailed != 0 && detailed != 1) return RC_OUT_OF_RANGE;
    uint8_t type = 0;
    int32_t version = 0;
    result = ReadDeviceType(type, version);
    if (result != RC_OK) return result;
    DeviceType = type;
    if (!IsNewerPrinter(type)) return RC_NOT_IN_DEVICE;
    return RC_OK;
}

// Command 49 with the kind byte and four data bytes already in
// SendBuffer[1..4]; the result byte follows the parameters.
int32_t NewerPeriodReport(uint8_t kind) {
    int32_t result = WithLongReadTimeout([&]() -> int32_t {
        SendBuffer[0] = kind;
        ExchangeCommand(kPeriodReport, 1, 5, 1);
        return SequenceResult;
    });
    if (result != RC_OK) return result;
    bool wait = false;
    result = PeriodReportResult(AnswerBuffer[0], wait);
    return wait ? PrintMonitor(0, DeviceType) : result;
}

} // namespace

int32_t PeriodReportResult(uint8_t resultByte, bool &waitForPrintout) {
    waitForPrintout = resultByte == 0;
    if (resultByte >= 1 && resultByte <= 5) return RC_BAD_DATES + resultByte - 1; // 219..223
    return RC_OK;
}

int32_t FinancialTaxReport() {
    return Shielded([] { return SimpleReport("Raport dobowy...", kFinancialReport, false, 0); });
}

namespace {

int32_t PeriodReportConditionsWork() {
    ShowActivity("Sprawdzanie warunków wystawienia raportu okresowego...");
    int32_t result = EnsureSession(false);
    if (result != RC_OK) return result;
    uint8_t s[4] = {};
    const uint8_t commands[4] = {kStatus1, kStatus2, kStatus3, kStatus4};
    for (int i = 0; i < 4; ++i) {
        result = SendSequence(commands[i], 1, 0, nullptr, nullptr);
        if (result != RC_OK) return result;
        s[i] = AnswerBuffer[0];
    }
    const uint8_t s155 = s[0], s148 = s[1], s149 = s[2];
    if (!Bit(s155, 0)) return RC_NO_MAKER_DATA;
    if (!Bit(s155, 3)) return RC_TRAINING_MODE;
    if (Bit(s148, 4)) return RC_CMOS_ERASED;
    if (Bit(s148, 7)) return RC_NO_CONTROLLER;
    if (Bit(s149, 2)) return RC_PRINTER_FAILURE;
    if (!Bit(s155, 1)) return RC_NO_USER_DATA;
    if (Bit(s148, 6)) return RC_NO_DISPLAY;
    if (Bit(s149, 1)) return RC_NO_PAPER;
    return PrintMonitor(1, DeviceType);
}

int32_t PeriodReportCommandWork(uint8_t kind, const uint8_t *data) {
    int32_t result = EnsureSession(true);
    if (result != RC_OK) return result;
    size_t count = 0;
    switch (kind) {
    case kDetailedByDates:
    case kShortByDates: count = 12; break;
    case kDetailedByNumbers:
    case kDetailedMonthly:
    case kShortByNumbers:
    case kShortMonthly: count = 4; break;
    default: count = 0; break;
    }
    if (count > 0 && !data) return RC_NULL_BUFFER;
    result = PeriodReportConditions();
    if (result != RC_OK) return result;
    result = PrintMonitor(1, DeviceType);
    if (result != RC_OK) return result;
    uint8_t params[13] = {kind};
    for (size_t i = 0; i < count; ++i)
        params[1 + i] = data[i];

    // The result byte comes once the printer has computed the report, so it
    // is awaited with the long time-out too, before the port is reopened
    // (reopening would lose a byte already on its way).
    uint8_t resultByte = 0;
    result = WithLongReadTimeout([&]() -> int32_t {
        int32_t sent = SendSequence(kPeriodReport, 1, static_cast<uint8_t>(1 + count), params, nullptr);
        if (sent != RC_OK) return sent;
        if (!ReceiveByte(resultByte)) return RC_RECEIVE_FAILED;
        TraceByte(TraceDirection::Received, resultByte);
        return RC_OK;
    });
    if (result != RC_OK) return result;
    bool wait = false;
    result = PeriodReportResult(resultByte, wait);
    return wait ? PrintMonitor(0, DeviceType) : result;
}

} // namespace

int32_t PeriodReportConditions() {
    return Shielded(PeriodReportConditionsWork);
}

int32_t PeriodReportCommand(uint8_t kind, const uint8_t *data) {
    return Shielded([&] { return PeriodReportCommandWork(kind, data); });
}

} // namespace darvo

using namespace darvo;

extern "C" int32_t DailyReport(int32_t zeroReport) {
    return Guarded("DailyReport",
                   [&] { return SimpleReport("Raport dobowy...", kDailyReport, true, zeroReport); });
}

extern "C" int32_t LockedArticlesReport(void) {
    return Guarded("LockedArticlesReport", [&] {
        return SimpleReport("Raport nazw towarów zablokowanych...", kLockedArticlesReport, false, 0);
    });
}

extern "C" int32_t PrinterStatusReport(void) {
    return Guarded("PrinterStatusReport",
                   [&] { return SimpleReport("Raport stanu drukarki...", kPrinterStatusReport, false, 0); });
}

extern "C" int32_t PeriodReport(int32_t detailed, int32_t y1, int32_t m1, int32_t d1, int32_t y2, int32_t m2,
                                int32_t d2) {
    return Guarded("PeriodReport", [&]() -> int32_t {
        ShowActivity("Raport okresowy...");
        int32_t result = EnsureSession(true);
        if (result != RC_OK) return result;
        if (ReceiptOpen) return RC_RECEIPT_OPEN;
        // A detailed flag other than 0 or 1 names no report: it is refused
        // like a bad date, not answered with 0 for a report never printed.
        auto in = [](int32_t v, int32_t low, int32_t high) { return v >= low && v <= high; };
        if (!in(y1, 1, 99) || !in(m1, 1, 12) || !in(d1, 1, 31) || !in(y2, 1, 99) || !in(m2, 1, 12) ||
            !in(d2, 1, 31) || (detailed != 0 && detailed != 1))
            return RC_OUT_OF_RANGE;
        result = PrintMonitor(1, DeviceType);
        if (result != RC_OK) return result;
        uint8_t params[12];
        const int32_t values[6] = {y1, m1, d1, y2, m2, d2};
        for (int i = 0; i < 6; ++i)
            PutDigits(params + 2 * i, values[i]);
        const uint8_t command = detailed == 1 ? kPeriodDetailedOld : kPeriodShortOld;
        result = WithLongReadTimeout(
            [&] { return static_cast<int32_t>(SendSequence(command, 1, 12, params, nullptr)); });
        if (result != RC_OK) return result;
        return PrintMonitor(0, DeviceType);
    });
}

extern "C" int32_t MonthlyReport(int32_t detailed, int32_t year, int32_t month) {
    return Guarded("MonthlyReport", [&]() -> int32_t {
        int32_t result = NewerPeriodPrologue("Raport miesięczny...", detailed);
        if (result != RC_OK) return result;
        // Values that do not fit two digits cannot be sent; the printer
        // judges the rest.
        if (year < 0 || year > 99 || month < 0 || month > 99) return RC_OUT_OF_RANGE;
        PutDigits(SendBuffer + 1, year);
        PutDigits(SendBuffer + 3, month);
        return NewerPeriodReport(detailed == 1 ? kDetailedMonthly : kShortMonthly);
    });
}

extern "C" int32_t NumberReport(int32_t detailed, uint16_t first, uint16_t last) {
    return Guarded("NumberReport", [&]() -> int32_t {
        int32_t result = NewerPeriodPrologue("Raport okresowy...", detailed);
        if (result != RC_OK) return result;
        SendBuffer[1] = static_cast<uint8_t>(first & 0xFF);
        SendBuffer[2] = static_cast<uint8_t>(first >> 8);
        SendBuffer[3] = static_cast<uint8_t>(last & 0xFF);
        SendBuffer[4] = static_cast<uint8_t>(last >> 8);
        return NewerPeriodReport(detailed == 1 ? kDetailedByNumbers : kShortByNumbers);
    });
}
