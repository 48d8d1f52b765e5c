// Port and speed from the command line.
#include "AppState.h"

#include <gtest/gtest.h>

namespace {

CommandLine Parse(std::vector<std::string> args) {
    return ParseCommandLine(args);
}

TEST(CommandLine, PortAndSpeedInEitherOrderAndAnyLetterCase) {
    EXPECT_EQ(2, Parse({"COM2", "19200"}).port);
    EXPECT_EQ(19200, Parse({"COM2", "19200"}).speed);
    CommandLine lower = Parse({"com3", "28800"});
    EXPECT_EQ(3, lower.port);
    EXPECT_EQ(28800, lower.speed);
    CommandLine reversed = Parse({"9600", "Com9"});
    EXPECT_EQ(9, reversed.port);
    EXPECT_EQ(9600, reversed.speed);
}

TEST(CommandLine, OnlyComOneToNineAndTheThreeSpeedsCount) {
    EXPECT_EQ(0, Parse({"COM10", "9600"}).port);
    EXPECT_EQ(9600, Parse({"COM10", "9600"}).speed);
    EXPECT_EQ(0, Parse({"COM0"}).port);
    EXPECT_EQ(0, Parse({"COM"}).port);
    EXPECT_EQ(0, Parse({" COM1"}).port);
    EXPECT_EQ(0, Parse({"/dev/ttyS0"}).port);
    EXPECT_EQ(0, Parse({"4800", "115200", "09600", "9600 "}).speed);
    CommandLine none = Parse({});
    EXPECT_EQ(0, none.port);
    EXPECT_EQ(0, none.speed);
}

TEST(CommandLine, FirstMatchWinsAndOtherArgumentsAreIgnored) {
    CommandLine c = Parse({"-x", "COM10", "COM4", "COM5", "abc", "28800", "9600"});
    EXPECT_EQ(4, c.port);
    EXPECT_EQ(28800, c.speed);
    EXPECT_EQ(0, Parse({"19200"}).port);
    EXPECT_EQ(0, Parse({"COM1"}).speed);
}

TEST(CommandLine, SpeedItems) {
    EXPECT_EQ(9600, SpeedOfItem(0));
    EXPECT_EQ(19200, SpeedOfItem(1));
    EXPECT_EQ(28800, SpeedOfItem(2));
    EXPECT_EQ(0, ItemOfSpeed(9600));
    EXPECT_EQ(1, ItemOfSpeed(19200));
    EXPECT_EQ(2, ItemOfSpeed(28800));
    EXPECT_EQ(0, ItemOfSpeed(0));
    EXPECT_EQ(0, ItemOfSpeed(4800));
}

} // namespace
