// The recovery example prints its receipt exactly once when the answer to
// the closing command is lost (the receipt printed) and when the answer to
// the opening one is (it did not).
#include "FaultFixture.h"

namespace darvotest {
namespace {

class RecoveryExample : public FaultTest {
  protected:
    // Runs the example on COM7; its exit status and standard output.
    int Run(std::string &output) {
        return RunCommand(
            "(timeout 30 " DARVO_BINARY_DIR "/examples/receipt-recovery-example 7 1 2>/dev/null)", output);
    }
    void NewPrinter() {
        StartSession();
        CommunicationEnd(); // the example opens the port itself
    }
    // Where the printer's answer to `command` begins, counted from the
    // example's first byte.
    int AnswerOf(uint8_t command) {
        NewPrinter();
        const size_t mark = sim->log().Entries().size();
        std::string output;
        EXPECT_EQ(0, Run(output));
        return AnswerPosition(*sim, mark, command);
    }
};

TEST_F(RecoveryExample, LostAnswersNeitherLoseNorRepeatTheReceipt) {
    struct Case {
        uint8_t command;
        const char *said;
    } cases[] = {
        {36, "receipt printed (its answer was lost)\n"}, // closed and printed, its ACK lost
        {33, "receipt printed\n"},                       // opened, its ACK lost: printed anew
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.command);
        const int position = AnswerOf(c.command);
        ASSERT_GE(position, 0);
        NewPrinter();
        sim->InjectFault(darvosim::FaultKind::Truncate, position);
        std::string output;
        EXPECT_EQ(0, Run(output));
        EXPECT_TRUE(sim->FaultFired());
        EXPECT_EQ(c.said, output);
        EXPECT_EQ(1, RollReceipts(sim->printer())) << sim->printer().roll.Text();
        EXPECT_EQ(1, Sales().receiptCounter);
    }
}

} // namespace
} // namespace darvotest
