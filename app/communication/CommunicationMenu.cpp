// The "Komunikacja" menu of the main window: the communication dialog and
// the about box.
#include "shell/TGlowneOkno.h"

#include "common/ErrorBeep.h"
#include "communication/TAboutBox.h"

void TGlowneOkno::ConnectCommunicationMenu() {
    OnItem("Parametry1", &TGlowneOkno::Parametry1Click);
    OnItem("Oprogramie1", &TGlowneOkno::Oprogramie1Click);
}

void TGlowneOkno::Parametry1Click() {
    ErrorBeep();
    ShowCommunicationDialog();
}

void TGlowneOkno::Oprogramie1Click() {
    ErrorBeep();
    if (AboutBox) AboutBox->exec();
    ClearActivityMessage();
}
