// Calls from the driver up into the program that hosts it. The user program
// installs its own host; a driver loaded by any other program gets the
// defaults: nothing shown, nothing processed, the session's own port and
// speed, and internal display row buffers.
#pragma once

#include <cstdint>
#include <string>

namespace darvo {

constexpr int kDisplayRows = 64;
constexpr int kDisplayRowBytes = 25;
using DisplayRows = uint8_t[kDisplayRows][kDisplayRowBytes];

class DriverHost {
  public:
    virtual ~DriverHost() = default;
    // Progress text of the running operation (Windows-1250); empty clears it.
    virtual void ShowActivityMessage(const std::string &text);
    // Lets the host's window process its pending messages: between the
    // status polls of the print monitoring, and inside every wait for a
    // byte, from the printer or to it, that lasts longer than a slice
    // (25 ms). Inside a byte wait an exchange is half done: the host must
    // not call the driver then (InsideByteWait tells).
    virtual void Processmessages();
    // The port and speed the user selected; false: use the session's own.
    virtual bool SelectedPortAndSpeed(int32_t &port, int32_t &speed);
    // Progress of the clock initialisation while a PEXA printer erases its
    // memory: a text (Windows-1250) and a position 0..100.
    virtual void ClockInitProgress(const std::string &text, int position);
    // Rows sent to the customer display, and rows read back from it.
    virtual DisplayRows &DisplayBuffer();
    virtual DisplayRows &DisplayReadBuffer();

  private:
    DisplayRows display_{};
    DisplayRows displayRead_{};
};

// The host in force (never null); passing null restores the defaults.
// Its callbacks run on the thread of the driver call that makes them, with
// the driver lock held: they may call the driver again on that thread, but
// must not wait for another thread that calls the driver. SetDriverHost
// waits until no other thread is inside a call.
DriverHost &Host();
void SetDriverHost(DriverHost *host);

// True while the calling thread's host processes its messages inside a
// wait for a printer's byte.
bool InsideByteWait();

// Shorthands used throughout the driver.
inline void ShowActivityMessage(const std::string &text) {
    Host().ShowActivityMessage(text);
}
inline void Processmessages() {
    Host().Processmessages();
}

} // namespace darvo
