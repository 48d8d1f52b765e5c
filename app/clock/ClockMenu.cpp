// The "Zegar" menu of the main window: its commands.
#include "clock/ClockMenu.h"

#include "clock/TfDataGodzina.h"
#include "clock/TfPrzestawianie.h"
#include "clock/TfUstawZegar.h"
#include "common/ErrorBeep.h"
#include "common/MessageBoxes.h"
#include "core/AppState.h"

#include "ops/Clock.h"
#include "ops/Status.h"

#include <QDateTime>
#include <QDateEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTime>
#include <QTimer>

namespace {

const QString kCannotInit = QStringLiteral("Zainicjowanie zegara drukarki fiskalnej jest niemożliwe.\r");

} // namespace

void ClockMenu::Attach(const MenuItems &items) {
    items.On("Odczytzegara1", [this] { ShowClock(); });
    items.On("Przestawianiezegara1", [this] { ShiftClock(); });
    items.On("Inicjowaniezegara1", [this] { InitialiseClock(); });
}

void ClockMenu::ShowClock() {
    uint8_t type = 9;
    if (!host_.DeviceCheck(type)) return;
    // The arrow while the clock runs: the dialog is there to be looked at.
    host_.SetArrowCursor();
    ErrorBeep();
    dataGodzina_.ShowModal();
    dataGodzina_.tZegar->stop();
    host_.ClearActivityMessage();
}

void ClockMenu::ShiftClock() {
    uint8_t type = 9;
    if (!host_.DeviceCheck(type) || !host_.CmosCheck()) return;
    przestawianie_.ShowClock = [this] { ShowClock(); };
    ErrorBeep();
    przestawianie_.ShowModal();
    host_.ClearActivityMessage();
}

bool ClockMenu::InitialiseClock() {
    ustawZegar_.pbZegar->setValue(0);
    uint8_t type = 9;
    if (!host_.DeviceCheck(type)) return false;
    for (;;) {
        darvo::ops::Status status;
        host_.SetBusyCursor();
        const int32_t code = darvo::ops::ReadStatus(status);
        host_.SetArrowCursor();
        if (code != 0) {
            host_.ShowCommandError(code);
            return false;
        }
        using darvo::ops::ClockInitRefusal;
        const ClockInitRefusal refusal = darvo::ops::ClockInitRefusalOf(status.bits);
        QString text;
        switch (refusal) {
        case ClockInitRefusal::None:
        case ClockInitRefusal::ServiceJumperNormal: break;
        case ClockInitRefusal::AlreadySet:
            text = QStringLiteral("               Zegar jest już zainicjowany.             ");
            break;
        case ClockInitRefusal::BackupBatteryLow:
            text = QStringLiteral("Zbyt niskie napięcie akumulatora podtrzymującego pamięć CMOS.");
            break;
        case ClockInitRefusal::NoProgrammingVoltage:
            text = QStringLiteral("Brak napięcia programującego pamięć fiskalną.");
            break;
        case ClockInitRefusal::MainBatteryLow:
            text = QStringLiteral("Niskie napięcie akumulatora głównego.");
            break;
        case ClockInitRefusal::PrinterFailure: text = QStringLiteral("Awaria drukarki"); break;
        }
        if (!text.isEmpty()) {
            host_.RefuseCommand(kCannotInit + text);
            return false;
        }
        if (refusal == ClockInitRefusal::ServiceJumperNormal) {
            // In fiscal mode the clock is set with the service jumper on.
            ErrorBeep();
            host_.ClearActivityMessage();
            const BoxAnswer again = ShowBox(
                BoxKind::ErrorQuestion, QStringLiteral("Błąd"),
                kCannotInit + QStringLiteral("       Zwora serwisowa jest w pozycji normalnej.        \r"
                                             "       Czy sprawdzić stan zwory ponownie?        "));
            if (again == BoxAnswer::Yes) continue;
            return false;
        }
        break;
    }
    const QDateTime now = CurrentDateTime();
    ustawZegar_.dtDate->setDate(now.date());
    ustawZegar_.meZegar->setText(now.time().toString(QStringLiteral("hh:mm")));
    ustawZegar_.Button1->setEnabled(true);
    // After the printer took a new clock the live clock tells whether it is
    // really set.
    ustawZegar_.ShowClock = [this] {
        dataGodzina_.ExpectSetClock(true);
        ShowClock();
        dataGodzina_.ExpectSetClock(false);
    };
    ErrorBeep();
    ustawZegar_.ShowModal();
    host_.ClearActivityMessage();
    return ustawZegar_.Attempted();
}
