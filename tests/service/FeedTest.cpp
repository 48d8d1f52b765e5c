// Head office takes every till's settled rows: paged through the service
// while receipts are printed (none skipped, none repeated), and from the
// file of a till whose service is stopped. Pruning removes only what head
// office has taken, and never a row whose outcome is not settled.
#include "ServiceFixture.h"

#include "service/Journal.h"

#include <future>
#include <set>
#include <sqlite3.h>

using namespace darvotest;
using Feed = ServiceTest;

TEST_F(Feed, PagedWhileReceiptsArePrintedThenExportedFromTheFile) {
    StartService();
    constexpr int kReceipts = 24;
    auto selling = std::async(std::launch::async, [this] {
        int printed = 0;
        for (int i = 0; i < kReceipts; ++i)
            printed += PostReceipt("sale-" + std::to_string(i)).status == 200;
        return printed;
    });
    std::vector<std::string> keys;
    std::string cursor = "0";
    const auto until = std::chrono::steady_clock::now() + Scaled(std::chrono::seconds(60));
    while (static_cast<int>(keys.size()) < kReceipts && std::chrono::steady_clock::now() < until) {
        const Reply page = Request("GET", "/v1/printers/till/journal?limit=5&after=" + cursor, "owner");
        ASSERT_EQ(200, page.status) << page.body;
        for (const auto &row : page.body["rows"]) {
            EXPECT_GT(std::stoll(row["cursor"].get<std::string>()), std::stoll(cursor)) << row;
            keys.push_back(row["key"]);
            EXPECT_EQ("printed", row["state"]);
            EXPECT_EQ("3.49", row["totals"]["A"]);
            EXPECT_EQ("cash", row["payments"][0]["type"]);
        }
        cursor = page.body["next"];
    }
    EXPECT_EQ(kReceipts, selling.get());
    ASSERT_EQ(static_cast<size_t>(kReceipts), keys.size());
    EXPECT_EQ(keys.size(), std::set<std::string>(keys.begin(), keys.end()).size()) << "a row repeated";
    EXPECT_EQ(403, Request("GET", "/v1/printers/till/journal", "pos").status);
    EXPECT_EQ(400, Request("GET", "/v1/printers/till/journal?limit=0", "owner").status);

    StopService();
    std::string csv;
    ASSERT_EQ(0, RunCommand("(" + std::string(DARVO_SERVICE) + " export --format csv --journal " + dir() +
                                "/journal.db 2>/dev/null)",
                            csv));
    EXPECT_EQ(0u, csv.rfind("cursor,printer,key,kind,state,receipt_number,total,total_a,", 0)) << csv;
    EXPECT_EQ(kReceipts + 1, std::count(csv.begin(), csv.end(), '\n'));
    EXPECT_NE(std::string::npos, csv.find(",till,sale-0,receipt,printed,1,3.49,3.49,,,,,,,5.00,1.51,\"[{"
                                          "\"\"amount\"\":\"\"5.00\"\",\"\"type\"\":"
                                          "\"\"cash\"\"}]\",,20"))
        << csv;
    std::string jsonl;
    ASSERT_EQ(0, RunCommand("(" + std::string(DARVO_SERVICE) + " export --after " + cursor + " --journal " +
                                dir() + "/journal.db 2>/dev/null)",
                            jsonl));
    EXPECT_TRUE(jsonl.empty()) << "rows after the last cursor: " << jsonl;
}

TEST_F(Feed, PruningRemovesOnlyWhatHeadOfficeHasTakenAndIsSettled) {
    darvo::service::Journal journal;
    std::string error;
    const std::string path = dir() + "/journal.db";
    ASSERT_TRUE(journal.Open(path, error)) << error;
    // Settled in this order: what head office has taken ends with new-taken.
    for (const char *key : {"old-taken", "old-unknown", "new-taken", "old-sending", "old-not-taken"}) {
        darvo::service::JournalEntry e;
        e.printer = "till";
        e.key = key;
        e.kind = "receipt";
        e.bodyHash = "x";
        ASSERT_TRUE(journal.Begin(e, error)) << error;
        const std::string k = key;
        if (k != "old-sending") {
            ASSERT_TRUE(journal.Finish("till", key, k == "old-unknown" ? "unknown" : "printed", 1, 200, "{}",
                                       "", error));
        }
    }
    const std::vector<darvo::service::JournalEntry> feed = journal.Feed("till", 0, 10);
    ASSERT_EQ(3u, feed.size()); // the unknown and the sending rows are not settled
    EXPECT_EQ("new-taken", feed[1].key);
    ASSERT_TRUE(journal.Acknowledge("till", feed[1].seq, error));
    sqlite3 *db = nullptr;
    ASSERT_EQ(SQLITE_OK, sqlite3_open(path.c_str(), &db));
    ASSERT_EQ(SQLITE_OK,
              sqlite3_exec(db,
                           "UPDATE journal SET exported = 1, updated = '2020-01-01T00:00:00Z' WHERE key IN "
                           "('old-unknown', 'old-sending'); UPDATE journal SET updated = "
                           "'2020-01-01T00:00:00Z' WHERE key LIKE 'old-%'",
                           nullptr, nullptr, nullptr));
    sqlite3_close(db);
    EXPECT_EQ(1, journal.Prune(30, error)) << error;
    for (const char *key : {"old-not-taken", "old-unknown", "old-sending", "new-taken"})
        EXPECT_TRUE(journal.Find("till", key).has_value()) << key;
    EXPECT_FALSE(journal.Find("till", "old-taken").has_value());
}
