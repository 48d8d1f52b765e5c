// Status bytes and print monitoring: the exact polls on the wire and the
// result of every printer state.
#include "SimFixture.h"
#include "darvodr/Host.h"
#include "darvodr/darvodr.h"

#include <chrono>
#include <string>
#include <vector>

using namespace darvotest;
using darvosim::Scripted;
using std::chrono::steady_clock;

namespace {

class PrintMonitoring : public SimTest {
  protected:
    void SetUp() override {
        SimTest::SetUp();
        host.frames = [this] { return sim->FrameCount(); }; // at each turn of the messages
        darvo::SetDriverHost(&host);
        OpenReady(); // every case starts with the session ready
    }
    // Restarts the emulator as another model, with the session ready on it.
    void Model(int type, int version = -1) {
        StartSim(type, version);
        OpenReady();
    }
    void Printing(int polls) {
        OnPrinter([&](darvosim::Printer &p) {
            p.printPolls = polls;
            p.StartPrintout();
        });
    }
    RecordingHost host;
};

} // namespace

// One pass over an idle printer; a printout followed until it ends, the
// extra look at byte 3 while printing with a turn of the window's messages
// of its own; mode 0 on a PEXA never reads byte 2 (a waiting document would
// be "100"), yet gives the messages their turn.
TEST_F(PrintMonitoring, PollsAndTurnsOfTheMessages) {
    const darvosim::Bytes twoPasses = B({0x95, 0x95, 0x94, 0x95, 0x95, 0x95, 0x94, 0x95});
    const darvosim::Bytes pexa = B({0x95, 0x95, 0x95, 0x95, 0x95, 0x95});
    const char *printing = "Trwa wydruk...";
    const struct {
        int model, polls;
        int32_t mode;
        uint8_t type;
        bool documentWaiting;
        darvosim::Bytes commands;
        const char *text;
        std::vector<int> turns; // frames served at each turn
    } cases[] = {
        {7, 0, 1, 7, false, B({0x95, 0x95, 0x94, 0x95}), "Trwa kontrola wydruku...", {0, 1, 3, 4}},
        {7, 4, 0, 3, false, twoPasses, printing, {0, 1, 3, 4, 4, 5, 7, 8}},
        {7, 4, 0, 7, true, pexa, printing, {0, 1, 2, 3, 3, 4, 5, 6}},
        {8, 4, 0, 8, true, pexa, printing, {0, 1, 2, 3, 3, 4, 5, 6}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "model " << c.model << ", type " << int(c.type));
        Model(c.model);
        host.texts.clear();
        host.turns.clear();
        OnPrinter([&](darvosim::Printer &p) { p.status.documentWaiting = c.documentWaiting; });
        if (c.polls) Printing(c.polls);
        EXPECT_EQ(0, PrintControl(c.mode, c.type));
        EXPECT_EQ(c.commands, Commands(static_cast<int>(c.commands.size())));
        EXPECT_EQ(std::vector<std::string>{c.text}, host.texts);
        EXPECT_EQ(c.turns, host.turns);
    }
}

TEST_F(PrintMonitoring, ErrorBitsEndTheLoopOtherStatesKeepPolling) {
    struct Case {
        std::vector<int> byte3; // answers to 0x95, in order
        int result;
        darvosim::Bytes commands;
    } cases[] = {
        // "001": neither ended nor stopped
        {{0x40, 0x40, 0x40}, 0, B({0x95, 0x95, 0x94, 0x95, 0x95, 0x94, 0x95})},
        {{0x02}, 109, B({0x95})},                               // paper out on the first poll
        {{0x00, 0x04}, 103, B({0x95, 0x95})},                   // failure (first pass)
        {{0x00, 0x80}, 102, B({0x95, 0x95})},                   // no controller
        {{0x00, 0x86}, 102, B({0x95, 0x95})},                   // controller before paper and failure
        {{0x01, 0x01, 0x03}, 109, B({0x95, 0x95, 0x94, 0x95})}, // paper runs out while printing
        {{0x01, 0x01, 0x84}, 103, B({0x95, 0x95, 0x94, 0x95})}, // second read: failure first
        {{0x01, 0x01, 0x01, 0x02}, 109, B({0x95, 0x95, 0x94, 0x95, 0x95})}, // extra read while printing
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.result);
        Model(3);
        for (int byte : c.byte3)
            sim->Script(0x95, Scripted{B({byte})});
        EXPECT_EQ(c.result, PrintControl(1, 3));
        EXPECT_EQ(c.commands, Commands(static_cast<int>(c.commands.size())));
    }
}

TEST_F(PrintMonitoring, StoppedForPaperIsResumedWithCommand42) {
    OnPrinter([](darvosim::Printer &p) {
        p.status.printing = true;
        p.status.stoppedNoPaper = true; // 0x41: stopped, the paper is back
        p.printRemaining = 1;
    });
    EXPECT_EQ(0, PrintControl(0, 7));
    // the monitor, then PrintResume (byte 3, command 42), then the wait for
    // the end, which reads byte 2 whatever the model
    EXPECT_EQ(B({0x95, 0x95, 0x95, 0x95, 0x2A, 0x95, 0x95, 0x94, 0x95}), Commands(9));
    EXPECT_EQ(B({0x1B, 0x2A}), sim->log().FramesOf(0x2A).at(0).fromHost);
    EXPECT_EQ((std::vector<std::string>{"Trwa wydruk...", "Wznawianie wydruku...", "Trwa wydruk..."}),
              host.texts);
}

TEST_F(PrintMonitoring, DocumentWaitingIsResumedInModeOneOnly) {
    Model(3);
    OnPrinter([](darvosim::Printer &p) {
        p.status.documentWaiting = true;
        p.printPolls = 1;
    });
    EXPECT_EQ(0, PrintControl(1, 3));
    EXPECT_EQ(B({0x95, 0x95, 0x94, 0x95, 0x95, 0x2A, 0x95, 0x95, 0x94, 0x95}), Commands(10));

    // In any other mode a waiting document only keeps the monitor polling;
    // mode 0 also looks at the paper once more in each pass.
    const darvosim::Bytes polling = B({0x95, 0x95, 0x94, 0x95, 0x95, 0x94, 0x95, 0x95, 0x94, 0x95});
    const struct {
        int32_t mode;
        darvosim::Bytes commands;
    } others[] = {
        {0, B({0x95, 0x95, 0x94, 0x95, 0x95, 0x95, 0x94, 0x95, 0x95, 0x95, 0x94, 0x95})},
        {2, polling},
        {-1, polling},
    };
    for (const auto &c : others) {
        SCOPED_TRACE(c.mode);
        Model(3);
        host.texts.clear();
        sim->Script(0x94, Scripted{B({0x02}), 0, {}, false, 2});
        EXPECT_EQ(0, PrintControl(c.mode, 3));
        EXPECT_EQ(c.commands, Commands(static_cast<int>(c.commands.size())));
        EXPECT_TRUE(sim->log().FramesOf(0x2A).empty());
        EXPECT_EQ(std::vector<std::string>{"Trwa wydruk..."}, host.texts);
    }
}

TEST_F(PrintMonitoring, AwaitPrintEndKeepsPollingInsteadOfResuming) {
    for (int i = 0; i < 4; ++i)
        sim->Script(0x95, Scripted{B({0x41})});
    EXPECT_EQ(0, darvo::AwaitPrintEnd(0));
    EXPECT_EQ(B({0x95, 0x95, 0x94, 0x95, 0x95, 0x94, 0x95}), Commands(7));
}

TEST_F(PrintMonitoring, ResumeWithThePaperStillOutSendsNo42) {
    OnPrinter([](darvosim::Printer &p) {
        p.status.paperOut = true;
        p.StartPrintout();
    });
    EXPECT_EQ(109, PrintResume());
    EXPECT_EQ(B({0x95}), Commands(1));
    // Paper loaded: the printout goes on and the wait follows it to its end.
    OnPrinter([](darvosim::Printer &p) { p.status.paperOut = false; });
    EXPECT_EQ(0, PrintResume());
    // counted printout of two polls: printing, then idle on the next read
    EXPECT_EQ(B({0x95, 0x95, 0x2A, 0x95, 0x95, 0x94, 0x95}), Commands(7));
}

using StatusBytes = PrintMonitoring;

TEST_F(StatusBytes, EachModelReadsItsOwnSet) {
    struct Case {
        int type, version, count;
        bool hasByte8;
        darvosim::Bytes commands;
    } cases[] = {
        {0, 0, 4, false, B({0xFF, 0x5B, 0x54, 0x55, 0x56})},
        {2, 0, 4, false, B({0xFF, 0xFE, 0x5B, 0x54, 0x55, 0x56})},
        {3, 2, 4, false, B({0xFF, 0xFE, 0x5B, 0x54, 0x55, 0x56})},
        {3, 3, 6, false, B({0xFF, 0xFE, 0x5B, 0x54, 0x55, 0x56, 0x5F, 0x50})},
        {5, 0, 4, false, B({0xFF, 0xFE, 0x5B, 0x54, 0x55, 0x56})},
        {6, 5, 4, true, B({0xFF, 0xFE, 0x5B, 0x54, 0x55, 0x56, 0x5D})},
        {6, 6, 6, true, B({0xFF, 0xFE, 0x5B, 0x54, 0x55, 0x56, 0x5F, 0x50, 0x5D})},
        {7, 7, 7, false, B({0xFF, 0xFE, 0x5B, 0x54, 0x55, 0x56, 0x5F, 0x50, 0xF3})},
        {8, 7, 7, true, B({0xFF, 0xFE, 0x5B, 0x54, 0x55, 0x56, 0x5F, 0x50, 0xF3, 0x5D})},
        {9, 0, 7, false, B({0xFF, 0x5B, 0x54, 0x55, 0x56, 0x5F, 0x50, 0xF3})},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.type * 100 + c.version);
        Model(c.type, c.version);
        darvo::StatusSet status;
        ASSERT_EQ(0, darvo::ReadStatusBytes(status));
        EXPECT_EQ(c.count, status.count);
        EXPECT_EQ(c.hasByte8, status.hasByte8);
        EXPECT_EQ(c.type, darvo::DeviceType);
        EXPECT_EQ(c.commands, Commands(static_cast<int>(c.commands.size())));
        const int last = c.hasByte8 ? 8 : c.count;
        for (int n = 1; n <= 8; ++n) {
            if (n > c.count && n != last) continue;
            EXPECT_EQ(StatusByte(n), status.bytes[n]) << n;
        }
    }
}

TEST_F(StatusBytes, BytesFollowThePrinterState) {
    Model(8);
    OnPrinter([](darvosim::Printer &p) {
        darvosim::StatusState &s = p.status;
        s.userData = false;
        s.moduleVersion = 5;
        s.dailyReportMissing = true;
        s.cmosErased = true;
        s.paperOut = true;
        s.lowBattery = true;
        s.drawerClosed = false;
        s.serviceJumper = true;
        s.noMains = true;
        s.cancelReason = 'K';
        s.lowAccumulator = true;
        s.pricingBufferFull = true;
    });
    darvo::StatusSet status;
    ASSERT_EQ(0, darvo::ReadStatusBytes(status));
    const uint8_t expected[9] = {0, 0x59, 0x18, 0x0A, 0x40, 0x05, 'K', 0x02, 0x02};
    for (int n = 1; n <= 8; ++n)
        EXPECT_EQ(expected[n], status.bytes[n]) << n;
    EXPECT_EQ(std::vector<std::string>({"Odczyt bajt\xF3w statusu...", "Odczyt typu urz\271dzenia..."}),
              host.texts);
}

TEST_F(StatusBytes, FirstErrorStopsTheReading) {
    Model(7);
    sim->Script(0x55, Scripted{B({0x15})});
    darvo::StatusSet status;
    EXPECT_EQ(24, darvo::ReadStatusBytes(status));
    EXPECT_EQ(B({0xFF, 0xFE, 0x5B, 0x54, 0x55}), Commands(5));
    EXPECT_FALSE(status.hasByte8);
}

TEST_F(StatusBytes, NotReadyStartsTheSessionWithTheCheck) {
    darvo::CloseSessionPort();
    darvo::SessionPort = kPort;
    darvo::SessionTimeout = 1;
    darvo::SessionReady = false;
    darvo::StatusSet status;
    ASSERT_EQ(0, darvo::ReadStatusBytes(status));
    EXPECT_EQ(
        B({0x23, 0x95, 0x95, 0x94, 0x95, 0xFF, 0xFE, 0xFF, 0xFE, 0x5B, 0x54, 0x55, 0x56, 0x5F, 0x50, 0xF3}),
        Commands(16));
}
