#include "HttpServer.h"

#include "Log.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace darvo::service {

namespace {

using Clock = std::chrono::steady_clock;

int MillisecondsUntil(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left <= 0 ? 0 : static_cast<int>(std::min<long long>(left, 60000));
}

// Waits for `events` on the socket until the deadline; false on time-out.
bool WaitFor(int fd, short events, Clock::time_point deadline) {
    for (;;) {
        pollfd p{fd, events, 0};
        const int n = ::poll(&p, 1, MillisecondsUntil(deadline));
        if (n > 0) return true;
        if (n == 0 && Clock::now() >= deadline) return false;
        if (n < 0 && errno != EINTR) return false;
    }
}

void Address(int fd, bool peer, std::string &ip, int &port) {
    sockaddr_storage a{};
    socklen_t length = sizeof a;
    ip.clear();
    port = -1;
    if ((peer ? ::getpeername(fd, reinterpret_cast<sockaddr *>(&a), &length)
              : ::getsockname(fd, reinterpret_cast<sockaddr *>(&a), &length)) != 0)
        return;
    char text[INET6_ADDRSTRLEN] = {};
    if (a.ss_family == AF_INET) {
        const auto *v4 = reinterpret_cast<const sockaddr_in *>(&a);
        ::inet_ntop(AF_INET, &v4->sin_addr, text, sizeof text);
        port = ntohs(v4->sin_port);
    } else if (a.ss_family == AF_INET6) {
        const auto *v6 = reinterpret_cast<const sockaddr_in6 *>(&a);
        ::inet_ntop(AF_INET6, &v6->sin6_addr, text, sizeof text);
        port = ntohs(v6->sin6_port);
    }
    ip = text;
}

// One client connection: reads within the request's deadline, through a
// buffer of its own; writes within the write time-out.
class Connection : public httplib::Stream {
  public:
    Connection(int fd, std::chrono::milliseconds writeTimeout, bool beyondCap)
        : fd_(fd), writeTimeout_(writeTimeout), beyondCap_(beyondCap) {}

    // A new request may take until `deadline` for its headers and body.
    void StartRequest(Clock::time_point deadline) {
        deadline_ = deadline;
        timedOut_ = false;
    }
    // Whether the next request begins within `idle`.
    bool WaitForRequest(std::chrono::milliseconds idle) {
        return start_ < end_ || WaitFor(fd_, POLLIN, Clock::now() + idle);
    }
    bool timedOut() const { return timedOut_; }
    bool beyondCap() const { return beyondCap_; }
    void Close() { closing_ = true; }
    bool closing() const { return closing_; }

    bool is_readable() const override { return start_ < end_ || WaitFor(fd_, POLLIN, deadline_); }
    bool is_writable() const override { return WaitFor(fd_, POLLOUT, Clock::now() + writeTimeout_); }

    ssize_t read(char *ptr, size_t size) override {
        if (closing_) return -1; // what is left of the request stays unread
        if (start_ == end_) {
            if (!WaitFor(fd_, POLLIN, deadline_)) {
                timedOut_ = true;
                return -1;
            }
            ssize_t n;
            do {
                n = ::recv(fd_, buffer_, sizeof buffer_, 0);
            } while (n < 0 && errno == EINTR);
            if (n <= 0) return n;
            start_ = 0;
            end_ = static_cast<size_t>(n);
        }
        const size_t n = std::min(size, end_ - start_);
        std::memcpy(ptr, buffer_ + start_, n);
        start_ += n;
        return static_cast<ssize_t>(n);
    }

    ssize_t write(const char *ptr, size_t size) override {
        if (!WaitFor(fd_, POLLOUT, Clock::now() + writeTimeout_)) return -1;
        ssize_t n;
        do {
            n = ::send(fd_, ptr, size, MSG_NOSIGNAL);
        } while (n < 0 && errno == EINTR);
        return n;
    }

    void get_remote_ip_and_port(std::string &ip, int &port) const override { Address(fd_, true, ip, port); }
    void get_local_ip_and_port(std::string &ip, int &port) const override { Address(fd_, false, ip, port); }
    socket_t socket() const override { return fd_; }

  private:
    int fd_;
    std::chrono::milliseconds writeTimeout_;
    bool beyondCap_;
    Clock::time_point deadline_{};
    bool timedOut_ = false;
    bool closing_ = false;
    char buffer_[4096];
    size_t start_ = 0, end_ = 0;
};

thread_local Connection *current = nullptr;

} // namespace

HttpServer::HttpServer(HttpLimits limits) : limits_(limits) {
    const size_t threads = limits_.maxConnections + limits_.reserveThreads;
    new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
}

bool HttpServer::BeyondCap() {
    return current && current->beyondCap();
}

void HttpServer::CloseAfterAnswer() {
    if (current) current->Close();
}

bool HttpServer::process_and_close_socket(socket_t sock) {
    const bool beyond = ++open_ > limits_.maxConnections;
    Connection connection(sock, limits_.writeTimeout, beyond);
    current = &connection;
    bool served = false;
    size_t left = beyond ? 1 : limits_.keepAliveRequests;
    const auto idle = beyond ? limits_.quickTimeout : std::chrono::milliseconds(limits_.keepAlive);
    while (svr_sock_ != INVALID_SOCKET && left > 0 && connection.WaitForRequest(idle)) {
        connection.StartRequest(Clock::now() + (beyond ? limits_.quickTimeout : limits_.requestTimeout));
        bool closed = false;
        served = process_request(connection, left == 1, closed, nullptr);
        if (connection.timedOut()) {
            std::string ip;
            int port = -1;
            connection.get_remote_ip_and_port(ip, port);
            LogWarning(
                "request_too_slow",
                {{"remote", ip},
                 {"message",
                  "headers and body did not arrive within " +
                      std::to_string((beyond ? limits_.quickTimeout : limits_.requestTimeout).count()) +
                      " ms; the connection was closed"}});
        }
        if (!served || closed || connection.closing() || connection.timedOut()) break;
        --left;
    }
    current = nullptr;
    if (connection.closing()) {
        // The answer is on its way; the body the client still sends is
        // dropped for a moment, so that the connection is not reset before
        // the client has read the answer.
        ::shutdown(sock, SHUT_WR);
        const auto until = Clock::now() + std::chrono::milliseconds(500);
        char sink[4096];
        size_t dropped = 0;
        while (dropped < (1u << 20) && WaitFor(sock, POLLIN, until)) {
            const ssize_t n = ::recv(sock, sink, sizeof sink, 0);
            if (n <= 0) break;
            dropped += static_cast<size_t>(n);
        }
    }
    ::shutdown(sock, SHUT_RDWR);
    ::close(sock);
    --open_;
    return served;
}

} // namespace darvo::service
