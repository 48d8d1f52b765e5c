// The service's settings: one JSON file (/etc/darvo/service.json when
// installed), every setting also a flag, a flag winning over the file.
//
//   {"listen": "127.0.0.1:8787",
//    "printers": {"till": "COM1", "kitchen": "/dev/ttyUSB0:19200"},
//    "journal": "/var/lib/darvo/journal.db", "tokens": "/etc/darvo/tokens",
//    "timeout_ms": 5000, "max_body_bytes": 1048576, "queue_limit": 16, "http_threads": 64}
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace darvo::service {

struct PrinterSetting {
    std::string name; // [A-Za-z0-9_-], 1..32 characters
    std::string port; // COMn or a device path
    int speed = 9600;
};

struct Settings {
    std::string listen = "127.0.0.1:8787";
    std::vector<PrinterSetting> printers;
    std::string journal; // empty: $STATE_DIRECTORY/journal.db (systemd)
    std::string tokens;  // empty: $CREDENTIALS_DIRECTORY/tokens (systemd)
    int timeoutMs = 5000;
    size_t maxBodyBytes = 1 << 20;
    int queueLimit = 16;         // jobs waiting per printer before 503
    int httpThreads = 64;        // connections served at once
    int settleIntervalMs = 5000; // how often an unsettled receipt is tried again
};

// "till=COM1", "till=/dev/ttyUSB0:19200" (the speed after the last ':').
bool ParsePrinter(std::string_view text, PrinterSetting &printer, std::string &error);
// "127.0.0.1:8787", "[::1]:8787", "0.0.0.0:8787".
bool ParseListen(std::string_view text, std::string &host, int &port, std::string &error);
// The JSON text of a configuration file into `settings` (its settings only).
bool ParseConfig(std::string_view json, Settings &settings, std::string &error);
bool LoadConfig(const std::string &path, Settings &settings, std::string &error);
// The settings as a whole: a printer at least, names unique, the journal
// and tokens given or found from systemd, values in range.
bool CheckSettings(Settings &settings, std::string &error);

} // namespace darvo::service
