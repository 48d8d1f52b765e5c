// The "Testy" menu of the main window: its commands.
#include "NivraSWindows.h"

#include "ErrorBeep.h"
#include "ustatusy.h"

#include <QTimer>

void TGlowneOkno::ConnectTestsMenu() {
    OnItem("Bajtystatusu1", &TGlowneOkno::Bajtystatusu1Click);
}

void TGlowneOkno::Bajtystatusu1Click() {
    uint8_t type = 9;
    if (!DeviceCheck(type)) return;
    ErrorBeep();
    fBajtyStatusu->ShowModal();
    fBajtyStatusu->tStatus->stop();
}
