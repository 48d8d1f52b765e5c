// `darvo recover` from the states a till meets, back to ready, and what it
// says about the last receipt.
#include "CliFixture.h"

#include <functional>

using namespace darvotest;

namespace {

class CliRecover : public CliTest {
  protected:
    // A receipt begun with one line by a program of the test's own.
    void ReceiptLeftOpen() {
        ASSERT_EQ(0, CommunicationInit(kPort, 9600, 1));
        ASSERT_EQ(0, ReceiptBegin());
        uint32_t value = 0;
        ASSERT_EQ(0, pReceiptItem(1, "Chleb razowy", 1, 0, 2, 0, "szt", 350, &value));
    }
    std::string Steps(const nlohmann::json &doc) {
        std::string text;
        for (const auto &s : doc["steps"])
            text += s["step"].get<std::string>() + ": " + s["message"].get<std::string>() + "\n";
        return text;
    }
};

} // namespace

TEST_F(CliRecover, EachStateBackToReady) {
    const struct {
        const char *name;
        std::function<void()> leave; // how the till left the printer
        int exitBefore;              // recover while it lasts (0: nothing to wait for)
        std::function<void()> fix;   // the operator's hand
        std::string found;           // a step of the recovery that ends it
        const char *lastReceipt;
    } cases[] = {
        {"receipt left open", [this] { ReceiptLeftOpen(); }, 0, nullptr,
         "receipt: a receipt left open was cancelled", "not_printed"},
        {"receipt left open with its total given",
         [this] {
             ReceiptLeftOpen();
             const uint8_t percent = 10, total[4] = {0x76, 0x02, 0, 0}; // 7.00 less 10 %: 6.30
             darvo::SendSequence(27, 0, 1, &percent, nullptr);
             darvo::SendSequence(7, 0, 4, total, nullptr);
         },
         0, nullptr, "receipt: a receipt left open was cancelled", "not_printed"},
        {"paper out in the middle of the receipt's printout",
         [this] {
             OnPrinter([](darvosim::Printer &p) { p.printPolls = 50; });
             Do("paper ends");
             ReceiptLeftOpen();
             EXPECT_EQ(109, ReceiptEnd(0));
         },
         2, [this] { Do("paper in"); }, "session: session started; the stopped printout was finished",
         "printed"},
        {"power off with a receipt open",
         [this] {
             ReceiptLeftOpen();
             Do("power off");
         },
         3, [this] { Do("power on"); }, "receipt: a receipt left open was cancelled", "not_printed"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ResetDriver();
        StartSim();
        c.leave();
        darvo::CloseSessionPort(); // the program goes away; what it left in the printer stays
        if (c.exitBefore != 0) {
            const DarvoRun r = Darvo({"--json", "recover", "--counter-before", "0"});
            EXPECT_EQ(c.exitBefore, r.exit) << r.out << r.err;
            EXPECT_FALSE(r.Json()["ready"].get<bool>());
            c.fix();
        }
        const DarvoRun r = Darvo({"--json", "recover", "--counter-before", "0"});
        ASSERT_EQ(0, r.exit) << r.out << r.err;
        const nlohmann::json doc = r.Json();
        EXPECT_TRUE(doc["ready"].get<bool>());
        EXPECT_NE(std::string::npos, Steps(doc).find(c.found + "\n")) << Steps(doc);
        EXPECT_EQ(c.lastReceipt, doc["last_receipt"]);
        EXPECT_FALSE(printer().sales.receiptOpen);
        EXPECT_FALSE(printer().status.printing);
        EXPECT_EQ(std::string(c.lastReceipt) == "printed" ? 1 : 0, printer().sales.receiptCounter);
    }
}
