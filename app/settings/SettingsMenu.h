// The "&Ustawienia" menu's commands: the cash register number, the lines fed and the rounding.
#pragma once

#include "common/MenuHost.h"
#include "common/MenuItems.h"

class TfNumerKasy;
class TfIloscWierszy;
class TfSposobZaokraglania;

class SettingsMenu {
  public:
    // The dialogs the commands show belong to the window, which outlives the menu.
    SettingsMenu(MenuHost &host, TfNumerKasy &numerKasy, TfIloscWierszy &iloscWierszy,
                 TfSposobZaokraglania &sposobZaokraglania)
        : host_(host), numerKasy_(numerKasy), iloscWierszy_(iloscWierszy),
          sposobZaokraglania_(sposobZaokraglania) {}
    // Connects the menu's items to its commands.
    void Attach(const MenuItems &items);

    void EditRegisterNumber(); // "&Nr kasy i kod obsługującego"
    void EditFeedLines();      // "Ilość wierszy do wysunięcia"
    void EditRounding();       // "Sposób zaokrąglania"

  private:
    MenuHost &host_;
    TfNumerKasy &numerKasy_;
    TfIloscWierszy &iloscWierszy_;
    TfSposobZaokraglania &sposobZaokraglania_;
};
