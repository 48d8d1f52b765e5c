// The "Raporty" menu against emulated printers: the daily report's counter
// rules and paper-out question, the financial report's refusals, the
// periodic report dialogs and their range records, the names-and-rates
// control printout from "baza.txt", the price buffer and the switch-off.
#include "AppFixture.h"

#include "core/DriverText.h"
#include "reports/TfOkresoweMiesieczne.h"
#include "reports/TfOkresoweWgNumerow.h"
#include "reports/TfRaportyOkresoweWgDat.h"

#include <QDateEdit>
#include <QDateTime>
#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <filesystem>
#include <optional>

using namespace apptest;
using darvosim::Bytes;

namespace {

const QString kPaperQuestion =
    " Brak papieru lub podniesiona głowica mechanizmu drukującego\rCzy wznowić wydruk po założeniu papieru?";

class ReportsMenu : public AppTest {};

// The receipt counter's question or refusal by device type; a blocking
// print condition stops the report before it.
TEST_F(ReportsMenu, DailyReportZeroCounterByDeviceTypeAndPrintConditions) {
    struct Case {
        int type;
        int counter;
        BoxAnswer answer;
        BoxKind kind;
        QString text;
        bool printed;
        bool paperOut = false;
    };
    const QString refused = "  Licznik paragonów jest równy 0.   \rNie można wykonać raportu dobowego.";
    const QString zero = "  Licznik paragonów jest równy 0   \rCzy wykonać raport dobowy?";
    const QString paper = "Brak papieru lub podniesiona głowica mechanizmu drukującego";
    const Case cases[] = {
        // The KT820 printers cannot print a report without sales.
        {0, 0, BoxAnswer::Yes, BoxKind::Error, refused, false},
        {4, 0, BoxAnswer::Yes, BoxKind::Error, refused, false},
        // The others ask, and print the zero report on Yes.
        {3, 0, BoxAnswer::Yes, BoxKind::Question, zero, true},
        {2, 0, BoxAnswer::No, BoxKind::Question, zero, false},
        {7, 5, BoxAnswer::Yes, BoxKind::Question, "Czy wykonać raport dobowy?", true},
        {0, 5, BoxAnswer::No, BoxKind::Question, "Czy wykonać raport dobowy?", false},
        {7, 5, BoxAnswer::Yes, BoxKind::Error, paper, false, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << c.type << ", counter " << c.counter);
        darvosim::Emulator &sim = Connect(c.type);
        WithPrinter(sim, [&](darvosim::Printer &p) {
            p.sales.receiptCounter = c.counter;
            p.status.paperOut = c.paperOut;
        });
        recorder.answers = {c.answer};
        Choose("Fiskalnydobowy1");
        ExpectOnlyBox(c.kind, c.kind == BoxKind::Error ? "Błąd" : "Odpowiedz", c.text);
        EXPECT_EQ(1, beeps);
        EXPECT_EQ(c.printed, Sent(sim, 37));
        EXPECT_EQ(c.printed, Printed(sim, "RAPORT DOBOWY FISKALNY"));
        ExpectIdle();
    }
}

TEST_F(ReportsMenu, PaperRunningOutInTheDailyReportIsAskedAboutUntilItIsLoaded) {
    darvosim::Emulator &sim = Connect(7);
    WithPrinter(sim, [](darvosim::Printer &p) {
        p.sales.receiptCounter = 3;
        p.paperRunsOutAfterPolls = 1;
    });
    int paperQuestions = 0;
    recorder.onBox = [&](const BoxRequest &r) {
        if (r.text != kPaperQuestion) return;
        EXPECT_FALSE(GlowneOkno->BusyCursorShown());
        // Loaded only before the third answer: the first two Yes find it missing.
        if (++paperQuestions == 3) WithPrinter(sim, [](darvosim::Printer &p) { p.status.paperOut = false; });
    };
    recorder.answers = {BoxAnswer::Yes, BoxAnswer::Yes, BoxAnswer::Yes, BoxAnswer::Yes};
    Choose("Fiskalnydobowy1");
    EXPECT_EQ((QStringList{"Czy wykonać raport dobowy?", kPaperQuestion, kPaperQuestion, kPaperQuestion}),
              Texts());
    EXPECT_EQ(BoxKind::WarningQuestion, recorder.boxes[1].kind);
    EXPECT_EQ("Odpowiedz", recorder.boxes[1].caption);
    // Resumed once, when the paper was back, and printed to its end.
    EXPECT_EQ(1u, sim.log().FramesOf(0x2A).size());
    EXPECT_FALSE(sim.printer().status.printing);
    EXPECT_TRUE(Printed(sim, "RAPORT DOBOWY FISKALNY"));
    ExpectIdle();

    // No ends the command without a further message.
    recorder.boxes.clear();
    WithPrinter(sim, [](darvosim::Printer &p) {
        p.sales.receiptCounter = 1;
        p.paperRunsOutAfterPolls = 1;
    });
    recorder.answers = {BoxAnswer::Yes, BoxAnswer::No};
    Choose("Fiskalnydobowy1");
    EXPECT_EQ((QStringList{"Czy wykonać raport dobowy?", kPaperQuestion}), Texts());
    ExpectIdle();
}

TEST_F(ReportsMenu, FinancialReportOnlyOnAWritablePexa) {
    struct Case {
        int type;
        bool readOnly;
        QString refusal; // empty: printed
    };
    const Case cases[] = {
        {3, false, "  Drukarka nie obsługuje wydruku raportu finansowego "},
        {2, false, "  Drukarka nie obsługuje wydruku raportu finansowego "},
        {7, true, "Drukarka w trybie TYLKO ODCZYT."},
        {8, false, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << c.type);
        darvosim::Emulator &sim = Connect(c.type);
        WithPrinter(sim, [&](darvosim::Printer &p) { p.status.readOnly = c.readOnly; });
        Choose("Finansowypodatkowy1");
        EXPECT_EQ(c.refusal.isEmpty() ? QStringList{} : QStringList{c.refusal}, Texts());
        EXPECT_EQ(c.refusal.isEmpty(), Sent(sim, 43));
        EXPECT_EQ(c.refusal.isEmpty(), Printed(sim, "RAPORT FINANSOWY PODATKOWY"));
        ExpectIdle();
    }
}

TEST_F(ReportsMenu, SimpleReportsReachThePaperRoll) {
    darvosim::Emulator &sim = Connect(6);
    Choose("Stanudrukarki1");
    Choose("Nazwtowarwzablokowanych1");
    Choose("Opiswstaych1");
    EXPECT_TRUE(recorder.boxes.empty());
    EXPECT_TRUE(Printed(sim, "RAPORT STANU DRUKARKI"));
    EXPECT_TRUE(Printed(sim, "RAPORT NAZW TOWARÓW ZABLOKOWANYCH"));
    EXPECT_TRUE(Printed(sim, "RAPORT OPISÓW STAŁYCH"));
    ExpectIdle();

    // An erased CMOS memory stops them before anything is printed.
    WithPrinter(sim, [](darvosim::Printer &p) { p.status.cmosErased = true; });
    sim.log().Clear();
    Choose("Stanudrukarki1");
    EXPECT_EQ(QStringList{"Skasowana pamięć CMOS. Wejdź do inicjowania zegara."}, Texts());
    EXPECT_FALSE(Sent(sim, 38));
    ExpectIdle();
}

TEST_F(ReportsMenu, MonthlyReportInJanuaryPresetsDecemberOfThePreviousYear) {
    darvosim::Emulator &sim = Connect(7);
    SetCurrentDateTimeSource([] { return QDateTime(QDate(2009, 1, 15), QTime(10, 0)); });
    QString caption;
    int year = 0, month = 0;
    dialogRunners.push_back([&](TDialog &d) {
        caption = d.windowTitle();
        year = fOkresoweMiesieczne->seRok->value();
        month = fOkresoweMiesieczne->seMiesiac->value();
        fOkresoweMiesieczne->bTak->click();
    });
    Choose("Miesiczny2");
    EXPECT_EQ(QStringList{"fOkresoweMiesieczne"}, shownDialogs);
    EXPECT_EQ("Raport szczegółowy miesięczny...", caption);
    EXPECT_EQ(2008, year);
    EXPECT_EQ(12, month);
    EXPECT_EQ(darvo::ops::PeriodKind::DetailedMonthly, fOkresoweMiesieczne->Kind());
    EXPECT_EQ((Bytes{0x1B, 49, 2, 0, 8, 1, 2}), SentOnce(sim, 49));
    // No daily report in that month: the printer's answer in an error box.
    EXPECT_EQ(QStringList{ErrorMessageText(220)}, Texts());
    ExpectIdle();
}

// By dates: the newer printers get command 49 with the kind, the older ones
// command 40 (detailed) or 41 (short) with the same twelve digits.
TEST_F(ReportsMenu, ReportByDatesPerGeneration) {
    struct Case {
        int type;
        const char *item;
        QString caption;
        Bytes frame;
    };
    const Bytes digits = {0, 8, 0, 3, 0, 5, 0, 8, 0, 4, 0, 7};
    auto with = [&](Bytes head) {
        head.insert(head.end(), digits.begin(), digits.end());
        return head;
    };
    const Case cases[] = {
        {7, "Wedugdat2", "Raport szczegółowy według dat...", with({0x1B, 49, 0})},
        {3, "Wedugdat1", "Raport skrócony według dat...", with({0x1B, 49, 3})},
        {2, "Wedugdat2", "Raport szczegółowy według dat...", with({0x1B, 40})},
        {2, "Wedugdat1", "Raport skrócony według dat...", with({0x1B, 41})},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << c.type << " " << c.caption.toStdString());
        darvosim::Emulator &sim = Connect(c.type);
        QString caption;
        dialogRunners.push_back([&](TDialog &d) {
            caption = d.windowTitle();
            fRaportyOkresoweWgDat->dtOd->setDate(QDate(2008, 3, 5));
            fRaportyOkresoweWgDat->dtDo->setDate(QDate(2008, 4, 7));
            fRaportyOkresoweWgDat->bTak->click();
        });
        Choose(c.item);
        EXPECT_EQ(c.caption, caption);
        EXPECT_EQ(c.frame, SentOnce(sim, c.frame[1]));
        EXPECT_TRUE(fRaportyOkresoweWgDat->bTak->isEnabled());
        ExpectIdle();
    }
}

// Collecting a settlement range prints nothing: "&Tak" (or Enter in a
// field) stores the range record and closes the dialog with Yes; Esc closes
// without it.
TEST_F(ReportsMenu, CollectingARangePrintsNothing) {
    darvosim::Emulator &sim = Connect(7);
    fRaportyOkresoweWgDat->dtOd->setDate(QDate(2008, 3, 5));
    fRaportyOkresoweWgDat->dtDo->setDate(QDate(2008, 4, 7));
    dialogRunners.push_back([this](TDialog &) { fRaportyOkresoweWgDat->bTak->click(); });
    darvo::ops::RangeRecord range{};
    EXPECT_TRUE(fRaportyOkresoweWgDat->CollectRange(range));
    EXPECT_EQ((Bytes{0, 8, 0, 3, 0, 5, 0, 8, 0, 4, 0, 7}), Bytes(range.begin(), range.end()));

    // By numbers; a first number above the last raises the last to it.
    fOkresoweWgNumerow->seOd->setValue(1);
    fOkresoweWgNumerow->seDo->setValue(310);
    fOkresoweWgNumerow->seOd->setValue(400);
    EXPECT_EQ(400, fOkresoweWgNumerow->seDo->value());
    fOkresoweWgNumerow->seOd->setValue(300);
    fOkresoweWgNumerow->seDo->setValue(310);
    dialogRunners.push_back([this](TDialog &) {
        fOkresoweWgNumerow->show();
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(fOkresoweWgNumerow->seDo, &enter);
        EXPECT_FALSE(fOkresoweWgNumerow->isVisible());
    });
    EXPECT_TRUE(fOkresoweWgNumerow->CollectRange(range));
    EXPECT_EQ((Bytes{0x2C, 0x01, 0x36, 0x01, 0, 0, 0, 0, 0, 0, 0, 0}), Bytes(range.begin(), range.end()));

    fOkresoweMiesieczne->show();
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(fOkresoweMiesieczne->seRok, &esc);
    EXPECT_FALSE(fOkresoweMiesieczne->isVisible());
    EXPECT_EQ(QDialog::Rejected, fOkresoweMiesieczne->result());
    EXPECT_FALSE(Sent(sim, 49));
    EXPECT_TRUE(recorder.boxes.empty());
}

// A printer in training mode is refused before the dialog; one that cannot
// print leaves the dialog open for another try.
TEST_F(ReportsMenu, TrainingModeAndAPrinterNotReady) {
    darvosim::Emulator &sim = Connect(7);
    WithPrinter(sim, [](darvosim::Printer &p) { p.status.fiscalMode = false; });
    Choose("Wedugnumerw1");
    ExpectOnlyBox(BoxKind::Information, "Informacja",
                  "Drukarka pracuje w trybie szkoleniowym.\r    Wydruk raportu nie jest możliwy.");
    EXPECT_TRUE(shownDialogs.isEmpty());

    WithPrinter(sim, [](darvosim::Printer &p) {
        p.status.fiscalMode = true;
        p.status.failure = true;
    });
    recorder.boxes.clear();
    bool openAfter = false, enabledAfter = false;
    dialogRunners.push_back([&](TDialog &d) {
        fOkresoweWgNumerow->bTak->click();
        openAfter = d.result() == QDialog::Rejected;
        enabledAfter = fOkresoweWgNumerow->bTak->isEnabled();
    });
    Choose("Wedugnumerw2");
    EXPECT_TRUE(openAfter);
    EXPECT_TRUE(enabledAfter);
    EXPECT_EQ(QStringList{ErrorMessageText(103)}, Texts());
    EXPECT_FALSE(Sent(sim, 49));
    ExpectIdle();
}

// The paper runs out while the printer prints a report by numbers: the
// question repeats until the paper is back, then the printout is followed
// to its end.
TEST_F(ReportsMenu, PaperOutInAPeriodReportResumesItsPrintout) {
    darvosim::Emulator &sim = Connect(8);
    WithPrinter(sim, [](darvosim::Printer &p) {
        for (int n = 1; n <= 3; ++n) {
            darvosim::DailyRecord r;
            r.number = n;
            r.date = {8, 3, n};
            p.fiscal.records.push_back(r);
        }
        p.paperRunsOutAfterPolls = 1;
    });
    int questions = 0;
    recorder.onBox = [&](const BoxRequest &) {
        if (++questions == 2) WithPrinter(sim, [](darvosim::Printer &p) { p.status.paperOut = false; });
    };
    recorder.answers = {BoxAnswer::Yes, BoxAnswer::Yes};
    dialogRunners.push_back([this](TDialog &) {
        fOkresoweWgNumerow->seOd->setValue(2);
        fOkresoweWgNumerow->seDo->setValue(3);
        fOkresoweWgNumerow->bTak->click();
    });
    Choose("Wedugnumerw1");
    EXPECT_EQ(darvo::ops::PeriodKind::ShortByNumbers, fOkresoweWgNumerow->Kind());
    EXPECT_EQ((QStringList{kPaperQuestion, kPaperQuestion}), Texts());
    EXPECT_EQ((Bytes{0x1B, 49, 4, 2, 0, 3, 0}), SentOnce(sim, 49));
    EXPECT_EQ(1u, sim.log().FramesOf(0x2A).size());
    EXPECT_FALSE(sim.printer().status.printing);
    EXPECT_TRUE(Printed(sim, "od nr 2 do nr 3"));
    ExpectIdle();
}

class NamesFile : public ReportsMenu {
  protected:
    void SetUp() override {
        ReportsMenu::SetUp();
        ASSERT_TRUE(dir_.isValid());
        saved_ = QDir::currentPath();
        QDir::setCurrent(dir_.path());
    }
    void TearDown() override {
        QDir::setCurrent(saved_);
        ReportsMenu::TearDown();
    }
    void Write(const QByteArray &content) { ASSERT_TRUE(WriteBytes("baza.txt", content)); }
    static size_t OpenFiles() {
        return static_cast<size_t>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                                                 std::filesystem::directory_iterator()));
    }
    // The item as the printer prints it: the name in 28 characters, the rate.
    static std::string Item(const QString &name, char rate) {
        return (name.leftJustified(28) + ' ' + QLatin1Char(rate)).toStdString();
    }

  private:
    QTemporaryDir dir_;
    QString saved_;
};

// Each line an article with its rate; an empty file, an item the printer
// refuses and a missing file end with their messages. The file is closed
// whatever the outcome.
TEST_F(NamesFile, LinesBecomeArticlesWithTheirRates) {
    darvosim::Emulator &sim = Connect(7);
    const size_t files = OpenFiles();
    // The printout of "baza.txt" with this content (none: no file), which
    // is closed whatever the outcome; the boxes it shows.
    const auto print = [&](const std::optional<QByteArray> &content) {
        Reset(sim);
        content ? Write(*content) : void(QFile::remove("baza.txt"));
        Choose("Wydrukkontrolnynazwistawek1");
        EXPECT_EQ(files, OpenFiles());
        ExpectIdle();
        return Texts();
    };
    // "$" prefix, CR LF and LF, a missing and an empty rate, a third field,
    // an empty line and one with no name (both skipped), Windows-1250.
    EXPECT_EQ(QStringList{}, print("$MLEKO SWIEZE\tB\r\nCHLEB RAZOWY\n\tC\n$\tC\nMAS\xA3O EKSTRA\t\n\nSER "
                                   "ZOLTY 1KG\tDx\tignored\r\n"));
    // The beginning's printout is followed to its end before the items go.
    EXPECT_EQ((Bytes{81, 0x95, 0x95, 0x95, 63}), Commands(sim));
    for (const std::string &line :
         {Item("MLEKO SWIEZE", 'B'), Item("CHLEB RAZOWY", 'A'), Item("MASŁO EKSTRA", 'A'),
          Item("SER ZOLTY 1KG", 'D'), std::string("Pozycji: 4")})
        EXPECT_TRUE(Printed(sim, "\n" + line + "\n")) << line;

    // Empty: only the end goes out; the printer refuses it without a beginning.
    EXPECT_EQ(QStringList{ErrorMessageText(24)}, print(""));
    EXPECT_EQ((Bytes{63}), Commands(sim));
    EXPECT_EQ(1, beeps);

    // An item the printer cannot take ends the printout there.
    EXPECT_EQ(QStringList{ErrorMessageText(202)}, print("CHLEB RAZOWY\tA\nAB\tA\nMLEKO SWIEZE\tB\n"));
    EXPECT_TRUE(Sent(sim, 81));
    EXPECT_FALSE(Sent(sim, 63));
    // The first item went (ESC 81, three polls, then its 29 bytes); the second did not.
    EXPECT_TRUE(sim.log().WaitForHostBytes(2 + 3 * 2 + 29, darvotest::Scaled(std::chrono::seconds(1))));
    WithPrinter(sim, [](darvosim::Printer &p) { EXPECT_EQ(1, p.fiscal.namesItems); });

    EXPECT_EQ(QStringList{"Brak pliku baza.txt"}, print(std::nullopt));
    EXPECT_EQ("Błąd", recorder.boxes[0].caption);
    EXPECT_TRUE(Commands(sim).empty());
}

TEST_F(ReportsMenu, PriceBufferOnlyOnPharmacyPrinters) {
    darvosim::Emulator &sim = Connect(8);
    WithPrinter(sim, [](darvosim::Printer &p) { p.status.pricingBufferData = true; });
    Choose("Kasowaniebuforawycen1");
    ExpectOnlyBox(BoxKind::Information, "Informacja", "Bufor wycen skasowano.");
    // Read once the printer has served the command, under its lock.
    WithPrinter(sim, [](darvosim::Printer &p) { EXPECT_FALSE(p.status.pricingBufferData); });
    ExpectIdle();

    darvosim::Emulator &shop = Connect(7);
    Choose("Kasowaniebuforawycen1");
    EXPECT_EQ(QStringList{"To nie jest drukarka apteczna."}, Texts());
    EXPECT_FALSE(Sent(shop, 119));
    ExpectIdle();
}

TEST_F(ReportsMenu, SwitchOff) {
    struct Case {
        int type;
        bool refused;
        QStringList texts;
    };
    const Case cases[] = {
        {7, false, {"Drukarka została wyłączona"}},
        // A refusal is shown, and the printer is reported switched off all the same.
        {3, true, {ErrorMessageText(24), "Drukarka została wyłączona"}},
        {1, false, {"Podłączone urządzenie nie jest drukarką drugiej generacji"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << c.type);
        darvosim::Emulator &sim = Connect(c.type);
        if (c.refused) sim.Script(253, darvosim::Scripted{{darvosim::NAK}});
        Choose("Zdalnewyaczeniedrukarki1");
        EXPECT_EQ(c.texts, Texts());
        EXPECT_EQ(c.type == 1 ? BoxKind::Error : BoxKind::Information, recorder.boxes.back().kind);
        EXPECT_EQ(c.type != 1, Sent(sim, 253));
        EXPECT_EQ(c.type == 7, !sim.printer().powered);
        ExpectIdle();
    }
}

} // namespace
