// The text of every result code, byte for byte in Windows-1250.
#include "darvodr/Session.h"
#include "darvodr/darvodr.h"

#include <climits>
#include <cstring>
#include <gtest/gtest.h>
#include <iconv.h>
#include <set>
#include <string>

namespace {

// Windows-1250 of a UTF-8 text, by the C library's iconv: kept apart from
// the driver's own conversion on purpose.
std::string W(const std::string &utf8) {
    iconv_t cd = ::iconv_open("CP1250", "UTF-8");
    std::string in = utf8, out(utf8.size(), '\0');
    char *from = in.data(), *to = out.data();
    size_t left = in.size(), room = out.size();
    EXPECT_NE(static_cast<size_t>(-1), ::iconv(cd, &from, &left, &to, &room)) << utf8;
    ::iconv_close(cd);
    out.resize(out.size() - room);
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

const char *const kUnknown = "Nieznany b\263\271d (prawdopodobnie systemowy)"; // "błąd"

} // namespace

TEST(ErrorTexts, TimeoutTextsLineByLine) {
    EXPECT_EQ(TimeoutText("TIMEOUT NADAWANIA: Komputer nie potrafi wysłać informacji do drukarki fiskalnej ",
                          "* drukarka jest podłączona do innego portu szeregowego niż wybrany w programie."),
              Text(20));
    EXPECT_EQ(TimeoutText("TIMEOUT ODBIERANIA: Komputer nie potrafi odebrać informacji z drukarki fiskalnej ",
                          "* w programie wybrano inną prędkość transmisji niż ustawiona w drukarce."),
              Text(21));
}

TEST(ErrorTexts, SingleLineTexts) {
    EXPECT_EQ("", Text(0));
    const struct {
        int32_t code;
        const char *utf8;
    } table[] = {
        // a sample across the table: plain, with diacritics, long
        {5, "Niemożliwe otwarcie portu. Port szeregowy jest prawdopodobnie używany przez inną aplikację."},
        {109, "Brak papieru lub podniesiona głowica mechanizmu drukującego."},
        {999, "W bibliotece wystapił wewnętrzny wyjątek."},
        {23, "Niepoprawna odpowiedź z drukarki."},
        {24, "NAK na sekwencję sterującą."},
        {104, "Brak danych uzytkownika."},
        {107, "Skasowana pamięć CMOS. Wejdź do inicjowania zegara."},
        {114, "Nieustawione parametry komunikacji (numer portu)."},
        {200, "Paragon rozpoczęty."},
        {210, "Nastapiło unieważnienie paragonu."},
        {225, "Bufor wejściowy ma zerową długość."},
        {234,
         "Powtórnie przesłano te same dane. Zostały one zapisane ale nie zostaną wydrukowane na raporcie "
         "dobowym."},
        {241, "Niezgodna pamięć fiskalna. Wymagana interwencja serwisu fabrycznego."},
    };
    for (const auto &row : table)
        EXPECT_EQ(W(row.utf8), Text(row.code)) << row.code;
}

// The buffer variant gives the same texts, and writes nothing past the zero.
TEST(ErrorTexts, EveryOtherCodeIsUnknown) {
    EXPECT_EQ(kUnknown, Text(INT_MIN));
    EXPECT_EQ(kUnknown, Text(INT_MAX));
    // Exactly these codes have texts of their own.
    std::set<int32_t> own = {0, 5, 20, 21, 23, 24, 99, 999};
    for (int32_t c = 100; c <= 114; ++c)
        own.insert(c);
    for (int32_t c = 200; c <= 241; ++c)
        own.insert(c);
    char buffer[700];
    for (int32_t code = -10; code <= 1100; ++code) {
        const std::string text = Text(code);
        EXPECT_EQ(own.count(code) == 0, text == kUnknown) << code;
        EXPECT_EQ(std::string::npos, text.find('?')) << code; // nothing lost in the conversion
        std::memset(buffer, 'x', sizeof buffer);
        ASSERT_EQ(0, pErrMessage(code, buffer)) << code;
        EXPECT_EQ(0, std::memcmp(buffer, text.c_str(), text.size() + 1)) << code;
        EXPECT_EQ('x', buffer[text.size() + 1]) << code;
    }
    EXPECT_EQ(225, pErrMessage(20, nullptr));
}
