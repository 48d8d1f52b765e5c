// The operations layer the programs on the driver share, against the
// emulated printer: the port, which printer answers, the status and what it
// keeps a printer from printing.
#include "SimFixture.h"
#include "ops/Connection.h"
#include "ops/Status.h"

namespace darvotest {
namespace {

using darvo::ops::PrintBlocker;

struct BlockerCase {
    std::array<uint8_t, 9> bytes; // bytes[1..8]
    int count;
    PrintBlocker expected;
};

// The most pressing condition wins; bytes the printer did not send count
// for nothing, whatever they hold.
TEST(PrintBlockers, TheMostPressingOfTheBitsTheStatusHas) {
    const BlockerCase cases[] = {
        {{0, 0x08, 0, 0, 0x08}, 4, PrintBlocker::None},
        {{0, 0, 0x10}, 4, PrintBlocker::CmosErased},
        {{0, 0x04, 0x10}, 4, PrintBlocker::ReadOnly},
        {{0, 0x04, 0, 0, 0, 0x40}, 6, PrintBlocker::NoProgrammingVoltage},
        {{0, 0x04, 0, 0, 0, 0x40}, 4, PrintBlocker::ReadOnly},
        {{0, 0, 0, 0, 0, 0x40, 0, 0x02}, 7, PrintBlocker::LowBattery},
        {{0, 0, 0, 0, 0, 0, 0, 0x02}, 6, PrintBlocker::None},
        {{0, 0, 0x80, 0, 0, 0, 0, 0x02}, 7, PrintBlocker::NoController},
        {{0, 0, 0x80, 0x04}, 4, PrintBlocker::PrinterFailure},
        {{0, 0x04, 0x90, 0x06}, 4, PrintBlocker::NoPaper},
    };
    for (const BlockerCase &c : cases)
        EXPECT_EQ(c.expected, darvo::ops::PrintBlockerOf(darvo::ops::BitsOf(c.bytes, c.count)))
            << "bytes 1..3 " << int(c.bytes[1]) << ' ' << int(c.bytes[2]) << ' ' << int(c.bytes[3]) << ", "
            << c.count << " read";
}

class Ops : public SimTest {};

TEST_F(Ops, IdentifiesThePrinterAndReadsItsStatus) {
    ASSERT_EQ(0, darvo::ops::OpenPort({kPort, 9600}));
    EXPECT_TRUE(darvo::ops::PortOpen());
    uint8_t type = 0;
    ASSERT_EQ(0, darvo::ops::Identify(type));
    EXPECT_EQ(7, type);
    EXPECT_EQ(7, darvo::ops::IdentifiedType());

    OnPrinter([](darvosim::Printer &p) { p.status.paperOut = true; });
    darvo::ops::Status status;
    ASSERT_EQ(0, darvo::ops::ReadStatus(status));
    EXPECT_EQ(7, status.count);
    EXPECT_EQ(StatusByte(3), status.bytes[3]);
    EXPECT_TRUE(status.bits.paperOut);
    EXPECT_EQ(PrintBlocker::NoPaper, darvo::ops::PrintBlockerOf(status.bits));
}

// No port chosen: the port in use is let go and nothing else is opened.
TEST_F(Ops, NoPortChosenClosesThePortInUseAndOpensNone) {
    ASSERT_EQ(0, darvo::ops::OpenPort({kPort, 9600}));
    EXPECT_EQ(114, darvo::ops::ReopenPort({0, 9600}));
    EXPECT_FALSE(darvo::ops::PortOpen());
    EXPECT_EQ(114, darvo::ops::ReopenForPeriodReport({0, 9600}));
    EXPECT_EQ(0, darvo::ops::ReopenPort({kPort, 9600}));
    EXPECT_TRUE(darvo::ops::PortOpen());
    EXPECT_TRUE(Frames().empty());
}

// A port that is not there: the driver's code and its words, in UTF-8.
TEST_F(Ops, AMissingPortIsNamedInTheDriversWords) {
    ::setenv("DARVO_COM7", "/nonexistent/tty", 1);
    const int32_t code = darvo::ops::OpenPort({kPort, 9600});
    EXPECT_EQ(2, code);
    EXPECT_FALSE(darvo::ops::PortOpen());
    EXPECT_FALSE(darvo::ops::ErrorText(code).empty());
}

} // namespace
} // namespace darvotest
