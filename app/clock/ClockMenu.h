// The "&Zegar" menu's commands: the printer's clock read, shifted and initialised.
#pragma once

#include "common/MenuHost.h"
#include "common/MenuItems.h"

class TfDataGodzina;
class TfPrzestawianie;
class TfUstawZegar;

class ClockMenu {
  public:
    // The dialogs the commands show belong to the window, which outlives the menu.
    ClockMenu(MenuHost &host, TfDataGodzina &dataGodzina, TfPrzestawianie &przestawianie,
              TfUstawZegar &ustawZegar)
        : host_(host), dataGodzina_(dataGodzina), przestawianie_(przestawianie), ustawZegar_(ustawZegar) {}
    // Connects the menu's items to its commands.
    void Attach(const MenuItems &items);

    void ShowClock();  // "&Odczyt zegara"
    void ShiftClock(); // "&Przestawianie zegara"
    // True when the user tried to set the clock.
    bool InitialiseClock(); // "&Inicjowanie zegara"

  private:
    MenuHost &host_;
    TfDataGodzina &dataGodzina_;
    TfPrzestawianie &przestawianie_;
    TfUstawZegar &ustawZegar_;
};
