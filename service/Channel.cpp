#include "Channel.h"

#include <cerrno>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace darvo::service {

namespace {
constexpr size_t kMaxLine = 64u << 20;
}

bool Channel::Send(const Message &message) {
    const std::string line = message.dump(-1, ' ', false, Message::error_handler_t::replace) + "\n";
    size_t done = 0;
    while (done < line.size()) {
        const ssize_t n = ::send(fd_, line.data() + done, line.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

Channel::Read Channel::Receive(Message &message, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const size_t end = buffer_.find('\n');
        if (end != std::string::npos) {
            message = Message::parse(buffer_.substr(0, end), nullptr, false);
            buffer_.erase(0, end + 1);
            return message.is_discarded() || !message.is_object() ? Read::Closed : Read::Message;
        }
        int wait = -1;
        if (timeout.count() >= 0) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) return Read::TimedOut;
            wait = static_cast<int>(left.count());
        }
        pollfd p{fd_, POLLIN, 0};
        const int ready = ::poll(&p, 1, wait);
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0) return Read::Closed;
        if (ready == 0) continue;
        char chunk[65536];
        const ssize_t n = ::read(fd_, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return Read::Closed;
        buffer_.append(chunk, static_cast<size_t>(n));
        if (buffer_.size() > kMaxLine) return Read::Closed;
    }
}

} // namespace darvo::service
