#include "StatusBits.h"

namespace darvo::ops {

StatusBits BitsOf(const std::array<uint8_t, 9> &b, int count) {
    auto bit = [&b](int byte, int n) { return (b[static_cast<size_t>(byte)] >> n & 1) != 0; };
    StatusBits s;
    s.makerData = bit(1, 0);
    s.userData = bit(1, 1);
    s.readOnly = bit(1, 2);
    s.fiscal = bit(1, 3);
    s.fiscalMemoryLow = bit(2, 2);
    s.dailyReportMissing = bit(2, 3);
    s.cmosErased = bit(2, 4);
    s.noController = bit(2, 7);
    s.printing = bit(3, 0);
    s.paperOut = bit(3, 1);
    s.printerFailure = bit(3, 2);
    s.batteryLow = bit(3, 3);
    s.receiptMemoryLow = bit(3, 5);
    s.printoutStopped = bit(3, 6);
    s.drawerClosed = bit(4, 3);
    s.serviceJumper = bit(4, 6);
    if (count > 4) {
        s.noMainsPower = bit(5, 0);
        s.originalPaperOut = bit(5, 2);
        s.copyPaperOut = bit(5, 3);
        s.originalHeadRaised = bit(5, 4);
        s.copyHeadRaised = bit(5, 5);
        s.noProgrammingVoltage = bit(5, 6);
    }
    if (count > 6) {
        s.noMainBattery = bit(7, 0);
        s.mainBatteryLow = bit(7, 1);
    }
    return s;
}

StatusFlags DecodeStatus(const std::array<uint8_t, 9> &bytes, int count) {
    const StatusBits s = BitsOf(bytes, count);
    StatusFlags f;
    f.makerData = s.makerData;
    f.userData = s.userData;
    f.readOnly = s.readOnly;
    f.fiscal = s.fiscal;
    f.fiscalMemoryLow = s.fiscalMemoryLow;
    f.dailyReportMissing = s.dailyReportMissing;
    f.cmosErased = s.cmosErased;
    f.noController = s.noController;
    if (!f.noController) {
        f.printing = s.printing;
        f.paperOut = s.paperOut || s.originalPaperOut || s.copyPaperOut;
        f.printerFailure = s.printerFailure;
        f.receiptMemoryLow = s.receiptMemoryLow;
        f.printoutStopped = s.printoutStopped;
        f.serviceJumper = s.serviceJumper;
        f.headRaised = s.originalHeadRaised || s.copyHeadRaised;
        f.batteryLow = s.batteryLow;
    }
    f.batteryLow = f.batteryLow || s.noMainBattery || s.mainBatteryLow;
    f.noMainsPower = s.noMainsPower;
    f.noProgrammingVoltage = s.noProgrammingVoltage;
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

} // namespace darvo::ops
