// Tax rates: the three printer families, their encodings, verification by
// reading back, and the refusals.
#include "SalesFixture.h"

using namespace darvotest;
using darvosim::Bytes;

namespace {

class TaxRates : public SalesTest {
  protected:
    struct Read {
        int32_t result, count;
        std::array<int32_t, 7> rates;
    };
    Read ReadAll() {
        Read r{};
        r.rates.fill(-1);
        r.count = -1;
        r.result = ReadVAT(&r.count, &r.rates[0], &r.rates[1], &r.rates[2], &r.rates[3], &r.rates[4],
                           &r.rates[5], &r.rates[6]);
        return r;
    }
    void SetRates(std::array<int32_t, 7> rates) {
        OnPrinter([&](darvosim::Printer &p) { p.sales.rates = rates; });
    }
};

} // namespace

// Each family is found by its read command; a time-out is no reading, and no
// other family is tried (the session start: Counters.EachOperationStarts...).
TEST_F(TaxRates, EachFamilyIsFoundByItsReadCommand) {
    struct Case {
        int type;
        bool silent;
        int32_t result;
        Bytes commands;
        int32_t count;
        std::array<int32_t, 7> rates;
    } cases[] = {
        {7, false, 0, {209}, 7, {2300, 800, 500, 0, 10000, 25500, 25500}},
        {2, false, 0, {209, 208}, 6, {2300, 800, 500, 0, 10000, 25500, -1}},
        {0, false, 0, {209, 208, 112}, 4, {2300, 800, 500, 0, -1, -1, -1}},
        {7, true, 21, {209}, -1, {-1, -1, -1, -1, -1, -1, -1}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.type);
        Start(c.type);
        if (c.silent) sim->Script(209, darvosim::Scripted{});
        const Read r = ReadAll();
        EXPECT_EQ(c.result, r.result);
        EXPECT_EQ(c.count, r.count);
        EXPECT_EQ(c.rates, r.rates); // the rates beyond the count are not written
        EXPECT_EQ(c.commands, Commands());
    }
}

TEST_F(TaxRates, SevenRateEncodingWithExemptAndUnused) {
    Start(7);
    int32_t count = 0;
    ASSERT_EQ(0, SetVAT(&count, 2300, 800, 500, 0, 10000, 25500, 2250));
    EXPECT_EQ(7, count);
    EXPECT_EQ(std::vector<Bytes>{Frame(
                  213, {0x08, 0xFC, 0x03, 0x20, 0x01, 0xF4, 0x00, 0x00, 0x40, 0x00, 0x80, 0x00, 0x08, 0xCA})},
              Sent(213));
    const Read r = ReadAll();
    EXPECT_EQ((std::array<int32_t, 7>{2300, 800, 500, 0, 10000, 25500, 2250}), r.rates);
    EXPECT_NE(std::string::npos, Roll().find("ZMIANA STAWEK PTU"));
}

TEST_F(TaxRates, SixRateEncodingSendsExemptAsItsNumber) {
    Start(2);
    int32_t count = 0;
    ASSERT_EQ(0, SetVAT(&count, 2200, 700, 10000, 0, 25500, 300, -7)); // G: neither checked nor sent
    EXPECT_EQ(6, count);
    EXPECT_EQ(std::vector<Bytes>{Frame(
                  212, {0x08, 0x98, 0x02, 0xBC, 0x27, 0x10, 0x00, 0x00, 0xFF, 0x00, 0x01, 0x2C})},
              Sent(212));
    const Read r = ReadAll();
    EXPECT_EQ(6, r.count);
    EXPECT_EQ((std::array<int32_t, 7>{2200, 700, 10000, 0, 25500, 300, -1}), r.rates);
    EXPECT_EQ(215, SetVAT(&count, 2300, 800, 500, 0, 10000, -7, 0)); // F is checked
    EXPECT_EQ(1u, Sent(212).size());
}

TEST_F(TaxRates, FourRatePrintersLoseFractionsOfAPercent) {
    Start(0);
    int32_t count = 0;
    EXPECT_EQ(217, SetVAT(&count, 2350, 800, 25500, 0, 0, 0, 0));
    EXPECT_EQ(4, count);
    EXPECT_EQ(std::vector<Bytes>{Frame(68, {23, 8, 0xFF, 0})}, Sent(68));
    ClearLog();
    // E..G are never held by this printer: neither checked nor sent.
    EXPECT_EQ(0, SetVAT(&count, 2300, 800, 25500, 0, -1, 99999, INT32_MIN));
    EXPECT_EQ(std::vector<Bytes>{Frame(68, {23, 8, 0xFF, 0})}, Sent(68));
    EXPECT_EQ((std::array<int32_t, 7>{2300, 800, 25500, 0, 10000, 25500, 25500}), Sales().rates);
}

TEST_F(TaxRates, RatesChangeOnlyRightAfterADailyReport) {
    StartReceipt();
    ASSERT_EQ(0, Sell("Chleb zwykly 500g", 1, 1, 0, 399));
    ASSERT_EQ(0, ReceiptEnd(0));
    ClearLog();
    int32_t count = 0;
    EXPECT_EQ(218, SetVAT(&count, 2300, 800, 500, 0, 10000, 25500, 25500));
    const Bytes commands = Commands();
    ASSERT_GE(commands.size(), 2u);
    EXPECT_EQ(Bytes({102, 247}), Bytes(commands.end() - 2, commands.end())); // the counter reading, no write
    EXPECT_TRUE(Sent(213).empty());
    // While a receipt is open the counter reading itself refuses.
    ASSERT_EQ(0, ReceiptBegin());
    ClearLog();
    EXPECT_EQ(200, SetVAT(&count, 2300, 800, 500, 0, 10000, 25500, 25500));
    EXPECT_TRUE(Sent(213).empty());
    const Read r = ReadAll();
    EXPECT_EQ(200, r.result);
    EXPECT_EQ(-1, r.count);
    ASSERT_EQ(0, ReceiptCancel());
}

TEST_F(TaxRates, ValuesThatAreNoRatesAreRefusedBeforeAnythingIsWritten) {
    Start(7);
    int32_t count = 99;
    for (int32_t bad : {-1, 10001, 25499, 25501, 65536, INT32_MIN}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(215, SetVAT(&count, bad, 800, 500, 0, 10000, 25500, 25500));
        EXPECT_EQ(215, SetVAT(&count, 2300, 800, 500, bad, 10000, 25500, 25500));
        EXPECT_TRUE(Commands().empty()); // A..D go out on every printer: refused at once
        EXPECT_EQ(215, SetVAT(&count, 2300, 800, 500, 0, 10000, 25500, bad));
        EXPECT_TRUE(Sent(213).empty()); // G only once the printer is known to hold it
        ClearLog();
    }
    EXPECT_EQ(99, count);
    EXPECT_EQ((std::array<int32_t, 7>{2300, 800, 500, 0, 10000, 25500, 25500}), Sales().rates);
    EXPECT_EQ(225, SetVAT(nullptr, 2300, 800, 500, 0, 10000, 25500, 25500));
    int32_t a, b, c, d;
    EXPECT_EQ(225, ReadVAT(nullptr, &a, &b, &c, &d, nullptr, nullptr, nullptr));
    EXPECT_TRUE(Commands().empty());
    // A 7-rate printer needs all seven outputs.
    EXPECT_EQ(225, ReadVAT(&count, &a, &b, &c, &d, nullptr, nullptr, nullptr));
}

TEST_F(TaxRates, CheckTaxRatesSaysWhetherAnyIsDefined) {
    Start(0);
    uint8_t present = 9;
    EXPECT_EQ(0, darvo::CheckTaxRates(present));
    EXPECT_EQ(1, present);
    SetRates({25500, 25500, 25500, 2300, 0, 0, 0});
    EXPECT_EQ(0, darvo::CheckTaxRates(present));
    EXPECT_EQ(1, present);
    SetRates({25500, 25500, 25500, 25500, 2300, 2300, 2300}); // E..G do not exist on this printer
    EXPECT_EQ(113, darvo::CheckTaxRates(present));
    EXPECT_EQ(0, present);
    sim->Script(209, darvosim::Scripted{{0x01}});
    present = 9;
    EXPECT_EQ(101, darvo::CheckTaxRates(present)); // service jumper answer
    EXPECT_EQ(0, present);
}
