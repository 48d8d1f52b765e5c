// What the user program's parts share without state: the rate markers, the
// dialogs' "&Tak" result, the program's clock, the command line and the
// speed choice.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

constexpr int32_t kExempt = 10000;  // "ZWOLNIONA"
constexpr int32_t kReserve = 25500; // "REZERWA"

// Today as the program sees it (the monthly report's preset month); tests
// put in a fixed date. An empty function restores the system clock.
class QDateTime;
QDateTime CurrentDateTime();
void SetCurrentDateTimeSource(std::function<QDateTime()> source);

struct CommandLine {
    uint8_t port = 0;   // 1..9, 0 when no argument named a port
    uint16_t speed = 0; // 9600, 19200, 28800, 0 when no argument named a speed
};

// Reads the port ("COM1".."COM9", any letter case) and the speed ("9600",
// "19200", "28800") from the arguments, in any order; the first argument
// that names each wins, everything else is ignored.
CommandLine ParseCommandLine(const std::vector<std::string> &arguments);

// Speed of item i of the speed choice, and the item of a speed (0 for an
// unknown speed).
inline uint16_t SpeedOfItem(int item) {
    return static_cast<uint16_t>(9600 * (item + 1));
}
inline int ItemOfSpeed(uint16_t speed) {
    switch (speed) {
    case 19200: return 1;
    case 28800: return 2;
    default: return 0;
    }
}
