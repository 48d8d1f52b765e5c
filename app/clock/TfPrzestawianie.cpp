#include "clock/TfPrzestawianie.h"

#include "common/DialogButtons.h"
#include "common/ErrorBeep.h"
#include "common/MessageBoxes.h"
#include "common/TBusyScope.h"
#include "core/AppState.h"
#include "core/DriverText.h"

#include "darvodr.h"
#include "darvodr/Service.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QDateTime>
#include <QVBoxLayout>
#include <cstdlib>

TfPrzestawianie *fPrzestawianie = nullptr;

namespace {

constexpr int32_t kBadAnswer = 23; // the printer's answer makes no sense

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
    fPrzestawianie = this;
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

    std::string date, time;
    if (int32_t code = ReadClock(date, time); code != 0) {
        ShiftFailed(host_, code);
        return false;
    }
    int printerHour = 0, printerMinute = 0, wantedHour = 0, wantedMinute = 0;
    if (!ParseTimeText(FromDriver(time), printerHour, printerMinute) ||
        !ParseTimeText(meZegar->displayText(), wantedHour, wantedMinute)) {
        Refuse(host_, QStringLiteral("Czas został wprowadzony niepoprawnie"));
        return false;
    }
    // On minutes of the day: a shift never crosses midnight.
    const int before = printerHour * 60 + printerMinute;
    const int difference = wantedHour * 60 + wantedMinute - before;
    if (difference == 0) {
        Refuse(host_, QStringLiteral("Nie można przestawić zegara o 0 minut"));
        return false;
    }
    if (std::abs(difference) > 60) {
        Refuse(host_, QStringLiteral("Nie można przestawić zegara o więcej niż 60 minut"));
        return false;
    }
    if (int32_t code = darvo::ShiftClock(difference > 0 ? 1 : 0, static_cast<uint8_t>(std::abs(difference)));
        code != 0) {
        ShiftFailed(host_, code);
        return false;
    }

    if (int32_t code = ReadClock(date, time); code != 0) {
        ShiftFailed(host_, code);
        return false;
    }
    int afterHour = 0, afterMinute = 0;
    if (!ParseTimeText(FromDriver(time), afterHour, afterMinute)) {
        ShiftFailed(host_, kBadAnswer); // no time came back: nothing is known
        return false;
    }
    if (afterHour * 60 + afterMinute == before) {
        // The printer takes one shift a day and quietly ignores the next.
        Refuse(host_, QStringLiteral("             Nie udało się przestawić zegara:                \r"
                                     "Nie można przestawiać zegara dwa razy w ciągu tej samej doby."));
        return false;
    }
    return true;
}
