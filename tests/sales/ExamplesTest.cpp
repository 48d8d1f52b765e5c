// The example programs print their receipts on the emulated printer.
#include "SalesFixture.h"

using namespace darvotest;

namespace {

class Examples : public SalesTest {
  protected:
    // Runs a command line (bounded by `timeout`, so a hung example cannot
    // hold the suite) and returns its exit status.
    static int Run(const std::string &command) {
        std::string output;
        return RunCommand("timeout 30 " + command, output);
    }
    void StartPrinter() {
        ResetDriver();
        StartSim(7); // the example opens COM7 itself
    }
};

} // namespace

// Each prints its receipt; the C program refuses a bad port number before
// anything. A sanitized library cannot be loaded into python3.
TEST_F(Examples, EachPrintsItsReceipt) {
    const struct {
        std::string command;
        bool loadsSanitized;
        std::vector<std::string> roll;
    } cases[] = {
        {std::string(DARVO_BINARY_DIR) + "/examples/receipt-example 7 1",
         true,
         {"Chleb razowy\n", RollLine("  1,000 kg x 4,50", "4,50 A"), RollLine("  2 szt x 3,29", "6,58 B"),
          RollLine("SUMA PLN", "11,08"), RollLine("Gotowka", "20,00"), "\nDziekujemy za zakupy\n"}},
        {"python3 " DARVO_SOURCE_DIR "/examples/receipt.py " DARVO_SHARED_LIB " 7 1",
         false,
         {"Jabłka luz\n", RollLine("  1,500 kg x 3,99", "5,99 A"), "Sok pomarańczowy 1l\n",
          RollLine("SUMA PLN", "11,48"), RollLine("Karta", "11,48"), "\nŻyczymy miłego dnia\n"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.command);
        if (!c.loadsSanitized && DARVO_SANITIZED) continue;
        StartPrinter();
        ASSERT_EQ(0, Run(c.command));
        Open(); // the test's own look at the printer, after the example let go of the line
        const std::string roll = Roll();
        for (const std::string &line : c.roll)
            EXPECT_NE(std::string::npos, roll.find(line)) << line << "\n" << roll;
        EXPECT_EQ(1, Sales().receiptCounter);
        EXPECT_EQ(1u, Sent(129).size());
        EXPECT_EQ(1u, Sent(9).size());
        darvo::CloseSessionPort();
    }
    EXPECT_EQ(2, Run(std::string(DARVO_BINARY_DIR) + "/examples/receipt-example 0"));
}
