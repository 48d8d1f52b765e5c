// `darvo receipt`: a JSON receipt on the paper roll with its totals, and the
// receipts refused whole before anything that changes the printer goes out.
#include "CliFixture.h"

using namespace darvotest;
using CliReceipt = CliTest;

TEST_F(CliReceipt, JsonReceiptsEndOnTheRollWithTheirTotals) {
    const struct {
        std::string json, total;
        std::vector<std::string> roll;
    } cases[] = {
        {R"({"lines": [{"name": "Mleko 2% 1l", "quantity": "1", "price": "3.49", "rate": "A"}],
             "payments": [{"type": "cash", "amount": "5.00"}]})",
         "3.49",
         {"Mleko 2% 1l\n", RollLine("SUMA PLN", "3,49"), RollLine("Gotówka", "5,00"), RollLine("", "1,51")}},
        // 1.5 x 3.99 = 5.985 -> 5.99, less 10 % (0.60); 2 x 5.49 = 10.98; then 5 % off
        // each rate: A 5.39 -> 5.12, B 10.98 -> 10.43.
        {R"({"lines": [{"name": "Jabłka luz", "quantity": "1.5", "unit": "kg", "price": "3.99", "rate": "A",
                        "discount": {"percent": "10"}},
                       {"name": "Sok pomarańczowy 1l", "quantity": 2, "price": "5.49", "rate": "B"}],
             "payments": [{"type": "card", "amount": "10.00"}, {"type": "cash", "amount": "10.00"}],
             "extra_lines": ["Dziękujemy, zapraszamy"], "discount_percent": 5})",
         "15.55",
         {RollLine("  1,5 kg x 3,99", "5,99 A"), "STORNO Rabat Jabłka luz\n",
          RollLine("  1 x 0,60", "-0,60 A"), RollLine("  2 x 5,49", "10,98 B"), RollLine("RABAT 5%", "-0,82"),
          RollLine("SUMA PLN", "15,55"), RollLine("Karta", "10,00"), RollLine("Gotówka", "10,00"),
          RollLine("", "4,45"), "Dziękujemy, zapraszamy\n"}},
    };
    int number = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.total);
        const DarvoRun r = Darvo({"--json", "receipt", "-"}, c.json);
        ASSERT_EQ(0, r.exit) << r.out << r.err;
        const nlohmann::json doc = r.Json();
        EXPECT_EQ("printed", doc["state"]);
        EXPECT_EQ(++number, doc["receipt_number"]);
        EXPECT_EQ(c.total, doc["total"]);
        EXPECT_EQ(c.total, doc["printer_total"]); // the printer's own sales totals moved by as much
        const std::string roll = printer().roll.Text();
        for (const std::string &line : c.roll)
            EXPECT_NE(std::string::npos, roll.find("\n" + line)) << line << "\n" << roll;
    }
    EXPECT_EQ(2, sim->printer().sales.receiptCounter);
}

TEST_F(CliReceipt, RefusedWholeBeforeAnythingThatChangesThePrinter) {
    // A one-line receipt: the name, the rate, more, the price as it stands in the JSON.
    const auto receipt = [](const std::string &name, const std::string &rate = "A",
                            const std::string &more = "", const std::string &price = "\"3.49\"") {
        return R"({"lines": [{"name": ")" + name + R"(", "quantity": "1", "price": )" + price +
               R"(, "rate": ")" + rate + "\"}]" + more + "}";
    };
    const struct {
        const char *name;
        std::string json;
        bool paperOut;
        int exit;
        std::string path, message; // the problem named; for a refusal, its code and text
        bool portOpened;           // read-only questions only, or not a byte at all
    } cases[] = {
        {"unprintable character", receipt("Café"), false, 1, "lines[0].name",
         "the printer cannot print 'é' (U+00E9) at character 4", false},
        {"control character", receipt("Mleko\\t2%"), false, 1, "lines[0].name",
         "the printer cannot print U+0009 at character 6", false},
        {"amount as a number", receipt("Mleko 2% 1l", "A", "", "3.49"), false, 1, "lines[0].price",
         "must be a decimal string such as \"3.49\"", false},
        {"payments short",
         receipt("Mleko 2% 1l", "A", R"(, "payments": [{"type": "cash", "amount": "3.00"}])"), false, 1,
         "payments", "the payments (3.00) do not cover the total (3.49)", false},
        {"rate not set", receipt("Mleko 2% 1l", "F"), false, 1, "lines[0].rate",
         "rate F is not set on the printer (set: A, B, C, D, E)", true},
        {"paper out", receipt("Mleko 2% 1l"), true, 2, "109",
         "Brak papieru lub podniesiona głowica mechanizmu drukującego.", true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        StartSim();
        OnPrinter([&c](darvosim::Printer &p) { p.status.paperOut = c.paperOut; });
        const DarvoRun r = Darvo({"--json", "receipt", "-"}, c.json);
        EXPECT_EQ(c.exit, r.exit) << r.out << r.err;
        const nlohmann::json error = r.Json()["error"];
        if (c.exit == 1) {
            ASSERT_EQ(1u, error["problems"].size()) << r.out;
            EXPECT_EQ(c.path, error["problems"][0]["path"]);
            EXPECT_EQ(c.message, error["problems"][0]["message"]);
        } else {
            EXPECT_EQ(c.path, std::to_string(error["code"].get<int>()));
            EXPECT_EQ(c.message, error["message"]);
        }
        if (c.portOpened) {
            EXPECT_TRUE(Sent(0xFF));
            EXPECT_FALSE(Sent(33)) << "a receipt was begun";
        } else {
            EXPECT_EQ(0u, sim->HostBytes()) << "bytes went out";
        }
        EXPECT_EQ(0, printer().sales.receiptCounter);
    }
}

// Another program died in the middle of a receipt: status cannot see it
// without changing the printer and says so; the next receipt ends it and
// says so in its notes. Without payments a receipt is paid exactly in cash.
TEST_F(CliReceipt, AReceiptAnotherProgramLeftOpenIsEndedAndSaid) {
    ASSERT_EQ(0, CommunicationInit(kPort, 9600, 1));
    uint32_t value = 0;
    ASSERT_EQ(0, ReceiptBegin());
    ASSERT_EQ(0, pReceiptItem(1, "Chleb razowy", 1, 0, 1, 0, "szt", 450, &value));
    ClosePort(); // and the program is gone
    const DarvoRun status = Darvo({"--json", "status"});
    EXPECT_TRUE(status.Json()["receipt_open"].is_null()) << status.out;
    const DarvoRun r =
        Darvo({"--json", "receipt", "-"},
              R"({"lines": [{"name": "Mleko 2% 1l", "quantity": "1", "price": "3.49", "rate": "A"}]})");
    ASSERT_EQ(0, r.exit) << r.out << r.err;
    const nlohmann::json doc = r.Json();
    EXPECT_EQ((nlohmann::json{
                  "no payments given: paid exactly in cash, as the printer prints it (no payment lines, "
                  "no change)",
                  "a receipt left open was cancelled first (another program's, \"PARAGON ANULOWANY\" on "
                  "the paper)"}),
              doc["notes"]);
    EXPECT_EQ("3.49", doc["paid"]);
    EXPECT_EQ(1, doc["receipts_since_daily_report"]);
    EXPECT_NE(std::string::npos, printer().roll.Text().find("PARAGON ANULOWANY"));
}
