#include "clock/TfUstawZegar.h"

#include "common/DialogButtons.h"
#include "common/ErrorBeep.h"
#include "common/MessageBoxes.h"
#include "common/TBusyScope.h"
#include "core/AppState.h"
#include "core/DriverText.h"

#include "ops/Clock.h"

#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

TfUstawZegar::TfUstawZegar(QWidget *parent, CommandHost &host)
    : TDialog(parent, host, QStringLiteral("fUstawZegar"),
              QStringLiteral("Inicjowanie zegara drukarki fiskalnej ")) {
    auto label = [this](const char *name, const QString &text) {
        auto *l = new QLabel(text, this);
        l->setObjectName(QString::fromLatin1(name));
        return l;
    };
    Label1 = label("Label1", QStringLiteral("Czy zainicjować zegar?"));
    Label2 = label("Label2", QStringLiteral("Godzina:"));
    Label3 = label("Label3", QStringLiteral("Data:"));
    Label4 = label("Label4", QStringLiteral("Trwa kasowanie ..."));
    Label4->hide();

    dtDate = new QDateEdit(this);
    dtDate->setObjectName(QStringLiteral("dtDate"));
    const QLocale polish(QLocale::Polish, QLocale::Poland);
    dtDate->setLocale(polish);
    dtDate->setDisplayFormat(polish.dateFormat(QLocale::LongFormat));
    dtDate->setCalendarPopup(true);
    // The printer keeps two-digit years of the 2000s.
    dtDate->setDateRange(QDate(2004, 1, 1), QDate(2099, 12, 31));
    meZegar = new TTimeEdit(this);
    Label2->setBuddy(meZegar);
    Label3->setBuddy(dtDate);

    pbZegar = new QProgressBar(this);
    pbZegar->setObjectName(QStringLiteral("pbZegar"));
    pbZegar->setRange(0, 16);
    pbZegar->setValue(0);
    pbZegar->setTextVisible(false);
    pbZegar->hide();

    const TQuestionButtons buttons = MakeQuestionButtons(this);
    Button1 = buttons.yes;
    Button2 = buttons.no;
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });

    auto *fields = new QGridLayout;
    fields->addWidget(Label3, 0, 0);
    fields->addWidget(dtDate, 0, 1);
    fields->addWidget(Label2, 1, 0);
    fields->addWidget(meZegar, 1, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addLayout(fields);
    layout->addWidget(Label4);
    layout->addWidget(pbZegar);
    layout->addLayout(buttons.row);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TfUstawZegar::FormActivate() {
    attempted_ = false;
    meZegar->setFocus();
    meZegar->setCursorPosition(0);
}

void TfUstawZegar::ShowNormalControls(bool normal) {
    for (QWidget *w :
         {static_cast<QWidget *>(Label1), static_cast<QWidget *>(Label2), static_cast<QWidget *>(Label3),
          static_cast<QWidget *>(dtDate), static_cast<QWidget *>(meZegar), static_cast<QWidget *>(Button1),
          static_cast<QWidget *>(Button2)})
        w->setVisible(normal);
    Label4->setVisible(!normal);
    pbZegar->setVisible(!normal);
}

void TfUstawZegar::EraseProgress(const QString &text, int position) {
    if (Label4->isHidden()) ShowNormalControls(false);
    if (!text.isEmpty()) Label4->setText(text);
    // One step of the bar for each progress byte of the printer.
    pbZegar->setValue(qBound(0, (position * 16 + 50) / 100, 16));
    Label4->repaint();
    pbZegar->repaint();
}

void TfUstawZegar::Button1Click() {
    int hour = 0, minute = 0;
    if (!ParseTimeText(meZegar->displayText(), hour, minute)) {
        ErrorBeep();
        ErrorBox(BadTimeText());
        return;
    }
    const QDate date = dtDate->date();
    int32_t code = 0;
    {
        TBusyScope busy(host_, {Button1});
        pbZegar->setValue(0);
        code = darvo::ops::InitClock({date.year(), date.month(), date.day(), hour, minute});
        ShowNormalControls(true);
    }
    attempted_ = true;
    if (code != 0) {
        ErrorBeep();
        ErrorBox(ErrorMessageText(code));
        return;
    }
    // The live clock tells whether the printer has really set its clock (it
    // keeps it unset for a date before its last daily report); the dialog
    // stays open for another date until the user closes it.
    if (ShowClock) ShowClock();
}
