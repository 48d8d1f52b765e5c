#include "Settings.h"

#include "darvodr/Service.h"

#include <vector>

namespace darvo::ops {

namespace {
constexpr uint8_t kSpeed19200 = 0x20; // group 0, byte 1
constexpr uint8_t kSpeed28800 = 0x01; // group 2, byte 3
} // namespace

int32_t WritePrinterNumber(const std::string &cashRegisterNumber, const std::string &operatorCode) {
    return darvo::WritePrinterNumber(cashRegisterNumber, operatorCode);
}

int32_t ReadFeedLines(int32_t &lines) {
    return darvo::ReadFeedLines(lines);
}

int32_t WriteFeedLines(uint8_t lines) {
    return darvo::WriteFeedLines(lines);
}

int32_t ReadRounding(int32_t &mode) {
    return darvo::ReadRounding(mode);
}

int32_t WriteRounding(uint8_t mode) {
    return darvo::WriteRounding(mode);
}

int32_t ReadServiceDate(ServiceDateKind which, uint8_t &year, uint8_t &month, uint8_t &day) {
    return darvo::ReadServiceDate(static_cast<uint8_t>(which), year, month, day);
}

int32_t WriteServiceDate(ServiceDateKind which, uint8_t year, uint8_t month, uint8_t day) {
    return darvo::WriteServiceDate(static_cast<uint8_t>(which), year, month, day);
}

uint16_t SpeedOfGroups(const SettingsGroups &g) {
    if (g[2][2] & kSpeed28800) return 28800;
    if (g[0][0] & kSpeed19200) return 19200;
    return 9600;
}

void PutSpeed(SettingsGroups &g, uint16_t speed) {
    switch (speed) {
    case 19200:
        SetFlag(g[0][0], kSpeed19200, true);
        SetFlag(g[2][2], kSpeed28800, false);
        break;
    case 28800: SetFlag(g[2][2], kSpeed28800, true); break;
    default:
        SetFlag(g[0][0], kSpeed19200, false);
        SetFlag(g[2][2], kSpeed28800, false);
        break;
    }
}

int32_t ReadSettingsGroup(uint8_t group, SettingsValues &values) {
    return darvo::ReadSettingsGroup(group, values);
}

int32_t ReadSettingsGroups(SettingsGroups &groups) {
    for (uint8_t g = 0; g < groups.size(); ++g)
        if (int32_t code = darvo::ReadSettingsGroup(g, groups[g]); code != 0) return code;
    return 0;
}

int32_t WriteSettingsGroups(const SettingsGroups &groups, uint16_t current,
                            const std::function<bool(uint16_t speed)> &reopen, bool &reopened) {
    reopened = true;
    const uint16_t wanted = SpeedOfGroups(groups);
    // A group number, or kReopen for the port at the new speed.
    constexpr int kReopen = -1;
    std::vector<int> order;
    if (wanted == current)
        order = {4, 3, 0};
    else if (current == 28800)
        order = {4, 3, 0, 2, kReopen, 0};
    else if (wanted == 28800)
        order = {4, 3, 2, kReopen, 0};
    else
        order = {4, 3, 0, kReopen};
    for (int step : order) {
        if (step == kReopen) {
            if (!reopen || !reopen(wanted)) {
                reopened = false;
                return 0;
            }
            continue;
        }
        const auto g = static_cast<uint8_t>(step);
        if (int32_t code = darvo::WriteSettingsGroup(g, groups[g]); code != 0) return code;
    }
    return 0;
}

} // namespace darvo::ops
