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
#include "freklamaodczyt1.h"
#include "uOkresoweMiesieczne.h"
#include "uUstawienia.h"
#include "udaneuz.h"
#include "udataeuroprzeglad.h"
#include "urapokrwgdat.h"
#include "uraportyokresowe.h"
#include "ureklama.h"
#include "ustatusy.h"
#include "utekstyreklamowe.h"

#include <functional>
#include <vector>

namespace {

// How to destroy each dialog created, in the order of creation.
std::vector<std::function<void()>> &Created() {
    static std::vector<std::function<void()>> created;
    return created;
}

// Creates a dialog owned by the main window; its constructor sets the
// global that names it, which is cleared again when it is destroyed.
template <class Dialog> void Create(Dialog *&global) {
    new Dialog(GlowneOkno);
    Created().push_back([&global] {
        delete global;
        global = nullptr;
    });
}

} // namespace

// The main window first, then every dialog in this order (each lives for the
// whole run): TKomunikacja, TfOkresoweWgNumerow, TfDataGodzina,
// TfBajtyStatusu, TfRaportyOkresoweWgDat, TfOkresoweMiesieczne, TfUstawZegar,
// TfDaneUzytkownika, TfStawkiPodatkowe, TfNumerUnikatowy, TfOdczytStawek,
// TfNumerKasy, TfIloscWierszy, TfSposobZaokraglania, TAboutBox,
// TfTestWyswietlacza, TfPrzestawianie, TfDataINumer, TfUstawienia,
// TfDataEuroPrzeglad, TfReklama, TfTekstyReklamowe, TfReklamaOdczyt.
void CreateProgramWindows() {
    new TGlowneOkno;
    Create(Komunikacja);
    Create(fOkresoweWgNumerow);
    Create(fDataGodzina);
    Create(fBajtyStatusu);
    Create(fRaportyOkresoweWgDat);
    Create(fOkresoweMiesieczne);
    Create(fUstawZegar);
    Create(fDaneUzytkownika);
    Create(fStawkiPodatkowe);
    Create(fNumerUnikatowy);
    Create(fOdczytStawek);
    Create(fNumerKasy);
    Create(fIloscWierszy);
    Create(fSposobZaokraglania);
    Create(AboutBox);
    Create(fTestWyswietlacza);
    Create(fPrzestawianie);
    Create(fDataINumer);
    Create(fUstawienia);
    Create(fDataEuroPrzeglad);
    Create(fReklama);
    Create(fTekstyReklamowe);
    Create(fReklamaOdczyt);
}

void DestroyProgramWindows() {
    // The dialogs first, the last created first: closing one still talks to
    // the main window.
    std::vector<std::function<void()>> &created = Created();
    for (auto it = created.rbegin(); it != created.rend(); ++it)
        (*it)();
    created.clear();
    delete GlowneOkno;
}
