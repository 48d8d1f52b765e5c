// The "&Ustawienia" menu's commands: the cash register number, the lines fed and the rounding.
#pragma once

#include "common/MenuHost.h"
#include "common/MenuItems.h"

class SettingsMenu {
  public:
    explicit SettingsMenu(MenuHost &host) : host_(host) {}
    // Connects the menu's items to its commands.
    void Attach(const MenuItems &items);

    void EditRegisterNumber(); // "&Nr kasy i kod obsługującego"
    void EditFeedLines();      // "Ilość wierszy do wysunięcia"
    void EditRounding();       // "Sposób zaokrąglania"

  private:
    MenuHost &host_;
};
