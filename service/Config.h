// The service's settings: one JSON file (/etc/darvo/service.json when
// installed), every setting also a flag, a flag winning over the file.
//
//   {"listen": "127.0.0.1:8787",
//    "printers": {"till": "COM1", "kitchen": "/dev/ttyUSB0:19200"},
//    "journal": "/var/lib/darvo/journal.db", "tokens": "/etc/darvo/tokens",
//    "timeout_ms": 5000, "max_body_bytes": 1048576, "queue_limit": 16, "http_threads": 64,
//    "request_timeout_ms": 10000, "journal_wait_ms": 5000}
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
    int queueLimit = 16;          // jobs waiting per printer before 503
    int httpThreads = 64;         // connections served at once (at least the printers' queues and more)
    int settleIntervalMs = 5000;  // how often an unsettled receipt is tried again
    int requestTimeoutMs = 10000; // a request's headers and body must arrive within it
    int journalWaitMs = 5000;     // a journal write waits this long for another program's lock
    int statusIntervalMs = 60000; // how often an idle printer's status is read for /metrics (0: never)
    // When the shop is open ("08:00-20:00", the till's local time; empty:
    // always), for the alert on a printer that is down.
    std::string openingHours;
    int pruneAfterDays = 0; // journal rows exported and older than this are removed (0: never)
    // Browser pages of other origins that may call the API ("https://pos.example.com",
    // "http://localhost:3000"); none by default, never "*".
    std::vector<std::string> allowedOrigins;
    // The web console's files (served at /, no token needed); empty: none.
    std::string webRoot;
    // The administrator's tokens file behind systemd's copy, checked as
    // well (empty: /etc/darvo/tokens when the tokens come from systemd).
    std::string tokensOrigin;

    // Connections served at once: every printer's queue full, its running
    // job and a status read, and more for everything else.
    size_t ConnectionCap() const;
};

// "till=COM1", "till=/dev/ttyUSB0:19200" (the speed after the last ':').
bool ParsePrinter(std::string_view text, PrinterSetting &printer, std::string &error);
// The device a port opens ("COM1" through the port map, a path through its
// links), for telling that two printers are one.
std::string DeviceOf(const std::string &port);
// An exact origin: "https://pos.example.com", "http://localhost:3000"
// (scheme, host, an optional port; no path, no wildcard).
bool ValidOrigin(std::string_view origin);
// "127.0.0.1:8787", "[::1]:8787", "0.0.0.0:8787".
bool ParseListen(std::string_view text, std::string &host, int &port, std::string &error);
// The JSON text of a configuration file into `settings` (its settings only).
bool ParseConfig(std::string_view json, Settings &settings, std::string &error);
bool LoadConfig(const std::string &path, Settings &settings, std::string &error);
// The settings as a whole: a printer at least, names unique, the journal
// and tokens given or found from systemd, values in range.
bool CheckSettings(Settings &settings, std::string &error);
// "08:00-20:00" into minutes of the day, from and to (to may be 24:00; a
// span over midnight, "20:00-02:00", is allowed); false for anything else.
bool ParseOpeningHours(std::string_view text, int &from, int &to);

} // namespace darvo::service
