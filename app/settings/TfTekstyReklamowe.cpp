#include "settings/TfTekstyReklamowe.h"

#include "common/ErrorBeep.h"
#include "common/MessageBoxes.h"
#include "common/TBusyScope.h"
#include "core/DriverText.h"
#include "core/HeaderLines.h"

#include "ops/Display.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TfTekstyReklamowe::TfTekstyReklamowe(QWidget *parent, CommandHost &host)
    : TDialog(parent, host, QStringLiteral("fTekstyReklamowe"), QStringLiteral("Linie reklamowe")) {
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    auto *grid = new QGridLayout;
    for (int i = 0; i < 3; ++i) {
        auto *edit = new QLineEdit(this);
        edit->setObjectName(QStringLiteral("l%1").arg(i + 1));
        edit->setMaxLength(darvo::ops::kAdvertLineLength);
        edit->setFont(fixed);
        edit->setMinimumWidth(QFontMetrics(fixed).horizontalAdvance(QString(42, QLatin1Char('W'))));
        auto *centre = new QCheckBox(QStringLiteral("Centruj"), this);
        centre->setObjectName(QStringLiteral("cb%1").arg(i + 1));
        centre->setChecked(true);
        connect(centre, &QCheckBox::clicked, this, [edit](bool on) {
            if (on) edit->setText(CentreLine(edit->text(), darvo::ops::kAdvertLineLength));
        });
        grid->addWidget(edit, i, 0);
        grid->addWidget(centre, i, 1);
        edits_[i] = edit;
        centres_[i] = centre;
    }
    l1 = edits_[0], l2 = edits_[1], l3 = edits_[2];
    cb1 = centres_[0], cb2 = centres_[1], cb3 = centres_[2];

    auto button = [this](const char *name, const QString &caption, void (TfTekstyReklamowe::*action)()) {
        auto *b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, [this, action] { (this->*action)(); });
        return b;
    };
    bZapis = button("bZapis", QStringLiteral("Zapis do drukarki"), &TfTekstyReklamowe::WriteToPrinter);
    bOdczyt = button("bOdczyt", QStringLiteral("Odczyt z drukarki"), &TfTekstyReklamowe::ReadFromPrinter);
    bKasowanie =
        button("bKasowanie", QStringLiteral("Kasowanie z drukarki"), &TfTekstyReklamowe::EraseFromPrinter);
    // No default button: Enter in a line must not write to the printer.
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(bZapis);
    buttons->addWidget(bOdczyt);
    buttons->addWidget(bKasowanie);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TfTekstyReklamowe::FormActivate() {
    ReadFromPrinter();
}

void TfTekstyReklamowe::WriteToPrinter() {
    for (int i = 0; i < 3; ++i)
        if (centres_[i]->isChecked())
            edits_[i]->setText(CentreLine(edits_[i]->text(), darvo::ops::kAdvertLineLength));
    TBusyScope busy(host_, {bZapis, bOdczyt, bKasowanie});
    for (uint8_t line = 0; line < 3; ++line) {
        const std::string text = ToDriver(PadLine(edits_[line]->text(), darvo::ops::kAdvertLineLength));
        if (int32_t code = darvo::ops::WriteAdvertLine(line, text); code != 0) {
            host_.ShowCommandError(code);
            host_.ClearActivityMessage();
            return;
        }
    }
    host_.SetArrowCursor();
    ErrorBeep();
    ShowBox(BoxKind::Information, QStringLiteral("Informacja"),
            QStringLiteral("Zapisano do drukarki teksty reklamowe"));
    host_.ClearActivityMessage();
}

void TfTekstyReklamowe::ReadFromPrinter() {
    TBusyScope busy(host_, {bZapis, bOdczyt, bKasowanie});
    for (uint8_t line = 0; line < 3; ++line) {
        std::string text;
        uint8_t attribute = 0;
        if (int32_t code = darvo::ops::ReadAdvertLine(line, text, attribute); code != 0) {
            host_.ShowCommandError(code);
            host_.ClearActivityMessage();
            return;
        }
        // Bit 0: the line holds a text.
        if (attribute & 1)
            edits_[line]->setText(FromDriver(text));
        else
            edits_[line]->clear();
    }
    host_.ClearActivityMessage();
}

void TfTekstyReklamowe::EraseFromPrinter() {
    TBusyScope busy(host_, {bZapis, bOdczyt, bKasowanie});
    if (int32_t code = darvo::ops::EraseAdvertLines(); code != 0) {
        host_.ShowCommandError(code);
        host_.ClearActivityMessage();
        return;
    }
    for (QLineEdit *edit : edits_)
        edit->clear();
    host_.SetArrowCursor();
    ErrorBeep();
    ShowBox(BoxKind::Information, QStringLiteral("Informacja"), QStringLiteral("Skasowano teksty reklamowe"));
    host_.ClearActivityMessage();
}
