#include "settings/TfDataEuroPrzeglad.h"

#include "common/ErrorBeep.h"
#include "common/MessageBoxes.h"
#include "common/TBusyScope.h"
#include "core/AppState.h"

#include "ops/Settings.h"
#include "ops/Status.h"

#include <QDateEdit>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
darvo::ops::ServiceDateKind Which(bool euro) {
    return euro ? darvo::ops::ServiceDateKind::Euro : darvo::ops::ServiceDateKind::NextService;
}
} // namespace

QDate ProposedServiceDate(bool euro, const QDate &today) {
    return euro ? today : today.addYears(1);
}

TfDataEuroPrzeglad::TfDataEuroPrzeglad(QWidget *parent, CommandHost &host)
    : TDialog(parent, host, QStringLiteral("fDataEuroPrzeglad"), QString()) {
    dtDate = new QDateEdit(this);
    dtDate->setObjectName(QStringLiteral("dtDate"));
    dtDate->setDisplayFormat(QLocale(QLocale::Polish).dateFormat(QLocale::LongFormat));
    // The printer keeps two-digit years of the 2000s: 2099 is the last
    // year it can hold.
    dtDate->setDateRange(QDate(2007, 1, 1), QDate(2099, 12, 31));
    dtDate->setCalendarPopup(true);
    dtDate->setDate(QDate::currentDate());

    bOdczyt = new QPushButton(QStringLiteral("&Odczyt z drukarki"), this);
    bOdczyt->setObjectName(QStringLiteral("bOdczyt"));
    bOdczyt->setAutoDefault(false);
    bZapis = new QPushButton(QStringLiteral("&Zapis do drukarki"), this);
    bZapis->setObjectName(QStringLiteral("bZapis"));
    bZapis->setAutoDefault(false); // no default: Enter in the date never writes it
    connect(bOdczyt, &QPushButton::clicked, this, [this] { ReadFromPrinter(); });
    connect(bZapis, &QPushButton::clicked, this, [this] { WriteToPrinter(); });

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(bOdczyt);
    buttons->addWidget(bZapis);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(dtDate);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

int TfDataEuroPrzeglad::ShowFor(bool euro) {
    euro_ = euro;
    return ShowModal();
}

void TfDataEuroPrzeglad::FormActivate() {
    ReadFromPrinter();
}

void TfDataEuroPrzeglad::ReadFromPrinter() {
    TBusyScope busy(host_, {bOdczyt, bZapis});
    const bool euro = euro_;
    uint8_t year = 0, month = 0, day = 0;
    if (int32_t code = darvo::ops::ReadServiceDate(Which(euro), year, month, day); code != 0) {
        host_.ShowCommandError(code);
        return;
    }
    if (year == 0 && month == 0 && day == 0) {
        ErrorBeep();
        ShowBox(BoxKind::Warning, QStringLiteral("UWAGA"),
                euro ? QStringLiteral("W drukarce brak daty przejścia na euro")
                     : QStringLiteral("W drukarce brak daty kolejnego przeglądu"));
        dtDate->setDate(ProposedServiceDate(euro, QDate::currentDate()));
        return;
    }
    const QDate date(2000 + year, month, day);
    // A date the picker cannot show is as wrong as one that does not exist.
    if (!date.isValid() || date < dtDate->minimumDate() || date > dtDate->maximumDate()) {
        ErrorBeep();
        ErrorBox(euro ? QStringLiteral("W drukarce wpisana niewłaściwa data przejścia na euro")
                      : QStringLiteral("W drukarce wpisana niewłaściwa data kolejnego przeglądu"));
        return;
    }
    dtDate->setDate(date);
}

void TfDataEuroPrzeglad::WriteToPrinter() {
    TBusyScope busy(host_, {bOdczyt, bZapis});
    WriteDate();
    host_.ClearActivityMessage();
}

void TfDataEuroPrzeglad::WriteDate() {
    const bool euro = euro_;
    uint8_t type = 9;
    if (!host_.DeviceCheck(type)) return;
    host_.SetBusyCursor();
    for (;;) {
        darvo::ops::Status status;
        if (int32_t code = darvo::ops::ReadStatus(status); code != 0) {
            host_.ShowCommandError(code);
            return;
        }
        if (status.bits.serviceJumper) break;
        host_.SetArrowCursor();
        ErrorBeep();
        const BoxAnswer again = ShowBox(BoxKind::ErrorQuestion, QStringLiteral("Błąd"),
                                        QStringLiteral("Ustawienie daty jest niemożliwe.\r"
                                                       "Zwora serwisowa jest w pozycji normalnej.        \r"
                                                       "Czy sprawdzić stan zwory ponownie?        "));
        if (again != BoxAnswer::Yes) return;
        host_.SetBusyCursor();
    }
    const QDate date = dtDate->date();
    const int32_t code =
        darvo::ops::WriteServiceDate(Which(euro), static_cast<uint8_t>(date.year() - 2000),
                                     static_cast<uint8_t>(date.month()), static_cast<uint8_t>(date.day()));
    if (code != 0) {
        host_.ShowCommandError(code);
        return;
    }
    host_.SetArrowCursor();
    ErrorBeep();
    ShowBox(BoxKind::Information, QStringLiteral("Informacja"),
            euro ? QStringLiteral("Zapisano datę wprowadzenia euro do drukarki fiskalnej")
                 : QStringLiteral("Zapisano datę następnego przeglądu do drukarki fiskalnej"));
}
