// darvo-service: DARVO fiscal printers over HTTP and JSON, each receipt
// printed once.
#include "Export.h"
#include "Log.h"
#include "Service.h"
#include "Worker.h"

#include "darvodr/darvodr.h"

#include <CLI/CLI.hpp>

#include <csignal>
#include <iostream>
#include <pthread.h>
#include <sys/stat.h>
#include <thread>

using namespace darvo::service;

namespace {

const char *kFooter = R"(Every setting may be given in the configuration file (--config) and as a
flag; a flag wins. The file is one JSON object:
  {"listen": "127.0.0.1:8787", "printers": {"till": "COM1", "kitchen": "/dev/ttyUSB0:19200"},
   "journal": "/var/lib/darvo/journal.db", "tokens": "/etc/darvo/tokens", "timeout_ms": 5000,
   "max_body_bytes": 1048576, "queue_limit": 16, "http_threads": 64, "settle_interval_ms": 5000,
   "request_timeout_ms": 10000, "journal_wait_ms": 5000, "tokens_origin": "/etc/darvo/tokens"}
Under systemd the journal defaults to $STATE_DIRECTORY/journal.db and the tokens to
$CREDENTIALS_DIRECTORY/tokens; the administrator's file behind that copy
(tokens_origin, /etc/darvo/tokens by default) must be private as well.

Tokens file: one "ROLE TOKEN" pair a line, '#' starts a comment, readable by its owner
only (the service refuses to start otherwise). A token is at least 16 characters. Roles,
each allowing what the one before allows:
  monitor     GET /metrics, /v1/printers and a printer's status
  pos         receipts
  owner       reports
  technician  the clock and recovery
Requests carry "Authorization: Bearer TOKEN".

API (docs/openapi.yaml):
  GET  /healthz                                 GET /metrics (Prometheus)
  GET  /v1/printers                             GET /v1/printers/NAME/status
  POST /v1/printers/NAME/receipts               (Idempotency-Key: KEY, required)
  GET  /v1/printers/NAME/receipts/KEY[?wait=S]  "in_progress", "printed", "not_printed"
  POST /v1/printers/NAME/reports/daily|periodic|financial, /clock, /recover
  POST /v1/printers/NAME/receipts/KEY/resolve   {"state": "printed"|"not_printed", "note": "..."}

A receipt is written to the journal, with the printer's receipt counter, daily report
number and sales totals, before its first byte goes to the printer; the same key again
returns its outcome and never prints it again. After a crash every receipt left
unfinished is settled from the printer's own records: "printed" only when exactly this
receipt was added, "not_printed" only when nothing was; anything else is "unknown" and
holds the printer until a technician resolves it.

Exit status: 0 stopped (SIGTERM or SIGINT), 1 could not start (address, journal),
2 bad settings or tokens file.

Example:
  darvo-service --printer till=COM1 --journal /tmp/j.db --tokens tokens
  curl -H "Authorization: Bearer $TOKEN" -H "Idempotency-Key: 7f3c" \
       --data '{"lines":[{"name":"Mleko 2% 1l","quantity":"1","price":"3.49","rate":"A"}]}' \
       http://127.0.0.1:8787/v1/printers/till/receipts)";

} // namespace

int main(int argc, char **argv) {
    CLI::App app{"darvo-service - DARVO fiscal printers over HTTP and JSON: receipts printed exactly once, "
                 "even across crashes",
                 "darvo-service"};
    app.footer(kFooter);
    std::string driver;
    DllVersion(driver);
    app.set_version_flag("--version",
                         std::string("darvo-service ") + DARVO_VERSION + " (driver " + driver + ")");

    Settings settings;
    std::string config, listen, journal, tokensFile;
    std::vector<std::string> printers;
    int timeoutMs = 0, queueLimit = 0, httpThreads = 0, settleMs = 0, requestTimeoutMs = 0,
        journalWaitMs = -1, statusMs = 0, pruneDays = -1;
    std::string openingHours;
    std::string tokensOrigin;
    size_t maxBody = 0;
    app.add_option("--config", config, "the configuration file (JSON), for example /etc/darvo/service.json");
    app.add_option("--listen", listen,
                   "ADDRESS:PORT to serve (default 127.0.0.1:8787; another address is "
                   "reachable from the network: put a TLS reverse proxy in front)");
    app.add_option("--printer", printers,
                   "NAME=PORT[:SPEED]: a printer, PORT COMn or a device path, SPEED "
                   "9600 (default), 19200 or 28800; repeat for more");
    app.add_option("--journal", journal, "the journal (SQLite) of every request that changes a printer");
    app.add_option("--tokens", tokensFile, "the tokens file");
    app.add_option("--timeout-ms", timeoutMs, "the printer's time-out (default 5000; whole seconds are used)")
        ->check(CLI::Range(1, 600000));
    app.add_option("--max-body-bytes", maxBody, "the largest request body (default 1048576)")
        ->check(CLI::Range(1024, 1 << 26));
    app.add_option("--queue-limit", queueLimit, "requests waiting per printer before 503 (default 16)")
        ->check(CLI::Range(1, 10000));
    app.add_option(
           "--http-threads", httpThreads,
           "connections served at once (default 64; at least the printers times the queue limit and more)")
        ->check(CLI::Range(4, 1024));
    app.add_option("--settle-interval-ms", settleMs,
                   "how often a receipt whose outcome is not known is settled again, and an outcome the "
                   "journal refused is written again (default 5000)")
        ->check(CLI::Range(100, 3600000));
    app.add_option("--request-timeout-ms", requestTimeoutMs,
                   "a request's headers and body must arrive within it (default 10000)")
        ->check(CLI::Range(100, 600000));
    app.add_option("--journal-wait-ms", journalWaitMs,
                   "how long a journal write waits for a lock another program holds (default 5000)")
        ->check(CLI::Range(0, 600000));
    app.add_option(
           "--status-interval-ms", statusMs,
           "how often an idle printer's status is read for /metrics (default 60000), and after each job "
           "once it is idle; 0: never (only status requests read it)")
        ->check(CLI::Range(0, 3600000));
    app.add_option("--opening-hours", openingHours,
                   "HH:MM-HH:MM when the shop is open, the till's time (default: always), for the alerts");
    app.add_option("--prune-after-days", pruneDays,
                   "remove journal rows head office has taken and older than this (default 0: never)")
        ->check(CLI::Range(0, 36500));
    std::vector<std::string> allowOrigins;
    std::string webRoot = DARVO_WEB_ROOT;
    app.add_option("--allow-origin", allowOrigins,
                   "a browser page's origin that may call the API, exactly (https://pos.example.com); repeat for more; "
                   "none by default");
    app.add_option("--web-root", webRoot,
                   "the web console's files, served at / (default " DARVO_WEB_ROOT "; empty: no console)");
    app.add_option("--tokens-origin", tokensOrigin,
                   "the administrator's tokens file when --tokens is a copy of it, checked to be private as "
                   "well (default under systemd: /etc/darvo/tokens)");

    // Head office's pull from the journal file, the service running or not.
    ExportOptions exporting;
    CLI::App *exportCommand = app.add_subcommand(
        "export", "write the journal's settled rows, in the order they were settled, from a cursor on (the "
                  "service running or stopped); each row carries its cursor");
    exportCommand->add_option("--journal", exporting.journal, "the journal file")->required();
    exportCommand
        ->add_option("--after", exporting.after, "the cursor of the last row taken before (default 0: all)")
        ->check(CLI::NonNegativeNumber);
    exportCommand->add_option("--printer", exporting.printer,
                              "one printer's rows (default: every printer's)");
    exportCommand->add_option("--format", exporting.format, "jsonl (default) or csv (a header line first)")
        ->check(CLI::IsMember({"jsonl", "csv"}));
    exportCommand->add_flag(
        "--mark-exported", exporting.mark,
        "mark the rows written as taken by head office, so that the service may prune them");

    // A printer's worker, started by the service itself.
    WorkerOptions worker;
    app.add_option("--worker", worker.name)->group("");
    app.add_option("--worker-port", worker.port)->group("");
    app.add_option("--worker-speed", worker.speed)->group("");
    app.add_option("--worker-parent", worker.parent)->group("");
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError &e) {
        const int code = app.exit(e);
        return code == 0 ? 0 : 2;
    }
    if (!worker.name.empty()) {
        worker.timeoutMs = timeoutMs > 0 ? timeoutMs : settings.timeoutMs;
        return RunWorker(worker);
    }
    if (*exportCommand) return RunExport(exporting);

    ::umask(077); // the journal is for the service alone
    std::string error;
    if (!config.empty() && !LoadConfig(config, settings, error)) {
        std::cerr << "darvo-service: " << error << "\n";
        return 2;
    }
    if (app.count("--listen")) settings.listen = listen;
    if (app.count("--journal")) settings.journal = journal;
    if (app.count("--tokens")) settings.tokens = tokensFile;
    if (timeoutMs > 0) settings.timeoutMs = timeoutMs;
    if (maxBody > 0) settings.maxBodyBytes = maxBody;
    if (queueLimit > 0) settings.queueLimit = queueLimit;
    if (httpThreads > 0) settings.httpThreads = httpThreads;
    if (settleMs > 0) settings.settleIntervalMs = settleMs;
    if (requestTimeoutMs > 0) settings.requestTimeoutMs = requestTimeoutMs;
    if (journalWaitMs >= 0) settings.journalWaitMs = journalWaitMs;
    if (app.count("--status-interval-ms")) settings.statusIntervalMs = statusMs;
    if (app.count("--opening-hours")) settings.openingHours = openingHours;
    if (pruneDays >= 0) settings.pruneAfterDays = pruneDays;
    if (!allowOrigins.empty()) settings.allowedOrigins = allowOrigins;
    if (app.count("--web-root") || settings.webRoot.empty()) settings.webRoot = webRoot;
    if (app.count("--tokens-origin")) settings.tokensOrigin = tokensOrigin;
    if (!printers.empty()) {
        settings.printers.clear();
        for (const std::string &p : printers) {
            PrinterSetting printer;
            if (!ParsePrinter(p, printer, error)) {
                std::cerr << "darvo-service: " << error << "\n";
                return 2;
            }
            settings.printers.push_back(printer);
        }
    }
    Tokens tokens;
    const bool originGiven = !settings.tokensOrigin.empty();
    if (!CheckSettings(settings, error) || !tokens.Load(settings.tokens, error) ||
        (!settings.tokensOrigin.empty() && !Tokens::CheckOrigin(settings.tokensOrigin, originGiven, error))) {
        std::cerr << "darvo-service: " << error << "\n";
        return 2;
    }

    // Signals are taken by one thread; every other thread keeps them blocked.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGHUP); // a closed terminal or a reload: neither ends a receipt
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    Service service(settings, std::move(tokens));
    if (!service.Start(error)) {
        LogError("not_started", {{"message", error}});
        return 1;
    }
    std::thread stopper([&] {
        int signal = 0;
        while (sigwait(&stopSignals, &signal) == 0 && signal == SIGHUP)
            LogInfo("sighup_ignored", {{"message", "SIGHUP does not stop the service; SIGTERM does"}});
        LogInfo("stopping", {{"signal", signal == SIGINT ? "SIGINT" : "SIGTERM"}});
        service.Stop();
    });
    service.Serve();
    ::kill(::getpid(), SIGTERM); // the stopper ends the rest, whoever stopped the server
    stopper.join();
    LogInfo("stopped");
    return 0;
}
