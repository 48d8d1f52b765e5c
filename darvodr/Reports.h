// Reports the user program orders besides the exported ones (darvodr.h:
// DailyReport, PeriodReport, MonthlyReport, NumberReport,
// LockedArticlesReport, PrinterStatusReport).
// Driver-internal; the user program and the tests use it as well.
#pragma once

#include <cstdint>

namespace darvo {

// Read time-out in force while the printer computes a period report.
constexpr uint16_t kPeriodReportReadTimeout = 90;

// Kind byte of the period report command 49.
enum PeriodReportKind : uint8_t {
    kDetailedByDates = 0,
    kDetailedByNumbers = 1,
    kDetailedMonthly = 2,
    kShortByDates = 3,
    kShortByNumbers = 4,
    kShortMonthly = 5,
};

// Financial (tax) report, command 43.
int32_t FinancialTaxReport();

// Period report by command 49 for the newer printers: the kind byte, then
// the first 12 (kinds 0 and 3) or 4 (kinds 1, 2, 4, 5) bytes of `data`
// (may be null only for another kind). Date ranges are one decimal digit
// per byte, tens first: Y Y M M D D of the first date, then of the last;
// a month is Y Y M M; a number range is first and last, 16-bit
// little-endian each.
int32_t PeriodReportCommand(uint8_t kind, const uint8_t *data);

// Whether the printer can print a period report now: maker data, fiscal
// mode, CMOS, controller, failure, user data, display and paper, then the
// print check.
int32_t PeriodReportConditions();

// The driver's result for the result byte of command 49; `waitForPrintout`
// tells whether the report is printing (byte 0).
int32_t PeriodReportResult(uint8_t resultByte, bool &waitForPrintout);

} // namespace darvo
