// Service and configuration commands used by the user program's menus and
// dialogs: cash register number, feed lines, rounding, tests, clock shift
// and initialisation, euro and service dates, lock reasons, settings groups,
// the customer-display picture, advertising lines, user data (the receipt
// header), the names-and-rates control printout and power-off.
// Driver-internal; the user program and the tests use it as well.
//
// Texts are Windows-1250 bytes; the driver converts them for the printer.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace darvo {

constexpr uint8_t kEuroDate = 0;    // which date: the euro introduction date
constexpr uint8_t kServiceDate = 1; // which date: the next service date

constexpr int kAdvertLineLength = 40;

// The fiscalisation frame (command 114, built by the user program) begins
// with this character six times.
constexpr uint8_t kFiscalisationFieldChar = 'F';
constexpr int kUserDataLines = 6;
using UserDataLines = std::array<std::string, kUserDataLines>; // lines 1..6 at [0..5]
using SettingsValues = std::array<uint8_t, 3>;

// Cash register number and operator code: the first two characters of each
// (padded with blanks) go to the printer as they are.
int32_t WritePrinterNumber(const std::string &cashRegisterNumber, const std::string &operatorCode);
// Lines fed after a printout (PEXA models: command 237, others: 70).
int32_t WriteFeedLines(uint8_t lines);
int32_t ReadFeedLines(int32_t &lines);
int32_t WriteRounding(uint8_t mode);
int32_t ReadRounding(int32_t &mode);
int32_t FixedDescriptionsReport();
int32_t DisplayTest(uint8_t pattern);
int32_t ClearPriceBuffer();
int32_t EpromTest();
// fiscal := 1 in fiscal mode, 0 in training mode.
int32_t IsFiscalMode(int32_t &fiscal);
int32_t PowerOff();
// Shifts the clock by up to 99 minutes, forward (direction 1) or back (0),
// only with a zero receipt counter (right after a daily report).
int32_t ShiftClock(uint8_t direction, uint8_t minutes);
// Initialises the clock after the CMOS memory was cleared (two-digit year).
// PEXA printers then erase their memory and report progress through
// Host().ClockInitProgress.
int32_t InitClock(uint8_t year, uint8_t month, uint8_t day, uint8_t hour, uint8_t minute, uint8_t second);
// Euro (kEuroDate) or next service (kServiceDate) date, two-digit year.
int32_t ReadServiceDate(uint8_t which, uint8_t &year, uint8_t &month, uint8_t &day);
int32_t WriteServiceDate(uint8_t which, uint8_t year, uint8_t month, uint8_t day);
int32_t ReadLockReasons(uint8_t &secondState, uint8_t &lockReason);
// Settings groups 0..4 of the newer printers: three bytes each.
int32_t ReadSettingsGroup(uint8_t group, SettingsValues &values);
int32_t WriteSettingsGroup(uint8_t group, const SettingsValues &values);
// Customer-display picture: 64 rows of 25 bytes, sent from
// Host().DisplayBuffer() and read into Host().DisplayReadBuffer() (24 bytes
// per row at offsets 1..24). A transfer stops at the first refused row.
int32_t WriteDisplayData();
int32_t ReadDisplayData();
int32_t EraseDisplayData();
// Advertising lines: 40 characters (a shorter text is padded with blanks).
int32_t WriteAdvertLines(uint8_t line, const std::string &text);
int32_t ReadAdvertLines(uint8_t line, std::string &text, uint8_t &attribute);
int32_t EraseAdvertLines();
// User data (the receipt header). `lineCount` 1..6; flags bit (i - 1) is
// the per-line flag (attribute bit 1) of line i. Attribute bit 0 set: a
// 20-character line, clear: a 40-character line.
int32_t ReadUserData(int lineCount, UserDataLines &lines, uint8_t &flags);
int32_t WriteUserData(uint8_t line, uint8_t attribute, const std::string &text);
// Control printout of the receipt header: with 4 lines, of the lines given
// (a line of up to 20 characters goes as a 20-character line, a longer one
// as a 40-character line, blank-padded or cut); with any other count, of
// the lines stored in the printer.
int32_t PrintUserDataCheck(int lineCount, const UserDataLines &lines);
// Control printout of the names-and-rates base: Begin, one Item per
// article (name of 28 characters, rate code), End.
int32_t NamesBasePrintBegin();
int32_t NamesBasePrintItem(const std::string &name, uint8_t rateCode);
int32_t NamesBasePrintEnd();

} // namespace darvo
