// What the fiscal commands need of the printer's sales state: the clock,
// the receipt counter and the day's totals, the unique number, the rates.
#pragma once

#include "FiscalState.h"

#include <array>
#include <cstdint>
#include <string>

namespace darvosim {

class Printer;

struct ClockTime {
    Date date;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

ClockTime ClockNow(const Printer &p);
inline Date Today(const Printer &p) {
    return ClockNow(p).date;
}
void SetClock(Printer &p, const ClockTime &t);
// Moves the clock by the given minutes (negative: back).
void ShiftClockBy(Printer &p, int minutes);

// Receipts issued since the last daily report.
int ReceiptCounter(const Printer &p);
// Sales per rate A..G since the last daily report, hundredths.
std::array<int64_t, 7> DayTotals(const Printer &p);
// Zeroes the receipt counter and the day's totals (the daily report did).
void CloseSalesDay(Printer &p);

// The printer's unique number, 11 characters.
std::string UniqueNumber(const Printer &p);
// Writes the rates A..G (hundredths of a percent; 10000 exempt, 25500 not in use).
void SetRates(Printer &p, const std::array<int, 7> &rates);

} // namespace darvosim
