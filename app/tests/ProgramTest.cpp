// The nivrasw program itself: started with a port and a speed it connects to
// the printer at once; asked for a picture it saves its window and ends. On a
// real X server without a window manager (Xvfb), which the offscreen
// platform does not stand for, it still connects at start-up, and the live
// clock runs in a real modal loop centred over the main window.
#include "AppFixture.h"
#include "Child.h"

#include "clock/TfDataGodzina.h"

#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QTimer>
#include <cstdlib>
#include <memory>
#include <poll.h>

using namespace apptest;

namespace {

constexpr const char *kChild = "DARVO_REAL_DISPLAY_CHILD";

// Starts Xvfb on a display of its own: the display number, or -1 when it
// does not start within 20 s. The server ends with `server`.
int StartXvfb(std::unique_ptr<Child> &server) {
    int ready[2];
    if (::pipe(ready) != 0) return -1;
    server = std::make_unique<Child>(std::vector<std::string>{"/usr/bin/Xvfb", "-displayfd",
                                                              std::to_string(ready[1]), "-nolisten", "tcp",
                                                              "-screen", "0", "1024x768x24"},
                                     EnvironmentWith({}), ready[1]);
    ::close(ready[1]);
    std::string text;
    char c;
    pollfd p{ready[0], POLLIN, 0};
    while (::poll(&p, 1, 20000) > 0 && ::read(ready[0], &c, 1) == 1 && c >= '0' && c <= '9')
        text += c;
    ::close(ready[0]);
    return c == '\n' && !text.empty() ? std::stoi(text) : -1;
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

// Nothing ever activates the main window, and the program must still list
// the ports and connect at start-up.
TEST(Program, ConnectsOnAnXServerWithoutAWindowManager) {
    if (::access("/usr/bin/Xvfb", X_OK) != 0) GTEST_SKIP() << "Xvfb is not installed (package xvfb)";
    darvosim::Emulator sim;
    ASSERT_TRUE(sim.Start()) << sim.Error();
    std::unique_ptr<Child> server;
    const int display = StartXvfb(server);
    ASSERT_GE(display, 0) << "Xvfb did not start";

    Child program({NIVRASW_PATH, "COM1", "9600"},
                  EnvironmentWith({"DISPLAY=:" + std::to_string(display), "QT_QPA_PLATFORM=xcb",
                                   "DARVO_COM1=" + sim.SlavePath(), "NIVRASW_SCREENSHOT="}));
    ASSERT_TRUE(program.Started());
    // Identified by the device check, then once more for the menus.
    EXPECT_TRUE(sim.WaitForFrames(4, std::chrono::seconds(20)));
    EXPECT_EQ((darvosim::Bytes{0xFF, 0xFE, 0xFF, 0xFE}), sim.log().Commands());
    EXPECT_TRUE(program.Stop()) << "the program ended by itself";
    sim.Stop();
}

// The live clock in a real modal loop on Xvfb: this test binary runs again
// there, where only the child test below does the work.
TEST(Program, LiveClockRunsInAModalLoopOnXvfb) {
    if (std::getenv(kChild)) GTEST_SKIP() << "the child run";
    if (::access("/usr/bin/Xvfb", X_OK) != 0) GTEST_SKIP() << "Xvfb is not installed (package xvfb)";
    std::unique_ptr<Child> server;
    const int display = StartXvfb(server);
    ASSERT_GE(display, 0) << "Xvfb did not start";
    char self[4096];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    ASSERT_GT(n, 0);
    self[n] = '\0';
    // A child that hangs is ended after 60 s; its output is shown here.
    Child child({"timeout", "60", self, "--gtest_filter=RealDisplayChild.*"},
                EnvironmentWith({std::string(kChild) + "=1", "QT_QPA_PLATFORM=xcb",
                                 "DISPLAY=:" + std::to_string(display), "WAYLAND_DISPLAY="}),
                -1, 2, 1);
    ASSERT_TRUE(child.Started());
    EXPECT_EQ(0, child.Wait()) << "the child test failed (its output is above)";
}

class RealDisplayChild : public AppTest {
  protected:
    void SetUp() override {
        if (!std::getenv(kChild))
            GTEST_SKIP() << "runs only on Xvfb, started by Program.LiveClockRunsInAModalLoopOnXvfb";
        AppTest::SetUp();
    }
    void TearDown() override {
        if (std::getenv(kChild)) AppTest::TearDown();
    }
};

TEST_F(RealDisplayChild, LiveClockReadsUntilErasedAndIsCentred) {
    ASSERT_EQ("xcb", QGuiApplication::platformName());
    darvosim::Emulator &sim = Connect(7);
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
        readsSeen = static_cast<int>(Frames(sim, 64).size());
        if (readsSeen < 3) return;
        watch.stop();
        dialogCentre = fDataGodzina->geometry().center();
        mainCentre = GlowneOkno->geometry().center();
        WithPrinter(sim, [](darvosim::Printer &p) { p.status.cmosErased = true; });
    });
    watch.start();
    // Should the dialog never close by itself, the test fails instead of hanging.
    QTimer::singleShot(20000, fDataGodzina, [] { fDataGodzina->reject(); });
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
