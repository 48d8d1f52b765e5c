// The emulated printer plus the driver's session state, put back to its
// values at load before and after every case.
#pragma once

#include "SimFixture.h"
#include "darvodr/Session.h"

#include <functional>

namespace darvotest {

class SessionTest : public SimTest {
  protected:
    void SetUp() override {
        ResetDriver();
        SimTest::SetUp();
    }
    void TearDown() override {
        SimTest::TearDown();
        ResetDriver();
    }
    // The port open and the session ready, as the user program holds it.
    void OpenReady() {
        Open();
        darvo::SessionReady = true;
    }
    // Changes the printer's state as its operator would.
    void Printer(const std::function<void(darvosim::Printer &)> &change) {
        Frames(); // the frame being served finishes first
        std::lock_guard<std::recursive_mutex> lock(printer().mutex);
        change(printer());
    }
    // Status byte n as the printer keeps it, once it has finished serving.
    uint8_t StatusByte(int n) {
        Frames();
        std::lock_guard<std::recursive_mutex> lock(printer().mutex);
        return printer().StatusByte(n);
    }
    // The command bytes of every frame served, once at least `atLeast` were.
    darvosim::Bytes Commands(int atLeast) {
        Frames(atLeast);
        return sim->log().Commands();
    }
};

} // namespace darvotest
