// The nivrasw program itself: started with a port and a speed it connects to
// the printer at once; asked for a picture it saves its window and ends.
#include "Emulator.h"

#include <QImage>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

TEST(Program, StartsConnectedAndSavesItsWindow) {
    darvosim::Emulator sim;
    ASSERT_TRUE(sim.Start()) << sim.Error();
    const std::string picture = ::testing::TempDir() + "nivrasw-" + std::to_string(::getpid()) + ".png";
    ::unlink(picture.c_str());

    pid_t pid = ::fork();
    if (pid == 0) {
        ::setenv("DARVO_COM1", sim.SlavePath().c_str(), 1);
        ::setenv("NIVRASW_SCREENSHOT", picture.c_str(), 1);
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        // A program that waits for an answer nobody gives is ended after 20 s.
        ::execlp("timeout", "timeout", "20", NIVRASW_PATH, "com1", "9600", static_cast<char *>(nullptr));
        ::_exit(127);
    }
    ASSERT_GT(pid, 0);
    int status = 0;
    ASSERT_EQ(pid, ::waitpid(pid, &status, 0));
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(0, WEXITSTATUS(status));

    QImage image(QString::fromStdString(picture));
    EXPECT_FALSE(image.isNull());
    EXPECT_EQ(QSize(602, 414), image.size());
    ::unlink(picture.c_str());

    sim.WaitForFrames(sim.FrameCount(), std::chrono::seconds(1));
    EXPECT_EQ((darvosim::Bytes{0xFF, 0xFE, 0xFF, 0xFE}), sim.log().Commands());
    sim.Stop();
}

} // namespace
