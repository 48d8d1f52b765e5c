// What the offscreen platform does not show: the live clock in a real modal
// loop on a real X server without a window manager (Xvfb), its 10 ms timer
// reading the printer until the CMOS memory turns out erased, and the dialog
// centred over the shown main window. The test runs this binary again under
// xvfb-run, where only the child test does the work.
#include "AppFixture.h"
#include "Child.h"

#include "clock/TfDataGodzina.h"

#include <QGuiApplication>
#include <QLabel>
#include <QTimer>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace apptest;

namespace {

constexpr const char *kChild = "DARVO_REAL_DISPLAY_CHILD";

bool OnPath(const char *program) {
    const std::string command = std::string("command -v ") + program + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

TEST(RealDisplay, LiveClockRunsInAModalLoopOnXvfb) {
    if (std::getenv(kChild)) GTEST_SKIP() << "the child run";
    if (!OnPath("xvfb-run") || !OnPath("Xvfb")) GTEST_SKIP() << "xvfb-run is not installed";
    char self[4096];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    ASSERT_GT(n, 0);
    self[n] = '\0';
    // DISPLAY is xvfb-run's to set.
    std::vector<std::string> variables =
        EnvironmentWith({std::string(kChild) + "=1", "QT_QPA_PLATFORM=xcb", "DISPLAY=", "WAYLAND_DISPLAY="});
    std::vector<char *> envp;
    for (std::string &v : variables)
        envp.push_back(v.data());
    envp.push_back(nullptr);
    std::string filter = "--gtest_filter=RealDisplayChild.*";
    // A child that hangs is ended after 60 s.
    char *const argv[] = {const_cast<char *>("timeout"),
                          const_cast<char *>("60"),
                          const_cast<char *>("xvfb-run"),
                          const_cast<char *>("-a"),
                          const_cast<char *>("-s"),
                          const_cast<char *>("-screen 0 1024x768x24"),
                          self,
                          filter.data(),
                          nullptr};
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::execvpe("timeout", argv, envp.data());
        ::_exit(127);
    }
    int status = 0;
    ASSERT_EQ(pid, ::waitpid(pid, &status, 0));
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(0, WEXITSTATUS(status)) << "the child test failed (its output is above)";
}

class RealDisplayChild : public AppTest {
  protected:
    void SetUp() override {
        if (!std::getenv(kChild)) GTEST_SKIP() << "runs only under xvfb-run, started by RealDisplay";
        AppTest::SetUp();
    }
    void TearDown() override {
        if (std::getenv(kChild)) AppTest::TearDown();
    }
};

TEST_F(RealDisplayChild, LiveClockReadsUntilErasedAndIsCentred) {
    ASSERT_EQ("xcb", QGuiApplication::platformName());
    darvosim::Emulator &sim = StartSim(1, 7);
    Confirm(1, 9600);
    TDialog::SetModalRunner(nullptr); // the real modal loop
    GlowneOkno->move(100, 80);
    GlowneOkno->show();
    QCoreApplication::processEvents();

    // Once the clock has been read a few times, the CMOS memory goes.
    QPoint dialogCentre, mainCentre;
    int readsSeen = 0;
    QTimer watch;
    watch.setInterval(5);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        sim.WaitForFrames(sim.FrameCount(), std::chrono::seconds(1));
        readsSeen = static_cast<int>(sim.log().FramesOf(64).size());
        if (readsSeen < 3) return;
        watch.stop();
        dialogCentre = fDataGodzina->geometry().center();
        mainCentre = GlowneOkno->geometry().center();
        WithPrinter(sim, [](darvosim::Printer &p) { p.status.cmosErased = true; });
    });
    watch.start();
    // Should the dialog never close by itself, the test fails instead of hanging.
    QTimer::singleShot(20000, fDataGodzina, [] { fDataGodzina->reject(); });
    sim.log().Clear();
    GlowneOkno->Odczytzegara1Click();

    EXPECT_GE(readsSeen, 3);
    EXPECT_TRUE(fDataGodzina->lCzas->text().startsWith("Godzina:     "));
    EXPECT_EQ(QStringList{"Skasowana pamięć CMOS. Wejdź do inicjowania zegara."}, Texts());
    EXPECT_FALSE(fDataGodzina->isVisible());
    EXPECT_FALSE(fDataGodzina->tZegar->isActive());
    EXPECT_LE((dialogCentre - mainCentre).manhattanLength(), 4)
        << dialogCentre.x() << "," << dialogCentre.y() << " vs " << mainCentre.x() << "," << mainCentre.y();
}

} // namespace
