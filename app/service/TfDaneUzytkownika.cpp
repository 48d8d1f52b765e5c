#include "service/TfDaneUzytkownika.h"

#include "common/ErrorBeep.h"
#include "common/FileDialogs.h"
#include "common/MessageBoxes.h"
#include "common/TBusyScope.h"
#include "common/TRadioGroup.h"
#include "core/DriverText.h"

#include "ops/Connection.h"
#include "ops/Device.h"
#include "ops/UserData.h"

#include <QCheckBox>
#include <QFile>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSaveFile>
#include <algorithm>

bool TfDaneUzytkownika::OverwriteMode = false;

// ------------------------------------------------------------------ dialog

namespace {

const QString kNipWrongText = QStringLiteral("NUMER NIP ZOSTAŁ WPROWADZONY NIEPRAWIDŁOWO\r"
                                             "   Program wykrył błędną sumę kontrolną.  \r"
                                             "Aby ponownie wprowadzić NIP naciśnij NIE. \r"
                                             "      Aby kontynuować naciśnij TAK.       ");
const QString kNipNoDigitsText = QStringLiteral("NUMER NIP ZOSTAŁ WPROWADZONY NIEPRAWIDŁOWO\r"
                                                "                      Brak cyfr w ciągu znaków.         ");
const QString kNipNoWordText = QStringLiteral("NUMER NIP ZOSTAŁ WPROWADZONY NIEPRAWIDŁOWO\r"
                                              "     Brak słowa 'NIP' w ciągu znaków     ");
const QString kFileFilterOpen =
    QStringLiteral("Pliki tekstowe z danymi użytkownika (*.txt)|*.txt|Wszystkie pliki|*.*");
const QString kFileFilterSave = QStringLiteral("Pliki tekstowe z danymi użytkownika (*.txt)|*.txt");

constexpr int kRowTop = 56;
constexpr int kRowStep = 36;
constexpr int kEditHeight = 24;

} // namespace

TfDaneUzytkownika::TfDaneUzytkownika(QWidget *parent, CommandHost &host)
    : TDialog(parent, host, QStringLiteral("fDaneUzytkownika"), QStringLiteral("Dane użytkownika")) {
    setFixedSize(700, 330);
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);

    rgTyp =
        new TRadioGroup(QString(), {QStringLiteral("NIVRA/NIVRA F"), QStringLiteral("PEXA/PEXA F")}, 2, this);
    rgTyp->setObjectName(QStringLiteral("rgTyp"));
    rgTyp->setGeometry(64, 4, 330, 44);
    rgTyp->SetItemIndex(kFourLines);
    for (int i = 0; i < 2; ++i)
        connect(rgTyp->Button(i), &QRadioButton::clicked, this, [this] { LayoutSwitch(); });

    Label8 = new QLabel(QStringLiteral("INS"), this);
    Label8->setObjectName(QStringLiteral("Label8"));
    Label8->setGeometry(620, 16, 40, 20);
    Label8->setVisible(OverwriteMode);

    static const char *const kEditNames[kLines] = {"l1", "l2", "l3", "L4", "L5", "l6"};
    static const char *const kCentreNames[kLines] = {"cb1", "CB2", "cb3", "cb4", "cb5", "cb6"};
    static const char *const kLabelTexts[kLines] = {"1", "2", "3", "NIP", "5  ", "NIP"};
    static const char *const kLabelNames[kLines] = {"Label2", "Label3", "Label4",
                                                    "Label5", "Label6", "Label7"};
    QLabel *labels[kLines];
    for (int i = 0; i < kLines; ++i) {
        const int n = i + 1;
        const int y = kRowTop + kRowStep * i;
        labels[i] = new QLabel(QString::fromUtf8(kLabelTexts[i]), this);
        labels[i]->setObjectName(QString::fromLatin1(kLabelNames[i]));
        labels[i]->setGeometry(8, y + 2, 50, 20);

        auto *edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(kEditNames[i]));
        edit->setFont(fixed);
        edit->installEventFilter(this);
        connect(edit, &QLineEdit::textChanged, this, [this, n] { LimitEdit(n); });
        edits[i] = edit;

        auto *width = new TRadioGroup(QString(), {QStringLiteral("40"), QStringLiteral("20")}, 2, this);
        width->setObjectName(QStringLiteral("rg%1").arg(n));
        width->setGeometry(404, y - 4, 100, 32);
        width->layout()->setContentsMargins(4, 0, 4, 0);
        width->SetItemIndex(0);
        widths[i] = width;
        for (int item = 0; item < 2; ++item) {
            // Any change moves the edit; a click also trims and centres.
            connect(width->Button(item), &QRadioButton::toggled, this, [this, n](bool on) {
                if (on) PlaceEdit(n);
            });
            connect(width->Button(item), &QRadioButton::clicked, this, [this, n] { WidthSwitch(n); });
        }

        auto *centre = new QCheckBox(QStringLiteral("Centruj"), this);
        centre->setObjectName(QString::fromLatin1(kCentreNames[i]));
        centre->setGeometry(512, y, 80, 24);
        centre->setChecked(true);
        connect(centre, &QCheckBox::clicked, this, [this, n] { CentreClicked(n); });
        centres[i] = centre;

        if (i < kLines - 1) {
            auto *tall = new QCheckBox(QStringLiteral("Wys. gen."), this);
            tall->setObjectName(QStringLiteral("cbWys%1").arg(n));
            tall->setGeometry(596, y, 96, 24);
            talls[i] = tall;
        }
        PlaceEdit(n);
    }
    l1 = edits[0], l2 = edits[1], l3 = edits[2], L4 = edits[3], L5 = edits[4], l6 = edits[5];
    rg1 = widths[0], rg2 = widths[1], rg3 = widths[2], rg4 = widths[3], rg5 = widths[4], rg6 = widths[5];
    cb1 = centres[0], CB2 = centres[1], cb3 = centres[2], cb4 = centres[3], cb5 = centres[4],
    cb6 = centres[5];
    cbWys1 = talls[0], cbWys2 = talls[1], cbWys3 = talls[2], cbWys4 = talls[3], cbWys5 = talls[4];
    Label5 = labels[3], Label6 = labels[4], Label7 = labels[5];

    auto button = [this](const char *name, const QString &caption, int x,
                         void (TfDaneUzytkownika::*action)()) {
        auto *b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(x, kRowTop + kRowStep * kLines + 16, 130, 30);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, [this, action] { (this->*action)(); });
        return b;
    };
    bOdczytPlik =
        button("bOdczytPlik", QStringLiteral("&Odczyt z pliku"), 8, &TfDaneUzytkownika::LoadFromFile);
    bZapisPlik = button("bZapisPlik", QStringLiteral("&Zapis do pliku"), 146, &TfDaneUzytkownika::SaveToFile);
    bWydrKontr =
        button("bWydrKontr", QStringLiteral("&Wydruk kontrolny"), 284, &TfDaneUzytkownika::ControlPrintout);
    Button3 =
        button("Button3", QStringLiteral("O&dczyt z drukarki"), 422, &TfDaneUzytkownika::ReadFromPrinter);
    Button2 =
        button("Button2", QStringLiteral("Z&apis do drukarki"), 560, &TfDaneUzytkownika::WriteToPrinter);
    // No default button: Enter in a line must not write to the printer.

    SetLayout(kFourLines);
}

void TfDaneUzytkownika::FormActivate() {
    SetLayout(darvo::ops::HasSixHeaderLines(darvo::ops::IdentifiedType()) ? kSixLines : kFourLines);
    Button2->setEnabled(true);
    Button3->setEnabled(true);
    bWydrKontr->setEnabled(true);
    Label8->setVisible(OverwriteMode);
    l1->setFocus();
}

void TfDaneUzytkownika::FormClose() {
    host_.SetArrowCursor();
}

void TfDaneUzytkownika::SetLayout(int layout) {
    rgTyp->SetItemIndex(layout == kSixLines ? kSixLines : kFourLines);
    LayoutSwitch();
}

void TfDaneUzytkownika::LayoutSwitch() {
    const bool six = rgTyp->ItemIndex() == kSixLines;
    if (!six) {
        L5->clear();
        l6->clear();
    }
    L5->setVisible(six);
    l6->setVisible(six);
    Label5->setText(six ? QStringLiteral("  4") : QStringLiteral("NIP"));
    Label6->setText(QStringLiteral("5  "));
    Label7->setText(QStringLiteral("NIP"));
    for (QWidget *w :
         {static_cast<QWidget *>(Label6), static_cast<QWidget *>(Label7), static_cast<QWidget *>(rg5),
          static_cast<QWidget *>(rg6), static_cast<QWidget *>(cb5), static_cast<QWidget *>(cb6)})
        w->setVisible(six);
    for (QCheckBox *tall : talls)
        tall->setVisible(six);
    rg4->setVisible(true);
}

int TfDaneUzytkownika::LineWidth(int n) const {
    return widths[n - 1]->ItemIndex() == 1 ? 20 : 40;
}

void TfDaneUzytkownika::PlaceEdit(int n) {
    const int y = kRowTop + kRowStep * (n - 1);
    if (LineWidth(n) == 20)
        edits[n - 1]->setGeometry(147, y, 170, kEditHeight);
    else
        edits[n - 1]->setGeometry(64, y, 330, kEditHeight);
    LimitEdit(n);
}

void TfDaneUzytkownika::LimitEdit(int n) {
    // The width limits what is typed, never what is there: a longer text
    // (from a file, or centred in 40 for the printout) stays whole, and
    // typing is refused until it is back within the width.
    QLineEdit *edit = edits[n - 1];
    const int limit = std::max(LineWidth(n), static_cast<int>(edit->text().size()));
    if (edit->maxLength() == limit) return;
    const int caret = edit->cursorPosition(); // a new limit puts the caret at the end
    edit->setMaxLength(limit);
    edit->setCursorPosition(caret);
}

void TfDaneUzytkownika::SetLineText(int n, const QString &text) {
    QLineEdit *edit = edits[n - 1];
    if (text.size() > edit->maxLength()) edit->setMaxLength(static_cast<int>(text.size()));
    edit->setText(text); // its change sets the limit again
}

void TfDaneUzytkownika::WidthSwitch(int n) {
    if (LineWidth(n) == 20) SetLineText(n, edits[n - 1]->text().trimmed());
    PlaceEdit(n);
    CentreClicked(n);
}

void TfDaneUzytkownika::CentreClicked(int n) {
    if (!centres[n - 1]->isChecked()) return;
    SetLineText(n, CentreLine(edits[n - 1]->text(), LineWidth(n)));
}

void TfDaneUzytkownika::ToggleOverwrite() {
    OverwriteMode = !OverwriteMode;
    Label8->setVisible(OverwriteMode);
}

namespace {
// Insert alone; Shift+Insert and Ctrl+Insert keep their paste and copy.
bool PlainInsert(const QKeyEvent *key) {
    return key->key() == Qt::Key_Insert && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}
} // namespace

bool TfDaneUzytkownika::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (PlainInsert(key)) {
            ToggleOverwrite();
            return true;
        }
        auto *edit = qobject_cast<QLineEdit *>(watched);
        const QString typed = key->text();
        if (OverwriteMode && edit && !typed.isEmpty() && typed[0].unicode() >= 32 &&
            typed[0].unicode() != 127 && !edit->hasSelectedText() &&
            edit->cursorPosition() < edit->text().size())
            edit->del(); // the typed character then takes its place
    }
    return TDialog::eventFilter(watched, event);
}

void TfDaneUzytkownika::keyPressEvent(QKeyEvent *event) {
    if (PlainInsert(event)) {
        ToggleOverwrite();
        return;
    }
    TDialog::keyPressEvent(event);
}

void TfDaneUzytkownika::FormatLine(int n, bool centre, int width) {
    const QString text = edits[n - 1]->text();
    SetLineText(n, centre ? CentreLine(text, width) : PadLine(text, width));
}

uint8_t TfDaneUzytkownika::Attribute(int n, bool sixLinePrinter) const {
    uint8_t attribute = LineWidth(n) == 20 ? 1 : 0;
    // "Wys. gen." belongs to lines 1..5 of the six-line printers only; a box
    // hidden in the four-line layout sends nothing.
    if (sixLinePrinter && n <= kLines - 1 && talls[n - 1]->isChecked()) attribute |= 2;
    return attribute;
}

// ------------------------------------------------------- printer commands

bool TfDaneUzytkownika::PreChecks(bool write, uint8_t &type, bool &fiscal) {
    auto stop = [this](const QString &text) {
        host_.RefuseCommand(text);
        return false;
    };
    if (!host_.DeviceCheck(type, write)) return false;
    bool errorReported = false;
    host_.SetBusyCursor();
    const bool erased = host_.CheckCmosErased(errorReported);
    if (errorReported) {
        host_.ClearActivityMessage();
        return false;
    }
    if (erased)
        return stop(write ? QStringLiteral("Skasowana pamięć CMOS.")
                          : QStringLiteral("Skasowana pamięć CMOS. Wejdź do inicjowania zegara."));
    if (int32_t code = darvo::ops::Identify(type); code != 0) {
        host_.ShowCommandError(code);
        host_.ClearActivityMessage();
        return false;
    }
    if (darvo::ops::IsFirstGeneration(type))
        return stop(write ? QStringLiteral("Podłączone urządzenie nie jest drukarką drugiej generacji.")
                          : QStringLiteral("Podłączone urządzenie nie jest drukarką drugiej generacji"));
    if (int32_t code = darvo::ops::ReadFiscalMode(fiscal); code != 0) {
        host_.ShowCommandError(code);
        host_.ClearActivityMessage();
        return false;
    }
    return true;
}

bool TfDaneUzytkownika::NipAccepted(const QString &text) {
    const int code = CheckNip(text);
    if (code == kNipCorrect) return true;
    Button2->setEnabled(true);
    Button3->setEnabled(true);
    bWydrKontr->setEnabled(true);
    host_.SetArrowCursor();
    ErrorBeep();
    host_.ClearActivityMessage();
    if (code == kNipWrong) {
        const bool go =
            ShowBox(BoxKind::ErrorQuestion, QStringLiteral("Błąd"), kNipWrongText) == BoxAnswer::Yes;
        if (go) host_.SetBusyCursor();
        return go;
    }
    ErrorBox(code == kNipNoDigits ? kNipNoDigitsText : kNipNoWordText);
    return false;
}

void TfDaneUzytkownika::WriteToPrinter() {
    TBusyScope busy(host_, {Button2});
    host_.ShowActivityMessage(QStringLiteral("Zapis danych użytkownika..."));
    uint8_t type = 9;
    bool fiscal = false;
    if (!PreChecks(true, type, fiscal)) return;
    const bool six = darvo::ops::HasSixHeaderLines(type);

    auto write = [this](int n, uint8_t attribute) {
        const int32_t code =
            darvo::ops::WriteUserData(static_cast<uint8_t>(n), attribute, ToDriver(edits[n - 1]->text()));
        if (code != 0) {
            host_.ShowCommandError(code);
            host_.ClearActivityMessage();
        }
        return code == 0;
    };

    FormatLine(1, cb1->isChecked(), LineWidth(1));
    if (!fiscal) {
        FormatLine(4, cb4->isChecked(), LineWidth(4));
        if (!NipAccepted(six ? l6->text() : L4->text())) return;
    }
    if (!write(1, Attribute(1, six))) return;
    for (int n = 2; n <= (six ? 5 : 3); ++n) {
        FormatLine(n, centres[n - 1]->isChecked(), LineWidth(n));
        if (!write(n, Attribute(n, six))) return;
    }

    if (fiscal) {
        // The NIP line stays as the fiscal memory holds it: show what the
        // printer has now.
        ReadFromPrinter();
        ErrorBeep();
        ShowBox(BoxKind::Information, QStringLiteral("Informacja"),
                QStringLiteral("       Drukarka pracuje w trybie fiskalnym.     \r"
                               "    Do drukarki zostały zapisane linie danych   \r"
                               "użytkownika oprócz linii zawierającej numer NIP."));
        host_.ClearActivityMessage();
        return;
    }
    if (six) {
        FormatLine(6, cb6->isChecked(), LineWidth(6));
        if (!write(6, LineWidth(6) == 20 ? 1 : 0)) return;
    } else if (!write(4, Attribute(4, six))) {
        return;
    }
    host_.SetArrowCursor();
    ErrorBeep();
    ShowBox(BoxKind::Information, QStringLiteral("Informacja"),
            six ? QStringLiteral("Do drukarki zostało zapisanych 6 linii danych użytkownika.")
                : QStringLiteral("Do drukarki zostały zapisane 4 linie danych użytkownika."));
    host_.ClearActivityMessage();
}

void TfDaneUzytkownika::ReadFromPrinter() {
    TBusyScope busy(host_, {Button3});
    uint8_t type = 9;
    bool fiscal = false;
    if (!PreChecks(false, type, fiscal)) return;
    const bool six = darvo::ops::HasSixHeaderLines(type);
    darvo::ops::UserDataLines lines;
    uint8_t flags = 0;
    if (int32_t code = darvo::ops::ReadUserData(six ? 6 : 4, lines, flags); code != 0) {
        host_.ShowCommandError(code);
        host_.ClearActivityMessage();
        return;
    }
    // The printer's layout first: the four-line layout empties lines 5 and 6.
    SetLayout(six ? kSixLines : kFourLines);
    for (int i = 0; i < (six ? 6 : 4); ++i) {
        const QString text = FromDriver(lines[i]);
        if (text.size() == 20) widths[i]->SetItemIndex(1);
        if (text.size() == 40) widths[i]->SetItemIndex(0);
        SetLineText(i + 1, text);
    }
    L4->setEnabled(true);
    l6->setEnabled(true);
    (six ? l6 : L4)->setEnabled(!fiscal);
    if (six)
        for (int i = 0; i < kLines - 1; ++i)
            talls[i]->setChecked((flags >> i) & 1);
    host_.ClearActivityMessage();
    update();
}

void TfDaneUzytkownika::ControlPrintout() {
    TBusyScope busy(host_, {bWydrKontr, Button2, Button3});
    uint8_t type = 9;
    bool fiscal = false;
    if (!PreChecks(false, type, fiscal)) return;
    const bool six = darvo::ops::HasSixHeaderLines(type);
    if (!six && fiscal) {
        host_.RefuseCommand(QStringLiteral("    Drukarka pracuje w trybie fiskalnym.   \r"
                                           "Kontrolny wydruk nagłówka nie jest możliwy."));
        return;
    }
    // Line 4 of a four-line printer goes out in 40 characters whatever its
    // width says; its edit keeps all of them.
    for (int n = 1; n <= 4; ++n)
        FormatLine(n, true, n == 4 && !six ? 40 : LineWidth(n));
    if (!NipAccepted(six ? l6->text() : L4->text())) return;

    darvo::ops::UserDataLines lines;
    for (int i = 0; i < (six ? 6 : 4); ++i)
        lines[i] = ToDriver(edits[i]->text());
    if (int32_t code = darvo::ops::PrintUserDataCheck(six ? 6 : 4, lines); code != 0)
        host_.ShowCommandError(code);
    host_.ClearActivityMessage();
}

// -------------------------------------------------------------- the file

void TfDaneUzytkownika::SaveToFile() {
    const QString path = ChooseFile(this, FileDialogKind::Save, kFileFilterSave);
    if (!path.isEmpty()) SaveFile(path);
}

void TfDaneUzytkownika::LoadFromFile() {
    const QString path = ChooseFile(this, FileDialogKind::Open, kFileFilterOpen);
    if (!path.isEmpty()) LoadFile(path);
}

bool TfDaneUzytkownika::SaveFile(const QString &path) {
    const bool six = rgTyp->ItemIndex() == kSixLines;
    QString text = QStringLiteral("#1\r\n#\r\n#\r\n");
    for (int n = 1; n <= (six ? 6 : 4); ++n) {
        // A TAB or line break inside a text would split its record: such
        // characters go to the file as spaces, as the printer would get them.
        QString record = QLatin1Char('$') + ControlsToSpaces(edits[n - 1]->text()) + QLatin1Char('\t');
        record += !six && n == 4 ? QStringLiteral("40") : QString::number(LineWidth(n));
        if (six)
            record += n < kLines && talls[n - 1]->isChecked() ? QStringLiteral("\t1") : QStringLiteral("\t0");
        text += record + QStringLiteral("\r\n");
    }
    QSaveFile file(path);
    const std::string bytes = ToDriver(text);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size()) ||
        !file.commit()) {
        ErrorBeep();
        ErrorBox(QStringLiteral("Błąd zapisu pliku ") + path);
        return false;
    }
    return true;
}

void TfDaneUzytkownika::FillLine(int n, const UserDataRecord &record) {
    if (record.width == 20) widths[n - 1]->SetItemIndex(1);
    if (record.width == 40) widths[n - 1]->SetItemIndex(0);
    edits[n - 1]->setEnabled(true);
    SetLineText(n, record.text); // as the file holds it, however long
    if (n < kLines) talls[n - 1]->setChecked(record.tall);
}

bool TfDaneUzytkownika::LoadFile(const QString &path) {
    auto formatError = [&path] {
        ErrorBeep();
        ErrorBox(QStringLiteral("Błędny format pliku ") + path);
        return false;
    };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return formatError();
    const UserDataFile data = ParseUserDataFile(file.readAll());
    file.close();
    for (size_t i = 0; i < data.records.size(); ++i)
        FillLine(static_cast<int>(i) + 1, data.records[i]);
    if (!data.valid) return formatError();
    SetLayout(data.sixLines ? kSixLines : kFourLines);
    return true;
}
