// Daily, financial and period reports against the emulated printer.
#include "ReportFixture.h"
#include "darvodr/Reports.h"

#include <atomic>
#include <stdexcept>

using namespace darvotest;
using darvosim::Printer;

namespace {

const uint8_t kNumbers[4] = {1, 0, 1, 0}; // daily reports 1..1

// The zero-report flag spares the counter check on types 2, 3, 6, 7, 8
// and 9 only; on 0, 1, 4 and 5 a day without sales is always refused. Each
// report goes on record, printed to its end.
TEST_F(ReportTest, ZeroReportFlagByEveryDeviceType) {
    Begin(3);
    EXPECT_EQ(211, DailyReport(0));
    EXPECT_TRUE(FramesOf(37).empty());
    for (uint8_t type = 0; type <= 9; ++type) {
        SCOPED_TRACE(int(type));
        sim->log().Clear();
        darvo::DeviceType = type;
        const bool spared = type == 2 || type == 3 || type >= 6;
        EXPECT_EQ(spared ? 0 : 211, DailyReport(1));
        EXPECT_EQ(spared ? 0u : 1u, FramesOf(102).size());
        const auto reports = FramesOf(37);
        EXPECT_EQ(spared ? 1u : 0u, reports.size());
        for (const auto &f : reports)
            EXPECT_EQ(B({0x1B, 37}), f.fromHost);
        EXPECT_TRUE(FramesOf(247).empty());
    }
    const PrinterState s = State();
    ASSERT_EQ(6u, s.fiscal.records.size());
    EXPECT_EQ(1, s.fiscal.records[0].number);
    EXPECT_EQ((darvosim::Date{8, 2, 7}), s.fiscal.records[0].date);
    EXPECT_TRUE(Printed("RAPORT DOBOWY FISKALNY"));
    EXPECT_EQ(0, s.status.printing); // the driver waited for the printout
}

// A PEXA printer answers 0 to command 102 and keeps its counter under 247:
// a day with sales must not be refused as one without.
TEST_F(ReportTest, DailyReportOnPexaCountsReceiptsOfCommand247) {
    Begin(7);
    OnPrinter([](Printer &p) {
        p.sales.receiptCounter = 3;
        p.sales.totals[0] = 12345;
    });
    EXPECT_EQ(0, DailyReport(0));
    EXPECT_EQ(1u, FramesOf(247).size());
    const PrinterState s = State();
    ASSERT_EQ(1u, s.fiscal.records.size());
    EXPECT_EQ(3, s.fiscal.records[0].receipts);
    EXPECT_EQ(12345, s.fiscal.records[0].totals[0]);
    EXPECT_EQ(0, s.sales.receiptCounter); // the report closed the day
    EXPECT_EQ(0, s.sales.totals[0]);
    int32_t number = 0;
    EXPECT_EQ(0, DailyReportNumber(&number));
    EXPECT_EQ(1, number);
}

TEST_F(ReportTest, SimpleReportsPrintAndShowTheirProgressText) {
    Begin(7);
    EXPECT_EQ(0, darvo::FinancialTaxReport());
    EXPECT_EQ(0, LockedArticlesReport());
    EXPECT_EQ(0, PrinterStatusReport());
    for (uint8_t command : {43, 34, 38})
        EXPECT_EQ(1u, FramesOf(command).size()) << int(command);
    for (const char *title :
         {"RAPORT FINANSOWY PODATKOWY", "RAPORT NAZW TOWARÓW ZABLOKOWANYCH", "RAPORT STANU DRUKARKI"})
        EXPECT_TRUE(Printed(title)) << title;
    const auto &a = host.texts;
    EXPECT_NE(a.end(),
              std::find(a.begin(), a.end(), darvo::Utf8ToCp1250("Raport nazw towarów zablokowanych...")));
    EXPECT_NE(a.end(), std::find(a.begin(), a.end(), "Raport stanu drukarki..."));
    EXPECT_TRUE(State().fiscal.records.empty()); // the financial report closes nothing
}

TEST_F(ReportTest, OldPeriodReportFrameAndRangeChecks) {
    Begin(0);
    AddRecord(1, 8, 1, 10);
    EXPECT_EQ(0, PeriodReport(1, 8, 1, 1, 8, 1, 31));
    EXPECT_EQ(B({0x1B, 40, 0, 8, 0, 1, 0, 1, 0, 8, 0, 1, 3, 1}), SentOnce(40));
    EXPECT_EQ(B({0x06}), FramesOf(40).at(0).fromPrinter);
    EXPECT_TRUE(Printed("Raport dobowy nr 1  2008-01-10"));
    ExpectUsualTimeouts();
    sim->log().Clear();
    EXPECT_EQ(0, PeriodReport(0, 8, 1, 1, 8, 1, 31));
    EXPECT_EQ(1u, FramesOf(41).size());
    darvo::SetPortTimeouts(1, 1); // refused: the usual time-outs all the same
    sim->Script(41, darvosim::Scripted{B({0x15})});
    EXPECT_EQ(24, PeriodReport(0, 8, 1, 1, 8, 1, 31));
    ExpectUsualTimeouts();
    sim->log().Clear();
    EXPECT_EQ(215, PeriodReport(1, 8, 13, 1, 8, 1, 31));
    EXPECT_EQ(215, PeriodReport(1, 0, 1, 1, 8, 1, 31));
    EXPECT_EQ(215, PeriodReport(1, 8, 1, 32, 8, 1, 31));
    EXPECT_EQ(215, PeriodReport(2, 8, 1, 1, 8, 1, 31));
    EXPECT_TRUE(Frames().empty());
    // The newer reports are refused on the old models.
    EXPECT_EQ(224, MonthlyReport(0, 7, 12));
    EXPECT_EQ(224, NumberReport(0, 1, 2));
    EXPECT_TRUE(FramesOf(49).empty());
}

TEST_F(ReportTest, MonthlyAndNumberReportFrames) {
    Begin(7);
    AddRecord(300, 7, 12, 3);
    AddRecord(310, 7, 12, 31);
    EXPECT_EQ(0, MonthlyReport(0, 7, 12));
    EXPECT_EQ(B({0x1B, 49, 5, 0, 7, 1, 2}), SentOnce(49));
    EXPECT_EQ(B({0x06, 0x00}), FramesOf(49).at(0).fromPrinter);
    EXPECT_TRUE(Printed("RAPORT MIESIĘCZNY"));
    sim->log().Clear();
    EXPECT_EQ(0, NumberReport(1, 300, 310));
    EXPECT_EQ(B({0x1B, 49, 1, 0x2C, 0x01, 0x36, 0x01}), SentOnce(49));
    EXPECT_TRUE(Printed("Raport dobowy nr 310  2007-12-31"));
}

// The printer's verdicts on the range it was given.
TEST_F(ReportTest, PeriodReportVerdictsOfThePrinter) {
    Begin(7);
    darvo::ReceiptOpen = true; // refused without a byte (the others: Counters.EachOperation...)
    EXPECT_EQ(200, MonthlyReport(0, 7, 12));
    EXPECT_TRUE(Frames().empty());
    darvo::ReceiptOpen = false;
    AddRecord(1, 8, 1, 10);
    EXPECT_EQ(221, NumberReport(0, 2, 5));  // no such numbers
    EXPECT_EQ(221, NumberReport(0, 1, 0));  // last before first
    EXPECT_EQ(222, MonthlyReport(0, 8, 2)); // the current month
    EXPECT_EQ(220, MonthlyReport(0, 7, 11));
    EXPECT_EQ(219, MonthlyReport(0, 7, 13));
    EXPECT_EQ(215, MonthlyReport(2, 7, 11));
    EXPECT_EQ(215, NumberReport(-1, 1, 1));
    EXPECT_EQ(215, MonthlyReport(0, 100, 1));
    EXPECT_EQ(5u, FramesOf(49).size());
    EXPECT_TRUE(printer().roll.Lines().empty());
    const uint8_t range[12] = {0, 8, 0, 2, 0, 1, 0, 8, 0, 1, 0, 1}; // 2008-02-01 .. 2008-01-01
    EXPECT_EQ(219, darvo::PeriodReportCommand(darvo::kShortByDates, range));
    const uint8_t empty[12] = {0, 7, 0, 1, 0, 1, 0, 7, 1, 2, 3, 1};
    EXPECT_EQ(220, darvo::PeriodReportCommand(darvo::kDetailedByDates, empty));
    EXPECT_EQ(223, darvo::PeriodReportCommand(9, nullptr));
    EXPECT_EQ(B({0x1B, 49, 9}), FramesOf(49).back().fromHost);
    EXPECT_EQ(225, darvo::PeriodReportCommand(darvo::kShortMonthly, nullptr));
}

// Result bytes above 5 are success without waiting for a printout.
TEST_F(ReportTest, ResultByteTable) {
    Begin(3);
    const std::pair<uint8_t, int32_t> table[] = {{1, 219}, {2, 220}, {3, 221}, {4, 222},
                                                 {5, 223}, {6, 0},   {200, 0}};
    for (auto [byte, code] : table) {
        sim->log().Clear();
        sim->Script(49, darvosim::Scripted{B({0x06}), 5, B({byte})});
        EXPECT_EQ(code, MonthlyReport(1, 7, 12)) << int(byte);
        if (byte > 5) {
            EXPECT_TRUE(FramesOf(0x95).empty());
        }
    }
}

// Whatever a period report ends with, the port is left with the usual
// time-outs; while the printer computes, the read time-out is 90 s.
TEST_F(ReportTest, TimeoutsAfterEveryPeriodReport) {
    Begin(7);
    AddRecord(1, 8, 1, 10);
    std::atomic<int> during{-1};
    OnPrinter([&](Printer &p) {
        p.Define(49, [&](Printer &, darvosim::Link &link) {
        // The driver waits in the port's read while the printer looks at
        // the port; the thread sanitizer cannot see that the line orders
        // the two, so it is spared this look.
#if !defined(__SANITIZE_THREAD__)
            during = darvo::ThePort->ReadTimeoutInForce();
#else
            during = 90;
#endif
            link.Send(darvosim::ACK);
            darvosim::Bytes params;
            if (link.Read(5, params)) link.Send(uint8_t{2});
        });
    });
    EXPECT_EQ(220, MonthlyReport(0, 7, 1));
    EXPECT_EQ(90, during.load());
    ExpectUsualTimeouts();

    // Refused, answered with something else than ACK, printed.
    const std::pair<darvosim::Bytes, int32_t> ends[] = {{B({0x15}), 24}, {B({0x07}), 23}, {{}, 0}};
    for (const auto &[answer, code] : ends) {
        darvo::SetPortTimeouts(1, 1);
        if (!answer.empty()) sim->Script(49, darvosim::Scripted{answer});
        if (answer.empty()) OnPrinter([](Printer &p) { darvosim::DefineFiscalCommands(p); });
        EXPECT_EQ(code, darvo::PeriodReportCommand(darvo::kShortByNumbers, kNumbers));
        ExpectUsualTimeouts();
    }
}

// The report reopens the port with the user program's selected port and
// speed, or, for a host that opened the port itself without a session, the
// port that is open.
TEST_F(ReportTest, ReopensWithTheSelectedPortAndSpeedOrTheOpenPort) {
    struct SelectingHost : RecordingHost {
        bool SelectedPortAndSpeed(int32_t &port, int32_t &speed) override {
            port = kPort;
            speed = 19200;
            return true;
        }
    } selecting;
    Begin(7);
    AddRecord(1, 8, 1, 10);
    darvo::SetDriverHost(&selecting);
    EXPECT_EQ(0, NumberReport(0, 1, 1));
    EXPECT_EQ(19200u, darvo::ThePort->baudRate);
    EXPECT_EQ(19200u, sim->LineSpeed());

    darvo::SetDriverHost(&host);
    ASSERT_EQ(0, CommunicationEnd());
    darvo::SessionReady = true;
    Open(28800);
    EXPECT_EQ(0, NumberReport(0, 1, 1));
    ASSERT_TRUE(darvo::ThePort->IsOpen());
    EXPECT_EQ(28800u, darvo::ThePort->baudRate);
    ExpectUsualTimeouts();
}

// A user program whose port selection fails after the report was ordered:
// the port is still left with the usual time-outs, not the long one.
TEST_F(ReportTest, UsualTimeoutsWhenTheReturnReopeningFails) {
    struct FailingHost : RecordingHost {
        int calls = 0;
        bool throws = true;
        bool SelectedPortAndSpeed(int32_t &port, int32_t &speed) override {
            if (++calls > 1 && throws) throw std::runtime_error("no selection");
            port = calls > 1 ? 0 : kPort; // nothing selected any more
            speed = 9600;
            return true;
        }
    } failing;
    Begin(7);
    AddRecord(1, 8, 1, 10);
    darvo::SetDriverHost(&failing);
    EXPECT_EQ(999, NumberReport(0, 1, 1));
    EXPECT_EQ(1u, FramesOf(49).size());
    ASSERT_TRUE(darvo::ThePort->IsOpen());
    ExpectUsualTimeouts();
    failing.calls = 0;
    failing.throws = false;
    EXPECT_EQ(114, darvo::PeriodReportCommand(darvo::kShortByNumbers, kNumbers));
    EXPECT_EQ(2u, FramesOf(49).size());
    ASSERT_TRUE(darvo::ThePort->IsOpen());
    ExpectUsualTimeouts();
    darvo::SetDriverHost(&host);
}

TEST_F(ReportTest, PeriodReportConditions) {
    Begin(7);
    OnPrinter([](Printer &p) { p.status.fiscalMode = false; });
    EXPECT_EQ(228, darvo::PeriodReportCommand(darvo::kShortByNumbers, kNumbers));
    // Erased memory, no user data, no maker's data.
    const struct {
        bool erased, userData, makerData;
        int32_t code;
    } rows[] = {{true, true, true, 107},
                {false, false, true, 104},
                {false, true, false, 100},
                {false, true, true, 0}};
    for (const auto &row : rows) {
        OnPrinter([&](Printer &p) {
            p.status.fiscalMode = true;
            p.status.cmosErased = row.erased;
            p.status.userData = row.userData;
            p.status.makerData = row.makerData;
        });
        EXPECT_EQ(row.code, darvo::PeriodReportConditions());
    }
    EXPECT_TRUE(FramesOf(49).empty());
}

// The settlement report by numbers, a frame the user program builds itself:
// checked against the unique number and today's date, it makes the printer
// read-only.
TEST_F(ReportTest, SettlementReportByNumbersEndsInReadOnly) {
    Begin(7);
    AddRecord(1, 8, 1, 10);
    AddRecord(2, 8, 1, 11);
    auto frame = SettlementFrame(7);
    frame[11] = 1; // daily reports 1..2
    frame[13] = 2;
    frame[10] = 6; // a wrong date: conditions not met
    EXPECT_EQ(6, Raw(49, 1, 15, frame.data()));
    EXPECT_FALSE(State().status.readOnly);
    frame[10] = 7;
    EXPECT_EQ(0, Raw(49, 1, 15, frame.data()));
    EXPECT_TRUE(State().status.readOnly);
    EXPECT_TRUE(Printed("RAPORT ROZLICZENIOWY"));
    EXPECT_EQ(0, PrintControl(0, 7));
    EXPECT_EQ(24, DailyReport(1)); // read-only: no more daily reports
}

// The settlement report is refused while receipts were issued since the
// last daily report, and prints the whole fiscal memory otherwise.
TEST_F(ReportTest, SettlementReportOfTheWholeMemory) {
    Begin(3);
    AddRecord(1, 8, 1, 10, 4, 2500);
    OnPrinter([](Printer &p) { p.sales.receiptCounter = 1; });
    auto frame = SettlementFrame(8);
    EXPECT_EQ(7, Raw(49, 1, 11, frame.data()));
    OnPrinter([](Printer &p) { p.sales.receiptCounter = 0; });
    EXPECT_EQ(0, Raw(49, 1, 11, frame.data()));
    EXPECT_TRUE(Printed("Liczba paragonów: 4"));
    EXPECT_TRUE(State().status.readOnly);
}

// The wire trace shows the result byte of a period report like every other
// byte the driver receives.
TEST_F(ReportTest, TraceShowsThePeriodReportResultByte) {
    Begin(7);
    const ScratchDir dir;
    ::setenv("DARVO_TRACE", (dir / "trace.log").c_str(), 1);
    sim->Script(49, darvosim::Scripted{B({0x06}), 5, B({2})});
    EXPECT_EQ(220, darvo::PeriodReportCommand(darvo::kShortByNumbers, kNumbers));
    std::string text;
    EXPECT_EQ(0, ErrMessage(220, text)); // an exported call ends the trace's last line
    ::unsetenv("DARVO_TRACE");
    const std::vector<std::string> lines = TraceLines(dir / "trace.log");
    const auto start = std::find(lines.begin(), lines.end(), "-- command 49 (0x31)");
    const std::vector<std::string> expected = {"-- command 49 (0x31)", ">> 1B 31", "<< 06",
                                               ">> 04 01 00 01 00",    "<< 02",    "ErrMessage -> 0"};
    EXPECT_EQ(expected, std::vector<std::string>(start, std::min(lines.end(), start + 6)));
}

} // namespace
