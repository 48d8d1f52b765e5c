// One printer as the service sees it: its queue of jobs, the worker
// process that runs them one at a time, and the journal rows of its
// requests. A printer that is off, out of paper or gone fails its own jobs
// after its time-outs and holds up no other printer.
#pragma once

#include "Channel.h"
#include "Config.h"
#include "Journal.h"
#include "Metrics.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace darvo::service {

// A stable error code ("kind") and its HTTP status.
int HttpStatusOf(const std::string &kind);
Message ErrorJson(const std::string &kind, const std::string &message);

struct JobResult {
    int http = 500;
    Message body;
};

struct Job {
    std::string kind; // "receipt", "status", "daily", "financial", "periodic", "clock", "recover"
    Message request;  // what the worker gets
    std::string key;  // jobs that change the printer: their idempotency key
    std::string bodyHash;
    bool journalled = false; // its row was written (the loop's thread)

    void Complete(JobResult result);
    // True once the job is done (within `limit`).
    bool Wait(std::chrono::milliseconds limit);
    JobResult Result();

  private:
    std::mutex mutex_;
    std::condition_variable cv_;
    bool done_ = false;
    JobResult result_;
};

enum class Admission { Accepted, Replay, InProgress, KeyReused, QueueFull, Stopping };

class PrinterQueue {
  public:
    PrinterQueue(PrinterSetting printer, const Settings &settings, Journal &journal, Metrics &metrics);
    ~PrinterQueue();
    PrinterQueue(const PrinterQueue &) = delete;
    PrinterQueue &operator=(const PrinterQueue &) = delete;

    const PrinterSetting &printer() const { return printer_; }
    void Start();
    // The running job ends; jobs still waiting are refused.
    void Stop();

    // A job that changes the printer, under its key: queued, or answered
    // from what is known of the key (`stored` for a replay).
    Admission Submit(const std::shared_ptr<Job> &job, JournalEntry &stored);
    // A status read: one that has not started yet is shared.
    std::shared_ptr<Job> SubmitStatus(Admission &admission);

    enum class Known { Nothing, InProgress, Done };
    // What is known of a key; with `wait`, an outcome not known yet is
    // waited for that long.
    Known Find(const std::string &key, std::chrono::milliseconds wait, JournalEntry &entry);

    // A technician's word on a request whose outcome is "unknown":
    // "printed" or "not_printed", with a note; `role` is the token's.
    JobResult Resolve(const std::string &key, const std::string &state, const std::string &note,
                      const std::string &role);

    // {"name", "port", "speed", "state", "queue", "unsettled", "unresolved"};
    // the state is "ready", "offline" (its last job found it silent),
    // "unsettled", "unresolved" (a technician must look at an outcome),
    // "journal_failing" (an outcome waits for the journal) or "unknown" (no
    // job yet).
    Message Summary();

  private:
    void Loop();
    // The printer's status for /metrics: read when it is idle, and after a job.
    void RefreshStatus();
    void Observe(const Message &status);
    bool EnsureWorker();
    void StopWorker(bool kill);
    // The worker's result of one request, or nothing when the worker died.
    std::optional<Message> Talk(const Message &request, Job *changing);
    void Settle();
    void Run(const std::shared_ptr<Job> &job);
    // The answer to a job that changes the printer, once the worker is done.
    JobResult Outcome(const Job &job, const Message &r);
    // Why work that changes the printer must wait, if it must.
    std::optional<JobResult> Held(const std::string &kind);
    void Finish(Job &job, JobResult result);
    // An outcome into the journal; one the journal refuses is kept and
    // written again until it takes it.
    void Record(const std::string &key, const std::string &kind, const std::string &bodyHash,
                const std::string &state, int64_t receiptNumber, int http, const Message &answer,
                const std::string &factsAfter);
    void WriteUnwritten();
    void Count(const std::string &kind, const Message &result, double seconds);
    void Depth();

    PrinterSetting printer_;
    const Settings &settings_;
    Journal &journal_;
    Metrics &metrics_;
    Labels labels_;

    std::mutex mutex_;
    std::condition_variable wake_;    // the loop: a job, a stop, a settlement to try
    std::condition_variable changed_; // a job or a settlement ended
    std::deque<std::shared_ptr<Job>> queue_;
    std::shared_ptr<Job> pendingStatus_;
    std::map<std::string, std::string> inFlight_; // key -> body hash
    // Outcomes the journal refused, kept until it takes them (the loop
    // writes them again); meanwhile they answer their keys.
    std::map<std::string, JournalEntry> unwritten_;
    std::vector<std::string> unresolved_; // keys whose outcome a technician must settle
    bool running_ = false;
    bool stopping_ = false;
    bool settleNow_ = true;
    int unsettled_ = 0;
    int up_ = -1; // the last job found the printer answering (1) or not (0); -1 before any
    std::chrono::steady_clock::time_point nextStatus_ = std::chrono::steady_clock::now();
    int lastDailyReport_ = -1;
    std::thread thread_;

    // The worker (the loop's thread only).
    Channel channel_;
    int workerPid_ = -1;
    int workerStarts_ = 0;
    std::chrono::steady_clock::time_point workerStarted_{};
    std::chrono::milliseconds restartDelay_{100};
};

} // namespace darvo::service
