#include "FiscalSales.h"
#include "Printer.h"

#include <ctime>

namespace darvosim {

// Until the sales state keeps them, the clock runs from the host's clock
// shifted by an offset, and the counters live here.
namespace {
int64_t &Offset(Printer &p) {
    return p.fiscal.clockOffsetSeconds;
}
} // namespace

ClockTime ClockNow(const Printer &p) {
    std::time_t now = std::time(nullptr) + p.fiscal.clockOffsetSeconds;
    std::tm tm{};
    localtime_r(&now, &tm);
    ClockTime t;
    t.date = Date{tm.tm_year % 100, tm.tm_mon + 1, tm.tm_mday};
    t.hour = tm.tm_hour;
    t.minute = tm.tm_min;
    t.second = tm.tm_sec;
    return t;
}

void SetClock(Printer &p, const ClockTime &t) {
    std::tm tm{};
    tm.tm_year = 100 + t.date.year;
    tm.tm_mon = t.date.month - 1;
    tm.tm_mday = t.date.day;
    tm.tm_hour = t.hour;
    tm.tm_min = t.minute;
    tm.tm_sec = t.second;
    tm.tm_isdst = -1;
    Offset(p) = static_cast<int64_t>(std::mktime(&tm)) - std::time(nullptr);
}

void ShiftClockBy(Printer &p, int minutes) {
    Offset(p) += int64_t{minutes} * 60;
}

int ReceiptCounter(const Printer &) {
    return 0;
}

std::array<int64_t, 7> DayTotals(const Printer &) {
    return {};
}

void CloseSalesDay(Printer &) {}

std::string UniqueNumber(const Printer &) {
    return "ABC12345678";
}

void SetRates(Printer &, const std::array<int, 7> &) {}

} // namespace darvosim
