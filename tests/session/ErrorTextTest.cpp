// The text of every result code, byte for byte in Windows-1250.
#include "darvodr/Session.h"
#include "darvodr/darvodr.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <gtest/gtest.h>
#include <set>
#include <string>

namespace {

// Windows-1250 of a UTF-8 text made of ASCII and the 18 Polish letters;
// kept apart from the driver's own conversion on purpose.
std::string W(const std::string &utf8) {
    static const struct {
        const char *utf8;
        char cp1250;
    } letters[] = {
        {"ą", '\xB9'}, {"ć", '\xE6'}, {"ę", '\xEA'}, {"ł", '\xB3'}, {"ń", '\xF1'}, {"ó", '\xF3'},
        {"ś", '\x9C'}, {"ź", '\x9F'}, {"ż", '\xBF'}, {"Ą", '\xA5'}, {"Ć", '\xC6'}, {"Ę", '\xCA'},
        {"Ł", '\xA3'}, {"Ń", '\xD1'}, {"Ó", '\xD3'}, {"Ś", '\x8C'}, {"Ź", '\x8F'}, {"Ż", '\xAF'},
    };
    std::string out;
    for (size_t i = 0; i < utf8.size();) {
        if (static_cast<unsigned char>(utf8[i]) < 0x80) {
            out += utf8[i++];
            continue;
        }
        bool found = false;
        for (const auto &l : letters) {
            if (utf8.compare(i, 2, l.utf8) == 0) {
                out += l.cp1250;
                i += 2;
                found = true;
                break;
            }
        }
        if (!found) ADD_FAILURE() << "not a Polish letter at " << i << " in " << utf8;
        if (!found) ++i;
    }
    return out;
}

std::string Text(int32_t code) {
    std::string text = "old";
    EXPECT_EQ(0, ErrMessage(code, text));
    return text;
}

std::string TimeoutText(const std::string &first, const std::string &eleventh) {
    const std::string lines[] = {
        first,
        "",
        "Możliwe przyczyny błędu:",
        "",
        "* drukarka fiskalna nie jest włączona. Należy włączyć drukarkę i poczekać",
        "  aż na wyświetlaczu klienta zaświeci się napis 'ON LINE',",
        "* drukarka fiskalna znajduje się w trybie 'OFF LINE'",
        "  należy nacisnąć równocześnie klawisze UP i DOWN drukarki fiskalnej,",
        "* kabel łączący komputer z drukarką fiskalną nie jest podłączony",
        "  lub jest podłączony niepoprawnie",
        eleventh,
        "",
        "Po sprawdzeniu opisanych przyczyn można spróbować, czy błąd został usunięty.",
    };
    std::string text = W(lines[0]);
    for (size_t i = 1; i < std::size(lines); ++i)
        text += "\r" + W(lines[i]);
    return text;
}

const char *const kUnknown = "Nieznany b\xB3\xB9"
                             "d (prawdopodobnie systemowy)";

} // namespace

TEST(ErrorTexts, TimeoutTextsLineByLine) {
    const std::string send =
        TimeoutText("TIMEOUT NADAWANIA: Komputer nie potrafi wysłać informacji do drukarki fiskalnej ",
                    "* drukarka jest podłączona do innego portu szeregowego niż wybrany w programie.");
    const std::string receive =
        TimeoutText("TIMEOUT ODBIERANIA: Komputer nie potrafi odebrać informacji z drukarki fiskalnej ",
                    "* w programie wybrano inną prędkość transmisji niż ustawiona w drukarce.");
    EXPECT_EQ(send, Text(20));
    EXPECT_EQ(receive, Text(21));
    EXPECT_EQ(621u, Text(20).size());
    for (int32_t code : {20, 21}) {
        std::string text = Text(code);
        EXPECT_EQ(12, std::count(text.begin(), text.end(), '\r')) << code;
        EXPECT_EQ(std::string::npos, text.find('\n')) << code;
        EXPECT_NE(std::string::npos, text.find("fiskalnej \r\rMo\xBF")) << code;
        EXPECT_NE(std::string::npos, text.find("\r  a\xBF na")) << code;
    }
}

TEST(ErrorTexts, SingleLineTexts) {
    EXPECT_EQ("", Text(0));
    EXPECT_EQ("Niemo\xBF"
              "liwe otwarcie portu. Port szeregowy jest prawdopodobnie u\xBFywany przez inn\xB9 "
              "aplikacj\xEA.",
              Text(5));
    EXPECT_EQ("Brak papieru lub podniesiona g\xB3owica mechanizmu drukuj\xB9"
              "cego.",
              Text(109));
    EXPECT_EQ("W bibliotece wystapi\xB3 wewn\xEAtrzny wyj\xB9tek.", Text(999));

    const struct {
        int32_t code;
        const char *utf8;
    } table[] = {
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
    };
    for (const auto &row : table)
        EXPECT_EQ(W(row.utf8), Text(row.code)) << row.code;
}

TEST(ErrorTexts, EveryOtherCodeIsUnknown) {
    for (int32_t code : {2, 26, -1, 1, 22, 25, 98, 115, 199, 242, 998, 1000, INT_MIN, INT_MAX})
        EXPECT_EQ(kUnknown, Text(code)) << code;
    // Exactly these codes have texts of their own.
    std::set<int32_t> own = {0, 5, 20, 21, 23, 24, 99, 999};
    for (int32_t c = 100; c <= 114; ++c)
        own.insert(c);
    for (int32_t c = 200; c <= 241; ++c)
        own.insert(c);
    for (int32_t code = -10; code <= 1100; ++code) {
        const std::string text = Text(code);
        EXPECT_EQ(own.count(code) == 0, text == kUnknown) << code;
        EXPECT_EQ(std::string::npos, text.find('?')) << code; // nothing lost in the conversion
    }
}

TEST(ErrorTexts, BufferVariant) {
    char buffer[700];
    for (int32_t code : {0, 5, 20, 21, 26, 109, 999, -1}) {
        std::memset(buffer, 'x', sizeof buffer);
        ASSERT_EQ(0, pErrMessage(code, buffer)) << code;
        const std::string text = Text(code);
        EXPECT_EQ(0, std::memcmp(buffer, text.c_str(), text.size() + 1)) << code;
        EXPECT_EQ('x', buffer[text.size() + 1]) << code; // nothing written past the zero
    }
    EXPECT_EQ(225, pErrMessage(20, nullptr));
}

TEST(ErrorTexts, InternalLookupMatches) {
    for (int32_t code : {0, 20, 109, 2})
        EXPECT_EQ(darvo::ErrorText(code), Text(code));
}
