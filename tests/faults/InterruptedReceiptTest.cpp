// A receipt cut at every byte of its exchanges, then the recovery a
// point-of-sale program does: start the session again, end a receipt the
// driver still holds, read the receipt number and, when it has not moved,
// print the receipt again. The printer must count it exactly once.
#include "FaultFixture.h"

#include <set>

namespace darvotest {
namespace {

using darvosim::FaultKind;

constexpr uint32_t kReceiptValue = 2 * 350 + 499;

// The receipt; stops at the first failing call and returns its result.
int32_t PrintReceipt() {
    int32_t rc = ReceiptBegin();
    uint32_t value = 0;
    if (rc == 0) rc = pReceiptItem(1, "Chleb razowy", 1, 0, 2, 0, "szt", 350, &value);
    value = 0;
    if (rc == 0) rc = pReceiptItem(1, "Mleko 2%", 1, 0, 1, 0, "l", 499, &value);
    if (rc == 0) rc = pFillPayment(1, "Gotowka", 2000, 0);
    if (rc == 0) rc = ReceiptEnd(0);
    return rc;
}

class InterruptedReceipt : public FaultTest {
  protected:
    // Bytes of a whole receipt, and which of them the printer sends.
    std::vector<bool> CleanReceipt() {
        StartSession();
        std::vector<bool> fromPrinter;
        for (const auto &e : CleanBytes(PrintReceipt))
            fromPrinter.push_back(!e.fromHost);
        return fromPrinter;
    }

    void Cut(FaultKind kind, int position) {
        SCOPED_TRACE(std::string(darvosim::FaultName(kind)) + " at byte " + std::to_string(position));
        StartSession();
        int32_t before = -1;
        ASSERT_EQ(0, ReceiptNumber(&before));
        Sync();
        sim->InjectFault(kind, position);
        const int32_t rc = PrintReceipt();
        ASSERT_TRUE(sim->WaitForFault(Scaled(std::chrono::seconds(3))));
        Recover();
        int32_t after = -1;
        ASSERT_EQ(0, ReceiptNumber(&after));
        const bool printed = after != before;
        EXPECT_TRUE(printed || rc != 0) << "success reported for a receipt never printed";
        if (!printed) {
            ASSERT_EQ(0, PrintReceipt());
        }
        Sync();
        const darvosim::SalesState sales = Sales();
        EXPECT_EQ(before + 1, sales.receiptNumber);
        EXPECT_EQ(1, sales.receiptCounter);
        EXPECT_EQ(kReceiptValue, sales.totals[0]);
        EXPECT_EQ(1, RollReceipts(sim->printer())) << sim->printer().roll.Text();
    }
};

TEST_F(InterruptedReceipt, LineHungUpAtEveryByte) {
    const std::vector<bool> fromPrinter = CleanReceipt();
    ASSERT_GT(fromPrinter.size(), 100u);
    for (int p = 0; p < static_cast<int>(fromPrinter.size()); ++p) {
        Cut(FaultKind::HangUp, p);
        if (HasFatalFailure()) return;
    }
}

// Switched off, the printer holds the line: every cut costs a time-out, so
// it is tried at the printer's answers of the closing commands and at
// every twentieth byte before them.
TEST_F(InterruptedReceipt, PrinterSwitchedOff) {
    const std::vector<bool> fromPrinter = CleanReceipt();
    const int n = static_cast<int>(fromPrinter.size());
    std::set<int> positions;
    for (int p = 0; p < n; p += 20)
        positions.insert(p);
    for (int p = n - 1, answers = 0; p >= 0 && answers < 6; --p)
        if (fromPrinter[p] && (p == 0 || !fromPrinter[p - 1])) {
            positions.insert(p);
            ++answers;
        }
    for (int p : positions) {
        Cut(FaultKind::PowerOff, p);
        if (HasFatalFailure()) return;
    }
}

} // namespace
} // namespace darvotest
