// The clock's initialisation on a PEXA (its bytes on the wire, its progress
// through the program's host, its refusals) and the printer's time of day.
#include "SimFixture.h"
#include "darvodr/ResultCodes.h"
#include "ops/Clock.h"
#include "ops/Connection.h"
#include "ops/Host.h"
#include "ops/Status.h"

namespace darvotest {
namespace {

namespace ops = darvo::ops;

TEST(ClockText, MinutesOfTheDay) {
    const std::pair<const char *, int> cases[] = {
        {"10:15:30", 615}, {"23:59", 1439}, {" 9:05", 545}, {"00:00", 0},
        {"24:00", -1},     {"12:60", -1},   {"1:05", -1},   {"", -1},
    };
    for (const auto &[text, minutes] : cases)
        EXPECT_EQ(minutes, ops::MinutesOfDay(text)) << '"' << text << '"';
}

class Progress : public ops::ProgramHost {
  public:
    void ShowActivity(const std::string &) override {}
    void ProcessMessages() override {}
    bool ChosenPort(ops::PortChoice &) override { return false; }
    void ClockInitProgress(const std::string &, int position) override { positions.push_back(position); }
    std::vector<int> positions;
};

class OpsClock : public SimTest {
  protected:
    void TearDown() override {
        ops::AttachHost(nullptr);
        SimTest::TearDown();
    }
    ops::ClockInitRefusal Refusal() {
        ops::Status status;
        EXPECT_EQ(0, ops::ReadStatus(status));
        return ops::ClockInitRefusalOf(status.bits);
    }
};

// A running clock: refused by the status before anything is sent. Erased
// on a fiscal printer: the service jumper first. Then the date goes out
// digit by digit in command 65 and the printer's erase reports its progress.
TEST_F(OpsClock, InitialisationOfAnErasedPexa) {
    Progress host;
    ops::AttachHost(&host);
    ASSERT_EQ(0, ops::OpenPort({kPort, 9600}));
    EXPECT_EQ(ops::ClockInitRefusal::AlreadySet, Refusal());
    EXPECT_EQ(darvo::RC_CMOS_NOT_ERASED, ops::InitClock({2026, 12, 7, 12, 34}));

    OnPrinter([](darvosim::Printer &p) {
        p.status.cmosErased = true;
        p.fiscal.clockInitProgressSteps = 3;
    });
    EXPECT_EQ(ops::ClockInitRefusal::ServiceJumperNormal, Refusal());
    OnPrinter([](darvosim::Printer &p) { p.status.serviceJumper = true; });
    EXPECT_EQ(ops::ClockInitRefusal::None, Refusal());
    EXPECT_TRUE(FramesOf(65).empty());

    ASSERT_EQ(0, ops::InitClock({2026, 12, 7, 12, 34}));
    EXPECT_EQ(B({0x1B, 65, 2, 6, 1, 2, 0, 7, 1, 2, 3, 4, 0, 0}), SentOnce(65));
    ASSERT_FALSE(host.positions.empty());
    EXPECT_TRUE(std::is_sorted(host.positions.begin(), host.positions.end()));
    EXPECT_EQ(100, host.positions.back());
}

} // namespace
} // namespace darvotest
