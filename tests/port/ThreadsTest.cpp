// Calls from several threads at once: they run one after the other, each
// with the result it would have alone, and only whole frames reach the
// printer. Calls from inside a call, on the same thread, run at once.
#include "SimFixture.h"
#include "darvodr.h"
#include "darvodr/DriverLock.h"
#include "darvodr/Host.h"

#include <atomic>
#include <chrono>
#include <map>
#include <set>
#include <thread>

using namespace darvotest;
using darvosim::Scripted;

namespace {

// A command of the test's own: ACK and two data bytes, then three parameters.
constexpr uint8_t kRaw = 0x40;
const uint8_t kRawParams[3] = {0x01, 0x02, 0x03};

// The raw command through RSSequence; a success must carry its own answer.
int32_t Raw() {
    uint8_t answer[256] = {};
    int32_t rc = RSSequence(kRaw, 3, 3, answer, kRawParams);
    if (rc == 0 && (answer[0] != 0x11 || answer[1] != 0x22)) return -1;
    return rc;
}

class ThreadsTest : public SimTest {
  protected:
    void SetUp() override {
        SimTest::SetUp();
        sim->Script(kRaw, Scripted{B({0x06, 0x11, 0x22}), 3, {}, false, -1});
    }
    // Every frame the emulator served is whole: the raw command with its
    // parameters and its answer, every other one a command byte alone
    // (the driver's own queries send no parameters) with an answer.
    void ExpectWholeFrames() {
        for (const darvosim::WireEntry &e : sim->log().Entries())
            ASSERT_NE(0, e.frame) << "a byte outside any frame\n" << sim->log().Text();
        for (const darvosim::Frame &f : Frames()) {
            if (f.command == kRaw) {
                ASSERT_EQ(B({0x1B, kRaw, 1, 2, 3}), f.fromHost) << "frame " << f.number;
                ASSERT_EQ(B({0x06, 0x11, 0x22}), f.fromPrinter) << "frame " << f.number;
            } else {
                ASSERT_EQ(2u, f.fromHost.size()) << "frame " << f.number;
                ASSERT_FALSE(f.fromPrinter.empty()) << "frame " << f.number;
            }
        }
    }
};

// A till program's threads: one sends raw sequences, one ends and restarts
// the session, one reads the receipt number, all at once for two seconds.
TEST_F(ThreadsTest, ConcurrentCallsRunOneAfterTheOther) {
    ASSERT_EQ(0, CommunicationInit(kPort, 9600, 5));
    int32_t expectedNumber = -1;
    ASSERT_EQ(0, ReceiptNumber(&expectedNumber));

    using Results = std::map<int32_t, int>; // result code -> how often
    Results raw, restart, number;
    std::atomic<int> wrongNumbers{0};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    auto until = [&](auto body) {
        return std::thread([&, body] {
            while (std::chrono::steady_clock::now() < deadline)
                body();
        });
    };
    std::thread a = until([&] { ++raw[Raw()]; });
    std::thread b = until([&] {
        ++restart[CommunicationEnd()];
        ++restart[CommunicationInit(kPort, 9600, 5)];
    });
    std::thread c = until([&] {
        int32_t n = -1;
        int32_t rc = ReceiptNumber(&n);
        if (rc == 0 && n != expectedNumber) ++wrongNumbers;
        ++number[rc];
    });
    a.join();
    b.join();
    c.join();

    // Between an end and the next start the others find the session closed
    // (the port closed, no port set); otherwise they succeed. Each thread
    // got its turn.
    auto only = [](const Results &r, std::set<int32_t> allowed) {
        for (auto [rc, count] : r)
            EXPECT_TRUE(allowed.count(rc)) << "result " << rc << " (" << count << " times)";
    };
    only(raw, {0, 20});
    only(restart, {0});
    only(number, {0, 114});
    EXPECT_GT(raw[0], 0);
    EXPECT_GT(restart[0], 0);
    EXPECT_GT(number[0], 0);
    EXPECT_EQ(0, wrongNumbers.load());
    ExpectWholeFrames();

    // A fresh session works as ever.
    ASSERT_EQ(0, CommunicationEnd());
    ASSERT_EQ(0, CommunicationInit(kPort, 9600, 5));
    int32_t n = -1;
    EXPECT_EQ(0, ReceiptNumber(&n));
    EXPECT_EQ(expectedNumber, n);
    EXPECT_EQ(0, Raw());
    ExpectWholeFrames();
}

// A host whose progress text calls the driver again, once, from inside the
// call that shows it.
class ReenteringHost : public darvo::DriverHost {
  public:
    void ShowActivityMessage(const std::string &text) override {
        if (entered || text.empty()) return;
        entered = true;
        heldInside = darvo::TheDriverLock().HeldByCaller();
        nestedRaw = Raw();
        nestedName = DeviceName(name);
    }
    bool entered = false, heldInside = false;
    int32_t nestedRaw = -1, nestedName = -1;
    std::string name;
};

TEST_F(ThreadsTest, HostCallbackMayCallTheDriverAgain) {
    ASSERT_EQ(0, CommunicationInit(kPort, 9600, 5));
    int32_t expectedNumber = -1;
    ASSERT_EQ(0, ReceiptNumber(&expectedNumber));
    sim->log().Clear();

    ReenteringHost host;
    darvo::SetDriverHost(&host);
    int32_t n = -1;
    const int32_t rc = ReceiptNumber(&n);
    darvo::SetDriverHost(nullptr);

    EXPECT_EQ(0, rc);
    EXPECT_EQ(expectedNumber, n);
    ASSERT_TRUE(host.entered);
    EXPECT_TRUE(host.heldInside); // callbacks run under the caller's lock
    EXPECT_EQ(0, host.nestedRaw);
    EXPECT_EQ(0, host.nestedName);
    EXPECT_EQ("DARVO PEXA", host.name);
    EXPECT_FALSE(darvo::TheDriverLock().HeldByCaller()); // released by both calls
    // The nested sequence went out whole, before the outer call's own commands.
    const auto frames = Frames();
    ASSERT_GE(frames.size(), 2u);
    EXPECT_EQ(kRaw, frames[0].command);
    EXPECT_EQ(0xFF, frames[1].command);
    ExpectWholeFrames();
}

} // namespace
