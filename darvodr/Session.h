// Session start, device identification, status bytes, print monitoring and
// error texts: the part of the protocol core every operation builds on.
// Driver-internal; the user program and the tests use it as well.
#pragma once

#include "Core.h"
#include "DeviceTypes.h"

#include <cstdint>
#include <string>

namespace darvo {

// Session globals (their values at load are set by the driver's initialisation).
extern int32_t SessionPort;       // 0: not set
extern int32_t SessionBaudRate;   // 9600
extern int32_t SessionTimeout;    // 5 s
extern bool SessionReady;         // true
extern uint8_t DeviceType;        // 9 until identified
extern uint16_t PortWriteTimeout; // 3 s
extern uint16_t PortReadTimeout;  // 5 s

// Set while a receipt is open (the receipt operations own it).
extern bool ReceiptOpen;
// Empties the per-receipt state (rate totals, payments, extra lines); run by
// every session start. Defined with the receipt operations.
void ResetReceiptState();

int32_t StartSession(int32_t port, bool checkPrinter);
// Starts the session when it is not ready (the operations' common first step).
int32_t EnsureSession(bool checkPrinter);
// The name DeviceName gives for a device type (Windows-1250), with no
// printer command; "NIEZNANE" above 9.
std::string DeviceNameOf(uint8_t deviceType);
int32_t ReadDeviceType(uint8_t &deviceType, int32_t &version);

struct StatusSet {
    int32_t count = 0;                              // 4, 6 or 7
    uint8_t bytes[9] = {0, 0, 0, 0, 0, 0, 0, 0, 0}; // bytes[1..8]
    bool hasByte8 = false;
};
int32_t ReadStatusBytes(StatusSet &status);
int32_t AwaitPrintEnd(int32_t mode);
// The work of the exported PrintControl and PrintResume, for driver code
// (the exported ones add only the exception guard and the trace line).
int32_t PrintMonitor(int32_t mode, uint8_t deviceType);
int32_t ResumePrintout();

// Shows a progress text written in UTF-8 through the host, as Windows-1250.
void ShowActivity(const char *utf8);

// The error text of a code, Windows-1250 bytes.
std::string ErrorText(int32_t code);

} // namespace darvo
