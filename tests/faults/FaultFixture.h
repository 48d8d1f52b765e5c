// The emulated printer behind a link (so that a removed device can vanish
// and be plugged in again), a started session with 1-second time-outs, and
// the recovery a point-of-sale program does after a failed call.
#pragma once

#include "SimFixture.h"
#include "darvodr/Receipt.h"
#include "darvodr/Session.h"
#include "darvodr/darvodr.h"

#include <algorithm>
#include <chrono>
#include <vector>
#include <dirent.h>
#include <functional>
#include <string>
#include <unistd.h>

namespace darvotest {

inline double SecondsSince(std::chrono::steady_clock::time_point t) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
}

// Open descriptors of this process.
inline std::vector<std::string> OpenDescriptors() {
    std::vector<std::string> list;
    if (DIR *d = ::opendir("/proc/self/fd")) {
        while (dirent *e = ::readdir(d)) {
            char target[256] = {};
            const std::string path = std::string("/proc/self/fd/") + e->d_name;
            ::readlink(path.c_str(), target, sizeof target - 1);
            if (e->d_name[0] != '.') list.push_back(target);
        }
        ::closedir(d);
    }
    std::sort(list.begin(), list.end());
    return list;
}

class FaultTest : public ::testing::Test {
  protected:
    void SetUp() override { ::setenv("DARVO_COM7", link_.c_str(), 1); }
    void TearDown() override {
        StopSim();
        ::unsetenv("DARVO_COM7");
    }
    // A fresh printer of `deviceType` and a session with it (1-second time-outs).
    void StartSession(int deviceType = 7) {
        StopSim();
        SimTest::ResetDriver();
        darvosim::EmulatorOptions options;
        options.deviceType = deviceType;
        options.linkPath = link_;
        sim = std::make_unique<darvosim::Emulator>(options);
        // The port sees a framing error the moment the fault strikes (the
        // driver waits for the printer's byte then, so its port is there).
        sim->SetLineErrorHook([] {
            if (darvo::TComm *port = darvo::CurrentPort()) port->InjectLineErrors(darvo::CE_FRAME);
        });
        ASSERT_TRUE(sim->Start()) << sim->Error();
        sentBefore_ = darvo::BytesSent();
        ASSERT_EQ(0, CommunicationInit(kPort, 9600, 1));
    }
    void StopSim() {
        CommunicationEnd();
        darvo::CloseSessionPort();
        if (sim) sim->Stop();
        sim.reset();
    }
    // Waits until the printer has taken everything sent so far: a frame it
    // refuses at once (command 0, not the driver's) comes back only after all
    // earlier ones were served.
    void Sync() {
        darvo::SendSequence(0x00, 1, 0, nullptr, nullptr);
        sim->WaitForFrames(sim->FrameCount(), Scaled(std::chrono::seconds(3)));
    }
    // The wire bytes of a clean run of `body`, which must succeed.
    std::vector<darvosim::WireEntry> CleanBytes(const std::function<int32_t()> &body) {
        Sync();
        const size_t mark = sim->log().Entries().size();
        EXPECT_EQ(0, body()) << "clean run";
        Sync(); // its frame is the last one
        const int syncFrame = sim->FrameCount();
        std::vector<darvosim::WireEntry> entries = sim->log().Entries();
        entries.erase(entries.begin(), entries.begin() + mark);
        entries.erase(
            std::find_if(entries.begin(), entries.end(), [&](auto &e) { return e.frame == syncFrame; }),
            entries.end());
        return entries;
    }
    // What a point-of-sale program does after a failure: the printer is
    // plugged in (or switched on) again, the session restarted, a receipt the
    // driver still holds cancelled. The session start's first command ends
    // a receipt the printer holds open.
    void Recover() {
        // A call that gave up on a frame halfway (a garbled acknowledgement,
        // a line error) may return before the printer has even read all of
        // it, and the printer then still waits for the frame's parameters:
        // the program tries again once the printer has given up on them.
        if (!sim->LineClosed()) sim->WaitForIdle(darvo::BytesSent() - sentBefore_, std::chrono::seconds(5));
        if (sim->LineClosed()) {
            ASSERT_TRUE(sim->Replug()) << sim->Error();
        }
        // Bytes written to a line that was gone never reach the printer.
        sentBefore_ = darvo::BytesSent() - sim->HostBytes();
        sim->ClearFault();
        ASSERT_EQ(0, CommunicationInit(kPort, 9600, 1));
        // A receipt whose total the printer was told (and which a session
        // start therefore cannot end) is refused a cancel with the driver's
        // totals, which the start emptied: closing it with a total that does
        // not match makes the printer cancel it.
        if (darvo::ReceiptOpen && ReceiptCancel() == darvo::RC_NAK) ReceiptEnd(0);
        ASSERT_FALSE(darvo::ReceiptOpen);
    }
    darvosim::SalesState Sales() {
        std::lock_guard<std::recursive_mutex> lock(sim->printer().mutex);
        return sim->printer().sales;
    }

    std::unique_ptr<darvosim::Emulator> sim;
    const ScratchDir scratch_;
    const std::string dir_ = scratch_.path(), link_ = scratch_ / "com7";
    uint64_t sentBefore_ = 0; // bytes the driver had sent when the printer's count began
};

} // namespace darvotest
