// Result codes and their Polish texts. The texts are written here in UTF-8
// and handed out as Windows-1250 bytes.
#include "Cp1250.h"
#include "Guard.h"
#include "Session.h"
#include "darvodr.h"

#include <cstring>
#include <map>

namespace darvo {

namespace {

// Lines of the time-out texts are separated by a single carriage return.
#define CR "\r"

// The two time-out texts differ only in their first line and in one cause.
#define TIMEOUT_CAUSES_HEAD                                                                                  \
    CR CR "Możliwe przyczyny błędu:" CR CR                                                                   \
          "* drukarka fiskalna nie jest włączona. Należy włączyć drukarkę i poczekać" CR                     \
          "  aż na wyświetlaczu klienta zaświeci się napis 'ON LINE'," CR                                    \
          "* drukarka fiskalna znajduje się w trybie 'OFF LINE'" CR                                          \
          "  należy nacisnąć równocześnie klawisze UP i DOWN drukarki fiskalnej," CR                         \
          "* kabel łączący komputer z drukarką fiskalną nie jest podłączony" CR                              \
          "  lub jest podłączony niepoprawnie" CR
#define TIMEOUT_TAIL CR CR "Po sprawdzeniu opisanych przyczyn można spróbować, czy błąd został usunięty."

const char *const kSendTimeout =
    "TIMEOUT NADAWANIA: Komputer nie potrafi wysłać informacji do drukarki fiskalnej " TIMEOUT_CAUSES_HEAD
    "* drukarka jest podłączona do innego portu szeregowego niż wybrany w programie." TIMEOUT_TAIL;

const char *const kReceiveTimeout =
    "TIMEOUT ODBIERANIA: Komputer nie potrafi odebrać informacji z drukarki fiskalnej " TIMEOUT_CAUSES_HEAD
    "* w programie wybrano inną prędkość transmisji niż ustawiona w drukarce." TIMEOUT_TAIL;

#undef TIMEOUT_CAUSES_HEAD
#undef TIMEOUT_TAIL
#undef CR

const char *const kUnknown = "Nieznany błąd (prawdopodobnie systemowy)";

const std::map<int32_t, const char *> &Table() {
    static const std::map<int32_t, const char *> table = {
        {0, ""},
        {5, "Niemożliwe otwarcie portu. Port szeregowy jest prawdopodobnie używany przez inną aplikację."},
        {20, kSendTimeout},
        {21, kReceiveTimeout},
        {23, "Niepoprawna odpowiedź z drukarki."},
        {24, "NAK na sekwencję sterującą."},
        {99, "Komunikacja nie zainicjowana."},
        {100, "Brak danych producenta."},
        {101, "Zwora serwisowa w pozycji serwisowej."},
        {102, "Brak komunikacji z kontrolerem drukarki."},
        {103, "Awaria drukarki."},
        {104, "Brak danych uzytkownika."},
        {105, "Moduł fiskalny w trybie TYLKO ODCZYT."},
        {106, "Brak wyświetlacza klienta."},
        {107, "Skasowana pamięć CMOS. Wejdź do inicjowania zegara."},
        {108, "Zaległy raport dobowy do wykonania."},
        {109, "Brak papieru lub podniesiona głowica mechanizmu drukującego."},
        {110, "W pamięci znajduje się dokument do wydrukowania."},
        {111, "W buforze drukowania są znaki do wydrukowania."},
        {112, "Wydruk zatrzymany z powodu braku papieru."},
        {113, "Brak stawek podatkowych w drukarce."},
        {114, "Nieustawione parametry komunikacji (numer portu)."},
        {200, "Paragon rozpoczęty."},
        {201, "Paragon nierozpoczęty."},
        {202, "Za mało znaków znaczących (parametr <Nazwa> w ReceiptItem)."},
        {203, "Parametr <Stawka> w ReceiptItem poza zakresem."},
        {204, "Parametr <Komunikat> w ReceiptItem poza zakresem."},
        {205, "Parametr <Ilosc> w ReceiptItem poza zakresem."},
        {206, "Parametr <MP> w ReceiptItem poza zakresem."},
        {207, "Parametr <Jedn> w ReceiptItem poza zakresem."},
        {208, "Parametr <Cena> w ReceiptItem poza zakresem."},
        {209, "Parametr <Wartosc> w ReceiptItem rozny od <Ilosc>*<Cena>."},
        {210, "Nastapiło unieważnienie paragonu."},
        {211, "Zerowy licznik paragonów (brak sprzedaży po rap.dobowym)."},
        {212, "Parametr <DrawerNumber> w OpenDrawer poza zakresem."},
        {213, "Rozkaz niedostępny."},
        {214, "Parametr <Param> w PackageItem poza zakresem."},
        {215, "Parametr przekazany do funkcji poza zakresem."},
        {216, "Wszystkie linie po paragonie zajęte."},
        {217, "Stawki podatkowe niezapisane."},
        {218, "Niezerowy licznik paragonów. Należy wykonać raport dobowy."},
        {219, "Błędne daty dla raportu okresowego."},
        {220, "Brak raportów w podanym okresie."},
        {221, "Błędne numery dla raportu okresowego."},
        {222, "Niezakończony miesiąc."},
        {223, "Parametr N poza zakresem."},
        {224, "Rozkaz niedostępny w tym urządzeniu lub w tej wersji programu."},
        {225, "Bufor wejściowy ma zerową długość."},
        {226, "Stawka niezdefiniowana."},
        {227, "Przekroczona maksymalna wartość pozycji paragonowej."},
        {228, "Drukarka w trybie szkoleniowym."},
        {229, "Dane użytkownika nie zostały zapisane."},
        {230, "Pamięć CMOS nie jest skasowana."},
        {231, "Zwora serwisowa jest w pozycji normalnej."},
        {232, "Błąd sumy CRC w danych wysyłanych do drukarki"},
        {233, "Błąd kompletności (dane nie zostały przesłane we właściwej kolejności)"},
        {234,
         "Powtórnie przesłano te same dane. Zostały one zapisane ale nie zostaną wydrukowane na raporcie "
         "dobowym."},
        {235, "Nie można przesłać/skasować danych. Należy wydrukować poprzednie dane na raporcie dobowym."},
        {236, "Nie zidentyfikowano jednego z kontrolerów"},
        {237, "Należy wykonać przejście na euro"},
        {238, "Brak danych do wyświetlania w drukarce"},
        {239, "Zegar jest już zainicjowany"},
        {240, "Błędna sygnatura. Wymagana interwencja serwisu fabrycznego."},
        {241, "Niezgodna pamięć fiskalna. Wymagana interwencja serwisu fabrycznego."},
        {999, "W bibliotece wystapił wewnętrzny wyjątek."},
    };
    return table;
}

} // namespace

std::string ErrorText(int32_t code) {
    const auto &table = Table();
    auto it = table.find(code);
    return Utf8ToCp1250(it != table.end() ? it->second : kUnknown);
}

} // namespace darvo

using namespace darvo;

int32_t ErrMessage(int32_t code, std::string &text) {
    return Guarded("ErrMessage", [&]() -> int32_t {
        text.clear();
        text = ErrorText(code);
        return RC_OK;
    });
}

extern "C" int32_t pErrMessage(int32_t code, char *buffer) {
    return Guarded("pErrMessage", [&]() -> int32_t {
        if (!buffer) return RC_NULL_BUFFER;
        buffer[0] = '\0';
        const std::string text = ErrorText(code);
        std::memcpy(buffer, text.c_str(), text.size() + 1);
        return RC_OK;
    });
}
