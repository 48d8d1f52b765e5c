// Reading the printer's status, and the questions the programs ask of it
// before they print.
#pragma once

#include "ops/StatusBits.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace darvo::ops {

struct Status {
    int count = 0;                  // bytes read: 4, 6 or 7
    std::array<uint8_t, 9> bytes{}; // bytes[1..8]
    bool hasByte8 = false;
    StatusBits bits;
};

// The status bytes (commands 155, 148, 149, 150, then 151..153 on the
// printers that have them); the driver's code.
int32_t ReadStatus(Status &status);

// What keeps a printer from printing, the most pressing when several hold:
// the paper, a printer failure, its controller, the main battery, the
// programming voltage of the fiscal memory, read-only mode, the CMOS memory.
enum class PrintBlocker {
    None,
    CmosErased,
    ReadOnly,
    NoProgrammingVoltage,
    NoController,
    PrinterFailure,
    NoPaper,
    LowBattery
};
PrintBlocker PrintBlockerOf(const StatusBits &bits);

// Every status bit that is set, in the printer's words (UTF-8).
std::vector<std::string> StatusTexts(const std::array<uint8_t, 9> &bytes, int count, bool hasByte8,
                                     int deviceType);

} // namespace darvo::ops
