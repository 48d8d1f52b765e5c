// An outcome settled from every record the printer keeps, never guessed:
// another program that uses the printer between a crash and the restart
// leaves the receipt "unknown", which holds the printer until a technician
// resolves it; a daily report cut off by a power cut is settled from the
// daily report number.
#include "ServiceFixture.h"

#include "darvodr/darvodr.h"

#include <future>

using namespace darvotest;
using Settle = ServiceTest;

namespace {

// Another program on the till's printer, through the driver.
void OtherProgram(const std::string &link, const std::function<int32_t()> &work) {
    ::setenv("DARVO_COM7", link.c_str(), 1);
    ASSERT_EQ(0, CommunicationInit(7, 9600, 1)); // ends a receipt left open: cancelled
    EXPECT_EQ(0, work());
    EXPECT_EQ(0, CommunicationEnd());
    ::unsetenv("DARVO_COM7");
}

int32_t ItsOwnReceipt() {
    uint32_t value = 0;
    int32_t rc = ReceiptBegin();
    if (rc == 0) rc = pReceiptItem(1, "Chleb razowy", 1, 0, 1, 0, "szt", 450, &value);
    return rc != 0 ? rc : ReceiptEnd(0);
}

} // namespace

TEST_F(Settle, AnotherProgramBetweenTheCrashAndTheRestartLeavesItToATechnician) {
    const struct {
        const char *at;                 // where the service was killed
        std::function<int32_t()> work;  // what the other program did meanwhile
        const char *found, *resolvedAs; // what the service found; what the roll shows
        int receipts;                   // on the roll in the end
    } cases[] = {
        // The receipt closed and counted, then a daily report started the counters again.
        {"end", [] { return DailyReport(0); }, "a daily report was made since", "printed", 3},
        // The receipt left open, cancelled by the other program's session, which printed its own.
        {"lines[0]", ItsOwnReceipt, "the printer counted something other than this receipt alone",
         "not_printed", 3},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.at);
        TearDown();
        SetUp();
        StartService();
        ASSERT_EQ(200, PostReceipt("before").status);
        StopService();
        StartService({std::string("DARVO_SERVICE_CRASH_AT=") + c.at});
        EXPECT_EQ(-1, PostReceipt("k1").status);
        EXPECT_EQ(128 + SIGKILL, WaitService()) << Log();
        OtherProgram(dir() + "/till", c.work);

        StartService();
        const Reply unknown = Outcome("k1", 10);
        EXPECT_EQ("unknown", unknown.State()) << unknown.body;
        EXPECT_EQ("outcome_unknown", unknown.Kind());
        EXPECT_EQ(0u, unknown.body.value("found", "").rfind(c.found, 0)) << unknown.body;
        EXPECT_EQ(1, unknown.body["facts_before"]["receipt_counter"]) << unknown.body;
        EXPECT_TRUE(unknown.body.contains("facts_after"));
        // Nothing more goes to this printer until a technician has looked.
        const int frames = Sim().FrameCount();
        const Reply held = PostReceipt("k2");
        EXPECT_EQ(503, held.status);
        EXPECT_EQ("unresolved", held.Kind());
        EXPECT_EQ(503, Request("POST", "/v1/printers/till/reports/daily", "owner").status);
        EXPECT_EQ(frames, Sim().FrameCount());
        EXPECT_EQ("unresolved", Request("GET", "/v1/printers", "monitor").body["printers"][0]["state"]);

        const std::string resolve = "/v1/printers/till/receipts/k1/resolve";
        const std::string word =
            std::string(R"({"state": ")") + c.resolvedAs + R"(", "note": "seen on the roll"})";
        EXPECT_EQ(403, Request("POST", resolve, "owner", word).status);
        EXPECT_EQ(400, Request("POST", resolve, "technician", R"({"state": "printed"})").status) << "no note";
        const Reply resolved = Request("POST", resolve, "technician", word);
        EXPECT_EQ(200, resolved.status) << resolved.body;
        EXPECT_EQ(c.resolvedAs, resolved.State());
        EXPECT_EQ("technician", resolved.body["resolution"]["by"]);
        EXPECT_EQ("seen on the roll", resolved.body["resolution"]["note"]);
        EXPECT_EQ(409, Request("POST", resolve, "technician", word).status) << "resolved twice";
        EXPECT_EQ(c.resolvedAs, Outcome("k1").State());
        EXPECT_EQ(c.resolvedAs, PostReceipt("k1").State()) << "a retry prints nothing";
        EXPECT_EQ(200, PostReceipt("k2").status) << "the printer takes receipts again";
        EXPECT_EQ(c.receipts, Receipts()) << Printer().roll.Text();
        // The resolution is in the journal, with the role and the time.
        StopService();
        StartService();
        EXPECT_EQ("seen on the roll", Outcome("k1").body["resolution"]["note"]);
        StopService();
    }
}

// Switched off in the middle of the daily report's printout: the report's
// outcome waits for the printer and is settled from its daily report
// number, and nothing else is printed meanwhile.
TEST_F(Settle, ADailyReportCutOffIsSettledFromItsNumber) {
    StartService();
    ASSERT_EQ(200, PostReceipt("sale").status);
    auto printout = [this](int polls) {
        std::lock_guard<std::recursive_mutex> lock(Printer().mutex);
        Printer().printPolls = polls;
        Printer().printRemaining = std::min(Printer().printRemaining, polls);
    };
    printout(1 << 30); // the printout lasts until it is let go
    auto report = std::async(std::launch::async, [this] {
        return Request("POST", "/v1/printers/till/reports/daily", "owner", "", "day");
    });
    // So many bytes come only from following the report's printout.
    ASSERT_TRUE(Sim().log().WaitForHostBytes(Sim().HostBytes() + 3000, Scaled(std::chrono::seconds(10))));
    Printer().Control("power off", Sim().SlaveDescriptor());
    const Reply cut = report.get();
    EXPECT_EQ(202, cut.status) << cut.body;
    EXPECT_EQ("in_progress", cut.State());
    EXPECT_EQ("unsettled", PostReceipt("after").Kind());
    printout(2);
    Printer().Control("power on", Sim().SlaveDescriptor());
    const Reply settled = Outcome("day", 10);
    EXPECT_EQ("printed", settled.State()) << settled.body;
    EXPECT_EQ(0u, settled.body.value("found", "").rfind("the daily report was made", 0)) << settled.body;
    EXPECT_EQ(1, Printer().sales.dailyReportNumber);
    EXPECT_EQ(200, PostReceipt("after").status);
}
