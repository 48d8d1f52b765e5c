// darvo-service run as a program against emulated printers (each behind a
// link, so that one can be unplugged and plugged in again), with a tokens
// file of every role, its log collected, and an HTTP client.
#pragma once

#include "ChildProcess.h"
#include "SimFixture.h"

#include <httplib.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <condition_variable>
#include <csignal>
#include <map>
#include <mutex>
#include <poll.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

namespace darvotest {

struct Reply {
    int status = -1; // -1: no answer (the connection broke)
    nlohmann::json body;
    std::string text; // the body as it came
    httplib::Headers headers;
    std::string Kind() const { return body.contains("error") ? body["error"].value("kind", "") : ""; }
    std::string State() const { return body.value("state", ""); }
};

// Tokens of every role, as the tokens file holds them.
inline const std::map<std::string, std::string> kTokens = {{"monitor", "monitor-token-0123456789"},
                                                           {"pos", "pos-token-0123456789abc"},
                                                           {"owner", "owner-token-0123456789ab"},
                                                           {"technician", "technician-token-01234567"}};

inline const char *kReceipt =
    R"({"lines": [{"name": "Mleko 2% 1l", "quantity": "1", "price": "3.49", "rate": "A"}],
        "payments": [{"type": "cash", "amount": "5.00"}]})";

class ServiceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char dir[] = "/tmp/darvo-service-XXXXXX";
        ASSERT_NE(nullptr, ::mkdtemp(dir));
        dir_ = dir;
        std::ofstream tokens(dir_ + "/tokens");
        tokens << "# role token\n";
        for (const auto &[role, token] : kTokens)
            tokens << role << " " << token << "\n";
        tokens.close();
        ::chmod((dir_ + "/tokens").c_str(), 0600);
    }
    void TearDown() override {
        StopService();
        // The service's and its workers' own reports (sanitizers, leaks) come on the log.
        for (const char *report : {"Sanitizer", "runtime error"})
            EXPECT_EQ(std::string::npos, Log().find(report)) << Log();
        for (auto &[name, sim] : sims_)
            sim->Stop();
        sims_.clear();
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }

    // An emulated printer, named as the service will name it.
    darvosim::Emulator &AddPrinter(const std::string &name, int deviceType = 7) {
        darvosim::EmulatorOptions options;
        options.deviceType = deviceType;
        options.linkPath = dir_ + "/" + name;
        auto sim = std::make_unique<darvosim::Emulator>(options);
        EXPECT_TRUE(sim->Start()) << sim->Error();
        return *(sims_[name] = std::move(sim));
    }
    darvosim::Emulator &Sim(const std::string &name = "till") { return *sims_.at(name); }
    darvosim::Printer &Printer(const std::string &name = "till") { return sims_.at(name)->printer(); }

    // The service with every printer added (none added: the printer "till"),
    // 1-second time-outs, `env` added to its environment and `more` to its
    // arguments; returns once it listens.
    void StartService(const std::vector<std::string> &env = {}, const std::vector<std::string> &more = {}) {
        if (sims_.empty()) AddPrinter("till");
        std::vector<std::string> args = {
            DARVO_SERVICE, "--listen",       "127.0.0.1:0",  "--journal", dir_ + "/journal.db",
            "--tokens",    dir_ + "/tokens", "--timeout-ms", "1000",      "--settle-interval-ms",
            "100"};
        for (const auto &[name, sim] : sims_) {
            args.push_back("--printer");
            args.push_back(name + "=" + dir_ + "/" + name);
        }
        args.insert(args.end(), more.begin(), more.end());
        // The printer's status is read only when asked, unless a test wants it
        // read on its own: the frames a test counts are its own.
        if (std::find(more.begin(), more.end(), "--status-interval-ms") == more.end())
            args.insert(args.end(), {"--status-interval-ms", "0"});
        int err[2];
        ASSERT_EQ(0, ::pipe2(err, O_CLOEXEC));
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(err[1], 2);
            Exec(args, env);
        }
        ::close(err[1]);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            port_ = 0;
            logEnded_ = false;
            runStart_ = log_.size();
        }
        reader_ = std::thread([this, fd = err[0]] { ReadLog(fd); });
        std::unique_lock<std::mutex> lock(mutex_);
        ASSERT_TRUE(
            logged_.wait_for(lock, std::chrono::seconds(10), [&] { return port_ != 0 || logEnded_; }));
        ASSERT_NE(0, port_) << Log();
    }
    // Waits until the service has ended by itself (its exit status, or
    // 128 + the signal that ended it) and its workers with it.
    int WaitService() {
        EXPECT_TRUE(WaitGone(pid_, 30)) << "the service does not end";
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        for (int worker : Workers())
            EXPECT_TRUE(WaitGone(worker, 10)) << "worker " << worker << " still runs";
        if (reader_.joinable()) reader_.join();
        return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
    }
    void StopService() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            if (!WaitGone(pid_, 30)) ::kill(pid_, SIGKILL);
            EXPECT_EQ(0, WaitService()) << Log();
        }
        if (reader_.joinable()) reader_.join();
    }
    // Waits until the process has ended (true), at most `seconds`.
    static bool WaitGone(int pid, int seconds) {
        const int fd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
        if (fd < 0) return true; // gone already
        pollfd p{fd, POLLIN, 0};
        const bool gone = ::poll(&p, 1, seconds * 1000) == 1;
        ::close(fd);
        return gone;
    }

    Reply Request(const std::string &method, const std::string &path, const std::string &role,
                  const std::string &body = "", const std::string &key = "") {
        httplib::Client client("127.0.0.1", port_);
        client.set_read_timeout(60, 0);
        httplib::Headers headers;
        if (!role.empty())
            headers.emplace("Authorization", "Bearer " + (kTokens.count(role) ? kTokens.at(role) : role));
        if (!key.empty()) headers.emplace("Idempotency-Key", key);
        const httplib::Result r = method == "GET"
                                      ? client.Get(path.c_str(), headers)
                                      : client.Post(path.c_str(), headers, body, "application/json");
        if (!r) return Reply{};
        return Reply{r->status, nlohmann::json::parse(r->body, nullptr, false), r->body, r->headers};
    }
    Reply PostReceipt(const std::string &key, const std::string &printer = "till",
                      const std::string &body = kReceipt) {
        return Request("POST", "/v1/printers/" + printer + "/receipts", "pos", body, key);
    }
    Reply Outcome(const std::string &key, int waitSeconds = 0, const std::string &printer = "till") {
        return Request(
            "GET", "/v1/printers/" + printer + "/receipts/" + key + "?wait=" + std::to_string(waitSeconds),
            "pos");
    }

    int Receipts(const std::string &name = "till") { return RollReceipts(Printer(name)); }

    // Every worker the service has started (from its log).
    std::vector<int> Workers() {
        std::vector<int> pids;
        const std::string log = Log();
        std::lock_guard<std::mutex> lock(mutex_);
        for (size_t at = runStart_; (at = log.find("event=worker_started ", at)) != std::string::npos; ++at) {
            const size_t pid = log.find(" pid=", at);
            if (pid != std::string::npos) pids.push_back(std::atoi(log.c_str() + pid + 5));
        }
        return pids;
    }

    std::string Log() {
        std::lock_guard<std::mutex> lock(mutex_);
        return log_;
    }
    const std::string &dir() const { return dir_; }
    int pid() const { return pid_; }
    int port() const { return port_; }
    // Asks `path` until `done` holds for its answer (within a patience
    // scaled for a slow run); the last answer.
    Reply AskUntil(const std::string &path, const std::string &role,
                   const std::function<bool(const Reply &)> &done) {
        const auto until = std::chrono::steady_clock::now() + Scaled(std::chrono::seconds(10));
        Reply r;
        for (;;) {
            r = Request("GET", path, role);
            if (done(r) || std::chrono::steady_clock::now() >= until) return r;
            std::this_thread::sleep_for(std::chrono::milliseconds(20)); // between two looks
        }
    }

  private:
    void ReadLog(int fd) {
        char buffer[4096];
        std::string pending;
        for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) {
            std::lock_guard<std::mutex> lock(mutex_);
            log_.append(buffer, static_cast<size_t>(n));
            const size_t at = log_.find("event=listening ", runStart_);
            const size_t portAt = at == std::string::npos ? at : log_.find(" port=", at);
            if (portAt != std::string::npos && port_ == 0) port_ = std::atoi(log_.c_str() + portAt + 6);
            logged_.notify_all();
        }
        ::close(fd);
        std::lock_guard<std::mutex> lock(mutex_);
        logEnded_ = true;
        logged_.notify_all();
    }
    std::string dir_;
    std::map<std::string, std::unique_ptr<darvosim::Emulator>> sims_;
    pid_t pid_ = -1;
    int port_ = 0;
    std::thread reader_;
    std::mutex mutex_;
    std::condition_variable logged_;
    std::string log_;
    bool logEnded_ = false;
    size_t runStart_ = 0; // where the log of the running service begins
};

} // namespace darvotest
