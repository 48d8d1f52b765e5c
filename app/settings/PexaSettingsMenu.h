// The "Ustawienia PEXA/PEXA F" submenu's commands: the settings, the euro and service dates, the display
// picture and the advertising lines. The submenu is enabled only for the PEXA printers, so they run no device
// check.
#pragma once

#include "common/MenuHost.h"
#include "common/MenuItems.h"

class PexaSettingsMenu {
  public:
    explicit PexaSettingsMenu(MenuHost &host) : host_(host) {}
    // Connects the menu's items to its commands.
    void Attach(const MenuItems &items);

    void EditSettings();        // "Ustawienia"
    void EditEuroDate();        // "Data wprowadzenia euro"
    void EditServiceDate();     // "Data następnego przeglądu"
    void ShowDisplayPicture();  // "Odczyt"
    void WriteDisplayPicture(); // "Zapis"
    void EraseDisplayPicture(); // "Kasowanie"
    void EditAdvertLines();     // "Linie reklamowe"

  private:
    MenuHost &host_;
};
