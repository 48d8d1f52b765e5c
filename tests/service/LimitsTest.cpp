// What a client may hold of the service before its token is checked, and
// after: nothing of a body is read before the token, a body is capped while
// it is read (chunks included), a request that trickles in is cut off at its
// deadline, and neither slow clients nor waits for outcomes keep /healthz,
// another printer or other requests waiting.
#include "ServiceFixture.h"

#include <arpa/inet.h>
#include <fstream>
#include <future>
#include <netinet/in.h>
#include <sys/socket.h>

using namespace darvotest;
using Limits = ServiceTest;
using namespace std::chrono;

namespace {

// A client speaking raw HTTP on its own connection.
struct RawClient {
    int fd = -1;
    explicit RawClient(int port) {
        fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<uint16_t>(port));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0) Close();
    }
    ~RawClient() { Close(); }
    void Close() {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
    bool Send(const std::string &text) {
        return ::send(fd, text.data(), text.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(text.size());
    }
    // The answer's status line and headers, or "" when none came within `limit`.
    std::string Head(milliseconds limit) {
        std::string text;
        char c;
        const auto until = steady_clock::now() + limit;
        while (text.find("\r\n\r\n") == std::string::npos) {
            pollfd p{fd, POLLIN, 0};
            const auto left = duration_cast<milliseconds>(until - steady_clock::now()).count();
            if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) != 1 || ::recv(fd, &c, 1, 0) != 1)
                return "";
            text += c;
        }
        return text;
    }
    // True once the service has closed the connection (within `limit`).
    bool Closed(milliseconds limit) {
        char buffer[4096];
        const auto until = steady_clock::now() + limit;
        for (;;) {
            pollfd p{fd, POLLIN, 0};
            const auto left = duration_cast<milliseconds>(until - steady_clock::now()).count();
            if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) != 1) return false;
            if (::recv(fd, buffer, sizeof buffer, 0) <= 0) return true;
        }
    }
};

long ResidentKiB(int pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    return -1;
}

std::string Post(const std::string &path, const std::string &token, const std::string &headers) {
    return "POST " + path + " HTTP/1.1\r\nHost: till\r\n" +
           (token.empty() ? "" : "Authorization: Bearer " + kTokens.at(token) + "\r\n") + headers + "\r\n";
}

} // namespace

TEST_F(Limits, NothingOfABodyIsReadBeforeTheTokenAndABodyIsCappedAsItComes) {
    StartService();
    const std::string receipts = "/v1/printers/till/receipts";
    // Refused from the headers alone: the body is never sent, and the
    // answer comes all the same.
    const struct {
        const char *name, *token, *headers, *status;
    } refused[] = {
        {"no token, a huge body", "", "Content-Length: 134217728\r\n", "HTTP/1.1 401"},
        {"no token, chunks", "", "Transfer-Encoding: chunked\r\n", "HTTP/1.1 401"},
        {"a role that may not", "monitor", "Content-Length: 134217728\r\n", "HTTP/1.1 403"},
        {"too large a length", "pos", "Idempotency-Key: k\r\nContent-Length: 134217728\r\n", "HTTP/1.1 413"},
    };
    for (const auto &c : refused) {
        SCOPED_TRACE(c.name);
        RawClient client(port());
        ASSERT_TRUE(client.Send(Post(receipts, c.token, c.headers)));
        const std::string head = client.Head(Scaled(seconds(5)));
        EXPECT_EQ(0u, head.rfind(c.status, 0)) << head;
        EXPECT_NE(std::string::npos, head.find("Connection: close")) << head;
    }
    // A request without a length or chunks has no body: an empty one, at once.
    ASSERT_EQ(200, PostReceipt("sale").status);
    RawClient plain(port());
    ASSERT_TRUE(plain.Send(Post("/v1/printers/till/reports/daily", "owner", "")));
    const std::string daily = plain.Head(Scaled(seconds(10)));
    EXPECT_EQ(0u, daily.rfind("HTTP/1.1 200", 0)) << daily;

    // 128 MiB of chunks with a token: read until the cap (1 MiB), answered
    // 413, the rest never held.
    const long before = ResidentKiB(pid());
    RawClient flood(port());
    ASSERT_TRUE(flood.Send(Post(receipts, "pos", "Idempotency-Key: k\r\nTransfer-Encoding: chunked\r\n")));
    auto sending = std::async(std::launch::async, [&flood] {
        const std::string chunk = "10000\r\n" + std::string(0x10000, ' ') + "\r\n";
        for (int i = 0; i < 2048 && flood.Send(chunk); ++i) {
        }
    });
    const std::string head = flood.Head(Scaled(seconds(10)));
    EXPECT_EQ(0u, head.rfind("HTTP/1.1 413", 0)) << head;
    ::shutdown(flood.fd, SHUT_RDWR);
    sending.get();
    const long after = ResidentKiB(pid());
    RecordProperty("resident_kib_growth", std::to_string(after - before));
    EXPECT_LT(after - before, 16 * 1024) << "the service held the flood: " << before << " KiB to " << after;
    EXPECT_EQ(1, Receipts());
}

TEST_F(Limits, SlowClientsAreCutOffAndKeepNobodyWaiting) {
    // 26 connections served as usual (the one printer's queue and more).
    StartService({}, {"--http-threads", "16", "--request-timeout-ms", "3000"});
    std::vector<std::unique_ptr<RawClient>> slow;
    for (int i = 0; i < 30; ++i) {
        slow.push_back(std::make_unique<RawClient>(port()));
        ASSERT_TRUE(slow.back()->Send("GET /healthz HTTP/1.1\r\nHost: till\r\n")); // never ends
    }
    const auto asked = steady_clock::now();
    const Reply health = Request("GET", "/healthz", "");
    const auto took = duration_cast<milliseconds>(steady_clock::now() - asked);
    RecordProperty("healthz_ms", std::to_string(took.count()));
    EXPECT_EQ(200, health.status);
    EXPECT_LT(took, milliseconds(3000)) << "/healthz waited behind the slow clients";
    // Each slow one is cut off at its deadline, a byte at a time or not.
    for (auto &client : slow) {
        client->Send("X-Slow: 1\r\n");
        EXPECT_TRUE(client->Closed(Scaled(seconds(5))));
    }
    EXPECT_NE(std::string::npos, Log().find("event=request_too_slow"));
    EXPECT_EQ(200, PostReceipt("k").status);
}

TEST_F(Limits, WaitsForAnOutcomeTakeTheirShareOnly) {
    AddPrinter("till");
    AddPrinter("bar");
    // 44 connections (two queues and more): 22 may wait, 11 on each printer.
    StartService({}, {"--http-threads", "16"});
    {
        std::lock_guard<std::recursive_mutex> lock(Printer("till").mutex);
        Printer("till").printPolls = 1 << 30; // the printout lasts until it is let go
    }
    auto busy = std::async(std::launch::async, [this] { return PostReceipt("long"); });
    ASSERT_TRUE(Sim("till").log().WaitForHostBytes(3000, Scaled(seconds(10))));
    std::vector<std::future<Reply>> waits;
    for (int i = 0; i < 11; ++i)
        waits.push_back(std::async(std::launch::async, [this] { return Outcome("long", 60); }));
    const Reply counted = AskUntil("/metrics", "monitor", [](const Reply &r) {
        return r.text.find("darvo_http_waits{printer=\"till\"} 11\n") != std::string::npos;
    });
    ASSERT_NE(std::string::npos, counted.text.find("darvo_http_waits{printer=\"till\"} 11\n"))
        << counted.text;
    // The twelfth is answered at once, and the rest of the service is free.
    const Reply shortened = Outcome("long", 60);
    EXPECT_EQ("in_progress", shortened.State());
    EXPECT_EQ("1", shortened.headers.find("Retry-After")->second);
    EXPECT_EQ(200, PostReceipt("short", "bar").status);
    EXPECT_EQ(200, Request("GET", "/healthz", "").status);
    {
        std::lock_guard<std::recursive_mutex> lock(Printer("till").mutex);
        Printer("till").printRemaining = 1;
        Printer("till").printPolls = 2;
    }
    EXPECT_EQ(200, busy.get().status);
    for (auto &w : waits)
        EXPECT_EQ("printed", w.get().State());
    EXPECT_NE(std::string::npos, Request("GET", "/metrics", "monitor")
                                     .text.find("darvo_http_waits_shortened_total{printer=\"till\"} 1\n"));
}
