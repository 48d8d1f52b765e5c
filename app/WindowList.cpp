#include "WindowList.h"

#include "Komunik.h"
#include "NivraSWindows.h"
#include "about.h"
#include "uOkresoweMiesieczne.h"
#include "urapokrwgdat.h"
#include "uraportyokresowe.h"
#include "ustatusy.h"

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
    new TfOkresoweWgNumerow(GlowneOkno);
    new TfBajtyStatusu(GlowneOkno);
    new TfRaportyOkresoweWgDat(GlowneOkno);
    new TfOkresoweMiesieczne(GlowneOkno);
    new TAboutBox(GlowneOkno);
}

void DestroyProgramWindows() {
    // The dialogs first: closing one still talks to the main window.
    delete AboutBox;
    AboutBox = nullptr;
    delete fOkresoweMiesieczne;
    fOkresoweMiesieczne = nullptr;
    delete fRaportyOkresoweWgDat;
    fRaportyOkresoweWgDat = nullptr;
    delete fBajtyStatusu;
    fBajtyStatusu = nullptr;
    delete fOkresoweWgNumerow;
    fOkresoweWgNumerow = nullptr;
    delete Komunikacja;
    Komunikacja = nullptr;
    delete GlowneOkno;
}
