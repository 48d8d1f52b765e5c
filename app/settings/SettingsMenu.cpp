// The "Ustawienia" menu of the main window: its commands.
#include "settings/SettingsMenu.h"

#include "common/ErrorBeep.h"
#include "core/DriverText.h"
#include "settings/TfIloscWierszy.h"
#include "settings/TfNumerKasy.h"
#include "settings/TfSposobZaokraglania.h"

#include "darvodr.h"

#include <QLineEdit>
#include <QSpinBox>

void SettingsMenu::Attach(const MenuItems &items) {
    items.On("Nrkasyikodobsugujcego1", [this] { EditRegisterNumber(); });
    items.On("Ilo1", [this] { EditFeedLines(); });
    items.On("Sposbzaokrglania1", [this] { EditRounding(); });
}

void SettingsMenu::EditRegisterNumber() {
    uint8_t type = 9;
    if (!host_.DeviceCheck(type) || !host_.CmosCheck() || !fNumerKasy) return;
    int32_t number = 0;
    std::string code;
    host_.SetBusyCursor();
    const int32_t result = PrinterNumber(number, code);
    host_.SetArrowCursor();
    if (result != 0) {
        host_.ShowCommandError(result);
        return;
    }
    fNumerKasy->seNrKasy->setValue(number);
    fNumerKasy->eKod->setText(FromDriver(code));
    ErrorBeep();
    fNumerKasy->ShowModal();
    host_.ClearActivityMessage();
}

void SettingsMenu::EditFeedLines() {
    uint8_t type = 9;
    if (!host_.DeviceCheck(type) || !host_.CmosCheck() || !fIloscWierszy) return;
    // The PEXA printers may feed no line at all; the others feed at least 3.
    const int lowest = (type == 7 || type == 8 || type == 9) ? 0 : 3;
    fIloscWierszy->seIloscWierszy->setMinimum(lowest);
    fIloscWierszy->seIloscWierszy->setValue(lowest);
    ErrorBeep();
    fIloscWierszy->ShowModal();
    host_.ClearActivityMessage();
}

void SettingsMenu::EditRounding() {
    uint8_t type = 9;
    if (!host_.DeviceCheck(type) || !host_.CmosCheck() || !fSposobZaokraglania) return;
    ErrorBeep();
    fSposobZaokraglania->ShowModal();
    host_.ClearActivityMessage();
}
