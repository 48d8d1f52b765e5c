// Erasing the printer's base of article names and rates, which it allows
// after a daily report and a control printout of the base made by the
// point-of-sale program.
#pragma once

#include "ops/StatusBits.h"

#include <cstdint>
#include <string>

namespace darvo::ops {

// What the status says against the erase, the first that holds in this
// order (the receipt counter is asked apart).
enum class NamesEraseBlocker { None, NoUserData, ServiceJumperSet };
NamesEraseBlocker NamesEraseBlockerOf(const StatusBits &bits);

// The printer takes the erase only with the sum of the 11th and 12th
// characters of its unique number ("ABC 12345678"); false when the number
// is shorter.
bool NamesEraseConfirmation(const std::string &unique, uint8_t &confirmation);

// Sends the erase (command 92) and reads the printer's byte: kAccepted
// (then, on a PEXA, its progress: FollowProgress), kRefused, or anything
// else. The driver's code; its NAK code when the printer refuses the frame.
int32_t EraseNamesBase(uint8_t confirmation, uint8_t &result);

} // namespace darvo::ops
