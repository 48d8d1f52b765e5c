// Counters, totals, clock, unique number, line feed and drawers.
#include "SalesFixture.h"
#include "darvodr/Cp1250.h"
#include "darvodr/Host.h"
#include "darvodr/Reports.h"
#include "darvodr/Service.h"

#include <cstring>

using namespace darvotest;
using darvosim::Bytes;

namespace {

class Counters : public SalesTest {};

Bytes TotalsAnswer(std::initializer_list<uint64_t> totals) {
    Bytes answer{0x06};
    for (uint64_t t : totals)
        for (int k = 0; k < 5; ++k)
            answer.push_back(uint8_t(t >> (8 * k)));
    answer.resize(36, 0);
    return answer;
}

} // namespace

TEST_F(Counters, ReceiptCounterAndThePexaTwin) {
    Start(3);
    OnPrinter([](darvosim::Printer &p) { p.sales.receiptCounter = 0x0102; });
    int32_t n = -1;
    ASSERT_EQ(0, ReceiptNumber(&n));
    EXPECT_EQ(0x0102, n);
    EXPECT_EQ(Bytes({0xFF, 0xFE, 102}), Commands());
    EXPECT_EQ(225, ReceiptNumber(nullptr));

    Start(7);
    OnPrinter([](darvosim::Printer &p) { p.sales.receiptCounter = 12; });
    ASSERT_EQ(0, ReceiptNumber(&n));
    EXPECT_EQ(12, n);
    EXPECT_EQ(Bytes({0xFF, 0xFE, 102, 247}), Commands());
    ClearLog();
    sim->Script(102, darvosim::Scripted{{0x06, 5, 0}});
    ASSERT_EQ(0, darvo::ReadLastReceiptNumber(n));
    EXPECT_EQ(5, n);
    EXPECT_EQ(Bytes({0xFF, 0xFE, 102}), Commands());
}

TEST_F(Counters, RegisterNumberOperatorAndDailyReportNumber) {
    Start(7);
    OnPrinter([](darvosim::Printer &p) {
        p.sales.cashRegister = "07";
        p.sales.operatorCode = "AB";
        p.sales.dailyReportNumber = 0x0203;
    });
    int32_t number = 0;
    std::string op;
    ASSERT_EQ(0, PrinterNumber(number, op));
    EXPECT_EQ(7, number);
    EXPECT_EQ("AB", op);
    ASSERT_EQ(0, DailyReportNumber(&number));
    EXPECT_EQ(0x0203, number);
    EXPECT_EQ(Bytes({216, 217}), Commands());
    EXPECT_EQ(225, DailyReportNumber(nullptr));
}

TEST_F(Counters, TotalsFromTheirFortyBitRecords) {
    Start(7);
    sim->Script(218, darvosim::Scripted{TotalsAnswer({10000}), 0, {}, false, 3});
    std::string total;
    ASSERT_EQ(0, ReadTotal(total));
    EXPECT_EQ("10000", total);
    ASSERT_EQ(0, ReadSelTotal("A", total));
    EXPECT_EQ("10000", total);
    ASSERT_EQ(0, ReadSelTotal("+", total));
    EXPECT_EQ("10000", total);
    EXPECT_EQ(223, ReadSelTotal("a", total));
    EXPECT_EQ(223, ReadSelTotal("AB", total));
    EXPECT_EQ("", total);
    EXPECT_EQ(226, ReadSelTotal("F", total)); // not in use
    // Two full 40-bit totals: the sum needs more than 40 bits.
    OnPrinter([](darvosim::Printer &p) { p.sales.totals = {0xFFFFFFFFFF, 0, 0, 0, 0xFFFFFFFFFF, 0, 7}; });
    char buffer[32];
    std::memset(buffer, 'x', sizeof buffer);
    ASSERT_EQ(0, pReadTotal(buffer));
    EXPECT_STREQ("2199023255557", buffer);
    ASSERT_EQ(0, pReadSelTotal("E", buffer));
    EXPECT_STREQ("1099511627775", buffer);
    EXPECT_EQ(225, pReadTotal(nullptr));
    EXPECT_EQ(225, pReadSelTotal("A", nullptr));
    EXPECT_EQ(223, pReadSelTotal(nullptr, buffer));
    EXPECT_STREQ("", buffer);
}

TEST_F(Counters, TotalsNeedANewerPrinterAndARate) {
    Start(2);
    std::string total = "old";
    EXPECT_EQ(224, ReadTotal(total));
    EXPECT_EQ("", total);
    EXPECT_EQ(224, ReadSelTotal("+", total));
    EXPECT_TRUE(Sent(218).empty());
    Start(6);
    OnPrinter([](darvosim::Printer &p) { p.sales.rates.fill(25500); });
    EXPECT_EQ(113, ReadTotal(total));
    EXPECT_EQ(0, ReadSelTotal("+", total)); // "+" never asks whether a rate is in use
    EXPECT_EQ("0", total);
}

// A damaged answer gives empty texts.
TEST_F(Counters, ClockTextsOfOldAndNewPrinters) {
    const darvosim::ClockReading at{2008, 2, 7, 14, 5, 30};
    Start(0);
    OnPrinter([&](darvosim::Printer &p) { darvosim::SetSalesClock(p.sales, at, true); });
    std::string date, time;
    ASSERT_EQ(0, ReadClock(date, time));
    EXPECT_EQ("2008.02.07", date);
    EXPECT_EQ("14:05", time);
    EXPECT_EQ(std::vector<Bytes>{Frame(53)}, Sent(53));
    char buffer[32];
    ASSERT_EQ(0, pReadClock(buffer));
    EXPECT_STREQ("08.02.07;14:05", buffer);
    sim->Script(53, darvosim::Scripted{{0x06, 0, 8, 0, 2, 0, 7, 1, 4, 0, 0xFF}, 0, {}, false, 2});
    EXPECT_EQ(23, ReadClock(date, time));
    EXPECT_EQ("", date);
    EXPECT_EQ("", time);
    EXPECT_EQ(23, pReadClock(buffer));
    EXPECT_STREQ("", buffer);

    Start(3);
    OnPrinter([&](darvosim::Printer &p) { darvosim::SetSalesClock(p.sales, at, true); });
    ASSERT_EQ(0, ReadClock(date, time));
    EXPECT_EQ("2008.02.07", date);
    EXPECT_EQ("14:05:30", time);
    EXPECT_EQ(1u, Sent(64).size());
    ClearLog();
    ASSERT_EQ(0, pReadClock(buffer)); // always command 53
    EXPECT_STREQ("08.02.07;14:05", buffer);
    EXPECT_EQ(Bytes({53}), Commands());
    EXPECT_EQ(225, pReadClock(nullptr));
}

TEST_F(Counters, UniqueNumberLineFeedAndDrawers) {
    Start(7);
    OnPrinter([](darvosim::Printer &p) { p.sales.uniqueNumber = "XYZ98765432"; });
    std::string number;
    ASSERT_EQ(0, ReadUniqueNumber(number));
    EXPECT_EQ("XYZ 98765432", number);
    char buffer[16];
    ASSERT_EQ(0, pReadUniqueNumber(buffer));
    EXPECT_STREQ("XYZ98765432", buffer);
    EXPECT_EQ(225, pReadUniqueNumber(nullptr));
    ClearLog();

    ASSERT_EQ(0, WriteLineFeed(5));
    EXPECT_EQ(std::vector<Bytes>{Frame(70, {5})}, Sent(70));
    EXPECT_EQ(5, Sales().lineFeed);

    ClearLog();
    EXPECT_EQ(212, OpenDrawer(4));
    EXPECT_EQ(212, OpenDrawer(0));
    EXPECT_TRUE(Commands().empty());
    for (int d = 1; d <= 3; ++d)
        ASSERT_EQ(0, OpenDrawer(d));
    EXPECT_EQ(Bytes({87, 88, 89}), Commands());
    EXPECT_EQ((std::array<int, 3>{1, 1, 1}), Sales().drawerOpenings);
    OnPrinter([](darvosim::Printer &p) { EXPECT_EQ(0, p.StatusByte(4) & 0x08); }); // drawer open
}

// Each operation on a session that is not ready starts it: with the printer
// check (command 35 first) or with its own first command; shows its progress
// text (null: none of its own, only those of the session start); and inside
// a receipt refuses with 200 without a byte, or works (-1: not tried).
TEST_F(Counters, EachOperationStartsTheSessionShowsItsTextAndMindsTheReceipt) {
    Start(7);
    RecordingHost host;
    darvo::SetDriverHost(&host);
    int32_t n = 0;
    std::string a, b;
    char buffer[32];
    uint8_t y, m, d;
    const char *const receiptNumber = "Odczyt numeru ostatniego paragonu...";
    const struct {
        const char *name;
        std::function<int32_t()> run;
        uint8_t first;
        const char *text;
        int32_t inReceipt;
    } cases[] = {
        {"ReceiptNumber", [&] { return ReceiptNumber(&n); }, 35, receiptNumber, 200},
        {"PrinterNumber", [&] { return PrinterNumber(n, a); }, 35, receiptNumber, 200},
        {"DailyReportNumber", [&] { return DailyReportNumber(&n); }, 35, "Odczyt numeru raportu dobowego...",
         200},
        {"ReadTotal", [&] { return ReadTotal(a); }, 0xFF, nullptr, 200},
        {"ReadSelTotal", [&] { return ReadSelTotal("+", a); }, 0xFF, nullptr, 200},
        {"ReadClock", [&] { return ReadClock(a, b); }, 35, "Odczyt zegara...", 200},
        {"pReadClock", [&] { return pReadClock(buffer); }, 35, nullptr, 200},
        {"WriteLineFeed", [&] { return WriteLineFeed(3); }, 35, "Zapis ilosci wierszy do wysunięcia...", 200},
        {"ReadUniqueNumber", [&] { return ReadUniqueNumber(a); }, 35, "Odczyt numeru unikatowego...", 200},
        {"pReadUniqueNumber", [&] { return pReadUniqueNumber(buffer); }, 35, nullptr, 200},
        {"OpenDrawer", [&] { return OpenDrawer(1); }, 87, "Otwarcie szuflady...", 0},
        {"ReadVAT", [&] { return ReadVAT(&n, &n, &n, &n, &n, &n, &n, &n); }, 35,
         "Odczyt stawek podatkowych...", 200},
        {"ReceiptConditions", [] { return ReceiptConditions(); }, 0xFF,
         "Sprawdzanie warunków wystawienia paragonu...", 200},
        {"ReadFeedLines", [&] { return darvo::ReadFeedLines(n); }, 238, nullptr, 200},
        {"IsFiscalMode", [&] { return darvo::IsFiscalMode(n); }, 155, "Test czy tryb fiskalny...", 0},
        {"PeriodReportConditions", [] { return darvo::PeriodReportConditions(); }, 155,
         "Sprawdzanie warunków wystawienia raportu okresowego...", 0},
        {"ReadRounding", [&] { return darvo::ReadRounding(n); }, 35, "Odczyt sposobu zaokrąglenia...", 200},
        {"ReadServiceDate", [&] { return darvo::ReadServiceDate(0, y, m, d); }, 35, nullptr, 0},
        {"FinancialTaxReport", [] { return darvo::FinancialTaxReport(); }, 35, "Raport dobowy...", 200},
        {"DailyReport", [] { return DailyReport(1); }, 35, "Raport dobowy...", 200},
        {"LockedArticlesReport", [] { return LockedArticlesReport(); }, 35,
         "Raport nazw towarów zablokowanych...", 200},
        {"PrinterStatusReport", [] { return PrinterStatusReport(); }, 35, "Raport stanu drukarki...", 200},
        {"PrintControl", [] { return PrintControl(1, 7); }, 0x95, "Trwa kontrola wydruku...", -1},
        {"PrintResume", [] { return PrintResume(); }, 0x95, "Wznawianie wydruku...", 200},
        {"PowerOff", [] { return darvo::PowerOff(); }, 35, "Wyłączenie drukarki...", -1}, // last: off then
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        host.texts.clear();
        darvo::SessionReady = false;
        ClearLog();
        EXPECT_EQ(0, c.run());
        EXPECT_TRUE(darvo::SessionReady);
        const Bytes commands = Commands();
        ASSERT_FALSE(commands.empty());
        EXPECT_EQ(c.first, commands.front());
        if (c.text) {
            ASSERT_FALSE(host.texts.empty());
            EXPECT_EQ(darvo::Utf8ToCp1250(c.text), host.texts.front());
        } else {
            for (const std::string &t : host.texts)
                EXPECT_TRUE(t == "Odczyt stawek podatkowych..." ||
                            t == darvo::Utf8ToCp1250("Odczyt typu urządzenia...") || t.rfind("Trwa", 0) == 0)
                    << t;
        }
        if (c.inReceipt < 0) continue;
        darvo::ReceiptOpen = true;
        ClearLog();
        EXPECT_EQ(c.inReceipt, c.run());
        darvo::ReceiptOpen = false;
        if (c.inReceipt == 200) {
            EXPECT_TRUE(Commands().empty());
        }
    }
    darvo::SetDriverHost(nullptr);
    Frames();
    EXPECT_EQ(Frame(253, {0x30, 0x30, 0x30, 0x30, 0x30}),
              sim->log().FramesOf(253).at(0).fromHost); // five zeros
    EXPECT_FALSE(printer().powered);
}
