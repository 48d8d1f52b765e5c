// A started session with the emulated printer, the driver's receipt state
// emptied before and after every case, and helpers for the wire log.
#pragma once

#include "SimFixture.h"
#include "darvodr/Counters.h"
#include "darvodr/Receipt.h"
#include "darvodr/Session.h"
#include "darvodr/TaxRates.h"
#include "darvodr/darvodr.h"

#include <string>
#include <vector>

namespace darvotest {

class SalesTest : public SimTest {
  protected:
    static constexpr uint8_t kSyncCommand = 0x00;
    void SetUp() override {} // each case starts the model it needs with Start()
    // The emulator as `deviceType` (replacing a running one), a started
    // session with 1-second time-outs, an empty wire log.
    void Start(int deviceType = 7) {
        CommunicationEnd();
        ResetDriver();
        StartSim(deviceType);
        ASSERT_EQ(0, CommunicationInit(kPort, 9600, 1));
        ClearLog();
    }
    // The same with a receipt begun.
    void StartReceipt(int deviceType = 7) {
        Start(deviceType);
        ASSERT_EQ(0, ReceiptBegin());
    }
    // Commands without an answer may still be on their way when the driver
    // returns: a frame the printer refuses at once (command 0, not the
    // driver's) comes back only after all of them were served.
    void Sync() {
        darvo::SendSequence(kSyncCommand, 1, 0, nullptr, nullptr);
        Frames();
    }
    void ClearLog() {
        Sync();
        sim->log().Clear();
    }
    // The frames served, without the synchronising ones.
    std::vector<darvosim::Frame> Served() {
        Sync();
        std::vector<darvosim::Frame> out;
        for (const darvosim::Frame &f : sim->log().Frames())
            if (f.command != kSyncCommand) out.push_back(f);
        return out;
    }
    darvosim::SalesState Sales() {
        Sync();
        std::lock_guard<std::recursive_mutex> lock(printer().mutex);
        return printer().sales;
    }
    // What the host sent in each frame of `command` (ESC and command byte included).
    std::vector<darvosim::Bytes> Sent(uint8_t command) {
        std::vector<darvosim::Bytes> out;
        for (const darvosim::Frame &f : Served())
            if (f.command == command) out.push_back(f.fromHost);
        return out;
    }
    darvosim::Bytes Commands() {
        darvosim::Bytes out;
        for (const darvosim::Frame &f : Served())
            out.push_back(f.command);
        return out;
    }
    darvosim::Bytes FirstCommands(size_t n) { // fewer when fewer were served
        const darvosim::Bytes all = Commands();
        return darvosim::Bytes(all.begin(), all.begin() + std::min(n, all.size()));
    }
    std::string Roll() {
        Sync();
        std::lock_guard<std::recursive_mutex> lock(printer().mutex);
        return printer().roll.Text();
    }
    // A sale line with the computed value.
    int32_t Sell(const std::string &name, int rate, uint32_t quantity, int mp, uint32_t price) {
        uint32_t value = 0;
        return ReceiptItem(1, name, rate, 0, quantity, mp, "szt", price, value);
    }
};

// The ESC, the command and its parameters as one byte string.
inline darvosim::Bytes Frame(uint8_t command, const darvosim::Bytes &params = {}) {
    darvosim::Bytes out{0x1B, command};
    out.insert(out.end(), params.begin(), params.end());
    return out;
}

inline darvosim::Bytes Le32(uint32_t v) {
    return {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
}

inline darvosim::Bytes Text(const std::string &s) {
    return darvosim::Bytes(s.begin(), s.end());
}

inline darvosim::Bytes Cat(std::initializer_list<darvosim::Bytes> parts) {
    darvosim::Bytes out;
    for (const auto &p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

} // namespace darvotest
