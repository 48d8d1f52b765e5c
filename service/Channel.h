// The line between the service and a printer's worker: one JSON document a
// line over a socket pair.
#pragma once

#include <nlohmann/json.hpp>

#include <chrono>
#include <string>

namespace darvo::service {

// Documents keep their members in order, as the answers show them.
using Message = nlohmann::ordered_json;

class Channel {
  public:
    explicit Channel(int fd = -1) : fd_(fd) {}
    int fd() const { return fd_; }
    void Reset(int fd) {
        fd_ = fd;
        buffer_.clear();
    }
    // False when the other side is gone.
    bool Send(const Message &message);
    enum class Read { Message, Closed, TimedOut };
    // The next document; a line that is not JSON ends the line (Closed).
    // A negative timeout waits for ever.
    Read Receive(Message &message, std::chrono::milliseconds timeout = std::chrono::milliseconds(-1));

  private:
    int fd_;
    std::string buffer_;
};

} // namespace darvo::service
