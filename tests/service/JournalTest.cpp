// A journal that refuses writes (another program holds its lock, as a full
// disk or an I/O error would refuse them): an outcome the printer has
// committed is kept in memory and answers its key, the printer takes no
// other request, health and metrics say so, and the outcome is written as
// soon as the journal takes writes again.
#include "ServiceFixture.h"

#include <future>
#include <sqlite3.h>

using namespace darvotest;
using JournalRefusing = ServiceTest;

TEST_F(JournalRefusing, AnOutcomeIsNeverLost) {
    StartService({}, {"--journal-wait-ms", "50"});
    ASSERT_EQ(200, PostReceipt("warm-up").status);
    {
        std::lock_guard<std::recursive_mutex> lock(Printer().mutex);
        Printer().printPolls = 1 << 30; // the printout lasts until it is let go
    }
    auto sale = std::async(std::launch::async, [this] { return PostReceipt("sale"); });
    // So many bytes come only from following the printout: the receipt is closed.
    ASSERT_TRUE(Sim().log().WaitForHostBytes(Sim().HostBytes() + 3000, Scaled(std::chrono::seconds(10))));
    sqlite3 *other = nullptr;
    ASSERT_EQ(SQLITE_OK, sqlite3_open((dir() + "/journal.db").c_str(), &other));
    ASSERT_EQ(SQLITE_OK, sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr));
    {
        std::lock_guard<std::recursive_mutex> lock(Printer().mutex);
        Printer().printRemaining = 1;
        Printer().printPolls = 2; // the next ones as usual
    }
    const Reply printed = sale.get();
    EXPECT_EQ(200, printed.status) << printed.body;
    EXPECT_EQ(2, printed.body["receipt_number"]);

    const Reply health = Request("GET", "/healthz", "");
    EXPECT_EQ(503, health.status);
    EXPECT_EQ("failing", health.body["journal"]);
    const std::string metrics = Request("GET", "/metrics", "monitor").text;
    EXPECT_NE(std::string::npos, metrics.find("darvo_journal_writable 0\n")) << metrics;
    EXPECT_NE(std::string::npos, metrics.find("darvo_unwritten_outcomes{printer=\"till\"} 1\n")) << metrics;
    const Reply again = PostReceipt("sale");
    EXPECT_EQ(printed.body, again.body) << "answered from memory";
    EXPECT_EQ("printed", Outcome("sale").State());
    const int frames = Sim().FrameCount();
    const Reply next = PostReceipt("next");
    EXPECT_EQ(503, next.status);
    EXPECT_EQ("journal_failing", next.Kind());
    EXPECT_EQ(frames, Sim().FrameCount()) << "a request reached the printer";

    ASSERT_EQ(SQLITE_OK, sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr));
    sqlite3_close(other);
    EXPECT_EQ(200, AskUntil("/healthz", "", [](const Reply &r) { return r.status == 200; }).status);
    EXPECT_EQ(200, PostReceipt("next").status);
    StopService();
    StartService();
    const Reply stored = Outcome("sale");
    EXPECT_EQ("printed", stored.State()) << "on disk";
    EXPECT_EQ(2, stored.body["receipt_number"]);
    EXPECT_EQ(3, Receipts());
}

// A till's journal of the version before keeps every row: its table gains
// the new columns, and its outcomes answer as they did.
TEST_F(JournalRefusing, AnOlderJournalIsKeptWhole) {
    sqlite3 *old = nullptr;
    ASSERT_EQ(SQLITE_OK, sqlite3_open((dir() + "/journal.db").c_str(), &old));
    const char *v1 = R"(
        CREATE TABLE journal (printer TEXT NOT NULL, key TEXT NOT NULL, kind TEXT NOT NULL,
          body_sha256 TEXT NOT NULL,
          state TEXT NOT NULL CHECK (state IN ('sending', 'printed', 'not_printed', 'unknown')),
          counter_before INTEGER, receipt_number INTEGER, http_status INTEGER, answer TEXT,
          created TEXT NOT NULL, updated TEXT NOT NULL, PRIMARY KEY (printer, key));
        CREATE INDEX journal_state ON journal (printer, state);
        INSERT INTO journal VALUES ('till', 'old', 'receipt', 'x', 'printed', 0, 1, 200,
          '{"state":"printed","receipt_number":1}', '2026-01-02T10:00:00Z', '2026-01-02T10:00:01Z');
        PRAGMA user_version = 1;)";
    ASSERT_EQ(SQLITE_OK, sqlite3_exec(old, v1, nullptr, nullptr, nullptr));
    sqlite3_close(old);
    StartService();
    const Reply r = Outcome("old");
    EXPECT_EQ("printed", r.State()) << r.body;
    EXPECT_EQ(1, r.body["receipt_number"]);
    EXPECT_EQ(200, PostReceipt("new").status);
    StopService();
    ASSERT_EQ(SQLITE_OK, sqlite3_open((dir() + "/journal.db").c_str(), &old));
    sqlite3_stmt *s = nullptr;
    ASSERT_EQ(SQLITE_OK, sqlite3_prepare_v2(old, "PRAGMA user_version", -1, &s, nullptr));
    ASSERT_EQ(SQLITE_ROW, sqlite3_step(s));
    EXPECT_EQ(3, sqlite3_column_int(s, 0));
    sqlite3_finalize(s);
    sqlite3_close(old);
}
