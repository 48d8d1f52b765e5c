// The "Komunikacja" menu of the main window: the communication dialog and
// the about box.
#include "communication/CommunicationMenu.h"

#include "common/ErrorBeep.h"
#include "communication/TAboutBox.h"

void CommunicationMenu::Attach(const MenuItems &items) {
    items.On("Parametry1", [this] { ShowCommunicationParameters(); });
    items.On("Oprogramie1", [this] { ShowAbout(); });
}

void CommunicationMenu::ShowCommunicationParameters() {
    ErrorBeep();
    host_.ShowCommunicationDialog();
}

void CommunicationMenu::ShowAbout() {
    ErrorBeep();
    aboutBox_.exec();
    host_.ClearActivityMessage();
}
