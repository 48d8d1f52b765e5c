// The nivrasw program itself: started with a port and a speed it connects to
// the printer at once; asked for a picture it saves its window and ends.
#include "Emulator.h"

#include <QImage>
#include <csignal>
#include <fcntl.h>
#include <cstdlib>
#include <gtest/gtest.h>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

// This process's environment with some variables set anew.
std::vector<std::string> EnvironmentWith(const std::vector<std::string> &set) {
    std::vector<std::string> variables = set;
    for (char **e = environ; *e; ++e) {
        const std::string entry = *e;
        const std::string name = entry.substr(0, entry.find('=') + 1);
        bool replaced = false;
        for (const std::string &s : set)
            replaced = replaced || s.compare(0, name.size(), name) == 0;
        if (!replaced) variables.push_back(entry);
    }
    return variables;
}

// A child process, ended (SIGTERM) and waited for when the test is done
// with it, however the test ends.
class Child {
  public:
    // The argument and environment arrays are made here: between fork and
    // exec only async-signal-safe calls may run in a process with threads.
    Child(std::vector<std::string> argv, std::vector<std::string> env, int keepFd = -1) {
        std::vector<char *> args, envp;
        for (std::string &a : argv)
            args.push_back(a.data());
        args.push_back(nullptr);
        for (std::string &v : env)
            envp.push_back(v.data());
        envp.push_back(nullptr);
        pid_ = ::fork();
        if (pid_ == 0) {
            const int null = ::open("/dev/null", O_RDWR);
            ::dup2(null, 0);
            ::dup2(null, 1);
            ::dup2(null, 2);
            for (int fd = 3; fd < 1024; ++fd)
                if (fd != keepFd) ::close(fd);
            ::execvpe(args[0], args.data(), envp.data());
            ::_exit(127);
        }
    }
    ~Child() { Stop(); }
    Child(const Child &) = delete;
    Child &operator=(const Child &) = delete;
    bool Started() const { return pid_ > 0; }
    // True when it was still running until told to end.
    bool Stop() {
        if (pid_ <= 0) return false;
        int status = 0;
        const bool running = ::waitpid(pid_, &status, WNOHANG) == 0;
        if (running) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, &status, 0);
        }
        pid_ = -1;
        return running;
    }

  private:
    pid_t pid_ = -1;
};

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
