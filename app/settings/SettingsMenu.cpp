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
    if (!host_.DeviceCheck(type) || !host_.CmosCheck()) return;
    int32_t number = 0;
    std::string code;
    host_.SetBusyCursor();
    const int32_t result = PrinterNumber(number, code);
    host_.SetArrowCursor();
    if (result != 0) {
        host_.ShowCommandError(result);
        return;
    }
    numerKasy_.seNrKasy->setValue(number);
    numerKasy_.eKod->setText(FromDriver(code));
    ErrorBeep();
    numerKasy_.ShowModal();
    host_.ClearActivityMessage();
}

void SettingsMenu::EditFeedLines() {
    uint8_t type = 9;
    if (!host_.DeviceCheck(type) || !host_.CmosCheck()) return;
    // The PEXA printers may feed no line at all; the others feed at least 3.
    const int lowest = (type == 7 || type == 8 || type == 9) ? 0 : 3;
    iloscWierszy_.seIloscWierszy->setMinimum(lowest);
    iloscWierszy_.seIloscWierszy->setValue(lowest);
    ErrorBeep();
    iloscWierszy_.ShowModal();
    host_.ClearActivityMessage();
}

void SettingsMenu::EditRounding() {
    uint8_t type = 9;
    if (!host_.DeviceCheck(type) || !host_.CmosCheck()) return;
    ErrorBeep();
    sposobZaokraglania_.ShowModal();
    host_.ClearActivityMessage();
}
