// A receipt is printed once under its key: sent twice, raced by several
// clients, or retried after the printer's answer to its closing was lost.
#include "ServiceFixture.h"

#include <future>

using namespace darvotest;
using Once = ServiceTest;

TEST_F(Once, SameKeyTwicePrintsOneReceipt) {
    StartService();
    const Reply first = PostReceipt("sale-1");
    ASSERT_EQ(200, first.status) << first.body;
    EXPECT_EQ("printed", first.State());
    EXPECT_EQ(1, first.body["receipt_number"]);
    EXPECT_EQ("3.49", first.body["total"]);
    EXPECT_EQ("1.51", first.body["change"]);
    const int frames = Sim().FrameCount();

    const Reply again = PostReceipt("sale-1");
    EXPECT_EQ(200, again.status);
    EXPECT_EQ(first.body, again.body);
    EXPECT_EQ("true", again.headers.find("Idempotent-Replayed")->second);
    const Reply outcome = Outcome("sale-1");
    EXPECT_EQ("printed", outcome.State());
    EXPECT_EQ(1, outcome.body["receipt_number"]);
    EXPECT_EQ(frames, Sim().FrameCount()) << "the printer was asked again";
    EXPECT_EQ(1, Receipts());
}

TEST_F(Once, ClientsRacingOneKeyPrintOneReceipt) {
    StartService();
    std::vector<std::future<Reply>> replies;
    for (int i = 0; i < 4; ++i)
        replies.push_back(std::async(std::launch::async, [this] { return PostReceipt("raced"); }));
    int printed = 0;
    for (auto &r : replies) {
        const Reply reply = r.get();
        ASSERT_TRUE(reply.status == 200 || reply.status == 202) << reply.status << reply.body;
        printed += reply.status == 200;
        EXPECT_EQ(reply.status == 200 ? "printed" : "in_progress", reply.State());
    }
    EXPECT_GE(printed, 1);
    const Reply outcome = Outcome("raced", 10);
    EXPECT_EQ("printed", outcome.State());
    EXPECT_EQ(1, outcome.body["receipt_number"]);
    EXPECT_EQ(1, Receipts());
    EXPECT_EQ(1, Printer().sales.receiptCounter);
}

// The printer counts the receipt and its acknowledgement of the closing
// never arrives: the outcome is settled from its receipt counter, at once or
// once it answers again, and a retry answers it without printing.
TEST_F(Once, LostAnswerAfterTheReceiptClosedThenRetry) {
    const struct {
        darvosim::FaultKind fault;
        int firstStatus; // the answer to the receipt itself
    } cases[] = {
        {darvosim::FaultKind::Truncate, 200}, // the acknowledgement lost, the printer answers again
        {darvosim::FaultKind::PowerOff, 202}, // switched off right after it counted the receipt
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(darvosim::FaultName(c.fault));
        TearDown();
        SetUp();
        StartService();
        ASSERT_EQ(200, PostReceipt("warm-up").status);
        // A clean receipt shows where the closing's acknowledgement is on the
        // wire; the next one, the same, meets the fault there.
        const size_t mark = Sim().log().Entries().size();
        ASSERT_EQ(200, PostReceipt("measure").status);
        const int ack = AnswerPosition(Sim(), mark, 36);
        ASSERT_GT(ack, 0);
        Sim().InjectFault(c.fault, ack);

        const Reply reply = PostReceipt("lost");
        EXPECT_TRUE(Sim().FaultFired());
        EXPECT_EQ(c.firstStatus, reply.status) << reply.body;
        if (c.firstStatus == 202) {
            EXPECT_EQ("in_progress", reply.State());
            EXPECT_EQ("in_progress", Outcome("lost").State());
            EXPECT_EQ(503, PostReceipt("next").status)
                << "a receipt printed while an earlier one is unsettled";
            Sim().ClearFault(); // switched on again
        }
        const Reply outcome = Outcome("lost", 10);
        EXPECT_EQ("printed", outcome.State()) << outcome.body;
        EXPECT_EQ(3, outcome.body["receipt_number"]);
        const Reply retry = PostReceipt("lost");
        EXPECT_EQ(200, retry.status);
        EXPECT_EQ("printed", retry.State());
        EXPECT_EQ(3, retry.body["receipt_number"]);
        EXPECT_EQ(3, Receipts()) << Printer().roll.Text();
        EXPECT_EQ(3, Printer().sales.receiptCounter);
        StopService();
    }
}
