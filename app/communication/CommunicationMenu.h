// The "&Komunikacja" menu's commands: the communication dialog and the about box.
#pragma once

#include "common/MenuHost.h"
#include "common/MenuItems.h"

class CommunicationMenu {
  public:
    explicit CommunicationMenu(MenuHost &host) : host_(host) {}
    // Connects the menu's items to its commands.
    void Attach(const MenuItems &items);

    void ShowCommunicationParameters(); // "Parametry"
    void ShowAbout();                   // "O programie"

  private:
    MenuHost &host_;
};
