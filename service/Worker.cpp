#include "Worker.h"

#include "Channel.h"
#include "Log.h"
#include "pos/Answers.h"
#include "pos/Plan.h"

#include <csignal>
#include <functional>
#include <memory>
#include <optional>
#include <cstdio>
#include <cstdlib>
#include <sys/prctl.h>
#include <unistd.h>

namespace darvo::service {

using namespace darvo::pos;

const char *CrashPoint() {
    const char *at = std::getenv("DARVO_SERVICE_CRASH_AT");
    return at ? at : "";
}

void CrashIfAt(const std::string &point, bool withParent) {
    if (point != CrashPoint()) return;
    LogWarning("crash_for_test", {{"at", point}});
    if (withParent) ::kill(::getppid(), SIGKILL);
    ::raise(SIGKILL);
}

namespace {

const char *KindOf(int32_t code) {
    switch (OutcomeOf(code)) {
    case Outcome::BadInput: return "bad_input";
    case Outcome::NoCommunication: return "no_communication";
    default: return "printer_refused";
    }
}

Message Error(int32_t code, const std::string &message = "") {
    return {{"kind", KindOf(code)}, {"code", code}, {"message", message.empty() ? MessageOf(code) : message}};
}

class Worker {
  public:
    Worker(const WorkerOptions &o, Connection c) : channel_(o.fd), printer_(c) {
        printer_.SetCallObserver([](const std::string &call) { CrashIfAt(call, true); });
    }

    int Run() {
        Message job;
        while (channel_.Receive(job) == Channel::Read::Message) {
            Message result = Handle(job);
            if (!channel_.Send({{"result", result}})) break;
        }
        printer_.Close();
        return 0;
    }

  private:
    // Tells the service what is about to go out; the returned call waits
    // for its word (true: the journal holds it, go on) and may be called
    // again. Meanwhile the worker may still ask the printer what changes
    // nothing, while the service writes its row to disk.
    std::function<bool()> Sending(const Message &before, const Message &answer) {
        const bool asked = channel_.Send({{"event", "sending"}, {"before", before}, {"answer", answer}});
        auto word = std::make_shared<std::optional<bool>>();
        return [this, asked, word] {
            if (!*word) {
                Message reply;
                *word =
                    asked && channel_.Receive(reply) == Channel::Read::Message && reply.value("go", false);
            }
            return **word;
        };
    }

    // The session, started once and again after the printer was lost.
    int32_t Session() {
        if (open_) return 0;
        const int32_t rc = printer_.Open();
        open_ = rc == 0;
        return rc;
    }

    Message Handle(const Message &job) {
        sent_ = false;
        const std::string op = job.value("op", "");
        Message r = op == "receipt"  ? Receipt(job)
                    : op == "status" ? Status()
                    : op == "settle" ? Settle(job)
                                     : Command(op, job);
        r["sent"] = sent_;
        // A printer that went silent is started afresh next time.
        if (r.contains("error") && r["error"].value("kind", "") == "no_communication") Lost();
        if (r.value("state", "") == "unknown") Lost();
        return r;
    }

    void Lost() {
        printer_.Close();
        open_ = false;
    }

    Message Receipt(const Message &job) {
        pos::Receipt receipt;
        Problems problems = ParseReceiptDocument(job.value("receipt", Message()), receipt);
        PrinterFacts facts;
        Plan plan;
        int32_t rc = problems.empty() ? Session() : 0;
        if (rc == 0 && problems.empty() && (rc = printer_.Facts(facts)) == 0)
            problems = PlanReceipt(receipt, facts, plan);
        if (!problems.empty()) {
            Message list = Message::array();
            for (const Problem &p : problems)
                list.push_back({{"path", p.path}, {"message", p.message}});
            return {{"error",
                     {{"kind", "bad_input"},
                      {"message", facts.model.empty()
                                      ? std::string("the receipt is not valid")
                                      : "the printer (" + facts.model + ") cannot print this receipt"},
                      {"problems", list}}}};
        }
        Ledger before;
        if (rc == 0) rc = printer_.ReadLedger(before);
        if (rc != 0) return {{"error", Error(rc)}};

        AnswerJson pending = {{"counter_before", before.receiptCounter}};
        pending.update(TotalsJson(plan.totals));
        // How it is paid, for the journal and head office.
        const Message payments = Message(pos::ToJson(receipt)).value("payments", Message::array());
        pending["payments"] = payments;
        // The row, with the printer's counters and totals, goes to disk
        // before the receipt's first byte.
        const auto word = Sending(LedgerJson(before), pending);
        const PrintResult result = printer_.Print(plan, before, [&] { return sent_ = word(); });
        word(); // the service's word is taken even when the receipt never came to it
        if (!sent_)
            return {{"error", result.code != 0
                                  ? Error(result.code)
                                  : Message{{"kind", "journal"}, {"message", "the journal refused it"}}}};
        Message r = {{"state", StateName(result.state)}, {"answer", ReceiptJson(result, plan, before)}};
        r["answer"]["payments"] = payments;
        // The printer answered and its own records do not tell: no later
        // look will either.
        if (result.state == ReceiptState::Unknown && result.ledgerAfter.Complete()) {
            r["settled"] = true;
            r["found"] = result.verdict;
            r["facts_after"] = LedgerJson(result.ledgerAfter);
        }
        if (result.state == ReceiptState::Printed)
            r["receipt_number"] = result.receiptNumber;
        else if (result.state == ReceiptState::NotPrinted)
            r["error"] = result.code != 0 ? Error(result.code)
                                          : Message{{"kind", "printer_refused"},
                                                    {"message", "the receipt was not printed"}};
        return r;
    }

    Message Status() {
        StatusInfo info;
        const int32_t rc = printer_.Status(info);
        if (rc != 0) return {{"error", Error(rc)}};
        return {{"answer", StatusJson(info)}};
    }

    // What happened to a request whose outcome was lost, from the printer's
    // counters against those journalled before it: a receipt
    // ({"kind": "receipt", "before": ledger, "receipt": its totals per rate})
    // or a daily report ({"kind": "daily", "before": ledger}).
    Message Settle(const Message &job) {
        Ledger before;
        std::array<int64_t, 7> receipt{};
        const bool daily = job.value("kind", "") == "daily";
        RecoverReport report;
        Verdict verdict;
        if (!LedgerFromJson(job.value("before", Message()), before) ||
            (!daily && !RatesFromJson(job.value("receipt", Message::object()), receipt))) {
            verdict = {ReceiptState::Unknown, "the journal holds no readable counters from before it"};
            report.lastReceipt = ReceiptState::Unknown;
        } else {
            verdict = daily ? printer_.SettleDailyReport(before.dailyReport, &report)
                            : printer_.Settle(before, receipt, &report);
        }
        Lost(); // the next job starts its own session
        Message r = {{"state", StateName(verdict.state)},
                     {"settled", report.lastReceipt.has_value()},
                     {"found", verdict.reason},
                     {"answer", {{"settlement", StepsJson(report.steps)}}}};
        if (report.ledger.Complete()) r["facts_after"] = LedgerJson(report.ledger);
        if (verdict.state == ReceiptState::Printed && !daily) r["receipt_number"] = report.receiptCounter;
        if (report.code != 0 && !report.lastReceipt) r["error"] = Error(report.code);
        return r;
    }

    // Reports, the clock and recovery: the session, the journal's word, the command.
    Message Command(const std::string &op, const Message &job) {
        int32_t rc = op == "recover" ? 0 : Session();
        // A daily report is settled from the report number, as a receipt is
        // from its counters.
        Ledger before;
        if (rc == 0 && op == "daily") rc = printer_.ReadLedger(before);
        if (rc != 0) return {{"error", Error(rc)}};
        if (!(sent_ = Sending(op == "daily" ? LedgerJson(before) : Message::object(), Message::object())()))
            return {{"error", {{"kind", "journal"}, {"message", "stopped"}}}};
        Message answer = Message::object();
        if (op == "daily") {
            rc = Report(op, job);
            if (rc == 0) return {{"state", "printed"}, {"answer", {{"report", op}, {"printed", true}}}};
            // Refused, stopped for paper or cut off in the middle: the
            // printer's daily report number says whether it was made.
            RecoverReport report;
            const Verdict verdict = printer_.SettleDailyReport(before.dailyReport, &report);
            open_ = false;
            Message r = {{"state", StateName(verdict.state)},
                         {"answer",
                          {{"report", op},
                           {"printed", verdict.state == ReceiptState::Printed},
                           {"found", verdict.reason},
                           {"settlement", StepsJson(report.steps)}}},
                         {"error", Error(rc)}};
            if (report.lastReceipt) {
                r["settled"] = true;
                r["found"] = verdict.reason;
                r["facts_after"] = LedgerJson(report.ledger);
            }
            if (verdict.state == ReceiptState::Printed && rc != 0) {
                r["answer"]["printout_code"] = rc;
                r["answer"]["printout_message"] = MessageOf(rc);
            }
            return r;
        }
        if (op == "financial" || op == "periodic") {
            rc = Report(op, job);
            answer = {{"report", op}, {"printed", rc == 0}};
        } else if (op == "clock") {
            rc = Clock(job, answer);
        } else if (op == "recover") {
            RecoverOptions options;
            options.waitForPaper = std::chrono::seconds(job.value("wait_paper_seconds", 0));
            const RecoverReport report = printer_.Recover(options);
            open_ = report.ready;
            answer = RecoverJson(report);
            rc = report.ready ? 0 : report.code != 0 ? report.code : 109;
        } else {
            return {{"error", {{"kind", "bad_input"}, {"message", "unknown job " + op}}}};
        }
        // A printer that stopped answering after the command went out may
        // have done it: not known.
        const bool lost = rc != 0 && OutcomeOf(rc) == Outcome::NoCommunication && op != "recover";
        Message r = {{"state", rc == 0 ? "printed" : lost ? "unknown" : "not_printed"}, {"answer", answer}};
        if (lost) r["settled"] = true;
        if (rc != 0) r["error"] = Error(rc);
        return r;
    }

    int32_t Report(const std::string &op, const Message &job) {
        if (op == "daily") return printer_.DailyReport(job.value("zero", false));
        if (op == "financial") return printer_.FinancialReport();
        const bool detailed = job.value("detailed", false);
        if (job.contains("month"))
            return printer_.MonthlyReport(job["month"][0].get<int>(), job["month"][1].get<int>(), detailed);
        PeriodicRequest q;
        q.detailed = detailed;
        if (job.contains("numbers")) {
            q.kind = PeriodicKind::ByNumbers;
            q.fromNumber = job["numbers"][0].get<int>();
            q.toNumber = job["numbers"][1].get<int>();
        } else {
            const std::vector<int> d = job["dates"].get<std::vector<int>>();
            q.fromYear = d.at(0), q.fromMonth = d.at(1), q.fromDay = d.at(2);
            q.toYear = d.at(3), q.toMonth = d.at(4), q.toDay = d.at(5);
        }
        return printer_.PeriodicReport(q);
    }

    int32_t Clock(const Message &job, Message &answer) {
        pos::Clock c;
        int32_t rc = 0;
        if (job.contains("shift")) {
            rc = printer_.ShiftClock(job["shift"].get<int>());
        } else {
            const std::vector<int> t = job["init"].get<std::vector<int>>();
            c = {t.at(0), t.at(1), t.at(2), t.at(3), t.at(4), t.at(5)};
            rc = printer_.InitClock(c);
        }
        if (rc == 0 && (rc = printer_.ReadClock(c)) == 0) {
            char text[32];
            std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", c.year % 10000, c.month % 100,
                          c.day % 100, c.hour % 100, c.minute % 100, c.second % 100);
            answer = {{"clock", text}};
        }
        return rc;
    }

    Channel channel_;
    Printer printer_;
    bool open_ = false;
    bool sent_ = false;
};

} // namespace

int RunWorker(const WorkerOptions &options) {
    // Ends with the service, even when it is killed.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (options.parent != 0 && ::getppid() != options.parent) return 1;
    std::signal(SIGPIPE, SIG_IGN);
    // A terminal's Ctrl+C or hang-up reaches the whole process group: the
    // service stops in order, and its worker must not die in the middle of a
    // receipt. The worker ends when its channel closes.
    std::signal(SIGINT, SIG_IGN);
    std::signal(SIGHUP, SIG_IGN);
    std::signal(SIGTERM, SIG_IGN);
    SetLogName("darvo-service[" + options.name + "]");
    Connection connection;
    std::string error;
    if (!ResolvePort(options.port, connection.port, error)) {
        LogError("worker_refused", {{"printer", options.name}, {"message", error}});
        return 2;
    }
    connection.speed = options.speed;
    connection.timeoutSeconds = (options.timeoutMs + 999) / 1000;
    Worker worker(options, connection);
    return worker.Run();
}

} // namespace darvo::service
