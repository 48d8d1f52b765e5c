// Which device a COM port number opens. In order:
//   1. the environment variable DARVO_COM<n> (read at each open);
//   2. the port map, one file for every program on the machine:
//      /etc/darvo/ports.conf, or the file named by DARVO_PORTS_FILE;
//   3. /dev/ttyS<n-1>.
//
// The port map has one "COM<n> = <device>" a line (n 1..255, the device an
// absolute path without blanks, preferably a /dev/serial/by-id/ name, which
// stays the same when the adapter is plugged in again). '#' at the start of
// a line or after a blank starts a comment; empty lines are skipped:
//
//   # the till's printer
//   COM1 = /dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0
//
// A missing file is no map. A file that cannot be read or that has a bad
// line (or names a port twice) opens no port at all, not even one it maps
// well: the error names the file and the line, and no port is taken for
// another.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace darvo {

constexpr const char *kPortMapFile = "/etc/darvo/ports.conf";

// The Win32-style code of an open refused for a damaged port map.
constexpr uint32_t ERR_BAD_CONFIGURATION = 1610;

// The port map in force: $DARVO_PORTS_FILE when set, else kPortMapFile.
std::string PortMapPath();

// Reads a port map's text into `ports` (port number -> device). On the first
// bad line returns false with `error` naming `fileName` and the line.
bool ParsePortMap(std::string_view text, const std::string &fileName, std::map<unsigned, std::string> &ports,
                  std::string &error);

struct PortDevice {
    std::string path;  // empty when error is set
    std::string error; // the port map is damaged or unreadable
};

// The device of port n, looked up in the order above.
PortDevice FindPortDevice(unsigned portNumber);

} // namespace darvo
