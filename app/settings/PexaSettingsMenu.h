// The "Ustawienia PEXA/PEXA F" submenu's commands: the settings, the euro and service dates, the display
// picture and the advertising lines. The submenu is enabled only for the PEXA printers, so they run no device
// check.
#pragma once

#include "common/MenuHost.h"
#include "common/MenuItems.h"

class TfUstawienia;
class TfDataEuroPrzeglad;
class TfTekstyReklamowe;
class TfReklamaOdczyt;
class TfReklama;

class PexaSettingsMenu {
  public:
    // The dialogs the commands show belong to the window, which outlives the menu.
    PexaSettingsMenu(MenuHost &host, TfUstawienia &ustawienia, TfDataEuroPrzeglad &dataEuroPrzeglad,
                     TfTekstyReklamowe &tekstyReklamowe, TfReklamaOdczyt &reklamaOdczyt, TfReklama &reklama)
        : host_(host), ustawienia_(ustawienia), dataEuroPrzeglad_(dataEuroPrzeglad),
          tekstyReklamowe_(tekstyReklamowe), reklamaOdczyt_(reklamaOdczyt), reklama_(reklama) {}
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
    TfUstawienia &ustawienia_;
    TfDataEuroPrzeglad &dataEuroPrzeglad_;
    TfTekstyReklamowe &tekstyReklamowe_;
    TfReklamaOdczyt &reklamaOdczyt_;
    TfReklama &reklama_;
};
