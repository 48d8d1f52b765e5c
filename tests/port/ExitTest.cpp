// A program that ends with the port still open: it must end at once, and
// leave the line free and as it found it.
#include "ChildProcess.h"
#include "SimFixture.h"
#include "darvodr.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <unistd.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>

using namespace darvotest;

namespace {

constexpr const char *kHelperVariable = "DARVO_TEST_END_WITH_OPEN_PORT";

class ExitTest : public SimTest {};

} // namespace

// Run in a child process only: opens COM7 and ends the program without
// closing it.
TEST(ExitHelper, EndsWithThePortOpen) {
    if (!std::getenv(kHelperVariable)) GTEST_SKIP() << "runs as a child process of ExitTest";
    std::printf("open %d\n", static_cast<int>(OpenPort(kPort, 9600, 1, 1)));
    uint8_t answer[256] = {};
    std::printf("ping %d\n", static_cast<int>(RSSequence(0x23, 1, 0, answer, nullptr)));
    std::fflush(stdout);
    std::exit(0);
}

TEST_F(ExitTest, ProgramEndingWithThePortOpenEndsAndFreesTheLine) {
    termios before{};
    ASSERT_EQ(0, ::tcgetattr(sim->SlaveDescriptor(), &before));
    ::setenv(kHelperVariable, "1", 1);
    Child child;
    const bool started = child.Start({"/proc/self/exe", "--gtest_filter=ExitHelper.EndsWithThePortOpen"});
    ::unsetenv(kHelperVariable);
    ASSERT_TRUE(started);
    std::string output;
    for (std::string line = child.Line(); line != "<eof>"; line = child.Line()) {
        output += line + "\n";
        if (line.rfind("ping", 0) == 0) break;
    }
    EXPECT_NE(std::string::npos, output.find("open 0\nping 0\n")) << output;
    // Its standard output closes when it has ended; give it three seconds.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd end{::fileno(child.out), POLLIN, 0};
        ASSERT_EQ(1, ::poll(&end, 1, std::max<int>(0, static_cast<int>(left.count()))))
            << "the program did not end";
        char buffer[256];
        if (::read(end.fd, buffer, sizeof buffer) <= 0) break;
    }
    EXPECT_EQ(0, child.Wait());

    int exclusive = 1;
    ASSERT_EQ(0, ::ioctl(sim->SlaveDescriptor(), TIOCGEXCL, &exclusive));
    EXPECT_EQ(0, exclusive);
    termios after{};
    ASSERT_EQ(0, ::tcgetattr(sim->SlaveDescriptor(), &after));
    EXPECT_EQ(before.c_cflag, after.c_cflag);
    Open();
}
