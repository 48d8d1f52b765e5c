// The printer's settings: its cash register number, the lines it feeds,
// its rounding, the euro and next service dates, and the PEXA printers'
// settings groups (the line speed among them).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

namespace darvo::ops {

// Cash register number and operator code: the first two characters of each
// (Windows-1250, padded with blanks) go to the printer as they are.
int32_t WritePrinterNumber(const std::string &cashRegisterNumber, const std::string &operatorCode);
// The lines fed after a printout.
int32_t ReadFeedLines(int32_t &lines);
int32_t WriteFeedLines(uint8_t lines);
int32_t ReadRounding(int32_t &mode);
int32_t WriteRounding(uint8_t mode);

// The euro introduction date or the date of the next periodic service, as
// years after 2000, months and days (all 0: none is set).
enum class ServiceDateKind : uint8_t { Euro = 0, NextService = 1 };
int32_t ReadServiceDate(ServiceDateKind which, uint8_t &year, uint8_t &month, uint8_t &day);
int32_t WriteServiceDate(ServiceDateKind which, uint8_t year, uint8_t month, uint8_t day);

// The settings groups 0..4 of a PEXA printer, three bytes each.
using SettingsValues = std::array<uint8_t, 3>;
using SettingsGroups = std::array<SettingsValues, 5>;
// The flags of group 0, byte 1.
constexpr uint8_t kOneLinePrintout = 0x01;
constexpr uint8_t kNoLeadingZeros = 0x02;
constexpr uint8_t kPositiveDisplay = 0x04;
constexpr uint8_t kCodePage1250 = 0x08;
inline void SetFlag(uint8_t &byte, uint8_t flag, bool on) {
    byte = static_cast<uint8_t>(on ? byte | flag : byte & ~flag);
}

// The line speed the groups select (28800 wins over 19200), and the groups
// with another speed put in.
uint16_t SpeedOfGroups(const SettingsGroups &groups);
void PutSpeed(SettingsGroups &groups, uint16_t speed);

int32_t ReadSettingsGroup(uint8_t group, SettingsValues &values);
// Groups 0..4 in order; the code of the first that fails.
int32_t ReadSettingsGroups(SettingsGroups &groups);
// Writes groups 4 and 3, then the groups that select the speed. The printer
// takes a new speed as soon as a group selecting it is written: `reopen`
// (the port at the new speed) follows at once, so that the next group
// reaches the printer at the speed it now listens at. `current` is the
// speed the printer's groups select now. The driver's code of the write
// that failed; 0 with `reopened` false when `reopen` failed (it has said
// why), and nothing more is written.
int32_t WriteSettingsGroups(const SettingsGroups &groups, uint16_t current,
                            const std::function<bool(uint16_t speed)> &reopen, bool &reopened);

} // namespace darvo::ops
