// What the verbs of `darvo` share: the global options, the printer they
// name, and one way to answer (text for people, or one JSON document) with
// the exit statuses 0 done, 1 bad input or usage (nothing sent), 2 the
// printer refused, 3 no communication.
#pragma once

#include "pos/Printer.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace darvo::cli {

using json = nlohmann::ordered_json;

enum Exit { kDone = 0, kBadInput = 1, kRefused = 2, kNoCommunication = 3 };

struct Globals {
    std::string port; // empty: $DARVO_PORT, else COM1
    int speed = 9600;
    bool json = false;
    int timeoutMs = 5000;
};

class Context {
  public:
    explicit Context(const Globals &globals) : globals_(globals) {}
    const Globals &globals() const { return globals_; }
    bool jsonMode() const { return globals_.json; }

    // The printer the options name; false (after answering) for a port
    // that is no port.
    bool Connection(pos::Connection &connection, int &exitCode);
    // Runs `verb` with the printer the options name; its exit status.
    int WithPrinter(const std::function<int(pos::Printer &)> &verb);
    std::string PortLabel() const;

    // Answers: in JSON mode `document` on standard output, else `text`.
    int Done(const json &document, const std::string &text);
    // Bad input: every problem with its field; nothing was sent.
    int BadInput(const pos::Problems &problems, const std::string &what, json extra = json::object());
    // A driver call that failed: its code, the printer's message, the exit
    // status that goes with it.
    int Failed(int32_t code, const std::string &step, json extra = json::object());
    // Any other failure, with its own exit status and message.
    int Error(int exitCode, const std::string &message, json extra = json::object());

  private:
    int Emit(int exitCode, const json &error, json extra, const std::string &text);
    // What the user can do about a failure, where there is something.
    std::string Hint(int32_t code, const std::string &step) const;
    Globals globals_;
};

// "error kind" of an exit status: "bad_input", "printer_refused", "no_communication".
const char *ErrorKind(int exitCode);
int ExitOf(int32_t driverCode);
// The seconds the driver takes, from --timeout-ms (rounded up, at least 1).
int32_t TimeoutSeconds(int timeoutMs);

// Reads a file, or standard input for "-", up to `limit` bytes (one more
// means too large); false with `error` when it cannot.
bool ReadInput(const std::string &name, size_t limit, std::string &text, std::string &error);

// The verbs.
int RunStatus(Context &c);
int RunReceipt(Context &c, const std::string &file, bool dryRun);
int RunRecover(Context &c, int counterBefore, int waitPaperSeconds);
int RunReport(Context &c, const std::string &kind, bool zero, bool detailed, const std::string &from,
              const std::string &to, const std::string &numbers, const std::string &month);
int RunClock(Context &c, const std::string &action, const std::string &value, const std::string &direction,
             int minutes, bool yes);
int RunRates(Context &c, const std::string &action, const std::vector<std::string> &assignments, bool yes);
int RunHeader(Context &c, const std::string &action, const std::vector<std::string> &lines, int width,
              bool left, const std::vector<int> &flags, bool yes);
int RunCheck(Context &c, const std::string &reportFile);
int RunDiscover(Context &c, const std::vector<std::string> &globs, const std::string &portsFile, bool force);
// One probe of discover, in a process of its own: the line it found on
// standard output ("CODE SPEED TYPE VERSION MESSAGE").
int RunProbe(const std::string &path, int timeoutS);
int RunTrace(Context &c, const std::string &file);
int RunVersion(Context &c);

std::string VersionText();

} // namespace darvo::cli
