// `check`: a read-only conversation with a printer, for a technician or a
// bug report. Only the commands of the allow-list go out (each of them
// only reads); the port is opened without the session start, whose first
// command would end a receipt the printer holds open. The same questions
// then go to the emulator of the same model, for comparison.
#include "Cli.h"
#include "Commands.h"
#include "pos/PrinterText.h"

#include "Emulator.h"
#include "darvodr/darvodr.h"
#include "ops/Codes.h"
#include "ops/Connection.h"
#include "serial/PortError.h"

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <fstream>

namespace darvo::cli {

namespace {

struct Exchange {
    uint8_t command = 0;
    int32_t code = 0;
    Bytes answer; // every byte the printer sent, its first included
    double ms = 0;
};

// One command of the allow-list; anything else is refused here, before it
// could reach the line.
Exchange Ask(uint8_t command, uint8_t answerLength) {
    Exchange e;
    e.command = command;
    if (!IsReadOnly(command)) {
        e.code = ops::kNotAvailable;
        return e;
    }
    const auto start = std::chrono::steady_clock::now();
    e.code = ops::Question(command, answerLength, e.answer);
    e.ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    return e;
}

struct Conversation {
    int32_t openCode = 0;
    int deviceType = 9, version = 0;
    std::vector<Exchange> exchanges;
};

// The whole conversation on port `port`; the port is closed afterwards.
Conversation Converse(uint8_t port, int speed, int timeoutS) {
    Conversation c;
    const auto t = static_cast<uint16_t>(timeoutS);
    c.openCode = OpenPort(port, static_cast<uint32_t>(speed), t, t);
    if (c.openCode != 0) return c;
    const auto &list = ReadOnlyCommands();
    // Identification first: it decides which of the others apply.
    c.exchanges.push_back(Ask(list[0].command, list[0].answerLength));
    c.exchanges.push_back(Ask(list[1].command, list[1].answerLength));
    uint8_t type = 9;
    ops::ReadDeviceType(type, c.version); // asks 0xFF and 0xFE once more
    c.deviceType = type;
    const bool answers = c.exchanges[0].code == 0 || c.exchanges[0].code == 24;
    for (size_t i = 2; answers && i < list.size(); ++i)
        if (list[i].applies(c.deviceType, c.version))
            c.exchanges.push_back(Ask(list[i].command, list[i].answerLength));
    ClosePort();
    return c;
}

// The same questions to the emulator of the same model, on a
// pseudo-terminal of its own, reached through port 255.
Conversation AskEmulator(const Conversation &printer, int speed, std::string &error) {
    darvosim::EmulatorOptions options;
    options.deviceType = printer.deviceType;
    const int t = printer.deviceType;
    if (t == 3 || t == 6 || t == 7 || t == 8) options.version = printer.version;
    darvosim::Emulator sim(options);
    if (!sim.Start()) {
        error = sim.Error();
        return {};
    }
    ::setenv("DARVO_COM255", sim.SlavePath().c_str(), 1);
    Conversation c = Converse(255, speed, 1);
    sim.Stop();
    return c;
}

} // namespace

int RunCheck(Context &c, const std::string &reportFile) {
    pos::Connection connection;
    int exitCode = 0;
    if (!c.Connection(connection, exitCode)) return exitCode;
    const Conversation printer = Converse(connection.port, connection.speed, connection.timeoutSeconds);
    if (printer.openCode != 0) return c.Failed(printer.openCode, "opening the port");
    if (printer.exchanges[0].code != 0) return c.Failed(printer.exchanges[0].code, "identification");

    std::string emulatorError;
    const Conversation emulator = AskEmulator(printer, connection.speed, emulatorError);
    const std::string model = ops::ModelName(static_cast<uint8_t>(printer.deviceType));

    json exchanges = json::array();
    int differences = 0;
    std::string text = model + " (device type " + std::to_string(printer.deviceType) + ", version " +
                       std::to_string(printer.version) + ") on " + c.PortLabel() + "\n";
    for (const Exchange &e : printer.exchanges) {
        json item = {{"command", e.command},
                     {"name", CommandName(e.command)},
                     {"sent", Hex({0x1B, e.command})},
                     {"answer", Hex(e.answer)},
                     {"code", e.code},
                     {"ms", static_cast<double>(static_cast<int>(e.ms * 10)) / 10},
                     {"meaning", DescribeAnswer(e.command, e.answer)}};
        const Exchange *twin = nullptr;
        for (const Exchange &m : emulator.exchanges)
            if (m.command == e.command) twin = &m;
        std::string compared;
        if (twin) {
            // Clock, counters and numbers differ from printer to printer;
            // what must agree is whether it answers, and how much.
            const bool sameForm = twin->code == e.code && twin->answer.size() == e.answer.size();
            item["emulator"] = {{"answer", Hex(twin->answer)}, {"code", twin->code}};
            item["same"] = twin->answer == e.answer;
            item["same_form"] = sameForm;
            if (!sameForm) {
                ++differences;
                compared = "   <> emulator: " + Hex(twin->answer);
            }
        }
        exchanges.push_back(item);
        char ms[16];
        std::snprintf(ms, sizeof ms, "%7.1f ms", e.ms);
        text += std::string(ms) + "  " + CommandName(e.command) + ": " + DescribeAnswer(e.command, e.answer) +
                compared + "\n";
    }
    std::time_t now = std::time(nullptr);
    char when[32];
    std::strftime(when, sizeof when, "%Y-%m-%dT%H:%M:%S", std::localtime(&now));
    json report = {{"port", c.PortLabel()},
                   {"speed", connection.speed},
                   {"time", when},
                   {"device_type", printer.deviceType},
                   {"version", printer.version},
                   {"model", model},
                   {"exchanges", exchanges},
                   {"differences", differences}};
    if (!emulatorError.empty()) report["emulator_error"] = emulatorError;
    text += std::to_string(differences) + " answer(s) differ in form from the emulator's\n";
    if (!reportFile.empty()) {
        std::ofstream out(reportFile);
        out << report.dump(2) << "\n";
        if (!out) return c.Error(kBadInput, reportFile + ": cannot be written");
        text += "report written to " + reportFile + "\n";
    }
    return c.Done(report, text);
}

} // namespace darvo::cli
