// The Ustawienia menu: the cash register number, the lines fed and the
// rounding; the PEXA submenu: settings and the speed change, euro and service
// dates, advertising lines, the customer-display picture both ways.
#include "AppFixture.h"

#include "common/FileDialogs.h"
#include "core/DriverText.h"
#include "service/TfDaneUzytkownika.h"
#include "settings/TfDataEuroPrzeglad.h"
#include "settings/TfIloscWierszy.h"
#include "settings/TfNumerKasy.h"
#include "settings/TfReklama.h"
#include "settings/TfReklamaOdczyt.h"
#include "settings/TfSposobZaokraglania.h"
#include "settings/TfTekstyReklamowe.h"
#include "settings/TfUstawienia.h"

#include "darvodr/Host.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QDir>
#include <QTemporaryDir>
#include <QTimer>
#include <QKeyEvent>
#include <QCoreApplication>
#include <cstring>
#include <numeric>

using namespace apptest;
using darvosim::Bytes;

namespace {

class Pexa : public AppTest {};

// The cash register number and code padded; the rounding, where a refused
// reading counts as grosze; the lines fed, from the printer's lowest count.
TEST_F(Pexa, SmallSettingsDialogsSendWhatTheyShow) {
    darvosim::Emulator &sim = Connect(3);
    auto last = [](darvosim::Emulator &printer, uint8_t command) {
        const auto frames = Frames(printer, command);
        return frames.empty() ? Bytes{} : frames.back().fromHost;
    };
    const struct {
        int number;
        const char *code;
        Bytes sent;
    } numbers[] = {{5, "A", {ESC, 67, '0', '5', ' ', 'A'}}, {12, "", {ESC, 67, '1', '2', ' ', ' '}}};
    for (const auto &c : numbers) {
        dialogRunners.push_back([this, &c](TDialog &) {
            fNumerKasy->seNrKasy->setValue(c.number);
            fNumerKasy->eKod->setText(QString::fromLatin1(c.code));
            fNumerKasy->Button1Click();
        });
        Choose("Nrkasyikodobsugujcego1");
        EXPECT_EQ(c.sent, last(sim, 67));
        EXPECT_EQ(QDialog::Accepted, fNumerKasy->result());
    }

    sim.Script(210, darvosim::Scripted{{darvosim::NAK}});
    fSposobZaokraglania->rgZaokraglanie->SetItemIndex(2);
    dialogRunners.push_back([this](TDialog &) {
        EXPECT_EQ(0, fSposobZaokraglania->rgZaokraglanie->ItemIndex());
        fSposobZaokraglania->rgZaokraglanie->SetItemIndex(1);
        fSposobZaokraglania->Button1Click();
    });
    Choose("Sposbzaokrglania1");
    EXPECT_EQ((Bytes{ESC, 116, '1'}), last(sim, 116));

    const struct {
        int deviceType, lowest;
        Bytes sent;
    } lines[] = {{3, 3, {ESC, 70, 5}}, {7, 0, {ESC, 237, 5}}};
    for (const auto &c : lines) {
        darvosim::Emulator &printer = c.deviceType == 3 ? sim : Connect(c.deviceType);
        dialogRunners.push_back([this, &c](TDialog &) {
            EXPECT_EQ(c.lowest, fIloscWierszy->seIloscWierszy->minimum());
            EXPECT_EQ(c.lowest, fIloscWierszy->seIloscWierszy->value());
            fIloscWierszy->seIloscWierszy->setValue(5);
            fIloscWierszy->Button1Click();
        });
        Choose("Ilo1");
        EXPECT_EQ(c.sent, last(printer, c.sent[1]));
    }
    EXPECT_TRUE(recorder.boxes.empty());
}

TEST_F(Pexa, SettingsReadFillsTheDialogAndTypeEightHasNoOneLinePrintout) {
    darvosim::Emulator &sim = Connect(8);
    WithPrinter(sim, [](darvosim::Printer &p) {
        p.fiscal.settings[0] = {0x20 | 0x04, 0, 0};
        p.fiscal.cp1250Adverts = true; // reported as group 0 byte 1 bit 3
        p.fiscal.settings[3] = {60, 12, 3};
        p.sales.lineFeed = 5;
    });
    dialogRunners.push_back([this](TDialog &) {
        TfUstawienia &u = *fUstawienia;
        EXPECT_FALSE(u.rgWydruk->isEnabled());
        EXPECT_EQ(1, u.rgSzybkosc->ItemIndex());
        EXPECT_EQ(1, u.rgSposobWyswietlenia->ItemIndex());
        EXPECT_EQ(1, u.rgStronaKodowa->ItemIndex());
        EXPECT_EQ(60, u.seReklama->value());
        EXPECT_EQ(12, u.seCzasWyl->value());
        EXPECT_EQ("3 sekundy", u.cbTimeout->currentText());
        EXPECT_EQ(12, u.sePodsw->value());
        EXPECT_EQ(5, u.seLinie->value());
        // "03" follows "02".
        EXPECT_FALSE(u.rgZera->isEnabled());
        u.rgWydruk->SetItemIndex(1);
        EXPECT_TRUE(u.rgZera->isEnabled());
        u.rgWydruk->SetItemIndex(0);
        EXPECT_FALSE(u.rgZera->isEnabled());
        u.bDomyslne->click();
        EXPECT_EQ(0, u.rgSzybkosc->ItemIndex());
        EXPECT_EQ(30, u.seCzasWyl->value());
        EXPECT_EQ(1, u.rgSposobWyswietlenia->ItemIndex());
        EXPECT_EQ(46, u.seReklama->value());
    });
    Choose("Ustawienia2");
    EXPECT_EQ(QStringList{"fUstawienia"}, shownDialogs);
    EXPECT_TRUE(recorder.boxes.empty()) << Texts().join("|").toStdString();
    EXPECT_EQ(1, beeps);
    const auto reads = Frames(sim, 223);
    ASSERT_EQ(5u, reads.size());
    for (size_t g = 0; g < 5; ++g)
        EXPECT_EQ(g, reads[g].fromHost[2]);
    EXPECT_TRUE(Frames(sim, 222).empty()); // Defaults sends nothing
    EXPECT_FALSE(GlowneOkno->BusyCursorShown());
    EXPECT_TRUE(fUstawienia->bZapis->isEnabled());
}

TEST_F(Pexa, SettingsWriteKeepsForeignBitsAndSpeedChangesKeepPortAndPrinterInStep) {
    const struct {
        uint16_t from, to;
        std::vector<uint8_t> groups;
    } cases[] = {
        {9600, 9600, {4, 3, 0}},         {9600, 19200, {4, 3, 0}},     {19200, 9600, {4, 3, 0}},
        {9600, 28800, {4, 3, 2, 0}},     {19200, 28800, {4, 3, 2, 0}}, {28800, 9600, {4, 3, 0, 2, 0}},
        {28800, 19200, {4, 3, 0, 2, 0}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::to_string(c.from) + " -> " + std::to_string(c.to));
        darvosim::Emulator &sim = StartSim(1, 7);
        WithPrinter(sim, [&c](darvosim::Printer &p) {
            p.fiscal.settings[0] = {static_cast<uint8_t>(0xC0 | (c.from == 19200 ? 0x20 : 0)), 0x11, 0x22};
            p.fiscal.settings[1] = {1, 2, 3};
            p.fiscal.settings[2] = {0x33, 0x44, static_cast<uint8_t>(0x80 | (c.from == 28800 ? 1 : 0))};
            p.speedChecked = true; // the printer hears only its own speed
        });
        Confirm(1, c.from);
        ASSERT_TRUE(PortOpen());
        recorder.boxes.clear();
        sim.log().Clear();
        dialogRunners.push_back([this, &c](TDialog &) {
            TfUstawienia &u = *fUstawienia;
            u.rgSzybkosc->SetItemIndex(ItemOfSpeed(c.to));
            u.rgWydruk->SetItemIndex(1);
            u.rgStronaKodowa->SetItemIndex(1);
            u.seGlosnosc->setValue(3);
            u.cbTimeout->setCurrentIndex(8);
            u.seLinie->setValue(7);
            u.bZapis->click();
        });
        Choose("Ustawienia2");
        EXPECT_TRUE(recorder.boxes.empty()) << Texts().join("|").toStdString();
        std::vector<uint8_t> groups;
        for (const darvosim::Frame &f : Frames(sim, 222)) {
            groups.push_back(f.fromHost[2]);
            EXPECT_EQ(darvosim::Bytes({0x06, 0}), f.fromPrinter) << "group " << int(f.fromHost[2]);
        }
        EXPECT_EQ(c.groups, groups);
        EXPECT_EQ(c.to, GlowneOkno->ChosenPort().speed);
        EXPECT_EQ(darvosim::Bytes({0x1B, 237, 7}), SentOnce(sim, 237));
        WithPrinter(sim, [&c](darvosim::Printer &p) {
            EXPECT_EQ(c.to, p.SettingsSpeed());
            const uint8_t speedBits = c.to == 19200 ? 0x20 : c.to == 28800 && c.from == 19200 ? 0x20 : 0;
            EXPECT_EQ(
                (std::array<uint8_t, 3>{static_cast<uint8_t>(0xC0 | speedBits | 0x01 | 0x08), 0x11, 0x22}),
                p.fiscal.settings[0]);
            EXPECT_EQ((std::array<uint8_t, 3>{1, 2, 3}), p.fiscal.settings[1]);
            EXPECT_EQ(0x80 | (c.to == 28800 ? 1 : 0), p.fiscal.settings[2][2]);
            EXPECT_EQ((std::array<uint8_t, 3>{46, 30, 8}), p.fiscal.settings[3]);
            EXPECT_EQ(3, p.fiscal.settings[4][2]);
            EXPECT_TRUE(p.fiscal.cp1250Adverts);
            EXPECT_EQ(7, p.sales.lineFeed);
        });
        TearDown();
        SetUp();
    }
}

TEST_F(Pexa, ServiceDateNeedsTheJumperAndProposesADate) {
    darvosim::Emulator &sim = Connect(7);
    dialogRunners.push_back([this](TDialog &dialog) {
        EXPECT_EQ("Data następnego przeglądu okresowego", dialog.windowTitle());
        EXPECT_EQ(QDate::currentDate().addYears(1), fDataEuroPrzeglad->dtDate->date());
        fDataEuroPrzeglad->dtDate->setDate(QDate(2008, 2, 7));
        fDataEuroPrzeglad->bZapis->click(); // jumper in its normal position: No
    });
    Choose("Datanastpnegoprzegldu1");
    EXPECT_EQ(2u, recorder.boxes.size());
    ExpectBox(BoxKind::Warning, "UWAGA", "W drukarce brak daty kolejnego przeglądu");
    EXPECT_EQ("Ustawienie daty jest niemożliwe.\rZwora serwisowa jest w pozycji normalnej.        \r"
              "Czy sprawdzić stan zwory ponownie?        ",
              recorder.boxes[1].text);
    EXPECT_TRUE(Frames(sim, 249).empty());
    EXPECT_FALSE(fDataEuroPrzeglad->EuroDate());

    WithPrinter(sim, [](darvosim::Printer &p) { p.status.serviceJumper = true; });
    EXPECT_EQ(QStringList{"Zapisano datę następnego przeglądu do drukarki fiskalnej"},
              TextsOf([this] { fDataEuroPrzeglad->bZapis->click(); }));
    EXPECT_EQ(darvosim::Bytes({0x1B, 249, 1, 0x08, 0x02, 0x07}), SentOnce(sim, 249));

    // The euro date: stored but impossible.
    WithPrinter(sim, [](darvosim::Printer &p) { p.fiscal.euroDate = {9, 2, 30}; });
    recorder.boxes.clear();
    Choose("Datawprowadzeniaeuro1");
    ExpectOnlyError("W drukarce wpisana niewłaściwa data przejścia na euro");
    EXPECT_EQ(QDate(2008, 2, 7), fDataEuroPrzeglad->dtDate->date()); // unchanged

    EXPECT_EQ(QDate(2029, 2, 28), ProposedServiceDate(false, QDate(2028, 2, 29)));
    EXPECT_EQ(QDate(2028, 2, 29), ProposedServiceDate(true, QDate(2028, 2, 29)));
}

TEST_F(Pexa, AdvertisingLinesCentredWrittenReadAndErased) {
    darvosim::Emulator &sim = Connect(7);
    dialogRunners.push_back([this](TDialog &) {
        TfTekstyReklamowe &t = *fTekstyReklamowe;
        t.l1->setText("Promocja!!");
        t.cb2->setChecked(false);
        t.l2->setText("  Żółw");
        t.l3->clear();
        t.bZapis->click();
    });
    Choose("Liniereklamowe1");
    EXPECT_EQ(QStringList{"Zapisano do drukarki teksty reklamowe"}, Texts());
    const auto frames = Frames(sim, 46);
    ASSERT_EQ(3u, frames.size());
    const std::string line0 = std::string(15, ' ') + "Promocja!!" + std::string(15, ' ');
    darvosim::Bytes expected{0x1B, 46, 0};
    expected.insert(expected.end(), line0.begin(), line0.end());
    expected.push_back(
        std::accumulate(expected.begin() + 3, expected.end(), uint8_t{0}, std::bit_xor<uint8_t>()));
    EXPECT_EQ(expected, frames[0].fromHost);
    // Not centred; Ż ó ł in code page 852.
    EXPECT_EQ(darvosim::Bytes({' ', ' ', 0xBD, 0xA2, 0x88, 'w', ' '}),
              darvosim::Bytes(frames[1].fromHost.begin() + 3, frames[1].fromHost.begin() + 10));

    WithPrinter(sim, [&line0](darvosim::Printer &p) {
        const std::string shown = p.Control("settings", -1);
        EXPECT_NE(std::string::npos, shown.find("speed 9600, code page 852, euro brak, service brak"))
            << shown;
        EXPECT_NE(std::string::npos, shown.find("|" + line0 + "|")) << shown;
    });
    fTekstyReklamowe->l1->clear();
    fTekstyReklamowe->bOdczyt->click();
    EXPECT_EQ(QString::fromStdString(line0), fTekstyReklamowe->l1->text());
    EXPECT_EQ("  Żółw" + QString(34, ' '), fTekstyReklamowe->l2->text());
    EXPECT_TRUE(fTekstyReklamowe->l3->text().isEmpty()); // attribute bit 0 clear

    // Erasing is refused until the daily report has printed the new lines.
    const auto erase = [this] { fTekstyReklamowe->bKasowanie->click(); };
    EXPECT_EQ(QStringList{ErrorMessageText(235)}, TextsOf(erase));
    EXPECT_FALSE(fTekstyReklamowe->l1->text().isEmpty());
    WithPrinter(sim, [](darvosim::Printer &p) { p.fiscal.advertsPending = false; });
    EXPECT_EQ(QStringList{"Skasowano teksty reklamowe"}, TextsOf(erase));
    EXPECT_TRUE(fTekstyReklamowe->l1->text().isEmpty());
    EXPECT_TRUE(fTekstyReklamowe->bZapis->isEnabled());
}

// A 1-bit bitmap file; `dark(row, x)` for the picture's top-down rows.
QByteArray Bitmap(int width, int height, int bits, int compression, bool whiteFirst,
                  const std::function<bool(int, int)> &dark) {
    const int rowBytes = ((width * bits + 31) / 32) * 4;
    const int rows = height < 0 ? -height : height;
    QByteArray b(62 + rowBytes * rows, '\0');
    auto put = [&b](int offset, uint32_t v, int size) {
        for (int i = 0; i < size; ++i)
            b[offset + i] = static_cast<char>(v >> (8 * i));
    };
    b[0] = 'B', b[1] = 'M';
    put(2, b.size(), 4);
    put(10, 62, 4);
    put(14, 40, 4);
    put(18, width, 4);
    put(22, static_cast<uint32_t>(height), 4);
    put(26, 1, 2);
    put(28, bits, 2);
    put(30, compression, 4);
    put(whiteFirst ? 54 : 58, 0xFFFFFF, 3);
    for (int stored = 0; stored < rows && bits == 1; ++stored)
        for (int x = 0; x < width; ++x) {
            const bool bit = dark(rows - 1 - stored, x) == whiteFirst; // white first: dark is colour 1
            if (bit)
                b[62 + stored * rowBytes + x / 8] =
                    static_cast<char>(b[62 + stored * rowBytes + x / 8] | (0x80 >> (x % 8)));
        }
    return b;
}

TEST(DisplayBitmap, ChecksPaletteRowsAndXor) {
    auto picture = [](int row, int x) { return row == 0 || (row == 4 && x < 12) || (x == 191 && row % 2); };
    const struct {
        QByteArray file;
        const char *message;
    } bad[] = {
        {Bitmap(192, 63, 1, 0, true, picture), "ROZMIAR BITMAPY RÓŻNY OD 192x63 (= 192x63)"},
        {Bitmap(192, 64, 24, 0, true, picture), "BITMAPA NIE JEST MONOCHROMATYCZNA"},
        {Bitmap(192, 64, 1, 2, true, picture), "NIEPRAWIDLOWY FORMAT PLIKU (BITMAPA JEST SKOMPRESOWANA)"},
        {"BA" + Bitmap(192, 64, 1, 0, true, picture).mid(2), "NIEPRAWIDLOWY FORMAT PLIKU"},
        {Bitmap(192, 64, 1, 0, true, picture).left(1000), "NIEPRAWIDLOWY FORMAT PLIKU"},
        {Bitmap(192, 64, 1, 0, true, picture).left(20), "NIEPRAWIDLOWY FORMAT PLIKU"},
    };
    darvo::ops::DisplayRows rows{};
    std::memset(rows, 0x5A, sizeof rows);
    for (const auto &c : bad) {
        EXPECT_EQ(QString::fromUtf8(c.message).replace("192x63 (= 192x63)", "192x64 (= 192x63)"),
                  DecodeDisplayBitmap(c.file, rows));
        EXPECT_EQ(0x5A, rows[10][3]); // untouched
    }

    darvo::ops::DisplayRows white{}, black{};
    ASSERT_EQ("", DecodeDisplayBitmap(Bitmap(192, 64, 1, 0, true, picture), white));
    ASSERT_EQ("", DecodeDisplayBitmap(Bitmap(192, 64, 1, 0, false, picture), black));
    EXPECT_EQ(0, std::memcmp(white, black, sizeof white));
    for (int i = 0; i < 24; ++i)
        EXPECT_EQ(255, white[0][i]);
    EXPECT_EQ(0, white[0][24]);
    EXPECT_EQ(darvo::ops::DisplayRows{}[0][0], white[2][0]);
    EXPECT_EQ(0xFF, white[4][0]);
    EXPECT_EQ(0xF0, white[4][1]);
    EXPECT_EQ(0x0F, white[4][24]); // 0xFF ^ 0xF0
    EXPECT_EQ(0x01, white[3][23]);
    EXPECT_EQ(0x01, white[3][24]);
}

TEST_F(Pexa, DisplayPictureSentReadBackAndErased) {
    darvosim::Emulator &sim = Connect(7);
    QTemporaryDir dir;
    const QString path = dir.filePath("logo.bmp");
    ASSERT_TRUE(WriteBytes(path, Bitmap(192, 64, 1, 0, false, [](int row, int) { return row == 63; })));
    SetFileChooser([&path](const FileDialogRequest &r) {
        EXPECT_EQ("Bitmaps (*.bmp)|*.bmp", r.filter);
        return path;
    });
    recorder.answers = {BoxAnswer::Yes};
    GlowneOkno->Item("Zapis2")->trigger();
    SetFileChooser(nullptr);
    EXPECT_EQ((QStringList{"Czy zapisać dane do drukarki?", "Zapisano dane na wyświetlacz do drukarki"}),
              Texts());
    EXPECT_EQ("Pytanie", recorder.boxes[0].caption);
    const auto rows = Frames(sim, 45);
    ASSERT_EQ(64u, rows.size());
    darvosim::Bytes last{0x1B, 45, 63};
    last.insert(last.end(), 24, 0xFF);
    last.push_back(0);
    EXPECT_EQ(last, rows[63].fromHost);

    WithPrinter(sim, [](darvosim::Printer &p) {
        const std::string shown = p.Control("display", -1);
        EXPECT_EQ(0u, shown.rfind("display (not yet on a daily report)\n", 0));
        EXPECT_EQ("\n" + std::string(192, '#'), shown.substr(shown.size() - 193)); // the bottom row
        EXPECT_EQ(std::string(192, '.'), shown.substr(shown.size() - 385, 192));
    });

    // Read back into a picture built in memory: no file is written.
    const QString before = QDir::currentPath();
    const QStringList filesBefore = QDir().entryList(QDir::Files);
    WithPrinter(sim, [](darvosim::Printer &p) {
        for (auto &row : p.fiscal.display)
            row.fill(0);
    });
    recorder.boxes.clear();
    Choose("Odczyt2");
    EXPECT_TRUE(recorder.boxes.empty());
    EXPECT_EQ(QStringList{"fReklamaOdczyt"}, shownDialogs);
    EXPECT_EQ(filesBefore, QDir().entryList(QDir::Files));
    const QByteArray bmp = DisplayReadBackBitmap(darvo::Host().DisplayReadBuffer());
    ASSERT_EQ(1598, bmp.size());
    const QByteArray header(
        "BM\x3E\x06\0\0\0\0\0\0\x3E\0\0\0\x28\0\0\0\xC0\0\0\0\x40\0\0\0\x01\0\x01\0\0\0\0\0"
        "\0\x06\0\0\xC4\x0E\0\0\xC4\x0E\0\0\0\0\0\0\0\0\0\0\0\0\0\0\xFF\xFF\xFF\0",
        62);
    EXPECT_EQ(header, bmp.left(62));
    EXPECT_EQ(QByteArray(1536, '\xFF'), bmp.mid(62));
    EXPECT_FALSE(fReklamaOdczyt->iBitmapa->pixmap().isNull());

    // The daily report has not printed the picture yet: erasing is refused.
    const auto erase = [this] { Choose("Kasowanie1"); };
    EXPECT_EQ(QStringList{ErrorMessageText(235)}, TextsOf(erase));
    WithPrinter(sim, [](darvosim::Printer &p) { p.fiscal.displayPending = false; });
    EXPECT_EQ(QStringList{"Skasowano informacje na wyświetlacz"}, TextsOf(erase));
    EXPECT_EQ(QStringList{ErrorMessageText(238)}, TextsOf([this] { Choose("Odczyt2"); }));
    EXPECT_FALSE(GlowneOkno->BusyCursorShown());
    EXPECT_EQ(before, QDir::currentPath());
}

// Shown for real, the advertising lines are read once and Esc closes the
// dialog. Enter in a field of the dialogs that write to the printer writes
// nothing: a write takes its button.
TEST_F(Pexa, DialogsShownForRealAndEnterInTheWritingDialogs) {
    darvosim::Emulator &sim = Connect(7);
    WithPrinter(sim, [](darvosim::Printer &p) { p.fiscal.adverts[1] = {1, std::string(40, 'x')}; });
    TDialog::SetModalRunner(nullptr);
    bool shown = false;
    QString line2;
    QTimer::singleShot(0, fTekstyReklamowe, [&] {
        shown = fTekstyReklamowe->isVisible();
        line2 = fTekstyReklamowe->l2->text();
        QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(fTekstyReklamowe->l1, &esc);
        if (fTekstyReklamowe->isVisible()) fTekstyReklamowe->reject(); // never leave the test waiting
    });
    EXPECT_EQ(QDialog::Rejected, fTekstyReklamowe->ShowModal());
    EXPECT_TRUE(shown);
    EXPECT_EQ(QString(40, 'x'), line2);
    EXPECT_EQ(3u, Frames(sim, 56).size()); // read once, however the window system shows it
    EXPECT_EQ(QString(), GlowneOkno->ActivityText());
    EXPECT_FALSE(GlowneOkno->BusyCursorShown());
    const std::pair<TDialog *, QWidget *> rows[] = {{fDaneUzytkownika, fDaneUzytkownika->l1},
                                                    {fUstawienia, fUstawienia->seLinie},
                                                    {fTekstyReklamowe, fTekstyReklamowe->l1},
                                                    {fDataEuroPrzeglad, fDataEuroPrzeglad->dtDate}};
    for (auto [dialog, field] : rows) {
        dialog->show(); // the settings, the advertising lines and the date are read first
        Reset(sim);     // no euro date in a new printer: its box goes too
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        QCoreApplication::sendEvent(field, &enter);
        EXPECT_TRUE(Commands(sim).empty()) << dialog->objectName().toStdString();
        dialog->reject();
    }
    EXPECT_TRUE(recorder.boxes.empty()) << Texts().join("|").toStdString();
}

} // namespace
