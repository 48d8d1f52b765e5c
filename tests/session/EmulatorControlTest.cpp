// The emulated printer's operator commands and its printouts, as the
// driver's monitor sees them.
#include "SimFixture.h"
#include "darvodr/darvodr.h"

#include <chrono>
#include <string>

using namespace darvotest;
using OperatorCommands = SimTest;

TEST_F(OperatorCommands, FaultsShowInTheStatusBytes) {
    EXPECT_EQ("1:3B 2:00 3:00 4:08 5:00 6:00 7:00", Do("status")); // PEXA: no byte 8
    // Each fault and its end: the status while it lasts, then the plain one.
    const struct {
        const char *on, *off, *status;
    } steps[] = {
        {"paper out", "paper in", "1:3B 2:00 3:02 4:08 5:04 6:00 7:00"},
        {"head up", "head down", "1:3B 2:00 3:02 4:08 5:10 6:00 7:00"},
        {"copy paper out", "copy paper in", "1:3B 2:00 3:02 4:08 5:08 6:00 7:00"},
        {"copy head up", "copy head down", "1:3B 2:00 3:02 4:08 5:20 6:00 7:00"},
        {"failure on", "failure off", "1:3B 2:00 3:04 4:08 5:00 6:00 7:00"},
        {"jumper on", "jumper off", "1:3B 2:00 3:00 4:48 5:00 6:00 7:00"},
        {"drawer open", "drawer close", "1:3B 2:00 3:00 4:00 5:00 6:00 7:00"},
    };
    for (const auto &step : steps) {
        EXPECT_EQ("ok", Do(step.on)) << step.on;
        EXPECT_EQ(step.status, Do("status")) << step.on;
        EXPECT_EQ("ok", Do(step.off)) << step.off;
        EXPECT_EQ("1:3B 2:00 3:00 4:08 5:00 6:00 7:00", Do("status")) << step.off;
    }
    for (const char *bad :
         {"paper", "paper sideways", "power off now", "status 3", "fly", "copy failure on", "copy"})
        EXPECT_EQ(std::string("unknown command: ") + bad, Do(bad));
    // A refused command leaves the printer as it was.
    for (const char *bad : {"paper out now", "head up high", "copy paper out now", "failure on 2",
                            "jumper on please", "drawer open wide"})
        EXPECT_EQ(std::string("unknown command: ") + bad, Do(bad));
    EXPECT_EQ("1:3B 2:00 3:00 4:08 5:00 6:00 7:00", Do("status"));
    EXPECT_EQ("", Do("   "));
    EXPECT_NE(std::string::npos, Do("help").find("power off | power on"));
}

// The paper runs out in a printout, at once ("paper out") or a few polls
// into it ("paper ends"): the printout stops, loaded paper and the resume
// (command 42) finish it.
TEST_F(OperatorCommands, PaperRunsOutInAPrintoutAndTheResumeFinishesIt) {
    OpenReady();
    EXPECT_EQ("unknown command: paper ends now", Do("paper ends now"));
    for (bool atOnce : {true, false}) {
        SCOPED_TRACE(atOnce);
        sim->log().Clear();
        if (!atOnce) {
            EXPECT_EQ("ok", Do("paper ends"));
            EXPECT_EQ("1:3B 2:00 3:00 4:08 5:00 6:00 7:00",
                      Do("status")); // nothing printing: paper still there
        }
        OnPrinter([](darvosim::Printer &p) {
            p.printPolls = 50;
            p.StartPrintout();
        });
        if (atOnce) {
            EXPECT_EQ("ok", Do("paper out"));
        }
        EXPECT_EQ(109, PrintControl(0, 7));
        const auto polls = sim->log().FramesOf(0x95);
        EXPECT_EQ(atOnce, polls.size() == 1u);
        EXPECT_EQ(B({0x43}), polls.back().fromPrinter); // printing, no paper, stopped
        EXPECT_EQ("1:3B 2:00 3:43 4:08 5:04 6:00 7:00", Do("status"));
        EXPECT_EQ("ok", Do("paper in"));
        EXPECT_EQ(0x41, StatusByte(3));
        EXPECT_EQ(0, PrintControl(1, 7));
        EXPECT_EQ(1u, sim->log().FramesOf(0x2A).size());
        EXPECT_EQ(0x00, StatusByte(3));
    }
}

TEST_F(OperatorCommands, TimedPrintoutStoppedForPaperKeepsItsRest) {
    OpenReady();
    OnPrinter([](darvosim::Printer &p) { p.printTime = std::chrono::hours(1); });
    EXPECT_EQ("ok", Do("print"));
    EXPECT_EQ("ok", Do("paper out"));
    EXPECT_EQ(109, PrintControl(0, 7));
    EXPECT_EQ("ok", Do("paper in"));
    // Resumed, the printout still has most of its hour to go.
    uint8_t answer[256];
    ASSERT_EQ(0, darvo::SendSequence(0x2A, 1, 0, nullptr, answer));
    ASSERT_EQ(0, darvo::SendSequence(0x95, 1, 0, nullptr, answer));
    EXPECT_EQ(0x01, answer[0]);
}
