// The "&Testy" menu's commands: whether a receipt can be issued, the status monitor, the display, drawer and
// fiscal memory tests and the unique number.
#pragma once

#include "common/MenuHost.h"
#include "common/MenuItems.h"

#include <functional>

class TfBajtyStatusu;
class TfNumerUnikatowy;
class TfTestWyswietlacza;

class TestsMenu {
  public:
    // The dialogs the commands show belong to the window, which outlives the menu.
    TestsMenu(MenuHost &host, TfBajtyStatusu &bajtyStatusu, TfNumerUnikatowy &numerUnikatowy,
              TfTestWyswietlacza &testWyswietlacza)
        : host_(host), bajtyStatusu_(bajtyStatusu), numerUnikatowy_(numerUnikatowy),
          testWyswietlacza_(testWyswietlacza) {}
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
    TfBajtyStatusu &bajtyStatusu_;
    TfNumerUnikatowy &numerUnikatowy_;
    TfTestWyswietlacza &testWyswietlacza_;
};
