#include "shell/WindowList.h"

#include "clock/ClockMenu.h"
#include "clock/TfDataGodzina.h"
#include "clock/TfPrzestawianie.h"
#include "clock/TfUstawZegar.h"
#include "communication/TAboutBox.h"
#include "communication/TKomunikacja.h"
#include "printertests/TfBajtyStatusu.h"
#include "printertests/TfNumerUnikatowy.h"
#include "printertests/TfTestWyswietlacza.h"
#include "reports/TfOkresoweMiesieczne.h"
#include "reports/TfOkresoweWgNumerow.h"
#include "reports/TfRaportyOkresoweWgDat.h"
#include "service/TfDaneUzytkownika.h"
#include "service/TfDataINumer.h"
#include "settings/TfDataEuroPrzeglad.h"
#include "settings/TfIloscWierszy.h"
#include "settings/TfNumerKasy.h"
#include "settings/TfReklama.h"
#include "settings/TfReklamaOdczyt.h"
#include "settings/TfSposobZaokraglania.h"
#include "settings/TfTekstyReklamowe.h"
#include "settings/TfUstawienia.h"
#include "shell/TGlowneOkno.h"
#include "taxes/TfOdczytStawek.h"
#include "taxes/TfStawkiPodatkowe.h"

#include <functional>
#include <vector>

namespace {

// How to destroy each dialog created, in the order of creation.
std::vector<std::function<void()>> &Created() {
    static std::vector<std::function<void()>> created;
    return created;
}

// Creates a dialog owned by the main window, which is its host; its
// constructor sets the global that names it, which is cleared again when it
// is destroyed.
template <class Dialog> void Create(Dialog *&global) {
    new Dialog(GlowneOkno, *GlowneOkno);
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
    Komunikacja->ClockInitialisationCommand = [] { return GlowneOkno->Clock().InitialiseClock(); };
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
