#include "Config.h"

#include "pos/Printer.h"

#include <nlohmann/json.hpp>

#include "serial/PortMap.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace darvo::service {

namespace {

bool AllDigits(std::string_view s) {
    return !s.empty() && s.size() <= 9 && s.find_first_not_of("0123456789") == std::string_view::npos;
}

bool ValidName(std::string_view name) {
    if (name.empty() || name.size() > 32) return false;
    for (char c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '-') return false;
    return true;
}

} // namespace

bool ParsePrinter(std::string_view text, PrinterSetting &p, std::string &error) {
    const size_t eq = text.find('=');
    p = PrinterSetting{};
    if (eq == std::string_view::npos) {
        error = "printer \"" + std::string(text) + "\": NAME=PORT[:SPEED]";
        return false;
    }
    p.name = std::string(text.substr(0, eq));
    std::string_view port = text.substr(eq + 1);
    if (!ValidName(p.name)) {
        error = "printer \"" + std::string(text) + "\": a name is 1 to 32 letters, digits, '_' or '-'";
        return false;
    }
    const size_t colon = port.rfind(':');
    if (colon != std::string_view::npos && AllDigits(port.substr(colon + 1))) {
        p.speed = std::atoi(std::string(port.substr(colon + 1)).c_str());
        port = port.substr(0, colon);
        if (p.speed != 9600 && p.speed != 19200 && p.speed != 28800) {
            error = "printer " + p.name + ": the speed is 9600, 19200 or 28800";
            return false;
        }
    }
    p.port = std::string(port);
    // The port's form is checked as the driver will take it (in a worker).
    uint8_t number = 0;
    const bool path = !p.port.empty() && p.port[0] == '/';
    if (!path && !pos::ResolvePort(p.port, number, error)) {
        error = "printer " + p.name + ": " + error;
        return false;
    }
    if (path && p.port.find('\n') != std::string::npos) {
        error = "printer " + p.name + ": a device path on one line";
        return false;
    }
    return true;
}

bool ParseListen(std::string_view text, std::string &host, int &port, std::string &error) {
    const size_t colon = text.rfind(':');
    error = "listen \"" + std::string(text) + "\": ADDRESS:PORT, such as 127.0.0.1:8787 or [::1]:8787";
    if (colon == std::string_view::npos || !AllDigits(text.substr(colon + 1))) return false;
    host = std::string(text.substr(0, colon));
    port = std::atoi(std::string(text.substr(colon + 1)).c_str());
    if (host.size() > 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
    if (host.empty() || port > 65535) return false;
    error.clear();
    return true;
}

bool ParseConfig(std::string_view text, Settings &s, std::string &error) {
    const nlohmann::json doc = nlohmann::json::parse(text, nullptr, false);
    if (doc.is_discarded() || !doc.is_object()) {
        error = "not a JSON object";
        return false;
    }
    auto string = [&](const char *key, std::string &out) {
        auto it = doc.find(key);
        if (it == doc.end()) return true;
        if (!it->is_string()) error = std::string(key) + ": must be a string";
        if (it->is_string()) out = it->get<std::string>();
        return it->is_string();
    };
    auto integer = [&](const char *key, long low, long high, auto &out) {
        auto it = doc.find(key);
        if (it == doc.end()) return true;
        if (!it->is_number_integer() || it->get<long>() < low || it->get<long>() > high) {
            error = std::string(key) + ": a whole number from " + std::to_string(low) + " to " +
                    std::to_string(high);
            return false;
        }
        out = static_cast<std::remove_reference_t<decltype(out)>>(it->get<long>());
        return true;
    };
    for (const auto &item : doc.items()) {
        static const std::set<std::string> known = {"listen",
                                                    "printers",
                                                    "journal",
                                                    "tokens",
                                                    "timeout_ms",
                                                    "max_body_bytes",
                                                    "queue_limit",
                                                    "http_threads",
                                                    "settle_interval_ms",
                                                    "request_timeout_ms",
                                                    "journal_wait_ms",
                                                    "tokens_origin",
                                                    "status_interval_ms",
                                                    "opening_hours",
                                                    "prune_after_days", "allowed_origins",    "web_root"};
        if (!known.count(item.key())) {
            error = item.key() + ": unknown setting";
            return false;
        }
    }
    if (!string("listen", s.listen) || !string("journal", s.journal) || !string("tokens", s.tokens) ||
        !string("tokens_origin", s.tokensOrigin) || !integer("timeout_ms", 1, 600000, s.timeoutMs) ||
        !integer("request_timeout_ms", 100, 600000, s.requestTimeoutMs) ||
        !integer("journal_wait_ms", 0, 600000, s.journalWaitMs) ||
        !integer("status_interval_ms", 0, 3600000, s.statusIntervalMs) ||
        !string("opening_hours", s.openingHours) ||
        !integer("prune_after_days", 0, 36500, s.pruneAfterDays) || !string("web_root", s.webRoot) ||
        !integer("max_body_bytes", 1024, 1 << 26, s.maxBodyBytes) ||
        !integer("queue_limit", 1, 10000, s.queueLimit) || !integer("http_threads", 4, 1024, s.httpThreads) ||
        !integer("settle_interval_ms", 100, 3600000, s.settleIntervalMs))
        return false;
    if (auto it = doc.find("allowed_origins"); it != doc.end()) {
        if (!it->is_array()) {
            error = "allowed_origins: an array of origins such as \"https://pos.example.com\"";
            return false;
        }
        s.allowedOrigins.clear();
        for (const auto &o : *it) {
            if (!o.is_string()) {
                error = "allowed_origins: an array of origins such as \"https://pos.example.com\"";
                return false;
            }
            s.allowedOrigins.push_back(o.get<std::string>());
        }
    }
    if (auto it = doc.find("printers"); it != doc.end()) {
        if (!it->is_object()) {
            error = "printers: an object of NAME: \"PORT[:SPEED]\"";
            return false;
        }
        s.printers.clear();
        for (const auto &p : it->items()) {
            PrinterSetting printer;
            if (!p.value().is_string() ||
                !ParsePrinter(p.key() + "=" + p.value().get<std::string>(), printer, error)) {
                if (!p.value().is_string()) error = "printers." + p.key() + ": a string \"PORT[:SPEED]\"";
                return false;
            }
            s.printers.push_back(printer);
        }
    }
    return true;
}

bool LoadConfig(const std::string &path, Settings &settings, std::string &error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "configuration " + path + ": cannot be read";
        return false;
    }
    std::stringstream text;
    text << file.rdbuf();
    if (!ParseConfig(text.str(), settings, error)) {
        error = "configuration " + path + ": " + error;
        return false;
    }
    return true;
}

bool ValidOrigin(std::string_view origin) {
    size_t rest = 0;
    if (origin.rfind("https://", 0) == 0)
        rest = 8;
    else if (origin.rfind("http://", 0) == 0)
        rest = 7;
    else
        return false;
    const std::string_view authority = origin.substr(rest);
    if (authority.empty() || authority.size() > 253) return false;
    for (char c : authority)
        if (!std::isalnum(static_cast<unsigned char>(c)) && std::string_view(".-:[]").find(c) == std::string_view::npos)
            return false;
    const size_t colon = authority.rfind(':');
    return colon == std::string_view::npos || authority.back() == ']' ||
           (colon + 1 < authority.size() && AllDigits(authority.substr(colon + 1)));
}

bool ParseOpeningHours(std::string_view text, int &from, int &to) {
    auto clock = [](std::string_view t, int &minutes) {
        if (t.size() != 5 || t[2] != ':' || !AllDigits(t.substr(0, 2)) || !AllDigits(t.substr(3, 2)))
            return false;
        const int h = (t[0] - '0') * 10 + (t[1] - '0'), m = (t[3] - '0') * 10 + (t[4] - '0');
        minutes = h * 60 + m;
        return m < 60 && (h < 24 || minutes == 24 * 60);
    };
    return text.size() == 11 && text[5] == '-' && clock(text.substr(0, 5), from) &&
           clock(text.substr(6, 5), to) && from != to;
}

size_t Settings::ConnectionCap() const {
    return std::max<size_t>(static_cast<size_t>(httpThreads), printers.size() * (queueLimit + 2) + 8);
}

std::string DeviceOf(const std::string &port) {
    std::string device = port;
    uint8_t number = 0;
    std::string ignored;
    if (!port.empty() && port[0] != '/' && pos::ResolvePort(port, number, ignored)) {
        const darvo::PortDevice found = darvo::FindPortDevice(number);
        device = found.path.empty() ? "COM" + std::to_string(number) : found.path;
    }
    char real[PATH_MAX];
    if (::realpath(device.c_str(), real)) device = real;
    return device;
}

bool CheckSettings(Settings &s, std::string &error) {
    if (s.printers.empty()) {
        error =
            "no printer: name one with --printer NAME=PORT[:SPEED] or in the configuration's \"printers\"";
        return false;
    }
    std::set<std::string> names;
    std::map<std::string, std::string> devices; // device -> the printer that has it
    for (const PrinterSetting &p : s.printers) {
        if (!names.insert(p.name).second) {
            error = "printer " + p.name + " is named twice";
            return false;
        }
        // Two workers on one port would take each other's answers.
        const std::string device = DeviceOf(p.port);
        if (auto [it, fresh] = devices.emplace(device, p.name); !fresh) {
            error = "printers " + it->second + " and " + p.name + " are one port (" + device +
                    "): a printer is named once";
            return false;
        }
    }
    std::string host;
    int port = 0;
    if (!ParseListen(s.listen, host, port, error)) return false;
    for (const std::string &origin : s.allowedOrigins)
        if (!ValidOrigin(origin)) {
            error = "allowed origin \"" + origin +
                    "\": an exact origin, scheme://host[:port] such as https://pos.example.com (no path, no *)";
            return false;
        }
    int from = 0, to = 0;
    if (!s.openingHours.empty() && !ParseOpeningHours(s.openingHours, from, to)) {
        error = "opening hours \"" + s.openingHours + "\": HH:MM-HH:MM, such as 08:00-20:00";
        return false;
    }
    auto fromSystemd = [](std::string &value, const char *variable, const char *file) {
        const char *dir = std::getenv(variable);
        if (value.empty() && dir && *dir) value = std::string(dir) + "/" + file;
    };
    fromSystemd(s.journal, "STATE_DIRECTORY", "journal.db");
    const bool fromCredentials = s.tokens.empty() && std::getenv("CREDENTIALS_DIRECTORY");
    fromSystemd(s.tokens, "CREDENTIALS_DIRECTORY", "tokens");
    // systemd's copy is the service's own; the file the administrator keeps
    // is checked as well.
    if (fromCredentials && s.tokensOrigin.empty()) s.tokensOrigin = "/etc/darvo/tokens";
    if (s.journal.empty()) {
        error = "no journal: give --journal FILE";
        return false;
    }
    if (s.tokens.empty()) {
        error = "no tokens file: give --tokens FILE";
        return false;
    }
    return true;
}

} // namespace darvo::service
