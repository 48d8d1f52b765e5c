// darvo-sim: an emulated DARVO fiscal printer on a pseudo-terminal.
#include "Emulator.h"
#include "FiscalState.h"
#include "StateFile.h"

#include <csignal>
#include <poll.h>
#include <sys/signalfd.h>
#include <unistd.h>
#include <cstdio>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>

using namespace darvosim;

namespace {

const char *kLineHelp =
    "  fault KIND N              inject a fault at wire byte N from now (KIND: noanswer, nak,\n"
    "                            garbage, truncate, hangup, remove, poweroff)\n"
    "  fault clear               end a fault (power back on); stop counting\n"
    "  replug                    plug the printer in again after a hang-up or removal\n";

void Usage(std::FILE *out) {
    std::fputs(
        "Usage: darvo-sim [--model N] [--version V] [--link PATH] [--pace] [--log FILE] [--roll FILE]\n"
        "                [--print-time MS] [--progress-time MS] [--search-time MS] [--state FILE]\n"
        "                [--check-speed] [--new]\n"
        "\n"
        "Plays a DARVO fiscal printer on a new pseudo-terminal and prints its path.\n"
        "  --model N     device type 0..9 (default 7, PEXA):\n"
        "                0 KT820A 5-rate, 1 KT820A 7-rate, 2 NIVRA 1st gen., 3 NIVRA 2nd gen.,\n"
        "                4 KT820B 5-rate, 5 KT820B 7-rate, 6 NIVRA F, 7 PEXA, 8 PEXA F, 9 other\n"
        "  --version V   program version reported by the newer models\n"
        "  --link PATH   also make PATH a symbolic link to the pseudo-terminal\n"
        "  --pace        hold each byte, both ways, for its transmission time at the line speed\n"
        "  --check-speed a PEXA printer answers only at the speed its settings select\n"
        "  --log FILE    append the wire log (every byte, both directions) to FILE\n"
        "  --roll FILE   append the paper roll (everything printed) to FILE\n"
        "  --print-time MS  how long a printout lasts (default 1500 ms)\n"
        "  --progress-time MS  how long a PEXA works before each progress byte of an erase\n"
        "                (clock initialisation, fiscalisation, names base; default 0)\n"
        "  --search-time MS  how long a report by command 49 searches the fiscal memory\n"
        "                before its result byte (default 0)\n"
        "  --new         a printer new from the maker: training mode, no user data, the\n"
        "                service jumper in its service position, ready to be fiscalised\n"
        "                (a state file that exists already takes precedence)\n"
        "  --state FILE  keep the printer's state (fiscal memory, counters, totals, rates,\n"
        "                clock, header, settings, status flags) in FILE, saved after every\n"
        "                command that changes it, and start from it when it exists.\n"
        "                A text file, one item per line: \"key value...\"; the first item\n"
        "                is \"darvo-sim-state 1\" (the format's version), '#' starts a\n"
        "                comment, texts and byte rows are hexadecimal (\"-\" when empty).\n"
        "                Items: model, version, status NAME 0|1, rates R1..R7,\n"
        "                receiptCounter, totals T1..T7, receiptNumber, dailyReportNumber,\n"
        "                cashRegister, operatorCode, uniqueNumber, lineFeed, drawerOpenings,\n"
        "                euroPending, clock stopped|running SECONDS,\n"
        "                record NUMBER YY MM DD RECEIPTS T1..T7 (a daily report),\n"
        "                fiscalisedRates, settled, memoryTests, clockShiftAllowed, lastClockShift YY MM DD,\n"
        "                user LINE ATTR TEXT,\n"
        "                rounding, setting GROUP B1 B2 B3, euroDate YY MM DD, serviceDate,\n"
        "                lockReason, secondState, cp1250Adverts, display ROW BYTES,\n"
        "                displayLoaded, displayPending, advert LINE ATTR TEXT,\n"
        "                advertsPending, namesPrinted. A damaged file is reported with\n"
        "                its line and the emulator does not start; it is never replaced.\n"
        "Runs until interrupted (SIGINT or SIGTERM). While it runs it reads commands\n"
        "from its standard input, one per line, and answers each on standard output:\n",
        out);
    std::fputs(Printer::ControlHelp(), out);
    std::fputs(kLineHelp, out);
}

bool ParseInt(const char *text, int low, int high, int &value) {
    char *end = nullptr;
    long v = std::strtol(text, &end, 10);
    if (!*text || *end || v < low || v > high) return false;
    value = static_cast<int>(v);
    return true;
}

// Commands for the line rather than the printer (the soak test's faults);
// an empty answer for any other command.
std::string LineCommand(Emulator &emulator, const std::string &line) {
    std::istringstream in(line);
    std::string word, arg, extra;
    in >> word >> arg;
    if (word == "fault") {
        if (arg == "clear") {
            emulator.ClearFault();
            return "ok";
        }
        int position = -1;
        const FaultKind kind = FaultFromName(arg);
        if (kind == FaultKind::None || kind == FaultKind::LineError || !(in >> position) || position < 0 ||
            (in >> extra))
            return "unknown command: " + line;
        emulator.InjectFault(kind, position);
        return "ok";
    }
    if (word == "replug" && arg.empty())
        return emulator.Replug() ? "ok" : "replug failed: " + emulator.Error();
    if (word == "help" && arg.empty()) return std::string(Printer::ControlHelp()) + kLineHelp;
    return "";
}

} // namespace

int main(int argc, char **argv) {
    EmulatorOptions options;
    int printTimeMs = 1500, progressTimeMs = 0, searchTimeMs = 0;
    bool checkSpeed = false;
    std::string statePath;
    bool newPrinter = false;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto next = [&](const char *what) -> const char * {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "darvo-sim: %s needs %s\n", a.c_str(), what);
                std::exit(2);
            }
            return argv[++i];
        };
        if (a == "--model") {
            if (!ParseInt(next("a number"), 0, 9, options.deviceType)) {
                std::fprintf(stderr, "darvo-sim: --model takes 0..9\n");
                return 2;
            }
        } else if (a == "--version") {
            if (!ParseInt(next("a number"), 0, 255, options.version)) {
                std::fprintf(stderr, "darvo-sim: --version takes 0..255\n");
                return 2;
            }
        } else if (a == "--link") {
            options.linkPath = next("a path");
        } else if (a == "--check-speed") {
            checkSpeed = true;
        } else if (a == "--pace") {
            options.pace = true;
        } else if (a == "--log") {
            options.logPath = next("a file");
        } else if (a == "--state") {
            statePath = next("a file");
        } else if (a == "--roll") {
            options.rollPath = next("a file");
        } else if (a == "--print-time" || a == "--progress-time" || a == "--search-time") {
            const int low = a == "--print-time" ? 1 : 0;
            int &ms = a == "--print-time"      ? printTimeMs
                      : a == "--progress-time" ? progressTimeMs
                                               : searchTimeMs;
            if (!ParseInt(next("a number"), low, 3600000, ms)) {
                std::fprintf(stderr, "darvo-sim: %s takes %d..3600000\n", a.c_str(), low);
                return 2;
            }
        } else if (a == "--new") {
            newPrinter = true;
        } else if (a == "--help" || a == "-h") {
            Usage(stdout);
            return 0;
        } else {
            std::fprintf(stderr, "darvo-sim: unknown option %s\n", a.c_str());
            Usage(stderr);
            return 2;
        }
    }

    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr); // threads started below inherit the mask

    Emulator emulator(options);
    if (newPrinter) {
        Printer &printer = emulator.printer();
        std::lock_guard<std::recursive_mutex> lock(printer.mutex);
        printer.status.fiscalMode = false;
        printer.status.userData = false;
        printer.status.serviceJumper = true;
        printer.fiscal.userData = {};
    }
    if (!statePath.empty()) {
        Printer &printer = emulator.printer();
        std::lock_guard<std::recursive_mutex> lock(printer.mutex);
        std::string error;
        const bool exists = ::access(statePath.c_str(), F_OK) == 0;
        if (exists ? !LoadState(printer, statePath, error) : !SaveState(printer, statePath, error)) {
            std::fprintf(stderr, "darvo-sim: %s\n", error.c_str());
            return 1;
        }
        printer.fiscal.statePath = statePath;
    }
    if (!emulator.Start()) {
        std::fprintf(stderr, "darvo-sim: %s\n", emulator.Error().c_str());
        return 1;
    }
    {
        std::lock_guard<std::recursive_mutex> lock(emulator.printer().mutex);
        emulator.printer().printTime = std::chrono::milliseconds(printTimeMs);
        emulator.printer().progressTime = std::chrono::milliseconds(progressTimeMs);
        emulator.printer().searchTime = std::chrono::milliseconds(searchTimeMs);
        emulator.printer().speedChecked = checkSpeed;
    }
    std::printf("%s\n", emulator.SlavePath().c_str());
    std::fflush(stdout);

    // Operator commands on standard input until a signal ends the run; at
    // the end of the input the printer simply goes on serving.
    int signalFd = ::signalfd(-1, &signals, SFD_CLOEXEC);
    bool inputOpen = true;
    std::string line;
    for (;;) {
        // A closed input is left out: a pipe at its end would report a hang-up at once.
        pollfd fds[2] = {{signalFd, POLLIN, 0}, {inputOpen ? STDIN_FILENO : -1, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (fds[0].revents & POLLIN) break;
        if (!(fds[1].revents & (POLLIN | POLLHUP | POLLERR))) continue;
        char buffer[256];
        ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0) {
            inputOpen = false;
            continue;
        }
        for (ssize_t i = 0; i < n; ++i) {
            if (buffer[i] != '\n') {
                if (line.size() < 1024) line += buffer[i];
                continue;
            }
            if (!line.empty() && line.back() == '\r') line.pop_back();
            std::string answer = LineCommand(emulator, line);
            if (answer.empty()) answer = emulator.printer().Control(line, emulator.SlaveDescriptor());
            {
                // An operator's change (paper out, jumper, ...) is kept as a served command's is.
                std::lock_guard<std::recursive_mutex> lock(emulator.printer().mutex);
                AfterCommand(emulator.printer());
            }
            if (!answer.empty()) {
                std::fputs(answer.c_str(), stdout);
                if (answer.back() != '\n') std::fputc('\n', stdout);
                std::fflush(stdout);
            }
            line.clear();
        }
    }
    if (signalFd >= 0) ::close(signalFd);
    emulator.Stop();
    return 0;
}
