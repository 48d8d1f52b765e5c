// The reports the user program orders beyond the exported ones: the
// financial report, the fixed descriptions, the period reports by their
// range records, the names-and-rates control printout, and the pharmacy
// printer's price buffer and the remote switch-off.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace darvo::ops {

// The period report's kind byte (command 49).
enum class PeriodKind : uint8_t {
    DetailedByDates = 0,
    DetailedByNumbers = 1,
    DetailedMonthly = 2,
    ShortByDates = 3,
    ShortByNumbers = 4,
    ShortMonthly = 5,
};
inline bool IsDetailed(PeriodKind kind) {
    return kind <= PeriodKind::DetailedMonthly;
}

// A period report's range as the printer takes it: by dates the digits
// y y m m d d of the first and of the last date (values 0..9); by numbers
// the first and the last report number, 16-bit little-endian each; a month
// the digits y y m m. The bytes the kind does not use are 0.
using RangeRecord = std::array<uint8_t, 12>;
RangeRecord DatesRecord(int fromYear, int fromMonth, int fromDay, int toYear, int toMonth, int toDay);
RangeRecord NumbersRecord(int first, int last);
RangeRecord MonthRecord(int year, int month);

// Orders the period report: command 49 on the printers that know it; the
// older printers print only the report by dates, detailed or short, which
// they take as the exported PeriodReport. The driver's code.
int32_t PeriodReport(PeriodKind kind, const RangeRecord &range, uint8_t deviceType);

// The financial (tax) report of a PEXA printer, command 43.
int32_t FinancialTaxReport();
// The printout of the fixed descriptions.
int32_t FixedDescriptionsReport();

// The control printout of the names-and-rates base: its beginning, one item
// (a name in Windows-1250 and its rate 'A'..'G'), its end.
int32_t NamesBasePrintBegin();
int32_t NamesBasePrintItem(const std::string &cp1250Name, uint8_t rate);
int32_t NamesBasePrintEnd();

// Empties the price buffer of a pharmacy printer.
int32_t ClearPriceBuffer();
// Switches the printer off; it may fall silent before it answers.
int32_t PowerOff();

} // namespace darvo::ops
