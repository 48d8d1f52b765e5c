#include "PrinterQueue.h"

#include "Log.h"
#include "Worker.h"
#include "ops/StatusBits.h"

#include <algorithm>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace darvo::service {

namespace {

// The longest a job may take before its worker is taken for hung: a
// 500-line receipt at 9600 b/s, a period report's 90-second answer, a
// recovery waiting 300 s for paper all fit many times over.
constexpr std::chrono::minutes kWatchdog{15};

using Clock = std::chrono::steady_clock;

const char *kInProgress = "in_progress";

double Since(Clock::time_point t) {
    return std::chrono::duration<double>(Clock::now() - t).count();
}

} // namespace

int HttpStatusOf(const std::string &kind) {
    static const std::map<std::string, int> statuses = {
        {"bad_input", 400},         {"unauthorized", 401},     {"forbidden", 403},
        {"not_found", 404},         {"timeout", 408},          {"key_reused", 409},
        {"state_conflict", 409},    {"length_required", 411},  {"too_large", 413},
        {"printer_refused", 422},   {"outcome_unknown", 500},  {"journal", 500},
        {"internal", 500},          {"no_communication", 503}, {"unsettled", 503},
        {"unresolved", 503},        {"journal_failing", 503},  {"queue_full", 503},
        {"stopping", 503},          {"interrupted", 503},      {"too_many_connections", 503},
        {"origin_not_allowed", 403}};
    auto it = statuses.find(kind);
    return it == statuses.end() ? 500 : it->second;
}

Message ErrorJson(const std::string &kind, const std::string &message) {
    return {{"error", {{"kind", kind}, {"message", message}}}};
}

void Job::Complete(JobResult result) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (done_) return;
    result_ = std::move(result);
    done_ = true;
    cv_.notify_all();
}

bool Job::Wait(std::chrono::milliseconds limit) {
    std::unique_lock<std::mutex> lock(mutex_);
    return cv_.wait_for(lock, limit, [&] { return done_; });
}

JobResult Job::Result() {
    std::lock_guard<std::mutex> lock(mutex_);
    return result_;
}

PrinterQueue::PrinterQueue(PrinterSetting printer, const Settings &settings, Journal &journal,
                           Metrics &metrics)
    : printer_(std::move(printer)), settings_(settings), journal_(journal),
      metrics_(metrics), labels_{{"printer", printer_.name}} {}

PrinterQueue::~PrinterQueue() {
    Stop();
}

void PrinterQueue::Start() {
    metrics_.Set("darvo_queue_depth", labels_, 0);
    metrics_.Set("darvo_unsettled_receipts", labels_, 0);
    metrics_.Set("darvo_unwritten_outcomes", labels_, 0);
    {
        // Outcomes a technician has not settled yet hold the printer, across restarts.
        std::lock_guard<std::mutex> lock(mutex_);
        unresolved_ = journal_.Unresolved(printer_.name);
        metrics_.Set("darvo_unresolved_outcomes", labels_, static_cast<double>(unresolved_.size()));
    }
    thread_ = std::thread([this] { Loop(); });
}

void PrinterQueue::Stop() {
    std::deque<std::shared_ptr<Job>> refused;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (stopping_ && !thread_.joinable()) return;
        stopping_ = true;
        refused.swap(queue_);
        pendingStatus_.reset();
        for (const auto &job : refused)
            inFlight_.erase(job->key);
        wake_.notify_all();
        changed_.notify_all();
    }
    for (const auto &job : refused)
        job->Complete(
            {503, ErrorJson("stopping", "the service is stopping; nothing was sent to the printer")});
    if (thread_.joinable()) thread_.join();
}

Admission PrinterQueue::Submit(const std::shared_ptr<Job> &job, JournalEntry &stored) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (stopping_) return Admission::Stopping;
    if (auto it = inFlight_.find(job->key); it != inFlight_.end())
        return it->second == job->bodyHash ? Admission::InProgress : Admission::KeyReused;
    if (auto it = unwritten_.find(job->key); it != unwritten_.end()) {
        if (it->second.bodyHash != job->bodyHash) return Admission::KeyReused;
        stored = it->second;
        return Admission::Replay;
    }
    if (auto entry = journal_.Find(printer_.name, job->key)) {
        if (entry->bodyHash != job->bodyHash) return Admission::KeyReused;
        stored = *entry;
        return entry->state == kSending ? Admission::InProgress : Admission::Replay;
    }
    if (queue_.size() >= static_cast<size_t>(settings_.queueLimit)) return Admission::QueueFull;
    inFlight_[job->key] = job->bodyHash;
    queue_.push_back(job);
    Depth();
    wake_.notify_all();
    return Admission::Accepted;
}

std::shared_ptr<Job> PrinterQueue::SubmitStatus(Admission &admission) {
    std::lock_guard<std::mutex> lock(mutex_);
    admission = Admission::Accepted;
    if (stopping_) {
        admission = Admission::Stopping;
        return nullptr;
    }
    if (pendingStatus_) return pendingStatus_;
    if (queue_.size() >= static_cast<size_t>(settings_.queueLimit)) {
        admission = Admission::QueueFull;
        return nullptr;
    }
    auto job = std::make_shared<Job>();
    job->kind = "status";
    job->request = {{"op", "status"}};
    pendingStatus_ = job;
    queue_.push_back(job);
    Depth();
    wake_.notify_all();
    return job;
}

PrinterQueue::Known PrinterQueue::Find(const std::string &key, std::chrono::milliseconds wait,
                                       JournalEntry &entry) {
    const auto deadline = Clock::now() + wait;
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        Known known = Known::InProgress;
        if (auto it = unwritten_.find(key); it != unwritten_.end()) {
            entry = it->second;
            return Known::Done;
        }
        if (!inFlight_.count(key)) {
            auto found = journal_.Find(printer_.name, key);
            if (!found) return Known::Nothing;
            entry = *found;
            known = entry.state == kSending ? Known::InProgress : Known::Done;
        }
        if (known == Known::Done || stopping_ ||
            changed_.wait_until(lock, deadline) == std::cv_status::timeout)
            return known;
    }
}

Message PrinterQueue::Summary() {
    std::lock_guard<std::mutex> lock(mutex_);
    const char *state = unsettled_             ? "unsettled"
                        : !unresolved_.empty() ? "unresolved"
                        : !unwritten_.empty()  ? "journal_failing"
                        : up_ == 1             ? "ready"
                        : up_ == 0             ? "offline"
                                               : "unknown";
    return {{"name", printer_.name},
            {"port", printer_.port},
            {"speed", printer_.speed},
            {"state", state},
            {"queue", queue_.size() + (running_ ? 1 : 0)},
            {"unsettled", unsettled_},
            {"unresolved", unresolved_}};
}

JobResult PrinterQueue::Resolve(const std::string &key, const std::string &state, const std::string &note,
                                const std::string &role) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (inFlight_.count(key) || unwritten_.count(key))
        return {HttpStatusOf("state_conflict"),
                ErrorJson("state_conflict", "the request " + key +
                                                " has an outcome being written; only an "
                                                "unknown outcome is resolved")};
    const std::optional<JournalEntry> row = journal_.Find(printer_.name, key);
    if (!row) return {404, ErrorJson("not_found", "no request with this key on printer " + printer_.name)};
    if (row->state != kUnknown)
        return {HttpStatusOf("state_conflict"),
                ErrorJson("state_conflict", "the request " + key + " is " + row->state +
                                                "; only an unknown outcome is resolved")};
    Message answer = Message::parse(row->answer, nullptr, false);
    if (!answer.is_object()) answer = {{"printer", printer_.name}, {"key", key}};
    answer["state"] = state;
    answer.erase("error");
    const bool receipt = row->kind == "receipt";
    int http = 200;
    if (state == kNotPrinted) {
        answer["error"] =
            ErrorJson("interrupted", receipt ? "the receipt did not print, as a technician found; "
                                               "print it again under a new key"
                                             : "it was not done, as a technician found; ask for it "
                                               "again under a new key")["error"];
        http = HttpStatusOf("interrupted");
    }
    char at[32];
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    gmtime_r(&now, &tm);
    std::strftime(at, sizeof at, "%Y-%m-%dT%H:%M:%SZ", &tm);
    answer["resolution"] = {{"state", state}, {"note", note}, {"by", role}, {"at", at}};
    std::string error;
    if (!journal_.Resolve(printer_.name, key, state, http, answer.dump(), role, note, error)) {
        if (error.empty())
            return {HttpStatusOf("state_conflict"),
                    ErrorJson("state_conflict", "the request " + key + " is no longer unknown")};
        LogError("journal_refused", {{"printer", printer_.name}, {"key", key}, {"message", error}});
        metrics_.Add("darvo_journal_write_failures_total", {});
        return {HttpStatusOf("journal_failing"),
                ErrorJson("journal_failing", "the journal cannot be written; the outcome stays unknown")};
    }
    unresolved_.erase(std::remove(unresolved_.begin(), unresolved_.end(), key), unresolved_.end());
    metrics_.Set("darvo_unresolved_outcomes", labels_, static_cast<double>(unresolved_.size()));
    LogInfo("resolved",
            {{"printer", printer_.name}, {"key", key}, {"kind", row->kind}, {"state", state}, {"by", role}});
    if (receipt)
        metrics_.Add("darvo_receipts_total", {{"printer", printer_.name}, {"outcome", "resolved_" + state}});
    changed_.notify_all();
    return {200, answer};
}

void PrinterQueue::Depth() {
    metrics_.Set("darvo_queue_depth", labels_, static_cast<double>(queue_.size() + (running_ ? 1 : 0)));
}

void PrinterQueue::Loop() {
    EnsureWorker();
    auto retryAt = Clock::now();
    for (;;) {
        std::shared_ptr<Job> job;
        bool retry = false, refresh = false;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            auto ready = [&] { return stopping_ || settleNow_ || !queue_.empty(); };
            // An outcome not known yet, or not written yet, is tried again
            // now and then: as soon as the printer answers, or the journal
            // takes writes again. An idle printer's status is read now and
            // then for /metrics, never before a job that waits.
            const bool pending = unsettled_ > 0 || !unwritten_.empty();
            const auto status = settings_.statusIntervalMs > 0 ? nextStatus_ : Clock::time_point::max();
            const auto until = pending ? std::min(retryAt, status) : status;
            if (until == Clock::time_point::max())
                wake_.wait(lock, ready);
            else
                wake_.wait_until(lock, until, ready);
            if (stopping_) break;
            const auto now = Clock::now();
            if (pending && now >= retryAt) {
                retry = true;
                retryAt = now + std::chrono::milliseconds(settings_.settleIntervalMs);
            }
            if (!queue_.empty()) {
                job = queue_.front();
                queue_.pop_front();
                if (job == pendingStatus_) pendingStatus_.reset();
                running_ = true;
            } else {
                refresh = now >= nextStatus_ && !settleNow_ && settings_.statusIntervalMs > 0;
            }
            retry = retry || !unwritten_.empty();
        }
        if (retry) WriteUnwritten();
        if (settleNow_ || (retry && unsettled_ > 0)) Settle();
        if (job) Run(job);
        if (refresh) RefreshStatus();
        std::lock_guard<std::mutex> lock(mutex_);
        running_ = false;
        Depth();
        changed_.notify_all();
    }
    StopWorker(false);
    WriteUnwritten(); // a last try before the service ends
}

void PrinterQueue::RefreshStatus() {
    const std::optional<Message> r = Talk({{"op", "status"}}, nullptr);
    const bool read = r && !r->contains("error");
    if (read) Observe(r->value("answer", Message::object()));
    int was = -1;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        was = up_;
        up_ = read ? 1 : 0;
        nextStatus_ = Clock::now() + std::chrono::milliseconds(settings_.statusIntervalMs);
    }
    // A line when the printer stops or starts answering, not at every look.
    if (was != 0 && !read)
        LogWarning("printer_down", {{"printer", printer_.name},
                                    {"message", r ? r->value("error", Message::object()).value("message", "")
                                                  : "its worker ended"}});
    else if (was == 0 && read)
        LogInfo("printer_up", {{"printer", printer_.name}});
    metrics_.Set("darvo_printer_up", labels_, read ? 1 : 0);
}

namespace {

double UnixNow() {
    return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

// "2024-05-01T14:05:30", the printer's local time, in seconds since the epoch.
std::optional<double> PrinterTime(const std::string &text) {
    std::tm tm{};
    if (std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d", &tm.tm_year, &tm.tm_mon, &tm.tm_mday,
                    &tm.tm_hour, &tm.tm_min, &tm.tm_sec) != 6)
        return std::nullopt;
    tm.tm_year -= 1900;
    tm.tm_mon -= 1;
    tm.tm_isdst = -1;
    const std::time_t t = std::mktime(&tm);
    if (t == static_cast<std::time_t>(-1)) return std::nullopt;
    return static_cast<double>(t);
}

} // namespace

void PrinterQueue::Observe(const Message &status) {
    const double now = UnixNow();
    metrics_.Set("darvo_printer_status_timestamp_seconds", labels_, now);
    metrics_.Set("darvo_printer_fiscal_mode", labels_, status.value("mode", "") == "fiscal" ? 1 : 0);
    metrics_.Set("darvo_printer_read_only", labels_, status.value("read_only", false) ? 1 : 0);
    metrics_.Set("darvo_printer_paper_out", labels_, status.value("paper", "") == "out" ? 1 : 0);
    const Message conditions = status.value("conditions", Message::array());
    for (const std::string &name : ops::ConditionNames()) {
        bool held = false;
        for (const auto &c : conditions)
            held = held || (c.is_string() && c.get<std::string>() == name);
        metrics_.Set("darvo_printer_condition", {{"printer", printer_.name}, {"condition", name}},
                     held ? 1 : 0);
    }
    metrics_.Set("darvo_printer_receipts_since_daily_report", labels_, status.value("receipt_counter", -1));
    const int report = status.value("daily_report", -1);
    metrics_.Set("darvo_printer_daily_report_number", labels_, report);
    {
        // Seen by the service: the first time, and each time it moves.
        std::lock_guard<std::mutex> lock(mutex_);
        if (report >= 0 && report != lastDailyReport_) {
            lastDailyReport_ = report;
            metrics_.Set("darvo_printer_daily_report_changed_timestamp_seconds", labels_, now);
        }
    }
    if (const auto clock = PrinterTime(status.value("clock", "")))
        metrics_.Set("darvo_printer_clock_offset_seconds", labels_, *clock - now);
}

bool PrinterQueue::EnsureWorker() {
    if (workerPid_ > 0) {
        int status = 0;
        if (::waitpid(workerPid_, &status, WNOHANG) == 0) return true;
        LogWarning("worker_ended", {{"printer", printer_.name}, {"status", std::to_string(status)}});
        ::close(channel_.fd());
        workerPid_ = -1;
    }
    // A worker that ended at once is not started again at once.
    if (workerStarts_ > 0) {
        if (Since(workerStarted_) < 1.0) {
            std::unique_lock<std::mutex> lock(mutex_);
            if (wake_.wait_for(lock, restartDelay_, [&] { return stopping_; })) return false;
            restartDelay_ = std::min(restartDelay_ * 2, std::chrono::milliseconds(10000));
        } else {
            restartDelay_ = std::chrono::milliseconds(100);
        }
        metrics_.Add("darvo_worker_restarts_total", labels_);
    }
    int sv[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sv) != 0) return false;
    std::vector<std::string> args = {"/proc/self/exe",
                                     "--worker",
                                     printer_.name,
                                     "--worker-port",
                                     printer_.port,
                                     "--worker-speed",
                                     std::to_string(printer_.speed),
                                     "--timeout-ms",
                                     std::to_string(settings_.timeoutMs),
                                     "--worker-parent",
                                     std::to_string(::getpid())};
    std::vector<char *> argv;
    for (std::string &a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const long maxFd = ::sysconf(_SC_OPEN_MAX);
    const pid_t pid = ::fork();
    if (pid == 0) {
        // Only what may run between fork and exec: the channel becomes
        // descriptor 3, nothing else of the service's is kept.
        if (sv[1] == 3)
            ::fcntl(3, F_SETFD, 0);
        else
            ::dup2(sv[1], 3);
        if (::syscall(SYS_close_range, 4u, ~0u, 0u) != 0)
            for (long fd = 4; fd < maxFd; ++fd)
                ::close(static_cast<int>(fd));
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(sv[1]);
    if (pid < 0) {
        ::close(sv[0]);
        LogError("worker_not_started", {{"printer", printer_.name}});
        return false;
    }
    channel_.Reset(sv[0]);
    workerPid_ = pid;
    workerStarted_ = Clock::now();
    ++workerStarts_;
    LogInfo("worker_started", {{"printer", printer_.name}, {"pid", std::to_string(pid)}});
    return true;
}

void PrinterQueue::StopWorker(bool kill) {
    if (workerPid_ <= 0) return;
    if (kill) ::kill(workerPid_, SIGKILL);
    ::close(channel_.fd()); // the worker ends when its channel closes
    int status = 0;
    ::waitpid(workerPid_, &status, 0);
    workerPid_ = -1;
}

std::optional<Message> PrinterQueue::Talk(const Message &request, Job *changing) {
    if (!EnsureWorker()) return std::nullopt;
    bool ok = channel_.Send(request);
    Message message;
    while (ok) {
        const Channel::Read read = channel_.Receive(message, kWatchdog);
        if (read != Channel::Read::Message) {
            if (read == Channel::Read::TimedOut) LogError("worker_hung", {{"printer", printer_.name}});
            break;
        }
        if (message.contains("result")) return message["result"];
        if (message.value("event", "") != "sending") continue;
        // The row goes to the journal, on disk, before the first byte.
        bool go = changing != nullptr;
        if (go) {
            JournalEntry entry;
            entry.printer = printer_.name;
            entry.key = changing->key;
            entry.kind = changing->kind;
            entry.bodyHash = changing->bodyHash;
            const Message before = message.value("before", Message::object());
            if (!before.empty()) entry.factsBefore = before.dump();
            entry.counterBefore = before.value("receipt_counter", int64_t(-1));
            entry.answer = message.value("answer", Message::object()).dump();
            std::string error;
            go = changing->journalled = journal_.Begin(entry, error);
            if (!go) {
                LogError("journal_refused",
                         {{"printer", printer_.name}, {"key", changing->key}, {"message", error}});
                metrics_.Add("darvo_journal_write_failures_total", {});
            } else {
                CrashIfAt("journal");
            }
            metrics_.Set("darvo_journal_writable", {}, journal_.Failing() ? 0 : 1);
        }
        ok = channel_.Send({{"go", go}});
    }
    LogError("worker_lost", {{"printer", printer_.name}});
    StopWorker(true);
    return std::nullopt;
}

namespace {

// Requests whose unknown outcome holds the printer until a technician
// settles it: those that leave a fiscal record.
bool Holds(const std::string &kind) {
    return kind == "receipt" || kind == "daily";
}

const char *kUnknownMessage =
    "the printer's own records do not tell whether it printed: look at the paper roll "
    "(\"found\" says what to look for) and settle it with POST "
    "/v1/printers/{name}/receipts/{key}/resolve (a technician); until then this "
    "printer takes no other receipt or daily report. Do not print it again";

} // namespace

void PrinterQueue::Record(const std::string &key, const std::string &kind, const std::string &bodyHash,
                          const std::string &state, int64_t receiptNumber, int http, const Message &answer,
                          const std::string &factsAfter) {
    std::string error;
    const std::string text = answer.dump();
    const bool written =
        journal_.Finish(printer_.name, key, state, receiptNumber, http, text, factsAfter, error);
    metrics_.Set("darvo_journal_writable", {}, journal_.Failing() ? 0 : 1);
    std::lock_guard<std::mutex> lock(mutex_);
    if (state == kUnknown && Holds(kind) &&
        std::find(unresolved_.begin(), unresolved_.end(), key) == unresolved_.end()) {
        unresolved_.push_back(key);
        metrics_.Set("darvo_unresolved_outcomes", labels_, static_cast<double>(unresolved_.size()));
    }
    if (written) return;
    // Kept, and answering its key, until the journal takes it.
    LogError("journal_refused", {{"printer", printer_.name}, {"key", key}, {"message", error}});
    metrics_.Add("darvo_journal_write_failures_total", {});
    JournalEntry &e = unwritten_[key];
    e.printer = printer_.name;
    e.key = key;
    e.kind = kind;
    e.bodyHash = bodyHash;
    e.state = state;
    e.receiptNumber = receiptNumber;
    e.httpStatus = http;
    e.answer = text;
    e.factsAfter = factsAfter;
    metrics_.Set("darvo_unwritten_outcomes", labels_, static_cast<double>(unwritten_.size()));
}

void PrinterQueue::WriteUnwritten() {
    std::map<std::string, JournalEntry> rows;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        rows = unwritten_;
    }
    for (const auto &[key, e] : rows) {
        std::string error;
        if (!journal_.Finish(printer_.name, key, e.state, e.receiptNumber, e.httpStatus, e.answer,
                             e.factsAfter, error))
            break; // not yet
        LogInfo("journal_written", {{"printer", printer_.name}, {"key", key}, {"state", e.state}});
        std::lock_guard<std::mutex> lock(mutex_);
        unwritten_.erase(key);
        changed_.notify_all();
    }
    metrics_.Set("darvo_journal_writable", {}, journal_.Failing() ? 0 : 1);
    std::lock_guard<std::mutex> lock(mutex_);
    metrics_.Set("darvo_unwritten_outcomes", labels_, static_cast<double>(unwritten_.size()));
}

// Every row of this printer left "sending" (by a crash, a printer gone
// silent, a lost worker) is settled from the printer itself: its counters
// and totals against those journalled before it. Never sent again.
void PrinterQueue::Settle() {
    settleNow_ = false;
    int left = 0;
    for (const JournalEntry &row : journal_.Sending(printer_.name)) {
        {
            // Settled already; only the journal has not taken it yet.
            std::lock_guard<std::mutex> lock(mutex_);
            if (unwritten_.count(row.key)) continue;
        }
        Message answer = {{"state", kUnknown}, {"printer", printer_.name}, {"key", row.key}};
        Message stored = Message::parse(row.answer, nullptr, false);
        if (stored.is_object()) answer.update(stored);
        std::string state = kUnknown, factsAfter, found;
        int http = 500;
        if (!Holds(row.kind)) {
            found =
                "the service stopped while the printer ran this request, and the printer keeps no record of "
                "it: its printout tells whether it was done";
        } else {
            Message request = {{"op", "settle"},
                               {"kind", row.kind},
                               {"before", Message::parse(row.factsBefore, nullptr, false)},
                               {"receipt", stored.is_object() ? stored.value("totals", Message::object())
                                                              : Message::object()}};
            const auto r = Talk(request, nullptr);
            if (!r || !r->value("settled", false)) {
                ++left; // the printer does not answer: once it does
                LogWarning("receipt_unsettled", {{"printer", printer_.name}, {"key", row.key}});
                break;
            }
            state = r->value("state", kUnknown);
            found = r->value("found", "");
            if (r->contains("facts_after")) factsAfter = (*r)["facts_after"].dump();
            if (r->contains("answer")) answer.update((*r)["answer"]);
            if (state == kPrinted) {
                if (row.kind == "receipt") answer["receipt_number"] = r->value("receipt_number", -1);
                http = 200;
            } else if (state == kNotPrinted) {
                answer["error"] = ErrorJson(
                    "interrupted", row.kind == "receipt" ? "the receipt was interrupted and the printer did "
                                                           "not count it; print it again under a new key"
                                                         : "the daily report was not made; ask for it again "
                                                           "under a new key")["error"];
                http = HttpStatusOf("interrupted");
            }
        }
        answer["state"] = state;
        answer["found"] = found;
        if (state == kUnknown) {
            answer["error"] =
                ErrorJson("outcome_unknown", Holds(row.kind) ? kUnknownMessage : found)["error"];
            if (!row.factsBefore.empty())
                answer["facts_before"] = Message::parse(row.factsBefore, nullptr, false);
            if (!factsAfter.empty()) answer["facts_after"] = Message::parse(factsAfter, nullptr, false);
        }
        Record(row.key, row.kind, row.bodyHash, state, answer.value("receipt_number", int64_t(-1)), http,
               answer, factsAfter);
        LogInfo("receipt_settled",
                {{"printer", printer_.name}, {"key", row.key}, {"kind", row.kind}, {"state", state}});
        if (row.kind == "receipt")
            metrics_.Add("darvo_receipts_total", {{"printer", printer_.name}, {"outcome", state}});
    }
    std::lock_guard<std::mutex> lock(mutex_);
    unsettled_ = left;
    metrics_.Set("darvo_unsettled_receipts", labels_, left);
    changed_.notify_all();
}

std::optional<JobResult> PrinterQueue::Held(const std::string &kind) {
    if (kind == "status" || kind == "recover") return std::nullopt;
    std::lock_guard<std::mutex> lock(mutex_);
    if (unsettled_ > 0)
        return JobResult{HttpStatusOf("unsettled"),
                         ErrorJson("unsettled",
                                   "the outcome of an earlier receipt on this printer is not known "
                                   "yet: the printer does not answer. Nothing was sent; it is settled "
                                   "as soon as the printer answers")};
    if (!unresolved_.empty()) {
        std::string keys;
        for (const std::string &k : unresolved_)
            keys += (keys.empty() ? "" : ", ") + k;
        return JobResult{
            HttpStatusOf("unresolved"),
            ErrorJson("unresolved", "the outcome of " + keys +
                                        " on this printer is unknown: a technician must look at the "
                                        "paper roll and resolve it first (POST /v1/printers/" +
                                        printer_.name + "/receipts/KEY/resolve). Nothing was sent")};
    }
    if (!unwritten_.empty())
        return JobResult{HttpStatusOf("journal_failing"),
                         ErrorJson("journal_failing",
                                   "the journal does not take writes: an outcome of this printer "
                                   "waits to be written, and nothing else goes to the printer "
                                   "until it is. Nothing was sent")};
    return std::nullopt;
}

void PrinterQueue::Run(const std::shared_ptr<Job> &job) {
    const auto started = Clock::now();
    const bool changes = job->kind != "status";
    if (changes) {
        if (std::optional<JobResult> held = Held(job->kind)) {
            Finish(*job, *held);
            return;
        }
    }
    const std::optional<Message> r = Talk(job->request, changes ? job.get() : nullptr);
    const bool sent = r && r->value("sent", false);
    Count(job->kind, r ? *r : Message::object(), Since(started));
    if (changes) {
        // What the job changed shows in /metrics once the printer is idle.
        std::lock_guard<std::mutex> lock(mutex_);
        nextStatus_ = Clock::now();
    } else if (r && !r->contains("error")) {
        Observe(r->value("answer", Message::object()));
    }
    if (!r) {
        // The worker was lost. What it was sending, if anything, is settled later.
        const bool maybe = changes && journal_.Find(printer_.name, job->key).has_value();
        if (maybe) {
            std::lock_guard<std::mutex> lock(mutex_);
            unsettled_ = std::max(unsettled_, 1);
        }
        Finish(*job, maybe
                         ? JobResult{202,
                                     {{"state", kInProgress},
                                      {"printer", printer_.name},
                                      {"key", job->key},
                                      {"message", "the printer's worker ended in the middle; the outcome is "
                                                  "settled from the printer"}}}
                         : JobResult{503, ErrorJson("no_communication", "the printer's worker ended; nothing "
                                                                        "was sent")});
        return;
    }
    const Message error = r->value("error", Message::object());
    const std::string kind = error.value("kind", "");
    if (!sent) {
        // Nothing that changes the printer went out: no row, the key stays free.
        std::string ignored;
        if (job->journalled) journal_.Forget(printer_.name, job->key, ignored);
        if (changes && job->kind == "receipt")
            metrics_.Add("darvo_receipts_total", {{"printer", printer_.name}, {"outcome", "refused"}});
        if (!changes && kind.empty()) {
            Message body = {{"printer", printer_.name}, {"port", printer_.port}, {"speed", printer_.speed}};
            body.update(r->value("answer", Message::object()));
            Finish(*job, {200, body});
            return;
        }
        const bool journal = kind == "journal" || (changes && kind.empty());
        Message body = journal ? ErrorJson("journal", "the journal cannot be written; nothing was sent")
                               : Message{{"error", error}};
        Finish(*job, {HttpStatusOf(journal ? "journal" : kind), body});
        return;
    }
    const JobResult result = Outcome(*job, *r);
    const std::string state = r->value("state", "");
    if (job->kind == "receipt") {
        if (result.body.value("state", "") == kPrinted)
            metrics_.Set("darvo_printer_last_receipt_timestamp_seconds", labels_, UnixNow());
        metrics_.Add("darvo_receipts_total",
                     {{"printer", printer_.name}, {"outcome", result.body.value("state", state)}});
        LogInfo("receipt", {{"printer", printer_.name},
                            {"key", job->key},
                            {"state", result.body.value("state", state)},
                            {"number", std::to_string(r->value("receipt_number", -1))},
                            {"code", std::to_string(error.value("code", 0))}});
    } else {
        LogInfo("request", {{"printer", printer_.name},
                            {"kind", job->kind},
                            {"key", job->key},
                            {"state", result.body.value("state", state)}});
    }
    CrashIfAt("answer");
    Finish(*job, result);
}

JobResult PrinterQueue::Outcome(const Job &job, const Message &r) {
    const Message error = r.value("error", Message::object());
    const std::string kind = error.value("kind", "");
    const std::string state = r.value("state", "");
    Message body = {{"state", state}, {"printer", printer_.name}, {"key", job.key}};
    body.update(r.value("answer", Message::object()));
    body["state"] = state;
    if (!error.empty()) body["error"] = error;
    const bool settled = r.value("settled", false);
    if (state == kUnknown && !settled) {
        // The printer went silent after the request went out: the row stays
        // "sending" and is settled as soon as the printer answers.
        body["state"] = kInProgress;
        body["message"] =
            "the printer stopped answering after the request went out; whether it printed is "
            "settled from the printer's own records as soon as it answers. Do not print it again";
        std::lock_guard<std::mutex> lock(mutex_);
        unsettled_ = std::max(unsettled_, 1);
        metrics_.Set("darvo_unsettled_receipts", labels_, unsettled_);
        return {202, body};
    }
    int http = state == kPrinted ? 200 : HttpStatusOf(kind);
    std::string factsAfter;
    if (state == kUnknown) {
        http = HttpStatusOf("outcome_unknown");
        const std::string found = r.value("found", "");
        body["found"] = found;
        body["error"] = ErrorJson("outcome_unknown", Holds(job.kind) ? kUnknownMessage : found)["error"];
        if (r.contains("facts_after")) {
            factsAfter = r["facts_after"].dump();
            body["facts_after"] = r["facts_after"];
        }
    }
    Record(job.key, job.kind, job.bodyHash, state, r.value("receipt_number", int64_t(-1)), http, body,
           factsAfter);
    return {http, body};
}

void PrinterQueue::Finish(Job &job, JobResult result) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!job.key.empty()) inFlight_.erase(job.key);
        changed_.notify_all();
    }
    job.Complete(std::move(result));
}

void PrinterQueue::Count(const std::string &kind, const Message &result, double seconds) {
    metrics_.Observe("darvo_printer_job_seconds", {{"printer", printer_.name}, {"kind", kind}}, seconds);
    const Message error = result.value("error", Message::object());
    const int code = error.value("code", 0);
    const bool lost = !result.contains("sent") || error.value("kind", "") == "no_communication";
    {
        std::lock_guard<std::mutex> lock(mutex_);
        up_ = !lost && result.value("state", "") != kUnknown ? 1 : 0;
    }
    metrics_.Set("darvo_printer_up", labels_, up_);
    if (code == 0) return;
    metrics_.Add("darvo_printer_results_total", {{"printer", printer_.name}, {"code", std::to_string(code)}});
    if (code == 109) metrics_.Add("darvo_printer_paper_out_total", labels_);
    if (code == 20 || code == 21) metrics_.Add("darvo_printer_timeouts_total", labels_);
}

} // namespace darvo::service
