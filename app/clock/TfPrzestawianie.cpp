#include "clock/TfPrzestawianie.h"

#include "common/DialogButtons.h"
#include "common/ErrorBeep.h"
#include "common/MessageBoxes.h"
#include "common/TBusyScope.h"
#include "core/AppState.h"
#include "core/DriverText.h"

#include "darvodr.h"
#include "ops/Clock.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QDateTime>
#include <QVBoxLayout>

namespace {

void ShiftFailed(CommandHost &host, int32_t code) {
    host.SetArrowCursor();
    ErrorBeep();
    ErrorBox(QStringLiteral("Nie udało się przestawić zegara: \r") + ErrorMessageText(code));
}

void Refuse(CommandHost &host, const QString &text) {
    host.SetArrowCursor();
    ErrorBeep();
    ErrorBox(text);
}

} // namespace

TfPrzestawianie::TfPrzestawianie(QWidget *parent, CommandHost &host)
    : TDialog(parent, host, QStringLiteral("fPrzestawianie"),
              QStringLiteral("Przestawianie zegara w drukarce fiskalnej")) {
    Label1 = new QLabel(QStringLiteral("Godzina (gg : mm)"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label2 = new QLabel(QStringLiteral("Czy przestawić zegar?"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    meZegar = new TTimeEdit(this);
    Label1->setBuddy(meZegar);
    const TQuestionButtons buttons = MakeQuestionButtons(this);
    Button1 = buttons.yes;
    Button2 = buttons.no;
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });

    auto *time = new QHBoxLayout;
    time->addWidget(Label1);
    time->addWidget(meZegar);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(time);
    layout->addWidget(Label2);
    layout->addLayout(buttons.row);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TfPrzestawianie::FormActivate() {
    meZegar->setText(CurrentDateTime().time().toString(QStringLiteral("hh:mm")));
    Button1->setEnabled(true);
    meZegar->setFocus();
    meZegar->setCursorPosition(0);
}

void TfPrzestawianie::Button1Click() {
    int wantedHour = 0, wantedMinute = 0;
    if (!ParseTimeText(meZegar->displayText(), wantedHour, wantedMinute)) {
        Refuse(host_, BadTimeText());
        return;
    }
    bool shifted = false;
    {
        TBusyScope busy(host_, {Button1});
        shifted = Shift();
    }
    if (!shifted) return;
    ErrorBeep();
    ShowBox(BoxKind::Information, QStringLiteral("Informacja"), QStringLiteral("Zegar został przestawiony."));
    Button1->setEnabled(true);
    if (ShowClock) ShowClock();
    accept();
}

bool TfPrzestawianie::Shift() {
    int32_t receipts = 0;
    if (int32_t code = ReceiptNumber(&receipts); code != 0) {
        ShiftFailed(host_, code);
        return false;
    }
    if (receipts != 0) {
        host_.SetArrowCursor();
        ErrorBeep();
        const BoxAnswer answer = ShowBox(BoxKind::ErrorQuestion, QStringLiteral("Błąd"),
                                         QStringLiteral("Niezerowy licznik paragonów.\r"
                                                        "Aby przestawić zegar należy wykonać raport "
                                                        "fiskalny dobowy.\rCzy wykonać ten raport?"));
        if (answer != BoxAnswer::Yes) return false;
        host_.SetBusyCursor();
        if (int32_t code = DailyReport(0); code != 0) {
            ShiftFailed(host_, code);
            return false;
        }
    }

    int wantedHour = 0, wantedMinute = 0;
    darvo::ops::ClockShift outcome = darvo::ops::ClockShift::UnreadableTime;
    if (!ParseTimeText(meZegar->displayText(), wantedHour, wantedMinute)) {
        Refuse(host_, QStringLiteral("Czas został wprowadzony niepoprawnie"));
        return false;
    }
    if (int32_t code = darvo::ops::ShiftClockTo(wantedHour, wantedMinute, outcome); code != 0) {
        ShiftFailed(host_, code);
        return false;
    }
    switch (outcome) {
    case darvo::ops::ClockShift::Shifted: return true;
    case darvo::ops::ClockShift::UnreadableTime:
        Refuse(host_, QStringLiteral("Czas został wprowadzony niepoprawnie"));
        break;
    case darvo::ops::ClockShift::Zero:
        Refuse(host_, QStringLiteral("Nie można przestawić zegara o 0 minut"));
        break;
    case darvo::ops::ClockShift::OverAnHour:
        Refuse(host_, QStringLiteral("Nie można przestawić zegara o więcej niż 60 minut"));
        break;
    case darvo::ops::ClockShift::OncePerDay:
        Refuse(host_, QStringLiteral("             Nie udało się przestawić zegara:                \r"
                                     "Nie można przestawiać zegara dwa razy w ciągu tej samej doby."));
        break;
    }
    return false;
}
