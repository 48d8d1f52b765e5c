// The HTTP server of darvo-service: cpp-httplib's, serving each connection
// through a stream of its own that bounds what a client may hold:
// - a request's headers and body must arrive within a deadline (a client
//   that trickles them is cut off and its thread freed);
// - at most `maxConnections` connections are served as usual; one beyond
//   that is served from a small reserve of threads, for one quick request
//   (a short deadline, no keep-alive), so that health checks and status
//   reads still get through while others hold the connections;
// - a handler that answers without reading a request's body ends the
//   connection after its answer, so nothing of that body is ever read.
#pragma once

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <cstddef>

namespace darvo::service {

struct HttpLimits {
    size_t maxConnections = 64;                      // served as usual
    size_t reserveThreads = 8;                       // for the connections beyond
    std::chrono::milliseconds requestTimeout{10000}; // a request's headers and body
    std::chrono::milliseconds quickTimeout{1000};    // the same beyond maxConnections
    std::chrono::milliseconds writeTimeout{5000};    // each write of an answer
    std::chrono::seconds keepAlive{5};               // an idle connection waits for its next request
    size_t keepAliveRequests = 1000;
};

class HttpServer : public httplib::Server {
  public:
    explicit HttpServer(HttpLimits limits);
    const HttpLimits &limits() const { return limits_; }
    // Connections open now.
    size_t OpenConnections() const { return open_.load(); }

    // For a handler, about the connection its thread serves: beyond the
    // cap (quick requests only), and the end of the connection once its
    // answer is written (the request's body is left unread).
    static bool BeyondCap();
    static void CloseAfterAnswer();

  private:
    bool process_and_close_socket(socket_t sock) override;

    HttpLimits limits_;
    std::atomic<size_t> open_{0};
};

} // namespace darvo::service
