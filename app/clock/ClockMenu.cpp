// The "Zegar" menu of the main window: its commands.
#include "shell/TGlowneOkno.h"

#include "clock/TfDataGodzina.h"
#include "clock/TfPrzestawianie.h"
#include "clock/TfUstawZegar.h"
#include "common/ErrorBeep.h"
#include "common/MessageBoxes.h"
#include "core/AppState.h"

#include "darvodr/Session.h"

#include <QDateTime>
#include <QDateEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTime>
#include <QTimer>

namespace {

const QString kCannotInit = QStringLiteral("Zainicjowanie zegara drukarki fiskalnej jest niemożliwe.\r");

} // namespace

void TGlowneOkno::ConnectClockMenu() {
    OnItem("Odczytzegara1", &TGlowneOkno::Odczytzegara1Click);
    OnItem("Przestawianiezegara1", &TGlowneOkno::Przestawianiezegara1Click);
    OnItem("Inicjowaniezegara1", &TGlowneOkno::Inicjowaniezegara1Click);
}

void TGlowneOkno::Odczytzegara1Click() {
    uint8_t type = 9;
    if (!DeviceCheck(type) || !fDataGodzina) return;
    // The arrow while the clock runs: the dialog is there to be looked at.
    SetArrowCursor();
    ErrorBeep();
    fDataGodzina->ShowModal();
    fDataGodzina->tZegar->stop();
    ClearActivityMessage();
}

void TGlowneOkno::Przestawianiezegara1Click() {
    uint8_t type = 9;
    if (!DeviceCheck(type) || !CmosCheck() || !fPrzestawianie) return;
    fPrzestawianie->ShowClock = [this] { Odczytzegara1Click(); };
    ErrorBeep();
    fPrzestawianie->ShowModal();
    ClearActivityMessage();
}

void TGlowneOkno::Inicjowaniezegara1Click() {
    if (!fUstawZegar) return;
    fUstawZegar->pbZegar->setValue(0);
    uint8_t type = 9;
    if (!DeviceCheck(type)) return;
    for (;;) {
        darvo::StatusSet status;
        SetBusyCursor();
        const int32_t code = darvo::ReadStatusBytes(status);
        SetArrowCursor();
        if (code != 0) {
            ShowCommandError(code);
            return;
        }
        const uint8_t *b = status.bytes;
        QString refusal;
        if (!(b[2] & 16))
            refusal =
                kCannotInit + QStringLiteral("               Zegar jest już zainicjowany.             ");
        else if (b[3] & 8)
            refusal =
                kCannotInit + QStringLiteral("Zbyt niskie napięcie akumulatora podtrzymującego pamięć CMOS.");
        else if (status.count >= 5 && (b[5] & 64))
            refusal = kCannotInit + QStringLiteral("Brak napięcia programującego pamięć fiskalną.");
        else if (status.count >= 7 && (b[7] & 2))
            refusal = kCannotInit + QStringLiteral("Niskie napięcie akumulatora głównego.");
        else if ((b[1] & 8) && (b[3] & 4))
            refusal = kCannotInit + QStringLiteral("Awaria drukarki");
        if (!refusal.isEmpty()) {
            RefuseCommand(refusal);
            return;
        }
        if ((b[1] & 8) && !(b[4] & 64)) {
            // In fiscal mode the clock is set with the service jumper on.
            ErrorBeep();
            ClearActivityMessage();
            const BoxAnswer again = ShowBox(
                BoxKind::ErrorQuestion, QStringLiteral("Błąd"),
                kCannotInit + QStringLiteral("       Zwora serwisowa jest w pozycji normalnej.        \r"
                                             "       Czy sprawdzić stan zwory ponownie?        "));
            if (again == BoxAnswer::Yes) continue;
            return;
        }
        break;
    }
    const QDateTime now = CurrentDateTime();
    fUstawZegar->dtDate->setDate(now.date());
    fUstawZegar->meZegar->setText(now.time().toString(QStringLiteral("hh:mm")));
    fUstawZegar->Button1->setEnabled(true);
    fUstawZegar->ShowClock = [this] { Odczytzegara1Click(); };
    ErrorBeep();
    fUstawZegar->ShowModal();
    ClearActivityMessage();
}
