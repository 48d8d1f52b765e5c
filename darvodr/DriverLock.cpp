#include "DriverLock.h"

namespace darvo {

void DriverLock::lock() {
    const std::thread::id self = std::this_thread::get_id();
    std::unique_lock<std::mutex> guard(mutex_);
    if (depth_ > 0 && owner_ == self) {
        ++depth_; // a call from inside a call of the same thread
        return;
    }
    const uint64_t ticket = nextTicket_++;
    turn_.wait(guard, [&] { return depth_ == 0 && serving_ == ticket; });
    owner_ = self;
    depth_ = 1;
}

void DriverLock::unlock() {
    std::unique_lock<std::mutex> guard(mutex_);
    if (depth_ == 0 || owner_ != std::this_thread::get_id()) return; // not ours to release
    if (--depth_ > 0) return;
    owner_ = std::thread::id();
    ++serving_;
    const bool othersWait = serving_ != nextTicket_;
    guard.unlock();
    if (othersWait) turn_.notify_all();
}

bool DriverLock::HeldByCaller() {
    std::lock_guard<std::mutex> guard(mutex_);
    return depth_ > 0 && owner_ == std::this_thread::get_id();
}

DriverLock &TheDriverLock() {
    // Never destroyed: a host thread may still call in while the process
    // runs its exit handlers.
    static DriverLock *const lock = new DriverLock;
    return *lock;
}

} // namespace darvo
