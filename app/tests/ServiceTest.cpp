// The "Serwis" menu against the emulated printer: the erasing of the names
// base, the fiscalisation and the settlement report, with the frames they
// put on the wire and what the printer is left in.
#include "AppFixture.h"
#include "core/DriverText.h"

#include <QProgressBar>

using namespace apptest;
using darvosim::Printer;

namespace {

class ServiceMenu : public AppTest {};

// An erased CMOS memory stops the erase at the CMOS check: nothing is sent.
TEST_F(ServiceMenu, NamesBaseEraseStopsOnErasedCmos) {
    darvosim::Emulator &sim = Connect(7);
    WithPrinter(sim, [](Printer &p) { p.status.cmosErased = true; });
    GlowneOkno->Bazanazwitowarw1Click();
    EXPECT_EQ(QStringList{"Skasowana pamięć CMOS. Wejdź do inicjowania zegara."}, Texts());
    EXPECT_TRUE(Frames(sim, 92).empty());
}

// After a control printout the PEXA takes the erase with the sum of the
// 11th and 12th characters of its unique number and reports its progress;
// a second erase without a new control printout is refused.
TEST_F(ServiceMenu, NamesBaseEraseOnAPexa) {
    darvosim::Emulator &sim = Connect(7);
    WithPrinter(sim, [](Printer &p) { p.fiscal.namesPrinted = true; });
    const std::string unique = sim.printer().sales.uniqueNumber; // 11 characters, no blank
    recorder.answers = {BoxAnswer::Yes};
    GlowneOkno->Bazanazwitowarw1Click();
    ASSERT_EQ(2u, recorder.boxes.size());
    EXPECT_EQ(BoxKind::Question, recorder.boxes[0].kind);
    EXPECT_EQ("Odpowiedz", recorder.boxes[0].caption);
    EXPECT_EQ(BoxKind::Information, recorder.boxes[1].kind);
    EXPECT_EQ("Baza nazw i stawek została skasowana", recorder.boxes[1].text);
    const auto frames = Frames(sim, 92);
    ASSERT_EQ(1u, frames.size());
    const darvosim::Bytes expected{0x1B, 92, static_cast<uint8_t>(unique[9] + unique[10])};
    EXPECT_EQ(expected, frames[0].fromHost);
    EXPECT_EQ(19u, frames[0].fromPrinter.size()); // ACK, ACK, 16 steps and 0
    EXPECT_TRUE(GlowneOkno->pbFiskal()->isHidden());
    EXPECT_NE(std::string::npos, sim.printer().roll.Text().find("BAZA NAZW I STAWEK SKASOWANA"));

    recorder.boxes.clear();
    recorder.answers = {BoxAnswer::Yes};
    GlowneOkno->Bazanazwitowarw1Click();
    ASSERT_EQ(2u, recorder.boxes.size());
    EXPECT_TRUE(
        recorder.boxes[1].text.startsWith(QStringLiteral("Baza nazw i stawek nie została skasowana.")));
    EXPECT_FALSE(GlowneOkno->BusyCursorShown());
}

// The service jumper, user data and receipt counter refuse the erase before
// anything is sent.
TEST_F(ServiceMenu, NamesBaseErasePreconditions) {
    struct Row {
        std::function<void(Printer &)> make;
        const char *text;
    } rows[] = {
        {[](Printer &p) { p.status.userData = false; },
         "  Brak danych użytkownika w drukarce.  \rNie można skasować bazy nazw i towarów."},
        {[](Printer &p) { p.status.serviceJumper = true; },
         " Zwora serwisowa w pozycji serwisowej. \rNie można skasować bazy nazw i towarów."},
        {[](Printer &p) { p.sales.receiptCounter = 3; },
         "     Niezerowy licznik paragonów.      \rNie można skasować bazy nazw i towarów.\r Należy wykonać "
         "najpierw raport dobowy."},
    };
    darvosim::Emulator &sim = Connect(3);
    const darvosim::StatusState status = sim.printer().status;
    for (const Row &row : rows) {
        WithPrinter(sim, [&](Printer &p) {
            p.status = status;
            p.sales.receiptCounter = 0;
            p.fiscal.namesPrinted = true;
            row.make(p);
        });
        recorder.boxes.clear();
        recorder.answers = {BoxAnswer::Yes};
        GlowneOkno->Bazanazwitowarw1Click();
        EXPECT_EQ(QStringList{QString::fromUtf8(row.text)}, Texts());
    }
    EXPECT_TRUE(Frames(sim, 92).empty());
}

// Fiscalisation: a pharmacy printer is announced as such, a shop printer as
// a shop printer; No to that question ends with nothing sent.
TEST_F(ServiceMenu, FiscalisationAsksShopOrPharmacy) {
    const std::pair<int, const char *> rows[] = {
        {6, "Do komputera podłączona jest drukarka DARVO NIVRA F.\r      Jest ona przeznaczona WYŁĄCZNIE do "
            "aptek.\r\r                     Czy kontynuować?"},
        {3, "Do komputera podłączona jest drukarka DARVO NIVRA.\r    Jest ona przeznaczona wyłącznie do "
            "sklepów.\r         NIE WOLNO używać jej w aptekach.\r\r                      Czy kontynuować?"},
    };
    for (const auto &[type, text] : rows) {
        SCOPED_TRACE(type);
        darvosim::Emulator &sim = Connect(type);
        WithPrinter(sim, [](Printer &p) {
            p.status.fiscalMode = false;
            p.status.serviceJumper = true;
        });
        recorder.answers = {BoxAnswer::Yes, BoxAnswer::No};
        GlowneOkno->Przeczeniewtrybfiskalny1Click();
        ASSERT_EQ(2u, recorder.boxes.size());
        EXPECT_EQ(QString::fromUtf8(text), recorder.boxes[1].text);
        EXPECT_EQ("Odpowiedz", recorder.boxes[1].caption);
        EXPECT_TRUE(recorder.boxes[1].defaultNo);
        EXPECT_TRUE(Frames(sim, 114).empty());
        EXPECT_EQ(ServiceDeviceType, type);
        sim.Stop();
        sims.erase(1);
    }
}

// Every precondition of the fiscalisation and of the settlement report ends
// the command with its message before anything is sent.
TEST_F(ServiceMenu, FiscalisationAndSettlementPreconditions) {
    darvosim::Emulator &sim = Connect(7);
    WithPrinter(sim, [](Printer &p) { p.status.serviceJumper = true; });
    GlowneOkno->Przeczeniewtrybfiskalny1Click();
    ASSERT_EQ(1u, recorder.boxes.size());
    EXPECT_EQ(BoxKind::Information, recorder.boxes[0].kind);
    EXPECT_EQ("Drukarka pracuje już w trybie fiskalnym.", recorder.boxes[0].text);

    WithPrinter(sim, [](Printer &p) {
        p.status.fiscalMode = false;
        p.status.serviceJumper = false;
    });
    recorder.boxes.clear();
    GlowneOkno->Przeczeniewtrybfiskalny1Click();
    EXPECT_EQ(
        QStringList{
            "      Zwora serwisowa w pozycji normalnej.\rWykonanie fiskalizacji drukarki jest niemożliwe."},
        Texts());

    recorder.boxes.clear();
    GlowneOkno->Cao1Click(); // training mode
    ASSERT_EQ(1u, recorder.boxes.size());
    EXPECT_EQ(BoxKind::Error, recorder.boxes[0].kind);
    EXPECT_EQ(
        "      Drukarka pracuje w trybie szkoleniowym.\rWykonanie raportu rozliczeniowego jest niemożliwe.",
        recorder.boxes[0].text);
    EXPECT_TRUE(Frames(sim, 114).empty());
    EXPECT_TRUE(Frames(sim, 49).empty());
}

// "Użytkownik": a printer that does not answer still lets the user work on
// user data files; a first-generation printer is refused.
TEST_F(ServiceMenu, UserDataCommand) {
    darvosim::Emulator &sim = Connect(7);
    GlowneOkno->Odczytuytkownika1Click();
    EXPECT_TRUE(recorder.boxes.empty());
    EXPECT_EQ(QStringList{"fDaneUzytkownika"}, shownDialogs);
    EXPECT_EQ(7, ServiceDeviceType);

    WithPrinter(sim, [](Printer &p) { p.powered = false; });
    recorder.answers = {BoxAnswer::Yes};
    GlowneOkno->Odczytuytkownika1Click();
    ASSERT_EQ(1u, recorder.boxes.size());
    EXPECT_EQ(BoxKind::Question, recorder.boxes[0].kind);
    EXPECT_EQ(
        "Brak komunikacji z drukarką fiskalną (niewłaściwie ustawione parametry komunikacji).\r          "
        "        Czy przejść do edycji danych użytkownika?",
        recorder.boxes[0].text);
    EXPECT_EQ((QStringList{"fDaneUzytkownika", "fDaneUzytkownika"}), shownDialogs);

    Connect(1);
    shownDialogs.clear();
    GlowneOkno->Odczytuytkownika1Click();
    EXPECT_EQ(QStringList{"Podłączone urządzenie nie jest drukarką drugiej generacji"}, Texts());
    EXPECT_TRUE(shownDialogs.isEmpty());
}

// A printer that sends progress bytes without end is cut off after far
// more than a real erase takes, with the bad-answer message; the bar is
// hidden again.
TEST_F(ServiceMenu, EndlessProgressIsCutOff) {
    darvosim::Emulator &sim = Connect(8);
    darvosim::Bytes after(400, 5); // the erase accepted, then progress that never ends
    after[0] = darvosim::ACK;
    sim.Script(92, darvosim::Scripted{{darvosim::ACK}, 1, after});
    recorder.answers = {BoxAnswer::Yes};
    GlowneOkno->Bazanazwitowarw1Click();
    ASSERT_EQ(2u, recorder.boxes.size());
    EXPECT_EQ(ErrorMessageText(23), recorder.boxes[1].text);
    EXPECT_TRUE(GlowneOkno->pbFiskal()->isHidden());
    EXPECT_FALSE(GlowneOkno->BusyCursorShown());
}

} // namespace
