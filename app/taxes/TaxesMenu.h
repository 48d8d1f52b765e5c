// The "&Podatki" menu's commands: the tax rates read and written.
#pragma once

#include "common/MenuHost.h"
#include "common/MenuItems.h"

class TaxesMenu {
  public:
    explicit TaxesMenu(MenuHost &host) : host_(host) {}
    // Connects the menu's items to its commands.
    void Attach(const MenuItems &items);

    void ShowRates();  // "&Odczyt"
    void WriteRates(); // "&Zapis"

  private:
    MenuHost &host_;
};
