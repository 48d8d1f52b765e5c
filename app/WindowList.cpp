#include "WindowList.h"

#include "Komunik.h"
#include "NivraSWindows.h"
#include "about.h"
#include "freklamaodczyt1.h"
#include "uUstawienia.h"
#include "udaneuz.h"
#include "udataeuroprzeglad.h"
#include "ureklama.h"
#include "utekstyreklamowe.h"

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
    new TfUstawienia(GlowneOkno);
    new TfDataEuroPrzeglad(GlowneOkno);
    new TfReklama(GlowneOkno);
    new TfTekstyReklamowe(GlowneOkno);
    new TfReklamaOdczyt(GlowneOkno);
}

void DestroyProgramWindows() {
    // The dialogs first: closing one still talks to the main window.
    delete fReklamaOdczyt;
    fReklamaOdczyt = nullptr;
    delete fTekstyReklamowe;
    fTekstyReklamowe = nullptr;
    delete fReklama;
    fReklama = nullptr;
    delete fDataEuroPrzeglad;
    fDataEuroPrzeglad = nullptr;
    delete fUstawienia;
    fUstawienia = nullptr;
    delete AboutBox;
    AboutBox = nullptr;
    delete fDaneUzytkownika;
    fDaneUzytkownika = nullptr;
    delete Komunikacja;
    Komunikacja = nullptr;
    delete GlowneOkno;
}
