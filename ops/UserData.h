// The user data: the receipt header the printer prints (four lines, six on
// a PEXA), which holds the user's NIP.
#pragma once

#include "darvodr/Service.h"

#include <cstdint>
#include <string>

namespace darvo::ops {

// Lines 1..6 at [0..5], Windows-1250.
using UserDataLines = darvo::UserDataLines;

// Reads `lineCount` lines; bit (i - 1) of `flags` is line i's own flag.
int32_t ReadUserData(int lineCount, UserDataLines &lines, uint8_t &flags);
// Writes line 1..6: attribute bit 0 set a 20-character line, clear a
// 40-character one; bit 1 the line's flag.
int32_t WriteUserData(uint8_t line, uint8_t attribute, const std::string &cp1250);
// The control printout of the header: with 4 lines, of the lines given;
// with any other count, of the lines the printer keeps.
int32_t PrintUserDataCheck(int lineCount, const UserDataLines &lines);
// Whether the printer works in fiscal mode (not training mode).
int32_t ReadFiscalMode(bool &fiscal);

} // namespace darvo::ops
