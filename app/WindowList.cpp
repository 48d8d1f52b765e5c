#include "WindowList.h"

#include "Komunik.h"
#include "NivraSWindows.h"
#include "about.h"

void CreateProgramWindows() {
    new TGlowneOkno;
    new TKomunikacja(GlowneOkno);
    new TAboutBox(GlowneOkno);
}

void DestroyProgramWindows() {
    // The dialogs first: closing one still talks to the main window.
    delete AboutBox;
    AboutBox = nullptr;
    delete Komunikacja;
    Komunikacja = nullptr;
    delete GlowneOkno;
}
