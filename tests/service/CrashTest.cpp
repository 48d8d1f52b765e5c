// The service killed (SIGKILL) at points through a receipt and started
// again: the receipt's outcome is settled from the printer, the paper roll
// holds it at most once, and a retry never prints it again.
#include "ServiceFixture.h"

#include <future>

using namespace darvotest;
using Crash = ServiceTest;

TEST_F(Crash, KilledThroughAReceiptThenStartedAgain) {
    const struct {
        const char *at;
        const char *state; // settled from the printer
        int receipts;      // on the roll
    } cases[] = {
        {"journal", "not_printed", 0},                         // the row on disk, nothing sent
        {"begin", "not_printed", 0},                           // the receipt open in the printer
        {"lines[0]", "not_printed", 0}, {"end", "printed", 1}, // closed and counted, the journal not told
        {"answer", "printed", 1}, // the outcome in the journal, the client not told
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.at);
        TearDown();
        SetUp();
        StartService({std::string("DARVO_SERVICE_CRASH_AT=") + c.at});
        const Reply lost = PostReceipt("crash");
        EXPECT_EQ(-1, lost.status) << "answered: " << lost.body;
        EXPECT_EQ(128 + SIGKILL, WaitService()) << Log();

        StartService();
        const Reply outcome = Outcome("crash", 10);
        EXPECT_EQ(200, outcome.status);
        EXPECT_EQ(c.state, outcome.State()) << outcome.body;
        if (std::string(c.state) == "printed") {
            EXPECT_EQ(1, outcome.body["receipt_number"]);
        }
        EXPECT_EQ("3.49", outcome.body["total"]);
        const Reply retry = PostReceipt("crash");
        EXPECT_EQ(c.state, retry.State()) << retry.body;
        EXPECT_EQ(c.receipts, Receipts()) << Printer().roll.Text();
        EXPECT_EQ(c.receipts, Printer().sales.receiptCounter);
        EXPECT_FALSE(Printer().sales.receiptOpen);
        // The printer goes on with the next receipt.
        const Reply next = PostReceipt("next");
        EXPECT_EQ(200, next.status) << next.body;
        EXPECT_EQ(c.receipts + 1, next.body["receipt_number"]);
        StopService();
    }
}

TEST_F(Crash, AWorkerThatDiesIsStartedAgain) {
    StartService();
    ASSERT_EQ(200, PostReceipt("before").status);
    const std::vector<int> workers = Workers();
    ASSERT_EQ(1u, workers.size());
    ::kill(workers[0], SIGKILL);
    ASSERT_TRUE(WaitGone(workers[0], 10));
    const Reply after = PostReceipt("after");
    EXPECT_EQ(200, after.status) << after.body;
    EXPECT_EQ(2, after.body["receipt_number"]);
    EXPECT_EQ(2u, Workers().size());
}

// A hang-up (a closed terminal, a reload) reaches the service and its worker
// in the middle of a receipt: the receipt prints and the service goes on.
TEST_F(Crash, AHangUpEndsNothing) {
    StartService();
    {
        std::lock_guard<std::recursive_mutex> lock(Printer().mutex);
        Printer().printPolls = 1 << 30; // the printout lasts until it is let go
    }
    auto sale = std::async(std::launch::async, [this] { return PostReceipt("sale"); });
    ASSERT_TRUE(Sim().log().WaitForHostBytes(3000, Scaled(std::chrono::seconds(10))));
    ::kill(pid(), SIGHUP);
    for (int worker : Workers())
        ::kill(worker, SIGHUP);
    {
        std::lock_guard<std::recursive_mutex> lock(Printer().mutex);
        Printer().printRemaining = 1;
        Printer().printPolls = 2;
    }
    EXPECT_EQ(200, sale.get().status);
    EXPECT_EQ(200, PostReceipt("next").status);
    EXPECT_EQ(1u, Workers().size()) << "the worker was started again";
    EXPECT_NE(std::string::npos, Log().find("event=sighup_ignored"));
}
