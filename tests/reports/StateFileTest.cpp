// The emulator's state file: saved after changes, read back on a restart,
// and a damaged one refused.
#include "ReportFixture.h"
#include "StateFile.h"

#include <algorithm>
#include <filesystem>

using namespace darvotest;
using darvosim::Printer;
namespace fs = std::filesystem;

namespace {

class StateFileTest : public ReportTest {
  protected:
    const ScratchDir dir;
    const std::string path = dir / "printer.state";
};

TEST_F(StateFileTest, RoundTripKeepsEveryPart) {
    Printer a(7);
    a.status.fiscalMode = false;
    a.status.serviceJumper = true;
    a.sales.rates = {2300, 800, 500, 0, 10000, 25500, 25500};
    a.sales.receiptCounter = 4;
    a.sales.totals = {100, 200, 0, 0, 0, 0, -5};
    a.sales.uniqueNumber = "XYZ00000001";
    darvosim::SetSalesClock(a.sales, darvosim::ClockReading{2008, 2, 7, 14, 5, 0}, true);
    a.fiscal.records = {{12, darvosim::Date{8, 2, 6}, 3, {1, 2, 3, 4, 5, 6, 7}}};
    a.fiscal.userData[0] = {0x03, std::string("SKLEP \xA4\x9D", 8) + std::string(12, ' ')};
    a.fiscal.settings[2] = {1, 2, 3};
    a.fiscal.euroDate = darvosim::Date{9, 1, 1};
    a.fiscal.display[63][24] = 0x5A;
    a.fiscal.displayLoaded = true;
    a.fiscal.adverts[1] = {1, std::string(40, 'Q')};
    a.fiscal.clockShiftAllowed = true;

    std::string error;
    ASSERT_TRUE(darvosim::SaveState(a, path, error)) << error;
    EXPECT_FALSE(fs::exists(path + ".tmp"));
    Printer b(7);
    ASSERT_TRUE(darvosim::LoadState(b, path, error)) << error;
    EXPECT_EQ(darvosim::StateText(a), darvosim::StateText(b));
    EXPECT_FALSE(b.status.fiscalMode);
    EXPECT_EQ(a.sales.rates, b.sales.rates);
    EXPECT_EQ(a.sales.totals, b.sales.totals);
    EXPECT_EQ(a.fiscal.records, b.fiscal.records);
    EXPECT_EQ(a.fiscal.userData, b.fiscal.userData);
    EXPECT_EQ(a.fiscal.display, b.fiscal.display);
    EXPECT_EQ(14, darvosim::SalesClock(b.sales).hour);
    EXPECT_EQ(0, ReadFile(path).find("# darvo-sim state file"));
    EXPECT_NE(std::string::npos, ReadFile(path).find("\ndarvo-sim-state 1\n"));
    EXPECT_NE(std::string::npos, ReadFile(path).find("\nrecord 12 8 2 6 3 1 2 3 4 5 6 7\n"));
}

// A damaged file is refused at once with its line (the whole file's
// problem: line 0), the printer keeps its state and the file stays as it is.
TEST_F(StateFileTest, DamagedFileRefusedWithItsLine) {
    Printer a(3);
    a.fiscal.records.push_back({1, darvosim::Date{8, 1, 2}, 1, {}});
    std::string error;
    ASSERT_TRUE(darvosim::SaveState(a, path, error));
    const std::string good = ReadFile(path);
    const size_t rates = good.find("rates ");
    const struct {
        std::string from, to, message; // `from` empty: `to` is the whole file; message empty: any
    } damages[] = {
        {"record 1 8 1 2", "record 1 8 13 2", "damaged item \"record\""},
        {"rounding 0", "roundng 0", "unknown item \"roundng\""},
        {"model 3", "model 7", "the state is of model 7, the printer is model 3"},
        {"status fiscalMode 1", "status fiscalMode yes", "damaged item \"status\""},
        // Texts the printer serves by position must have their full length.
        {"uniqueNumber 4142433132333435363738", "uniqueNumber 4142", "damaged item \"uniqueNumber\""},
        {"cashRegister 3031", "cashRegister 31", "damaged item \"cashRegister\""},
        {"operatorCode 3031", "operatorCode 303132", "damaged item \"operatorCode\""},
        {"advert 0 0 -", "advert 0 1 41", "damaged item \"advert\""},
        {"", "", ":0: the state file is empty"},
        {"", good.substr(0, rates + 9), ""}, // cut in a line
        {"", std::string(20 << 20, '#'), ": not a darvo-sim state file (20971520 bytes, more than 16777216)"},
        {"", "darvo-sim-state 7\nmodel 3\n", ":1: unknown state file version 7"},
    };
    for (const auto &d : damages) {
        SCOPED_TRACE(d.message);
        std::string text = d.to, expected = path + d.message;
        if (!d.from.empty()) {
            text = good;
            const size_t at = text.find(d.from);
            ASSERT_NE(std::string::npos, at) << d.from;
            text.replace(at, d.from.size(), d.to);
            expected = path + ":" + std::to_string(std::count(text.begin(), text.begin() + at, '\n') + 1) +
                       ": " + d.message;
        }
        WriteFile(path, text);
        Printer b(3);
        b.fiscal.rounding = 7;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(darvosim::LoadState(b, path, error));
        EXPECT_LT(std::chrono::steady_clock::now() - start,
                  darvotest::Scaled(std::chrono::milliseconds(500)));
        EXPECT_EQ(d.message.empty() ? error : expected, error);
        EXPECT_EQ(0u, error.rfind(path + ":", 0)) << error;
        EXPECT_EQ(7, b.fiscal.rounding);
        EXPECT_TRUE(b.fiscal.records.empty());
        EXPECT_TRUE(ReadFile(path) == text); // never replaced
    }
}

TEST_F(StateFileTest, DarvoSimRefusesDamagedFileAndLeavesIt) {
    WriteFile(path, "darvo-sim-state 1\nmodel 7\nrecord x\n");
    std::string said;
    EXPECT_EQ(1, RunCommand(DARVO_SIM_PATH " --model 7 --state " + path, said));
    EXPECT_EQ("darvo-sim: " + path + ":3: damaged item \"record\"\n", said);
    EXPECT_EQ("darvo-sim-state 1\nmodel 7\nrecord x\n", ReadFile(path));
}

// A printer's fiscal life through the emulator: fiscalised from training
// mode (a frame the user program builds itself, refused without the service
// jumper), its NIP line then fixed, its fiscal memory tests counted, a daily
// report, settled into read-only mode. The state file follows every change
// (and only a change); a printer restarted from it is where it was.
TEST_F(StateFileTest, FiscalLifeSurvivesARestart) {
    Begin(3);
    OnPrinter([&](Printer &p) {
        p.fiscal.statePath = path;
        p.status.fiscalMode = false;
        p.fiscal.memoryTests = darvosim::kMaxMemoryTests - 1;
    });
    uint8_t fiscalise[20] = {'F', 'F', 'F',  'F', 'F',  'F', 0x08, 0x98, 0x02, 0xBC,
                             0,   0,   0x80, 0,   0x80, 0,   0x80, 0,    0x40, 0};
    EXPECT_EQ(21, Raw(114, 0, 20, fiscalise));
    OnPrinter([&](Printer &p) { p.status.serviceJumper = true; });
    EXPECT_EQ(0, darvo::WriteUserData(4, 0, "NIP 123-456-32-18"));
    ASSERT_EQ(6, Raw(114, 0, 20, fiscalise));
    ASSERT_EQ(0, PrintControl(0, 3));
    const std::array<int32_t, 7> rates{2200, 700, 0, 25500, 25500, 25500, 10000};
    EXPECT_EQ(rates, State().sales.rates);
    EXPECT_TRUE(Printed("PTU G ZWOLNIONA"));
    EXPECT_EQ(darvo::RC_USER_DATA_NOT_STORED, darvo::WriteUserData(4, 0, "NIP 000-000-00-00"));
    EXPECT_EQ(0, darvo::WriteUserData(1, 0, "SKLEP"));
    EXPECT_EQ(0, darvo::EpromTest());
    EXPECT_EQ(24, darvo::EpromTest()); // the 256th
    OnPrinter([&](Printer &p) {
        p.sales.receiptCounter = 2;
        p.sales.totals[1] = 777;
    });
    ASSERT_EQ(0, DailyReport(0));
    Frames();
    EXPECT_NE(std::string::npos, ReadFile(path).find("\nrecord 1 8 2 7 2 0 777 0 0 0 0 0\n"));
    fs::remove(path);
    int32_t number = 0;
    ASSERT_EQ(0, DailyReportNumber(&number));
    Frames();
    EXPECT_FALSE(fs::exists(path));
    ASSERT_EQ(0, darvo::WriteRounding(3));
    OnPrinter([&](Printer &p) { p.status.serviceJumper = false; });
    ASSERT_EQ(0, Raw(49, 1, 11, SettlementFrame(8).data()));
    ASSERT_EQ(0, PrintControl(0, 3));
    Frames();
    Printer restarted(3);
    std::string error;
    ASSERT_TRUE(darvosim::LoadState(restarted, path, error)) << error;
    EXPECT_TRUE(restarted.status.fiscalMode);
    EXPECT_TRUE(restarted.status.readOnly);
    EXPECT_TRUE(restarted.fiscal.settled);
    EXPECT_EQ(rates, restarted.fiscal.fiscalisedRates);
    EXPECT_EQ(darvosim::kMaxMemoryTests, restarted.fiscal.memoryTests);
    EXPECT_EQ(0u, restarted.fiscal.userData[3].text.find("NIP 123-456-32-18"));
    ASSERT_EQ(1u, restarted.fiscal.records.size());
    EXPECT_EQ(777, restarted.fiscal.records[0].totals[1]);
    EXPECT_EQ(0, restarted.sales.receiptCounter);
    EXPECT_EQ(1, restarted.sales.dailyReportNumber);
    EXPECT_EQ(3, restarted.fiscal.rounding);
}

} // namespace
