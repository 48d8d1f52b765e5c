#include "WindowList.h"

#include "Komunik.h"
#include "NivraSWindows.h"
#include "about.h"
#include "udaneuz.h"

// The order of creation, dialogs still to come included: TGlowneOkno,
// TKomunikacja, TfOkresoweWgNumerow, TfDataGodzina, TfBajtyStatusu,
// TfRaportyOkresoweWgDat, TfOkresoweMiesieczne, TfUstawZegar,
// TfDaneUzytkownika, TfStawkiPodatkowe, TfNumerUnikatowy, TfOdczytStawek,
// TfNumerKasy, TfIloscWierszy, TfSposobZaokraglania, TAboutBox,
// TfTestWyswietlacza, TfPrzestawianie, TfDataINumer, TfUstawienia,
// TfDataEuroPrzeglad, TfReklama, TfTekstyReklamowe, TfReklamaOdczyt.
void CreateProgramWindows() {
    new TGlowneOkno;
    new TKomunikacja(GlowneOkno);
    new TfDaneUzytkownika(GlowneOkno);
    new TAboutBox(GlowneOkno);
}

void DestroyProgramWindows() {
    // The dialogs first: closing one still talks to the main window.
    delete AboutBox;
    AboutBox = nullptr;
    delete fDaneUzytkownika;
    fDaneUzytkownika = nullptr;
    delete Komunikacja;
    Komunikacja = nullptr;
    delete GlowneOkno;
}
