#include "core/AppState.h"

#include <QDateTime>
#include <cctype>

namespace {
std::function<QDateTime()> &DateTimeSource() {
    static std::function<QDateTime()> source;
    return source;
}
} // namespace

QDateTime CurrentDateTime() {
    return DateTimeSource() ? DateTimeSource()() : QDateTime::currentDateTime();
}

void SetCurrentDateTimeSource(std::function<QDateTime()> source) {
    DateTimeSource() = std::move(source);
}

CommandLine ParseCommandLine(const std::vector<std::string> &arguments) {
    CommandLine result;
    for (const std::string &argument : arguments) {
        std::string upper = argument;
        for (char &c : upper)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (upper.size() == 4 && upper.compare(0, 3, "COM") == 0 && upper[3] >= '1' && upper[3] <= '9') {
            result.port = static_cast<uint8_t>(upper[3] - '0');
            break;
        }
    }
    for (const std::string &argument : arguments) {
        if (argument == "9600" || argument == "19200" || argument == "28800") {
            result.speed = static_cast<uint16_t>(std::stoi(argument));
            break;
        }
    }
    return result;
}
