// The nivrasw program itself: started with a port and a speed it connects to
// the printer at once; asked for a picture it saves its window and ends.
#include "Child.h"
#include "Emulator.h"

#include <QImage>
#include <gtest/gtest.h>
#include <poll.h>

using namespace apptest;

namespace {

// Reads the display number an X server writes when it is ready; -1 when it
// does not within the time.
int ReadDisplayNumber(int fd, int timeoutMs) {
    std::string text;
    char c;
    pollfd p{fd, POLLIN, 0};
    while (::poll(&p, 1, timeoutMs) > 0 && ::read(fd, &c, 1) == 1) {
        if (c == '\n') return text.empty() ? -1 : std::stoi(text);
        if (c < '0' || c > '9') return -1;
        text += c;
    }
    return -1;
}

TEST(Program, StartsConnectedAndSavesItsWindow) {
    darvosim::Emulator sim;
    ASSERT_TRUE(sim.Start()) << sim.Error();
    const std::string picture = ::testing::TempDir() + "nivrasw-" + std::to_string(::getpid()) + ".png";
    ::unlink(picture.c_str());
    int errors[2];
    ASSERT_EQ(0, ::pipe(errors));
    // Speed first, port in small letters: the order and the letter case do
    // not matter, and the third speed item keeps 28800 through the device check.
    // A program that waits for an answer nobody gives is ended after 20 s.
    Child program({"timeout", "20", NIVRASW_PATH, "28800", "com1"},
                  EnvironmentWith({"DARVO_COM1=" + sim.SlavePath(), "NIVRASW_SCREENSHOT=" + picture,
                                   "QT_QPA_PLATFORM=offscreen"}),
                  -1, errors[1]);
    ::close(errors[1]);
    ASSERT_TRUE(program.Started());
    std::string messages;
    char buffer[256];
    for (ssize_t n; (n = ::read(errors[0], buffer, sizeof buffer)) > 0;)
        messages.append(buffer, size_t(n));
    ::close(errors[0]);
    EXPECT_EQ(0, program.Wait());

    QImage image(QString::fromStdString(picture));
    EXPECT_FALSE(image.isNull());
    EXPECT_EQ(QSize(602, 414), image.size());
    ::unlink(picture.c_str());

    sim.WaitForFrames(sim.FrameCount(), std::chrono::seconds(1));
    EXPECT_EQ((darvosim::Bytes{0xFF, 0xFE, 0xFF, 0xFE}), sim.log().Commands());
    // The status bar it ended with.
    EXPECT_NE(std::string::npos, messages.find("nivrasw: DARVO PEXA, COM1, 28800 b/s\n")) << messages;
    sim.Stop();
}

// A real X server without a window manager: nothing ever activates the main
// window, and the program must still list the ports and connect at start-up.
TEST(Program, ConnectsOnAnXServerWithoutAWindowManager) {
    if (::access("/usr/bin/Xvfb", X_OK) != 0) GTEST_SKIP() << "Xvfb is not installed (package xvfb)";
    darvosim::Emulator sim;
    ASSERT_TRUE(sim.Start()) << sim.Error();

    int ready[2];
    ASSERT_EQ(0, ::pipe(ready));
    Child server({"/usr/bin/Xvfb", "-displayfd", std::to_string(ready[1]), "-nolisten", "tcp", "-screen", "0",
                  "1024x768x24"},
                 EnvironmentWith({}), ready[1]);
    ::close(ready[1]);
    ASSERT_TRUE(server.Started());
    const int display = ReadDisplayNumber(ready[0], 20000);
    ::close(ready[0]);
    ASSERT_GE(display, 0) << "Xvfb did not start";

    Child program({NIVRASW_PATH, "COM1", "9600"},
                  EnvironmentWith({"DISPLAY=:" + std::to_string(display), "QT_QPA_PLATFORM=xcb",
                                   "DARVO_COM1=" + sim.SlavePath(), "NIVRASW_SCREENSHOT="}));
    ASSERT_TRUE(program.Started());
    // Identified by the device check, then once more for the menus.
    EXPECT_TRUE(sim.WaitForFrames(4, std::chrono::seconds(20)));
    EXPECT_EQ((darvosim::Bytes{0xFF, 0xFE, 0xFF, 0xFE}), sim.log().Commands());
    EXPECT_TRUE(program.Stop()) << "the program ended by itself";
    server.Stop();
    sim.Stop();
}

} // namespace
