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

using json = Message;
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

json Error(int32_t code, const std::string &message = "") {
    return {{"kind", KindOf(code)}, {"code", code}, {"message", message.empty() ? MessageOf(code) : message}};
}

class Worker {
  public:
    Worker(const WorkerOptions &o, Connection c) : channel_(o.fd), printer_(c) {
        printer_.SetCallObserver([](const std::string &call) { CrashIfAt(call, true); });
    }

    int Run() {
        json job;
        while (channel_.Receive(job) == Channel::Read::Message) {
            json result = Handle(job);
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
    std::function<bool()> Sending(int64_t before, const json &answer) {
        const bool asked = channel_.Send({{"event", "sending"}, {"before", before}, {"answer", answer}});
        auto word = std::make_shared<std::optional<bool>>();
        return [this, asked, word] {
            if (!*word) {
                json reply;
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

    json Handle(const json &job) {
        sent_ = false;
        const std::string op = job.value("op", "");
        json r = op == "receipt"  ? Receipt(job)
                 : op == "status" ? Status()
                 : op == "settle" ? Settle(job.value("before", -1))
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

    json Receipt(const json &job) {
        pos::Receipt receipt;
        Problems problems = ParseReceiptDocument(job.value("receipt", json()), receipt);
        PrinterFacts facts;
        Plan plan;
        int32_t rc = problems.empty() ? Session() : 0;
        if (rc == 0 && problems.empty() && (rc = printer_.Facts(facts)) == 0)
            problems = PlanReceipt(receipt, facts, plan);
        if (!problems.empty()) {
            json list = json::array();
            for (const Problem &p : problems)
                list.push_back({{"path", p.path}, {"message", p.message}});
            return {{"error",
                     {{"kind", "bad_input"},
                      {"message", facts.model.empty()
                                      ? std::string("the receipt is not valid")
                                      : "the printer (" + facts.model + ") cannot print this receipt"},
                      {"problems", list}}}};
        }
        int32_t before = -1;
        if (rc == 0) rc = printer_.ReadReceiptCounter(before);
        if (rc != 0) return {{"error", Error(rc)}};

        AnswerJson pending = {{"counter_before", before}};
        pending.update(TotalsJson(plan.totals));
        // The row is written while the printer's totals are read; the
        // receipt's first byte waits for it.
        const auto word = Sending(before, pending);
        const PrintResult result = printer_.Print(plan, before, [&] { return sent_ = word(); });
        word(); // the service's word is taken even when the receipt never came to it
        if (!sent_)
            return {{"error", result.code != 0
                                  ? Error(result.code)
                                  : json{{"kind", "journal"}, {"message", "the journal refused it"}}}};
        json r = {{"state", StateName(result.state)}, {"answer", ReceiptJson(result, plan, before)}};
        if (result.state == ReceiptState::Printed)
            r["receipt_number"] = result.receiptNumber;
        else if (result.state == ReceiptState::NotPrinted)
            r["error"] = result.code != 0
                             ? Error(result.code)
                             : json{{"kind", "printer_refused"}, {"message", "the receipt was not printed"}};
        return r;
    }

    json Status() {
        StatusInfo info;
        const int32_t rc = printer_.Status(info);
        if (rc != 0) return {{"error", Error(rc)}};
        return {{"answer", StatusJson(info)}};
    }

    json Settle(int64_t before) {
        RecoverReport report;
        const ReceiptState state = printer_.Settle(static_cast<int32_t>(before), &report);
        Lost(); // the next job starts its own session
        json r = {{"state", StateName(state)},
                  {"counter_known", report.lastReceipt.has_value()},
                  {"answer", {{"settlement", StepsJson(report.steps)}}}};
        if (state == ReceiptState::Printed) r["receipt_number"] = report.receiptCounter;
        if (report.code != 0 && !report.lastReceipt) r["error"] = Error(report.code);
        return r;
    }

    // Reports, the clock and recovery: the session, the journal's word, the command.
    json Command(const std::string &op, const json &job) {
        int32_t rc = op == "recover" ? 0 : Session();
        if (rc != 0) return {{"error", Error(rc)}};
        if (!(sent_ = Sending(-1, json::object())()))
            return {{"error", {{"kind", "journal"}, {"message", "stopped"}}}};
        json answer = json::object();
        if (op == "daily" || op == "financial" || op == "periodic") {
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
        json r = {{"state", rc == 0 ? "printed" : "not_printed"}, {"answer", answer}};
        if (rc != 0) r["error"] = Error(rc);
        return r;
    }

    int32_t Report(const std::string &op, const json &job) {
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

    int32_t Clock(const json &job, json &answer) {
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
