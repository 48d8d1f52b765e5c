// The operations a fiscal printer cannot undo, by their bytes on the wire
// and the printer's refusals: the fiscalisation, the settlement report of
// each kind and the erase of the names-and-rates base.
#include "FiscalSales.h"
#include "SimFixture.h"
#include "darvodr.h"
#include "ops/Connection.h"
#include "ops/Fiscalisation.h"
#include "ops/NamesBase.h"
#include "ops/Printout.h"
#include "ops/Settlement.h"
#include "ops/Status.h"

namespace darvotest {
namespace {

namespace ops = darvo::ops;
using darvosim::Printer;

class Irreversible : public SimTest {
  protected:
    // A PEXA on 7 December 2026, identified.
    void Pexa() {
        OnPrinter([](Printer &p) { darvosim::SetClock(p, {{26, 12, 7}, 10, 0, 0}); });
        ASSERT_EQ(0, ops::OpenPort({kPort, 9600}));
        uint8_t type = 0;
        ASSERT_EQ(0, ops::Identify(type));
    }
    ops::StatusBits Bits() {
        ops::Status status;
        EXPECT_EQ(0, ops::ReadStatus(status));
        return status.bits;
    }
    std::string Unique() {
        std::string unique;
        EXPECT_EQ(0, ReadUniqueNumber(unique));
        return unique;
    }
};

// From training mode with the service jumper set: the frame carries six
// 'F' and the rates offered for a printer that has none; a PEXA then counts
// 16 steps of progress and a 0. A fiscal printer refuses a second frame.
TEST_F(Irreversible, FiscalisationOfAPexa) {
    OnPrinter([](Printer &p) {
        p.status.fiscalMode = false;
        p.status.serviceJumper = true;
        p.sales.rates.fill(25500);
    });
    Pexa();
    EXPECT_EQ(ops::FiscalisationBlocker::None, ops::FiscalisationBlockerOf(Bits()));
    std::array<int32_t, 7> reserves;
    reserves.fill(25500);
    const auto rates = ops::RatesToOffer(reserves);
    EXPECT_EQ((std::array<int32_t, 7>{2200, 700, 0, 25500, 25500, 25500, 10000}), rates);

    uint8_t first = 0;
    ASSERT_EQ(0, ops::SendFiscalisation(rates, first));
    EXPECT_EQ(ops::kAccepted, first);
    int steps = 0;
    EXPECT_EQ(0, ops::FollowProgress(first, [&] { ++steps; }));
    EXPECT_EQ(17, steps);
    EXPECT_EQ(0, ops::AwaitPrintout(10, 7));
    EXPECT_EQ(B({0x1B, 114, 'F', 'F',  'F', 'F',  'F', 'F',  0x08, 0x98, 0x02,
                 0xBC, 0,   0,   0x80, 0,   0x80, 0,   0x80, 0,    0x40, 0}),
              SentOnce(114));
    EXPECT_NE(std::string::npos, printer().roll.Text().find("FISKALIZACJA DRUKARKI"));

    EXPECT_EQ(ops::FiscalisationBlocker::AlreadyFiscal, ops::FiscalisationBlockerOf(Bits()));
    ASSERT_EQ(0, ops::SendFiscalisation(rates, first));
    EXPECT_EQ(ops::kRefused, first);
}

// The frame of each kind: its code, the sums of the digits' pairs, today's
// digits and as much of the range as the kind has. Malformed digits or
// dates make no frame, and nothing is sent for it.
TEST_F(Irreversible, SettlementFramesOfEachKind) {
    ops::SettlementRequest r;
    r.digits = "12345678";
    r.date = "2026.12.07";
    r.range = {2, 6, 1, 2, 0, 1, 2, 6, 1, 2, 0, 7};
    const std::vector<uint8_t> head{'1' + '2', '3' + '4', '5' + '6', '7' + '8', 2, 6, 1, 2, 0, 7};
    const std::pair<ops::SettlementKind, std::vector<uint8_t>> kinds[] = {
        {ops::SettlementKind::WholeMemory, {8}},
        {ops::SettlementKind::ByDates, {6}},
        {ops::SettlementKind::ByNumbers, {7}},
    };
    for (const auto &[kind, code] : kinds) {
        r.kind = kind;
        std::vector<uint8_t> expected = code;
        expected.insert(expected.end(), head.begin(), head.end());
        const size_t rangeBytes = kind == ops::SettlementKind::ByDates     ? 12
                                  : kind == ops::SettlementKind::ByNumbers ? 4
                                                                           : 0;
        expected.insert(expected.end(), r.range.begin(), r.range.begin() + static_cast<long>(rangeBytes));
        EXPECT_EQ(expected, ops::SettlementFrame(r)) << int(code[0]);
    }
    for (const auto &[digits, date] :
         {std::pair{"1234567", "2026.12.07"}, std::pair{"12345678", "26.12.07"}}) {
        r.digits = digits;
        r.date = date;
        EXPECT_TRUE(ops::SettlementFrame(r).empty()) << digits << ' ' << date;
    }
    Open();
    uint8_t result = 0xFF;
    EXPECT_EQ(darvo::RC_OUT_OF_RANGE, ops::SendSettlement({}, result));
    EXPECT_TRUE(Frames().empty());
}

// By numbers 1 to 5: refused with result 7 while the receipt counter is not
// zero; printed once it is, and the printer is read-only for good.
TEST_F(Irreversible, SettlementByNumbersRefusedThenPrinted) {
    OnPrinter([](Printer &p) {
        for (int n = 1; n <= 5; ++n) {
            darvosim::DailyRecord r;
            r.number = n;
            r.date = {26, 12, n};
            r.receipts = 1;
            p.fiscal.records.push_back(r);
        }
        p.sales.dailyReportNumber = 5;
        p.sales.receiptCounter = 2;
    });
    Pexa();
    const std::string unique = Unique();
    ops::SettlementRequest r{ops::SettlementKind::ByNumbers, unique.substr(4, 8), "2026.12.07", {1, 0, 5, 0}};
    EXPECT_TRUE(ops::UniqueDigitsMatch(unique, r.digits));
    EXPECT_FALSE(ops::UniqueDigitsMatch(unique, "00000000"));
    EXPECT_EQ(ops::SettlementBlocker::None, ops::SettlementBlockerOf(Bits()));

    uint8_t result = 0;
    ASSERT_EQ(0, ops::SendSettlement(ops::SettlementFrame(r), result));
    EXPECT_EQ(7, result);
    EXPECT_FALSE(Bits().readOnly);

    OnPrinter([](Printer &p) { p.sales.receiptCounter = 0; });
    ASSERT_EQ(0, ops::SendSettlement(ops::SettlementFrame(r), result));
    EXPECT_EQ(0, result);
    EXPECT_EQ(0, ops::AwaitPrintout(20, 7));
    EXPECT_TRUE(Bits().readOnly);
    const std::string roll = printer().roll.Text();
    EXPECT_NE(std::string::npos, roll.find("RAPORT ROZLICZENIOWY\nod nr 1 do nr 5")) << roll;
    EXPECT_EQ(2u, FramesOf(49).size());
}

// Without a control printout of the base the printer refuses the command;
// after one it takes the sum of the unique number's 11th and 12th
// characters and counts its progress.
TEST_F(Irreversible, NamesBaseEraseAfterTheControlPrintoutOnly) {
    uint8_t confirmation = 0;
    EXPECT_FALSE(ops::NamesEraseConfirmation("ABC 1234567", confirmation));
    ASSERT_TRUE(ops::NamesEraseConfirmation("ABC 12345678", confirmation));
    EXPECT_EQ('7' + '8', confirmation);

    Pexa();
    ASSERT_TRUE(ops::NamesEraseConfirmation(Unique(), confirmation));
    EXPECT_EQ(ops::NamesEraseBlocker::None, ops::NamesEraseBlockerOf(Bits()));
    uint8_t result = 0;
    EXPECT_EQ(darvo::RC_NAK, ops::EraseNamesBase(confirmation, result));

    OnPrinter([](Printer &p) { p.fiscal.namesPrinted = true; });
    ASSERT_EQ(0, ops::EraseNamesBase(confirmation, result));
    EXPECT_EQ(ops::kAccepted, result);
    int steps = 0;
    EXPECT_EQ(0, ops::FollowProgress(result, [&] { ++steps; }));
    EXPECT_EQ(17, steps);
    EXPECT_EQ(0, PrintControl(0, 7));
    EXPECT_EQ(B({0x1B, 92, confirmation}), FramesOf(92).back().fromHost);
    EXPECT_NE(std::string::npos, printer().roll.Text().find("BAZA NAZW I STAWEK SKASOWANA"));
}

} // namespace
} // namespace darvotest
