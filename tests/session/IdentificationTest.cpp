// Session start, identification of every printer model, session end, and
// the driver's own identity.
#include "SimFixture.h"
#include "darvodr/Host.h"
#include "darvodr/darvodr.h"

#include <algorithm>
#include <chrono>
#include <cstring>

using namespace darvotest;
using darvosim::Scripted;
using std::chrono::steady_clock;

namespace {

class Identification : public SimTest {
  protected:
    // Starts a session on COM7 with 1-second time-outs.
    int32_t Init() { return CommunicationInit(kPort, 9600, 1); }
};

} // namespace

TEST(DriverAtLoad, SessionGlobalsHaveTheirInitialValues) {
    // A fresh process: other cases have changed them in this one.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            bool ok = darvo::SessionPort == 0 && darvo::SessionBaudRate == 9600 &&
                      darvo::SessionTimeout == 5 && darvo::SessionReady && darvo::DeviceType == 9 &&
                      darvo::PortWriteTimeout == 3 && darvo::PortReadTimeout == 5 && !darvo::ReceiptOpen;
            std::_Exit(ok ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(Identification, EveryModelIsNamedByItsAnswers) {
    struct Case {
        int type;
        const char *name;
        const char *bufferName;
    } cases[] = {
        {0, "KT820A 5-stawkowa", "KT820A 5-stawkowa"},
        {1, "KT820A 7-stawkowa", "KT820A 7-stawkowa"},
        {2, "NIVRA I generacji", "NIVRA I generacji"},
        {3, "NIVRA II generacji", "NIVRA II generacji"},
        {4, "KT820B 5-st. (apteczna)", "KT820B 5-st. (apteczna)"},
        {5, "KT820B 7-st. (apteczna)", "KT820B 7-st. (apteczna)"},
        {6, "NIVRA F (apteczna)", "NIVRA F (apteczna)"},
        {7, "DARVO PEXA", "Nowa drukarka fiskalna"},
        {8, "DARVO PEXA F", "Nowa drukarka fiskalna (apteczna)"},
        {9, "INNE URZ\245DZENIE", "INNE URZADZENIE"}, // Ą in Windows-1250
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.type);
        StartSim(c.type);
        ASSERT_EQ(0, Init());
        EXPECT_EQ(c.type, darvo::DeviceType);
        std::string name = "old";
        EXPECT_EQ(0, DeviceName(name));
        EXPECT_EQ(c.name, name);
        char buffer[64];
        std::memset(buffer, 'x', sizeof buffer);
        EXPECT_EQ(0, pDeviceName(buffer));
        EXPECT_STREQ(c.bufferName, buffer);
    }
}

TEST_F(Identification, RefinementByTheSecondCommand) {
    struct Case {
        int first;                // answer byte of 0xFF
        darvosim::Bytes refining; // answer to 0xFE
        int type, version;
    } cases[] = {
        {44, B({0x15}), 2, 0},
        {44, B({0x06, 0x7C, 9, 0}), 7, 9},
        {44, B({0x06, 0x7D, 4, 0}), 3, 4}, // only "|" makes a PEXA of a 44
        {18, B({0x15}), 5, 0},
        {18, B({0x06, 0x7D, 7, 0}), 8, 7},
        {18, B({0x06, 0x7C, 2, 0}), 6, 2},
        {3, {}, 9, 0},
        {0, {}, 9, 0},
    };
    OpenReady();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.first * 1000 + c.type);
        sim->log().Clear();
        const int before = sim->FrameCount();
        sim->Script(0xFF, Scripted{B({0x06, c.first})});
        if (!c.refining.empty()) sim->Script(0xFE, Scripted{c.refining});
        uint8_t type = 99;
        int32_t version = -1;
        EXPECT_EQ(0, darvo::ReadDeviceType(type, version));
        EXPECT_EQ(c.type, type);
        EXPECT_EQ(c.version, version);
        EXPECT_EQ(c.refining.empty() ? B({0xFF}) : B({0xFF, 0xFE}),
                  Commands(before + (c.refining.empty() ? 1 : 2)));
    }
}

TEST_F(Identification, InitPingsWaitsForThePrintoutAndIdentifies) {
    RecordingHost host;
    darvo::SetDriverHost(&host);
    EXPECT_EQ(0, Init());
    darvo::SetDriverHost(nullptr);
    EXPECT_TRUE(darvo::SessionReady);
    EXPECT_EQ(kPort, darvo::SessionPort);
    EXPECT_EQ(1, darvo::SessionTimeout);
    EXPECT_EQ(B({0x23, 0x95, 0x95, 0x94, 0x95, 0xFF, 0xFE}), Commands(7));
    EXPECT_EQ(B({0x1B, 0x23}), sim->log().FramesOf(0x23).at(0).fromHost);
    ASSERT_TRUE(darvo::ThePort);
    EXPECT_EQ(1, darvo::ThePort->WriteTimeoutInForce());
    EXPECT_EQ(1, darvo::ThePort->ReadTimeoutInForce());
    EXPECT_EQ(9600u, sim->LineSpeed());
    // Windows-1250 activity texts.
    EXPECT_EQ((std::vector<std::string>{"Trwa wydruk...", "Odczyt typu urz\271dzenia..."}), host.texts);
    for (int32_t speed : {19200, 28800}) {
        EXPECT_EQ(0, CommunicationInit(kPort, speed, 1));
        EXPECT_EQ(static_cast<uint32_t>(speed), sim->LineSpeed());
    }
}

TEST_F(Identification, EachOpenLetsTheLineSettleBeforeItsFirstByte) {
    darvo::LineSettleTime = darvo::kLineSettleTime;
    const double opening = sim->Now();
    const int32_t result = Init();
    darvo::LineSettleTime = std::chrono::milliseconds(0);
    ASSERT_EQ(0, result);
    // The ping follows the open; the monitor's first poll follows the reopen
    // that comes after the ping's answer.
    const auto frames = Frames(2);
    const auto entries = sim->log().Entries();
    auto first = [&](int frame) {
        return std::find_if(entries.begin(), entries.end(), [&](const auto &e) { return e.frame == frame; });
    };
    ASSERT_NE(entries.end(), first(frames.at(1).number));
    EXPECT_GE(first(frames[0].number)->seconds - opening, 0.050);
    EXPECT_GE(first(frames[1].number)->seconds - std::prev(first(frames[1].number))->seconds, 0.050);
}

TEST_F(Identification, PrinterThatRefusesThePingIsNotMonitored) {
    sim->Script(0x23, Scripted{B({0x15})});
    EXPECT_EQ(0, Init());
    EXPECT_TRUE(darvo::SessionReady);
    EXPECT_EQ(7, darvo::DeviceType);
    EXPECT_EQ(B({0x23, 0xFF, 0xFE}), Commands(3));
}

TEST_F(Identification, PrintoutInProgressEndsBeforeIdentification) {
    OnPrinter([](darvosim::Printer &p) {
        p.printPolls = 3;
        p.StartPrintout();
    });
    EXPECT_EQ(0, Init());
    // Not yet identified, the printer counts as "other": byte 2 is read too.
    EXPECT_EQ(B({0x23, 0x95, 0x95, 0x94, 0x95, 0x95, 0x95, 0x94, 0x95, 0xFF, 0xFE}), Commands(11));
}

// A start that fails, within its time-out, leaves the session not ready; the
// next operation starts it again by itself.
TEST_F(Identification, FailedStartLeavesTheSessionNotReady) {
    struct Case {
        uint8_t command;
        darvosim::Bytes answer; // empty: none at all
        int result;
    } cases[] = {
        {0x23, B({0x65}), 201}, {0x23, B({0xC8}), 26}, {0x23, B({0x01}), 101}, {0x23, B({0x33}), 23},
        {0x95, B({0x02}), 109}, {0xFF, B({0x15}), 24}, {0xFE, B({0xC8}), 26},  {0xFE, B({0x01}), 101},
        {0x23, {}, 21},         {0, {}, 20}, // switched off
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.result);
        if (c.command)
            sim->Script(c.command, Scripted{c.answer});
        else
            ASSERT_EQ("ok", Do("power off"));
        const auto start = steady_clock::now();
        EXPECT_EQ(c.result, Init());
        EXPECT_LT(steady_clock::now() - start,
                  std::chrono::seconds(1) + Scaled(std::chrono::milliseconds(500)));
        EXPECT_FALSE(darvo::SessionReady);
        EXPECT_EQ(9, darvo::DeviceType);
    }
    EXPECT_EQ("ok", Do("power on"));
    sim->log().Clear();
    char buffer[64] = "untouched";
    EXPECT_EQ(0, pDeviceName(buffer));
    EXPECT_STREQ("Nowa drukarka fiskalna", buffer);
    EXPECT_TRUE(darvo::SessionReady);
    EXPECT_EQ(B({0x23, 0x95, 0x95, 0x94, 0x95, 0xFF, 0xFE}), sim->log().Commands());
}

// CommunicationEnd, or a refused CommunicationInit that was to replace the
// session (nothing of it stored): the session is over, and nothing more
// reaches the printer until a new start.
TEST_F(Identification, EndOrRefusedInitEndsTheSession) {
    const struct {
        int32_t baud, timeout, result; // timeout 0: CommunicationEnd
    } ends[] = {{0, 0, 0}, {9600, -1, 215}, {9600, 70000, 215}, {0, 1, 215}, {-9600, 1, 215}};
    for (const auto &e : ends) {
        SCOPED_TRACE(std::to_string(e.baud) + " b/s, " + std::to_string(e.timeout) + " s");
        ASSERT_EQ(0, Init());
        const uint64_t bytes = sim->HostBytes();
        EXPECT_EQ(e.result, e.timeout ? CommunicationInit(kPort + 1, e.baud, e.timeout) : CommunicationEnd());
        EXPECT_FALSE(darvo::SessionReady);
        EXPECT_FALSE(darvo::ThePort->IsOpen());
        EXPECT_EQ(0, darvo::SessionPort);
        EXPECT_EQ(9, darvo::DeviceType);
        EXPECT_EQ(1, darvo::SessionTimeout); // nothing of a refused call stored
        EXPECT_EQ(9600, darvo::SessionBaudRate);
        int32_t number = 0;
        EXPECT_EQ(114, ReceiptNumber(&number));
        std::string name = "old";
        EXPECT_EQ(114, DeviceName(name));
        EXPECT_EQ("", name);
        char buffer[64] = "old";
        EXPECT_EQ(114, pDeviceName(buffer));
        EXPECT_STREQ("", buffer);
        uint8_t answer[256];
        EXPECT_EQ(20, RSSequence(0x23, 1, 0, answer, nullptr));
        EXPECT_EQ(bytes, sim->HostBytes());
        EXPECT_EQ(0, CommunicationEnd()); // again: harmless
    }
}

TEST(DriverIdentity, Author) { // the version: PublicHeader.CxxProgramUsesTheStringFunctions
    std::string text;
    EXPECT_EQ(0, DllAuthor(text));
    EXPECT_FALSE(text.empty());
    EXPECT_LE(text.size(), 52u);
    EXPECT_EQ(std::string::npos, text.find_first_of("\r\n"));
    char buffer[64];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(0, pDllAuthor(buffer));
    EXPECT_EQ(text, buffer);
}

TEST_F(Identification, NullBuffersGive225AndTypeAboveNineIsUnknownWithoutAWord) {
    darvo::SessionPort = kPort; // a start would talk to the printer
    darvo::SessionReady = false;
    EXPECT_EQ(225, pDeviceName(nullptr));
    EXPECT_EQ(225, pDllVersion(nullptr));
    EXPECT_EQ(225, pDllAuthor(nullptr));
    EXPECT_EQ(225, pErrMessage(0, nullptr));
    EXPECT_FALSE(darvo::SessionReady);
    darvo::SessionReady = true;
    darvo::DeviceType = 10;
    std::string name;
    EXPECT_EQ(0, DeviceName(name));
    EXPECT_EQ("NIEZNANE", name);
    char buffer[64];
    EXPECT_EQ(0, pDeviceName(buffer));
    EXPECT_STREQ("NIEZNANE", buffer);
    EXPECT_EQ(0, sim->FrameCount());
}

TEST_F(Identification, StartEmptiesTheReceiptStateButKeepsTheReceiptOpen) {
    auto fill = [] {
        darvo::RateTotals.fill(123);
        darvo::PaymentTable[2] = {"Karta        ", 500, 7};
        darvo::ExtraLinesTable[5] = {3, "Zapraszamy"};
        darvo::ReceiptOpen = true;
    };
    auto expectEmpty = [] {
        for (int32_t total : darvo::RateTotals)
            EXPECT_EQ(0, total);
        for (const auto &slot : darvo::PaymentTable) {
            EXPECT_EQ("", slot.name);
            EXPECT_EQ(0, slot.firstAmount);
            EXPECT_EQ(0, slot.secondAmount);
        }
        for (const auto &slot : darvo::ExtraLinesTable) {
            EXPECT_EQ(255, slot.code);
            EXPECT_EQ("", slot.text);
        }
        EXPECT_TRUE(darvo::ReceiptOpen);
    };
    fill();
    ASSERT_EQ(0, Init());
    expectEmpty();
    // A start that fails on the ping has emptied it all the same.
    fill();
    sim->Script(0x23, Scripted{B({0x33})});
    EXPECT_EQ(23, Init());
    expectEmpty();
    // Without a port nothing happens at all.
    fill();
    EXPECT_EQ(114, CommunicationInit(0, 9600, 1));
    EXPECT_EQ(123, darvo::RateTotals[6]);
    EXPECT_EQ(500, darvo::PaymentTable[2].firstAmount);
    EXPECT_EQ(3, darvo::ExtraLinesTable[5].code);
    darvo::ReceiptOpen = false;
}
