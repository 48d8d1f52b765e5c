// The "Serwis" menu of the main window: its commands.
#include "NivraSWindows.h"

void TGlowneOkno::ConnectServiceMenu() {}
