// The port and the printer on it: which ports there are, opening and
// closing, the time-outs of the long waits, and which printer answers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace darvo::ops {

// A serial port COM<port> at a speed in b/s; 0 where none is chosen.
struct PortChoice {
    uint8_t port = 0;
    uint16_t speed = 0;
};

// The port numbers 1..255 that can be opened now, in order.
std::vector<unsigned> OpenablePorts();
// Whether the driver's port is open.
bool PortOpen();
// Drops what waits in the port, both ways.
void PurgePort();
// Lets go of the port: what waits in it is dropped and it is closed.
void ReleasePort();

// OpenPort with the usual time-outs; the driver's code.
int32_t OpenPort(const PortChoice &choice);
// Closes the port in use, then opens the chosen one with the usual
// time-outs. No port chosen (0) is refused with 114 without opening one.
int32_t ReopenPort(const PortChoice &choice);
// Lets go of the port and opens the chosen one with the read time-out a
// period report needs (the printer searches its fiscal memory before it
// answers); 114 for no port.
int32_t ReopenForPeriodReport(const PortChoice &choice);

// The usual time-outs of the port again, after a long wait.
void UsualTimeouts();
// The usual write time-out and a read time-out of `seconds`.
void LongReadTimeout(uint16_t seconds);
// The read time-out of a period report (90 s).
void PeriodReportTimeout();

// Asks the printer its device type and keeps it as the driver's own (the
// one DeviceName names and the operations go by).
int32_t Identify(uint8_t &type);
// Asks the printer its device type (and its program's version) without
// keeping it.
int32_t ReadDeviceType(uint8_t &type);
int32_t ReadDeviceType(uint8_t &type, int32_t &version);
// The model's name for a device type, in UTF-8.
std::string ModelName(uint8_t type);

// One question to the printer with no parameters: command `command`, whose
// answer has `answerLength` data bytes. `answer` gets every byte the
// printer sent (an accepted command's acknowledgement first, then the data
// bytes as far as they came). The driver's code. Nothing guards the
// command: the caller asks only those that read.
int32_t Question(uint8_t command, uint8_t answerLength, std::vector<uint8_t> &answer);
// The device type the driver identified last; 9 for none.
uint8_t IdentifiedType();

// The reasons a PEXA printer locked itself (command 225): a byte of bits,
// 0 when it is not locked.
int32_t ReadLockReasons(uint8_t &reasons);

// The driver's text for a result code, in UTF-8; for a port refused
// because the port map is damaged, the port layer's own text, which names
// the file and its bad line.
std::string ErrorText(int32_t code);

} // namespace darvo::ops
