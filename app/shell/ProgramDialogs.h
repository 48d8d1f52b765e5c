// Every dialog of the program. The main window creates them right after
// itself, in the order of the members, and they live as long as it does;
// it hands each menu the dialogs its commands show.
#pragma once

class TKomunikacja;
class TfOkresoweWgNumerow;
class TfDataGodzina;
class TfBajtyStatusu;
class TfRaportyOkresoweWgDat;
class TfOkresoweMiesieczne;
class TfUstawZegar;
class TfDaneUzytkownika;
class TfStawkiPodatkowe;
class TfNumerUnikatowy;
class TfOdczytStawek;
class TfNumerKasy;
class TfIloscWierszy;
class TfSposobZaokraglania;
class TAboutBox;
class TfTestWyswietlacza;
class TfPrzestawianie;
class TfDataINumer;
class TfUstawienia;
class TfDataEuroPrzeglad;
class TfReklama;
class TfTekstyReklamowe;
class TfReklamaOdczyt;

struct ProgramDialogs {
    TKomunikacja *Komunikacja = nullptr;
    TfOkresoweWgNumerow *fOkresoweWgNumerow = nullptr;
    TfDataGodzina *fDataGodzina = nullptr;
    TfBajtyStatusu *fBajtyStatusu = nullptr;
    TfRaportyOkresoweWgDat *fRaportyOkresoweWgDat = nullptr;
    TfOkresoweMiesieczne *fOkresoweMiesieczne = nullptr;
    TfUstawZegar *fUstawZegar = nullptr;
    TfDaneUzytkownika *fDaneUzytkownika = nullptr;
    TfStawkiPodatkowe *fStawkiPodatkowe = nullptr;
    TfNumerUnikatowy *fNumerUnikatowy = nullptr;
    TfOdczytStawek *fOdczytStawek = nullptr;
    TfNumerKasy *fNumerKasy = nullptr;
    TfIloscWierszy *fIloscWierszy = nullptr;
    TfSposobZaokraglania *fSposobZaokraglania = nullptr;
    TAboutBox *AboutBox = nullptr;
    TfTestWyswietlacza *fTestWyswietlacza = nullptr;
    TfPrzestawianie *fPrzestawianie = nullptr;
    TfDataINumer *fDataINumer = nullptr;
    TfUstawienia *fUstawienia = nullptr;
    TfDataEuroPrzeglad *fDataEuroPrzeglad = nullptr;
    TfReklama *fReklama = nullptr;
    TfTekstyReklamowe *fTekstyReklamowe = nullptr;
    TfReklamaOdczyt *fReklamaOdczyt = nullptr;
};
