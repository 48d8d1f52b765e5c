#include "Cli.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

namespace darvo::cli {

const char *ErrorKind(int exitCode) {
    switch (exitCode) {
    case kBadInput: return "bad_input";
    case kRefused: return "printer_refused";
    default: return "no_communication";
    }
}

int ExitOf(int32_t driverCode) {
    switch (pos::OutcomeOf(driverCode)) {
    case pos::Outcome::Done: return kDone;
    case pos::Outcome::BadInput: return kBadInput;
    case pos::Outcome::Refused: return kRefused;
    default: return kNoCommunication;
    }
}

int32_t TimeoutSeconds(int timeoutMs) {
    const int seconds = (timeoutMs + 999) / 1000;
    return seconds < 1 ? 1 : seconds;
}

bool ReadInput(const std::string &name, size_t limit, std::string &text, std::string &error) {
    std::ifstream file;
    if (name != "-") {
        file.open(name, std::ios::binary);
        if (!file) {
            error = name + ": cannot be read";
            return false;
        }
    }
    std::istream &in = name == "-" ? std::cin : file;
    text.clear();
    char buffer[65536];
    while (in && text.size() <= limit) {
        in.read(buffer, sizeof buffer);
        text.append(buffer, static_cast<size_t>(in.gcount()));
    }
    if (text.size() > limit) {
        error = (name == "-" ? std::string("standard input") : name) + ": larger than " +
                std::to_string(limit) + " bytes";
        return false;
    }
    return true;
}

bool Context::Connection(pos::Connection &connection, int &exitCode) {
    std::string portName = globals_.port;
    if (portName.empty()) {
        const char *env = std::getenv("DARVO_PORT");
        portName = env && *env ? env : "COM1";
    }
    std::string error;
    if (!pos::ResolvePort(portName, connection.port, error)) {
        exitCode = Error(kBadInput, error);
        return false;
    }
    connection.speed = globals_.speed;
    connection.timeoutSeconds = TimeoutSeconds(globals_.timeoutMs);
    return true;
}

int Context::WithPrinter(const std::function<int(pos::Printer &)> &verb) {
    pos::Connection connection;
    int exitCode = 0;
    if (!Connection(connection, exitCode)) return exitCode;
    pos::Printer printer(connection);
    return verb(printer);
}

std::string Context::PortLabel() const {
    if (!globals_.port.empty()) return globals_.port;
    const char *env = std::getenv("DARVO_PORT");
    return env && *env ? env : "COM1";
}

int Context::Done(const json &document, const std::string &text) {
    if (jsonMode())
        std::cout << document.dump(2) << "\n";
    else if (!text.empty())
        std::cout << text << (text.back() == '\n' ? "" : "\n");
    std::cout.flush();
    return kDone;
}

int Context::Emit(int exitCode, const json &error, json extra, const std::string &text) {
    if (jsonMode()) {
        extra["error"] = error;
        std::cout << extra.dump(2) << "\n";
        std::cout.flush();
    } else {
        std::cerr << text << (text.empty() || text.back() == '\n' ? "" : "\n");
    }
    return exitCode;
}

int Context::BadInput(const pos::Problems &problems, const std::string &what, json extra) {
    json list = json::array();
    std::string text = "darvo: " + what + "; nothing was sent to the printer:\n";
    for (const pos::Problem &p : problems) {
        list.push_back({{"path", p.path}, {"message", p.message}});
        text += "  " + (p.path.empty() ? std::string("(input)") : p.path) + ": " + p.message + "\n";
    }
    json error = {{"kind", ErrorKind(kBadInput)}, {"message", what}, {"problems", list}};
    return Emit(kBadInput, error, std::move(extra), text);
}

int Context::Failed(int32_t code, const std::string &step, json extra) {
    const int exitCode = ExitOf(code);
    const std::string message = pos::MessageOf(code);
    json error = {{"kind", ErrorKind(exitCode)}, {"code", code}, {"message", message}, {"step", step}};
    return Emit(exitCode, error, std::move(extra),
                "darvo: " + step + ": " + message + " (" + std::to_string(code) + ")");
}

int Context::Error(int exitCode, const std::string &message, json extra) {
    json error = {{"kind", ErrorKind(exitCode)}, {"message", message}};
    return Emit(exitCode, error, std::move(extra), "darvo: " + message);
}

} // namespace darvo::cli
