// The port layer on pseudo-terminals: opening, exclusive access, line
// settings, one-byte transfers with their time-outs, line errors, closing.
#include "SimFixture.h"
#include "darvodr.h"

#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

using namespace darvo;
using namespace darvotest;
using namespace std::chrono;

namespace {

// A port object configured as the session would, on COM7.
std::unique_ptr<TComm> MakePort(uint32_t baud = 9600, uint16_t writeS = 1, uint16_t readS = 1) {
    auto port = std::make_unique<TComm>();
    port->portName = "Com7";
    port->baudRate = baud;
    port->writeTimeout = writeS;
    port->readTimeout = readS;
    return port;
}

class PortTest : public SimTest {};

// A port whose CTS line reads inactive for its first `inactiveReads` reads
// of the modem lines (-1: always), as a USB adapter's with the printer
// switched off at its end.
class CtsPort : public TComm {
  public:
    explicit CtsPort(int inactiveReads) : inactiveReads_(inactiveReads) {}
    int ReadModemLines(int &lines) override {
        lines = (inactiveReads_ < 0 || reads_++ < inactiveReads_) ? 0 : TIOCM_CTS;
        return 0;
    }

  private:
    int inactiveReads_, reads_ = 0;
};

} // namespace

TEST_F(PortTest, PortHeldByAnotherProgramGivesCode5) {
    int other = ::open(sim->SlavePath().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(other, 0);
    ASSERT_EQ(0, ::flock(other, LOCK_EX | LOCK_NB));
    EXPECT_FALSE(ProbePort(kPort));
    auto port = MakePort();
    EXPECT_EQ(5u, port->Connect());
    EXPECT_EQ("Zabroniony dostęp do urządzenia.", LastPortErrorText());
    EXPECT_FALSE(port->IsOpen());
    ::close(other);
    EXPECT_TRUE(ProbePort(kPort));
    EXPECT_EQ(0u, port->Connect());
    EXPECT_FALSE(ProbePort(kPort)); // nor is our own open port
    port->Disconnect();
    EXPECT_TRUE(ProbePort(kPort));
}

TEST(PortProbe, LeavesAPortAnotherProgramHoldsAsItFoundIt) {
    // The other program reads lines at 4800 b/s, echoing what comes in, and
    // has half a line waiting; it holds the port without a lock.
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(0, ::grantpt(master));
    ASSERT_EQ(0, ::unlockpt(master));
    const std::string slave = ::ptsname(master);
    const int other = ::open(slave.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(other, 0);
    termios before{};
    ASSERT_EQ(0, ::tcgetattr(other, &before));
    before.c_lflag |= ICANON | ECHO;
    ::cfsetspeed(&before, B4800);
    ASSERT_EQ(0, ::tcsetattr(other, TCSANOW, &before));
    ASSERT_EQ(0, ::tcgetattr(other, &before));
    ASSERT_EQ(3, ::write(master, "abc", 3));
    char echo[3];
    for (ssize_t got = 0; got < 3;) { // echoed: the line has taken it in
        pollfd echoed{master, POLLIN, 0};
        ASSERT_EQ(1, ::poll(&echoed, 1, 1000));
        got += std::max<ssize_t>(::read(master, echo + got, 3 - got), 0);
    }

    ::setenv("DARVO_COM8", slave.c_str(), 1);
    EXPECT_TRUE(ProbePort(8));
    ::unsetenv("DARVO_COM8");
    termios after{};
    ASSERT_EQ(0, ::tcgetattr(other, &after));
    EXPECT_EQ(0, std::memcmp(&before, &after, sizeof before));
    // A change of mode, even one undone, would have ended the half line.
    char line[8];
    EXPECT_EQ(-1, ::read(other, line, sizeof line));
    EXPECT_EQ(EAGAIN, errno);
    ::close(other);
    ::close(master);
}

TEST_F(PortTest, LineSettingsAtEverySpeedAndCloseRestoresThem) {
    termios before{};
    ASSERT_EQ(0, ::tcgetattr(sim->SlaveDescriptor(), &before));
    const uint32_t speedBefore = sim->LineSpeed();
    for (uint32_t baud : {9600u, 19200u, 28800u}) {
        auto port = MakePort(baud);
        ASSERT_EQ(0u, port->Connect()) << LastPortErrorText();
        EXPECT_EQ(baud, sim->LineSpeed());
        termios tio{};
        ASSERT_EQ(0, ::tcgetattr(sim->SlaveDescriptor(), &tio));
        EXPECT_EQ(CS8, tio.c_cflag & CSIZE);
        // (A pseudo-terminal forces 8 bits without parity, so parity cannot be seen here.)
        EXPECT_FALSE(tio.c_cflag & CSTOPB);
        EXPECT_TRUE(tio.c_cflag & CRTSCTS);
        EXPECT_FALSE(tio.c_lflag & (ICANON | ECHO | ISIG));
        EXPECT_FALSE(tio.c_iflag & (IXON | IXOFF | ICRNL | INPCK));
        EXPECT_FALSE(tio.c_oflag & OPOST);
        int excl = 0;
        ASSERT_EQ(0, ::ioctl(sim->SlaveDescriptor(), TIOCGEXCL, &excl));
        EXPECT_EQ(1, excl);
        port->Disconnect();
        ASSERT_EQ(0, ::ioctl(sim->SlaveDescriptor(), TIOCGEXCL, &excl));
        EXPECT_EQ(0, excl);
        ASSERT_EQ(0, ::tcgetattr(sim->SlaveDescriptor(), &tio));
        EXPECT_EQ(before.c_cflag, tio.c_cflag);
        EXPECT_EQ(speedBefore, sim->LineSpeed());
        EXPECT_EQ(0u, port->Disconnect()); // closed: nothing to do
    }
}

TEST_F(PortTest, LineLeftSetUpByAProgramThatDiedStillOpens) {
    // A program killed while it held the port leaves the line in the port's
    // own settings; the pseudo-terminal then takes every setting but parity.
    termios configured{};
    {
        auto port = MakePort();
        ASSERT_EQ(0u, port->Connect());
        ASSERT_EQ(0, ::tcgetattr(sim->SlaveDescriptor(), &configured));
    }
    ASSERT_EQ(0, ::tcsetattr(sim->SlaveDescriptor(), TCSANOW, &configured));
    EXPECT_TRUE(ProbePort(kPort));
    auto port = MakePort();
    EXPECT_EQ(0u, port->Connect()) << LastPortErrorText();
    EXPECT_EQ("", LastPortErrorText());
}

TEST_F(PortTest, ReadTimesOutWithItsText) {
    for (uint16_t readS : {1, 0}) { // zero returns at once
        auto port = MakePort(9600, 1, readS);
        ASSERT_EQ(0u, port->Connect());
        uint8_t byte = 0;
        auto start = steady_clock::now();
        EXPECT_FALSE(ReceiveByte(byte));
        auto took = steady_clock::now() - start;
        EXPECT_TRUE(TransferFailed);
        EXPECT_EQ("Timeout odczytu.", LastPortErrorText());
        EXPECT_GE(took, milliseconds(950 * readS));
        EXPECT_LT(took, seconds(readS) + Scaled(milliseconds(300)));
    }
}

TEST_F(PortTest, HeldBackByteTimesOutAndIsDropped) {
    // Output suspended as by an inactive CTS line: the byte never leaves. A
    // write time-out of zero would mean "wait for ever": it must end too.
    for (uint16_t writeS : {1, 0}) {
        auto port = MakePort(9600, writeS, writeS);
        ASSERT_EQ(0u, port->Connect());
        ASSERT_EQ(0, ::tcflow(sim->SlaveDescriptor(), TCOOFF));
        auto start = steady_clock::now();
        EXPECT_FALSE(SendByte(0x1B));
        EXPECT_GE(steady_clock::now() - start, milliseconds(950 * writeS));
        EXPECT_LT(steady_clock::now() - start, seconds(1) + Scaled(milliseconds(300))); // zero: one second
        EXPECT_TRUE(TransferFailed);
        EXPECT_EQ("Timeout zapisu.", LastPortErrorText());
        ASSERT_EQ(0, ::tcflow(sim->SlaveDescriptor(), TCOON));
    }
    // The dropped bytes are not sent late: the next exchange is the first frame.
    ASSERT_EQ(0, OpenSessionPort(kPort, 9600, 1, 1));
    uint8_t answer[256] = {};
    EXPECT_EQ(0, RSSequence(0x23, 1, 0, answer, nullptr));
    auto frames = Frames();
    ASSERT_EQ(1u, frames.size());
    EXPECT_EQ(B({0x1B, 0x23}), frames[0].fromHost);
}

TEST_F(PortTest, InactiveCtsGivesTheWriteTimeout) {
    // Read before each byte: a byte an adapter would take and hold in its
    // chip is never handed over while CTS is inactive.
    const struct {
        int inactiveReads;
        int32_t result;
        const char *text;
        darvosim::Bytes sent;
    } cases[] = {
        {-1, 20, "Timeout zapisu.", {}}, // switched off: nothing goes out
        {3, 0, "", B({0x1B, 0x23})},     // back within the time-out
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.inactiveReads);
        sim->log().Clear();
        CtsPort port(c.inactiveReads);
        port.portName = "Com7";
        port.writeTimeout = 1;
        ASSERT_EQ(0u, port.Connect());
        uint8_t answer[256];
        EXPECT_EQ(c.result, RSSequence(0x23, 1, 0, answer, nullptr));
        EXPECT_EQ(c.text, LastPortErrorText());
        const auto frames = Frames(c.sent.empty() ? 0 : 1);
        EXPECT_EQ(c.sent, frames.empty() ? darvosim::Bytes{} : frames[0].fromHost);
    }
}

// A long wait for a byte, either way, runs the wait hook between its slices
// with the port let go: a hook that closes the port ends the wait at once.
TEST_F(PortTest, WaitHookRunsBetweenSlicesWithThePortLetGo) {
    static TComm *port = nullptr;
    static int calls = 0;
    const struct {
        const char *wait;
        bool write;
        int ctsInactiveReads; // -1: CTS always inactive
        bool outputHeld;
        const char *text;
    } cases[] = {
        {"an answer", false, 0, false, "Przerwany zapis "},
        {"CTS", true, -1, false, "Zapis przerwany."},
        {"the output queue", true, 0, true, "Zapis przerwany."},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.wait);
        CtsPort owned(c.ctsInactiveReads);
        owned.portName = "Com7";
        owned.writeTimeout = owned.readTimeout = 1;
        port = &owned;
        ASSERT_EQ(0u, port->Connect());
        if (c.outputHeld) {
            ASSERT_EQ(0, ::tcflow(sim->SlaveDescriptor(), TCOOFF));
        }
        calls = 0;
        const WaitHook previous = SetWaitHook([] {
            if (++calls == 3) port->Disconnect();
        });
        uint8_t byte = 0x1B;
        const bool done = c.write ? SendByte(byte) : ReceiveByte(byte);
        SetWaitHook(previous);
        ::tcflow(sim->SlaveDescriptor(), TCOON);
        EXPECT_FALSE(done);
        EXPECT_EQ(3, calls);
        EXPECT_EQ(c.text, LastPortErrorText());
    }
}

TEST_F(PortTest, LineErrorsReportedInTheirOrder) {
    auto port = MakePort();
    ASSERT_EQ(0u, port->Connect());
    port->InjectLineErrors(CE_OVERRUN | CE_RXPARITY);
    ASSERT_TRUE(port->WaitCommEventPosted(Scaled(seconds(2))));
    EXPECT_TRUE(port->ProcessCommEvents());
    EXPECT_EQ("Urządzenie wykryło błąd parzystości (CE_RXPARITY).", LastPortErrorText());
    EXPECT_EQ(4u, LastPortErrorCode());

    port->InjectLineErrors(CE_BREAK | CE_FRAME | CE_TXFULL);
    ASSERT_TRUE(port->WaitCommEventPosted(Scaled(seconds(2))));
    port->ProcessCommEvents();
    EXPECT_EQ("Zapełniony bufor wyjściowy (CE_TXFULL).", LastPortErrorText());
    EXPECT_EQ(256u, LastPortErrorCode()); // latched until the port is opened again: ExchangeTest

    // A close while a line error waits for its dispatch: the event thread
    // must not hold it up.
    port->InjectLineErrors(CE_FRAME);
    ASSERT_TRUE(port->WaitCommEventPosted(Scaled(seconds(2))));
    auto start = steady_clock::now();
    port->Disconnect();
    EXPECT_LT(steady_clock::now() - start, Scaled(milliseconds(300)));
}

TEST_F(PortTest, WaitingBytesComeOneACallAndAPurgeDropsTheRest) {
    // The answer is all in the input queue before the first byte is asked
    // for; a purge after one byte leaves nothing to read.
    auto port = MakePort(9600, 1, 0);
    ASSERT_EQ(0u, port->Connect());
    sim->Script(0x23, darvosim::Scripted{{0x06, 0x41, 0x42, 0x43}});
    ASSERT_TRUE(SendByte(0x1B));
    ASSERT_TRUE(SendByte(0x23));
    // Until the whole answer waits in the input queue (shared by every
    // descriptor of the line).
    int waiting = 0;
    for (auto end = steady_clock::now() + seconds(3); waiting < 4 && steady_clock::now() < end;
         std::this_thread::yield())
        ASSERT_EQ(0, ::ioctl(sim->SlaveDescriptor(), FIONREAD, &waiting));
    ASSERT_EQ(4, waiting);
    uint8_t byte = 0;
    ASSERT_TRUE(ReceiveByte(byte));
    EXPECT_EQ(0x06, byte);
    ASSERT_TRUE(ReceiveByte(byte));
    EXPECT_EQ(0x41, byte);
    EXPECT_EQ(0u, port->PurgeInput());
    EXPECT_FALSE(ReceiveByte(byte));
    EXPECT_TRUE(TransferFailed);
    EXPECT_EQ("Timeout odczytu.", LastPortErrorText());
}
