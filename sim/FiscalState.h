// The printer's fiscal memory and configuration: daily report records,
// user data (the receipt header), settings, service dates, the customer
// display picture and advertising lines.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace darvosim {

// A calendar date with a two-digit year of the 2000s.
struct Date {
    int year = 0; // 0..99
    int month = 0;
    int day = 0;
    bool operator==(const Date &) const = default;
    int Key() const { return year * 10000 + month * 100 + day; }
    bool Valid() const;
    bool Empty() const { return year == 0 && month == 0 && day == 0; }
};

// One daily report as the fiscal memory keeps it.
struct DailyRecord {
    int number = 0;
    Date date;
    int receipts = 0;                // receipts issued that day
    std::array<int64_t, 7> totals{}; // sales per rate A..G, hundredths
    bool operator==(const DailyRecord &) const = default;
};

struct UserLine {
    uint8_t attribute = 0; // bit 0: 20-character line (clear: 40); bit 1: the line's flag
    std::string text;      // as stored by the printer (code page 852), 20 or 40 characters
    bool operator==(const UserLine &) const = default;
};

constexpr int kDisplayRows = 64;
constexpr int kDisplayRowBytes = 25; // 24 bytes of pixels and their XOR
constexpr int kAdvertLines = 3;
constexpr int kAdvertLineLength = 40;
constexpr int kSettingsGroups = 5;
// The character the fiscalisation frame repeats in its first six bytes: the
// printer takes command 114 only behind six of them, so that no stray byte
// sequence can switch it into fiscal mode.
constexpr uint8_t kFiscalisationFieldChar = 'F';
constexpr int kMaxMemoryTests = 255;

struct FiscalState {
    std::vector<DailyRecord> records; // the fiscal memory, in report order

    // Fiscalisation and settlement.
    std::array<int, 7> fiscalisedRates{}; // rates written at fiscalisation
    bool settled = false;                 // settlement report printed (read-only from then on)
    // Fiscal memory tests made: each writes to the fiscal memory, which
    // holds room for 255 of them.
    int memoryTests = 0;

    // Clock shift: allowed after a daily report, once per day.
    bool clockShiftAllowed = false;
    Date lastClockShift; // the day of the last shift (empty: none)

    // Receipt header: lines 1..6 at [0..5].
    std::array<UserLine, 6> userData{};
    uint8_t rounding = 0;
    std::array<std::array<uint8_t, 3>, kSettingsGroups> settings{
        {{0x00, 0x00, 0x00}, {0x00, 0x00, 0x00}, {0x00, 0x00, 0x00}, {46, 30, 0}, {12, 8, 8}}};
    Date euroDate;
    Date serviceDate;
    uint8_t lockReason = 0;     // answer of command 96
    uint8_t secondState = 0;    // answer of command 94
    bool cp1250Adverts = false; // command 195 bit 3: takes Windows-1250 text as it is

    // Customer display picture; a complete new picture waits to be printed
    // on the next daily report.
    std::array<std::array<uint8_t, kDisplayRowBytes>, kDisplayRows> display{};
    bool displayLoaded = false;
    bool displayPending = false;
    int displayNextRow = 0; // row a transfer expects next
    std::array<std::array<uint8_t, kDisplayRowBytes>, kDisplayRows>
        displayBefore{}; // at the transfer's start

    // Advertising lines: attribute bit 0 set when the line holds text.
    std::array<UserLine, kAdvertLines> adverts{};
    bool advertsPending = false;
    int advertNextLine = 0;
    std::array<UserLine, kAdvertLines> advertsBefore{};

    // Names-and-rates base: control printout since the last daily report.
    bool namesPrintOpen = false;
    bool namesPrinted = false;
    std::vector<uint8_t> namesItem; // bytes of the item being received
    int namesItems = 0;

    int clockInitProgressSteps = 16; // progress bytes a PEXA sends while erasing

    // The state file in use (empty: none) and the text last written to it.
    std::string statePath;
    std::string savedState;
};

class Printer;
// Bytes the host sends outside any frame (the names-and-rates control
// printout's items).
void LooseByte(Printer &p, uint8_t byte);
// Run after every command the printer served: saves the state file (when
// one is in use) if the command changed the state.
void AfterCommand(Printer &p);

} // namespace darvosim
