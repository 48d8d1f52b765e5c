// Manual-reset events in the manner of the Win32 ones the port threads were
// designed around. All events share one mutex and condition variable, so a
// thread can wait for any of several events at once (WaitForAny). Each event
// also owns an eventfd that is readable while the event is set, so a thread
// blocked in poll() on a port descriptor can be released by an event too.
#pragma once

#include <chrono>
#include <cstdint>
#include <initializer_list>
#include <optional>

namespace darvo {

constexpr int WAIT_TIMEOUT_RESULT = 258; // as WAIT_TIMEOUT
constexpr int WAIT_FAILED_RESULT = -1;   // as WAIT_FAILED

class Event {
  public:
    explicit Event(bool initiallySet = false);
    ~Event();
    Event(const Event &) = delete;
    Event &operator=(const Event &) = delete;

    void Set();
    void Reset();
    bool IsSet() const;
    // Readable (POLLIN) while the event is set; -1 if no eventfd could be made.
    int Fd() const { return fd_; }

  private:
    friend int WaitForAny(std::initializer_list<const Event *>, std::optional<std::chrono::milliseconds>);
    bool set_;
    int fd_;
};

// Waits until one of the events is set and returns the index of the first set
// one, or WAIT_TIMEOUT_RESULT when the time-out (if any) passes first.
int WaitForAny(std::initializer_list<const Event *> events,
               std::optional<std::chrono::milliseconds> timeout = std::nullopt);

} // namespace darvo
