// Receipts against the emulated printer: the records on the wire, the totals
// told to the printer, the paper roll, and the state after refusals.
#include "SalesFixture.h"
#include "darvodr/Host.h"

#include <algorithm>
#include <climits>
#include <map>

using namespace darvotest;
using darvosim::Bytes;

namespace {

class Receipt : public SalesTest {};

// The sale line record: name cut or padded to 28, rate, quantity, decimals,
// unit, price, rate code and value.
Bytes SaleLine(const std::string &name, uint8_t rate, uint32_t quantity, uint8_t mp, const char *unit,
               uint32_t price, uint8_t code, uint32_t value) {
    std::string padded = name;
    padded.resize(28, ' ');
    return Frame(6, Cat({{0x20},
                         Text(padded),
                         {rate},
                         Le32(quantity),
                         {mp},
                         Text(unit),
                         Le32(price),
                         {0x1B, code},
                         Le32(value)}));
}

} // namespace

TEST_F(Receipt, FullReceiptOnTheWireAndOnPaper) {
    StartReceipt();
    EXPECT_TRUE(darvo::ReceiptOpen);
    uint32_t value = 0;
    ASSERT_EQ(0, ReceiptItem(1, "Chleb razowy", 1, 0, 1500, 3, "szt", 333, value));
    EXPECT_EQ(500u, value); // 499.5 rounds up
    value = 0;
    ASSERT_EQ(0, pReceiptItem(1, "Mas\xB3o extra", 5, 1, 2, 0, "kg", 699, &value)); // Masło
    EXPECT_EQ(1398u, value);
    EXPECT_EQ(2, darvo::ItemCount);
    int32_t free = 0;
    ASSERT_EQ(0, FillPayment(1, "Got\xF3wka", 2000, 102)); // Gotówka
    ASSERT_EQ(0, FillLines(3, "Dzi\xEAkujemy", free));     // Dziękujemy
    ClearLog();
    ASSERT_EQ(0, ReceiptEnd(0));

    EXPECT_EQ(Bytes({0x95, 0x95, 7, 0x95, 129, 130, 9, 0x95, 36, 0x95}), FirstCommands(10));
    EXPECT_TRUE(Sent(27).empty());
    EXPECT_EQ(std::vector<Bytes>{Frame(7, Le32(1898))}, Sent(7));
    EXPECT_EQ(std::vector<Bytes>{Frame(129, Cat({{1}, Text("Got\xA2wka      "), Le32(2000)}))}, Sent(129));
    EXPECT_EQ(std::vector<Bytes>{Frame(130, Cat({{1}, Text("Got\xA2wka      "), Le32(102)}))}, Sent(130));
    EXPECT_EQ(std::vector<Bytes>{Frame(9, Cat({{0x33}, Text("Dzi\xA9kujemy"), {0x0A}}))}, Sent(9));

    EXPECT_FALSE(darvo::ReceiptOpen);
    EXPECT_EQ(0, darvo::ItemCount);
    EXPECT_TRUE(darvo::PaymentTable[0].name.empty());
    EXPECT_EQ(0, FillLines(0, "x", free));
    EXPECT_EQ(5, free); // every line went out and its slot is free again

    darvosim::SalesState s = Sales();
    EXPECT_EQ(1, s.receiptCounter);
    EXPECT_EQ(500, s.totals[0]);
    EXPECT_EQ(1398, s.totals[4]);
    EXPECT_FALSE(s.receiptOpen);
    const std::string roll = Roll();
    for (const std::string &line :
         {std::string("Chleb razowy\n"), RollLine("  1,500 szt x 3,33", "5,00 A"),
          std::string("Masło extra\n"), RollLine("  2 kg x 6,99", "13,98 E"), RollLine("SUMA PLN", "18,98"),
          RollLine("Gotówka", "20,00"), RollLine("  ", "1,02"), std::string("\nDziękujemy\n"),
          std::string("PARAGON FISKALNY")})
        EXPECT_NE(std::string::npos, roll.find(line)) << line << "\n" << roll;
}

TEST_F(Receipt, TheSaleLineRecordIsExact) {
    Start(7);
    OnPrinter([](darvosim::Printer &p) { p.sales.rates[6] = 0; });
    ASSERT_EQ(0, ReceiptBegin());
    ClearLog();
    uint32_t value = 0;
    ASSERT_EQ(0, ReceiptItem(1, "Chleb razowy", 1, 0, 1500, 3, "szt", 333, value));
    value = 0;
    ASSERT_EQ(0, ReceiptItem(1, "\xA5\xC6\xCA zestaw", 7, 2, 1, 0, "op", 250, value)); // ĄĆĘ
    // A cancellation line with a given value: sent as given.
    value = 250;
    ASSERT_EQ(
        0, ReceiptItem(2, "\xA5\xC6\xCA zestaw", 7, INT32_MAX, 1, 0, "op", 250, value)); // message: low byte
    const std::vector<Bytes> lines = Sent(6);
    ASSERT_EQ(3u, lines.size());
    EXPECT_EQ(SaleLine("Chleb razowy", 0x30, 1500, 3, "szt ", 333, 1, 500), lines[0]);
    EXPECT_EQ(SaleLine("\xA4\x8F\xA8 zestaw", 0x32, 1, 0, "op  ", 250, 5, 250), lines[1]);
    EXPECT_EQ(0x2D, lines[2][2]);
    EXPECT_EQ(0x2F, lines[2][2 + 29]); // INT32_MAX + 0x30, low byte
    // Each line is preceded by a look at status byte 3.
    EXPECT_EQ(Bytes({0x95, 6, 0x95, 6, 0x95, 6}), Commands());
    EXPECT_EQ(500, darvo::RateTotals[0]);
    EXPECT_EQ(0, darvo::RateTotals[6]); // sold and cancelled
    ASSERT_EQ(0, ReceiptEnd(0));
    EXPECT_EQ(std::vector<Bytes>{Frame(7, Le32(500))}, Sent(7));
}

TEST_F(Receipt, RatesFiveSixSevenTravelAsSixSevenFive) {
    Start(7);
    OnPrinter([](darvosim::Printer &p) { p.sales.rates = {2300, 800, 500, 0, 1200, 700, 300}; });
    ASSERT_EQ(0, ReceiptBegin());
    ClearLog();
    for (int rate = 1; rate <= 7; ++rate)
        ASSERT_EQ(0, Sell("Artykul " + std::to_string(rate), rate, 1, 0, 100 * rate));
    std::vector<Bytes> lines = Sent(6);
    ASSERT_EQ(7u, lines.size());
    const int codes[7] = {1, 2, 3, 4, 6, 7, 5};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(codes[i], lines[i][2 + 44]) << i;
    ASSERT_EQ(0, ReceiptEnd(0));
    darvosim::SalesState s = Sales();
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(100 * (i + 1), s.totals[i]) << i; // the printer booked each where meant
}

TEST_F(Receipt, DiscountedTotalsRoundHalfDownPerRate) {
    Start(7);
    struct Case {
        uint32_t a, b;
        int discount;
        bool sent27;
        uint32_t total;
    } cases[] = {
        {1001, 0, 50, true, 500},     // 500.5
        {1006, 0, 10, true, 905},     // 905.4
        {1001, 1001, 50, true, 1000}, // each rate rounds on its own
        {1006, 0, 0, false, 1006},    {1006, 0, 100, false, 1006}, {1006, 0, -5, false, 1006},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.discount);
        ASSERT_EQ(0, ReceiptBegin());
        ASSERT_EQ(0, Sell("Towar pierwszy", 1, c.a, 0, 1));
        if (c.b) {
            ASSERT_EQ(0, Sell("Towar drugi", 2, c.b, 0, 1));
        }
        ClearLog();
        ASSERT_EQ(0, ReceiptEnd(c.discount));
        EXPECT_EQ(c.sent27 ? std::vector<Bytes>{Frame(27, {uint8_t(c.discount)})} : std::vector<Bytes>{},
                  Sent(27));
        EXPECT_EQ(std::vector<Bytes>{Frame(7, Le32(c.total))}, Sent(7));
    }
    EXPECT_NE(std::string::npos, Roll().find(RollLine("RABAT 50%", "-10,02")));
    EXPECT_EQ(500 + 905 + 500 + 1006 + 1006 + 1006, Sales().totals[0]);
}

TEST_F(Receipt, CancelSendsTheNetSumAndKeepsPaymentsAndLines) {
    StartReceipt();
    ASSERT_EQ(0, Sell("Woda mineralna", 1, 3, 0, 199));
    uint32_t value = 199;
    ASSERT_EQ(0, ReceiptItem(2, "Woda mineralna", 1, 0, 1, 0, "szt", 199, value));
    EXPECT_EQ(398, darvo::RateTotals[0]);
    int32_t free = 0;
    ASSERT_EQ(0, FillPayment(2, "Karta", 398, 0));
    ASSERT_EQ(0, FillLines(1, "Zapraszamy", free));
    ClearLog();
    ASSERT_EQ(0, ReceiptCancel());
    EXPECT_EQ(Bytes({0x95, 7, 35}), FirstCommands(3));
    EXPECT_EQ(std::vector<Bytes>{Frame(7, Le32(398))}, Sent(7));
    EXPECT_FALSE(darvo::ReceiptOpen);
    EXPECT_EQ(0, darvo::ItemCount);
    EXPECT_EQ("Karta        ", darvo::PaymentTable[1].name);
    EXPECT_EQ(1, darvo::ExtraLinesTable[0].code);
    EXPECT_NE(std::string::npos, Roll().find("PARAGON ANULOWANY"));
    EXPECT_EQ(0, Sales().receiptCounter);
    // The next receipt takes them along.
    ASSERT_EQ(0, ReceiptBegin());
    ASSERT_EQ(0, Sell("Woda mineralna", 1, 2, 0, 199));
    ClearLog();
    ASSERT_EQ(0, ReceiptEnd(0));
    EXPECT_EQ(1u, Sent(129).size());
    EXPECT_EQ(1u, Sent(9).size());
}

TEST_F(Receipt, TimeOutOnTheClosingCommandKeepsTheReceiptOpen) {
    StartReceipt();
    sim->Script(36, darvosim::Scripted{}); // no answer at all
    EXPECT_EQ(21, ReceiptEnd(0));          // not success, even on an empty receipt
    EXPECT_TRUE(darvo::ReceiptOpen);
    EXPECT_EQ(0, ReceiptCancel());
    EXPECT_FALSE(darvo::ReceiptOpen);
}

TEST_F(Receipt, RefusedLineCancelsTheReceiptAndTheNextCallSaysSo) {
    StartReceipt(); // rate F is not in use
    ASSERT_EQ(0, Sell("Gazeta codzienna", 1, 1, 0, 350));
    EXPECT_EQ(0, Sell("Towar bez stawki", 6, 1, 0, 100)); // no answer: the refusal shows later
    EXPECT_EQ(210, Sell("Gazeta codzienna", 1, 1, 0, 350));
    EXPECT_FALSE(darvo::ReceiptOpen);
    EXPECT_EQ(201, Sell("Gazeta codzienna", 1, 1, 0, 350));
    EXPECT_EQ(201, ReceiptEnd(0));
    EXPECT_EQ(201, ReceiptCancel());
    EXPECT_EQ("rate not defined", Sales().lastRefusal);
    // A new receipt starts clean.
    ASSERT_EQ(0, ReceiptBegin());
    for (int32_t t : darvo::RateTotals)
        EXPECT_EQ(0, t);
    ASSERT_EQ(0, Sell("Gazeta codzienna", 1, 1, 0, 350));
    ASSERT_EQ(0, ReceiptEnd(0));
    EXPECT_EQ(350, Sales().totals[0]);
}

TEST_F(Receipt, NamesWithTooFewSignificantCharactersAreThePrintersToRefuse) {
    StartReceipt(2);                                 // NIVRA I: ten significant characters
    EXPECT_EQ(0, Sell("Mleko 3,25%", 1, 1, 0, 289)); // exactly ten
    EXPECT_EQ(0, Sell("Mleko 2%", 1, 1, 0, 289));    // six: sent, the printer cancels
    EXPECT_EQ(210, ReceiptEnd(0));
    EXPECT_FALSE(darvo::ReceiptOpen);
}

TEST_F(Receipt, WrongTotalIsRefusedOnTheClosingCommand) {
    StartReceipt();
    ASSERT_EQ(0, Sell("Kawa ziarnista", 1, 1, 0, 2599));
    darvo::RateTotals[0] += 1; // the driver's sum no longer matches the printer's
    EXPECT_EQ(24, ReceiptEnd(0));
    EXPECT_FALSE(darvo::ReceiptOpen);
    EXPECT_EQ(0, Sales().receiptCounter);
    EXPECT_EQ("total does not match the lines", Sales().lastRefusal);
}

TEST_F(Receipt, OperationsOutsideAndInsideAReceipt) {
    Start(7);
    EXPECT_EQ(201, Sell("Kawa ziarnista", 1, 1, 0, 2599));
    EXPECT_EQ(201, PackageItem(0, 1, 1, 50));
    EXPECT_EQ(201, PrintSubtotal());
    EXPECT_EQ(201, ReceiptEnd(0));
    EXPECT_EQ(201, ReceiptCancel());
    ASSERT_EQ(0, ReceiptBegin());
    ClearLog();
    EXPECT_EQ(200, ReceiptBegin()); // the others: Counters.EachOperationStarts...
    EXPECT_TRUE(Commands().empty());
    EXPECT_EQ(0, OpenDrawer(2)); // the drawer opens during a receipt
    EXPECT_EQ(1, Sales().drawerOpenings[1]);
    ASSERT_EQ(0, ReceiptCancel());
}

TEST_F(Receipt, MendedParameterChecksSendNothing) {
    StartReceipt();
    ClearLog();
    uint32_t value = 0;
    EXPECT_EQ(203, ReceiptItem(1, "Kawa ziarnista", 0, 0, 1, 0, "szt", 100, value));
    EXPECT_EQ(203, ReceiptItem(1, "Kawa ziarnista", 8, 0, 1, 0, "szt", 100, value));
    EXPECT_EQ(203, ReceiptItem(1, "Kawa ziarnista", -100000, 0, 1, 0, "szt", 100, value));
    EXPECT_EQ(202, ReceiptItem(1, "", 1, 0, 1, 0, "szt", 100, value));
    EXPECT_EQ(202, ReceiptItem(1, std::string("\0Kawa", 5), 1, 0, 1, 0, "szt", 100, value));
    EXPECT_EQ(202, pReceiptItem(1, nullptr, 1, 0, 1, 0, "szt", 100, &value));
    EXPECT_EQ(227, ReceiptItem(1, "Kawa ziarnista", 1, 0, 65536, 0, "szt", 65536, value));
    EXPECT_EQ(0u, value);
    EXPECT_EQ(206, ReceiptItem(1, "Kawa ziarnista", 1, 0, 1, 5, "szt", 100, value));
    EXPECT_EQ(225, pReceiptItem(1, "Kawa ziarnista", 1, 0, 1, 0, "szt", 100, nullptr));
    EXPECT_TRUE(Commands().empty());
    for (int32_t t : darvo::RateTotals)
        EXPECT_EQ(0, t);
    EXPECT_EQ(0, darvo::ItemCount);
    EXPECT_TRUE(darvo::ReceiptOpen);
    // A null unit counts as empty: four blanks.
    ASSERT_EQ(0, pReceiptItem(1, "Kawa ziarnista", 1, 0, 1, 0, nullptr, 100, &value));
    const Bytes line = Sent(6).at(0);
    EXPECT_EQ(Text("    "), Bytes(line.begin() + 2 + 35, line.begin() + 2 + 39));
    ASSERT_EQ(0, ReceiptEnd(0));
}

TEST_F(Receipt, PackagesAndSubtotal) {
    StartReceipt();
    ASSERT_EQ(0, Sell("Piwo jasne 0,5l", 1, 1, 0, 450));
    ClearLog();
    EXPECT_EQ(0, PackageItem(0, 1, 0x10002, 50));
    EXPECT_EQ(0, PackageItem(3, 0x1234, 2, -1));
    EXPECT_EQ(214, PackageItem(4, 1, 1, 1));
    EXPECT_EQ(0, PrintSubtotal());
    EXPECT_EQ((std::vector<Bytes>{Frame(23, Cat({{0x20, 'S', 1, 0, 2, 0}, Le32(50)})),
                                  Frame(23, Cat({{0x2D, 'Z', 0x34, 0x12, 2, 0}, Le32(0xFFFFFFFF)}))}),
              Sent(23));
    EXPECT_EQ(std::vector<Bytes>{Frame(128)}, Sent(128));
    EXPECT_EQ(0, darvo::RateTotals[1]);
    EXPECT_EQ(450, darvo::RateTotals[0]);
    EXPECT_EQ(1, darvo::ItemCount);
    sim->Script(23, darvosim::Scripted{{}, 10, {0x15}});
    EXPECT_EQ(24, PackageItem(1, 1, 1, 1));
    sim->Script(23, darvosim::Scripted{{}, 10, {}});
    EXPECT_EQ(21, PackageItem(1, 1, 1, 1));
    ASSERT_EQ(0, ReceiptEnd(0));
    const std::string roll = Roll();
    EXPECT_NE(std::string::npos, roll.find(RollLine("OPAKOWANIE S 1 x 2", "0,50"))) << roll;
    EXPECT_NE(std::string::npos, roll.find(RollLine("OPAKOWANIE -Z 4660 x 2", "42949672,95"))) << roll;
    EXPECT_NE(std::string::npos, roll.find(RollLine("PODSUMA", "4,50"))) << roll;
}

TEST_F(Receipt, FirstGenerationPrintersGetNoPackagesSubtotalsOrPayments) {
    Start(2);
    ASSERT_EQ(0, FillPayment(1, "Gotowka", 1000, 0));
    int32_t free = 0;
    ASSERT_EQ(0, FillLines(0, "Dziekujemy", free));
    ASSERT_EQ(0, ReceiptBegin());
    ASSERT_EQ(0, Sell("Chleb zwykly 500g", 1, 1, 0, 399));
    ClearLog();
    EXPECT_EQ(213, PackageItem(0, 1, 1, 1));
    EXPECT_EQ(213, PrintSubtotal());
    EXPECT_TRUE(Commands().empty());
    ASSERT_EQ(0, ReceiptEnd(0));
    EXPECT_TRUE(Sent(129).empty());
    EXPECT_EQ(1u, Sent(9).size());
    EXPECT_EQ("Gotowka      ", darvo::PaymentTable[0].name); // stays registered
}

TEST_F(Receipt, ExtraLinesAreSafeOnTheWire) {
    Start(7);
    int32_t free = 0;
    ASSERT_EQ(0, FillLines(2, "pierwsza\ndruga", free));
    ASSERT_EQ(0, FillLines(15, std::string(260, 'y'), free));
    ASSERT_EQ(0, FillLines(0, "", free));
    ASSERT_EQ(0, ReceiptBegin());
    ASSERT_EQ(0, Sell("Chleb zwykly 500g", 1, 1, 0, 399));
    ClearLog();
    ASSERT_EQ(0, ReceiptEnd(0));
    const std::vector<Bytes> lines = Sent(9);
    ASSERT_EQ(3u, lines.size());
    EXPECT_EQ(Frame(9, Cat({{0x32}, Text("pierwsza druga"), {0x0A}})), lines[0]);
    EXPECT_EQ(Frame(9, Cat({{0x3F}, Text(std::string(253, 'y')), {0x0A}})), lines[1]);
    EXPECT_EQ(Frame(9, {0x30, 0x0A}), lines[2]);
    EXPECT_EQ(1, Sales().receiptCounter); // the printer read every line to its end
}

TEST_F(Receipt, ConditionChecksRunInTheirTwoOrders) {
    Start(7);
    // Every condition fails at once; each check, once seen, is mended on
    // the printer, so the next result shows the next check in the order. A
    // refused begin sends no 33; the begin does not look at the euro date.
    const std::map<int32_t, std::pair<bool darvosim::StatusState::*, bool>> broken = {
        {100, {&darvosim::StatusState::makerData, false}},
        {101, {&darvosim::StatusState::serviceJumper, true}},
        {102, {&darvosim::StatusState::noController, true}},
        {103, {&darvosim::StatusState::failure, true}},
        {104, {&darvosim::StatusState::userData, false}},
        {105, {&darvosim::StatusState::readOnly, true}},
        {106, {&darvosim::StatusState::noCustomerDisplay, true}},
        {107, {&darvosim::StatusState::cmosErased, true}},
        {108, {&darvosim::StatusState::dailyReportMissing, true}},
        {109, {&darvosim::StatusState::paperOut, true}},
    };
    auto breakAll = [&](darvosim::Printer &p) {
        for (const auto &[code, field] : broken)
            p.status.*field.first = field.second;
        p.sales.rates.fill(25500); // 113: no rate in use
        p.sales.euroPending = true;
    };
    auto mend = [&](int32_t code) {
        return [&, code](darvosim::Printer &p) {
            if (code == 113)
                p.sales.rates[3] = 0;
            else if (code == 237)
                p.sales.euroPending = false;
            else
                p.status.*broken.at(code).first = !broken.at(code).second;
        };
    };
    const std::vector<int32_t> conditionsOrder = {237, 100, 105, 107, 101, 102, 103,
                                                  104, 106, 108, 113, 109, 0};
    const std::vector<int32_t> beginOrder = {100, 107, 101, 102, 103, 104, 105, 106, 108, 113, 109, 0};
    for (bool begin : {true, false}) {
        SCOPED_TRACE(begin ? "ReceiptBegin" : "ReceiptConditions");
        OnPrinter(breakAll);
        std::vector<int32_t> seen;
        for (int i = 0; i < 13; ++i) {
            ClearLog();
            const int32_t rc = begin ? ReceiptBegin() : ReceiptConditions();
            seen.push_back(rc);
            EXPECT_EQ(begin && rc == 0, Sent(33).size() == 1);
            if (rc == 0 || (rc != 113 && rc != 237 && !broken.count(rc))) break;
            OnPrinter(mend(rc));
        }
        EXPECT_EQ(begin ? beginOrder : conditionsOrder, seen);
        EXPECT_EQ(begin, darvo::ReceiptOpen);
        if (begin) {
            ASSERT_EQ(0, ReceiptCancel());
        }
    }
    // With every check passed: the exact commands of each, in order.
    ClearLog();
    ASSERT_EQ(0, ReceiptConditions());
    EXPECT_EQ(Bytes({0xFF, 0xFE, 245, 155, 148, 149, 150, 209, 0x95, 0x95, 0x94, 0x95}), Commands());
    ClearLog();
    ASSERT_EQ(0, ReceiptBegin());
    EXPECT_EQ(Bytes({155, 148, 149, 150, 209, 0x95, 0x95, 0x94, 0x95, 33}), Commands());
    ASSERT_EQ(0, ReceiptCancel());
}

// A session that is not ready: ReceiptBegin starts it with the printer
// check (35) and looks at the conditions; inside a receipt each step starts
// it without a word to the printer (35 would end the printer's receipt), the
// receipt state emptied but the receipt kept open; the end or cancel of an
// empty receipt is the printer's to refuse, and no error.
TEST_F(Receipt, SessionStartOfEachReceiptStep) {
    Start(7);
    RecordingHost host;
    darvo::SetDriverHost(&host);
    darvo::SessionReady = false;
    ClearLog();
    ASSERT_EQ(0, ReceiptBegin());
    darvo::SetDriverHost(nullptr);
    const Bytes commands = Commands();
    EXPECT_EQ(35, commands.front());
    EXPECT_EQ(33, commands.back());
    EXPECT_NE(host.texts.end(), std::find(host.texts.begin(), host.texts.end(),
                                          "Sprawdzanie warunk\xF3w wystawienia paragonu...")); // Windows-1250
    ASSERT_EQ(0, Sell("Chleb zwykly 500g", 1, 1, 0, 399));
    ASSERT_EQ(0, FillPayment(1, "Gotowka", 399, 0));
    const std::pair<std::function<int32_t()>, Bytes> steps[] = {
        {[] { return PackageItem(0, 1, 1, 50); }, {0x95, 23}},
        {[] { return PrintSubtotal(); }, {128}},
        {[this] { return Sell("Chleb zwykly 500g", 1, 1, 0, 399); }, {0x95, 6}},
    };
    for (const auto &[step, sent] : steps) {
        darvo::SessionReady = false;
        ClearLog();
        EXPECT_EQ(0, step());
        EXPECT_EQ(sent, Commands());
        EXPECT_TRUE(darvo::ReceiptOpen);
    }
    EXPECT_EQ(399, darvo::RateTotals[0]); // zeroed by the start, then the sale line
    EXPECT_TRUE(darvo::PaymentTable[0].name.empty());
    // The printer still counts both lines, so the total no longer matches.
    EXPECT_EQ(24, ReceiptEnd(0));
    for (bool end : {true, false}) {
        SCOPED_TRACE(end ? "ReceiptEnd" : "ReceiptCancel");
        ASSERT_EQ(0, ReceiptBegin());
        darvo::SessionReady = false;
        ClearLog();
        EXPECT_EQ(0, end ? ReceiptEnd(0) : ReceiptCancel()); // empty: refused, and no error
        const Bytes expected = end ? Bytes{0x95, 0x95, 7, 0x95, 0x95, 36} : Bytes{0x95, 7, 35};
        EXPECT_EQ(expected, FirstCommands(expected.size()));
        EXPECT_FALSE(darvo::ReceiptOpen);
        EXPECT_FALSE(Sales().receiptOpen);
    }
}

TEST_F(Receipt, StateAfterRefusalsInTheClosingSteps) {
    StartReceipt();
    ASSERT_EQ(0, Sell("Chleb zwykly 500g", 1, 1, 0, 399));
    // A refused cancellation of a receipt with lines: an error, and the
    // receipt stays open with its totals.
    sim->Script(35, darvosim::Scripted{{0x15}});
    EXPECT_EQ(24, ReceiptCancel());
    EXPECT_TRUE(darvo::ReceiptOpen);
    EXPECT_EQ(1, darvo::ItemCount);
    EXPECT_EQ(399, darvo::RateTotals[0]);

    // No answer to the look at status byte 3 after the total: the payments
    // are not sent yet, and the receipt stays open for a retry.
    ASSERT_EQ(0, FillPayment(1, "Gotowka", 399, 0));
    sim->Script(0x95, darvosim::Scripted{{0x00}, 0, {}, false, 2});
    sim->Script(0x95, darvosim::Scripted{});
    ClearLog();
    EXPECT_EQ(21, ReceiptEnd(0));
    EXPECT_TRUE(darvo::ReceiptOpen);
    EXPECT_EQ("Gotowka      ", darvo::PaymentTable[0].name);
    EXPECT_TRUE(Sent(129).empty());
    ASSERT_EQ(0, ReceiptEnd(0));
    EXPECT_EQ(1u, Sent(129).size());
    EXPECT_EQ(1, Sales().receiptCounter);

    // The printer closes the receipt and then reports it cancelled.
    ASSERT_EQ(0, ReceiptBegin());
    ASSERT_EQ(0, Sell("Chleb zwykly 500g", 1, 1, 0, 399));
    sim->Script(0x95, darvosim::Scripted{{0x00}, 0, {}, false, 4});
    sim->Script(0x95, darvosim::Scripted{{0x10}});
    ClearLog();
    EXPECT_EQ(210, ReceiptEnd(0));
    EXPECT_FALSE(darvo::ReceiptOpen);
    EXPECT_EQ(Bytes({0x95, 0x95, 7, 0x95, 0x95, 36, 0x95}), FirstCommands(7));
    EXPECT_GT(Commands().size(), 7u); // the printout is followed all the same
}

TEST_F(Receipt, ARefusedReceiptOf256LinesIsNoSuccess) {
    Start(7);
    for (bool end : {false, true}) {
        SCOPED_TRACE(end ? "ReceiptEnd" : "ReceiptCancel");
        ASSERT_EQ(0, ReceiptBegin());
        darvo::ItemCount = 255; // as after 255 accepted lines
        ASSERT_EQ(0, Sell("Chleb zwykly 500g", 1, 1, 0, 399));
        EXPECT_NE(0, darvo::ItemCount); // the 256th line does not make the receipt look empty
        sim->Script(end ? 36 : 35, darvosim::Scripted{{0x15}});
        EXPECT_EQ(24, end ? ReceiptEnd(0) : ReceiptCancel());
        if (darvo::ReceiptOpen) {
            ASSERT_EQ(0, ReceiptCancel());
        }
    }
}
