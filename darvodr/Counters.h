// Counters, totals, clock, unique number, line feed and drawer.
// Driver-internal; the user program, other operations and the tests use it.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace darvo {

// The common first step of these operations: the progress text (UTF-8 source
// text, none when null), the session start, and 200 while a receipt is open.
int32_t OperationPrologue(const char *progressUtf8, bool checkPrinter, bool refuseOpenReceipt);

// Receipts since the last daily report (commands 102, then 247 on PEXA).
int32_t ReadLastReceiptNumber(int32_t &number);

// The seven sales totals since the daily report (rates A..G, hundredths of
// the currency unit, command 218); 224 on the printers that keep none.
int32_t ReadSalesTotals(std::array<int64_t, 7> &totals);

// The clock as "2008.02.07" and "14:05" (":30" added on the newer printers,
// command 64), after reading the device type; 23 for a digit byte above 9.
int32_t ReadClockTexts(std::string &date, std::string &time);
// The clock by command 53 as "08.02.07;14:05".
int32_t ReadShortClock(std::string &text);

} // namespace darvo
