// The "Ustawienia PEXA/PEXA F" submenu of "&Ustawienia": its commands.
#include "NivraSWindows.h"

void TGlowneOkno::ConnectPexaSettingsMenu() {}
