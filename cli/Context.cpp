#include "Cli.h"

#include "serial/PortMap.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
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
        struct stat st {};
        if (::stat(name.c_str(), &st) != 0) {
            error = name + ": " + std::strerror(errno);
            return false;
        }
        if (S_ISDIR(st.st_mode)) {
            error = name + ": a directory, not a file";
            return false;
        }
        file.open(name, std::ios::binary);
        if (!file) {
            error = name + ": cannot be read (" + std::strerror(errno) + ")";
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
        std::cout << document.dump(2, ' ', false, json::error_handler_t::replace) << "\n";
    else if (!text.empty())
        std::cout << text << (text.back() == '\n' ? "" : "\n");
    std::cout.flush();
    return kDone;
}

int Context::Emit(int exitCode, const json &error, json extra, const std::string &text) {
    if (jsonMode()) {
        extra["error"] = error;
        std::cout << extra.dump(2, ' ', false, json::error_handler_t::replace) << "\n";
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

std::string Context::Hint(int32_t code, const std::string &step) const {
    std::string device = PortLabel();
    uint8_t number = 0;
    std::string ignored;
    if (pos::ResolvePort(device, number, ignored) && number != pos::kPathPort) {
        const PortDevice found = FindPortDevice(number);
        if (!found.path.empty()) device = found.path + " (COM" + std::to_string(number) + ")";
    }
    switch (code) {
    case 2:
    case 3:
        return "there is no " + device +
               ": plug the printer's adapter in, name its device in the port map (/etc/darvo/ports.conf) or "
               "in "
               "DARVO_COMn, or look for the printers with `darvo discover`";
    case 5:
        return device +
               " is held by another program (darvo-service, nivrasw, a terminal program), or this user "
               "may not open it: stop that program or go through it, or add the user to the dialout "
               "group (sudo adduser $USER dialout, then log in again)";
    case 21:
        return "the printer on " + device + " does not answer: is it switched on, its cable in, and at " +
               std::to_string(globals_.speed) + " b/s (--speed)?";
    case 24:
        if (step == "clock shift")
            return "the printer shifts its clock once per daily report, right after it: print the daily "
                   "report "
                   "first (`darvo report daily`)";
        break;
    default: break;
    }
    return "";
}

int Context::Failed(int32_t code, const std::string &step, json extra) {
    const int exitCode = ExitOf(code);
    const std::string message = pos::MessageOf(code);
    json error = {{"kind", ErrorKind(exitCode)}, {"code", code}, {"message", message}, {"step", step}};
    const std::string hint = Hint(code, step);
    if (!hint.empty()) error["hint"] = hint;
    return Emit(exitCode, error, std::move(extra),
                "darvo: " + step + ": " + message + " (" + std::to_string(code) + ")" +
                    (hint.empty() ? "" : "\n  " + hint));
}

int Context::Error(int exitCode, const std::string &message, json extra) {
    json error = {{"kind", ErrorKind(exitCode)}, {"message", message}};
    return Emit(exitCode, error, std::move(extra), "darvo: " + message);
}

} // namespace darvo::cli
