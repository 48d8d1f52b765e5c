// The one lock of the driver. Every exported function (and every internal
// operation the user program calls through Shielded) holds it for its whole
// call, so calls from several threads run one after the other, each as it
// would alone. The thread that holds it may take it again: an exported
// function may call another, and a host callback (activity text, message
// processing, progress) may call back into the driver from inside a call.
//
// Waiting callers are served in the order they came, so a thread that calls
// in a tight loop cannot keep another out for ever. The wait itself has no
// time-out: the printer's time-outs apply to the exchange only, never to the
// time spent waiting for another caller's exchange to end.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

namespace darvo {

class DriverLock {
  public:
    void lock();
    void unlock();
    // True when the calling thread holds the lock.
    bool HeldByCaller();

  private:
    std::mutex mutex_;
    std::condition_variable turn_;
    std::thread::id owner_;
    uint32_t depth_ = 0;
    uint64_t nextTicket_ = 0; // handed to each caller that has to wait its turn
    uint64_t serving_ = 0;    // the ticket whose turn it is
};

// The driver-wide instance.
DriverLock &TheDriverLock();

} // namespace darvo
