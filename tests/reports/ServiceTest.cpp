// Service and configuration commands against the emulated printer.
#include "ReportFixture.h"
#include "darvodr/Reports.h"

#include <numeric>
#include <tuple>
#include <stdexcept>

using namespace darvotest;
using darvosim::Printer;

namespace {

TEST_F(ReportTest, SimpleSettingsFrames) {
    Begin(7);
    // The mode travels as mode + 0x30, whatever it is.
    const std::pair<uint8_t, uint8_t> modes[] = {{2, 0x32}, {10, 0x3A}, {255, 0x2F}};
    for (const auto &[mode, byte] : modes) {
        EXPECT_EQ(0, darvo::WriteRounding(mode));
        EXPECT_EQ(B({0x1B, 116, byte}), FramesOf(116).back().fromHost);
    }
    int32_t mode = -1;
    EXPECT_EQ(0, darvo::ReadRounding(mode));
    EXPECT_EQ(2, mode); // the printer took only the digit
    EXPECT_EQ(0, darvo::WriteFeedLines(4));
    EXPECT_EQ(B({0x1B, 237, 4}), FramesOf(237)[0].fromHost);
    int32_t lines = -1;
    EXPECT_EQ(0, darvo::ReadFeedLines(lines));
    EXPECT_EQ(4, lines);
    EXPECT_EQ(0, darvo::WritePrinterNumber("7", "AB"));
    EXPECT_EQ(B({0x1B, 67, '0', '7', 'A', 'B'}), FramesOf(67)[0].fromHost);
    int32_t number = 0;
    std::string code;
    EXPECT_EQ(0, PrinterNumber(number, code));
    EXPECT_EQ(7, number);
    EXPECT_EQ("AB", code);
    EXPECT_EQ(1, FiscalMode());
    OnPrinter([](Printer &p) { p.status.fiscalMode = false; });
    EXPECT_EQ(0, FiscalMode());
}

TEST_F(ReportTest, ShiftClockOnlyRightAfterDailyReport) {
    Begin(7);
    OnPrinter([](Printer &p) { p.sales.receiptCounter = 1; });
    EXPECT_EQ(218, darvo::ShiftClock(1, 60));
    EXPECT_TRUE(FramesOf(54).empty());
    OnPrinter([](Printer &p) { p.sales.receiptCounter = 0; });
    // No daily report yet today: the printer refuses.
    EXPECT_EQ(24, darvo::ShiftClock(1, 60));
    ASSERT_EQ(0, DailyReport(1));
    sim->log().Clear();
    EXPECT_EQ(0, darvo::ShiftClock(1, 60));
    EXPECT_EQ(B({0x1B, 54, 1, 6, 0}), FramesOf(54)[0].fromHost);
    darvosim::ClockReading now = darvosim::SalesClock(State().sales);
    EXPECT_EQ(15, now.hour);
    EXPECT_EQ(5, now.minute);
    // Once per day, even after another daily report.
    EXPECT_EQ(24, darvo::ShiftClock(0, 7));
    ASSERT_EQ(0, DailyReport(1));
    EXPECT_EQ(24, darvo::ShiftClock(0, 7));
    EXPECT_EQ(B({0x1B, 54}), FramesOf(54).back().fromHost); // refused: no digits sent
    EXPECT_EQ(15, darvosim::SalesClock(State().sales).hour);
    EXPECT_EQ(215, darvo::ShiftClock(2, 7));
    EXPECT_EQ(215, darvo::ShiftClock(0, 100));
}

// The first generation sets its clock with ten digits and has no user
// data to read.
TEST_F(ReportTest, FirstGenerationClockAndUserData) {
    Begin(0);
    darvo::UserDataLines lines;
    uint8_t flags = 0;
    EXPECT_EQ(224, darvo::ReadUserData(4, lines, flags));
    EXPECT_TRUE(FramesOf(157).empty());
    EXPECT_EQ(230, darvo::InitClock(8, 2, 7, 14, 5, 30));
    EXPECT_TRUE(FramesOf(52).empty());
    OnPrinter([](Printer &p) { p.status.cmosErased = true; });
    EXPECT_EQ(0, darvo::InitClock(9, 3, 8, 15, 6, 30));
    EXPECT_EQ(B({0x1B, 52, 0, 9, 0, 3, 0, 8, 1, 5, 0, 6}), SentOnce(52));
    EXPECT_TRUE(FramesOf(65).empty());
    EXPECT_FALSE(State().status.cmosErased);
    auto now = darvosim::SalesClock(State().sales);
    EXPECT_EQ(2009, now.year);
    EXPECT_EQ(15, now.hour);
    EXPECT_TRUE(host.progress.empty());
}

TEST_F(ReportTest, InitClockOnPexaReportsErasingProgress) {
    Begin(7);
    OnPrinter([](Printer &p) { p.status.cmosErased = true; });
    EXPECT_EQ(0, darvo::InitClock(9, 3, 8, 15, 6, 30));
    EXPECT_EQ(B({0x1B, 65, 0, 9, 0, 3, 0, 8, 1, 5, 0, 6, 3, 0}), SentOnce(65));
    ASSERT_EQ(18u, host.progress.size()); // the start, 16 steps, the end
    EXPECT_EQ("Trwa kasowanie ...", host.progress.front().first);
    EXPECT_EQ(0, host.progress.front().second);
    EXPECT_EQ(100, host.progress.back().second);
    EXPECT_FALSE(State().status.cmosErased);

    // A PEXA printer whose clock runs already answers 1.
    sim->Script(148, darvosim::Scripted{B({0x10})});
    EXPECT_EQ(239, darvo::InitClock(9, 3, 8, 15, 6, 30));
    sim->Script(148, darvosim::Scripted{B({0x10})});
    sim->Script(65, darvosim::Scripted{B({0x03})});
    EXPECT_EQ(241, darvo::InitClock(9, 3, 8, 15, 6, 30));
    EXPECT_EQ(215, darvo::InitClock(9, 13, 8, 15, 6, 30));
}

// Progress bytes cut off end in a time-out; progress bytes that never end
// with the 0 are garbage: the driver stops reading them after 1024 and says
// so, instead of reading for ever.
TEST_F(ReportTest, InitClockProgressCutOffOrEndless) {
    Begin(8);
    const std::tuple<darvosim::Bytes, int32_t, size_t> cases[] = {
        {B({1, 2, 3}), 21, 4}, {darvosim::Bytes(1100, 0x01), 23, 1 + 1024}};
    for (const auto &[progress, code, reported] : cases) {
        host.progress.clear();
        OnPrinter([](Printer &p) { p.status.cmosErased = true; });
        sim->Script(65, darvosim::Scripted{B({0x06}), 12, progress});
        EXPECT_EQ(code, darvo::InitClock(9, 3, 8, 15, 6, 30));
        EXPECT_EQ(reported, host.progress.size());
        // What is left of the stream does not spoil the next exchange.
        Frames();
        EXPECT_EQ(1, FiscalMode());
    }
    EXPECT_EQ(100, host.progress.back().second);
}

TEST_F(ReportTest, ServiceDatesInBcd) {
    Begin(7);
    // Refused while the service jumper is in its normal position.
    EXPECT_EQ(214, darvo::WriteServiceDate(darvo::kServiceDate, 8, 2, 7));
    OnPrinter([](Printer &p) { p.status.serviceJumper = true; });
    sim->log().Clear();
    EXPECT_EQ(0, darvo::WriteServiceDate(darvo::kEuroDate, 8, 2, 7));
    EXPECT_EQ(0, darvo::WriteServiceDate(darvo::kServiceDate, 12, 10, 31));
    auto frames = FramesOf(249);
    ASSERT_EQ(2u, frames.size());
    EXPECT_EQ(B({0x1B, 249, 0, 0x08, 0x02, 0x07}), frames[0].fromHost);
    EXPECT_EQ(B({0x1B, 249, 1, 0x12, 0x10, 0x31}), frames[1].fromHost);
    uint8_t y = 0, m = 0, d = 0;
    EXPECT_EQ(0, darvo::ReadServiceDate(darvo::kServiceDate, y, m, d));
    EXPECT_EQ(B({12, 10, 31}), B({y, m, d}));
    sim->Script(250, darvosim::Scripted{B({0x06}), 1, B({0, 0x08, 0x12, 0x31})});
    EXPECT_EQ(0, darvo::ReadServiceDate(darvo::kEuroDate, y, m, d));
    EXPECT_EQ(B({8, 12, 31}), B({y, m, d}));
    sim->Script(250, darvosim::Scripted{B({0x06}), 1, B({1, 0, 0, 0})});
    EXPECT_EQ(23, darvo::ReadServiceDate(darvo::kEuroDate, y, m, d));
    EXPECT_EQ(215, darvo::ReadServiceDate(2, y, m, d));
    EXPECT_EQ(215, darvo::WriteServiceDate(0, 8, 13, 7));
}

TEST_F(ReportTest, SettingsGroupsAndLockReasons) {
    Begin(8);
    darvo::SettingsValues v{};
    EXPECT_EQ(0, darvo::ReadSettingsGroup(4, v));
    EXPECT_EQ((darvo::SettingsValues{12, 8, 8}), v);
    EXPECT_EQ(0, darvo::WriteSettingsGroup(0, {0x21, 2, 3}));
    EXPECT_EQ(B({0x1B, 222, 0, 0x21, 2, 3}), FramesOf(222)[0].fromHost);
    EXPECT_EQ(0, darvo::ReadSettingsGroup(0, v));
    EXPECT_EQ((darvo::SettingsValues{0x21, 2, 3}), v);
    EXPECT_EQ(215, darvo::ReadSettingsGroup(5, v));
    EXPECT_EQ(215, darvo::WriteSettingsGroup(5, {1, 2, 3}));
    // Confirmations the driver does not know.
    sim->Script(223, darvosim::Scripted{B({0x06}), 1, B({3, 9, 9, 9})});
    EXPECT_EQ(23, darvo::ReadSettingsGroup(0, v));
    EXPECT_EQ((darvo::SettingsValues{0x21, 2, 3}), v); // untouched
    // The driver stops reading at the unknown byte; the rest of the answer
    // must be on the line before the next command's purge, or it would be
    // read as that command's answer.
    Frames();
    sim->Script(57, darvosim::Scripted{B({0x06, 7})});
    EXPECT_EQ(23, darvo::EraseDisplayData());
    Frames();
    sim->Script(58, darvosim::Scripted{B({0x06, 204})});
    EXPECT_EQ(235, darvo::EraseAdvertLines());
    OnPrinter([](Printer &p) {
        p.fiscal.lockReason = 0x41;
        p.fiscal.secondState = 0x02;
    });
    uint8_t second = 0, reason = 0;
    EXPECT_EQ(0, darvo::ReadLockReasons(second, reason));
    EXPECT_EQ(B({0x02, 0x41}), B({second, reason}));
}

// Advertising lines: the check byte is the XOR of the 40 bytes as sent,
// converted to code page 852 unless the printer takes Windows-1250.
TEST_F(ReportTest, AdvertCheckByteOverTheBytesSent) {
    Begin(7);
    const std::string text = darvo::Utf8ToCp1250("Żółć");
    for (uint8_t line : {0, 1}) { // line 1 goes to a printer that takes Windows-1250
        if (line == 1) OnPrinter([](Printer &p) { p.fiscal.cp1250Adverts = true; });
        sim->log().Clear();
        EXPECT_EQ(0, darvo::WriteAdvertLines(line, text));
        darvosim::Bytes expected =
            line == 0 ? B({0x1B, 46, 0, 0xBD, 0xA2, 0x88, 0x86}) : B({0x1B, 46, 1, 0xAF, 0xF3, 0xB3, 0xE6});
        expected.resize(43, ' ');
        expected.push_back(
            std::accumulate(expected.begin() + 3, expected.end(), uint8_t{0}, std::bit_xor<uint8_t>()));
        EXPECT_EQ(expected, SentOnce(46));
        std::string back;
        uint8_t attribute = 0;
        EXPECT_EQ(0, darvo::ReadAdvertLines(line, back, attribute));
        EXPECT_EQ(text + std::string(36, ' '), back);
        EXPECT_EQ(1, attribute & 1);
    }
}

TEST_F(ReportTest, AdvertTransferRefusals) {
    Begin(7);
    EXPECT_EQ(223, darvo::WriteAdvertLines(3, "x"));
    EXPECT_EQ(233, darvo::WriteAdvertLines(1, "out of order"));
    EXPECT_EQ(0, darvo::WriteAdvertLines(0, "A"));
    EXPECT_EQ(0, darvo::WriteAdvertLines(1, "B"));
    EXPECT_EQ(0, darvo::WriteAdvertLines(2, "C"));
    // A new set must wait for the daily report that prints this one.
    EXPECT_EQ(235, darvo::WriteAdvertLines(0, "D"));
    EXPECT_EQ(235, darvo::EraseAdvertLines());
    ASSERT_EQ(0, DailyReport(1));
    EXPECT_TRUE(Printed("ZMIENIONO TEKSTY REKLAMOWE"));
    EXPECT_EQ(0, darvo::EraseAdvertLines());
    std::string back;
    uint8_t attribute = 0xFF;
    EXPECT_EQ(0, darvo::ReadAdvertLines(2, back, attribute));
    EXPECT_EQ(0, attribute & 1);
    sim->Script(46, darvosim::Scripted{B({0x06}), 42, B({200})});
    EXPECT_EQ(232, darvo::WriteAdvertLines(0, "E"));
    sim->Script(46, darvosim::Scripted{B({0x06}), 42, B({99})});
    EXPECT_EQ(23, darvo::WriteAdvertLines(0, "E"));
    // A line the printer holds shorter than 40 characters (as a hand-made
    // state file may give it) still goes out as a full 42-byte answer.
    OnPrinter([](Printer &p) { p.fiscal.adverts[0] = {1, "KROTKI"}; });
    EXPECT_EQ(0, darvo::ReadAdvertLines(0, back, attribute));
    EXPECT_EQ("KROTKI" + std::string(34, ' '), back);
    EXPECT_EQ(1, attribute);
}

void FillPicture(darvo::DisplayRows &rows) {
    for (int r = 0; r < darvo::kDisplayRows; ++r) {
        for (int i = 0; i < 24; ++i)
            rows[r][i] = static_cast<uint8_t>(r * 7 + i);
        rows[r][24] = std::accumulate(rows[r], rows[r] + 24, uint8_t{0}, std::bit_xor<uint8_t>());
    }
}

TEST_F(ReportTest, DisplayTransferStopsAtFirstRefusedRow) {
    Begin(7);
    darvo::DisplayRows &rows = host.DisplayBuffer();
    FillPicture(rows);
    rows[5][24] ^= 0xFF; // a damaged row
    EXPECT_EQ(232, darvo::WriteDisplayData());
    auto frames = FramesOf(45);
    ASSERT_EQ(6u, frames.size());
    darvosim::Bytes row0{0x1B, 45, 0};
    row0.insert(row0.end(), rows[0], rows[0] + 25);
    EXPECT_EQ(row0, frames[0].fromHost);
    EXPECT_EQ(B({0x06, 200}), frames[5].fromPrinter);
    rows[5][24] ^= 0xFF;
    EXPECT_EQ(0, darvo::WriteDisplayData());
    EXPECT_EQ(0, darvo::ReadDisplayData());
    darvo::DisplayRows &read = host.DisplayReadBuffer();
    for (int r = 0; r < darvo::kDisplayRows; ++r)
        for (int i = 0; i < 24; ++i)
            ASSERT_EQ(rows[r][i], read[r][i + 1]) << r << " " << i;
    // Reading back stops at the first row the printer refuses or does not
    // finish; a row is stored only once all its bytes came.
    for (auto &row : read)
        std::fill(row, row + darvo::kDisplayRowBytes, 0xEE);
    const std::pair<darvosim::Bytes, int32_t> cuts[] = {{B({108}), 223}, {B({0, 1, 9, 9}), 21}};
    for (const auto &[answer, code] : cuts) {
        sim->log().Clear();
        sim->Script(47, darvosim::Scripted{B({0x06}), 1, answer});
        EXPECT_EQ(code, darvo::ReadDisplayData());
        EXPECT_EQ(1u, FramesOf(47).size());
        EXPECT_EQ(0xEE, read[0][1]);
    }
    EXPECT_EQ(0xEE, read[0][0]); // offset 0 is never written
    // The same picture again is stored but not printed.
    EXPECT_EQ(235, darvo::WriteDisplayData()); // the previous one waits for its daily report
    EXPECT_EQ(235, darvo::EraseDisplayData());
    ASSERT_EQ(0, DailyReport(1));
    EXPECT_EQ(234, darvo::WriteDisplayData());
    EXPECT_EQ(0, darvo::EraseDisplayData());
    EXPECT_EQ(238, darvo::ReadDisplayData());
}

// An older model feeds lines with command 70 and has no display picture.
TEST_F(ReportTest, OlderModelFeedLinesAndNoDisplay) {
    Begin(3);
    EXPECT_EQ(0, darvo::WriteFeedLines(2));
    EXPECT_EQ(B({0x1B, 70, 2}), FramesOf(70)[0].fromHost);
    EXPECT_TRUE(FramesOf(237).empty());
    for (int32_t rc : {darvo::WriteDisplayData(), darvo::ReadDisplayData(), darvo::EraseDisplayData()})
        EXPECT_EQ(224, rc);
    for (uint8_t command : {45, 47, 57})
        EXPECT_TRUE(FramesOf(command).empty()) << int(command);
}

TEST_F(ReportTest, UserDataRoundTrip) {
    Begin(8);
    const std::string nip = darvo::Utf8ToCp1250("NIP 123-456-32-18 Łódź");
    EXPECT_EQ(0, darvo::WriteUserData(1, 0x01, "SKLEP"));
    EXPECT_EQ(0, darvo::WriteUserData(2, 0x02, nip));
    auto frames = FramesOf(156);
    ASSERT_EQ(2u, frames.size());
    darvosim::Bytes first{0x1B, 156, 1, 0x01, 'S', 'K', 'L', 'E', 'P'};
    first.resize(2 + 2 + 20, ' ');
    EXPECT_EQ(first, frames[0].fromHost);
    EXPECT_EQ(2u + 2 + 40, frames[1].fromHost.size());
    EXPECT_EQ(0x9D, frames[1].fromHost[4 + 18]); // Ł in code page 852
    EXPECT_EQ(229, darvo::WriteUserData(7, 0x01, "X"));

    darvo::UserDataLines lines;
    uint8_t flags = 0xFF;
    EXPECT_EQ(0, darvo::ReadUserData(2, lines, flags));
    EXPECT_EQ(2u, FramesOf(158).size()); // the PEXA F reads with 158
    EXPECT_EQ("SKLEP" + std::string(15, ' '), lines[0]);
    EXPECT_EQ(nip + std::string(40 - nip.size(), ' '), lines[1]);
    EXPECT_EQ(0x02, flags);
    EXPECT_EQ(215, darvo::ReadUserData(7, lines, flags));
    OnPrinter([](Printer &p) { p.status.userData = false; });
    EXPECT_EQ(104, darvo::ReadUserData(1, lines, flags));
}

// Four lines go with their attribute and exactly their characters; a line
// of another length goes as the width it fits.
TEST_F(ReportTest, PrintUserDataCheckOfFourLines) {
    Begin(3);
    darvo::UserDataLines lines{std::string(20, 'A'), std::string(40, 'B'), "short",
                               std::string(25, 'D') + darvo::Utf8ToCp1250("ą")};
    EXPECT_EQ(0, darvo::PrintUserDataCheck(4, lines));
    const std::string wire = "\x1B\x33\x01" + std::string(20, 'A') + '\0' + std::string(40, 'B') + '\1' +
                             "short" + std::string(15, ' ') + '\0' + std::string(25, 'D') + "\xA5" +
                             std::string(14, ' ');
    EXPECT_EQ(darvosim::Bytes(wire.begin(), wire.end()), SentOnce(51));
    EXPECT_TRUE(Printed("Dą"));
    sim->log().Clear();
    EXPECT_EQ(0, darvo::PrintUserDataCheck(5, lines));
    EXPECT_EQ(B({0x1B, 241}), FramesOf(241)[0].fromHost);
    EXPECT_TRUE(FramesOf(51).empty());
}

// Service commands refused before anything is sent: no paper (the printing
// ones look at the printer first), erased memory, an open receipt.
TEST_F(ReportTest, ServiceCommandsRefusedWithoutPaperOnErasedMemoryOrOpenReceipt) {
    Begin(7);
    OnPrinter([](Printer &p) { p.status.paperOut = true; });
    darvo::UserDataLines lines;
    for (int32_t rc :
         {darvo::FixedDescriptionsReport(), darvo::EpromTest(), darvo::PrintUserDataCheck(4, lines)})
        EXPECT_EQ(109, rc);
    for (uint8_t command : {48, 39, 51})
        EXPECT_TRUE(FramesOf(command).empty()) << int(command);
    OnPrinter([](Printer &p) { p.status.paperOut = false; });
    OnPrinter([](Printer &p) { p.status.cmosErased = true; });
    EXPECT_EQ(107, darvo::FixedDescriptionsReport());
    EXPECT_EQ(107, darvo::EpromTest());
    EXPECT_EQ(107, darvo::WriteAdvertLines(0, "x"));
    EXPECT_TRUE(FramesOf(48).empty());
    OnPrinter([](Printer &p) {
        p.status.cmosErased = false;
        p.status.noController = true;
    });
    EXPECT_EQ(102, darvo::ClearPriceBuffer());
    OnPrinter([](Printer &p) { p.status.noController = false; });
    darvo::ReceiptOpen = true;
    EXPECT_EQ(200, darvo::FixedDescriptionsReport());
    EXPECT_EQ(200, darvo::DisplayTest(1));
    EXPECT_EQ(200, darvo::NamesBasePrintBegin());
    darvo::ReceiptOpen = false;
    EXPECT_EQ(0, darvo::FixedDescriptionsReport());
    EXPECT_EQ(0, darvo::EpromTest());
    EXPECT_EQ(0, darvo::DisplayTest(3));
    EXPECT_EQ(B({0x1B, 50, 3}), FramesOf(50)[0].fromHost);
    EXPECT_TRUE(Printed("RAPORT OPISÓW STAŁYCH"));
    EXPECT_TRUE(Printed("TEST PAMIĘCI PROGRAMU"));
}

// The names-and-rates control printout, and the erasing of the base that
// it allows (a frame the user program builds itself).
TEST_F(ReportTest, NamesBasePrintoutThenErase) {
    Begin(7);
    ASSERT_EQ(0, darvo::NamesBasePrintBegin());
    EXPECT_EQ(202, darvo::NamesBasePrintItem("a", 1));
    ASSERT_EQ(0, darvo::NamesBasePrintItem(darvo::Utf8ToCp1250("Chleb żytni"), 2));
    ASSERT_EQ(0, darvo::NamesBasePrintEnd());
    EXPECT_EQ(B({0x1B, 81}), FramesOf(81)[0].fromHost);
    // The item travels as bare bytes between the frames: the rate code and
    // the 28 characters unconverted.
    darvosim::Bytes loose;
    for (const auto &e : sim->log().Entries())
        if (e.frame == 0 && e.fromHost) loose.push_back(e.byte);
    darvosim::Bytes item{2};
    for (char c : darvo::Utf8ToCp1250("Chleb żytni"))
        item.push_back(static_cast<uint8_t>(c));
    item.resize(29, ' ');
    EXPECT_EQ(item, loose);
    EXPECT_TRUE(Printed("Chleb żytni"));
    EXPECT_TRUE(Printed("Pozycji: 1"));
    const std::string u = State().sales.uniqueNumber;
    uint8_t confirmation = static_cast<uint8_t>(u[9] + u[10] + 1);
    EXPECT_EQ(21, Raw(92, 1, 1, &confirmation)); // a wrong confirmation byte
    confirmation = static_cast<uint8_t>(u[9] + u[10]);
    ASSERT_EQ(6, Raw(92, 1, 1, &confirmation));
    uint8_t result = 0, answer[256] = {};
    int steps = 0;
    do {
        ASSERT_TRUE(darvo::ReceiveByte(result));
        ++steps;
    } while (result != 0);
    EXPECT_EQ(17, steps);
    EXPECT_EQ(0, PrintControl(0, 7));
    EXPECT_TRUE(Printed("BAZA NAZW I STAWEK SKASOWANA"));
    // A second erase needs a new control printout.
    EXPECT_EQ(24, RSSequence(92, 1, 1, answer, &confirmation));

    // An item that cannot be sent.
    darvo::CloseSessionPort();
    EXPECT_EQ(20, darvo::NamesBasePrintItem("Chleb zwykly", 1));
}

// A host whose calls fail with an exception, as a user program's window
// code may.
struct ThrowingHost : RecordingHost {
    bool activityThrows = true;
    void ShowActivityMessage(const std::string &text) override {
        if (activityThrows) throw std::runtime_error("activity");
        RecordingHost::ShowActivityMessage(text);
    }
    void ClockInitProgress(const std::string &, int) override { throw std::runtime_error("progress"); }
    darvo::DisplayRows &DisplayBuffer() override { throw std::runtime_error("display"); }
};

// An exception inside an operation the user program calls directly gives
// 999, as in the exported functions, and nothing reaches the printer.
TEST_F(ReportTest, ExceptionsInsideInternalOperationsGive999) {
    Begin(7);
    ThrowingHost throwing;
    darvo::SetDriverHost(&throwing);
    const uint8_t numbers[4] = {1, 0, 1, 0};
    for (int32_t rc : {darvo::FinancialTaxReport(), darvo::PeriodReportConditions(),
                       darvo::PeriodReportCommand(darvo::kShortByNumbers, numbers), darvo::PowerOff(),
                       darvo::WritePrinterNumber("01", "AB"), darvo::ShiftClock(1, 5)})
        EXPECT_EQ(999, rc);
    EXPECT_TRUE(Frames().empty());
    EXPECT_TRUE(State().powered);
    throwing.activityThrows = false;
    EXPECT_EQ(999, darvo::WriteDisplayData());
    EXPECT_TRUE(FramesOf(45).empty());
    OnPrinter([](Printer &p) { p.status.cmosErased = true; });
    EXPECT_EQ(999, darvo::InitClock(9, 3, 8, 15, 6, 30));
    EXPECT_EQ(1u, FramesOf(65).size());
    EXPECT_EQ(1, FiscalMode()); // the driver goes on working once the printer has said its piece
    darvo::SetDriverHost(&host);
}

} // namespace
