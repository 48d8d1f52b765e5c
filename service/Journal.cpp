#include "Journal.h"

#include <sqlite3.h>

#include <cerrno>
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
PRAGMA user_version = 1;
)";

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
                                 "http_status, answer, created, updated";

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

bool Journal::Open(const std::string &path, std::string &error) {
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
    } else if (sqlite3_busy_timeout(db_, 5000), !Exec("PRAGMA journal_mode=WAL", error) ||
                                                    !Exec("PRAGMA synchronous=FULL", error) ||
                                                    !Exec(kSchema, error)) {
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

bool Journal::Begin(const JournalEntry &e, std::string &error) {
    std::lock_guard<std::mutex> lock(mutex_);
    const std::string now = Now();
    Statement s(db_, "INSERT INTO journal (printer, key, kind, body_sha256, state, counter_before, answer, "
                     "created, updated) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)");
    s.Text(1, e.printer).Text(2, e.key).Text(3, e.kind).Text(4, e.bodyHash).Text(5, e.state);
    s.Int(6, e.counterBefore).Text(7, e.answer).Text(8, now).Text(9, now);
    if (s.Step() == SQLITE_DONE) return true;
    error = sqlite3_errmsg(db_);
    return false;
}

bool Journal::Finish(const std::string &printer, const std::string &key, const std::string &state,
                     int64_t receiptNumber, int httpStatus, const std::string &answer, std::string &error) {
    std::lock_guard<std::mutex> lock(mutex_);
    // An outcome is written without waiting for the disk: a power cut may
    // take the last one back to "sending", and it is then settled from the
    // printer again, with the same result. It cannot take back more: the
    // next row goes to disk before its first byte, and the write-ahead log
    // keeps the order, so everything before that row is on disk with it.
    std::string ignored;
    Exec("PRAGMA synchronous=NORMAL", ignored);
    Statement s(db_,
                "UPDATE journal SET state = ?, receipt_number = ?, http_status = ?, answer = ?, updated = ? "
                "WHERE printer = ? AND key = ?");
    s.Text(1, state).Int(2, receiptNumber).Int(3, httpStatus).Text(4, answer).Text(5, Now());
    s.Text(6, printer).Text(7, key);
    const bool done = s.Step() == SQLITE_DONE && sqlite3_changes(db_) == 1;
    if (!done) error = sqlite3_errmsg(db_);
    Exec("PRAGMA synchronous=FULL", ignored);
    return done;
}

bool Journal::Forget(const std::string &printer, const std::string &key, std::string &error) {
    std::lock_guard<std::mutex> lock(mutex_);
    Statement s(db_, "DELETE FROM journal WHERE printer = ? AND key = ? AND state = 'sending'");
    s.Text(1, printer).Text(2, key);
    if (s.Step() == SQLITE_DONE) return true;
    error = sqlite3_errmsg(db_);
    return false;
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

} // namespace darvo::service
