#include "WindowList.h"

#include "Komunik.h"
#include "NivraSWindows.h"
#include "about.h"
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
    Create(fBajtyStatusu);
    Create(fRaportyOkresoweWgDat);
    Create(fOkresoweMiesieczne);
    Create(fDaneUzytkownika);
    Create(AboutBox);
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
