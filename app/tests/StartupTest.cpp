// First activation of the main window: the port list, connecting with the
// port and speed of the command line, and what the user sees when that fails.
#include "AppFixture.h"
#include "HeldPort.h"

#include "core/DriverText.h"

#include <QCoreApplication>
#include <QEvent>

using namespace apptest;
using darvosim::Bytes;

namespace {

const QString kNotFiscal = QStringLiteral("Podłączone urządzenie nie jest drukarką fiskalną");

class Startup : public AppTest {
  protected:
    void Start(uint8_t port, uint16_t speed) {
        SelectedPort = port;
        SelectedSpeed = speed;
        GlowneOkno->FormActivate();
    }
    // The one error box, the sounds, and whether the dialog came up.
    void ExpectFailure(const QString &text, int sounds, int dialogs) {
        ExpectOnlyError(text);
        EXPECT_EQ(sounds, beeps);
        EXPECT_EQ(dialogs, dialogShown);
    }
};

TEST_F(Startup, ConnectsWithPortAndSpeedFromTheCommandLine) {
    darvosim::Emulator &sim = StartSim(2, 7);
    Start(2, 9600);
    EXPECT_TRUE(recorder.boxes.empty());
    EXPECT_EQ(0, dialogShown);
    EXPECT_EQ(0, beeps);
    EXPECT_EQ(QStringList{"COM2"}, PortList());
    EXPECT_EQ("DARVO PEXA", GlowneOkno->PanelText(0));
    EXPECT_EQ("COM2, 9600 b/s", GlowneOkno->PanelText(1));
    EXPECT_EQ(QString(), GlowneOkno->ActivityText());
    EXPECT_FALSE(FirstActivation);
    EXPECT_TRUE(PortOpen());
    // Identified by the device check, then once more for the menus.
    EXPECT_EQ((Bytes{0xFF, 0xFE, 0xFF, 0xFE}), Commands(sim));
    EXPECT_EQ(9600u, sim.LineSpeed());
    // The menus set for a PEXA printer: no feed lines.
    EXPECT_FALSE(Item("Ilo1")->isEnabled());

    // Later activations only clear the activity text.
    GlowneOkno->ShowActivityMessage("x");
    GlowneOkno->FormActivate();
    EXPECT_EQ(QString(), GlowneOkno->ActivityText());
    EXPECT_EQ(4u, Commands(sim).size());
}

TEST_F(Startup, SelectsThePortAndSpeedNamedOnTheCommandLine) {
    StartSim(2, 7);
    darvosim::Emulator &sim5 = StartSim(5, 3, 4);
    Start(5, 28800);
    EXPECT_TRUE(recorder.boxes.empty());
    EXPECT_EQ((QStringList{"COM2", "COM5"}), PortList());
    EXPECT_EQ("COM5", Komunikacja->cbNumerPortu->currentText());
    EXPECT_EQ(2, Komunikacja->rgPredkosc->ItemIndex());
    EXPECT_EQ("NIVRA II GENERACJI", GlowneOkno->PanelText(0));
    EXPECT_EQ("COM5, 28800 b/s", GlowneOkno->PanelText(1));
    EXPECT_EQ(28800u, sim5.LineSpeed());
    EXPECT_FALSE(Item("Nowadrukarka1")->isEnabled()); // not a PEXA printer
}

TEST_F(Startup, FirstGenerationPrinterDisablesTheNewerItems) {
    StartSim(1, 0);
    Start(1, 19200);
    EXPECT_TRUE(recorder.boxes.empty());
    EXPECT_EQ("KT820A 5-STAWKOWA", GlowneOkno->PanelText(0));
    EXPECT_EQ("COM1, 19200 b/s", GlowneOkno->PanelText(1));
    EXPECT_FALSE(Item(TGlowneOkno::kSecondGenerationItems[0])->isEnabled());
}

TEST_F(Startup, WithoutBothArgumentsTheDialogOpens) {
    darvosim::Emulator &first = StartSim(1, 7);
    StartSim(3, 7);
    int offered = 0;
    dialogActions.push_back([&](TKomunikacja &) { offered = SelectedPort; });
    Start(3, 0); // "COM3" alone: the dialog offers it
    EXPECT_EQ(1, dialogShown);
    EXPECT_EQ(3, offered);
    EXPECT_EQ(1, beeps);
    EXPECT_TRUE(recorder.boxes.empty());
    EXPECT_FALSE(PortOpen());
    EXPECT_EQ((QStringList{"COM1", "COM3"}), PortList());
    EXPECT_EQ("COM3", Komunikacja->cbNumerPortu->currentText());
    EXPECT_EQ(QString(), GlowneOkno->PanelText(0));
    EXPECT_EQ(0, first.FrameCount());

    dialogShown = 0;
    FirstActivation = true;
    Start(0, 9600); // "COM10 9600": the port is not accepted
    EXPECT_EQ(1, dialogShown);
    EXPECT_FALSE(PortOpen());
}

TEST_F(Startup, PortListLeavesOutAPortAnotherProgramHolds) {
    StartSim(1, 7);
    darvosim::Emulator &held = StartSim(3, 7);
    StartSim(4, 7);
    HeldPort other(held.SlavePath());
    ASSERT_TRUE(other.Held());
    GlowneOkno->FillPortList();
    EXPECT_EQ((QStringList{"COM1", "COM4"}), PortList());
    EXPECT_EQ(0, Komunikacja->cbNumerPortu->currentIndex());
    EXPECT_EQ(1, Komunikacja->SelectedPortEntry());
}

TEST_F(Startup, MissingPortGivesItsMessageAndTheDialog) {
    Start(5, 9600);
    ExpectFailure("Brak portu COM5 w systemie.\rNależy ustawić parametry komunikacji", 2, 1);
    EXPECT_TRUE(PortList().isEmpty());
}

TEST_F(Startup, PortInUseGivesItsMessageAndTheDialog) {
    darvosim::Emulator &sim = StartSim(3, 7);
    HeldPort other(sim.SlavePath());
    ASSERT_TRUE(other.Held());
    Start(3, 9600);
    ExpectFailure("Nie można otworzyć portu COM3.Prawdopodobnie jest używany przez inną aplikację", 2, 1);
    EXPECT_EQ(0, sim.FrameCount());
}

TEST_F(Startup, OtherOpeningFailureGivesItsTextAndTheDialog) {
    Map(1, "/dev/null"); // there, but not a serial line
    struct Unmapped {
        ~Unmapped() { ::setenv("DARVO_COM1", "/nonexistent/darvo-port", 1); }
    } unmapped;
    Start(1, 9600);
    ExpectFailure(ErrorMessageText(6), 2, 1);
    EXPECT_FALSE(ErrorMessageText(6).isEmpty());
    EXPECT_FALSE(PortOpen());
}

TEST_F(Startup, OtherDeviceIsRefused) {
    darvosim::Emulator &sim = StartSim(1, 9);
    Start(1, 9600);
    ExpectFailure(kNotFiscal, 1, 0);
    EXPECT_EQ("INNE URZĄDZENIE", GlowneOkno->PanelText(0));
    EXPECT_EQ((Bytes{0xFF}), Commands(sim));
}

TEST_F(Startup, SecondIdentificationRefusedIsShownWithoutTheDialog) {
    darvosim::Emulator &sim = StartSim(1, 3);
    sim.Script(0xFF, darvosim::Scripted{{darvosim::ACK, 44}});
    sim.Script(0xFF, darvosim::Scripted{{darvosim::NAK}});
    Start(1, 9600);
    ExpectFailure("NAK na sekwencję sterującą.", 1, 0);
    EXPECT_EQ("NIVRA II GENERACJI", GlowneOkno->PanelText(0));
    EXPECT_EQ(QString(), GlowneOkno->ActivityText());
    EXPECT_EQ((Bytes{0xFF, 0xFE, 0xFF}), Commands(sim));
}

TEST_F(Startup, SilentPrinterGivesTheTimeOutTextAndTheDialog) {
    darvosim::Emulator &sim = StartSim(1, 7);
    sim.Script(0xFF, darvosim::Scripted{{}, 0, {}, false, -1});
    Start(1, 9600);
    ExpectFailure(ErrorMessageText(21), 2, 1);
    EXPECT_TRUE(ErrorMessageText(21).startsWith("TIMEOUT ODBIERANIA: "));
    EXPECT_EQ(QString(), GlowneOkno->PanelText(0));
}

// Showing the window is enough: the first activation's work runs once the
// event loop runs, whether or not the window is ever activated, and a later
// activation does not run it again.
TEST_F(Startup, ShowingTheWindowConnectsOnceWithoutAnActivation) {
    darvosim::Emulator &sim = StartSim(1, 7);
    SelectedPort = 1;
    SelectedSpeed = 9600;
    GlowneOkno->show();
    QCoreApplication::processEvents();
    EXPECT_EQ((Bytes{0xFF, 0xFE, 0xFF, 0xFE}), Commands(sim));
    EXPECT_EQ("COM1, 9600 b/s", GlowneOkno->PanelText(1));

    GlowneOkno->ShowActivityMessage("x");
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(GlowneOkno, &activate);
    QCoreApplication::processEvents();
    EXPECT_EQ(QString(), GlowneOkno->ActivityText());
    EXPECT_EQ(4u, Commands(sim).size());
    EXPECT_TRUE(recorder.boxes.empty());
    EXPECT_EQ(0, dialogShown);
    GlowneOkno->hide();
}

} // namespace
