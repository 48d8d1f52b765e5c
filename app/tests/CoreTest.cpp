// What the program keeps without widgets: the port and speed of the command
// line, and the formatters and NIP check of the header lines.
#include "core/AppState.h"
#include "core/HeaderLines.h"

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

TEST(HeaderLines, CentrePadAndNip) {
    EXPECT_EQ(QString(18, ' ') + "abc" + QString(19, ' '), CentreLine("  abc ", 40));
    const QString long45 = "0123456789012345678901234567890123456789ABCDE";
    EXPECT_EQ(long45.left(40), CentreLine(long45, 40));
    EXPECT_EQ(QString(8, ' ') + "a b" + QString(9, ' '), CentreLine("\ta\nb\r", 20));
    EXPECT_EQ(QString(40, ' '), CentreLine("", 40));
    EXPECT_EQ("  x" + QString(17, ' '), PadLine("  x", 20));
    EXPECT_EQ("abcdefghijklmnopqrst", PadLine("abcdefghijklmnopqrstuvwxy", 20));
    EXPECT_EQ("a b" + QString(37, ' '), PadLine("a\tb", 40));

    const struct {
        const char *text;
        int code;
    } nips[] = {
        {"NIP 526-000-12-46", kNipCorrect},
        {"nip 526-000-12-47", kNipWrong},
        {"NIP", kNipNoDigits},
        {"526-000-12-46", kNipNoWord},
        {"NIP 52600012461", kNipWrong},
        {"NIP 526-000-12-4", kNipWrong},
        // 6 + 7 = 13 leaves 2; 30 + 2 = 32 leaves 10, which counts as 0
        {"N-I-P 1000000012", kNipNoWord},
        {"xNiPx1000000012", kNipCorrect},
        {"NIP 5001000000", kNipCorrect},
        {"NIP 5001000001", kNipWrong},
    };
    for (const auto &n : nips)
        EXPECT_EQ(n.code, CheckNip(QString::fromUtf8(n.text))) << n.text;
}

} // namespace
