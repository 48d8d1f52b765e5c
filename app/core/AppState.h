// State of the user program shared by the main window, its menu commands and
// the dialogs. Nothing of it is stored between runs.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Serial port number; 0 = not given.
extern uint8_t SelectedPort;
// Transmission speed in b/s (9600, 19200 or 28800); 0 = not given.
extern uint16_t SelectedSpeed;
// True until the main window's first activation has run.
extern bool FirstActivation;

constexpr int32_t kExempt = 10000;  // "ZWOLNIONA"
constexpr int32_t kReserve = 25500; // "REZERWA"

// The modal result of a dialog closed with "&Tak".
constexpr int kModalYes = 6;

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
