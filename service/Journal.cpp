#include "Journal.h"

#include <sqlite3.h>

#include <cerrno>
#include <iterator>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace darvo::service {

namespace {

constexpr const char *kSchema = R"(
CREATE TABLE IF NOT EXISTS journal (
  printer TEXT NOT NULL,
  key TEXT NOT NULL,
  kind TEXT NOT NULL,
  body_sha256 TEXT NOT NULL,
  state TEXT NOT NULL CHECK (state IN ('sending', 'printed', 'not_printed', 'unknown')),
  counter_before INTEGER,
  receipt_number INTEGER,
  http_status INTEGER,
  answer TEXT,
  created TEXT NOT NULL,
  updated TEXT NOT NULL,
  PRIMARY KEY (printer, key)
);
CREATE INDEX IF NOT EXISTS journal_state ON journal (printer, state);
)";

// Version 2: the printer's counters before and after a request, and a
// technician's resolution of an unknown outcome. Older journals get the
// columns added; no row changes.
constexpr const char *kVersion2 = R"(
ALTER TABLE journal ADD COLUMN facts_before TEXT;
ALTER TABLE journal ADD COLUMN facts_after TEXT;
ALTER TABLE journal ADD COLUMN resolved_by TEXT;
ALTER TABLE journal ADD COLUMN resolved_at TEXT;
ALTER TABLE journal ADD COLUMN note TEXT;
)";

// Version 3: the feed of settled rows for head office. A row gets the next
// number of the feed when its outcome is settled for good (printed or not
// printed, a technician's word included), and is marked once head office
// has asked past it. The rows settled already join the feed in the order
// they were written.
constexpr const char *kVersion3 = R"(
ALTER TABLE journal ADD COLUMN seq INTEGER;
ALTER TABLE journal ADD COLUMN exported INTEGER NOT NULL DEFAULT 0;
UPDATE journal SET seq = rowid WHERE state IN ('printed', 'not_printed');
CREATE UNIQUE INDEX journal_seq ON journal (seq);
)";

// What each version adds to the one before (version 1: the table).
constexpr const char *kSteps[] = {kSchema, kVersion2, kVersion3};
constexpr int kVersion = static_cast<int>(std::size(kSteps));

std::string Now() {
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    gmtime_r(&t, &tm);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &tm);
    return text;
}

// A prepared statement, finalised when it goes.
class Statement {
  public:
    Statement(sqlite3 *db, const char *sql) { sqlite3_prepare_v2(db, sql, -1, &s_, nullptr); }
    ~Statement() { sqlite3_finalize(s_); }
    bool ok() const { return s_ != nullptr; }
    Statement &Text(int i, const std::string &v) {
        sqlite3_bind_text(s_, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Statement &Int(int i, int64_t v) {
        if (v < 0)
            sqlite3_bind_null(s_, i);
        else
            sqlite3_bind_int64(s_, i, v);
        return *this;
    }
    int Step() { return s_ ? sqlite3_step(s_) : SQLITE_ERROR; }
    std::string ColumnText(int i) {
        const unsigned char *t = sqlite3_column_text(s_, i);
        return t ? reinterpret_cast<const char *>(t) : "";
    }
    int64_t ColumnInt(int i) {
        return sqlite3_column_type(s_, i) == SQLITE_NULL ? -1 : sqlite3_column_int64(s_, i);
    }

  private:
    sqlite3_stmt *s_ = nullptr;
};

constexpr const char *kColumns = "printer, key, kind, body_sha256, state, counter_before, receipt_number, "
                                 "http_status, answer, created, updated, facts_before, facts_after, "
                                 "resolved_by, resolved_at, note, seq";

// The next number of the feed, for a row whose outcome is settled for good.
constexpr const char *kNextSeq =
    "CASE WHEN ?1 IN ('printed', 'not_printed') THEN (SELECT COALESCE(MAX(seq), 0) + 1 FROM journal) END";

JournalEntry Read(Statement &s) {
    JournalEntry e;
    e.printer = s.ColumnText(0);
    e.key = s.ColumnText(1);
    e.kind = s.ColumnText(2);
    e.bodyHash = s.ColumnText(3);
    e.state = s.ColumnText(4);
    e.counterBefore = s.ColumnInt(5);
    e.receiptNumber = s.ColumnInt(6);
    e.httpStatus = static_cast<int>(s.ColumnInt(7));
    e.answer = s.ColumnText(8);
    e.created = s.ColumnText(9);
    e.updated = s.ColumnText(10);
    e.factsBefore = s.ColumnText(11);
    e.factsAfter = s.ColumnText(12);
    e.resolvedBy = s.ColumnText(13);
    e.resolvedAt = s.ColumnText(14);
    e.note = s.ColumnText(15);
    e.seq = s.ColumnInt(16);
    return e;
}

} // namespace

Journal::~Journal() {
    Close();
}

void Journal::Close() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (db_) sqlite3_close_v2(db_);
    db_ = nullptr;
    if (lockFd_ >= 0) ::close(lockFd_);
    lockFd_ = -1;
}

bool Journal::Exec(const char *sql, std::string &error) {
    char *message = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) == SQLITE_OK) return true;
    error = message ? message : sqlite3_errmsg(db_);
    sqlite3_free(message);
    return false;
}

bool Journal::Wrote(bool ok, std::string &error) {
    if (!ok && error.empty()) error = sqlite3_errmsg(db_);
    failing_ = !ok;
    return ok;
}

bool Journal::Open(const std::string &path, std::string &error, int busyMs) {
    Close();
    std::lock_guard<std::mutex> lock(mutex_);
    // One service per journal: the lock goes with the process.
    lockFd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY, 0600);
    if (lockFd_ < 0) {
        error = "journal " + path + ": " + std::strerror(errno);
        return false;
    }
    if (::flock(lockFd_, LOCK_EX | LOCK_NB) != 0) {
        error = "journal " + path + ": in use by another darvo-service";
        ::close(lockFd_);
        lockFd_ = -1;
        return false;
    }
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX;
    if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
        error = "journal " + path + ": " + (db_ ? sqlite3_errmsg(db_) : "cannot be opened");
    } else if (sqlite3_busy_timeout(db_, busyMs), !Exec("PRAGMA journal_mode=WAL", error) ||
                                                      !Exec("PRAGMA synchronous=FULL", error) ||
                                                      !Migrate(error)) {
        error = "journal " + path + ": " + error;
    } else {
        return true;
    }
    if (db_) sqlite3_close_v2(db_);
    db_ = nullptr;
    ::close(lockFd_);
    lockFd_ = -1;
    return false;
}

bool Journal::Migrate(std::string &error) {
    int version = 0;
    {
        Statement s(db_, "PRAGMA user_version");
        if (s.Step() == SQLITE_ROW) version = static_cast<int>(s.ColumnInt(0));
    }
    if (version > kVersion) {
        error = "written by a newer darvo-service (journal version " + std::to_string(version) + ")";
        return false;
    }
    if (version == kVersion) return true;
    // One transaction: a journal (or a new one) is brought up to date whole,
    // or not at all.
    std::string script = "BEGIN IMMEDIATE;";
    for (int step = version; step < kVersion; ++step)
        script += kSteps[step];
    script += "PRAGMA user_version = " + std::to_string(kVersion) + "; COMMIT;";
    if (Exec(script.c_str(), error)) return true;
    std::string ignored;
    Exec("ROLLBACK", ignored);
    return false;
}

bool Journal::Begin(const JournalEntry &e, std::string &error) {
    std::lock_guard<std::mutex> lock(mutex_);
    const std::string now = Now();
    Statement s(db_, "INSERT INTO journal (printer, key, kind, body_sha256, state, counter_before, answer, "
                     "created, updated, facts_before) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    s.Text(1, e.printer).Text(2, e.key).Text(3, e.kind).Text(4, e.bodyHash).Text(5, e.state);
    s.Int(6, e.counterBefore).Text(7, e.answer).Text(8, now).Text(9, now).Text(10, e.factsBefore);
    const int rc = s.Step();
    // A key already taken is the caller's doing, not the journal's.
    if (rc == SQLITE_CONSTRAINT) {
        error = sqlite3_errmsg(db_);
        return false;
    }
    return Wrote(rc == SQLITE_DONE, error);
}

bool Journal::Finish(const std::string &printer, const std::string &key, const std::string &state,
                     int64_t receiptNumber, int httpStatus, const std::string &answer,
                     const std::string &factsAfter, std::string &error) {
    std::lock_guard<std::mutex> lock(mutex_);
    // An outcome is written without waiting for the disk: a power cut may
    // take the last one back to "sending", and it is then settled from the
    // printer again, with the same result. It cannot take back more: the
    // next row goes to disk before its first byte, and the write-ahead log
    // keeps the order, so everything before that row is on disk with it.
    std::string ignored;
    Exec("PRAGMA synchronous=NORMAL", ignored);
    bool done = false;
    {
        Statement s(db_, (std::string("UPDATE journal SET state = ?1, receipt_number = ?2, http_status = ?3, "
                                      "answer = ?4, updated = ?5, facts_after = ?6, seq = ") +
                          kNextSeq + " WHERE printer = ?7 AND key = ?8")
                             .c_str());
        s.Text(1, state).Int(2, receiptNumber).Int(3, httpStatus).Text(4, answer).Text(5, Now());
        s.Text(6, factsAfter).Text(7, printer).Text(8, key);
        done = s.Step() == SQLITE_DONE && sqlite3_changes(db_) == 1;
        if (!done) error = sqlite3_errmsg(db_);
    }
    Exec("PRAGMA synchronous=FULL", ignored);
    return Wrote(done, error);
}

bool Journal::Resolve(const std::string &printer, const std::string &key, const std::string &state,
                      int httpStatus, const std::string &answer, const std::string &role,
                      const std::string &note, std::string &error) {
    std::lock_guard<std::mutex> lock(mutex_);
    error.clear();
    const std::string now = Now();
    Statement s(db_,
                (std::string("UPDATE journal SET state = ?1, http_status = ?2, answer = ?3, updated = ?4, "
                             "resolved_by = ?5, resolved_at = ?6, note = ?7, seq = ") +
                 kNextSeq + " WHERE printer = ?8 AND key = ?9 AND state = 'unknown'")
                    .c_str());
    s.Text(1, state).Int(2, httpStatus).Text(3, answer).Text(4, now).Text(5, role).Text(6, now).Text(7, note);
    s.Text(8, printer).Text(9, key);
    if (!Wrote(s.Step() == SQLITE_DONE, error)) return false;
    return sqlite3_changes(db_) == 1;
}

bool Journal::Forget(const std::string &printer, const std::string &key, std::string &error) {
    std::lock_guard<std::mutex> lock(mutex_);
    Statement s(db_, "DELETE FROM journal WHERE printer = ? AND key = ? AND state = 'sending'");
    s.Text(1, printer).Text(2, key);
    return Wrote(s.Step() == SQLITE_DONE, error);
}

std::optional<JournalEntry> Journal::Find(const std::string &printer, const std::string &key) {
    std::lock_guard<std::mutex> lock(mutex_);
    Statement s(db_,
                (std::string("SELECT ") + kColumns + " FROM journal WHERE printer = ? AND key = ?").c_str());
    s.Text(1, printer).Text(2, key);
    if (s.Step() != SQLITE_ROW) return std::nullopt;
    return Read(s);
}

std::vector<JournalEntry> Journal::Sending(const std::string &printer) {
    std::lock_guard<std::mutex> lock(mutex_);
    Statement s(db_, (std::string("SELECT ") + kColumns +
                      " FROM journal WHERE printer = ? AND state = 'sending' ORDER BY created, rowid")
                         .c_str());
    s.Text(1, printer);
    std::vector<JournalEntry> list;
    while (s.Step() == SQLITE_ROW)
        list.push_back(Read(s));
    return list;
}

std::vector<std::string> Journal::Unresolved(const std::string &printer) {
    std::lock_guard<std::mutex> lock(mutex_);
    Statement s(db_,
                "SELECT key FROM journal WHERE printer = ? AND state = 'unknown' AND kind IN ('receipt', "
                "'daily') ORDER BY created, rowid");
    s.Text(1, printer);
    std::vector<std::string> keys;
    while (s.Step() == SQLITE_ROW)
        keys.push_back(s.ColumnText(0));
    return keys;
}

std::vector<JournalEntry> Journal::Feed(const std::string &printer, int64_t after, int limit) {
    std::lock_guard<std::mutex> lock(mutex_);
    return FeedOf(db_, printer, after, limit);
}

bool Journal::Acknowledge(const std::string &printer, int64_t upTo, std::string &error) {
    std::lock_guard<std::mutex> lock(mutex_);
    Statement s(
        db_,
        "UPDATE journal SET exported = 1 WHERE (printer = ?1 OR ?1 = '') AND seq <= ?2 AND exported = 0");
    s.Text(1, printer).Int(2, upTo);
    return Wrote(s.Step() == SQLITE_DONE, error);
}

int Journal::Prune(int days, std::string &error) {
    std::lock_guard<std::mutex> lock(mutex_);
    const std::time_t before = std::time(nullptr) - static_cast<std::time_t>(days) * 86400;
    std::tm tm{};
    gmtime_r(&before, &tm);
    char limit[32];
    std::strftime(limit, sizeof limit, "%Y-%m-%dT%H:%M:%SZ", &tm);
    // Never a row still sending or unknown, nor one head office has not taken.
    Statement s(
        db_,
        "DELETE FROM journal WHERE exported = 1 AND state IN ('printed', 'not_printed') AND updated < ?");
    s.Text(1, limit);
    if (!Wrote(s.Step() == SQLITE_DONE, error)) return -1;
    return sqlite3_changes(db_);
}

std::vector<JournalEntry> Journal::Recent(const std::string &printer, const std::string &state,
                                         const std::string &day, int64_t before, int limit) {
    std::lock_guard<std::mutex> lock(mutex_);
    Statement s(db_, (std::string("SELECT ") + kColumns +
                      ", rowid FROM journal WHERE printer = ?1 AND (state = ?2 OR ?2 = '') AND (substr(created, 1, "
                      "10) = ?3 OR ?3 = '') AND (rowid < ?4 OR ?4 = 0) ORDER BY rowid DESC LIMIT ?5")
                         .c_str());
    s.Text(1, printer).Text(2, state).Text(3, day).Int(4, before).Int(5, limit);
    std::vector<JournalEntry> rows;
    while (s.Step() == SQLITE_ROW) {
        rows.push_back(Read(s));
        rows.back().id = s.ColumnInt(17);
    }
    return rows;
}

std::vector<JournalEntry> FeedOf(sqlite3 *db, const std::string &printer, int64_t after, int limit) {
    Statement s(db, (std::string("SELECT ") + kColumns +
                     " FROM journal WHERE seq > ?1 AND (printer = ?2 OR ?2 = '') ORDER BY seq LIMIT ?3")
                        .c_str());
    s.Int(1, after < 0 ? 0 : after).Text(2, printer).Int(3, limit);
    std::vector<JournalEntry> rows;
    while (s.Step() == SQLITE_ROW)
        rows.push_back(Read(s));
    return rows;
}

} // namespace darvo::service
