// The receipt model without a printer: every problem by its field, the JSON
// form kept, and the checks against a printer's facts.
#include "pos/Plan.h"
#include "pos/Printer.h"

#include <gtest/gtest.h>

using namespace darvo::pos;

namespace {

Problems Parsed(const std::string &json) {
    Receipt r;
    Problems p = ParseReceipt(json, r);
    Totals t;
    if (p.empty()) p = CheckReceipt(r, t);
    return p;
}

std::string Line(const std::string &fields) {
    return R"({"lines": [{"name": "Mleko 2% 1l", "quantity": "1", "price": "3.49", "rate": "A")" + fields +
           "}]}";
}

} // namespace

TEST(ReceiptModel, EveryProblemByItsField) {
    const struct {
        std::string json;
        Problems problems;
    } cases[] = {
        {"not json",
         {{"",
           "not valid JSON (UTF-8) at line 1, column 2: syntax error while parsing value - invalid literal; "
           "last read: 'no'"}}},
        {"{\"lines\": [\n  {\"name\": 1,}\n]}",
         {{"",
           "not valid JSON (UTF-8) at line 2, column 14: syntax error while parsing object key - unexpected "
           "'}'; expected string literal"}}},
        {Line(R"(, "price": "0.01")"),
         {{"lines[0].price", "given twice in one object: give each field once"}}},
        {"[]", {{"", "must be a JSON object"}}},
        {R"({"lines": []})", {{"lines", "a receipt needs at least one line"}}},
        {R"({"lines": [{"name": "Chleb"}], "total": "1"})",
         {{"total", "unknown field"},
          {"lines[0].quantity", "missing"},
          {"lines[0].price", "missing"},
          {"lines[0].rate", "missing"}}},
        {R"({"lines": [{"name": "Mleko", "quantity": "1.23456", "price": "3,49", "rate": "a"}]})",
         {{"lines[0].quantity", "at most 4 digits after the point"},
          {"lines[0].price", "use '.' as the decimal point"},
          {"lines[0].rate", "must be one letter, A to G"}}},
        {R"({"lines": [{"name": "Kiełbasa śląska z rusztu, opakowanie", "quantity": "1", "price": "0", "rate": "A"}]})",
         {{"lines[0].name", "longer than 28 characters"},
          {"lines[0].price", "out of range: 0.01 to 42949672.95"}}},
        {Line(R"(, "unit": "żółw")"), {{"lines[0].unit", "must be plain ASCII letters (no Polish letters)"}}},
        {Line(R"(, "discount": {"amount": "3.50"})"),
         {{"lines[0].discount", "larger than the line's value (3.49)"}}},
        {Line(R"(, "discount": {"percent": "100"})"),
         {{"lines[0].discount", "takes the line's whole value (3.49): leave the line out instead"}}},
        {R"({"lines": [{"name": "Mleko 2% 1l", "quantity": "0.001", "price": "3.49", "rate": "A"}]})",
         {{"lines[0]",
           "quantity 0.001 x price 3.49 comes to 0.00 (rounded half up to whole grosze): a line must "
           "be worth 0.01 at least"}}},
        {R"({"lines": [{"name": "Guma", "quantity": "1", "price": "0.01", "rate": "A"}], "discount_percent": 99})",
         {{"discount_percent", "the receipt comes to 0.00: a fiscal receipt must be worth something"}}},
        // "Żubr" with the dot as a combining accent: the letter the printer prints.
        {R"({"lines": [{"name": "Z\u0307ubr", "quantity": "1", "price": "3.49", "rate": "A"}]})", {}},
        {Line(R"(, "discount": {"amount": "1", "percent": "5"})"),
         {{"lines[0].discount", "give either \"amount\" or \"percent\""}}},
        {Line(R"(, "surcharge": {"percent": "101"})"), {{"lines[0].surcharge.percent", "at most 100"}}},
        {R"({"lines": [{"name": "Gruszki", "quantity": "4294967", "price": "1000.00", "rate": "A"}]})",
         {{"lines[0]", "quantity x price is too high for the printer"}}},
        {R"({"lines": [{"name": "Mleko", "quantity": "1", "price": "3.49", "rate": "A"}], "discount_percent": 100,
             "extra_lines": ["Dziękujemy za zakupy w naszym sklepie, zapraszamy"],
             "payments": [{"type": "bitcoin", "amount": "5"}]})",
         {{"payments[0].type", "must be one of cash, card, cheque, voucher, credit, transfer, other"},
          {"discount_percent", "must be 0 (none) to 99"}}},
        {R"({"lines": [{"name": "Mleko", "quantity": "1", "price": "3.49", "rate": "A"}],
             "extra_lines": ["Dziękujemy za zakupy w naszym sklepie, zapraszamy"],
             "payments": [{"type": "cash", "amount": "5", "name": "Gotówka w złotych"}]})",
         {{"payments[0].name", "longer than 13 characters"},
          {"extra_lines[0]", "longer than 40 characters"}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.json);
        EXPECT_EQ(c.problems, Parsed(c.json));
    }
}

TEST(ReceiptModel, JsonFormKeptAndAmountsExact) {
    const std::string json =
        R"({"lines":[{"name":"Jabłka","quantity":"1.500","price":"3.99","rate":"B","unit":"kg",)"
        R"("surcharge":{"percent":"2.5"}}],"payments":[{"type":"card","amount":"6.08","name":"Visa"}],)"
        R"("extra_lines":["Do zobaczenia",{"text":"Kod 7","code":3}],"discount_percent":1})";
    Receipt r;
    ASSERT_TRUE(ParseReceipt(json, r).empty());
    EXPECT_EQ(nlohmann::json::parse(json), ToJson(r));
    Totals t;
    ASSERT_TRUE(CheckReceipt(r, t).empty());
    // 1.5 x 3.99 = 5.985 -> 5.99; 2.5 % of it 0.14975 -> 0.15; 6.14 less 1 %: 6.0786 -> 6.08.
    EXPECT_EQ((std::vector<int64_t>{599}), t.lineValues);
    EXPECT_EQ((std::vector<int64_t>{15}), t.adjustmentValues);
    EXPECT_EQ(614, t.gross);
    EXPECT_EQ(608, t.total);
    EXPECT_EQ(608, t.rates[1]);
    EXPECT_TRUE(CheckReceipt(r, t).empty());
}

TEST(ReceiptModel, CheckedAgainstThePrintersFacts) {
    Receipt r;
    ASSERT_TRUE(
        ParseReceipt(R"({"lines": [{"name": "Mleko 2% 1l", "quantity": "1", "price": "3.49", "rate": "E"},
                                           {"name": "Chleb", "quantity": "1", "price": "2.00", "rate": "A"}],
                                "payments": [{"type": "cash", "amount": "10"}]})",
                     r)
            .empty());
    PrinterFacts pexa;
    pexa.deviceType = 7;
    pexa.rates = {2300, 800, 500, 0, 10000, 25500, 25500};
    Plan plan;
    EXPECT_TRUE(PlanReceipt(r, pexa, plan).empty());
    ASSERT_EQ(1u, plan.payments.size());
    EXPECT_EQ(1000, plan.payments[0].amount);
    EXPECT_EQ(451, plan.payments[0].change);

    PrinterFacts kt820; // 4 rates, names of at least 10 significant characters, no payment records
    kt820.deviceType = 0;
    kt820.rateCount = 4;
    kt820.rates = {2300, 800, 500, 0, 25500, 25500, 25500};
    EXPECT_EQ(
        (Problems{
            {"lines[0].rate", "rate E is not set on the printer (set: A, B, C, D)"},
            {"lines[0].name", "needs at least 10 letters, digits or % , . / \\ on this printer (has 9)"},
            {"lines[1].name", "needs at least 10 letters, digits or % , . / \\ on this printer (has 5)"}}),
        PlanReceipt(r, kt820, plan));
    EXPECT_TRUE(plan.lines.empty());
}

// A receipt's outcome from the printer's ledger before and after it: only
// exactly this receipt is "printed", only nothing at all "not_printed".
TEST(ReceiptModel, OutcomeJudgedFromTheLedger) {
    using T = std::array<int64_t, 7>;
    const T sale = {349, 0, 0, 0, 0, 0, 0}, day = {1000, 200, 0, 0, 0, 0, 0};
    const auto ledger = [](int counter, int report, std::optional<T> totals) {
        return Ledger{counter, report, totals};
    };
    const T dayAndSale = {1349, 200, 0, 0, 0, 0, 0}, dayAndOther = {1450, 200, 0, 0, 0, 0, 0};
    const struct {
        const char *name;
        Ledger before, after;
        ReceiptState state;
    } cases[] = {
        {"this receipt added", ledger(4, 7, day), ledger(5, 7, dayAndSale), ReceiptState::Printed},
        {"nothing counted", ledger(4, 7, day), ledger(4, 7, day), ReceiptState::NotPrinted},
        {"another receipt instead", ledger(4, 7, day), ledger(5, 7, dayAndOther), ReceiptState::Unknown},
        {"two receipts", ledger(4, 7, day), ledger(6, 7, dayAndSale), ReceiptState::Unknown},
        {"a daily report since", ledger(4, 7, day), ledger(0, 8, T{}), ReceiptState::Unknown},
        {"the counter back to the same", ledger(0, 7, T{}), ledger(0, 8, T{}), ReceiptState::Unknown},
        {"no totals, nothing counted", ledger(4, 7, {}), ledger(4, 7, {}), ReceiptState::NotPrinted},
        {"no totals, one counted", ledger(4, 7, {}), ledger(5, 7, {}), ReceiptState::Unknown},
        {"counters not read", ledger(-1, -1, {}), ledger(5, 7, {}), ReceiptState::Unknown},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const Verdict v = JudgeReceipt(c.before, c.after, sale);
        EXPECT_EQ(c.state, v.state) << v.reason;
        EXPECT_FALSE(v.reason.empty());
    }
    EXPECT_EQ(
        "a daily report was made since (nr 7 before, nr 8 now), which started the counters again: the "
        "receipt printed if daily report nr 8 counts 5 receipts with sales A 13.49, B 2.00, and did not "
        "if it counts 4 with sales A 10.00, B 2.00",
        JudgeReceipt(ledger(4, 7, day), ledger(0, 8, T{}), sale).reason);
    EXPECT_EQ(ReceiptState::Printed, JudgeDailyReport(7, 8).state);
    EXPECT_EQ(ReceiptState::NotPrinted, JudgeDailyReport(7, 7).state);
    EXPECT_EQ(ReceiptState::Unknown, JudgeDailyReport(7, 9).state);
}
