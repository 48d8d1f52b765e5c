// What the driver adds to the wire time and the CPU it burns while it waits.
//
//   Exchange/...      a status read (command 149, one answer byte) and a totals
//                     read (command 218, 36 bytes) through RSSequence against
//                     an instant peer thread on a pseudo-terminal;
//   Pyserial/...      the same exchanges by a pyserial program, same peer;
//   Receipt/...       a receipt of N lines against the paced emulator;
//   PrintControlCpu/  CPU per wall second of PrintControl during a 10 s printout;
//   IdlePortCpu       CPU per wall second of an open port that nothing uses;
//   ProgramStart      exec of nivrasw to the status bar showing the printer.
//
// Every figure is a counter; scripts/bench.sh turns the JSON output into
// docs/performance.md and docs/performance.svg.
#include "ChildProcess.h"
#include "Emulator.h"
#include "darvodr/darvodr.h"
#include "serial/Comm.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/eventfd.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace {

double MinOf(const std::vector<double> &v) {
    return v.empty() ? 0 : *std::min_element(v.begin(), v.end());
}

using Clock = std::chrono::steady_clock;
constexpr double kBitsPerByte = 11.0; // start, 8 data, parity, stop
constexpr uint8_t kAck = 0x06, kEsc = 0x1B, kNak = 0x15;

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

double ProcessCpuSeconds() {
    rusage r{};
    ::getrusage(RUSAGE_SELF, &r);
    return r.ru_utime.tv_sec + r.ru_stime.tv_sec + (r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
}

double ThreadCpuSeconds() {
    timespec ts{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

// Opens a pseudo-terminal set up as the emulator sets up its own: raw, with
// a slave descriptor held open so the line survives the host's closes.
struct Pty {
    int master = -1, keeper = -1;
    std::string slave;
    bool Open(uint32_t speed) {
        master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) return false;
        char name[128];
        if (::ptsname_r(master, name, sizeof name) != 0) return false;
        slave = name;
        keeper = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (keeper < 0) return false;
        termios tio{};
        ::tcgetattr(keeper, &tio);
        ::cfmakeraw(&tio);
        tio.c_cflag |= CREAD | CLOCAL | PARENB;
        ::tcsetattr(keeper, TCSANOW, &tio);
        darvo::SetLineSpeed(keeper, speed);
        return true;
    }
    ~Pty() {
        for (int fd : {master, keeper})
            if (fd >= 0) ::close(fd);
    }
};

// A printer that answers at once: command 149 with one status byte,
// command 218 with ACK and 35 bytes of totals, anything else with NAK. It
// keeps its own share: the time from a command byte's arrival to the end
// of the answer's write, and its thread's CPU time.
class InstantPeer {
  public:
    bool Start(uint32_t speed) {
        if (!pty_.Open(speed)) return false;
        stopFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        thread_ = std::thread([this] { Run(); });
        return true;
    }
    ~InstantPeer() { Stop(); }
    void Stop() {
        if (thread_.joinable()) {
            uint64_t one = 1;
            [[maybe_unused]] ssize_t n = ::write(stopFd_, &one, sizeof one);
            thread_.join();
        }
        if (stopFd_ >= 0) ::close(stopFd_);
        stopFd_ = -1;
    }
    const std::string &SlavePath() const { return pty_.slave; }
    void ResetCounters() {
        exchanges_ = 0;
        busyNs_ = 0;
        cpuNs_ = 0;
        rebase_ = true;
    }
    uint64_t Exchanges() const { return exchanges_; }
    double BusySeconds() const { return busyNs_ / 1e9; }
    double CpuSeconds() const { return cpuNs_ / 1e9; }

  private:
    void Run() {
        uint8_t buffer[256];
        bool afterEsc = false;
        double cpuBase = ThreadCpuSeconds();
        for (;;) {
            pollfd fds[2] = {{pty_.master, POLLIN, 0}, {stopFd_, POLLIN, 0}};
            if (::poll(fds, 2, -1) < 0 && errno != EINTR) break;
            if (fds[1].revents & POLLIN) break;
            const auto arrived = Clock::now();
            ssize_t n = ::read(pty_.master, buffer, sizeof buffer);
            if (n <= 0) continue;
            bool answered = false;
            for (ssize_t i = 0; i < n; ++i) {
                if (afterEsc) {
                    Answer(buffer[i]);
                    answered = true;
                    afterEsc = false;
                } else if (buffer[i] == kEsc) {
                    afterEsc = true;
                }
            }
            if (rebase_.exchange(false)) cpuBase = ThreadCpuSeconds();
            if (answered) {
                busyNs_ +=
                    std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - arrived).count();
                ++exchanges_;
                cpuNs_ = static_cast<uint64_t>((ThreadCpuSeconds() - cpuBase) * 1e9);
            }
        }
    }
    void Answer(uint8_t command) {
        uint8_t answer[64];
        size_t length = 0;
        if (command == 149) {
            answer[length++] = 0x00;
        } else if (command == 218) {
            answer[length++] = kAck;
            for (int i = 0; i < 35; ++i)
                answer[length++] = static_cast<uint8_t>(i % 5 == 0 ? 0x10 + i : 0);
        } else {
            answer[length++] = kNak;
        }
        size_t done = 0;
        while (done < length) {
            ssize_t n = ::write(pty_.master, answer + done, length - done);
            if (n > 0)
                done += static_cast<size_t>(n);
            else if (errno != EINTR && errno != EAGAIN)
                break;
        }
    }

    Pty pty_;
    int stopFd_ = -1;
    std::thread thread_;
    std::atomic<uint64_t> exchanges_{0}, busyNs_{0}, cpuNs_{0};
    std::atomic<bool> rebase_{false};
};

void SetPeerCounters(benchmark::State &state, const InstantPeer &peer, double exchangeSeconds, int bytes) {
    const double exchanges = static_cast<double>(std::max<uint64_t>(peer.Exchanges(), 1));
    const double peerUs = peer.BusySeconds() / exchanges * 1e6;
    const double exchangeUs = exchangeSeconds * 1e6;
    state.counters["exchange_us"] = exchangeUs;
    state.counters["peer_us"] = peerUs;
    state.counters["peer_cpu_us"] = peer.CpuSeconds() / exchanges * 1e6;
    state.counters["bytes"] = bytes;
    state.counters["us_per_byte"] = (exchangeUs - peerUs) / bytes;
}

constexpr uint8_t kBenchPort = 9;
constexpr uint32_t kExchangeSpeed = 28800;

// Driver: RSSequence through the exported interface, as a host program uses it.
void Exchange(benchmark::State &state) {
    const uint8_t command = static_cast<uint8_t>(state.range(0));
    const int answerLength = static_cast<int>(state.range(1));
    InstantPeer peer;
    if (!peer.Start(kExchangeSpeed)) return state.SkipWithError("no pseudo-terminal");
    ::setenv("DARVO_COM9", peer.SlavePath().c_str(), 1);
    if (OpenPort(kBenchPort, kExchangeSpeed, 5, 5) != 0) return state.SkipWithError("OpenPort failed");
    uint8_t answer[256];
    for (int i = 0; i < 50; ++i)
        RSSequence(command, answerLength, 0, answer, nullptr);
    peer.ResetCounters();
    const double cpu0 = ProcessCpuSeconds();
    const auto t0 = Clock::now();
    for (auto _ : state) {
        if (RSSequence(command, answerLength, 0, answer, nullptr) != 0) {
            state.SkipWithError("exchange failed");
            break;
        }
    }
    const double wall = Seconds(Clock::now() - t0);
    const double cpu = ProcessCpuSeconds() - cpu0;
    ClosePort();
    const double n = static_cast<double>(state.iterations());
    SetPeerCounters(state, peer, wall / n, 2 + answerLength);
    state.counters["driver_cpu_us"] = (cpu - peer.CpuSeconds()) / n * 1e6;
    peer.Stop();
}
BENCHMARK(Exchange)
    ->Name("Exchange")
    ->Args({149, 1})
    ->MinTime(0.4)
    ->ComputeStatistics("min", MinOf)
    ->Repetitions(9)
    ->UseRealTime();
BENCHMARK(Exchange)
    ->Name("Exchange")
    ->Args({218, 36})
    ->MinTime(0.4)
    ->ComputeStatistics("min", MinOf)
    ->Repetitions(9)
    ->UseRealTime();

// The same exchanges by a pyserial program (Debian's python3-serial).
void Pyserial(benchmark::State &state) {
    const int command = static_cast<int>(state.range(0));
    const int answerLength = static_cast<int>(state.range(1));
    const int count = static_cast<int>(state.range(2));
    InstantPeer peer;
    if (!peer.Start(kExchangeSpeed)) return state.SkipWithError("no pseudo-terminal");
    std::string line = "/usr/bin/python3 -I " DARVO_BENCH_DIR "/pyserial_exchange.py " + peer.SlavePath() +
                       " " + std::to_string(kExchangeSpeed) + " " + std::to_string(command) + " " +
                       std::to_string(answerLength) + " " + std::to_string(count);
    double exchangeUs = 0;
    for (auto _ : state) {
        peer.ResetCounters();
        FILE *p = ::popen(line.c_str(), "r");
        char out[128] = {};
        if (!p || !std::fgets(out, sizeof out, p)) {
            if (p) ::pclose(p);
            state.SkipWithError("the pyserial program gave no figure");
            break;
        }
        if (::pclose(p) != 0) {
            state.SkipWithError("the pyserial program failed");
            break;
        }
        exchangeUs = std::atof(out);
        state.SetIterationTime(exchangeUs / 1e6);
    }
    // The peer's share over the warm-up and the timed exchanges alike.
    SetPeerCounters(state, peer, exchangeUs / 1e6, 2 + answerLength);
    peer.Stop();
}
BENCHMARK(Pyserial)
    ->Name("Pyserial")
    ->Args({149, 1, 3000})
    ->Iterations(1)
    ->ComputeStatistics("min", MinOf)
    ->Repetitions(5)
    ->UseManualTime();
BENCHMARK(Pyserial)
    ->Name("Pyserial")
    ->Args({218, 36, 2000})
    ->Iterations(1)
    ->ComputeStatistics("min", MinOf)
    ->Repetitions(5)
    ->UseManualTime();

// A receipt of N sale lines (begin, N items, a payment, end) against the
// emulator holding every byte for its time on the line.
void Receipt(benchmark::State &state) {
    const uint32_t speed = static_cast<uint32_t>(state.range(0));
    const int lines = static_cast<int>(state.range(1));
    darvosim::EmulatorOptions options;
    options.deviceType = 7;
    options.pace = true;
    darvosim::Emulator sim(options);
    if (!sim.Start()) return state.SkipWithError("the emulator did not start");
    ::setenv("DARVO_COM8", sim.SlavePath().c_str(), 1);
    if (CommunicationInit(8, static_cast<int32_t>(speed), 5) != 0)
        return state.SkipWithError("CommunicationInit failed");
    double wall = 0, wire = 0, hostTurn = 0, printerTurn = 0, driverCpu = 0;
    int hostTurns = 0, printerTurns = 0;
    size_t bytes = 0;
    for (auto _ : state) {
        sim.log().Clear();
        const double cpu0 = ThreadCpuSeconds(); // the driver runs in this thread
        const auto t0 = Clock::now();
        int32_t result = ReceiptBegin();
        uint32_t total = 0;
        for (int i = 0; i < lines && result == 0; ++i) {
            uint32_t value = 0;
            result = pReceiptItem(1, "Towar testowy", 1, 0, 1, 0, "szt", 123, &value);
            total += value;
        }
        if (result == 0) result = pFillPayment(1, "Gotowka", static_cast<int32_t>(total), 0);
        if (result == 0) result = ReceiptEnd(0);
        const auto t1 = Clock::now();
        const double cpu1 = ThreadCpuSeconds();
        if (result != 0) {
            state.SkipWithError(("receipt failed with " + std::to_string(result)).c_str());
            break;
        }
        wall = Seconds(t1 - t0);
        bytes = sim.log().Entries().size();
        wire = bytes * kBitsPerByte / speed;
        // Where the time beyond the wire goes: the excess of each byte's
        // arrival over the one before, by kind of step. The host's
        // turnaround is from the printer's last byte to the host's next one
        // (two hand-overs through the pseudo-terminal and the driver's own
        // work); the printer's the other way round.
        const auto entries = sim.log().Entries();
        const double b = kBitsPerByte / speed;
        hostTurn = printerTurn = 0;
        hostTurns = printerTurns = 0;
        for (size_t i = 1; i < entries.size(); ++i) {
            const double excess = entries[i].seconds - entries[i - 1].seconds - b;
            if (entries[i].fromHost == entries[i - 1].fromHost) continue;
            if (entries[i].fromHost) {
                hostTurn += excess;
                ++hostTurns;
            } else {
                printerTurn += excess;
                ++printerTurns;
            }
        }
        driverCpu = cpu1 - cpu0;
        state.SetIterationTime(wall);
    }
    CommunicationEnd();
    sim.Stop();
    state.counters["speed"] = speed;
    state.counters["lines"] = lines;
    state.counters["bytes"] = static_cast<double>(bytes);
    state.counters["wall_s"] = wall;
    state.counters["wire_s"] = wire;
    state.counters["ratio"] = wire > 0 ? wall / wire : 0;
    state.counters["host_turn_us"] = hostTurns ? hostTurn / hostTurns * 1e6 : 0;
    state.counters["printer_turn_us"] = printerTurns ? printerTurn / printerTurns * 1e6 : 0;
    state.counters["turns"] = hostTurns + printerTurns;
    state.counters["driver_cpu_per_wire"] = wire > 0 ? driverCpu / wire : 0;
}
BENCHMARK(Receipt)
    ->Name("Receipt")
    ->Args({9600, 100})
    ->Iterations(1)
    ->ComputeStatistics("min", MinOf)
    ->Repetitions(3)
    ->UseManualTime();
BENCHMARK(Receipt)
    ->Name("Receipt")
    ->Args({28800, 100})
    ->Iterations(1)
    ->ComputeStatistics("min", MinOf)
    ->Repetitions(5)
    ->UseManualTime();
// The plot's other points: one run each.
BENCHMARK(Receipt)->Name("Receipt")->Args({9600, 1})->Iterations(1)->UseManualTime();
BENCHMARK(Receipt)->Name("Receipt")->Args({9600, 10})->Iterations(1)->UseManualTime();
BENCHMARK(Receipt)->Name("Receipt")->Args({9600, 30})->Iterations(1)->UseManualTime();
BENCHMARK(Receipt)->Name("Receipt")->Args({28800, 1})->Iterations(1)->UseManualTime();
BENCHMARK(Receipt)->Name("Receipt")->Args({28800, 10})->Iterations(1)->UseManualTime();
BENCHMARK(Receipt)->Name("Receipt")->Args({28800, 30})->Iterations(1)->UseManualTime();

// Starts darvo-sim with the given options and returns its line's path.
struct SimProcess {
    pid_t pid = -1;
    FILE *out = nullptr;
    std::string Start(std::vector<std::string> args) {
        int toParent[2];
        if (::pipe(toParent) != 0) return {};
        pid = ::fork();
        if (pid == 0) {
            ::dup2(toParent[1], 1);
            ::close(toParent[0]);
            int null = ::open("/dev/null", O_RDONLY);
            ::dup2(null, 0); // no operator's lines: standard input at its end
            darvotest::Exec(std::move(args));
        }
        ::close(toParent[1]);
        out = ::fdopen(toParent[0], "r");
        char line[256] = {};
        if (!out || !std::fgets(line, sizeof line, out)) return {};
        std::string path(line);
        while (!path.empty() && (path.back() == '\n' || path.back() == '\r'))
            path.pop_back();
        return path;
    }
    ~SimProcess() {
        if (pid > 0) {
            ::kill(pid, SIGTERM);
            ::waitpid(pid, nullptr, 0);
        }
        if (out) std::fclose(out);
    }
};

// CPU per wall second of PrintControl while the printer prints for 10 s.
void PrintControlCpu(benchmark::State &state) {
    const uint32_t speed = static_cast<uint32_t>(state.range(0));
    SimProcess sim;
    std::string path = sim.Start({DARVO_SIM_PATH, "--model", "7", "--pace", "--print-time", "10000"});
    if (path.empty()) return state.SkipWithError("darvo-sim did not start");
    ::setenv("DARVO_COM6", path.c_str(), 1);
    if (CommunicationInit(6, static_cast<int32_t>(speed), 5) != 0)
        return state.SkipWithError("CommunicationInit failed");
    double wall = 0, cpu = 0;
    for (auto _ : state) {
        uint8_t answer[256];
        if (RSSequence(37, 1, 0, answer, nullptr) != 0) { // the daily report: a printout starts
            state.SkipWithError("the printout did not start");
            break;
        }
        const double cpu0 = ProcessCpuSeconds();
        const auto t0 = Clock::now();
        const int32_t result = PrintControl(0, 7);
        wall = Seconds(Clock::now() - t0);
        cpu = ProcessCpuSeconds() - cpu0;
        state.SetIterationTime(wall);
        if (result != 0) state.SkipWithError(("PrintControl returned " + std::to_string(result)).c_str());
    }
    CommunicationEnd();
    state.counters["speed"] = speed;
    state.counters["wall_s"] = wall;
    state.counters["cpu_s"] = cpu;
    state.counters["cpu_per_wall"] = wall > 0 ? cpu / wall : 0;
}
BENCHMARK(PrintControlCpu)->Name("PrintControlCpu")->Arg(9600)->Iterations(1)->UseManualTime();
BENCHMARK(PrintControlCpu)->Name("PrintControlCpu")->Arg(28800)->Iterations(1)->UseManualTime();

// CPU per wall second of an open port that nothing uses.
void IdlePortCpu(benchmark::State &state) {
    InstantPeer peer;
    if (!peer.Start(9600)) return state.SkipWithError("no pseudo-terminal");
    ::setenv("DARVO_COM9", peer.SlavePath().c_str(), 1);
    if (OpenPort(kBenchPort, 9600, 5, 5) != 0) return state.SkipWithError("OpenPort failed");
    double wall = 0, cpu = 0;
    for (auto _ : state) {
        const double cpu0 = ProcessCpuSeconds();
        const auto t0 = Clock::now();
        std::this_thread::sleep_for(std::chrono::seconds(3));
        wall = Seconds(Clock::now() - t0);
        cpu = ProcessCpuSeconds() - cpu0;
        state.SetIterationTime(wall);
    }
    ClosePort();
    peer.Stop();
    state.counters["wall_s"] = wall;
    state.counters["cpu_s"] = cpu;
    state.counters["cpu_per_wall"] = cpu / wall;
}
BENCHMARK(IdlePortCpu)->Iterations(1)->UseManualTime();

// The user program from exec to its status bar showing the printer. The
// program lists the ports it can open (255 probes) before it connects.
void ProgramStart(benchmark::State &state) {
    SimProcess sim;
    std::string path = sim.Start({DARVO_SIM_PATH, "--model", "7"});
    if (path.empty()) return state.SkipWithError("darvo-sim did not start");
    ::setenv("DARVO_COM1", path.c_str(), 1);
    double started = 0, probes = 0;
    for (auto _ : state) {
        int err[2];
        if (::pipe(err) != 0) return state.SkipWithError("no pipe");
        const auto t0 = Clock::now();
        pid_t pid = ::fork();
        if (pid == 0) {
            ::dup2(err[1], 2);
            ::close(err[0]);
            int null = ::open("/dev/null", O_RDWR);
            ::dup2(null, 0);
            ::dup2(null, 1);
            ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
            ::setenv("DARVO_REPORT_STATUS_BAR", "1", 1);
            ::execl(DARVO_APP_PATH, DARVO_APP_PATH, "COM1", "9600", static_cast<char *>(nullptr));
            ::_exit(127);
        }
        ::close(err[1]);
        FILE *in = ::fdopen(err[0], "r");
        char line[512];
        bool seen = false;
        while (in && std::fgets(line, sizeof line, in))
            if (std::strstr(line, "status bar:")) {
                seen = true;
                break;
            }
        started = Seconds(Clock::now() - t0);
        ::kill(pid, SIGTERM);
        ::waitpid(pid, nullptr, 0);
        if (in) std::fclose(in);
        if (!seen) {
            state.SkipWithError("the status bar was never filled");
            break;
        }
        state.SetIterationTime(started);

        // The probes' share: the same 255 probes, same ports, in this process.
        const auto p0 = Clock::now();
        int found = 0;
        for (unsigned n = 1; n <= 255; ++n)
            found += darvo::ProbePort(n) ? 1 : 0;
        probes = Seconds(Clock::now() - p0);
        state.counters["ports_found"] = found;
    }
    state.counters["start_s"] = started;
    state.counters["probes_s"] = probes;
    state.counters["probes_share"] = started > 0 ? probes / started : 0;
}
BENCHMARK(ProgramStart)->Iterations(1)->ComputeStatistics("min", MinOf)->Repetitions(5)->UseManualTime();

} // namespace

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
