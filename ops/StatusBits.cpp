#include "StatusBits.h"

namespace darvo::pos {

StatusFlags DecodeStatus(const std::array<uint8_t, 9> &b, int count) {
    auto bit = [&b](int byte, int n) { return (b[static_cast<size_t>(byte)] >> n & 1) != 0; };
    StatusFlags f;
    f.makerData = bit(1, 0);
    f.userData = bit(1, 1);
    f.readOnly = bit(1, 2);
    f.fiscal = bit(1, 3);
    f.fiscalMemoryLow = bit(2, 2);
    f.dailyReportMissing = bit(2, 3);
    f.cmosErased = bit(2, 4);
    f.noController = bit(2, 7);
    if (!f.noController) {
        f.printing = bit(3, 0);
        f.paperOut = bit(3, 1);
        f.printerFailure = bit(3, 2);
        f.batteryLow = bit(3, 3);
        f.receiptMemoryLow = bit(3, 5);
        f.printoutStopped = bit(3, 6);
        f.serviceJumper = bit(4, 6);
    }
    if (count > 4) {
        f.noMainsPower = bit(5, 0);
        if (!f.noController) {
            f.paperOut = f.paperOut || bit(5, 2) || bit(5, 3);
            f.headRaised = bit(5, 4) || bit(5, 5);
        }
        f.noProgrammingVoltage = bit(5, 6);
    }
    if (count > 6) f.batteryLow = f.batteryLow || bit(7, 0) || bit(7, 1);
    return f;
}

const std::vector<std::string> &ConditionNames() {
    static const std::vector<std::string> names = {
        "paper_out",         "head_raised",       "printer_failure",
        "no_controller",     "fiscal_memory_low", "daily_report_missing",
        "cmos_erased",       "read_only",         "printout_stopped",
        "battery_low",       "no_mains_power",    "service_jumper",
        "no_user_data",      "no_maker_data",     "no_programming_voltage",
        "receipt_memory_low"};
    return names;
}

std::vector<std::string> Conditions(const StatusFlags &f) {
    const bool held[] = {f.paperOut,        f.headRaised,         f.printerFailure,       f.noController,
                         f.fiscalMemoryLow, f.dailyReportMissing, f.cmosErased,           f.readOnly,
                         f.printoutStopped, f.batteryLow,         f.noMainsPower,         f.serviceJumper,
                         !f.userData,       !f.makerData,         f.noProgrammingVoltage, f.receiptMemoryLow};
    std::vector<std::string> out;
    for (size_t i = 0; i < ConditionNames().size(); ++i)
        if (held[i]) out.push_back(ConditionNames()[i]);
    return out;
}

} // namespace darvo::pos
