// The "&Zegar" menu's commands: the printer's clock read, shifted and initialised.
#pragma once

#include "common/MenuHost.h"
#include "common/MenuItems.h"

class ClockMenu {
  public:
    explicit ClockMenu(MenuHost &host) : host_(host) {}
    // Connects the menu's items to its commands.
    void Attach(const MenuItems &items);

    void ShowClock();  // "&Odczyt zegara"
    void ShiftClock(); // "&Przestawianie zegara"
    // True when the user tried to set the clock.
    bool InitialiseClock(); // "&Inicjowanie zegara"

  private:
    MenuHost &host_;
};
