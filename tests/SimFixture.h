// A test fixture that starts the emulated printer on a pseudo-terminal and
// maps a COM port number to it.
#pragma once

#include "Emulator.h"
#include "TestTime.h"
#include "darvodr/Core.h"
#include "darvodr/Host.h"
#include "darvodr/Receipt.h"
#include "darvodr/Session.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <utility>
#include <vector>

namespace darvotest {

constexpr uint8_t kPort = 7; // COM7 is mapped to the emulator in every test

class SimTest : public ::testing::Test {
  public:
    // The driver's globals as a freshly loaded driver has them.
    static void ResetDriver() {
        darvo::SessionPort = 0;
        darvo::SessionBaudRate = 9600;
        darvo::SessionTimeout = 5;
        darvo::SessionReady = true;
        darvo::DeviceType = 9;
        darvo::ReceiptOpen = false;
        darvo::ItemCount = 0;
        darvo::ResetReceiptState();
        darvo::SetDriverHost(nullptr);
    }

  protected:
    // The emulated printer of this model (in place of a running one).
    void StartSim(int deviceType = 7, int version = -1) {
        darvo::CloseSessionPort();
        if (sim) sim->Stop();
        darvosim::EmulatorOptions options;
        options.deviceType = deviceType;
        options.version = version;
        sim = std::make_unique<darvosim::Emulator>(options);
        ASSERT_TRUE(sim->Start()) << sim->Error();
        ::setenv("DARVO_COM7", sim->SlavePath().c_str(), 1);
    }
    // The driver's state is put back to its values at load before and after
    // every case.
    void SetUp() override {
        ResetDriver();
        StartSim();
    }
    void TearDown() override {
        darvo::CloseSessionPort();
        if (sim) sim->Stop();
        ::unsetenv("DARVO_COM7");
        ResetDriver();
    }
    // Opens COM7 with 1-second time-outs.
    void Open(uint32_t baud = 9600, uint16_t writeS = 1, uint16_t readS = 1) {
        ASSERT_EQ(0, darvo::OpenSessionPort(kPort, baud, writeS, readS)) << darvo::LastPortErrorText();
    }
    // The port open and the session ready, as the user program holds it.
    void OpenReady() {
        Open();
        darvo::SessionReady = true;
    }
    // Changes the printer's state as its operator would, once it has
    // finished serving.
    void OnPrinter(const std::function<void(darvosim::Printer &)> &change) {
        Frames();
        std::lock_guard<std::recursive_mutex> lock(printer().mutex);
        change(printer());
    }
    // Status byte n as the printer keeps it, once it has finished serving.
    uint8_t StatusByte(int n) {
        Frames();
        std::lock_guard<std::recursive_mutex> lock(printer().mutex);
        return printer().StatusByte(n);
    }
    // The command bytes of every frame served, once at least `atLeast` were.
    darvosim::Bytes Commands(int atLeast = 0) {
        Frames(atLeast);
        return sim->log().Commands();
    }
    std::vector<darvosim::Frame> FramesOf(uint8_t command) {
        Frames();
        return sim->log().FramesOf(command);
    }
    // What the host sent in the one frame of `command` (none, and a failure,
    // unless there is exactly one).
    darvosim::Bytes SentOnce(uint8_t command) {
        const auto frames = FramesOf(command);
        EXPECT_EQ(1u, frames.size()) << "frames of command " << int(command);
        return frames.size() == 1 ? frames[0].fromHost : darvosim::Bytes{};
    }
    // An operator command on the printer's keys ("paper out", "power off").
    std::string Do(const std::string &command) { return printer().Control(command, sim->SlaveDescriptor()); }
    darvosim::Printer &printer() { return sim->printer(); }
    // Frames the emulator has served, after waiting until it has served at
    // least `atLeast` frames and finished the one it is serving.
    std::vector<darvosim::Frame> Frames(int atLeast = 0) {
        sim->WaitForFrames(std::max(sim->FrameCount(), atLeast), Scaled(std::chrono::seconds(3)));
        return sim->log().Frames();
    }

    std::unique_ptr<darvosim::Emulator> sim;
};

inline darvosim::Bytes B(std::initializer_list<int> bytes) {
    darvosim::Bytes out;
    for (int b : bytes)
        out.push_back(static_cast<uint8_t>(b));
    return out;
}

// Records what the driver reports upwards: the activity texts (Windows-1250),
// the clock initialisation's progress, and, at each turn the driver gives
// the window's messages, what `frames` says then (-1 without it).
class RecordingHost : public darvo::DriverHost {
  public:
    void ShowActivityMessage(const std::string &text) override { texts.push_back(text); }
    // The print monitoring's own turns; those inside a long wait for a byte
    // come as often as the machine is slow, and are not counted.
    void Processmessages() override {
        if (!darvo::InsideByteWait()) turns.push_back(frames ? frames() : -1);
        DriverHost::Processmessages();
    }
    void ClockInitProgress(const std::string &text, int position) override {
        progress.emplace_back(text, position);
    }
    std::vector<std::string> texts;
    std::vector<std::pair<std::string, int>> progress;
    std::vector<int> turns;
    std::function<int()> frames;
};

inline std::string ReadFile(const std::string &path) {
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

inline void WriteFile(const std::string &path, const std::string &text) {
    std::ofstream(path, std::ios::binary) << text;
}

// Runs a shell command line; its exit status, its output and error in `output`.
inline int RunCommand(const std::string &command, std::string &output) {
    output.clear();
    FILE *pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return -1;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        output.append(buffer, n);
    const int status = ::pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A directory of the test's own, removed with everything in it at the end.
class ScratchDir {
  public:
    ScratchDir() {
        char pattern[] = "/tmp/darvo-test-XXXXXX";
        if (::mkdtemp(pattern)) path_ = pattern;
        EXPECT_FALSE(path_.empty());
    }
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchDir(const ScratchDir &) = delete;
    ScratchDir &operator=(const ScratchDir &) = delete;
    // The path of `name` inside it.
    std::string operator/(const std::string &name) const { return path_ + "/" + name; }
    const std::string &path() const { return path_; }

  private:
    std::string path_;
};

// The lines of a wire trace (DARVO_TRACE) without their timestamps
// ("2026-01-31 12:34:56.789 "), each of which must be there.
inline std::vector<std::string> TraceLines(const std::string &path) {
    std::istringstream in(ReadFile(path));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        EXPECT_TRUE(line.size() > 24 && line[4] == '-' && line[10] == ' ' && line[13] == ':' &&
                    line[19] == '.' && line[23] == ' ')
            << line;
        lines.push_back(line.size() > 24 ? line.substr(24) : line);
    }
    return lines;
}

// Receipts on the paper roll (each ends with its "#KASA" line).
inline int RollReceipts(const darvosim::Printer &p) {
    int n = 0;
    for (const std::string &line : p.roll.Lines())
        n += line.find("#KASA") != std::string::npos;
    return n;
}

// Wire position, counted from the log entry `mark`, of the printer's first
// answer byte to the first command `command` after it (-1: none).
inline int AnswerPosition(darvosim::Emulator &sim, size_t mark, uint8_t command) {
    const auto entries = sim.log().Entries();
    for (const darvosim::Frame &f : sim.log().Frames())
        if (f.command == command)
            for (size_t i = mark; i < entries.size(); ++i)
                if (entries[i].frame == f.number && !entries[i].fromHost) return static_cast<int>(i - mark);
    return -1;
}

// A 40-column line of the paper roll, its end included: left text, blanks,
// right text.
inline std::string RollLine(const std::string &left, const std::string &right) {
    size_t used = 0;
    for (unsigned char c : left + right)
        used += (c & 0xC0) != 0x80;
    return left + std::string(used < 40 ? 40 - used : 1, ' ') + right + "\n";
}

} // namespace darvotest
