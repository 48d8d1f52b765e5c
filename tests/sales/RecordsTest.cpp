// Code page, names, values and the payment and line tables: no printer needed.
#include "darvodr/Receipt.h"
#include "darvodr/Session.h"
#include "darvodr/darvodr.h"

#include <gtest/gtest.h>

using namespace darvo;

namespace {

class Tables : public ::testing::Test {
  protected:
    void SetUp() override { ResetReceiptState(); }
    void TearDown() override { ResetReceiptState(); }
};

} // namespace

TEST(CodePage, PolishLettersTravelAsCodePage852AndBack) {
    const uint8_t win[18] = {0xA5, 0xC6, 0xCA, 0xA3, 0xD1, 0xD3, 0x8C, 0x8F, 0xAF,
                             0xB9, 0xE6, 0xEA, 0xB3, 0xF1, 0xF3, 0x9C, 0x9F, 0xBF};
    const uint8_t cp852[18] = {0xA4, 0x8F, 0xA8, 0x9D, 0xE3, 0xE0, 0x97, 0x8D, 0xBD,
                               0xA5, 0x86, 0xA9, 0x88, 0xE4, 0xA2, 0x98, 0xAB, 0xBE};
    for (int i = 0; i < 18; ++i) {
        EXPECT_EQ(cp852[i], WinToPrinterChar(win[i])) << i;
        EXPECT_EQ(win[i], PrinterToWinChar(cp852[i])) << i;
    }
    int changed = 0;
    for (int c = 0; c < 256; ++c)
        changed += WinToPrinterChar(uint8_t(c)) != c;
    EXPECT_EQ(18, changed);
    EXPECT_EQ('A', WinToPrinterChar('A'));
    EXPECT_EQ(0x80, PrinterToWinChar(0x80));
}

TEST(ArticleName, CutPaddedAndCounted) {
    EXPECT_EQ(std::string(28, 'x'), PadArticleName(std::string(30, 'x')));
    EXPECT_EQ("abc" + std::string(25, ' '), PadArticleName("abc"));
    // Two digits, a hyphen, two digits, a space, two lower-case letters.
    EXPECT_EQ(6, CharsInArticleName("12-34 ab"));
    EXPECT_EQ(6, pCharsInArticleName("12-34 ab"));
    EXPECT_EQ(225, pCharsInArticleName(nullptr));
    EXPECT_EQ(0, CharsInArticleName(""));
    // Only the first 28 characters count; the text ends at its NUL.
    EXPECT_EQ(28, CharsInArticleName(std::string(40, 'a')));
    EXPECT_EQ(2, CharsInArticleName(std::string("ab\0cdef", 7)));
    EXPECT_EQ(5, CharsInArticleName("%,./\\ -_!?"));
    EXPECT_EQ(3, CharsInArticleName("\xA5\xB9\xBF")); // Ą ą ż
}

TEST(ArticleName, MinimumDependsOnTheDeviceType) {
    const uint8_t saved = DeviceType;
    std::string name;
    DeviceType = 7;
    EXPECT_EQ(0, PrepareArticleName(name, "Mleko"));
    EXPECT_EQ("Mleko" + std::string(23, ' '), name);
    EXPECT_EQ(202, PrepareArticleName(name, "Ml-ko"));
    DeviceType = 2;
    EXPECT_EQ(202, PrepareArticleName(name, "Mleko 3,2%"));
    EXPECT_EQ("Mleko 3,2%" + std::string(18, ' '), name); // padded even when refused
    EXPECT_EQ(0, PrepareArticleName(name, "Mleko 3,2% UHT"));
    DeviceType = saved;
}

TEST(LineValue, HalfRoundsUp) {
    uint32_t v = 0;
    ASSERT_TRUE(LineValue(1500, 3, 333, v));
    EXPECT_EQ(500u, v); // 499.5
    ASSERT_TRUE(LineValue(1, 1, 3, v));
    EXPECT_EQ(0u, v); // 0.3
    ASSERT_TRUE(LineValue(1, 1, 5, v));
    EXPECT_EQ(1u, v); // 0.5
    ASSERT_TRUE(LineValue(12345, 4, 9999, v));
    EXPECT_EQ(12344u, v); // 12343.7655
    ASSERT_TRUE(LineValue(65536, 0, 65535, v));
    EXPECT_EQ(0xFFFF0000u, v);
    EXPECT_FALSE(LineValue(65536, 0, 65536, v)); // 2^32
    EXPECT_FALSE(LineValue(1, 5, 100, v));
    EXPECT_FALSE(LineValue(1, -1, 100, v));
}

TEST(DiscountedTotal, ExactlyHalfRoundsDown) { // more cases on the wire: ReceiptTest
    EXPECT_EQ(906, DiscountedTotal(1007, 10)); // 906.3 -> 906
    EXPECT_EQ(1, DiscountedTotal(3, 50));      // 1.5 -> 1
    EXPECT_EQ(2, DiscountedTotal(3, 49));      // 1.53 -> 2
    EXPECT_EQ(-500, DiscountedTotal(-1001, 50));
}

TEST_F(Tables, PaymentsAreCutOrPaddedToThirteen) {
    EXPECT_EQ(0, FillPayment(1, "Karta platnicza VISA", 1000, 20));
    EXPECT_EQ("Karta platnic", PaymentTable[0].name);
    EXPECT_EQ(0, pFillPayment(4, "Bon", 5, 6));
    EXPECT_EQ("Bon          ", PaymentTable[3].name);
    EXPECT_EQ(0, pFillPayment(2, nullptr, 0, 0)); // counts as empty: 13 blanks, slot filled
    EXPECT_EQ(std::string(13, ' '), PaymentTable[1].name);
    EXPECT_EQ(0, FillPayment(1, "Gotowka", 7, 8)); // the second call replaces the first
    EXPECT_EQ("Gotowka      ", PaymentTable[0].name);
    EXPECT_EQ(7, PaymentTable[0].firstAmount);
    EXPECT_EQ(8, PaymentTable[0].secondAmount);
    EXPECT_EQ(215, FillPayment(0, "x", 1, 1));
    EXPECT_EQ(215, FillPayment(5, "x", 1, 1));
    EXPECT_TRUE(PaymentTable[2].name.empty());
    EXPECT_EQ(0, ErasePayments());
    for (const PaymentSlot &p : PaymentTable) {
        EXPECT_TRUE(p.name.empty());
        EXPECT_EQ(0, p.firstAmount);
        EXPECT_EQ(0, p.secondAmount);
    }
}

TEST_F(Tables, LinesFillFrontToBackUntilFull) {
    int32_t free = -7;
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(0, FillLines(i, "linia " + std::to_string(i), free));
        EXPECT_EQ(5 - i, free);
    }
    EXPECT_EQ(216, FillLines(1, "siódma", free));
    EXPECT_EQ(0, free);
    EXPECT_EQ("linia 0", ExtraLinesTable[0].text);
    EXPECT_EQ(5, ExtraLinesTable[5].code);
    free = 42;
    EXPECT_EQ(215, FillLines(16, "x", free));
    EXPECT_EQ(42, free); // left as the caller set it
    EXPECT_EQ(215, FillLines(-1, "x", free));
    EXPECT_EQ(225, pFillLines(1, "x", nullptr));
    EXPECT_EQ(0, EraseLines());
    for (const ExtraLineSlot &l : ExtraLinesTable) {
        EXPECT_EQ(255, l.code);
        EXPECT_TRUE(l.text.empty());
    }
}

TEST_F(Tables, EmptyLongAndGappedLines) {
    int32_t free = 0;
    EXPECT_EQ(0, FillLines(0, "", free)); // an empty line is stored
    EXPECT_EQ(0, pFillLines(15, nullptr, &free));
    EXPECT_EQ(4, free);
    EXPECT_EQ(0, ExtraLinesTable[0].code);
    EXPECT_EQ("", ExtraLinesTable[0].text);
    EXPECT_EQ(15, ExtraLinesTable[1].code);
    EXPECT_EQ(0, FillLines(3, std::string(300, 'x'), free)); // cut to 253: ExtraLinesAreSafeOnTheWire
    // A table whose front slots went out while later ones stayed: the new
    // line takes the first free slot, nothing is overwritten.
    ExtraLinesTable[0] = ExtraLineSlot{};
    EXPECT_EQ(0, FillLines(9, "nowa", free));
    EXPECT_EQ(3, free);
    EXPECT_EQ("nowa", ExtraLinesTable[0].text);
    EXPECT_EQ(15, ExtraLinesTable[1].code);
}
