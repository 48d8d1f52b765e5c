// The "&Komunikacja" menu's commands: the communication dialog and the about box.
#pragma once

#include "common/MenuHost.h"
#include "common/MenuItems.h"

class TAboutBox;

class CommunicationMenu {
  public:
    // The dialogs the commands show belong to the window, which outlives the menu.
    CommunicationMenu(MenuHost &host, TAboutBox &aboutBox) : host_(host), aboutBox_(aboutBox) {}
    // Connects the menu's items to its commands.
    void Attach(const MenuItems &items);

    void ShowCommunicationParameters(); // "Parametry"
    void ShowAbout();                   // "O programie"

  private:
    MenuHost &host_;
    TAboutBox &aboutBox_;
};
