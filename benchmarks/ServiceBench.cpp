// What darvo-service adds to a receipt, and how fast it answers the status
// of a printer to many clients at once.
//
//   ServiceReceipt/S/N  N-line receipts at S b/s on the paced emulator,
//                       taking turns: through the receipt layer in this
//                       process, and through darvo-service (HTTP, journal,
//                       worker process); the added time (median of the
//                       pairs' differences) against the receipt's wire time;
//   ServiceStatus/C     C clients asking GET /v1/printers/NAME/status at
//                       once, again and again: latency median and 99th
//                       percentile.
#include "ChildProcess.h"
#include "Emulator.h"
#include "pos/Plan.h"
#include "pos/Printer.h"

#include <benchmark/benchmark.h>
#include <httplib.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr double kBitsPerByte = 11.0;
const char *kToken = "bench-token-0123456789abcdef";

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double Percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<size_t>(p * static_cast<double>(v.size())))];
}

std::string ReceiptJson(int lines) {
    std::string json = R"({"lines": [)";
    for (int i = 0; i < lines; ++i)
        json += std::string(i ? ", " : "") +
                R"({"name": "Towar testowy", "quantity": "1", "price": "1.23", "rate": "A"})";
    return json + R"(], "payments": [{"type": "cash", "amount": ")" + std::to_string(lines * 2) +
           R"(.00"}]})";
}

// darvo-service on one printer, in a scratch directory, until it goes.
class ServiceProcess {
  public:
    bool Start(const std::string &printerPath, int speed) {
        char dir[] = "/tmp/darvo-bench-XXXXXX";
        if (!::mkdtemp(dir)) return false;
        dir_ = dir;
        std::ofstream(dir_ + "/tokens") << "pos " << kToken << "\n";
        ::chmod((dir_ + "/tokens").c_str(), 0600);
        std::vector<std::string> args = {DARVO_SERVICE_PATH,
                                         "--listen",
                                         "127.0.0.1:0",
                                         "--printer",
                                         "bench=" + printerPath + ":" + std::to_string(speed),
                                         "--journal",
                                         dir_ + "/journal.db",
                                         "--tokens",
                                         dir_ + "/tokens"};
        int err[2];
        if (::pipe2(err, O_CLOEXEC) != 0) return false;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(err[1], 2);
            darvotest::Exec(std::move(args));
        }
        ::close(err[1]);
        log_ = ::fdopen(err[0], "r");
        char line[512];
        while (log_ && std::fgets(line, sizeof line, log_))
            if (const char *at = std::strstr(line, "event=listening "); at && std::strstr(at, " port=")) {
                port_ = std::atoi(std::strstr(at, " port=") + 6);
                break;
            }
        // The rest of the log is drained, so that the service never waits on it.
        drain_ = std::thread([this] {
            char rest[512];
            while (log_ && std::fgets(rest, sizeof rest, log_)) {
            }
        });
        return port_ > 0;
    }
    int port() const { return port_; }
    ~ServiceProcess() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
        if (drain_.joinable()) drain_.join();
        if (log_) std::fclose(log_);
        std::error_code ignored;
        if (!dir_.empty()) std::filesystem::remove_all(dir_, ignored);
    }

  private:
    std::string dir_;
    pid_t pid_ = -1;
    int port_ = 0;
    FILE *log_ = nullptr;
    std::thread drain_;
};

httplib::Headers Auth(const std::string &key = "") {
    httplib::Headers h = {{"Authorization", std::string("Bearer ") + kToken}};
    if (!key.empty()) h.emplace("Idempotency-Key", key);
    return h;
}

void ServiceReceipt(benchmark::State &state) {
    const int speed = static_cast<int>(state.range(0));
    const int lines = static_cast<int>(state.range(1));
    constexpr int kPairs = 9;
    // Two printers alike: one for the receipt layer in this process, one
    // for the service's worker (each holds its port). Their receipts take
    // turns, so that what the machine does meanwhile weighs on both alike.
    darvosim::EmulatorOptions options;
    options.deviceType = 7;
    options.pace = true;
    darvosim::Emulator direct(options), served(options);
    if (!direct.Start() || !served.Start()) return state.SkipWithError("the emulator did not start");
    const std::string json = ReceiptJson(lines);
    std::vector<double> library, service, added;
    size_t libraryBytes = 0, serviceBytes = 0;
    for (auto _ : state) {
        darvo::pos::Connection c;
        std::string error;
        darvo::pos::ResolvePort(direct.SlavePath(), c.port, error);
        c.speed = speed;
        darvo::pos::Printer printer(c);
        darvo::pos::Receipt receipt;
        darvo::pos::ParseReceipt(json, receipt);
        darvo::pos::PrinterFacts facts;
        darvo::pos::Plan plan;
        if (printer.Open() != 0 || printer.Facts(facts) != 0 || !PlanReceipt(receipt, facts, plan).empty())
            return state.SkipWithError("the receipt layer could not start");
        ServiceProcess process;
        if (!process.Start(served.SlavePath(), speed))
            return state.SkipWithError("darvo-service did not start");
        httplib::Client client("127.0.0.1", process.port());
        client.set_read_timeout(120, 0);
        for (int i = 0; i <= kPairs; ++i) { // the first pair starts the sessions
            direct.log().Clear();
            auto t0 = Clock::now();
            darvo::pos::Ledger before;
            const bool ok = printer.ReadLedger(before) == 0 &&
                            printer.Print(plan, before).state == darvo::pos::ReceiptState::Printed;
            const double layer = Seconds(Clock::now() - t0);
            libraryBytes = direct.log().Entries().size();
            if (!ok) return state.SkipWithError("a receipt through the receipt layer failed");

            served.log().Clear();
            t0 = Clock::now();
            auto r = client.Post("/v1/printers/bench/receipts", Auth("r" + std::to_string(i)), json,
                                 "application/json");
            const double wall = Seconds(Clock::now() - t0);
            serviceBytes = served.log().Entries().size();
            if (!r || r->status != 200) return state.SkipWithError("a receipt through darvo-service failed");
            if (i == 0) continue;
            library.push_back(layer);
            service.push_back(wall);
            added.push_back(wall - layer);
        }
        state.SetIterationTime(Median(service));
    }
    const double wire = static_cast<double>(libraryBytes) * kBitsPerByte / speed;
    state.counters["speed"] = speed;
    state.counters["lines"] = lines;
    state.counters["bytes"] = static_cast<double>(libraryBytes);
    state.counters["service_bytes"] = static_cast<double>(serviceBytes);
    state.counters["wire_s"] = wire;
    state.counters["library_s"] = Median(library);
    state.counters["service_s"] = Median(service);
    state.counters["added_ms"] = Median(added) * 1e3;
    state.counters["added_min_ms"] = *std::min_element(added.begin(), added.end()) * 1e3;
    state.counters["added_share"] = wire > 0 ? Median(added) / wire : 0;
}
BENCHMARK(ServiceReceipt)->Name("ServiceReceipt")->Args({9600, 10})->Iterations(1)->UseManualTime();
BENCHMARK(ServiceReceipt)->Name("ServiceReceipt")->Args({28800, 10})->Iterations(1)->UseManualTime();

void ServiceStatus(benchmark::State &state) {
    const int clients = static_cast<int>(state.range(0));
    constexpr int kEach = 10;
    darvosim::EmulatorOptions options;
    options.deviceType = 7;
    options.pace = true;
    darvosim::Emulator sim(options);
    if (!sim.Start()) return state.SkipWithError("the emulator did not start");
    ServiceProcess process;
    if (!process.Start(sim.SlavePath(), 9600)) return state.SkipWithError("darvo-service did not start");
    std::vector<double> latencies;
    std::mutex mutex;
    int failures = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        std::vector<std::thread> threads;
        for (int c = 0; c < clients; ++c)
            threads.emplace_back([&] {
                httplib::Client client("127.0.0.1", process.port());
                client.set_read_timeout(60, 0);
                for (int i = 0; i < kEach; ++i) {
                    const auto s = Clock::now();
                    auto r = client.Get("/v1/printers/bench/status", Auth());
                    const double wall = Seconds(Clock::now() - s);
                    std::lock_guard<std::mutex> lock(mutex);
                    if (!r || r->status != 200)
                        ++failures;
                    else
                        latencies.push_back(wall);
                }
            });
        for (std::thread &t : threads)
            t.join();
        state.SetIterationTime(Seconds(Clock::now() - t0));
    }
    if (failures > 0) state.SkipWithError("status requests failed");
    state.counters["clients"] = clients;
    state.counters["requests"] = static_cast<double>(latencies.size());
    state.counters["median_ms"] = Median(latencies) * 1e3;
    state.counters["p99_ms"] = Percentile(latencies, 0.99) * 1e3;
}
BENCHMARK(ServiceStatus)->Name("ServiceStatus")->Arg(50)->Iterations(1)->UseManualTime();

} // namespace
