// The printer's sales state: tax rates, the receipt in progress, counters,
// totals, clock, drawers. Plain fields: the daily report zeroes the counter
// and the totals, tests set and read them directly (under Printer::mutex).
#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace darvosim {

constexpr int32_t kRateExempt = 10000; // hundredths of a percent
constexpr int32_t kRateUnused = 25500;

// One line of the receipt in progress, as the printer accepted it.
struct SaleLine {
    bool cancellation = false;
    std::string name; // UTF-8, trailing blanks removed
    int rate = 1;     // 1..7 (A..G)
    uint32_t quantity = 0;
    int decimals = 0;
    std::string unit;
    uint32_t price = 0;
    uint32_t value = 0;
};

struct SalePayment {
    bool used = false;
    std::string name; // UTF-8
    uint32_t first = 0;
    uint32_t second = 0;
};

struct SalesState {
    // Rates A..G in hundredths of a percent; kRateExempt, kRateUnused. A
    // printer holds only as many as its family (4, 6 or 7).
    std::array<int32_t, 7> rates{2300, 800, 500, 0, kRateExempt, kRateUnused, kRateUnused};

    // The receipt in progress.
    bool receiptOpen = false;
    std::vector<SaleLine> lines;
    std::array<int64_t, 7> receiptSums{}; // per rate, hundredths
    int discount = 0;                     // percent, 0: none
    bool totalGiven = false;
    uint32_t totalGivenValue = 0;
    std::array<SalePayment, 4> payments{};
    std::vector<std::string> extraLines; // UTF-8, printed after the receipt
    // What the printer found wrong in the last refused receipt (for tests).
    std::string lastRefusal;

    // Since the last daily report.
    int receiptCounter = 0;
    std::array<int64_t, 7> totals{}; // sales per rate, hundredths (40 bits on the wire)

    int receiptNumber = 0; // running number printed on each receipt
    int dailyReportNumber = 0;
    std::string cashRegister = "01"; // two ASCII digits
    std::string operatorCode = "01"; // two characters
    std::string uniqueNumber = "ABC12345678";
    uint8_t lineFeed = 3;
    std::array<int, 3> drawerOpenings{};
    bool euroPending = false; // PEXA: the euro changeover is due

    // Clock: the host's clock shifted by an offset, or stopped at a time.
    int64_t clockOffsetSeconds = 0;
    bool clockStopped = false;
    int64_t clockStoppedAt = 0; // seconds since the epoch, local broken-down form
};

struct ClockReading {
    int year = 0; // four digits
    int month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// The printer's clock now.
ClockReading SalesClock(const SalesState &s);
// Sets the clock; `stopped` keeps it at that time (for repeatable tests).
void SetSalesClock(SalesState &s, const ClockReading &t, bool stopped = false);

// Zeroes the receipt counter and the totals, as a daily report does.
void EndSalesDay(SalesState &s);

// How many rates a printer of this device type holds: 4, 6 or 7.
int RateFamily(int deviceType);
// Fewest significant characters the printer takes in an article name.
int MinNameCharacters(int deviceType);
// Code page 852 text to UTF-8 (the Polish letters; other bytes above 0x7F become '?').
std::string Cp852ToUtf8(const std::string &text);
// Hundredths as "12,34".
std::string Amount(int64_t hundredths);

} // namespace darvosim
