// The "Raporty" menu of the main window: its commands.
#include "NivraSWindows.h"

void TGlowneOkno::ConnectReportsMenu() {}
