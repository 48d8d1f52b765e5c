// The "Ustawienia PEXA/PEXA F" submenu of "&Ustawienia": its commands. The
// submenu is enabled only for the PEXA printers, so they run no device check.
#include "shell/TGlowneOkno.h"

#include "common/ErrorBeep.h"
#include "common/MessageBoxes.h"
#include "common/TRadioGroup.h"
#include "communication/TKomunikacja.h"
#include "core/AppState.h"
#include "core/DriverText.h"
#include "settings/TfDataEuroPrzeglad.h"
#include "settings/TfReklama.h"
#include "settings/TfReklamaOdczyt.h"
#include "settings/TfTekstyReklamowe.h"
#include "settings/TfUstawienia.h"

#include "ops/Display.h"

void TGlowneOkno::ConnectPexaSettingsMenu() {
    OnItem("Ustawienia2", &TGlowneOkno::Ustawienia2Click);
    OnItem("Datawprowadzeniaeuro1", &TGlowneOkno::Datawprowadzeniaeuro1Click);
    OnItem("Datanastpnegoprzegldu1", &TGlowneOkno::Datanastpnegoprzegldu1Click);
    OnItem("Odczyt2", &TGlowneOkno::Odczyt2Click);
    OnItem("Zapis2", &TGlowneOkno::Danenawy2Click);
    OnItem("Kasowanie1", &TGlowneOkno::Kasowanie1Click);
    OnItem("Liniereklamowe1", &TGlowneOkno::Liniereklamowe1Click);
}

void TGlowneOkno::Ustawienia2Click() {
    fUstawienia->ReconnectAtSpeed = [](uint16_t speed) {
        Komunikacja->rgPredkosc->SetItemIndex(ItemOfSpeed(speed));
        Komunikacja->Button1Click();
    };
    ErrorBeep();
    fUstawienia->ShowModal();
    ClearActivityMessage();
}

void TGlowneOkno::Datawprowadzeniaeuro1Click() {
    EuroDateSelected = true;
    fDataEuroPrzeglad->setWindowTitle(QStringLiteral("Data wprowadzenia euro"));
    fDataEuroPrzeglad->ShowModal();
    ClearActivityMessage();
}

void TGlowneOkno::Datanastpnegoprzegldu1Click() {
    EuroDateSelected = false;
    fDataEuroPrzeglad->setWindowTitle(QStringLiteral("Data następnego przeglądu okresowego"));
    fDataEuroPrzeglad->ShowModal();
    ClearActivityMessage();
}

void TGlowneOkno::Liniereklamowe1Click() {
    ErrorBeep();
    fTekstyReklamowe->ShowModal();
    ClearActivityMessage();
}

void TGlowneOkno::Odczyt2Click() {
    SetBusyCursor();
    darvo::ops::DisplayRows rows{};
    if (int32_t code = darvo::ops::ReadDisplayPicture(rows); code != 0) {
        ShowCommandError(code);
        ClearActivityMessage();
        return;
    }
    // The picture is built in memory: no file of the user's is touched.
    const QByteArray bitmap = DisplayReadBackBitmap(rows);
    SetArrowCursor();
    ErrorBeep();
    fReklamaOdczyt->LoadPicture(bitmap);
    fReklamaOdczyt->ShowModal();
    ClearActivityMessage();
}

void TGlowneOkno::Danenawy2Click() {
    SetArrowCursor();
    const QString file = fReklama->opOpen();
    if (file.isEmpty() || !LoadDisplayBitmap(file)) return;
    if (ShowBox(BoxKind::Question, QStringLiteral("Pytanie"),
                QStringLiteral("Czy zapisać dane do drukarki?")) == BoxAnswer::Yes) {
        SetBusyCursor();
        const int32_t code = darvo::ops::WriteDisplayPicture();
        SetArrowCursor();
        if (code == 0) {
            ErrorBeep();
            ClearActivityMessage();
            ShowBox(BoxKind::Information, QStringLiteral("Informacja"),
                    QStringLiteral("Zapisano dane na wyświetlacz do drukarki"));
        } else if (code == 234) {
            // Sent twice: stored, but the daily report will not print it.
            ErrorBeep();
            ClearActivityMessage();
            ShowBox(BoxKind::Warning, QStringLiteral("UWAGA"), ErrorMessageText(code));
        } else {
            ShowErrorCode(code);
        }
    }
    SetArrowCursor();
    ClearActivityMessage();
}

void TGlowneOkno::Kasowanie1Click() {
    SetBusyCursor();
    const int32_t code = darvo::ops::EraseDisplayPicture();
    SetArrowCursor();
    if (code != 0) {
        ShowErrorCode(code);
    } else {
        ErrorBeep();
        ShowBox(BoxKind::Information, QStringLiteral("Informacja"),
                QStringLiteral("Skasowano informacje na wyświetlacz"));
    }
    ClearActivityMessage();
}
