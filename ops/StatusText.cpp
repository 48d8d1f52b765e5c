// The status bytes in the printer's words: every bit that is set.
#include "Status.h"
#include "Text.h"

namespace darvo::ops {

std::vector<std::string> StatusTexts(const std::array<uint8_t, 9> &b, int count, bool hasByte8,
                                     int deviceType) {
    std::vector<std::string> lines;
    auto bit = [&b](int byte, int n) { return (b[static_cast<size_t>(byte)] >> n & 1) != 0; };
    auto add = [&lines](bool when, const char *text) {
        if (when) lines.emplace_back(text);
    };

    add(!bit(1, 0), "!!!BRAK DANYCH O PRODUCENCIE!!!");
    add(true, bit(1, 1) ? "Wpisane dane o użytkowniku" : "Brak danych o użytkowniku");
    add(bit(1, 2), "Moduł w trybie tylko odczyt");
    add(true, bit(1, 3) ? "Moduł w trybie fiskalnym" : "Moduł w trybie szkoleniowym");
    const int version = b[1] >> 4;
    lines.push_back(std::string("Wersja oprogramowania w module : ") + (version < 10 ? "0" : "") +
                    std::to_string(version));

    static const char *const byte2[7] = {
        "Brak wolnego miejsca w bazie kontrolnej nazw i stawek",
        "W pamięci znajduje się dokument do wydrukowania",
        "W pamięci fiskalnej zostało mniej niż 30 rekordów do zapisania",
        "Nie został wykonany raport dobowy za poprzedni dzień sprzedaży",
        "Skasowana pamięć CMOS.",
        "Nastąpiło zablokowanie nazwy towaru w paragonie",
        "Brak wyświetlacza klienta",
    };
    for (int n = 0; n < 7; ++n)
        add(bit(2, n), byte2[n]);

    // Without the printer's controller bytes 3 and 4 and the paper and head
    // bits of byte 5 mean nothing.
    const bool noController = bit(2, 7);
    if (noController) {
        add(true, "Brak komunikacji z kontrolerem drukarki");
    } else {
        add(bit(3, 0), "Trwa drukowanie dokumentu (w buforze drukarki są znaki do wydrukowania)");
        add(bit(3, 1) && count < 5, "Brak papieru (zapalona jest LED PAPER OUT)");
        add(bit(3, 2), "Awaria drukarki");
        add(bit(3, 3), deviceType == 3 || deviceType == 6
                           ? "Za niskie napięcie baterii na pakiecie głównym (lub podtrzymującej zegar), "
                             "dalsza praca możliwa ale powiadom serwis"
                           : "Za niskie napięcie baterii na pakiecie głównym, dalsza praca możliwa ale "
                             "powiadom serwis");
        add(bit(3, 4), "Nastąpiło unieważnienie paragonu");
        add(bit(3, 5), "W pamięci paragonu zostało mniej niż 1 kB miejsca");
        add(bit(3, 6), "Wydruk dokumentu zatrzymany z powodu braku papieru");
        add(bit(4, 6), "Zwora serwisowa w pozycji serwisowej");
        add(true, bit(4, 3) ? "Szuflada zamknięta lub niepodłączona" : "Szuflada otwarta");
    }
    if (count > 4) {
        add(bit(5, 0), "BRAK ZASILANIA SIECIOWEGO (TYLKO AKUMULATOR)");
        if (!noController) {
            add(bit(5, 2), "BRAK PAPIERU W DRUKARCE ORYGINAŁU");
            add(bit(5, 3), "BRAK PAPIERU W DRUKARCE KOPII");
            add(bit(5, 4), "PODNIESIONA GŁOWICA W DRUKARCE ORYGINAŁU");
            add(bit(5, 5), "PODNIESIONA GŁOWICA W DRUKARCE KOPII");
        }
        add(bit(5, 6), "!!!BRAK NAPIĘCIA PROGRAMOWANIA DLA PAMIĘCI FISKALNEJ!!!");
    }
    if (count > 5 && b[6] >= 33 && b[6] <= 144)
        lines.push_back("Przyczyna ostatniego unieważnienia paragonu: " +
                        FromCp1250(std::string(1, static_cast<char>(b[6]))));
    if (count > 6) {
        add(bit(7, 0), "NIE ZOSTAŁ WYKRYTY AKUMULATOR GŁÓWNY");
        add(bit(7, 1), "NISKIE NAPIĘCIE AKUMULATORA GŁÓWNEGO");
    }
    if (hasByte8) {
        add(bit(8, 0), "W buforze wycen leków znajdują się dane");
        add(bit(8, 1), "Bufor wycen leków zapełniony");
    }
    return lines;
}

} // namespace darvo::ops
