// A test fixture that starts the emulated printer on a pseudo-terminal and
// maps a COM port number to it.
#pragma once

#include "Emulator.h"
#include "darvodr/Core.h"
#include "darvodr/Receipt.h"
#include "darvodr/Session.h"

#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace darvotest {

constexpr uint8_t kPort = 7; // COM7 is mapped to the emulator in every test

class SimTest : public ::testing::Test {
  public:
    // The driver's globals as a freshly loaded driver has them.
    static void ResetDriver() {
        darvo::SessionPort = 0;
        darvo::SessionBaudRate = 9600;
        darvo::SessionTimeout = 5;
        darvo::SessionReady = true;
        darvo::DeviceType = 9;
        darvo::ReceiptOpen = false;
        darvo::ItemCount = 0;
        darvo::ResetReceiptState();
    }

  protected:
    void StartSim(int deviceType = 7, int version = -1) {
        darvosim::EmulatorOptions options;
        options.deviceType = deviceType;
        options.version = version;
        sim = std::make_unique<darvosim::Emulator>(options);
        ASSERT_TRUE(sim->Start()) << sim->Error();
        ::setenv("DARVO_COM7", sim->SlavePath().c_str(), 1);
    }
    void SetUp() override { StartSim(); }
    void TearDown() override {
        darvo::CloseSessionPort();
        if (sim) sim->Stop();
        ::unsetenv("DARVO_COM7");
    }
    // Opens COM7 with 1-second time-outs.
    void Open(uint32_t baud = 9600, uint16_t writeS = 1, uint16_t readS = 1) {
        ASSERT_EQ(0, darvo::OpenSessionPort(kPort, baud, writeS, readS)) << darvo::LastPortErrorText();
    }
    darvosim::Printer &printer() { return sim->printer(); }
    // Frames the emulator has served, after waiting until it has served at
    // least `atLeast` frames and finished the one it is serving.
    std::vector<darvosim::Frame> Frames(int atLeast = 0) {
        sim->WaitForFrames(std::max(sim->FrameCount(), atLeast), std::chrono::seconds(3));
        return sim->log().Frames();
    }

    std::unique_ptr<darvosim::Emulator> sim;
};

inline darvosim::Bytes B(std::initializer_list<int> bytes) {
    darvosim::Bytes out;
    for (int b : bytes)
        out.push_back(static_cast<uint8_t>(b));
    return out;
}

} // namespace darvotest
