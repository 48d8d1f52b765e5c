// The nivrasw program itself: started with a port and a speed it connects to
// the printer at once; asked for a picture it saves its window and ends. On a
// real X server without a window manager (Xvfb), which the offscreen
// platform does not stand for, it still connects at start-up, and the live
// clock runs in a real modal loop centred over the main window.
#include "AppFixture.h"

#include "clock/TfDataGodzina.h"

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QTimer>
#include <cstdlib>

using namespace apptest;

namespace {

constexpr const char *kChild = "DARVO_REAL_DISPLAY_CHILD";

// This process's environment with some variables set anew.
QProcessEnvironment EnvironmentWith(const QStringList &variables) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString &v : variables)
        env.insert(v.section('=', 0, 0), v.section('=', 1));
    return env;
}

// A process that is ended, if it still runs, when the test is done with it.
struct Process : QProcess {
    ~Process() override {
        kill();
        waitForFinished(1000);
    }
};

// Starts Xvfb on a display of its own; false when it does not start within
// 20 s. It ends with `server`.
bool StartXvfb(Process &server, QString &display) {
    server.start("/usr/bin/Xvfb", {"-displayfd", "1", "-nolisten", "tcp", "-screen", "0", "1024x768x24"});
    while (!server.canReadLine() && server.waitForReadyRead(20000)) {
    }
    display = ":" + QString::fromLatin1(server.readLine()).trimmed();
    return display.size() > 1;
}

TEST(Program, StartsConnectedAndSavesItsWindow) {
    darvosim::Emulator sim;
    ASSERT_TRUE(sim.Start()) << sim.Error();
    // A printer slow to answer: the window processes its messages while it
    // waits, and the picture must still wait for the connection.
    sim.printer().answerTime = std::chrono::milliseconds(60);
    const QString picture =
        QString::fromStdString(::testing::TempDir()) + "nivrasw-" + QString::number(::getpid()) + ".png";
    QFile::remove(picture);
    // Speed first, port in small letters: the order and the letter case do
    // not matter, and the third speed item keeps 28800 through the device check.
    Process program;
    program.setProcessEnvironment(
        EnvironmentWith({"DARVO_COM1=" + QString::fromStdString(sim.SlavePath()),
                         "NIVRASW_SCREENSHOT=" + picture, "QT_QPA_PLATFORM=offscreen"}));
    program.start(NIVRASW_PATH, {"28800", "com1"});
    ASSERT_TRUE(program.waitForFinished(20000)) << "the program did not end";
    EXPECT_EQ(QProcess::NormalExit, program.exitStatus());
    EXPECT_EQ(0, program.exitCode());

    QImage image(picture);
    EXPECT_FALSE(image.isNull());
    EXPECT_EQ(QSize(602, 414), image.size());
    QFile::remove(picture);
    sim.WaitForFrames(sim.FrameCount(), darvotest::Scaled(std::chrono::seconds(1)));
    EXPECT_EQ((darvosim::Bytes{0xFF, 0xFE, 0xFF, 0xFE}), sim.log().Commands());
    // The status bar it ended with.
    const QString messages = QString::fromUtf8(program.readAllStandardError());
    EXPECT_TRUE(messages.contains("nivrasw: DARVO PEXA, COM1, 28800 b/s\n")) << messages.toStdString();
    sim.Stop();
}

// Nothing ever activates the main window on an X server without a window
// manager: the program must still list the ports and connect at start-up.
// Then this test binary runs there again, for the live clock in a real modal
// loop (the child test below).
TEST(Program, OnAnXServerWithoutAWindowManager) {
    if (std::getenv(kChild)) GTEST_SKIP() << "the child run";
    if (::access("/usr/bin/Xvfb", X_OK) != 0) GTEST_SKIP() << "Xvfb is not installed (package xvfb)";
    darvosim::Emulator sim;
    ASSERT_TRUE(sim.Start()) << sim.Error();
    Process server;
    QString display;
    ASSERT_TRUE(StartXvfb(server, display)) << "Xvfb did not start";

    Process program;
    program.setProcessEnvironment(
        EnvironmentWith({"DISPLAY=" + display, "QT_QPA_PLATFORM=xcb",
                         "DARVO_COM1=" + QString::fromStdString(sim.SlavePath()), "NIVRASW_SCREENSHOT="}));
    program.start(NIVRASW_PATH, {"COM1", "9600"});
    ASSERT_TRUE(program.waitForStarted());
    // Identified by the device check, then once more for the menus.
    EXPECT_TRUE(sim.WaitForFrames(4, std::chrono::seconds(20)));
    EXPECT_EQ((darvosim::Bytes{0xFF, 0xFE, 0xFF, 0xFE}), sim.log().Commands());
    EXPECT_FALSE(program.waitForFinished(0)) << "the program ended by itself";
    sim.Stop();

    Process child;
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.setProcessEnvironment(EnvironmentWith(
        {QString(kChild) + "=1", "QT_QPA_PLATFORM=xcb", "DISPLAY=" + display, "WAYLAND_DISPLAY="}));
    child.start(QCoreApplication::applicationFilePath(), {"--gtest_filter=RealDisplayChild.*"});
    ASSERT_TRUE(child.waitForFinished(60000)) << "the child test hangs";
    EXPECT_EQ(0, child.exitCode()) << "the child test failed (its output is above)";
}

class RealDisplayChild : public AppTest {
  protected:
    void SetUp() override {
        if (!std::getenv(kChild)) GTEST_SKIP() << "runs only on Xvfb, started by Program.OnAnXServer...";
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
    QTimer::singleShot(20000, fDataGodzina, [this] { fDataGodzina->reject(); });
    Choose("Odczytzegara1");

    EXPECT_GE(readsSeen, 3);
    EXPECT_TRUE(fDataGodzina->lCzas->text().startsWith("Godzina:     "));
    EXPECT_EQ(QStringList{"Skasowana pamięć CMOS. Wejdź do inicjowania zegara."}, Texts());
    EXPECT_FALSE(fDataGodzina->isVisible());
    EXPECT_FALSE(fDataGodzina->tZegar->isActive());
    EXPECT_LE((dialogCentre - mainCentre).manhattanLength(), 4)
        << dialogCentre.x() << "," << dialogCentre.y() << " vs " << mainCentre.x() << "," << mainCentre.y();
}

} // namespace
