// darvo: the DARVO fiscal printers from the command line.
#include "Cli.h"

#include <CLI/CLI.hpp>

#include <cstdlib>
#include <iostream>
#include <sstream>

using namespace darvo::cli;

namespace {

const char *kFooter = R"(Exit status:
  0  done
  1  bad input or usage (nothing was sent to the printer)
  2  the printer refused (its code and message are in the output)
  3  no communication (port missing or busy, no answer)

Environment:
  DARVO_PORT       the port when --port is not given (COMn or a device path)
  DARVO_COM<n>     the device of port COMn (else /dev/ttyS<n-1>)
  DARVO_TRACE      a file the driver appends every exchange to (see `darvo trace`)

Examples:
  darvo --port COM1 status
  echo '{"lines":[{"name":"Mleko 2% 1l","quantity":"1","price":"3.49","rate":"A"}],
         "payments":[{"type":"cash","amount":"5.00"}]}' | darvo --json receipt -
  darvo --port /dev/ttyUSB0 --speed 19200 recover
  darvo report daily
  darvo discover --write-ports ports.conf

Each verb has its own --help, for example `darvo receipt --help`.)";

CLI::App *Verb(CLI::App &app, const char *name, const char *description, const char *example) {
    CLI::App *verb = app.add_subcommand(name, description);
    verb->footer(std::string("Example:\n  ") + example);
    return verb;
}

} // namespace

int main(int argc, char **argv) {
    // A probe of `discover`, started by discover itself.
    if (argc == 4 && std::string(argv[1]) == "--probe-device") return RunProbe(argv[2], std::atoi(argv[3]));
    CLI::App app{
        "darvo - the DARVO fiscal printers (Nivra, Nivra F, PEXA, PEXA F, KT820A/B) from the command line.\n"
        "Text for people by default, one JSON document on standard output with --json.",
        "darvo"};
    app.footer(kFooter);
    app.set_version_flag("--version", [] { return VersionText(); });
    app.fallthrough();
    app.require_subcommand(1);

    Globals g;
    app.add_option("--port", g.port, "COMn or a device path (default: $DARVO_PORT, else COM1)");
    app.add_option("--speed", g.speed, "line speed: 9600, 19200 or 28800 (default 9600)")
        ->check(CLI::IsMember({9600, 19200, 28800}));
    app.add_flag("--json", g.json, "answer with one JSON document on standard output");
    app.add_option("--timeout-ms", g.timeoutMs,
                   "the printer's time-out (default 5000; whole seconds are used)")
        ->check(CLI::Range(1, 600000));

    CLI::App *status =
        Verb(app, "status", "the printer's type, model, mode, paper, clock and receipt counter",
             "darvo --port COM1 --json status");

    std::string receiptFile;
    bool dryRun = false;
    CLI::App *receipt = Verb(
        app, "receipt",
        "print a receipt described in JSON (docs/schemas/receipt.schema.json); the whole receipt is "
        "checked before its first byte goes out",
        "echo '{\"lines\":[{\"name\":\"Mleko 2% 1l\",\"quantity\":\"1\",\"price\":\"3.49\",\"rate\":\"A\"}],"
        "\"payments\":[{\"type\":\"cash\",\"amount\":\"5.00\"}]}' | darvo --json receipt -");
    receipt->add_option("FILE", receiptFile, "the receipt, or - for standard input")->required();
    receipt->add_flag("--dry-run", dryRun, "check the receipt against the printer and print nothing");

    int counterBefore = -1, waitPaper = 0;
    CLI::App *recover = Verb(app, "recover",
                             "bring the printer back to ready: cancel a receipt left open, resume a printout "
                             "stopped for paper, restart the session; tell whether the last receipt printed",
                             "darvo recover --counter-before 41 --wait-paper 60");
    recover
        ->add_option("--counter-before", counterBefore,
                     "the receipt counter read before the last receipt (its \"counter_before\")")
        ->check(CLI::Range(0, 65535));
    recover->add_option("--wait-paper", waitPaper, "seconds to wait for paper to be loaded (default 0)")
        ->check(CLI::Range(0, 3600));

    CLI::App *report =
        Verb(app, "report", "print a report", "darvo report periodic --from 2024-05-01 --to 2024-05-31");
    report->require_subcommand(1);
    bool zero = false, detailed = false;
    std::string from, to, numbers, month;
    CLI::App *daily = Verb(*report, "daily", "the daily fiscal report", "darvo report daily");
    daily->add_flag("--zero", zero, "print it even with no sales since the last one (newer printers)");
    Verb(*report, "financial", "the financial (tax) report", "darvo report financial");
    CLI::App *periodic = Verb(*report, "periodic", "a periodic report by dates or by daily report numbers",
                              "darvo report periodic --numbers 300-310 --detailed");
    periodic->add_option("--from", from, "first day, YYYY-MM-DD");
    periodic->add_option("--to", to, "last day, YYYY-MM-DD");
    periodic->add_option("--numbers", numbers, "daily report numbers FIRST-LAST");
    periodic->add_flag("--detailed", detailed, "detailed rather than short");
    CLI::App *monthly = Verb(*report, "monthly", "a monthly report", "darvo report monthly 2024-05");
    monthly->add_option("MONTH", month, "YYYY-MM")->required();
    monthly->add_flag("--detailed", detailed, "detailed rather than short");

    std::string clockValue, direction;
    int minutes = 0;
    bool yes = false;
    CLI::App *clock = Verb(app, "clock", "read, initialise or shift the printer's clock", "darvo clock get");
    clock->require_subcommand(1);
    Verb(*clock, "get", "read the clock", "darvo --json clock get");
    CLI::App *clockSet =
        Verb(*clock, "set",
             "initialise the clock after the printer's CMOS memory was erased (a PEXA printer "
             "then erases its memory)",
             "darvo clock set 2024-05-01T08:00:00 --yes");
    clockSet->add_option("TIME", clockValue, "YYYY-MM-DDTHH:MM:SS, or now (the default)");
    clockSet->add_flag("--yes", yes, "yes, initialise it");
    CLI::App *clockShift =
        Verb(*clock, "shift", "move the clock by 1 to 99 minutes (only right after a daily report)",
             "darvo clock shift forward 15");
    clockShift->add_option("DIRECTION", direction, "forward or back")
        ->required()
        ->check(CLI::IsMember({"forward", "back"}));
    clockShift->add_option("MINUTES", minutes, "1 to 99")->required()->check(CLI::Range(1, 99));

    std::vector<std::string> assignments;
    CLI::App *rates = Verb(app, "rates", "read or set the tax rates A to G", "darvo rates get");
    rates->require_subcommand(1);
    Verb(*rates, "get", "read the rates", "darvo --json rates get");
    CLI::App *ratesSet =
        Verb(*rates, "set",
             "set rates (only right after a daily report); letters not given keep their rate. A value is a "
             "percentage, \"exempt\" or \"unused\"",
             "darvo rates set A=23 B=8 C=5 D=0 E=exempt F=unused G=unused --yes");
    ratesSet->add_option("RATE", assignments, "LETTER=VALUE")->required();
    ratesSet->add_flag("--yes", yes, "yes, change them");

    std::vector<std::string> headerLines;
    std::vector<int> flags;
    int width = 40;
    bool left = false;
    CLI::App *header =
        Verb(app, "header", "read or write the receipt header (the user data lines)", "darvo header get");
    header->require_subcommand(1);
    Verb(*header, "get", "read the header", "darvo --json header get");
    CLI::App *headerSet = Verb(
        *header, "set",
        "write header lines from the first (4 lines, 6 on PEXA printers; the last one holds the NIP, which "
        "a fiscal printer keeps)",
        "darvo header set \"SKLEP SPOŻYWCZY\" \"ul. Polna 1\" \"00-001 Warszawa\" \"NIP 526-000-12-46\" "
        "--yes");
    headerSet->add_option("LINE", headerLines, "the lines' texts")->required();
    headerSet->add_option("--width", width, "characters per line: 40 (default) or 20")
        ->check(CLI::IsMember({20, 40}));
    headerSet->add_flag("--left", left, "keep the texts to the left (they are centred by default)");
    headerSet->add_option("--flag", flags, "set the printer's line attribute of line N (1..5)")
        ->check(CLI::Range(1, 5));
    headerSet->add_flag("--yes", yes, "yes, write them");

    std::string checkReport;
    CLI::App *check = Verb(app, "check",
                           "a read-only conversation with the printer for a technician or a bug report: "
                           "every answer and its time, compared with the emulator of the same model",
                           "darvo --port COM1 check --report printer-check.json");
    check->add_option("--report", checkReport, "also write the JSON report to this file");

    std::vector<std::string> globs;
    std::string portsFile;
    bool force = false;
    CLI::App *discover =
        Verb(app, "discover",
             "look for printers on every mapped COM port and serial device, at 9600, 19200 and "
             "28800 b/s",
             "darvo discover --write-ports /etc/darvo/ports.conf");
    discover->add_option("--glob", globs,
                         "device patterns to look at (default: /dev/ttyS* /dev/ttyUSB* /dev/ttyACM* "
                         "/dev/serial/by-id/*)");
    discover->add_option(
        "--write-ports", portsFile,
        "write a port map of the printers found (COMn = device a line), - for standard output");
    discover->add_flag("--force", force, "replace the port map file when it exists");

    std::string traceFile;
    CLI::App *trace = Verb(app, "trace", "show a DARVO_TRACE file: commands, parameters, answers, times",
                           "DARVO_TRACE=/tmp/t.log darvo status; darvo trace /tmp/t.log");
    trace->add_option("FILE", traceFile, "the trace file")->required();

    CLI::App *version = Verb(app, "version", "the versions of darvo and of the driver", "darvo version");

    // With --json every run answers one JSON document, a usage error too
    // (docs/schemas/usage.schema.json); the usage text goes to standard error.
    bool jsonWanted = false;
    for (int i = 1; i < argc && std::string(argv[i]) != "--"; ++i)
        jsonWanted = jsonWanted || std::string(argv[i]) == "--json";
    Globals usage;
    usage.json = jsonWanted;
    Context answer(usage);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForVersion &e) {
        return jsonWanted ? RunVersion(answer) : app.exit(e);
    } catch (const CLI::ParseError &e) {
        const bool help =
            dynamic_cast<const CLI::CallForHelp *>(&e) || dynamic_cast<const CLI::CallForAllHelp *>(&e);
        if (!jsonWanted) return help ? app.exit(e) : (app.exit(e), static_cast<int>(kBadInput));
        std::ostringstream out, err;
        app.exit(e, out, err);
        if (help) return answer.Done({{"help", out.str()}}, "");
        std::cerr << err.str();
        return answer.Error(kBadInput, std::string("usage: ") + e.what());
    }

    Context c(g);
    if (*status) return RunStatus(c);
    if (*receipt) return RunReceipt(c, receiptFile, dryRun);
    if (*recover) return RunRecover(c, counterBefore, waitPaper);
    if (*report) {
        for (CLI::App *kind : report->get_subcommands())
            return RunReport(c, kind->get_name(), zero, detailed, from, to, numbers, month);
    }
    if (*clock) {
        for (CLI::App *action : clock->get_subcommands())
            return RunClock(c, action->get_name(), clockValue, direction, minutes, yes);
    }
    if (*rates) {
        for (CLI::App *action : rates->get_subcommands())
            return RunRates(c, action->get_name(), assignments, yes);
    }
    if (*header) {
        for (CLI::App *action : header->get_subcommands())
            return RunHeader(c, action->get_name(), headerLines, width, left, flags, yes);
    }
    if (*check) return RunCheck(c, checkReport);
    if (*discover) return RunDiscover(c, globs, portsFile, force);
    if (*trace) return RunTrace(c, traceFile);
    if (*version) return RunVersion(c);
    return kBadInput;
}
