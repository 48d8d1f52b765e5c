// darvo-sim from the command line: the path it prints, the link, the wire
// log file, and a clean exit on SIGTERM.
#include "ChildProcess.h"
#include "SimFixture.h"
#include "darvodr/Core.h"
#include "darvodr.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <signal.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string ReadFile(const std::string &path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace

TEST(DarvoSim, RunsFromTheCommandLine) {
    std::string dir = ::testing::TempDir() + "darvo-sim-cli-" + std::to_string(::getpid());
    ::mkdir(dir.c_str(), 0700);
    std::string link = dir + "/printer", log = dir + "/wire.log";
    darvotest::Child sim;
    ASSERT_TRUE(sim.Start({DARVO_SIM_PATH, "--model", "3", "--version", "5", "--link", link, "--log", log}));
    std::string path = sim.Line();
    EXPECT_EQ(0u, path.rfind("/dev/pts/", 0)) << path;
    char target[256] = {};
    ASSERT_GT(::readlink(link.c_str(), target, sizeof target - 1), 0);
    EXPECT_EQ(path, target);

    ::setenv("DARVO_COM6", link.c_str(), 1);
    ASSERT_EQ(0, OpenPort(6, 19200, 1, 1));
    uint8_t answer[256] = {};
    EXPECT_EQ(0, RSSequence(0xFF, 2, 0, answer, nullptr));
    EXPECT_EQ(44, answer[0]);
    EXPECT_EQ(0, RSSequence(0xFE, 4, 0, answer, nullptr));
    EXPECT_EQ(5, answer[1]); // the version given on the command line
    EXPECT_EQ(0, ClosePort());
    ::unsetenv("DARVO_COM6");

    ASSERT_EQ(0, ::kill(sim.pid, SIGTERM));
    EXPECT_EQ(0, sim.Wait());
    EXPECT_NE(0, ::access(link.c_str(), F_OK)); // the link is cleaned up
    std::string wire = ReadFile(log);
    EXPECT_NE(std::string::npos, wire.find("host> 1B FF")) << wire;
    EXPECT_NE(std::string::npos, wire.find("<prn  06 2C")) << wire;
}

TEST(DarvoSim, RefusesBadOptions) {
    for (std::vector<std::string> args : {std::vector<std::string>{DARVO_SIM_PATH, "--model", "12"},
                                          std::vector<std::string>{DARVO_SIM_PATH, "--search-time", "-1"},
                                          std::vector<std::string>{DARVO_SIM_PATH, "--bogus"}}) {
        darvotest::Child sim;
        ASSERT_TRUE(sim.Start(args));
        EXPECT_EQ(2, sim.Wait());
    }
}

TEST(Emulator, StopsWhileTheHostReadsNothing) {
    // An answer far longer than the line holds, and a host that never reads it.
    darvosim::Emulator sim;
    ASSERT_TRUE(sim.Start()) << sim.Error();
    sim.Script(0x41, darvosim::Scripted{darvosim::Bytes(200000, 0x06)});
    ASSERT_EQ(2, ::write(sim.SlaveDescriptor(), "\x1B\x41", 2));
    ASSERT_TRUE(sim.log().WaitForHostBytes(2, std::chrono::seconds(1)));
    const auto start = std::chrono::steady_clock::now();
    sim.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
}

TEST(Emulator, FrameWithoutItsCommandByteEndsAfterTheParameterTimeout) {
    darvosim::EmulatorOptions options;
    options.parameterTimeout = std::chrono::milliseconds(50);
    darvosim::Emulator sim(options);
    ASSERT_TRUE(sim.Start()) << sim.Error();
    ASSERT_EQ(1, ::write(sim.SlaveDescriptor(), "\x1B", 1)); // a lone escape byte
    EXPECT_TRUE(sim.WaitForFrames(1, std::chrono::seconds(1)));
    EXPECT_EQ(1, sim.FrameCount());
    ASSERT_EQ(2, ::write(sim.SlaveDescriptor(), "\x1B\x23", 2)); // the next frame is served
    EXPECT_TRUE(sim.WaitForFrames(2, std::chrono::seconds(1)));
    EXPECT_EQ(darvotest::B({0x06}), sim.log().FramesOf(0x23).at(0).fromPrinter);
}
