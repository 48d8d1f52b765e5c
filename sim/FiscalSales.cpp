#include "FiscalSales.h"
#include "Printer.h"

#include <ctime>

namespace darvosim {

ClockTime ClockNow(const Printer &p) {
    const ClockReading r = SalesClock(p.sales);
    ClockTime t;
    t.date = Date{r.year % 100, r.month, r.day};
    t.hour = r.hour;
    t.minute = r.minute;
    t.second = r.second;
    return t;
}

void SetClock(Printer &p, const ClockTime &t) {
    ClockReading r;
    r.year = 2000 + t.date.year;
    r.month = t.date.month;
    r.day = t.date.day;
    r.hour = t.hour;
    r.minute = t.minute;
    r.second = t.second;
    SetSalesClock(p.sales, r, p.sales.clockStopped);
}

void ShiftClockBy(Printer &p, int minutes) {
    const ClockReading r = SalesClock(p.sales);
    std::tm tm{};
    tm.tm_year = r.year - 1900;
    tm.tm_mon = r.month - 1;
    tm.tm_mday = r.day;
    tm.tm_hour = r.hour;
    tm.tm_min = r.minute + minutes;
    tm.tm_sec = r.second;
    tm.tm_isdst = -1;
    std::mktime(&tm); // normalises the minutes into hours and days
    ClockReading n;
    n.year = tm.tm_year + 1900;
    n.month = tm.tm_mon + 1;
    n.day = tm.tm_mday;
    n.hour = tm.tm_hour;
    n.minute = tm.tm_min;
    n.second = tm.tm_sec;
    SetSalesClock(p.sales, n, p.sales.clockStopped);
}

int ReceiptCounter(const Printer &p) {
    return p.sales.receiptCounter;
}

std::array<int64_t, 7> DayTotals(const Printer &p) {
    return p.sales.totals;
}

void CloseSalesDay(Printer &p) {
    EndSalesDay(p.sales);
}

std::string UniqueNumber(const Printer &p) {
    std::string u = p.sales.uniqueNumber;
    u.resize(11, ' ');
    return u;
}

void SetRates(Printer &p, const std::array<int, 7> &rates) {
    for (int i = 0; i < 7; ++i)
        p.sales.rates[i] = rates[i];
}

} // namespace darvosim
