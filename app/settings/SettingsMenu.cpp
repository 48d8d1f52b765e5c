// The "Ustawienia" menu of the main window: its commands.
#include "shell/TGlowneOkno.h"

#include "common/ErrorBeep.h"
#include "core/DriverText.h"
#include "settings/TfIloscWierszy.h"
#include "settings/TfNumerKasy.h"
#include "settings/TfSposobZaokraglania.h"

#include "darvodr.h"

#include <QLineEdit>
#include <QSpinBox>

void TGlowneOkno::ConnectSettingsMenu() {
    OnItem("Nrkasyikodobsugujcego1", &TGlowneOkno::Nrkasyikodobsugujcego1Click);
    OnItem("Ilo1", &TGlowneOkno::Ilo1Click);
    OnItem("Sposbzaokrglania1", &TGlowneOkno::Sposbzaokrglania1Click);
}

void TGlowneOkno::Nrkasyikodobsugujcego1Click() {
    uint8_t type = 9;
    if (!DeviceCheck(type) || !CmosCheck() || !fNumerKasy) return;
    int32_t number = 0;
    std::string code;
    SetBusyCursor();
    const int32_t result = PrinterNumber(number, code);
    SetArrowCursor();
    if (result != 0) {
        ShowCommandError(result);
        return;
    }
    fNumerKasy->seNrKasy->setValue(number);
    fNumerKasy->eKod->setText(FromDriver(code));
    ErrorBeep();
    fNumerKasy->ShowModal();
    ClearActivityMessage();
}

void TGlowneOkno::Ilo1Click() {
    uint8_t type = 9;
    if (!DeviceCheck(type) || !CmosCheck() || !fIloscWierszy) return;
    // The PEXA printers may feed no line at all; the others feed at least 3.
    const int lowest = (type == 7 || type == 8 || type == 9) ? 0 : 3;
    fIloscWierszy->seIloscWierszy->setMinimum(lowest);
    fIloscWierszy->seIloscWierszy->setValue(lowest);
    ErrorBeep();
    fIloscWierszy->ShowModal();
    ClearActivityMessage();
}

void TGlowneOkno::Sposbzaokrglania1Click() {
    uint8_t type = 9;
    if (!DeviceCheck(type) || !CmosCheck() || !fSposobZaokraglania) return;
    ErrorBeep();
    fSposobZaokraglania->ShowModal();
    ClearActivityMessage();
}
