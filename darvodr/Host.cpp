#include "Host.h"
#include "Core.h"
#include "DriverLock.h"
#include "Session.h"

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
} // namespace

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
