// Port and speed from the command line.
#include "core/AppState.h"

#include <gtest/gtest.h>

namespace {

TEST(CommandLine, PortAndSpeedFromTheArguments) {
    const struct {
        std::vector<std::string> args;
        int port, speed;
    } cases[] = {
        {{"COM2", "19200"}, 2, 19200},
        {{"com3", "28800"}, 3, 28800}, // any letter case
        {{"9600", "Com9"}, 9, 9600},   // either order
        // Only COM1 to COM9 and the three speeds count.
        {{"COM10", "9600"}, 0, 9600},
        {{"COM0"}, 0, 0},
        {{"COM"}, 0, 0},
        {{" COM1"}, 0, 0},
        {{"/dev/ttyS0"}, 0, 0},
        {{"4800", "115200", "09600", "9600 "}, 0, 0},
        {{}, 0, 0},
        // The first match wins; other arguments are ignored.
        {{"-x", "COM10", "COM4", "COM5", "abc", "28800", "9600"}, 4, 28800},
        {{"19200"}, 0, 19200},
        {{"COM1"}, 1, 0},
    };
    for (const auto &c : cases) {
        const CommandLine parsed = ParseCommandLine(c.args);
        EXPECT_EQ(c.port, parsed.port) << testing::PrintToString(c.args);
        EXPECT_EQ(c.speed, parsed.speed) << testing::PrintToString(c.args);
    }
}

} // namespace
