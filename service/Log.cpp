#include "Log.h"

#include <cstdio>
#include <mutex>
#include <unistd.h>

namespace darvo::service {

namespace {

std::mutex logMutex;
std::string logName = "darvo-service";

std::string Quoted(const std::string &value) {
    bool plain = !value.empty();
    for (unsigned char c : value)
        plain = plain && c > ' ' && c != '"' && c != '=' && c != '\\' && c != 0x7F;
    if (plain) return value;
    std::string out = "\"";
    for (unsigned char c : value) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < ' ' || c == 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

} // namespace

void SetLogName(const std::string &name) {
    std::lock_guard<std::mutex> lock(logMutex);
    logName = name;
}

void LogEvent(const char *level, const char *event, std::initializer_list<LogField> fields) {
    std::string line;
    {
        std::lock_guard<std::mutex> lock(logMutex);
        line = logName;
    }
    line += std::string(": level=") + level + " event=" + event;
    for (const LogField &f : fields)
        line += std::string(" ") + f.first + "=" + Quoted(f.second);
    line += "\n";
    // One write per line: lines of several threads and processes never mix.
    std::lock_guard<std::mutex> lock(logMutex);
    [[maybe_unused]] ssize_t n = ::write(STDERR_FILENO, line.data(), line.size());
}

} // namespace darvo::service
