// The "&Testy" menu's commands: whether a receipt can be issued, the status monitor, the display, drawer and
// fiscal memory tests and the unique number.
#pragma once

#include "common/MenuHost.h"
#include "common/MenuItems.h"

#include <functional>

class TestsMenu {
  public:
    explicit TestsMenu(MenuHost &host) : host_(host) {}
    // Connects the menu's items to its commands.
    void Attach(const MenuItems &items);

    void CheckReceiptConditions(); // "Stan drukarki"
    void ShowStatusMonitor();      // "Bajty statusu"
    void DisplayTest();            // "Wyświetlacz"
    void DrawerTest();             // "Szuflada"
    void FiscalMemoryTest();       // "Pamięć PROM"
    void ShowUniqueNumber();       // "Numer unikatowy"

    // The commands of other menus this one runs; the shell connects them.
    std::function<void()> EditUserData;   // "Użytkownik" of the service menu
    std::function<void()> RunDailyReport; // "Fiskalny dobowy" of the reports menu
    std::function<void()> WriteRates;     // "Zapis" of the taxes menu

  private:
    MenuHost &host_;
};
