// One line per event on standard error (journald keeps them):
//   darvo-service: level=info event=receipt printer=till key=a1 state=printed number=12
// Values with blanks, quotes or '=' are quoted; control characters are
// escaped, so one event stays one line. Tokens and request bodies are never
// passed here.
#pragma once

#include <initializer_list>
#include <string>
#include <utility>

namespace darvo::service {

using LogField = std::pair<const char *, std::string>;

void LogEvent(const char *level, const char *event, std::initializer_list<LogField> fields = {});
inline void LogInfo(const char *event, std::initializer_list<LogField> fields = {}) {
    LogEvent("info", event, fields);
}
inline void LogWarning(const char *event, std::initializer_list<LogField> fields = {}) {
    LogEvent("warning", event, fields);
}
inline void LogError(const char *event, std::initializer_list<LogField> fields = {}) {
    LogEvent("error", event, fields);
}

// The name the lines start with ("darvo-service", or "darvo-service[till]"
// in a printer's worker).
void SetLogName(const std::string &name);

} // namespace darvo::service
