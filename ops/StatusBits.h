// The status bits a program acts on, by name, from the printer's status
// bytes (1 to 8, as the driver reads them).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace darvo::pos {

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

// `count` bytes read (4, 6 or 7); bytes[1..8].
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

} // namespace darvo::pos
