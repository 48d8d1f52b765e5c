// The "Testy" menu: the receipt-conditions test with its guided actions, the
// drawer test and the fiscal memory test, against the emulated printer.
#include "AppFixture.h"
#include "taxes/TfStawkiPodatkowe.h"

using namespace apptest;
using darvosim::Printer;

namespace {

class TestsMenu : public AppTest {
  protected:
    static size_t Sent(darvosim::Emulator &sim, uint8_t command) {
        sim.WaitForFrames(sim.FrameCount(), std::chrono::seconds(1));
        return sim.log().FramesOf(command).size();
    }
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
         "głowicę "
         "mechanizmu.\rCzy sprawdzić ponownie warunki wystawienia paragonu?"},
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
        GlowneOkno->Standrukarki1Click();
        ExpectOnlyBox(row.kind, QString::fromUtf8(row.caption), QString::fromUtf8(row.text));
        EXPECT_EQ(1, beeps);
        EXPECT_FALSE(GlowneOkno->BusyCursorShown());
        EXPECT_TRUE(GlowneOkno->ActivityText().isEmpty());
    }
}

// A code the table does not name is offered for a repeated check with its
// own text; Yes tests again, and a printer back in order ends the test.
TEST_F(TestsMenu, ReceiptConditionsRepeatOnAnUnnamedCode) {
    darvosim::Emulator &sim = Connect(7);
    sim.Script(155, darvosim::Scripted{}); // status byte 1: no answer once
    recorder.answers = {BoxAnswer::Yes};
    GlowneOkno->Standrukarki1Click();
    ASSERT_EQ(2u, recorder.boxes.size());
    EXPECT_EQ(BoxKind::WarningQuestion, recorder.boxes[0].kind);
    EXPECT_EQ("Błąd", recorder.boxes[0].caption);
    EXPECT_TRUE(recorder.boxes[0].text.endsWith(
        QStringLiteral("\r\r Czy powtórzyć sprawdzenie warunków wystawienia paragonu?")));
    EXPECT_FALSE(recorder.boxes[0].text.startsWith(QStringLiteral("\r")));
    EXPECT_EQ("PARAGON MOŻE ZOSTAĆ WYSTAWIONY", recorder.boxes[1].text);
}

// A missing daily report: Yes runs the daily report and tests again.
TEST_F(TestsMenu, ReceiptConditionsRunTheMissingDailyReport) {
    darvosim::Emulator &sim = Connect(7);
    WithPrinter(sim, [](Printer &p) { p.status.dailyReportMissing = true; });
    recorder.answers.assign(5, BoxAnswer::Yes);
    GlowneOkno->Standrukarki1Click();
    EXPECT_EQ(1u, Sent(sim, 37));
    ASSERT_FALSE(recorder.boxes.empty());
    EXPECT_EQ(" Zaległy raport dobowy.\rCzy wykonać raport?", recorder.boxes.front().text);
    EXPECT_EQ("PARAGON MOŻE ZOSTAĆ WYSTAWIONY", recorder.boxes.back().text);
}

// The drawer opens, or stays shut (not connected); an open drawer must be
// closed first, and No then sends nothing.
TEST_F(TestsMenu, DrawerTestBothWays) {
    darvosim::Emulator &sim = Connect(3);
    GlowneOkno->N41Click();
    ExpectOnlyBox(BoxKind::Information, "Informacja", "Szuflada została otwarta");
    EXPECT_EQ(1u, Sent(sim, 87));

    recorder.boxes.clear();
    GlowneOkno->N41Click(); // the drawer is still open
    ExpectOnlyBox(
        BoxKind::Question, "Pytanie",
        "W celu wykonania testu należy zamknąć szufladę.\r           Czy kontynuować?                    ");
    EXPECT_EQ(1u, Sent(sim, 87));

    WithPrinter(sim, [](Printer &p) { p.status.drawerClosed = true; });
    sim.Script(87, darvosim::Scripted{{darvosim::ACK}}); // accepted, but nothing opens
    recorder.boxes.clear();
    GlowneOkno->N41Click();
    ExpectOnlyBox(BoxKind::Warning, "Uwaga", "Szuflada nie została otwarta lub nie jest podłączona");
    EXPECT_FALSE(GlowneOkno->BusyCursorShown());
}

// The receipt conditions and the tax rates' write need a fiscal printer
// (their message ends with a full stop), the drawer test one of the second
// generation; nothing is sent to another one.
TEST_F(TestsMenu, RefusedOnOtherPrinters) {
    darvosim::Emulator &other = Connect(9);
    GlowneOkno->Standrukarki1Click();
    fStawkiPodatkowe->Button1Click();
    EXPECT_EQ((QStringList{"Podłączone urządzenie nie jest drukarką fiskalną.",
                           "Podłączone urządzenie nie jest drukarką fiskalną."}),
              Texts());
    EXPECT_EQ(0u, Sent(other, 0x5B));
    EXPECT_EQ(0u, Sent(other, 213));
    darvosim::Emulator &sim = Connect(1);
    GlowneOkno->N41Click();
    EXPECT_EQ(QStringList{"Podłączone urządzenie nie jest drukarką drugiej generacji."}, Texts());
    EXPECT_EQ(0u, Sent(sim, 87));
}

// The fiscal memory test runs only after its question (No by default), and
// not at all with an erased CMOS memory.
TEST_F(TestsMenu, FiscalMemoryTest) {
    darvosim::Emulator &sim = Connect(7);
    GlowneOkno->PamicEPROM1Click();
    ASSERT_EQ(1u, recorder.boxes.size());
    EXPECT_EQ(BoxKind::ErrorQuestion, recorder.boxes[0].kind);
    EXPECT_TRUE(recorder.boxes[0].defaultNo && recorder.boxes[0].caption == "Odpowiedz");
    EXPECT_TRUE(recorder.boxes[0].text.endsWith(
        QStringLiteral("\rPrzewidziano możliwość wykonania tego testu 255 razy.\rCzy wykonać test?")));
    EXPECT_EQ(0u, Sent(sim, 39));

    recorder.boxes.clear();
    recorder.answers = {BoxAnswer::Yes};
    GlowneOkno->PamicEPROM1Click();
    EXPECT_EQ(1u, recorder.boxes.size());
    EXPECT_EQ(1u, Sent(sim, 39));
    EXPECT_NE(std::string::npos, sim.printer().roll.Text().find("TEST PAMIĘCI"));
    EXPECT_FALSE(GlowneOkno->BusyCursorShown());

    WithPrinter(sim, [](Printer &p) { p.status.cmosErased = true; });
    recorder.boxes.clear();
    GlowneOkno->PamicEPROM1Click();
    EXPECT_EQ(QStringList{"Skasowana pamięć CMOS."}, Texts());
    EXPECT_EQ(1u, Sent(sim, 39));
}

// Missing user data: Yes opens the user data editor, and the conditions are
// tested again once it has closed.
TEST_F(TestsMenu, ReceiptConditionsOpenTheUserDataEditor) {
    darvosim::Emulator &sim = Connect(3);
    WithPrinter(sim, [](Printer &p) { p.status.userData = false; });
    dialogRunners.push_back(
        [&sim](TDialog &) { WithPrinter(sim, [](Printer &p) { p.status.userData = true; }); });
    recorder.answers = {BoxAnswer::Yes};
    GlowneOkno->Standrukarki1Click();
    EXPECT_EQ(QStringList{"fDaneUzytkownika"}, shownDialogs);
    ASSERT_EQ(2u, recorder.boxes.size());
    EXPECT_EQ("PARAGON MOŻE ZOSTAĆ WYSTAWIONY", recorder.boxes[1].text);
}

} // namespace
