// Printers work apart: one that is busy, off, out of paper or unplugged
// fails (or holds) only its own requests, and is taken up again as soon as
// it is back, without a restart.
#include "ServiceFixture.h"

#include <functional>
#include <future>

using namespace darvotest;
using Printers = ServiceTest;

TEST_F(Printers, APrinterThatCannotPrintHoldsUpNoOther) {
    AddPrinter("till");
    AddPrinter("bar");
    StartService();
    ASSERT_EQ(200, PostReceipt("warm-up").status);
    const struct {
        const char *name;
        std::function<void(darvosim::Emulator &)> leave, fix;
        int status;
        std::string kind;
        bool recorded; // the key now names the failed receipt
    } cases[] = {
        {"unplugged", [](darvosim::Emulator &s) { s.InjectFault(darvosim::FaultKind::Remove, 0); },
         [](darvosim::Emulator &s) { ASSERT_TRUE(s.Replug()) << s.Error(); }, 503, "no_communication", false},
        {"switched off", [](darvosim::Emulator &s) { s.printer().Control("power off", s.SlaveDescriptor()); },
         [](darvosim::Emulator &s) { s.printer().Control("power on", s.SlaveDescriptor()); }, 503,
         "no_communication", false},
        {"out of paper", [](darvosim::Emulator &s) { s.printer().Control("paper out", s.SlaveDescriptor()); },
         [](darvosim::Emulator &s) { s.printer().Control("paper in", s.SlaveDescriptor()); }, 422,
         "printer_refused", true},
    };
    int printed = 1, onBar = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const std::string key = std::string("key-") + std::to_string(printed);
        c.leave(Sim("till"));
        const Reply failed = PostReceipt(key);
        EXPECT_EQ(c.status, failed.status) << failed.body;
        EXPECT_EQ(c.kind, failed.Kind());
        EXPECT_EQ(c.recorded ? "not_printed" : "", failed.State());
        EXPECT_EQ(200, PostReceipt(key, "bar").status) << "the other printer";
        ++onBar;
        c.fix(Sim("till"));
        const Reply again = PostReceipt(key);
        EXPECT_EQ(c.recorded ? c.status : 200, again.status) << again.body;
        if (!c.recorded) ++printed;
        const Reply next = PostReceipt(key + "-next");
        EXPECT_EQ(200, next.status) << next.body;
        EXPECT_EQ(++printed, next.body["receipt_number"]);
    }
    EXPECT_EQ(printed, Receipts("till"));
    EXPECT_EQ(onBar, Receipts("bar"));
}

TEST_F(Printers, ABusyPrinterHoldsUpNoOther) {
    AddPrinter("till");
    AddPrinter("bar");
    StartService();
    {
        std::lock_guard<std::recursive_mutex> lock(Printer("till").mutex);
        Printer("till").printPolls = 1 << 30; // the printout lasts until it is let go
    }
    auto busy = std::async(std::launch::async, [this] { return PostReceipt("long"); });
    // So many bytes come only from following the endless printout.
    ASSERT_TRUE(Sim("till").log().WaitForHostBytes(5000, std::chrono::seconds(10)));
    EXPECT_EQ(200, PostReceipt("short", "bar").status);
    EXPECT_EQ(200, Request("GET", "/v1/printers/bar/status", "monitor").status);
    EXPECT_EQ(200, Request("GET", "/healthz", "").status);
    const Reply waiting = PostReceipt("long");
    EXPECT_EQ(202, waiting.status);
    EXPECT_EQ("in_progress", waiting.State());
    EXPECT_EQ(std::future_status::timeout, busy.wait_for(std::chrono::seconds(0)));
    {
        std::lock_guard<std::recursive_mutex> lock(Printer("till").mutex);
        Printer("till").printRemaining = 1;
    }
    const Reply done = busy.get();
    EXPECT_EQ(200, done.status) << done.body;
    EXPECT_EQ(1, done.body["receipt_number"]);
}
