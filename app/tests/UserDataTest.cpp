// The user data dialog: line formatters, the NIP check, the user data file
// and the header written to, read from and control-printed by the printer.
#include "AppFixture.h"

#include "common/FileDialogs.h"
#include "service/TfDaneUzytkownika.h"

#include <QCheckBox>
#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QRadioButton>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>

using namespace apptest;

namespace {

TEST(UserDataFormatters, CentrePadAndNip) {
    const QString s40(40, QLatin1Char(' '));
    EXPECT_EQ(QString(18, ' ') + "abc" + QString(19, ' '), CentreLine("  abc ", 40));
    const QString long45 = "0123456789012345678901234567890123456789ABCDE";
    EXPECT_EQ(long45.left(40), CentreLine(long45, 40));
    EXPECT_EQ(QString(8, ' ') + "a b" + QString(9, ' '), CentreLine("\ta\nb\r", 20));
    EXPECT_EQ(s40, CentreLine("", 40));
    EXPECT_EQ("  x" + QString(17, ' '), PadLine("  x", 20));
    EXPECT_EQ("abcdefghijklmnopqrst", PadLine("abcdefghijklmnopqrstuvwxy", 20));
    EXPECT_EQ("a b" + QString(37, ' '), PadLine("a\tb", 40));

    const struct {
        const char *text;
        int code;
    } nips[] = {
        {"NIP 526-000-12-46", kNipCorrect},
        {"nip 526-000-12-47", kNipWrong},
        {"NIP", kNipNoDigits},
        {"526-000-12-46", kNipNoWord},
        {"NIP 52600012461", kNipWrong},
        {"NIP 526-000-12-4", kNipWrong},
        // 6 + 7 = 13 leaves 2; 30 + 2 = 32 leaves 10, which counts as 0
        {"N-I-P 1000000012", kNipNoWord},
        {"xNiPx1000000012", kNipCorrect},
        {"NIP 5001000000", kNipCorrect},
        {"NIP 5001000001", kNipWrong},
    };
    for (const auto &n : nips)
        EXPECT_EQ(n.code, CheckNip(QString::fromUtf8(n.text))) << n.text;
}

class UserData : public AppTest {
  protected:
    void SetUp() override {
        AppTest::SetUp();
        ASSERT_TRUE(dir.isValid());
        d = fDaneUzytkownika;
    }
    darvosim::Emulator &Connect(int deviceType, bool fiscal) {
        darvosim::Emulator &sim = StartSim(1, deviceType);
        WithPrinter(sim, [fiscal](darvosim::Printer &p) { p.status.fiscalMode = fiscal; });
        Confirm(1, 9600);
        recorder.boxes.clear();
        beeps = 0;
        return sim;
    }
    QString Path(const char *name) const { return dir.filePath(QString::fromLatin1(name)); }
    void WriteFile(const QString &path, const QByteArray &bytes) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray ReadFile(const QString &path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QTemporaryDir dir;
    TfDaneUzytkownika *d = nullptr;
};

TEST_F(UserData, FileRoundTripByteForByte) {
    d->SetLayout(TfDaneUzytkownika::kSixLines);
    const char *texts[6] = {"  Sklep Żabka  ", "ul. Polna 1", "",
                            "Gdańsk",          "tel. 58 000", "NIP 526-000-12-46"};
    for (int i = 0; i < 6; ++i) {
        d->widths[i]->SetItemIndex(i == 1 || i == 3 ? 1 : 0);
        d->edits[i]->setText(QString::fromUtf8(texts[i]));
    }
    d->cbWys1->setChecked(true);
    d->cbWys5->setChecked(true);
    ASSERT_TRUE(d->SaveFile(Path("six.txt")));
    const QByteArray expected = "#1\r\n#\r\n#\r\n"
                                "$  Sklep \xAF"
                                "abka  \t40\t1\r\n"
                                "$ul. Polna 1\t20\t0\r\n"
                                "$\t40\t0\r\n"
                                "$Gda\xF1sk\t20\t0\r\n"
                                "$tel. 58 000\t40\t1\r\n"
                                "$NIP 526-000-12-46\t40\t0\r\n";
    EXPECT_EQ(expected, ReadFile(Path("six.txt")));

    // Into an emptied dialog, and out again unchanged.
    d->SetLayout(TfDaneUzytkownika::kFourLines);
    for (int i = 0; i < 4; ++i)
        d->edits[i]->setText("x");
    d->cbWys1->setChecked(false);
    ASSERT_TRUE(d->LoadFile(Path("six.txt")));
    EXPECT_EQ(TfDaneUzytkownika::kSixLines, d->rgTyp->ItemIndex());
    EXPECT_EQ(QString::fromUtf8(texts[0]), d->l1->text());
    EXPECT_EQ(20, d->LineWidth(2));
    EXPECT_TRUE(d->cbWys1->isChecked());
    EXPECT_FALSE(d->cbWys2->isChecked());
    ASSERT_TRUE(d->SaveFile(Path("again.txt")));
    EXPECT_EQ(expected, ReadFile(Path("again.txt")));

    // The four-line layout: no "Wys. gen." fields, record 4 always 40.
    ASSERT_TRUE(d->LoadFile(Path("six.txt")));
    d->SetLayout(TfDaneUzytkownika::kFourLines);
    d->l3->setText("a\tb"); // a TAB would split the record
    ASSERT_TRUE(d->SaveFile(Path("four.txt")));
    EXPECT_EQ(QByteArray("#1\r\n#\r\n#\r\n$  Sklep \xAF"
                         "abka  \t40\r\n$ul. Polna 1\t20\r\n$a b\t40\r\n$Gda\xF1sk\t40\r\n"),
              ReadFile(Path("four.txt")));
    EXPECT_TRUE(recorder.boxes.empty());
}

TEST_F(UserData, FileFormatErrorsAndTheSevenLineFile) {
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
        WriteFile(path, head + c.body);
        EXPECT_EQ(c.ok, d->LoadFile(path)) << c.name;
        if (c.ok) {
            EXPECT_TRUE(recorder.boxes.empty() && d->l1->text() == "a") << c.name;
        } else {
            ExpectOnlyError("Błędny format pliku " + path);
        }
    }
    // The last one filled: a text longer than its width is kept whole.
    EXPECT_EQ("ul. Polna 1, 80-001 Gdynia", d->l2->text());
    EXPECT_EQ(20, d->LineWidth(2));

    // A seven-line file after a six-line one: four lines, 5 and 6 emptied.
    WriteFile(Path("nine"),
              head + "$a\t40\t0\r\n$b\t40\t0\r\n$c\t40\t0\r\n$d\t20\t1\r\n$e\t20\t1\r\n$f\t20\t0\r\n");
    ASSERT_TRUE(d->LoadFile(Path("nine")));
    EXPECT_EQ(TfDaneUzytkownika::kSixLines, d->rgTyp->ItemIndex());
    EXPECT_TRUE(d->cbWys4->isChecked());
    WriteFile(Path("seven"), head + "$a\t40\r\n$b\t40\r\n$c\t40\r\n$NIP 1\t40\r\n");
    ASSERT_TRUE(d->LoadFile(Path("seven")));
    EXPECT_EQ(TfDaneUzytkownika::kFourLines, d->rgTyp->ItemIndex());
    EXPECT_EQ("NIP 1", d->L4->text());
    EXPECT_TRUE(d->L5->text().isEmpty());
    EXPECT_TRUE(d->l6->text().isEmpty());
    EXPECT_TRUE(d->L5->isHidden());
    EXPECT_EQ("NIP", d->Label5->text());
    EXPECT_FALSE(d->cbWys4->isChecked());

    // Through the button and the file dialog layer.
    SetFileChooser([this](const FileDialogRequest &r) {
        EXPECT_EQ(FileDialogKind::Open, r.kind);
        EXPECT_EQ("Pliki tekstowe z danymi użytkownika (*.txt)|*.txt|Wszystkie pliki|*.*", r.filter);
        return Path("nine");
    });
    d->bOdczytPlik->click();
    SetFileChooser(nullptr);
    EXPECT_EQ(TfDaneUzytkownika::kSixLines, d->rgTyp->ItemIndex());
    EXPECT_EQ("f", d->l6->text());
}

TEST_F(UserData, WidthCentreAndOverwriteMode) {
    d->SetLayout(TfDaneUzytkownika::kSixLines);
    d->l3->setText(CentreLine("SKLEP SPOŻYWCZY", 40));
    d->rg3->Button(1)->click(); // 20 characters: trimmed, then centred
    EXPECT_EQ(20, d->l3->maxLength());
    EXPECT_EQ(147, d->l3->x());
    EXPECT_EQ("  SKLEP SPOŻYWCZY   ", d->l3->text());
    d->cb3->click(); // unchecked: nothing changes
    d->rg3->Button(0)->click();
    EXPECT_EQ(330, d->l3->width());
    EXPECT_EQ("  SKLEP SPOŻYWCZY   ", d->l3->text());

    auto key = [this](int code, const QString &text, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent press(QEvent::KeyPress, code, modifiers, text);
        QCoreApplication::sendEvent(d->l1, &press);
    };
    TfDaneUzytkownika::OverwriteMode = false;
    d->l1->setText("abcd");
    d->l1->setCursorPosition(1);
    key(Qt::Key_Insert, QString());
    EXPECT_TRUE(TfDaneUzytkownika::OverwriteMode);
    EXPECT_FALSE(d->Label8->isHidden());
    key(Qt::Key_X, "x");
    EXPECT_EQ("axcd", d->l1->text());
    d->l1->setCursorPosition(4);
    key(Qt::Key_Y, "y"); // at the end nothing is deleted
    EXPECT_EQ("axcdy", d->l1->text());
    key(Qt::Key_Insert, QString());
    d->l1->setCursorPosition(0);
    key(Qt::Key_Z, "z");
    EXPECT_EQ("zaxcdy", d->l1->text());
    EXPECT_TRUE(d->Label8->isHidden());

    // Shift+Insert pastes and Ctrl+Insert copies; neither toggles the mode.
    QGuiApplication::clipboard()->setText("PL");
    key(Qt::Key_Insert, QString(), Qt::ShiftModifier);
    EXPECT_EQ("zPLaxcdy", d->l1->text()); // at the caret, after the z
    d->l1->selectAll();
    key(Qt::Key_Insert, QString(), Qt::ControlModifier);
    EXPECT_EQ("zPLaxcdy", QGuiApplication::clipboard()->text());
    EXPECT_FALSE(TfDaneUzytkownika::OverwriteMode);
}

TEST_F(UserData, FourLinePrinterWriteAndControlPrintout) {
    darvosim::Emulator &sim = Connect(3, false);
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
    ASSERT_EQ(1u, recorder.boxes.size());
    EXPECT_EQ(BoxKind::Information, recorder.boxes[0].kind);
    EXPECT_EQ("Do drukarki zostały zapisane 4 linie danych użytkownika.", recorder.boxes[0].text);
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
    sim.WaitForFrames(sim.FrameCount(), std::chrono::seconds(1));
    const std::vector<std::string> roll = sim.printer().roll.Lines();
    auto printed = [&roll](const std::string &line) {
        return std::find(roll.begin(), roll.end(), line) != roll.end();
    };
    EXPECT_TRUE(printed("    ul. Długa 5     ")); // centred in 20 whatever its box says
    EXPECT_TRUE(printed(std::string(11, ' ') + "NIP 526-000-12-46" + std::string(12, ' ')));

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

TEST_F(UserData, FiscalPexaWriteSkipsTheNipLineAndShowsThePrintersLines) {
    darvosim::Emulator &sim = Connect(7, true);
    WithPrinter(sim, [](darvosim::Printer &p) { p.fiscal.userData[5] = {1, "NIP 526-000-12-46   "}; });
    d->ShowModal(); // activation: the six-line layout of a PEXA
    EXPECT_EQ(TfDaneUzytkownika::kSixLines, d->rgTyp->ItemIndex());
    for (int i = 0; i < 6; ++i)
        d->edits[i]->setText(QStringLiteral("Linia %1").arg(i + 1));
    d->l6->setText("NIP 111"); // wrong, but never checked nor sent in fiscal mode
    d->cbWys2->setChecked(true);
    d->Button2->click();
    ASSERT_EQ(1u, recorder.boxes.size());
    EXPECT_EQ("       Drukarka pracuje w trybie fiskalnym.     \r"
              "    Do drukarki zostały zapisane linie danych   \r"
              "użytkownika oprócz linii zawierającej numer NIP.",
              recorder.boxes[0].text);
    EXPECT_EQ("Informacja", recorder.boxes[0].caption);
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
