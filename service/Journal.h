// The journal: every request that changes a printer, in SQLite (WAL,
// synchronous writes), the one record of what was sent. A row is written,
// durable, before the request's first byte that changes the printer goes
// out ("sending", with the printer's own counters read just before), and
// gets its outcome afterwards. (printer, key) is unique: a key names one
// request of one printer for good.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

struct sqlite3;

namespace darvo::service {

// States of a row. "sending": the request may have reached the printer and
// its outcome is not known yet; "unknown": the printer's records do not
// tell, and a technician settles it from the paper roll ("resolve").
constexpr const char *kSending = "sending";
constexpr const char *kPrinted = "printed";
constexpr const char *kNotPrinted = "not_printed";
constexpr const char *kUnknown = "unknown";

struct JournalEntry {
    std::string printer, key, kind; // kind: "receipt", "daily", "periodic", ...
    std::string bodyHash;           // SHA-256 of the request body, hex
    std::string state = kSending;
    int64_t counterBefore = -1; // receipts: the printer's receipt counter just before
    int64_t receiptNumber = -1;
    int httpStatus = 0;
    std::string answer;      // the answer's JSON text (while "sending": what is known before)
    std::string factsBefore; // the printer's counters and totals just before (JSON), if read
    std::string factsAfter;  // and as the settlement found them
    std::string resolvedBy;  // a technician's resolution: the token's role, the time, the note
    std::string resolvedAt;
    std::string note;
    std::string created, updated;
    int64_t seq = -1; // its place in the feed of settled rows (-1: not settled for good yet)
    int64_t id = -1;  // the row's own number (Recent)
};

// The feed of a journal opened by another program (darvo-service export).
std::vector<JournalEntry> FeedOf(sqlite3 *db, const std::string &printer, int64_t after, int limit);

class Journal {
  public:
    Journal() = default;
    ~Journal();
    Journal(const Journal &) = delete;
    Journal &operator=(const Journal &) = delete;

    // Opens (or creates, mode 0600) the journal, bringing an older one's
    // table up to date; refused when another process has it open. A write
    // waits `busyMs` for a lock another program holds before it fails.
    bool Open(const std::string &path, std::string &error, int busyMs = 5000);
    void Close();

    // Writes a new row; true once it is on disk. False (nothing written)
    // when the key is taken or the disk refuses.
    bool Begin(const JournalEntry &entry, std::string &error);
    // The outcome of a row (not waited for on disk: the next Begin takes it
    // there, and until then the printer can tell it again).
    bool Finish(const std::string &printer, const std::string &key, const std::string &state,
                int64_t receiptNumber, int httpStatus, const std::string &answer,
                const std::string &factsAfter, std::string &error);
    // A technician's word on an "unknown" row: its state from now on, who
    // (the token's role) and why. False when the row is not "unknown" (with
    // an empty `error`) or the disk refuses.
    bool Resolve(const std::string &printer, const std::string &key, const std::string &state, int httpStatus,
                 const std::string &answer, const std::string &role, const std::string &note,
                 std::string &error);
    // Takes back a row still "sending" whose request never reached the
    // printer: its key is free again.
    bool Forget(const std::string &printer, const std::string &key, std::string &error);
    std::optional<JournalEntry> Find(const std::string &printer, const std::string &key);
    // The rows of a printer still "sending", oldest first.
    std::vector<JournalEntry> Sending(const std::string &printer);
    // The keys of a printer's rows left "unknown" that hold its work (receipts
    // and daily reports), oldest first.
    std::vector<std::string> Unresolved(const std::string &printer);

    // The feed of rows settled for good, in the order they were settled:
    // those after `after` (0: from the first), at most `limit`, of one
    // printer (every printer for ""). A row settled while the feed is read
    // comes after every row read before it: nothing is skipped or repeated.
    std::vector<JournalEntry> Feed(const std::string &printer, int64_t after, int limit);
    // A printer's rows, newest first, for the web console: of a state (empty:
    // any) and a day of their creation ("2024-05-01", UTC; empty: any),
    // before the row `before` (0: from the newest), at most `limit`. Each
    // entry's `id` is its place for the next page.
    std::vector<JournalEntry> Recent(const std::string &printer, const std::string &state, const std::string &day,
                                     int64_t before, int limit);
    // Head office has taken every row up to `upTo`: they may be pruned.
    bool Acknowledge(const std::string &printer, int64_t upTo, std::string &error);
    // Removes the rows head office has taken that were settled more than
    // `days` ago; the number removed, or -1.
    int Prune(int days, std::string &error);

    // The last write was refused (a full disk, an I/O error, a lock held too
    // long); false again after the next one that succeeds.
    bool Failing() const { return failing_.load(); }

  private:
    bool Exec(const char *sql, std::string &error);
    bool Migrate(std::string &error);
    bool Wrote(bool ok, std::string &error);
    std::mutex mutex_;
    sqlite3 *db_ = nullptr;
    int lockFd_ = -1;
    std::atomic<bool> failing_{false};
};

} // namespace darvo::service
