// The "&Podatki" menu's commands: the tax rates read and written.
#pragma once

#include "common/MenuHost.h"
#include "common/MenuItems.h"

#include <array>
#include <cstdint>

class TfOdczytStawek;
class TfStawkiPodatkowe;

class TaxesMenu {
  public:
    // The dialogs the commands show belong to the window, which outlives the menu.
    TaxesMenu(MenuHost &host, TfOdczytStawek &odczytStawek, TfStawkiPodatkowe &stawkiPodatkowe)
        : host_(host), odczytStawek_(odczytStawek), stawkiPodatkowe_(stawkiPodatkowe) {}
    // Connects the menu's items to its commands.
    void Attach(const MenuItems &items);

    void ShowRates();  // "&Odczyt"
    void WriteRates(); // "&Zapis"
    // The tax-rate dialog preset with the rates collects them for the
    // fiscalisation. True with the rates chosen on "&Tak".
    bool AskFiscalisationRates(std::array<int32_t, 7> &rates);

  private:
    MenuHost &host_;
    TfOdczytStawek &odczytStawek_;
    TfStawkiPodatkowe &stawkiPodatkowe_;
};
