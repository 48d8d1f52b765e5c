// The Komunikacja menu: the communication dialog and its "Zatwierdź"
// (opening the port, the device check, the status bar, a locked PEXA
// printer, an erased CMOS memory), and the about box.
#include "AppFixture.h"

#include "communication/TAboutBox.h"
#include "core/DriverText.h"

#include <QRadioButton>
#include <QTimer>

using namespace apptest;
using darvosim::Bytes;

namespace {

class Dialog : public AppTest {
  protected:
    bool Accepted() const { return Komunikacja->result() == QDialog::Accepted; }
};

TEST_F(Dialog, CaptionsAndTexts) {
    ASSERT_EQ(3, Komunikacja->rgPredkosc->Count());
    EXPECT_EQ(
        (QStringList{"Ustaw parametry komunikacji", "Numer portu COM: ", "Szybkość transmisji", "  9600 b/s",
                     "19200 b/s", "28800 b/s", "Zatwierdź", "O programie", "WERSJA 3.05 z dnia 07.02.2008r.",
                     "Program użytkownika drukarek", "Nivra, Nivra F, Pexa, Pexa F", "OK"}),
        (QStringList{Komunikacja->windowTitle(), Komunikacja->Label1->text(),
                     Komunikacja->rgPredkosc->title(), Komunikacja->rgPredkosc->Button(0)->text(),
                     Komunikacja->rgPredkosc->Button(1)->text(), Komunikacja->rgPredkosc->Button(2)->text(),
                     Komunikacja->Button1->text(), AboutBox->windowTitle(), AboutBox->lWersja->text(),
                     AboutBox->ProductName->text(), AboutBox->Version->text(), AboutBox->OKButton->text()}));
    EXPECT_TRUE(Komunikacja->Button1->isDefault());
    EXPECT_FALSE(Komunikacja->cbNumerPortu->isEditable());
    EXPECT_FALSE(AboutBox->Copyright->text().isEmpty());
    EXPECT_FALSE(AboutBox->Comments->text().isEmpty());
}

// "Parametry" opens the dialog after the sound; "O programie" shows the
// about box (for real) after it, and clears the activity text.
TEST_F(Dialog, MenuItemsOpenTheDialogAndTheAboutBox) {
    int beepsWhenShown = -1;
    dialogActions.push_back([&](TKomunikacja &) { beepsWhenShown = beeps; });
    Item("Parametry1")->trigger();
    EXPECT_EQ(1, dialogShown);
    EXPECT_EQ(1, beepsWhenShown);

    GlowneOkno->ShowActivityMessage("x");
    bool shown = false;
    QTimer::singleShot(0, AboutBox, [&] {
        shown = AboutBox->isVisible();
        AboutBox->OKButton->click();
    });
    Item("Oprogramie1")->trigger();
    EXPECT_TRUE(shown);
    EXPECT_FALSE(AboutBox->isVisible());
    EXPECT_EQ(2, beeps);
    EXPECT_EQ(QString(), GlowneOkno->ActivityText());
}

// A PEXA printer: identified twice, its lock reasons read (96 then 94),
// then the status bytes; an older printer is not asked for lock reasons.
TEST_F(Dialog, ConfirmConnectsChecksLocksAndCmosAndCloses) {
    darvosim::Emulator &sim = StartSim(4, 7);
    Komunikacja->setResult(QDialog::Rejected);
    Confirm(4, 19200);
    EXPECT_TRUE(recorder.boxes.empty());
    EXPECT_TRUE(Accepted());
    EXPECT_TRUE(Komunikacja->Button1->isEnabled());
    EXPECT_EQ(4, GlowneOkno->ChosenPort().port);
    EXPECT_EQ(19200, GlowneOkno->ChosenPort().speed);
    EXPECT_EQ("DARVO PEXA", GlowneOkno->PanelText(0));
    EXPECT_EQ("COM4, 19200 b/s", GlowneOkno->PanelText(1));
    EXPECT_EQ(19200u, sim.LineSpeed());
    EXPECT_EQ(
        (Bytes{0xFF, 0xFE, 0xFF, 0xFE, 0x60, 0x5E, 0xFF, 0xFE, 0x5B, 0x54, 0x55, 0x56, 0x5F, 0x50, 0xF3}),
        Commands(sim));

    darvosim::Emulator &older = StartSim(1, 2);
    Komunikacja->setResult(QDialog::Rejected);
    Confirm(1, 9600);
    EXPECT_TRUE(recorder.boxes.empty());
    EXPECT_TRUE(Accepted());
    EXPECT_EQ("NIVRA I GENERACJI", GlowneOkno->PanelText(0));
    EXPECT_EQ((Bytes{0xFF, 0xFE, 0xFF, 0xFE, 0xFF, 0xFE, 0x5B, 0x54, 0x55, 0x56}), Commands(older));
}

// Every failed check shows its error once and keeps the dialog open, with
// the button usable again and nothing more sent.
TEST_F(Dialog, FailedChecksKeepTheDialogOpen) {
    using darvosim::Scripted;
    const QString nak = "NAK na sekwencję sterującą.", timeout = ErrorMessageText(21);
    const QString locked = "KASA ZABLOKOWANA: \r\nUSZKODZONA PAMIĘĆ PROGRAMU.\r\nBrak pamięci fiskalnej.\r\n";
    const Scripted ack44{{darvosim::ACK, 44}}, refused{{darvosim::NAK}};
    const Scripted alwaysRefused{{darvosim::NAK}, 0, {}, false, -1}, silent{{}, 0, {}, false, -1};
    const struct {
        const char *name;
        int type, lockReason;
        std::vector<std::pair<uint8_t, Scripted>> scripts;
        QString text, panel0; // panel0 empty: not checked
        Bytes commands;       // empty: not checked
        uint16_t speed = 9600;
    } cases[] = {
        // A locked PEXA: no status bytes read.
        {"locked PEXA", 8, 5, {}, locked, "DARVO PEXA F", {0xFF, 0xFE, 0xFF, 0xFE, 0x60, 0x5E}},
        {"lock reasons unread", 7, 0, {{0x60, Scripted{}}}, timeout, "", {0xFF, 0xFE, 0xFF, 0xFE, 0x60}},
        {"other", 9, 0, {}, "Podłączone urządzenie nie jest drukarką fiskalną", "INNE URZĄDZENIE", {0xFF}},
        // The second identification refused stops before the lock reasons.
        {"second identification", 7, 0, {{0xFF, ack44}, {0xFF, refused}}, nak, "", {0xFF, 0xFE, 0xFF}},
        {"status bytes", 3, 0, {{0x5B, alwaysRefused}}, nak, "", {}},
        // A printer silent at a new speed: the status bar keeps what the last
        // good check (the row before) put there.
        {"silent at a new speed", 7, 0, {{0xFF, silent}}, timeout, "NIVRA II GENERACJI", {}, 28800},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        darvosim::Emulator &sim = StartSim(1, c.type);
        WithPrinter(sim, [&c](darvosim::Printer &p) { p.fiscal.lockReason = c.lockReason; });
        for (const auto &[command, script] : c.scripts)
            sim.Script(command, script);
        recorder.boxes.clear();
        beeps = 0;
        Komunikacja->setResult(QDialog::Rejected);
        Confirm(1, c.speed);
        ExpectOnlyError(c.text);
        EXPECT_EQ(1, beeps);
        EXPECT_FALSE(Accepted());
        EXPECT_TRUE(Komunikacja->Button1->isEnabled());
        EXPECT_EQ(QString(), GlowneOkno->ActivityText());
        EXPECT_TRUE(c.panel0.isEmpty() || c.panel0 == GlowneOkno->PanelText(0))
            << GlowneOkno->PanelText(0).toStdString();
        // The status bar from the device check.
        EXPECT_TRUE(c.type == 9 || GlowneOkno->PanelText(1) == "COM1, 9600 b/s");
        EXPECT_TRUE(c.commands.empty() || c.commands == Commands(sim));
    }
}

// No port listed: refused without opening anything. A port another program
// took after the list was made, and one that has gone, give their messages;
// a port held is left out of the list made while it is held.
TEST_F(Dialog, NoMissingAndBusyPortsGiveTheirMessages) {
    GlowneOkno->FillPortList();
    ASSERT_TRUE(PortList().isEmpty());
    Komunikacja->Button1Click();
    EXPECT_FALSE(PortOpen());
    EXPECT_EQ(0, GlowneOkno->ChosenPort().port);

    darvosim::Emulator &sim = StartSim(3, 7);
    StartSim(6, 7);
    GlowneOkno->FillPortList();
    ASSERT_EQ((QStringList{"COM3", "COM6"}), PortList());
    {
        HeldPort other(sim.SlavePath());
        ASSERT_TRUE(other.Held());
        Select(3, 9600);
        Komunikacja->Button1Click();
        GlowneOkno->FillPortList(); // a port another program holds is not listed
        EXPECT_EQ(QStringList{"COM6"}, PortList());
        EXPECT_EQ(6, Komunikacja->SelectedPortEntry());
    }
    sims[6]->Stop(); // an adapter pulled out
    Unmap(6);
    Select(6, 9600);
    Komunikacja->Button1Click();

    EXPECT_EQ((QStringList{"Nieustawione parametry komunikacji (numer portu).",
                           "Nie można otworzyć portu COM3.Prawdopodobnie jest używany przez inną aplikację",
                           "Brak portu COM6 w systemie.\rNależy ustawić parametry komunikacji"}),
              Texts());
    EXPECT_EQ(3, beeps);
    EXPECT_TRUE(Komunikacja->Button1->isEnabled());
    EXPECT_EQ(0, sim.FrameCount());
}

TEST_F(Dialog, ErasedCmosAsksForTheClockUntilItIsSet) {
    darvosim::Emulator &sim = StartSim(1, 3);
    WithPrinter(sim, [](darvosim::Printer &p) { p.status.cmosErased = true; });
    const QString question = " Pamięć CMOS jest skasowana.\rCzy przejść do ustawiania zegara?";

    // No: the dialog stays open.
    Komunikacja->setResult(QDialog::Rejected);
    Confirm(1, 9600);
    ExpectOnlyBox(BoxKind::ErrorQuestion, "Błąd", question);
    EXPECT_FALSE(Accepted());

    // Yes: the clock initialisation runs, and the question comes back until
    // the clock has been set.
    int runs = 0;
    Komunikacja->ClockInitialisationCommand = [&] { return ++runs == 2; };
    recorder.boxes.clear();
    recorder.answers = {BoxAnswer::Yes, BoxAnswer::Yes};
    Komunikacja->Button1Click();
    EXPECT_EQ(2, runs);
    EXPECT_EQ(2u, recorder.boxes.size());
    EXPECT_TRUE(Accepted());
}

// Activation selects the speed chosen (anything else the first)
// and takes the port from the list; closing clears the activity text. Shown
// for real, "Zatwierdź" connects and closes it.
TEST_F(Dialog, ActivationClosingAndAModalLoopOfItsOwn) {
    StartSim(2, 7);
    GlowneOkno->FillPortList();
    GlowneOkno->ChoosePort({GlowneOkno->ChosenPort().port, 19200});
    dialogActions.push_back([this](TKomunikacja &d) {
        EXPECT_EQ(1, d.rgPredkosc->ItemIndex());
        EXPECT_EQ(2, GlowneOkno->ChosenPort().port);
        GlowneOkno->ShowActivityMessage("Sprawdzanie typu podłączonego urządzenia...");
    });
    Komunikacja->ShowModal();
    EXPECT_EQ(1, dialogShown);
    EXPECT_EQ(QString(), GlowneOkno->ActivityText());
    GlowneOkno->ChoosePort({GlowneOkno->ChosenPort().port, 4800});
    dialogActions.push_back([](TKomunikacja &d) { EXPECT_EQ(0, d.rgPredkosc->ItemIndex()); });
    Komunikacja->ShowModal();

    TKomunikacja::ModalRunner() = nullptr;
    GlowneOkno->ChoosePort({GlowneOkno->ChosenPort().port, 19200});
    bool shown = false;
    int speedItem = -1;
    QTimer::singleShot(0, Komunikacja, [&] {
        shown = Komunikacja->isVisible();
        speedItem = Komunikacja->rgPredkosc->ItemIndex();
        Komunikacja->Button1->click();
        if (Komunikacja->isVisible()) Komunikacja->reject(); // never leave the test waiting
    });
    EXPECT_EQ(QDialog::Accepted, Komunikacja->ShowModal());
    EXPECT_TRUE(shown);
    EXPECT_EQ(1, speedItem);
    EXPECT_FALSE(Komunikacja->isVisible());
    EXPECT_TRUE(recorder.boxes.empty());
    EXPECT_EQ("COM2, 19200 b/s", GlowneOkno->PanelText(1));
    EXPECT_EQ(QString(), GlowneOkno->ActivityText());
}

} // namespace
