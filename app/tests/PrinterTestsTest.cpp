// The "Testy" menu: the receipt-conditions test with its guided actions, the
// status monitor, the display test, the drawer, the fiscal memory test and
// the unique number, against the emulated printer.
#include "AppFixture.h"

#include "core/DriverText.h"
#include "ops/Status.h"
#include "printertests/TfBajtyStatusu.h"
#include "printertests/TfNumerUnikatowy.h"
#include "printertests/TfTestWyswietlacza.h"
#include "taxes/TfStawkiPodatkowe.h"

#include <QLabel>
#include <QTextEdit>

using namespace apptest;
using darvosim::Bytes;
using darvosim::Printer;

namespace {

class TestsMenu : public AppTest {
  protected:
    static size_t Count(darvosim::Emulator &sim, uint8_t command) { return Frames(sim, command).size(); }
};

struct ConditionRow {
    const char *name;
    std::function<void(Printer &)> make;
    BoxKind kind;
    const char *caption;
    const char *text;
};

// Each code of the receipt conditions gives its own box; a question answered
// No ends the test, and nothing else is asked.
TEST_F(TestsMenu, ReceiptConditionsTableRowByRow) {
    const ConditionRow rows[] = {
        {"ready", [](Printer &) {}, BoxKind::Information, "Informacja", "PARAGON MOŻE ZOSTAĆ WYSTAWIONY"},
        {"maker data", [](Printer &p) { p.status.makerData = false; }, BoxKind::Error, "Błąd",
         "Brak danych producenta.\rWymagana interwencja serwisu."},
        {"jumper", [](Printer &p) { p.status.serviceJumper = true; }, BoxKind::Error, "Błąd",
         "   Wystawienie paragonu jest niemożliwe.   \r Zwora serwisowa jest w pozycji serwisowej."},
        {"controller", [](Printer &p) { p.status.noController = true; }, BoxKind::Error, "Błąd",
         " Brak komunikacji z kontrolerem drukarki."},
        {"failure", [](Printer &p) { p.status.failure = true; }, BoxKind::WarningQuestion, "Błąd",
         " Awaria drukarki.\rProszę sprawdzić czy nic nie zablokowało mechanizmu drukującego.\rCzy sprawdzić "
         "ponownie warunki wystawienia paragonu?"},
        {"user data", [](Printer &p) { p.status.userData = false; }, BoxKind::WarningQuestion, "Odpowiedz",
         " Brak danych użytkownika\rCzy przejść do wprowadzania tych danych?"},
        {"read-only", [](Printer &p) { p.status.readOnly = true; }, BoxKind::Error, "Błąd",
         " Moduł fiskalny znajduje się w trybie \"TYLKO ODCZYT\""},
        {"cmos", [](Printer &p) { p.status.cmosErased = true; }, BoxKind::Error, "Błąd",
         " Pamięć CMOS jest skasowana."},
        {"daily report", [](Printer &p) { p.status.dailyReportMissing = true; }, BoxKind::WarningQuestion,
         "Odpowiedz", " Zaległy raport dobowy.\rCzy wykonać raport?"},
        {"paper", [](Printer &p) { p.status.paperOut = true; }, BoxKind::WarningQuestion, "Błąd",
         "Brak papieru lub podniesiona głowica mechanizmu drukującego.\rNależy założyć papier/lub opuścić "
         "głowicę mechanizmu.\rCzy sprawdzić ponownie warunki wystawienia paragonu?"},
        {"rates", [](Printer &p) { p.sales.rates.fill(25500); }, BoxKind::WarningQuestion, "Odpowiedz",
         " Brak stawek podatkowych\rCzy przejść do wprowadzania tych danych?"},
    };
    darvosim::Emulator &sim = Connect(7);
    const darvosim::StatusState status = sim.printer().status;
    const auto rates = sim.printer().sales.rates;
    for (const ConditionRow &row : rows) {
        SCOPED_TRACE(row.name);
        WithPrinter(sim, [&](Printer &p) {
            p.status = status;
            p.sales.rates = rates;
            row.make(p);
        });
        recorder.boxes.clear();
        beeps = 0;
        Choose("Standrukarki1");
        ExpectOnlyBox(row.kind, QString::fromUtf8(row.caption), QString::fromUtf8(row.text));
        EXPECT_EQ(1, beeps);
        EXPECT_FALSE(GlowneOkno->BusyCursorShown());
        EXPECT_TRUE(GlowneOkno->ActivityText().isEmpty());
    }
}

// A code the table does not name is offered for a repeated check with its
// own text; Yes tests again, and a printer back in order ends the test. Yes
// to a missing daily report runs it, Yes to missing user data opens the user
// data editor; the conditions are tested again after each.
TEST_F(TestsMenu, ReceiptConditionsRepeatAndRunTheirRemedies) {
    darvosim::Emulator &sim = Connect(7);
    sim.Script(155, darvosim::Scripted{}); // status byte 1: no answer once
    recorder.answers = {BoxAnswer::Yes};
    Choose("Standrukarki1");
    ASSERT_EQ(2u, recorder.boxes.size());
    EXPECT_EQ(BoxKind::WarningQuestion, recorder.boxes[0].kind);
    EXPECT_EQ("Błąd", recorder.boxes[0].caption);
    EXPECT_TRUE(recorder.boxes[0].text.endsWith(
        QStringLiteral("\r\r Czy powtórzyć sprawdzenie warunków wystawienia paragonu?")));
    EXPECT_FALSE(recorder.boxes[0].text.startsWith(QStringLiteral("\r")));
    EXPECT_EQ("PARAGON MOŻE ZOSTAĆ WYSTAWIONY", recorder.boxes[1].text);

    recorder.boxes.clear();
    WithPrinter(sim, [](Printer &p) { p.status.dailyReportMissing = true; });
    recorder.answers.assign(5, BoxAnswer::Yes);
    Choose("Standrukarki1");
    EXPECT_EQ(1u, Count(sim, 37));
    ASSERT_FALSE(recorder.boxes.empty());
    EXPECT_EQ(" Zaległy raport dobowy.\rCzy wykonać raport?", recorder.boxes.front().text);
    EXPECT_EQ("PARAGON MOŻE ZOSTAĆ WYSTAWIONY", recorder.boxes.back().text);

    darvosim::Emulator &nivra = Connect(3);
    WithPrinter(nivra, [](Printer &p) { p.status.userData = false; });
    dialogRunners.push_back(
        [&nivra](TDialog &) { WithPrinter(nivra, [](Printer &p) { p.status.userData = true; }); });
    recorder.answers = {BoxAnswer::Yes};
    Choose("Standrukarki1");
    EXPECT_EQ(QStringList{"fDaneUzytkownika"}, shownDialogs);
    ASSERT_EQ(2u, recorder.boxes.size());
    EXPECT_EQ("PARAGON MOŻE ZOSTAĆ WYSTAWIONY", recorder.boxes[1].text);
}

// The drawer opens, or stays shut (not connected); an open drawer must be
// closed first, and No then sends nothing.
TEST_F(TestsMenu, DrawerTestBothWays) {
    darvosim::Emulator &sim = Connect(3);
    Choose("N41");
    ExpectOnlyBox(BoxKind::Information, "Informacja", "Szuflada została otwarta");
    EXPECT_EQ(1u, Count(sim, 87));

    recorder.boxes.clear();
    Choose("N41"); // the drawer is still open
    ExpectOnlyBox(
        BoxKind::Question, "Pytanie",
        "W celu wykonania testu należy zamknąć szufladę.\r           Czy kontynuować?                    ");
    EXPECT_EQ(1u, Count(sim, 87));

    WithPrinter(sim, [](Printer &p) { p.status.drawerClosed = true; });
    sim.Script(87, darvosim::Scripted{{darvosim::ACK}}); // accepted, but nothing opens
    recorder.boxes.clear();
    Choose("N41");
    ExpectOnlyBox(BoxKind::Warning, "Uwaga", "Szuflada nie została otwarta lub nie jest podłączona");
    EXPECT_FALSE(GlowneOkno->BusyCursorShown());
}

// The receipt conditions and the tax rates' write need a fiscal printer
// (their message ends with a full stop), the drawer test one of the second
// generation; nothing is sent to another one.
TEST_F(TestsMenu, RefusedOnOtherPrinters) {
    darvosim::Emulator &other = Connect(9);
    Choose("Standrukarki1");
    fStawkiPodatkowe->Button1Click();
    EXPECT_EQ((QStringList{"Podłączone urządzenie nie jest drukarką fiskalną.",
                           "Podłączone urządzenie nie jest drukarką fiskalną."}),
              Texts());
    EXPECT_EQ(0u, Count(other, 0x5B));
    EXPECT_EQ(0u, Count(other, 213));
    darvosim::Emulator &sim = Connect(1);
    Choose("N41");
    EXPECT_EQ(QStringList{"Podłączone urządzenie nie jest drukarką drugiej generacji."}, Texts());
    EXPECT_EQ(0u, Count(sim, 87));
}

// The fiscal memory test runs only after its question (No by default), and
// not at all with an erased CMOS memory.
TEST_F(TestsMenu, FiscalMemoryTest) {
    darvosim::Emulator &sim = Connect(7);
    Choose("PamicEPROM1");
    ASSERT_EQ(1u, recorder.boxes.size());
    EXPECT_EQ(BoxKind::ErrorQuestion, recorder.boxes[0].kind);
    EXPECT_TRUE(recorder.boxes[0].defaultNo && recorder.boxes[0].caption == "Odpowiedz");
    EXPECT_TRUE(recorder.boxes[0].text.endsWith(
        QStringLiteral("\rPrzewidziano możliwość wykonania tego testu 255 razy.\rCzy wykonać test?")));
    EXPECT_EQ(0u, Count(sim, 39));

    recorder.boxes.clear();
    recorder.answers = {BoxAnswer::Yes};
    Choose("PamicEPROM1");
    EXPECT_EQ(1u, recorder.boxes.size());
    EXPECT_EQ(1u, Count(sim, 39));
    EXPECT_NE(std::string::npos, sim.printer().roll.Text().find("TEST PAMIĘCI"));
    EXPECT_FALSE(GlowneOkno->BusyCursorShown());

    WithPrinter(sim, [](Printer &p) { p.status.cmosErased = true; });
    recorder.boxes.clear();
    Choose("PamicEPROM1");
    EXPECT_EQ(QStringList{"Skasowana pamięć CMOS."}, Texts());
    EXPECT_EQ(1u, Count(sim, 39));
}

TEST_F(TestsMenu, StatusMonitorLinesFor4To8Bytes) {
    struct Case {
        int type;
        int version;
        QStringList lines;
    };
    const QStringList head = {"Wpisane dane o użytkowniku", "Moduł w trybie fiskalnym",
                              "Wersja oprogramowania w module : 03"};
    const QString battery =
        "Za niskie napięcie baterii na pakiecie głównym, dalsza praca możliwa ale powiadom serwis";
    const QString battery36 =
        "Za niskie napięcie baterii na pakiecie głównym (lub podtrzymującej zegar), dalsza "
        "praca możliwa ale powiadom serwis";
    // Four bytes: the paper line of byte 3, nothing from bytes 5 to 8.
    const QStringList four =
        head + QStringList{"Brak papieru (zapalona jest LED PAPER OUT)", battery, "Szuflada otwarta"};
    // Six: byte 5's paper line instead, the cancellation reason; seven: the
    // accumulator; eight: the pharmacy printers' buffer.
    const QStringList six = {"Szuflada otwarta", "BRAK ZASILANIA SIECIOWEGO (TYLKO AKUMULATOR)",
                             "BRAK PAPIERU W DRUKARCE ORYGINAŁU",
                             "Przyczyna ostatniego unieważnienia paragonu: Ś"};
    const QStringList seven =
        head + QStringList{battery} + six + QStringList{"NISKIE NAPIĘCIE AKUMULATORA GŁÓWNEGO"};
    const Case cases[] = {
        {0, -1, four},
        {3, 4, head + QStringList{battery36} + six},
        {7, -1, seven},
        {8, -1, seven + QStringList{"W buforze wycen leków znajdują się dane"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << c.type);
        darvosim::Emulator &sim = Connect(c.type, 9600, c.version);
        WithPrinter(sim, [](darvosim::Printer &p) {
            p.status.paperOut = true;
            p.status.lowBattery = true;
            p.status.drawerClosed = false;
            p.status.noMains = true;
            p.status.cancelReason = 0x8C; // "Ś" in Windows-1250
            p.status.lowAccumulator = true;
            p.status.pricingBufferData = true;
        });
        QStringList lines;
        bool timerRunning = false;
        dialogRunners.push_back([&](TDialog &) {
            timerRunning = fBajtyStatusu->tStatus->isActive();
            fBajtyStatusu->tStatusTimer();
            lines = fBajtyStatusu->mStatusy->toPlainText().split('\n');
        });
        Choose("Bajtystatusu1");
        EXPECT_TRUE(timerRunning);
        EXPECT_FALSE(fBajtyStatusu->tStatus->isActive());
        EXPECT_EQ(c.lines, lines);
        EXPECT_TRUE(recorder.boxes.empty());
        ExpectIdle();
    }
}

TEST_F(TestsMenu, StatusMonitorWithoutTheControllerAndOnASilentPrinter) {
    darvosim::Emulator &sim = Connect(7);
    WithPrinter(sim, [](darvosim::Printer &p) {
        p.status.noController = true;
        p.status.paperOut = true;
        p.status.cancelReason = 32; // no reason line
    });
    darvo::ops::Status status;
    ASSERT_EQ(0, darvo::ops::ReadStatus(status));
    EXPECT_EQ((QStringList{"Wpisane dane o użytkowniku", "Moduł w trybie fiskalnym",
                           "Wersja oprogramowania w module : 03", "Brak komunikacji z kontrolerem drukarki"}),
              TfBajtyStatusu::StatusTexts(status, 7));

    // A printer that stops answering: the error, and the monitor closes.
    sim.Script(0x5B, darvosim::Scripted{{}, 0, {}, false, -1});
    int result = -1;
    dialogRunners.push_back([&](TDialog &d) {
        fBajtyStatusu->tStatusTimer();
        result = d.result();
        EXPECT_FALSE(fBajtyStatusu->tStatus->isActive());
    });
    Choose("Bajtystatusu1");
    EXPECT_EQ(QDialog::Rejected, result);
    EXPECT_EQ(QStringList{ErrorMessageText(21)}, Texts());
    ExpectIdle();
}

TEST_F(TestsMenu, DisplayTestStepsThroughTextsOrPictures) {
    const QString razem = QStringLiteral("Test powinien spowodować zapalenie segmentów\n"
                                         "wyświetlacza jak pokazano niżej:            \n") +
                          QString(44, ' ') + "\n" + QString(13, ' ') + "RAZEM" + QString(36, ' ') + "\n" +
                          QString(44, ' ') + "\n" + QString(15, ' ') + "8.8.8.8.8.8.8.8.8." +
                          QString(21, ' ');
    QString reszta = razem;
    reszta.replace(QString(13, ' ') + "RAZEM" + QString(36, ' '),
                   QString(32, ' ') + "RESZTA" + QString(16, ' '));
    const QString bitmap = QStringLiteral("Test powinien wyświetlić poniższą bitmapę");
    struct Case {
        int deviceType;
        uint8_t settings0;
        QStringList steps; // label text, or the name of the picture shown
        Bytes patterns;
    } cases[] = {
        {3, 0, {razem, reszta}, {0, 1, 2}},
        {7, 4, {"iTest1", "iTest2", "ITest3", "ITest4"}, {0, 1, 3, 4, 2}},
        {7, 0, {"iTest2", "iTest1", "iTest3Neg", "iTest4Neg"}, {0, 1, 3, 4, 2}},
    };
    for (const Case &c : cases) {
        darvosim::Emulator &sim = Connect(c.deviceType);
        WithPrinter(sim, [&](darvosim::Printer &p) { p.fiscal.settings[0][0] = c.settings0; });
        QStringList seen;
        for (int i = 0; i < c.steps.size(); ++i)
            dialogRunners.push_back([&](TDialog &) {
                QString shown;
                for (QLabel *l : fTestWyswietlacza->findChildren<QLabel *>())
                    if (!l->isHidden() && !l->pixmap().isNull()) shown += l->objectName();
                seen << (shown.isEmpty() ? fTestWyswietlacza->Label1->text() : shown);
                EXPECT_TRUE(shown.isEmpty() || fTestWyswietlacza->Label1->text() == bitmap);
            });
        Choose("Wy1");
        EXPECT_EQ(c.steps, seen);
        Bytes patterns;
        for (const auto &f : Frames(sim, 50))
            patterns.push_back(f.fromHost.at(2));
        EXPECT_EQ(c.patterns, patterns);
        EXPECT_TRUE(recorder.boxes.empty());
    }
}

TEST_F(TestsMenu, UniqueNumberIsShownInItsLabel) {
    Connect();
    Choose("Numerunikatowy1");
    EXPECT_EQ(QStringList{"fNumerUnikatowy"}, shownDialogs);
    EXPECT_EQ("Numer unikatowy drukarki: ABC 12345678", fNumerUnikatowy->lNumerUnikatowy->text());
}

} // namespace
