#include "WindowList.h"

#include "Komunik.h"
#include "NivraSWindows.h"
#include "about.h"
#include "d.h"
#include "fTestWysw.h"
#include "uDataGodzina.h"
#include "uDataGodzina1.h"
#include "uIloscWierszy.h"
#include "uSposobZaokraglania.h"
#include "uUstawZegar.h"
#include "unumerunikatowy.h"
#include "uodczytstawki.h"
#include "uprzestawczas.h"
#include "ustawkipodatkowe.h"
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
    new TfDataGodzina(GlowneOkno);
    new TfBajtyStatusu(GlowneOkno);
    new TfRaportyOkresoweWgDat(GlowneOkno);
    new TfOkresoweMiesieczne(GlowneOkno);
    new TfUstawZegar(GlowneOkno);
    new TfStawkiPodatkowe(GlowneOkno);
    new TfNumerUnikatowy(GlowneOkno);
    new TfOdczytStawek(GlowneOkno);
    new TfNumerKasy(GlowneOkno);
    new TfIloscWierszy(GlowneOkno);
    new TfSposobZaokraglania(GlowneOkno);
    new TAboutBox(GlowneOkno);
    new TfTestWyswietlacza(GlowneOkno);
    new TfPrzestawianie(GlowneOkno);
    new TfDataINumer(GlowneOkno);
}

namespace {
template <class T> void Destroy(T *&window) {
    delete window;
    window = nullptr;
}
} // namespace

void DestroyProgramWindows() {
    // The dialogs first, the last created first: closing one still talks
    // to the main window.
    Destroy(fDataINumer);
    Destroy(fPrzestawianie);
    Destroy(fTestWyswietlacza);
    Destroy(AboutBox);
    Destroy(fSposobZaokraglania);
    Destroy(fIloscWierszy);
    Destroy(fNumerKasy);
    Destroy(fOdczytStawek);
    Destroy(fNumerUnikatowy);
    Destroy(fStawkiPodatkowe);
    Destroy(fUstawZegar);
    Destroy(fOkresoweMiesieczne);
    Destroy(fRaportyOkresoweWgDat);
    Destroy(fBajtyStatusu);
    Destroy(fDataGodzina);
    Destroy(fOkresoweWgNumerow);
    Destroy(Komunikacja);
    delete GlowneOkno;
}
