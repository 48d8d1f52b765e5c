// State of the user program shared by the main window, its menu commands and
// the dialogs. Nothing of it is stored between runs.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// Serial port number; 0 = not given.
extern uint8_t SelectedPort;
// Transmission speed in b/s (9600, 19200 or 28800); 0 = not given.
extern uint16_t SelectedSpeed;
// True until the main window's first activation has run.
extern bool FirstActivation;
// Set false before the clock initialisation is run from the communication
// dialog; the clock dialog sets it true after every attempt it made.
extern bool ClockInitialised;

// ---- The service menu ----
// The device type as last read by the user data command or the
// fiscalisation; the user data dialog chooses its layout from it.
extern uint8_t ServiceDeviceType;
// Set while a periodic report dialog (by dates or by numbers) is shown for
// the settlement report: the dialog then prints nothing, stores its range in
// SettlementRange and closes with Yes (6).
extern bool SettlementRangeMode;
// The range that dialog stored. By dates: the first and the last date as six
// digit values each (Y1 Y2 M1 M2 D1 D2, two-digit year). By numbers: the
// first and the last daily report number as two 16-bit little-endian values
// in bytes 0..3 (the rest 0).
extern uint8_t SettlementRange[12];
// Set while the tax-rate dialog is shown by the fiscalisation: the dialog
// then writes nothing, leaves the seven rates in FiscalisationRates and
// closes with Yes (6).
extern bool RatesCollectOnly;
// The rates A..G for the fiscalisation, in hundredths of a percent;
// 10000 = exempt, 25500 = not in use.
extern std::array<int32_t, 7> FiscalisationRates;

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
