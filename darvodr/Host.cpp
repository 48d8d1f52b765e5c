#include "Host.h"
#include "Core.h"
#include "DriverLock.h"

#include <mutex>

namespace darvo {

void DriverHost::ShowActivityMessage(const std::string &) {}

void DriverHost::Processmessages() {
    // Without a window there are no messages; port events still get their turn.
    if (ThePort) ThePort->ProcessCommEvents();
}

bool DriverHost::SelectedPortAndSpeed(int32_t &, int32_t &) {
    return false;
}

void DriverHost::ClockInitProgress(const std::string &, int) {}

DisplayRows &DriverHost::DisplayBuffer() {
    return display_;
}

DisplayRows &DriverHost::DisplayReadBuffer() {
    return displayRead_;
}

namespace {
DriverHost defaultHost;
DriverHost *currentHost = &defaultHost;

// Set while this thread's host processes its messages inside a wait for a
// printer's byte.
thread_local bool insideByteWait = false;

// A long wait for a byte lets the host process its messages between the
// slices of the wait, as the print monitoring does between its polls.
void LetHostWork() {
    if (insideByteWait) return; // a wait inside the host's own work: no deeper
    insideByteWait = true;
    Host().Processmessages();
    insideByteWait = false;
}

const bool waitHookInstalled = (SetWaitHook(&LetHostWork), true);
} // namespace

bool InsideByteWait() {
    return insideByteWait;
}

DriverHost &Host() {
    return *currentHost;
}

void SetDriverHost(DriverHost *host) {
    // Not in the middle of another thread's call: once this returns, no call
    // uses the host it replaced.
    std::lock_guard<DriverLock> lock(TheDriverLock());
    currentHost = host ? host : &defaultHost;
}

} // namespace darvo
