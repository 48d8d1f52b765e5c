// The Serwis menu: the user data editor and its file, the erasing of the
// names base, the fiscalisation and the settlement report through the
// dialogs they borrow (the date and unique number, the range, the tax
// rates), with the frames they put on the wire and what the printer is left
// in.
#include "AppFixture.h"

#include "common/FileDialogs.h"
#include "core/DriverText.h"
#include "reports/TfOkresoweWgNumerow.h"
#include "service/TfDaneUzytkownika.h"
#include "service/TfDataINumer.h"
#include "taxes/TfStawkiPodatkowe.h"

#include "darvodr.h"

#include <QCheckBox>
#include <QClipboard>
#include <QCoreApplication>
#include <QDate>
#include <QDateEdit>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QProgressBar>
#include <QRadioButton>
#include <QTemporaryDir>

using namespace apptest;
using darvosim::Printer;

namespace {

// The user data editor and its file, on a host of its own.
class UserDataFile : public BoxTest {
  protected:
    void SetUp() override {
        BoxTest::SetUp();
        ASSERT_TRUE(dir.isValid());
    }
    QString Path(const char *name) const { return dir.filePath(QString::fromLatin1(name)); }
    QByteArray ReadFile(const QString &path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QTemporaryDir dir;
    FakeHost host;
    TfDaneUzytkownika d{nullptr, host};
};

TEST_F(UserDataFile, FileRoundTripByteForByte) {
    d.SetLayout(TfDaneUzytkownika::kSixLines);
    const char *texts[6] = {"  Sklep Żabka  ", "ul. Polna 1", "",
                            "Gdańsk",          "tel. 58 000", "NIP 526-000-12-46"};
    for (int i = 0; i < 6; ++i) {
        d.widths[i]->SetItemIndex(i == 1 || i == 3 ? 1 : 0);
        d.edits[i]->setText(QString::fromUtf8(texts[i]));
    }
    d.cbWys1->setChecked(true);
    d.cbWys5->setChecked(true);
    ASSERT_TRUE(d.SaveFile(Path("six.txt")));
    const QByteArray expected = "#1\r\n#\r\n#\r\n"
                                "$  Sklep \257abka  \t40\t1\r\n" // Ż in Windows-1250
                                "$ul. Polna 1\t20\t0\r\n"
                                "$\t40\t0\r\n"
                                "$Gda\xF1sk\t20\t0\r\n"
                                "$tel. 58 000\t40\t1\r\n"
                                "$NIP 526-000-12-46\t40\t0\r\n";
    EXPECT_EQ(expected, ReadFile(Path("six.txt")));

    // Into an emptied dialog, and out again unchanged.
    d.SetLayout(TfDaneUzytkownika::kFourLines);
    for (int i = 0; i < 4; ++i)
        d.edits[i]->setText("x");
    d.cbWys1->setChecked(false);
    ASSERT_TRUE(d.LoadFile(Path("six.txt")));
    EXPECT_EQ(TfDaneUzytkownika::kSixLines, d.rgTyp->ItemIndex());
    EXPECT_EQ(QString::fromUtf8(texts[0]), d.l1->text());
    EXPECT_EQ(20, d.LineWidth(2));
    EXPECT_TRUE(d.cbWys1->isChecked());
    EXPECT_FALSE(d.cbWys2->isChecked());
    ASSERT_TRUE(d.SaveFile(Path("again.txt")));
    EXPECT_EQ(expected, ReadFile(Path("again.txt")));

    // The four-line layout: no "Wys. gen." fields, record 4 always 40.
    ASSERT_TRUE(d.LoadFile(Path("six.txt")));
    d.SetLayout(TfDaneUzytkownika::kFourLines);
    d.l3->setText("a\tb"); // a TAB would split the record
    ASSERT_TRUE(d.SaveFile(Path("four.txt")));
    EXPECT_EQ(QByteArray("#1\r\n#\r\n#\r\n$  Sklep \257abka  \t40\r\n$ul. Polna 1\t20\r\n"
                         "$a b\t40\r\n$Gda\xF1sk\t40\r\n"),
              ReadFile(Path("four.txt")));
    EXPECT_TRUE(recorder.boxes.empty());
}

TEST_F(UserDataFile, FileFormatErrorsAndTheSevenLineFile) {
    const QByteArray head = "#1\r\n#\r\n#\r\n";
    const struct {
        const char *name;
        QByteArray body;
        bool ok;
    } cases[] = {
        {"short", "$a\t40\r\n$b\t40\r\n$c\t40\r\n", false},
        {"width1", "$a\t30\r\n$b\t40\r\n$c\t40\r\n$d\t40\r\n", false},
        {"width3", "$a\t40\r\n$b\t40\r\n$c\t\r\n$d\t40\r\n", false},
        {"width4", "$a\t40\r\n$b\t40\r\n$c\t40\r\n$d\t99\r\n", true},
        {"width5", "$a\t40\r\n$b\t40\r\n$c\t40\r\n$d\t40\r\n$e\t21\t0\r\n$f\t40\t0\r\n", false},
        {"width6", "$a\t40\r\n$b\t40\r\n$c\t40\r\n$d\t40\r\n$e\t20\t0\r\n$f\t4\t0\r\n", false},
        {"noline9", "$a\t40\r\n$b\t40\r\n$c\t40\r\n$d\t40\r\n$e\t20\t0\r\n", false},
        {"nodollar", "a\t40\r\nb\t20\r\nc\t40\r\nd\t40\r\n\r\n", true},
        {"lf", "$a\t40\n$b\t40\n$c\t40\n$d\t40", true},
        {"long", "$a\t40\r\n$ul. Polna 1, 80-001 Gdynia\t20\r\n$c\t40\r\n$d\t40\r\n", true},
    };
    for (const auto &c : cases) {
        recorder.boxes.clear();
        const QString path = Path(c.name);
        ASSERT_TRUE(WriteBytes(path, head + c.body));
        EXPECT_EQ(c.ok, d.LoadFile(path)) << c.name;
        if (c.ok) {
            EXPECT_TRUE(recorder.boxes.empty() && d.l1->text() == "a") << c.name;
        } else {
            ExpectOnlyError("Błędny format pliku " + path);
        }
    }
    // The last one filled: a text longer than its width is kept whole.
    EXPECT_EQ("ul. Polna 1, 80-001 Gdynia", d.l2->text());
    EXPECT_EQ(20, d.LineWidth(2));

    // A seven-line file after a six-line one: four lines, 5 and 6 emptied.
    ASSERT_TRUE(
        WriteBytes(Path("nine"),
                   head + "$a\t40\t0\r\n$b\t40\t0\r\n$c\t40\t0\r\n$d\t20\t1\r\n$e\t20\t1\r\n$f\t20\t0\r\n"));
    ASSERT_TRUE(d.LoadFile(Path("nine")));
    EXPECT_EQ(TfDaneUzytkownika::kSixLines, d.rgTyp->ItemIndex());
    EXPECT_TRUE(d.cbWys4->isChecked());
    ASSERT_TRUE(WriteBytes(Path("seven"), head + "$a\t40\r\n$b\t40\r\n$c\t40\r\n$NIP 1\t40\r\n"));
    ASSERT_TRUE(d.LoadFile(Path("seven")));
    EXPECT_EQ(TfDaneUzytkownika::kFourLines, d.rgTyp->ItemIndex());
    EXPECT_EQ("NIP 1", d.L4->text());
    EXPECT_TRUE(d.L5->text().isEmpty());
    EXPECT_TRUE(d.l6->text().isEmpty());
    EXPECT_TRUE(d.L5->isHidden());
    EXPECT_EQ("NIP", d.Label5->text());
    EXPECT_FALSE(d.cbWys4->isChecked());

    // Through the button and the file dialog layer.
    SetFileChooser([this](const FileDialogRequest &r) {
        EXPECT_EQ(FileDialogKind::Open, r.kind);
        EXPECT_EQ("Pliki tekstowe z danymi użytkownika (*.txt)|*.txt|Wszystkie pliki|*.*", r.filter);
        return Path("nine");
    });
    d.bOdczytPlik->click();
    SetFileChooser(nullptr);
    EXPECT_EQ(TfDaneUzytkownika::kSixLines, d.rgTyp->ItemIndex());
    EXPECT_EQ("f", d.l6->text());
}

TEST_F(UserDataFile, WidthCentreAndOverwriteMode) {
    d.SetLayout(TfDaneUzytkownika::kSixLines);
    d.l3->setText(CentreLine("SKLEP SPOŻYWCZY", 40));
    d.rg3->Button(1)->click(); // 20 characters: trimmed, then centred
    EXPECT_EQ(20, d.l3->maxLength());
    EXPECT_EQ(147, d.l3->x());
    EXPECT_EQ("  SKLEP SPOŻYWCZY   ", d.l3->text());
    d.cb3->click(); // unchecked: nothing changes
    d.rg3->Button(0)->click();
    EXPECT_EQ(330, d.l3->width());
    EXPECT_EQ("  SKLEP SPOŻYWCZY   ", d.l3->text());

    auto key = [this](int code, const QString &text, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent press(QEvent::KeyPress, code, modifiers, text);
        QCoreApplication::sendEvent(d.l1, &press);
    };
    TfDaneUzytkownika::OverwriteMode = false;
    d.l1->setText("abcd");
    d.l1->setCursorPosition(1);
    key(Qt::Key_Insert, QString());
    EXPECT_TRUE(TfDaneUzytkownika::OverwriteMode);
    EXPECT_FALSE(d.Label8->isHidden());
    key(Qt::Key_X, "x");
    EXPECT_EQ("axcd", d.l1->text());
    d.l1->setCursorPosition(4);
    key(Qt::Key_Y, "y"); // at the end nothing is deleted
    EXPECT_EQ("axcdy", d.l1->text());
    key(Qt::Key_Insert, QString());
    d.l1->setCursorPosition(0);
    key(Qt::Key_Z, "z");
    EXPECT_EQ("zaxcdy", d.l1->text());
    EXPECT_TRUE(d.Label8->isHidden());

    // Shift+Insert pastes and Ctrl+Insert copies; neither toggles the mode.
    QGuiApplication::clipboard()->setText("PL");
    key(Qt::Key_Insert, QString(), Qt::ShiftModifier);
    EXPECT_EQ("zPLaxcdy", d.l1->text()); // at the caret, after the z
    d.l1->selectAll();
    key(Qt::Key_Insert, QString(), Qt::ControlModifier);
    EXPECT_EQ("zPLaxcdy", QGuiApplication::clipboard()->text());
    EXPECT_FALSE(TfDaneUzytkownika::OverwriteMode);
}

// The date and unique number dialog: yesterday and no number to begin with;
// "Tak" only with eight digits, Esc answers No.
TEST_F(UserDataFile, DateAndNumberDialogAnswersYesOnlyWithEightDigits) {
    TfDataINumer ask(nullptr, host);
    ask.Prepare();
    EXPECT_EQ(QDate::currentDate().addDays(-1), ask.db->date());
    EXPECT_TRUE(ask.Number().isEmpty());
    ask.meNumer->setText(QStringLiteral("1234567"));
    ask.bTakClick();
    ExpectOnlyError("Numer unikatowy musi składać się z 8 cyfr.");
    ask.db->setDate(QDate(2008, 2, 7));
    ask.meNumer->setText(QStringLiteral("12345678"));
    ask.bTakClick();
    EXPECT_EQ(TfDataINumer::kYes, ask.result());
    EXPECT_EQ("2008.02.07", ask.DateText());
    EXPECT_EQ("12345678", ask.Number());
    static_cast<QDialog &>(ask).reject(); // Esc
    EXPECT_EQ(TfDataINumer::kNo, ask.result());
}

class Service : public AppTest {
  protected:
    // Answers the date-and-number dialog with today and these digits.
    void EnterNumber(const QString &digits) {
        dialogRunners.push_back([this, digits](TDialog &) {
            fDataINumer->db->setDate(QDate::currentDate());
            fDataINumer->meNumer->setText(digits);
            fDataINumer->bTakClick();
        });
    }
    static QString Digits(darvosim::Emulator &sim) { // "ABC12345678" -> "12345678"
        return QString::fromStdString(sim.printer().sales.uniqueNumber.substr(3, 8));
    }
    // A NIVRA in training mode, ready to be fiscalised.
    static void Unfiscalised(darvosim::Emulator &sim) {
        WithPrinter(sim, [](Printer &p) {
            p.status.fiscalMode = false;
            p.status.serviceJumper = true;
            p.fiscal.userData[0] = {0, "SKLEP POD LIPAMI" + std::string(24, ' ')};
            p.fiscal.userData[3] = {0, "NIP 123-456-32-18" + std::string(23, ' ')};
            p.sales.rates.fill(25500);
        });
    }
    static void AddRecords(darvosim::Emulator &sim, int count) {
        WithPrinter(sim, [count](Printer &p) {
            const QDate day = QDate::currentDate().addDays(-count);
            for (int n = 1; n <= count; ++n) {
                darvosim::DailyRecord r;
                r.number = n;
                const QDate d = day.addDays(n - 1);
                r.date = darvosim::Date{d.year() % 100, d.month(), d.day()};
                r.receipts = 1;
                p.fiscal.records.push_back(r);
            }
            p.sales.dailyReportNumber = count;
        });
    }
};

// After a control printout the PEXA takes the erase with the sum of the
// 11th and 12th characters of its unique number and reports its progress;
// a second erase without a new control printout is refused.
TEST_F(Service, NamesBaseEraseOnAPexa) {
    darvosim::Emulator &sim = Connect(7);
    WithPrinter(sim, [](Printer &p) { p.fiscal.namesPrinted = true; });
    const std::string unique = sim.printer().sales.uniqueNumber; // 11 characters, no blank
    recorder.answers = {BoxAnswer::Yes};
    Choose("Bazanazwitowarw1");
    EXPECT_EQ(2u, recorder.boxes.size());
    EXPECT_EQ(BoxKind::Question, recorder.boxes[0].kind);
    ExpectBox(BoxKind::Information, "Informacja", "Baza nazw i stawek została skasowana", 1);
    EXPECT_EQ((darvosim::Bytes{0x1B, 92, static_cast<uint8_t>(unique[9] + unique[10])}), SentOnce(sim, 92));
    EXPECT_EQ(19u, Frames(sim, 92).at(0).fromPrinter.size()); // ACK, ACK, 16 steps and 0
    EXPECT_TRUE(GlowneOkno->pbFiskal()->isHidden());
    EXPECT_NE(std::string::npos, sim.printer().roll.Text().find("BAZA NAZW I STAWEK SKASOWANA"));

    recorder.boxes.clear();
    recorder.answers = {BoxAnswer::Yes};
    Choose("Bazanazwitowarw1");
    ASSERT_EQ(2u, recorder.boxes.size());
    EXPECT_TRUE(
        recorder.boxes[1].text.startsWith(QStringLiteral("Baza nazw i stawek nie została skasowana.")));
    EXPECT_FALSE(GlowneOkno->BusyCursorShown());
}

// Fiscalisation: a pharmacy printer is announced as such, a shop printer as
// a shop printer; No to that question ends with nothing sent.
TEST_F(Service, FiscalisationAsksShopOrPharmacy) {
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
        Choose("Przeczeniewtrybfiskalny1");
        ASSERT_EQ(2u, recorder.boxes.size());
        EXPECT_EQ(QString::fromUtf8(text), recorder.boxes[1].text);
        EXPECT_EQ("Odpowiedz", recorder.boxes[1].caption);
        EXPECT_TRUE(recorder.boxes[1].defaultNo);
        EXPECT_TRUE(Frames(sim, 114).empty());
        StopSims();
    }
}

// Each precondition of the names base's erase (an erased CMOS memory,
// missing user data, the service jumper, a receipt counter), of the
// fiscalisation and of the settlement report ends the command with its
// message before anything is sent.
TEST_F(Service, PreconditionsRefuseBeforeAnythingIsSent) {
    const auto erase = "Bazanazwitowarw1";
    const auto fiscalise = "Przeczeniewtrybfiskalny1";
    struct Row {
        const char *command;
        std::function<void(Printer &)> make;
        BoxKind kind;
        const char *text;
    } rows[] = {
        {erase, [](Printer &p) { p.status.cmosErased = true; }, BoxKind::Error,
         "Skasowana pamięć CMOS. Wejdź do inicjowania zegara."},
        {erase, [](Printer &p) { p.status.userData = false; }, BoxKind::Error,
         "  Brak danych użytkownika w drukarce.  \rNie można skasować bazy nazw i towarów."},
        {erase, [](Printer &p) { p.status.serviceJumper = true; }, BoxKind::Error,
         " Zwora serwisowa w pozycji serwisowej. \rNie można skasować bazy nazw i towarów."},
        {erase, [](Printer &p) { p.sales.receiptCounter = 3; }, BoxKind::Error,
         "     Niezerowy licznik paragonów.      \rNie można skasować bazy nazw i towarów.\r Należy wykonać "
         "najpierw raport dobowy."},
        {fiscalise, [](Printer &p) { p.status.serviceJumper = true; }, BoxKind::Information,
         "Drukarka pracuje już w trybie fiskalnym."},
        {fiscalise, [](Printer &p) { p.status.fiscalMode = false; }, BoxKind::Information,
         "      Zwora serwisowa w pozycji normalnej.\rWykonanie fiskalizacji drukarki jest niemożliwe."},
        {"Cao1", [](Printer &p) { p.status.fiscalMode = false; }, BoxKind::Error,
         "      Drukarka pracuje w trybie szkoleniowym.\rWykonanie raportu rozliczeniowego jest niemożliwe."},
    };
    darvosim::Emulator &sim = Connect(3);
    const darvosim::StatusState status = sim.printer().status;
    for (const Row &row : rows) {
        SCOPED_TRACE(row.text);
        WithPrinter(sim, [&](Printer &p) {
            p.status = status;
            p.sales.receiptCounter = 0;
            p.fiscal.namesPrinted = true;
            row.make(p);
        });
        recorder.boxes.clear();
        recorder.answers = {BoxAnswer::Yes};
        Choose(row.command);
        ExpectOnlyBox(row.kind, row.kind == BoxKind::Error ? "Błąd" : "Informacja",
                      QString::fromUtf8(row.text));
    }
    for (uint8_t command : {92, 114, 49})
        EXPECT_TRUE(Frames(sim, command).empty()) << int(command);
}

// "Użytkownik": a printer that does not answer still lets the user work on
// user data files; a first-generation printer is refused.
TEST_F(Service, UserDataCommand) {
    darvosim::Emulator &sim = Connect(7);
    Choose("Odczytuytkownika1");
    EXPECT_TRUE(recorder.boxes.empty());
    EXPECT_EQ(QStringList{"fDaneUzytkownika"}, shownDialogs);
    EXPECT_EQ(TfDaneUzytkownika::kSixLines, fDaneUzytkownika->rgTyp->ItemIndex());

    WithPrinter(sim, [](Printer &p) { p.powered = false; });
    recorder.answers = {BoxAnswer::Yes};
    Choose("Odczytuytkownika1");
    ExpectOnlyBox(BoxKind::Question, "Odpowiedz",
                  "Brak komunikacji z drukarką fiskalną (niewłaściwie ustawione parametry komunikacji).\r   "
                  "               Czy przejść do edycji danych użytkownika?");
    EXPECT_EQ((QStringList{"fDaneUzytkownika", "fDaneUzytkownika"}), shownDialogs);

    Connect(1);
    shownDialogs.clear();
    Choose("Odczytuytkownika1");
    EXPECT_EQ(QStringList{"Podłączone urządzenie nie jest drukarką drugiej generacji"}, Texts());
    EXPECT_TRUE(shownDialogs.isEmpty());
}

// A printer that sends progress bytes without end is cut off after far
// more than a real erase takes, with the bad-answer message; the bar is
// hidden again.
TEST_F(Service, EndlessProgressIsCutOff) {
    darvosim::Emulator &sim = Connect(8);
    darvosim::Bytes after(400, 5); // the erase accepted, then progress that never ends
    after[0] = darvosim::ACK;
    sim.Script(92, darvosim::Scripted{{darvosim::ACK}, 1, after});
    recorder.answers = {BoxAnswer::Yes};
    Choose("Bazanazwitowarw1");
    ASSERT_EQ(2u, recorder.boxes.size());
    EXPECT_EQ(ErrorMessageText(23), recorder.boxes[1].text);
    EXPECT_TRUE(GlowneOkno->pbFiskal()->isHidden());
    EXPECT_FALSE(GlowneOkno->BusyCursorShown());
}

// A wrong unique number asks again; giving up sends nothing. An already
// read-only printer: no warning, the frame goes out, and no read-only
// message follows.
TEST_F(Service, SettlementWithAWrongUniqueNumberThenOnAReadOnlyPrinter) {
    darvosim::Emulator &sim = Connect(7);
    EnterNumber(QStringLiteral("00000000"));
    EnterNumber(QStringLiteral("11111111"));
    recorder.answers = {BoxAnswer::Yes, BoxAnswer::Yes, BoxAnswer::No};
    Choose("Cao1");
    EXPECT_EQ((QStringList{"fDataINumer", "fDataINumer"}), shownDialogs);
    ASSERT_EQ(3u, recorder.boxes.size());
    EXPECT_TRUE(recorder.boxes[0].defaultNo); // the first warning
    EXPECT_EQ(BoxKind::ErrorQuestion, recorder.boxes[1].kind);
    EXPECT_EQ("Niewłaściwy numer unikatowy\r\r   Czy spróbować ponownie? ", recorder.boxes[1].text);
    EXPECT_EQ(recorder.boxes[1].text, recorder.boxes[2].text);
    EXPECT_TRUE(Frames(sim, 49).empty());
    EXPECT_FALSE(sim.printer().status.readOnly);
    EXPECT_FALSE(GlowneOkno->BusyCursorShown());

    WithPrinter(sim, [](Printer &p) { p.status.readOnly = true; });
    Reset(sim);
    EnterNumber(Digits(sim));
    Choose("Cao1");
    EXPECT_TRUE(recorder.boxes.empty()) << Texts().join("|").toStdString();
    const darvosim::Bytes sent = SentOnce(sim, 49);
    EXPECT_EQ(13u, sent.size());
    EXPECT_EQ(8, sent.at(2));
    EXPECT_NE(std::string::npos, sim.printer().roll.Text().find("RAPORT ROZLICZENIOWY"));
}

// By numbers 1 to 5: a 15-byte frame with the confirmation sums, today's
// digits and the range 1, 0, 5, 0; the printer searches its fiscal memory
// for longer than the usual read time-out before its result byte, and is
// then read-only.
TEST_F(Service, SettlementByNumbersOneToFive) {
    darvosim::Emulator &sim = Connect(7);
    AddRecords(sim, 5);
    WithPrinter(sim, [](Printer &p) { p.searchTime = std::chrono::milliseconds(1200); });
    const QString digits = Digits(sim);
    EnterNumber(digits);
    dialogRunners.push_back([this](TDialog &) {
        EXPECT_TRUE(fOkresoweWgNumerow->CollectingRange());
        EXPECT_EQ(1, fOkresoweWgNumerow->seOd->value());
        fOkresoweWgNumerow->seDo->setValue(5);
        fOkresoweWgNumerow->bTakClick();
    });
    recorder.answers = {BoxAnswer::Yes, BoxAnswer::Yes};
    Choose("Wedugnumerw3");
    EXPECT_EQ((QStringList{"fDataINumer", "fOkresoweWgNumerow"}), shownDialogs);
    ASSERT_EQ(3u, recorder.boxes.size()) << Texts().join("|").toStdString();
    EXPECT_TRUE(recorder.boxes[1].text.contains(QStringLiteral("Podanie prawidłowych numerów: początkowej")));
    EXPECT_EQ("Drukarka w trybie TYLKO ODCZYT.", recorder.boxes[2].text);
    const QDate today = QDate::currentDate();
    const std::string d = digits.toStdString();
    darvosim::Bytes expected{0x1B, 49, 7};
    for (int i = 0; i < 4; ++i)
        expected.push_back(static_cast<uint8_t>(d[2 * i] + d[2 * i + 1]));
    for (int v : {today.year() % 100, today.month(), today.day()})
        expected.insert(expected.end(), {static_cast<uint8_t>(v / 10), static_cast<uint8_t>(v % 10)});
    expected.insert(expected.end(), {1, 0, 5, 0});
    EXPECT_EQ(expected, SentOnce(sim, 49));
    EXPECT_TRUE(sim.printer().status.readOnly);
    EXPECT_EQ(darvo::PortReadTimeout, darvo::ThePort->ReadTimeoutInForce());
}

// A new printer's whole life from the program: fiscalised from training
// mode (a first frame answered as accepted leaves it in training mode: the
// status decides, not the answer), a day of receipts from a point-of-sale
// program, the daily report, a periodic report and the settlement report
// into read-only mode; the paper roll shows each printout.
TEST_F(Service, FiscalLifeFromTrainingToReadOnly) {
    darvosim::Emulator &sim = Connect(3);
    Unfiscalised(sim);
    const auto yesToAll = [this] { recorder.answers.assign(10, BoxAnswer::Yes); };
    sim.Script(114, darvosim::Scripted{{}, 20, {6}});
    dialogRunners.push_back([this](TDialog &) { fStawkiPodatkowe->Button1Click(); });
    yesToAll();
    Choose("Przeczeniewtrybfiskalny1");
    EXPECT_EQ(6u, recorder.boxes.size());
    ExpectBox(BoxKind::Error, "Błąd", "Drukarka nie została sfiskalizowana.", 5);
    EXPECT_FALSE(sim.printer().status.fiscalMode);
    Reset(sim);

    // The shop question, the NIP check, the control printout, the rates
    // left as proposed; the 20-byte frame.
    dialogRunners.push_back([this](TDialog &) {
        EXPECT_TRUE(fStawkiPodatkowe->CollectingRates());
        fStawkiPodatkowe->Button1Click();
    });
    yesToAll();
    Choose("Przeczeniewtrybfiskalny1");
    EXPECT_FALSE(fStawkiPodatkowe->CollectingRates());
    EXPECT_EQ(QStringList{"fStawkiPodatkowe"}, shownDialogs);
    const QStringList texts = Texts();
    ASSERT_EQ(6, texts.size()) << texts.join("|").toStdString();
    EXPECT_TRUE(texts[1].startsWith(QStringLiteral("Do komputera podłączona jest drukarka DARVO NIVRA.\r")));
    EXPECT_EQ("Czy otrzymano poprawny wydruk kontrolny nagłówka paragonu?", texts[3]);
    EXPECT_EQ("Czy dokonać przełączenia w tryb fiskalny?", texts[4]);
    ASSERT_EQ("Drukarka została sfiskalizowana.", texts[5]);
    EXPECT_EQ((darvosim::Bytes{0x1B, 114, 'F', 'F',  'F', 'F',  'F', 'F',  0x08, 0x98, 0x02,
                               0xBC, 0,   0,   0x80, 0,   0x80, 0,   0x80, 0,    0x40, 0}),
              SentOnce(sim, 114));
    WithPrinter(sim, [](Printer &p) { p.status.serviceJumper = false; }); // the technician closes the jumper

    for (const auto &[name, rate, quantity, price] :
         {std::tuple{"Chleb razowy", 1, 2u, 450u}, std::tuple{"Mleko 1l", 2, 1u, 329u}}) {
        uint32_t value = 0; // the driver works the value out
        ASSERT_EQ(0, ReceiptBegin());
        ASSERT_EQ(0, pReceiptItem(1, name, rate, 0, quantity, 0, "szt", price, &value));
        ASSERT_EQ(0, ReceiptEnd(0)) << sim.printer().sales.lastRefusal;
    }

    yesToAll();
    recorder.boxes.clear();
    Choose("Fiskalnydobowy1");
    for (const RecordedBox &b : recorder.boxes)
        EXPECT_NE(BoxKind::Error, b.kind) << b.text.toStdString();
    ASSERT_EQ(1u, sim.printer().fiscal.records.size());
    EXPECT_EQ(2, sim.printer().fiscal.records[0].receipts);

    dialogRunners.push_back([this](TDialog &) {
        fOkresoweWgNumerow->seOd->setValue(1);
        fOkresoweWgNumerow->seDo->setValue(1);
        fOkresoweWgNumerow->bTakClick();
    });
    yesToAll();
    recorder.boxes.clear();
    Choose("Wedugnumerw1");
    for (const RecordedBox &b : recorder.boxes)
        EXPECT_NE(BoxKind::Error, b.kind) << b.text.toStdString();

    EnterNumber(Digits(sim));
    yesToAll();
    recorder.boxes.clear();
    Choose("Cao1");
    ASSERT_FALSE(recorder.boxes.empty());
    EXPECT_EQ("Drukarka w trybie TYLKO ODCZYT.", recorder.boxes.back().text);
    EXPECT_TRUE(sim.printer().status.readOnly);

    const std::string roll = sim.printer().roll.Text();
    size_t at = 0;
    for (const char *printout :
         {"FISKALIZACJA DRUKARKI", "Chleb razowy", "Mleko 1l", "RAPORT DOBOWY FISKALNY",
          "RAPORT ROZLICZENIOWY", "DRUKARKA W TRYBIE TYLKO ODCZYT"}) {
        const size_t found = roll.find(printout, at);
        ASSERT_NE(std::string::npos, found) << printout << "\n" << roll;
        at = found;
    }
    EXPECT_EQ(2u, Frames(sim, 49).size()); // the periodic report and the settlement
    // Read-only: the printer takes no more receipts.
    EXPECT_NE(0, ReceiptBegin());
}

TEST_F(Service, FourLinePrinterWriteAndControlPrintout) {
    darvosim::Emulator &sim = Connect(3);
    WithPrinter(sim, [](Printer &p) { p.status.fiscalMode = false; });
    TfDaneUzytkownika *d = fDaneUzytkownika;
    d->SetLayout(TfDaneUzytkownika::kFourLines);
    d->l1->setText("Sklep");
    d->rg2->SetItemIndex(1);
    d->CB2->setChecked(false);
    d->l2->setText("ul. Długa 5");
    d->l3->setText("Gdańsk");
    d->L4->setText("NIP 526-000-12-46");
    d->cb4->setChecked(false);
    d->cbWys2->setChecked(true); // hidden in this layout: sends nothing
    d->Button2->click();
    ExpectOnlyBox(BoxKind::Information, "Informacja",
                  "Do drukarki zostały zapisane 4 linie danych użytkownika.");
    const auto frames = Frames(sim, 156);
    ASSERT_EQ(4u, frames.size());
    darvosim::Bytes line2{0x1B, 156, 2, 1};
    for (char c : std::string("ul. D\x88uga 5         "))
        line2.push_back(static_cast<uint8_t>(c));
    EXPECT_EQ(line2, frames[1].fromHost);
    EXPECT_EQ(4, frames[3].fromHost[2]);
    EXPECT_EQ(0, frames[3].fromHost[3]);
    EXPECT_EQ(QString(17, ' ') + "Sklep" + QString(18, ' '), d->l1->text());
    EXPECT_EQ("NIP 526-000-12-46" + QString(23, ' '), d->L4->text());
    EXPECT_FALSE(GlowneOkno->BusyCursorShown());
    EXPECT_TRUE(d->Button2->isEnabled());

    recorder.boxes.clear();
    sim.printer().roll.Clear();
    d->l2->setText("ul. Długa 5");
    d->rg4->Button(1)->click(); // the NIP line goes out in 40 all the same, digits and all
    d->bWydrKontr->click();
    EXPECT_TRUE(recorder.boxes.empty()) << Texts().join("|").toStdString();
    EXPECT_EQ(CentreLine("NIP 526-000-12-46", 40), d->L4->text());
    sim.WaitForFrames(sim.FrameCount(), darvotest::Scaled(std::chrono::seconds(1)));
    EXPECT_TRUE(Printed(sim, "\n    ul. Długa 5     \n")); // centred in 20 whatever its box says
    EXPECT_TRUE(
        Printed(sim, "\n" + std::string(11, ' ') + "NIP 526-000-12-46" + std::string(12, ' ') + "\n"));

    // A wrong NIP: No stops before anything is sent; a NIP without digits
    // stops with its message.
    recorder.boxes.clear();
    d->L4->setText("NIP 526-000-12-47");
    d->Button2->click();
    ASSERT_EQ(1u, recorder.boxes.size());
    EXPECT_EQ(BoxKind::ErrorQuestion, recorder.boxes[0].kind);
    EXPECT_TRUE(recorder.boxes[0].text.startsWith("NUMER NIP ZOSTAŁ WPROWADZONY NIEPRAWIDŁOWO\r   Program"));
    d->L4->setText("NIP");
    d->Button2->click();
    ASSERT_EQ(2u, recorder.boxes.size());
    EXPECT_EQ("NUMER NIP ZOSTAŁ WPROWADZONY NIEPRAWIDŁOWO\r                      Brak cyfr w ciągu znaków.   "
              "      ",
              recorder.boxes[1].text);
    EXPECT_EQ(4u, Frames(sim, 156).size());
    EXPECT_TRUE(d->Button2->isEnabled());
    EXPECT_FALSE(GlowneOkno->BusyCursorShown());

    // In fiscal mode a four-line printer refuses the control printout.
    WithPrinter(sim, [](darvosim::Printer &p) { p.status.fiscalMode = true; });
    recorder.boxes.clear();
    d->bWydrKontr->click();
    EXPECT_EQ(
        QStringList{
            "    Drukarka pracuje w trybie fiskalnym.   \rKontrolny wydruk nagłówka nie jest możliwy."},
        Texts());
    EXPECT_TRUE(d->bWydrKontr->isEnabled());
}

TEST_F(Service, FiscalPexaWriteSkipsTheNipLineAndShowsThePrintersLines) {
    darvosim::Emulator &sim = Connect(7);
    WithPrinter(sim, [](darvosim::Printer &p) { p.fiscal.userData[5] = {1, "NIP 526-000-12-46   "}; });
    TfDaneUzytkownika *d = fDaneUzytkownika;
    d->ShowModal(); // activation: the six-line layout of a PEXA
    EXPECT_EQ(TfDaneUzytkownika::kSixLines, d->rgTyp->ItemIndex());
    for (int i = 0; i < 6; ++i)
        d->edits[i]->setText(QStringLiteral("Linia %1").arg(i + 1));
    d->l6->setText("NIP 111"); // wrong, but never checked nor sent in fiscal mode
    d->cbWys2->setChecked(true);
    d->Button2->click();
    ExpectOnlyBox(BoxKind::Information, "Informacja",
                  "       Drukarka pracuje w trybie fiskalnym.     \r"
                  "    Do drukarki zostały zapisane linie danych   \r"
                  "użytkownika oprócz linii zawierającej numer NIP.");
    const auto frames = Frames(sim, 156);
    ASSERT_EQ(5u, frames.size());
    for (size_t i = 0; i < frames.size(); ++i)
        EXPECT_EQ(i + 1, frames[i].fromHost[2]);
    EXPECT_EQ(2, frames[1].fromHost[3]); // "Wys. gen." of line 2
    // The read that followed: the printer's NIP line, 20 characters wide.
    EXPECT_EQ("NIP 526-000-12-46   ", d->l6->text());
    EXPECT_EQ(20, d->LineWidth(6));
    EXPECT_FALSE(d->l6->isEnabled());
    EXPECT_TRUE(d->cbWys2->isChecked());
    EXPECT_FALSE(d->cbWys1->isChecked());
    EXPECT_EQ(QString(16, ' ') + "Linia 1" + QString(17, ' '), d->l1->text());
}

} // namespace
