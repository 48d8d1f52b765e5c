// The nivrasw program itself: started with a port and a speed it connects to
// the printer at once; asked for a picture it saves its window and ends.
#include "Emulator.h"

#include <QImage>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

TEST(Program, StartsConnectedAndSavesItsWindow) {
    darvosim::Emulator sim;
    ASSERT_TRUE(sim.Start()) << sim.Error();
    const std::string picture = ::testing::TempDir() + "nivrasw-" + std::to_string(::getpid()) + ".png";
    ::unlink(picture.c_str());

    // The child's environment is made here: between fork and exec only
    // async-signal-safe calls may run in a process with threads.
    std::vector<std::string> variables = {"DARVO_COM1=" + sim.SlavePath(), "NIVRASW_SCREENSHOT=" + picture,
                                          "QT_QPA_PLATFORM=offscreen"};
    for (char **e = environ; *e; ++e) {
        const std::string entry = *e;
        const std::string name = entry.substr(0, entry.find('='));
        if (name != "DARVO_COM1" && name != "NIVRASW_SCREENSHOT" && name != "QT_QPA_PLATFORM")
            variables.push_back(entry);
    }
    std::vector<char *> envp;
    for (std::string &v : variables)
        envp.push_back(v.data());
    envp.push_back(nullptr);
    // Speed first, port in small letters: the order and the letter case do
    // not matter, and the third speed item keeps 28800 through the device check.
    // A program that waits for an answer nobody gives is ended after 20 s.
    char *const argv[] = {const_cast<char *>("timeout"),    const_cast<char *>("20"),
                          const_cast<char *>(NIVRASW_PATH), const_cast<char *>("28800"),
                          const_cast<char *>("com1"),       nullptr};
    int errors[2];
    ASSERT_EQ(0, ::pipe(errors));
    pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(errors[1], 2);
        ::close(errors[0]);
        ::close(errors[1]);
        ::execvpe("timeout", argv, envp.data());
        ::_exit(127);
    }
    ::close(errors[1]);
    std::string messages;
    char buffer[256];
    for (ssize_t n; (n = ::read(errors[0], buffer, sizeof buffer)) > 0;)
        messages.append(buffer, size_t(n));
    ::close(errors[0]);
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
    // The status bar it ended with.
    EXPECT_NE(std::string::npos, messages.find("nivrasw: DARVO PEXA, COM1, 28800 b/s\n")) << messages;
    sim.Stop();
}

} // namespace
