// The printer's status bytes (1 to 8, as the driver reads them) by name:
// every bit a program acts on exactly as the printer sends it (StatusBits),
// and what a shop makes of them (StatusFlags and the conditions by stable
// names), decoded in this one place.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace darvo::ops {

struct StatusBits {
    // Byte 1.
    bool makerData = false, userData = false, readOnly = false, fiscal = false;
    // Byte 2.
    bool fiscalMemoryLow = false, dailyReportMissing = false, cmosErased = false, noController = false;
    // Byte 3.
    bool printing = false, paperOut = false, printerFailure = false, batteryLow = false,
         receiptMemoryLow = false, printoutStopped = false;
    // Byte 4.
    bool drawerClosed = false, serviceJumper = false;
    // Byte 5 (a status of 6 or 7 bytes).
    bool noMainsPower = false, originalPaperOut = false, copyPaperOut = false, originalHeadRaised = false,
         copyHeadRaised = false, noProgrammingVoltage = false;
    // Byte 7 (a status of 7 bytes).
    bool noMainBattery = false, mainBatteryLow = false;
};

// `count` bytes read (4, 6 or 7); bytes[1..8]. The bits of bytes 5 and 7
// are false when the printer did not send them.
StatusBits BitsOf(const std::array<uint8_t, 9> &bytes, int count);

struct StatusFlags {
    // Byte 1.
    bool makerData = false, userData = false, readOnly = false, fiscal = false;
    // Byte 2.
    bool fiscalMemoryLow = false, dailyReportMissing = false, cmosErased = false, noController = false;
    // Byte 3 (meaningless without the controller).
    bool printing = false, paperOut = false, printerFailure = false, batteryLow = false,
         receiptMemoryLow = false, printoutStopped = false;
    // Byte 4.
    bool serviceJumper = false;
    // Bytes 5 and 7 (the newer printers).
    bool noMainsPower = false, headRaised = false, noProgrammingVoltage = false;
};

// What the bits mean together: the printer's bits are cleared without the
// controller, paper out of either printer and a low battery of either kind
// each count once.
StatusFlags DecodeStatus(const std::array<uint8_t, 9> &bytes, int count);

// The conditions a shop must act on, each by a stable name:
// "paper_out", "head_raised", "printer_failure", "no_controller",
// "fiscal_memory_low", "daily_report_missing", "cmos_erased", "read_only",
// "printout_stopped", "battery_low", "no_mains_power", "service_jumper",
// "no_user_data", "no_maker_data", "no_programming_voltage",
// "receipt_memory_low". All of them, set or not, in this order.
const std::vector<std::string> &ConditionNames();
// The names of those that hold.
std::vector<std::string> Conditions(const StatusFlags &flags);

} // namespace darvo::ops
