#include "Event.h"

#include <condition_variable>
#include <mutex>
#include <sys/eventfd.h>
#include <unistd.h>

namespace darvo {

namespace {
// Never destroyed: a thread still waiting when the process ends would make
// the destruction of the condition variable wait for ever.
std::mutex &EventMutex() {
    static std::mutex *m = new std::mutex;
    return *m;
}
std::condition_variable &EventCondition() {
    static std::condition_variable *cv = new std::condition_variable;
    return *cv;
}
} // namespace

Event::Event(bool initiallySet) : set_(false), fd_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
    if (initiallySet) Set();
}

Event::~Event() {
    if (fd_ >= 0) ::close(fd_);
}

void Event::Set() {
    {
        std::lock_guard<std::mutex> lock(EventMutex());
        if (!set_ && fd_ >= 0) {
            uint64_t one = 1;
            [[maybe_unused]] ssize_t n = ::write(fd_, &one, sizeof one);
        }
        set_ = true;
    }
    EventCondition().notify_all();
}

void Event::Reset() {
    std::lock_guard<std::mutex> lock(EventMutex());
    if (set_ && fd_ >= 0) {
        uint64_t value;
        [[maybe_unused]] ssize_t n = ::read(fd_, &value, sizeof value);
    }
    set_ = false;
}

bool Event::IsSet() const {
    std::lock_guard<std::mutex> lock(EventMutex());
    return set_;
}

int WaitForAny(std::initializer_list<const Event *> events,
               std::optional<std::chrono::milliseconds> timeout) {
    std::unique_lock<std::mutex> lock(EventMutex());
    auto firstSet = [&]() -> int {
        int i = 0;
        for (const Event *e : events) {
            if (e && e->set_) return i;
            ++i;
        }
        return -1;
    };
    int index = -1;
    if (timeout) {
        auto deadline = std::chrono::steady_clock::now() + *timeout;
        if (!EventCondition().wait_until(lock, deadline, [&] { return (index = firstSet()) >= 0; }))
            return WAIT_TIMEOUT_RESULT;
    } else {
        EventCondition().wait(lock, [&] { return (index = firstSet()) >= 0; });
    }
    return index;
}

} // namespace darvo
