// The journal: every request that changes a printer, in SQLite (WAL,
// synchronous writes), the one record of what was sent. A row is written,
// durable, before the request's first byte that changes the printer goes
// out ("sending", with the printer's receipt counter read just before), and
// gets its outcome afterwards. (printer, key) is unique: a key names one
// request of one printer for good.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

struct sqlite3;

namespace darvo::service {

// States of a row. "sending": the request may have reached the printer and
// its outcome is not known yet; "unknown": the printer cannot tell any more
// (someone must look at the paper roll).
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
    std::string answer; // the answer's JSON text (while "sending": what is known before)
    std::string created, updated;
};

class Journal {
  public:
    Journal() = default;
    ~Journal();
    Journal(const Journal &) = delete;
    Journal &operator=(const Journal &) = delete;

    // Opens (or creates, mode 0600) the journal; refused when another
    // process has it open.
    bool Open(const std::string &path, std::string &error);
    void Close();

    // Writes a new row; true once it is on disk. False (nothing written)
    // when the key is taken or the disk refuses.
    bool Begin(const JournalEntry &entry, std::string &error);
    // The outcome of a row (not waited for on disk: the next Begin takes it
    // there, and until then the printer can tell it again).
    bool Finish(const std::string &printer, const std::string &key, const std::string &state,
                int64_t receiptNumber, int httpStatus, const std::string &answer, std::string &error);
    // Takes back a row still "sending" whose request never reached the
    // printer: its key is free again.
    bool Forget(const std::string &printer, const std::string &key, std::string &error);
    std::optional<JournalEntry> Find(const std::string &printer, const std::string &key);
    // The rows of a printer still "sending", oldest first.
    std::vector<JournalEntry> Sending(const std::string &printer);

  private:
    bool Exec(const char *sql, std::string &error);
    std::mutex mutex_;
    sqlite3 *db_ = nullptr;
    int lockFd_ = -1;
};

} // namespace darvo::service
