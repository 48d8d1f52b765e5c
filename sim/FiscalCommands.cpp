// Reports, the fiscal memory, and the service and configuration commands.
#include "FiscalSales.h"
#include "Printer.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace darvosim {

bool Date::Valid() const {
    if (year < 0 || year > 99 || month < 1 || month > 12 || day < 1) return false;
    static const int days[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (day > days[month - 1]) return false;
    if (month == 2 && day == 29 && year % 4 != 0) return false;
    return true;
}

namespace {

// ---------------------------------------------------------------- helpers

// The 18 Polish letters in code page 852 and their UTF-8 forms.
const struct {
    uint8_t cp852;
    const char *utf8;
} kPolish[] = {{0xA4, "Ą"}, {0x8F, "Ć"}, {0xA8, "Ę"}, {0x9D, "Ł"}, {0xE3, "Ń"}, {0xE0, "Ó"},
               {0x97, "Ś"}, {0x8D, "Ź"}, {0xBD, "Ż"}, {0xA5, "ą"}, {0x86, "ć"}, {0xA9, "ę"},
               {0x88, "ł"}, {0xE4, "ń"}, {0xA2, "ó"}, {0x98, "ś"}, {0xAB, "ź"}, {0xBE, "ż"}};

// Windows-1250 codes of the same letters, in the same order.
const uint8_t kPolish1250[] = {0xA5, 0xC6, 0xCA, 0xA3, 0xD1, 0xD3, 0x8C, 0x8F, 0xAF,
                               0xB9, 0xE6, 0xEA, 0xB3, 0xF1, 0xF3, 0x9C, 0x9F, 0xBF};

std::string Cp1250ToUtf8Letters(const std::string &text) {
    std::string out;
    for (unsigned char c : text) {
        if (c < 0x80) {
            out += (c < 0x20 ? '?' : static_cast<char>(c));
            continue;
        }
        bool found = false;
        for (size_t i = 0; i < sizeof kPolish1250; ++i)
            if (kPolish1250[i] == c) {
                out += kPolish[i].utf8;
                found = true;
                break;
            }
        if (!found) out += '?';
    }
    return out;
}

uint8_t Cp1250ToCp852(uint8_t c) {
    for (size_t i = 0; i < sizeof kPolish1250; ++i)
        if (kPolish1250[i] == c) return kPolish[i].cp852;
    return c;
}

uint8_t Cp852ToCp1250(uint8_t c) {
    for (size_t i = 0; i < sizeof kPolish1250; ++i)
        if (kPolish[i].cp852 == c) return kPolish1250[i];
    return c;
}

std::string Two(int v) {
    char b[8];
    std::snprintf(b, sizeof b, "%02d", v);
    return b;
}

std::string DateText(const Date &d) {
    return "20" + Two(d.year) + "-" + Two(d.month) + "-" + Two(d.day);
}

// Two digit bytes (tens, units) -> a number; -1 when either is not a digit.
int Digits(uint8_t tens, uint8_t units) {
    if (tens > 9 || units > 9) return -1;
    return tens * 10 + units;
}

Date DigitDate(const Bytes &b, size_t at) {
    Date d;
    d.year = Digits(b[at], b[at + 1]);
    d.month = Digits(b[at + 2], b[at + 3]);
    d.day = Digits(b[at + 4], b[at + 5]);
    return d;
}

int Bcd(uint8_t b) {
    if ((b >> 4) > 9 || (b & 0x0F) > 9) return -1;
    return (b >> 4) * 10 + (b & 0x0F);
}

uint8_t ToBcd(int v) {
    return static_cast<uint8_t>(((v / 10) << 4) | (v % 10));
}

void PrintUserLines(Printer &p) {
    for (const UserLine &line : p.fiscal.userData) {
        std::string text = line.text;
        while (!text.empty() && text.back() == ' ')
            text.pop_back();
        if (!text.empty()) p.roll.Print(Cp852ToUtf8(text));
    }
}

void PrintDivider(Printer &p) {
    p.roll.Print("----------------------------------------");
}

// The end of every document: date, time, the fiscal or training mark; then
// the printout starts.
void EndDocument(Printer &p) {
    PrintDivider(p);
    const ClockTime now = ClockNow(p);
    p.roll.Print(DateText(now.date) + " " + Two(now.hour) + ":" + Two(now.minute));
    p.roll.Print(p.status.fiscalMode ? "#NIEFISKALNY#" : "#NIEFISKALNY# TRYB SZKOLENIOWY");
    p.StartPrintout();
}

// A printer without its controller, or with a failure, refuses to print.
bool CannotPrint(Printer &p, Link &link) {
    if (p.status.noController || p.status.failure) {
        link.Send(NAK);
        return true;
    }
    return false;
}

bool ReadOne(Link &link, uint8_t &byte) {
    Bytes b;
    if (!link.Read(1, b)) return false;
    byte = b[0];
    return true;
}

// Progress bytes of a PEXA printer erasing its memory: 1..n, then 0.
void SendProgress(Printer &p, Link &link) {
    for (int i = 1; i <= p.fiscal.clockInitProgressSteps + 1; ++i) {
        link.Pause(p.progressTime);
        link.Send(static_cast<uint8_t>(i <= p.fiscal.clockInitProgressSteps ? i : 0));
    }
}

// ------------------------------------------------------------- reports

void PrintRecordLines(Printer &p, const DailyRecord &r, bool detailed) {
    p.roll.Print("Raport dobowy nr " + std::to_string(r.number) + "  " + DateText(r.date));
    if (!detailed) return;
    int64_t sum = 0;
    for (int i = 0; i < 7; ++i) {
        if (r.totals[i] == 0) continue;
        p.roll.Print(std::string("  SP.OP.") + static_cast<char>('A' + i) + " " + Amount(r.totals[i]));
        sum += r.totals[i];
    }
    p.roll.Print("  Paragonów: " + std::to_string(r.receipts) + "  Razem: " + Amount(sum));
}

void PrintSummary(Printer &p, const std::vector<const DailyRecord *> &chosen) {
    std::array<int64_t, 7> totals{};
    int receipts = 0;
    for (const DailyRecord *r : chosen) {
        receipts += r->receipts;
        for (int i = 0; i < 7; ++i)
            totals[i] += r->totals[i];
    }
    PrintDivider(p);
    int64_t sum = 0;
    for (int i = 0; i < 7; ++i) {
        p.roll.Print(std::string("SUMA SP.OP.") + static_cast<char>('A' + i) + " " + Amount(totals[i]));
        sum += totals[i];
    }
    p.roll.Print("Liczba raportów dobowych: " + std::to_string(chosen.size()));
    p.roll.Print("Liczba paragonów: " + std::to_string(receipts));
    p.roll.Print("RAZEM: " + Amount(sum));
}

std::vector<const DailyRecord *> RecordsBetween(const Printer &p, const Date &from, const Date &to) {
    std::vector<const DailyRecord *> out;
    for (const DailyRecord &r : p.fiscal.records)
        if (r.date.Key() >= from.Key() && r.date.Key() <= to.Key()) out.push_back(&r);
    return out;
}

void PrintPeriod(Printer &p, const std::string &title, const std::vector<const DailyRecord *> &chosen,
                 bool detailed, const std::string &range) {
    PrintUserLines(p);
    p.roll.Print(title);
    p.roll.Print(range);
    PrintDivider(p);
    for (const DailyRecord *r : chosen)
        PrintRecordLines(p, *r, detailed);
    PrintSummary(p, chosen);
    EndDocument(p);
}

// Result byte of the period report command.
enum PeriodResult : uint8_t {
    kPrinted = 0,
    kBadDates = 1,
    kNoReports = 2,
    kBadNumbers = 3,
    kMonthNotEnded = 4,
    kBadKind = 5,
    kConditions = 6,
    kCounterNotZero = 7,
};

const char *PeriodTitle(bool detailed) {
    return detailed ? "RAPORT OKRESOWY SZCZEGÓŁOWY" : "RAPORT OKRESOWY";
}

uint8_t CheckDates(const Printer &p, const Date &from, const Date &to) {
    if (!from.Valid() || !to.Valid() || from.Key() > to.Key() || from.Key() > Today(p).Key())
        return kBadDates;
    return RecordsBetween(p, from, to).empty() ? kNoReports : kPrinted;
}

uint8_t CheckNumbers(const Printer &p, int first, int last) {
    const int newest = p.fiscal.records.empty() ? 0 : p.fiscal.records.back().number;
    if (first < 1 || last < first || last > newest) return kBadNumbers;
    return kPrinted;
}

std::vector<const DailyRecord *> RecordsNumbered(const Printer &p, int first, int last) {
    std::vector<const DailyRecord *> out;
    for (const DailyRecord &r : p.fiscal.records)
        if (r.number >= first && r.number <= last) out.push_back(&r);
    return out;
}

uint8_t ReportByDates(Printer &p, const Date &from, const Date &to, bool detailed) {
    uint8_t check = CheckDates(p, from, to);
    if (check != kPrinted) return check;
    PrintPeriod(p, PeriodTitle(detailed), RecordsBetween(p, from, to), detailed,
                "od " + DateText(from) + " do " + DateText(to));
    return kPrinted;
}

uint8_t ReportByNumbers(Printer &p, int first, int last, bool detailed) {
    uint8_t check = CheckNumbers(p, first, last);
    if (check != kPrinted) return check;
    PrintPeriod(p, PeriodTitle(detailed), RecordsNumbered(p, first, last), detailed,
                "od nr " + std::to_string(first) + " do nr " + std::to_string(last));
    return kPrinted;
}

uint8_t ReportMonthly(Printer &p, int year, int month, bool detailed) {
    if (year < 0 || month < 1 || month > 12) return kBadDates;
    const Date today = Today(p);
    if (year * 100 + month >= today.year * 100 + today.month) return kMonthNotEnded;
    auto chosen = RecordsBetween(p, Date{year, month, 1}, Date{year, month, 31});
    if (chosen.empty()) return kNoReports;
    PrintPeriod(p, detailed ? "RAPORT MIESIĘCZNY SZCZEGÓŁOWY" : "RAPORT MIESIĘCZNY", chosen, detailed,
                "za miesiąc " + Two(month) + "/20" + Two(year));
    return kPrinted;
}

int Number16(const Bytes &b, size_t at) {
    return b[at] | (b[at + 1] << 8);
}

// The settlement report (kinds 6 by dates, 7 by numbers, 8 the whole
// memory): confirmed by digits of the unique number and today's date; it
// ends the printer's fiscal life (read-only from then on).
uint8_t Settlement(Printer &p, uint8_t kind, const Bytes &d) {
    const std::string unique = UniqueNumber(p);
    for (int i = 0; i < 4; ++i) {
        const auto expected = static_cast<uint8_t>(unique[3 + 2 * i] + unique[4 + 2 * i]);
        if (d[i] != expected) return kConditions;
    }
    if (!(DigitDate(d, 4) == Today(p)) || !p.status.fiscalMode) return kConditions;
    if (ReceiptCounter(p) != 0) return kCounterNotZero;
    std::vector<const DailyRecord *> chosen;
    std::string range;
    if (kind == 6) {
        const Date from = DigitDate(d, 10), to = DigitDate(d, 16);
        if (uint8_t check = CheckDates(p, from, to); check != kPrinted) return check;
        chosen = RecordsBetween(p, from, to);
        range = "od " + DateText(from) + " do " + DateText(to);
    } else if (kind == 7) {
        const int first = Number16(d, 10), last = Number16(d, 12);
        if (uint8_t check = CheckNumbers(p, first, last); check != kPrinted) return check;
        chosen = RecordsNumbered(p, first, last);
        range = "od nr " + std::to_string(first) + " do nr " + std::to_string(last);
    } else {
        for (const DailyRecord &r : p.fiscal.records)
            chosen.push_back(&r);
        range = "całość pamięci fiskalnej";
    }
    PrintUserLines(p);
    p.roll.Print("RAPORT ROZLICZENIOWY");
    p.roll.Print(range);
    PrintDivider(p);
    for (const DailyRecord *r : chosen)
        PrintRecordLines(p, *r, true);
    PrintSummary(p, chosen);
    p.roll.Print("DRUKARKA W TRYBIE TYLKO ODCZYT");
    p.fiscal.settled = true;
    p.status.readOnly = true;
    EndDocument(p);
    return kPrinted;
}

// Command 49: period reports (kinds 0..5) and the settlement report (6..8).
void PeriodReport49(Printer &p, Link &link) {
    if (CannotPrint(p, link)) return;
    link.Send(ACK);
    uint8_t kind;
    if (!ReadOne(link, kind)) return;
    size_t rest = 0;
    switch (kind) {
    case 0:
    case 3: rest = 12; break;
    case 1:
    case 2:
    case 4:
    case 5: rest = 4; break;
    case 6: rest = 4 + 6 + 12; break;
    case 7: rest = 4 + 6 + 4; break;
    case 8: rest = 4 + 6; break;
    default: link.Send(kBadKind); return;
    }
    Bytes d;
    if (!link.Read(rest, d)) return;
    const bool detailed = kind <= 2;
    uint8_t result = kPrinted;
    switch (kind) {
    case 0:
    case 3: result = ReportByDates(p, DigitDate(d, 0), DigitDate(d, 6), detailed); break;
    case 1:
    case 4: result = ReportByNumbers(p, Number16(d, 0), Number16(d, 2), detailed); break;
    case 2:
    case 5: result = ReportMonthly(p, Digits(d[0], d[1]), Digits(d[2], d[3]), detailed); break;
    default: result = Settlement(p, kind, d); break;
    }
    link.Pause(p.searchTime);
    link.Send(result);
}

// Commands 40 (detailed) and 41 (short) of the first-generation printers:
// the printer acknowledges, reads the two dates and prints what it can.
void OldPeriodReport(Printer &p, Link &link, bool detailed) {
    if (CannotPrint(p, link)) return;
    link.Send(ACK);
    Bytes d;
    if (!link.Read(12, d)) return;
    const Date from = DigitDate(d, 0), to = DigitDate(d, 6);
    switch (ReportByDates(p, from, to, detailed)) {
    case kPrinted: return;
    case kBadDates: p.roll.Print("BŁĘDNE DATY RAPORTU OKRESOWEGO"); break;
    default: p.roll.Print("BRAK RAPORTÓW W PODANYM OKRESIE"); break;
    }
    EndDocument(p);
}

void DailyReport(Printer &p, Link &link) {
    if (CannotPrint(p, link)) return;
    if (p.status.readOnly || p.status.cmosErased) {
        link.Send(NAK);
        return;
    }
    link.Send(ACK);
    FiscalState &f = p.fiscal;
    DailyRecord r;
    r.number = std::max(f.records.empty() ? 0 : f.records.back().number, p.sales.dailyReportNumber) + 1;
    r.date = Today(p);
    r.receipts = ReceiptCounter(p);
    r.totals = DayTotals(p);
    PrintUserLines(p);
    p.roll.Print(p.status.fiscalMode ? "RAPORT DOBOWY FISKALNY" : "RAPORT DOBOWY");
    p.roll.Print("Raport dobowy nr " + std::to_string(r.number));
    PrintDivider(p);
    int64_t sum = 0;
    for (int i = 0; i < 7; ++i) {
        p.roll.Print(std::string("SP.OP.") + static_cast<char>('A' + i) + " " + Amount(r.totals[i]));
        sum += r.totals[i];
    }
    p.roll.Print("RAZEM: " + Amount(sum));
    p.roll.Print("Liczba paragonów: " + std::to_string(r.receipts));
    if (f.displayPending) p.roll.Print("ZMIENIONO DANE WYŚWIETLACZA");
    if (f.advertsPending) p.roll.Print("ZMIENIONO TEKSTY REKLAMOWE");
    f.displayPending = false;
    f.advertsPending = false;
    // Only a fiscal printer writes its fiscal memory.
    if (p.status.fiscalMode) f.records.push_back(r);
    CloseSalesDay(p);
    p.sales.dailyReportNumber = r.number;
    p.status.dailyReportMissing = false;
    f.clockShiftAllowed = true;
    f.namesPrinted = false;
    EndDocument(p);
}

void FinancialReport(Printer &p, Link &link) {
    if (CannotPrint(p, link)) return;
    link.Send(ACK);
    PrintUserLines(p);
    p.roll.Print("RAPORT FINANSOWY PODATKOWY");
    PrintDivider(p);
    const auto totals = DayTotals(p);
    int64_t sum = 0;
    for (int i = 0; i < 7; ++i) {
        p.roll.Print(std::string("SP.OP.") + static_cast<char>('A' + i) + " " + Amount(totals[i]));
        sum += totals[i];
    }
    p.roll.Print("RAZEM: " + Amount(sum));
    EndDocument(p);
}

// A report that prints a title and a few fixed lines.
void SimpleDocument(Printer &p, Link &link, const std::string &title, std::vector<std::string> lines) {
    if (CannotPrint(p, link)) return;
    link.Send(ACK);
    PrintUserLines(p);
    p.roll.Print(title);
    PrintDivider(p);
    for (const std::string &l : lines)
        p.roll.Print(l);
    EndDocument(p);
}

std::vector<std::string> StatusLines(const Printer &p) {
    std::vector<std::string> out;
    for (int n = 1; n <= 4; ++n)
        out.push_back("Status " + std::to_string(n) + ": " + std::to_string(p.StatusByte(n)));
    out.push_back(p.status.fiscalMode ? "Tryb fiskalny" : "Tryb szkoleniowy");
    out.push_back("Raportów dobowych w pamięci fiskalnej: " + std::to_string(p.fiscal.records.size()));
    return out;
}

// ------------------------------------------------------------ clock

void ShiftClock(Printer &p, Link &link) {
    // Once per day, right after a daily report.
    if (!p.fiscal.clockShiftAllowed || ReceiptCounter(p) != 0 || p.fiscal.lastClockShift == Today(p)) {
        link.Send(NAK);
        return;
    }
    link.Send(ACK);
    Bytes d;
    if (!link.Read(3, d)) return;
    const int minutes = Digits(d[1], d[2]);
    if (d[0] > 1 || minutes < 0) return;
    p.fiscal.lastClockShift = Today(p);
    ShiftClockBy(p, d[0] == 1 ? minutes : -minutes);
    p.fiscal.clockShiftAllowed = false;
}

void InitClock(Printer &p, Link &link, bool withSeconds) {
    if (withSeconds != p.IsPexa()) {
        link.Send(NAK);
        return;
    }
    if (!p.status.cmosErased) {
        // The PEXA printers tell why: 1, the clock is already initialised.
        link.Send(p.IsPexa() ? uint8_t{1} : NAK);
        return;
    }
    link.Send(ACK);
    Bytes d;
    if (!link.Read(withSeconds ? 12 : 10, d)) return;
    ClockTime t;
    t.date = DigitDate(d, 0);
    t.hour = Digits(d[6], d[7]);
    t.minute = Digits(d[8], d[9]);
    t.second = withSeconds ? Digits(d[10], d[11]) : 0;
    const bool valid = t.date.Valid() && t.hour >= 0 && t.hour < 24 && t.minute >= 0 && t.minute < 60 &&
                       t.second >= 0 && t.second < 60;
    if (p.IsPexa()) SendProgress(p, link);
    if (!valid) {
        p.roll.Print("BŁĘDNA DATA LUB CZAS");
        EndDocument(p);
        return;
    }
    // A date before the last daily report is taken without a word, and the
    // clock stays unset: the CMOS memory is still erased afterwards.
    if (!p.fiscal.records.empty() && t.date.Key() < p.fiscal.records.back().date.Key()) return;
    SetClock(p, t);
    p.status.cmosErased = false;
    p.roll.Print("ZEGAR ZAINICJOWANY");
    EndDocument(p);
}

// ------------------------------------------------------- service dates

Date &WhichDate(Printer &p, uint8_t which) {
    return which == 0 ? p.fiscal.euroDate : p.fiscal.serviceDate;
}

void ReadServiceDate(Printer &p, Link &link) {
    link.Send(ACK);
    uint8_t which;
    if (!ReadOne(link, which)) return;
    if (which > 1) {
        link.Send({1, 0, 0, 0});
        return;
    }
    const Date &d = WhichDate(p, which);
    link.Send({0, ToBcd(d.year), ToBcd(d.month), ToBcd(d.day)});
}

void WriteServiceDate(Printer &p, Link &link) {
    link.Send(ACK);
    Bytes b;
    if (!link.Read(4, b)) return;
    Date d{Bcd(b[1]), Bcd(b[2]), Bcd(b[3])};
    // Only with the service jumper in the service position; all zeros
    // clears the date.
    if (b[0] > 1 || !p.status.serviceJumper || (!d.Valid() && !d.Empty())) {
        link.Send(uint8_t{1});
        return;
    }
    WhichDate(p, b[0]) = d;
    link.Send(uint8_t{0});
}

// ---------------------------------------------------------- display

uint8_t Xor(const uint8_t *bytes, size_t n) {
    uint8_t x = 0;
    for (size_t i = 0; i < n; ++i)
        x ^= bytes[i];
    return x;
}

constexpr uint8_t kConfirmOk = 0;
constexpr uint8_t kConfirmRange = 108;
constexpr uint8_t kConfirmCheck = 200;
constexpr uint8_t kConfirmOrder = 201;
constexpr uint8_t kConfirmSame = 202;
constexpr uint8_t kConfirmPending = 203;
constexpr uint8_t kErasePending = 204;

void WriteDisplayRow(Printer &p, Link &link) {
    link.Send(ACK);
    Bytes b;
    if (!link.Read(1 + kDisplayRowBytes, b)) return;
    FiscalState &f = p.fiscal;
    const int row = b[0];
    if (row >= kDisplayRows) return link.Send(kConfirmRange);
    if (Xor(&b[1], 24) != b[25]) return link.Send(kConfirmCheck);
    if (row == 0) {
        if (f.displayPending) return link.Send(kConfirmPending);
        f.displayNextRow = 0;
        f.displayBefore = f.display;
    }
    if (row != f.displayNextRow) return link.Send(kConfirmOrder);
    std::copy(b.begin() + 1, b.end(), f.display[row].begin());
    f.displayNextRow = row + 1;
    if (row < kDisplayRows - 1) return link.Send(kConfirmOk);
    f.displayNextRow = 0;
    const bool same = f.displayLoaded && f.display == f.displayBefore;
    f.displayLoaded = true;
    if (same) return link.Send(kConfirmSame);
    f.displayPending = true;
    link.Send(kConfirmOk);
}

void ReadDisplayRow(Printer &p, Link &link) {
    link.Send(ACK);
    uint8_t row;
    if (!ReadOne(link, row)) return;
    if (row >= kDisplayRows) return link.Send(kConfirmRange);
    const FiscalState &f = p.fiscal;
    if (!f.displayLoaded) return link.Send({kConfirmOk, 0});
    Bytes out(2 + 24);
    out[0] = kConfirmOk;
    out[1] = 1;
    std::copy(f.display[row].begin(), f.display[row].begin() + 24, out.begin() + 2);
    link.Send(out);
}

void EraseDisplay(Printer &p, Link &link) {
    FiscalState &f = p.fiscal;
    if (f.displayPending) return link.Send({ACK, kErasePending});
    f.display = {};
    f.displayLoaded = false;
    f.displayNextRow = 0;
    link.Send({ACK, kConfirmOk});
}

// --------------------------------------------------------- advertising

void WriteAdvertLine(Printer &p, Link &link) {
    link.Send(ACK);
    Bytes b;
    if (!link.Read(2 + kAdvertLineLength, b)) return;
    FiscalState &f = p.fiscal;
    const int line = b[0];
    if (line >= kAdvertLines) return link.Send(kConfirmRange);
    if (Xor(&b[1], kAdvertLineLength) != b[41]) return link.Send(kConfirmCheck);
    if (line == 0) {
        if (f.advertsPending) return link.Send(kConfirmPending);
        f.advertNextLine = 0;
        f.advertsBefore = f.adverts;
    }
    if (line != f.advertNextLine) return link.Send(kConfirmOrder);
    std::string text(b.begin() + 1, b.begin() + 41);
    if (f.cp1250Adverts) // kept in the printer's own code page
        for (char &c : text)
            c = static_cast<char>(Cp1250ToCp852(static_cast<uint8_t>(c)));
    f.adverts[line].text = text;
    f.adverts[line].attribute = text.find_first_not_of(' ') == std::string::npos ? 0 : 1;
    f.advertNextLine = line + 1;
    if (line < kAdvertLines - 1) return link.Send(kConfirmOk);
    f.advertNextLine = 0;
    if (f.adverts == f.advertsBefore) return link.Send(kConfirmSame);
    f.advertsPending = true;
    link.Send(kConfirmOk);
}

void ReadAdvertLine(Printer &p, Link &link) {
    link.Send(ACK);
    uint8_t line;
    if (!ReadOne(link, line)) return;
    Bytes out{line, 0};
    std::string text(kAdvertLineLength, ' ');
    if (line < kAdvertLines && !p.fiscal.adverts[line].text.empty()) {
        out[1] = p.fiscal.adverts[line].attribute;
        text = p.fiscal.adverts[line].text;
    }
    text.resize(kAdvertLineLength, ' '); // the answer is always 42 bytes
    for (char c : text) {
        auto u = static_cast<uint8_t>(c);
        out.push_back(p.fiscal.cp1250Adverts ? Cp852ToCp1250(u) : u);
    }
    link.Send(out);
}

void EraseAdverts(Printer &p, Link &link) {
    FiscalState &f = p.fiscal;
    if (f.advertsPending) return link.Send({ACK, kErasePending});
    f.adverts = {};
    f.advertNextLine = 0;
    link.Send({ACK, kConfirmOk});
}

// ----------------------------------------------------------- user data

int UserLines(const Printer &p) {
    return p.IsPexa() ? 6 : 4;
}

void WriteUserLine(Printer &p, Link &link) {
    link.Send(ACK);
    Bytes head;
    if (!link.Read(2, head)) return;
    const size_t length = (head[1] & 1) ? 20 : 40;
    Bytes text;
    if (!link.Read(length, text)) return;
    const int line = head[0];
    if (line < 1 || line > UserLines(p)) return link.Send(uint8_t{1});
    // The NIP went into the fiscal memory at the fiscalisation: its line
    // cannot be changed any more.
    if (p.status.fiscalMode && line == UserLines(p)) return link.Send(uint8_t{1});
    p.fiscal.userData[line - 1] = UserLine{head[1], std::string(text.begin(), text.end())};
    p.status.userData = true;
    link.Send(uint8_t{0});
}

void ReadUserLine(Printer &p, Link &link) {
    link.Send(ACK);
    uint8_t line;
    if (!ReadOne(link, line)) return;
    Bytes out{line, 0};
    std::string text;
    if (line >= 1 && line <= UserLines(p)) {
        out[1] = p.fiscal.userData[line - 1].attribute;
        text = p.fiscal.userData[line - 1].text;
    }
    text.resize(40, ' ');
    for (char c : text)
        out.push_back(static_cast<uint8_t>(c));
    link.Send(out);
}

void PrintGivenHeader(Printer &p, Link &link) {
    if (CannotPrint(p, link)) return;
    link.Send(ACK);
    std::vector<std::string> lines;
    for (int i = 0; i < 4; ++i) {
        uint8_t attribute;
        if (!ReadOne(link, attribute)) return;
        Bytes text;
        if (!link.Read((attribute & 1) ? 20 : 40, text)) return;
        lines.emplace_back(text.begin(), text.end());
    }
    p.roll.Print("WYDRUK KONTROLNY NAGŁÓWKA");
    PrintDivider(p);
    for (const std::string &l : lines)
        p.roll.Print(Cp852ToUtf8(l));
    EndDocument(p);
}

// ---------------------------------------------------- names-and-rates

void NamesBegin(Printer &p, Link &) {
    // The printer answers nothing; the items follow as bare bytes.
    FiscalState &f = p.fiscal;
    f.namesPrintOpen = true;
    f.namesItem.clear();
    f.namesItems = 0;
    p.roll.Print("WYDRUK KONTROLNY BAZY NAZW I STAWEK");
    PrintDivider(p);
    p.StartPrintout();
}

void NamesEnd(Printer &p, Link &link) {
    FiscalState &f = p.fiscal;
    if (!f.namesPrintOpen) return link.Send(NAK);
    link.Send(ACK);
    PrintDivider(p);
    p.roll.Print("Pozycji: " + std::to_string(f.namesItems));
    f.namesPrintOpen = false;
    f.namesItem.clear();
    f.namesPrinted = true;
    EndDocument(p);
}

void EraseNamesBase(Printer &p, Link &link) {
    // Only after the control printout made since the last daily report.
    if (!p.fiscal.namesPrinted || ReceiptCounter(p) != 0) return link.Send(NAK);
    link.Send(ACK);
    uint8_t confirmation;
    if (!ReadOne(link, confirmation)) return;
    const std::string unique = UniqueNumber(p);
    if (confirmation != static_cast<uint8_t>(unique[9] + unique[10])) return link.Send(NAK);
    link.Send(ACK);
    if (p.IsPexa()) SendProgress(p, link);
    p.status.namesBaseFull = false;
    p.status.articleLocked = false;
    p.fiscal.lockReason = 0;
    p.fiscal.namesPrinted = false;
    p.roll.Print("BAZA NAZW I STAWEK SKASOWANA");
    EndDocument(p);
}

// --------------------------------------------------------- fiscalisation

int DecodeRate(uint8_t high, uint8_t low) {
    const int v = high * 256 + low;
    if (v == 0x8000) return 25500;
    if (v == 0x4000) return 10000;
    return v;
}

void Fiscalise(Printer &p, Link &link) {
    // No acknowledgement: the frame's 20 bytes follow the command at once.
    Bytes b;
    if (!link.Read(20, b)) return;
    bool fieldOk = true;
    for (int i = 0; i < 6; ++i)
        fieldOk = fieldOk && b[i] == kFiscalisationFieldChar;
    const StatusState &s = p.status;
    if (!fieldOk || s.fiscalMode || !s.makerData || !s.userData || s.cmosErased || !s.serviceJumper ||
        ReceiptCounter(p) != 0 || !p.IsSecondGeneration())
        return link.Send(NAK);
    link.Send(ACK);
    if (p.IsPexa()) SendProgress(p, link);
    std::array<int, 7> rates{};
    for (int i = 0; i < 7; ++i)
        rates[i] = DecodeRate(b[6 + 2 * i], b[7 + 2 * i]);
    p.fiscal.fiscalisedRates = rates;
    SetRates(p, rates);
    p.status.fiscalMode = true;
    PrintUserLines(p);
    p.roll.Print("FISKALIZACJA DRUKARKI");
    PrintDivider(p);
    for (int i = 0; i < 7; ++i) {
        std::string v = rates[i] == 25500 ? "REZERWA"
                        : rates[i] == 10000
                            ? "ZWOLNIONA"
                            : std::to_string(rates[i] / 100) + "." + Two(rates[i] % 100) + " %";
        p.roll.Print(std::string("PTU ") + static_cast<char>('A' + i) + " " + v);
    }
    EndDocument(p);
}

} // namespace

// Bytes the host sends outside a frame: the items of the names-and-rates
// control printout (rate code, then 28 name characters in Windows-1250).
void LooseByte(Printer &p, uint8_t byte) {
    FiscalState &f = p.fiscal;
    if (!f.namesPrintOpen) return;
    f.namesItem.push_back(byte);
    if (f.namesItem.size() < 29) return;
    std::string name(f.namesItem.begin() + 1, f.namesItem.end());
    const uint8_t code = f.namesItem[0];
    // The rate as its number 1..7 or as its letter "A".."G".
    std::string rate = code >= 1 && code <= 7       ? std::string(1, static_cast<char>('A' + code - 1))
                       : code >= 'A' && code <= 'G' ? std::string(1, static_cast<char>(code))
                                                    : "?" + std::to_string(code);
    p.roll.Print(Cp1250ToUtf8Letters(name) + " " + rate);
    f.namesItem.clear();
    ++f.namesItems;
}

void DefineFiscalCommands(Printer &printer) {
    Printer &pr = printer;
    pr.Define(37, [](Printer &p, Link &l) { DailyReport(p, l); });
    pr.Define(43, [](Printer &p, Link &l) { FinancialReport(p, l); });
    pr.Define(34, [](Printer &p, Link &l) {
        SimpleDocument(p, l, "RAPORT NAZW TOWARÓW ZABLOKOWANYCH",
                       {p.status.articleLocked ? "Zablokowano nazwy towarów" : "Brak zablokowanych nazw"});
    });
    pr.Define(38, [](Printer &p, Link &l) { SimpleDocument(p, l, "RAPORT STANU DRUKARKI", StatusLines(p)); });
    pr.Define(48, [](Printer &p, Link &l) {
        SimpleDocument(p, l, "RAPORT OPISÓW STAŁYCH", {"GOTÓWKA", "RESZTA", "SUMA PTU", "RABAT"});
    });
    pr.Define(39, [](Printer &p, Link &l) {
        // Each test writes to the fiscal memory, which has room for a fixed
        // number of them.
        if (p.fiscal.memoryTests >= kMaxMemoryTests) return l.Send(NAK);
        if (!p.status.noController && !p.status.failure) ++p.fiscal.memoryTests;
        SimpleDocument(p, l, "TEST PAMIĘCI PROGRAMU",
                       {"WYNIK: POPRAWNY", "Testów: " + std::to_string(p.fiscal.memoryTests) + "/" +
                                               std::to_string(kMaxMemoryTests)});
    });

    // Period reports: command 49 on the newer printers, 40 and 41 on the older.
    if (printer.IsSecondGeneration() || printer.deviceType == 9) {
        pr.Define(49, [](Printer &p, Link &l) { PeriodReport49(p, l); });
    } else {
        pr.Define(40, [](Printer &p, Link &l) { OldPeriodReport(p, l, true); });
        pr.Define(41, [](Printer &p, Link &l) { OldPeriodReport(p, l, false); });
    }

    pr.Define(67, [](Printer &p, Link &l) {
        l.Send(ACK);
        Bytes b;
        if (!l.Read(4, b)) return;
        p.sales.cashRegister = std::string(b.begin(), b.begin() + 2);
        p.sales.operatorCode = std::string(b.begin() + 2, b.end());
    });

    // Lines fed after a printout: 237 on the PEXA printers, 70 on the others.
    auto writeFeed = [](Printer &p, Link &l) {
        l.Send(ACK);
        uint8_t n;
        if (ReadOne(l, n)) p.sales.lineFeed = n;
    };
    if (printer.IsPexa()) pr.Define(237, writeFeed);
    if (!printer.Knows(70)) pr.Define(70, writeFeed);
    pr.Define(238, [](Printer &p, Link &l) { l.Send({ACK, p.sales.lineFeed}); });

    pr.Define(116, [](Printer &p, Link &l) {
        l.Send(ACK);
        uint8_t mode;
        if (ReadOne(l, mode) && mode >= 0x30 && mode <= 0x39) p.fiscal.rounding = mode - 0x30;
    });
    pr.Define(210, [](Printer &p, Link &l) { l.Send({ACK, p.fiscal.rounding}); });

    pr.Define(50, [](Printer &, Link &l) {
        l.Send(ACK);
        Bytes b;
        l.Read(1, b);
    });
    pr.Define(119, [](Printer &p, Link &l) {
        l.Send(ACK);
        p.status.pricingBufferData = false;
        p.status.pricingBufferFull = false;
    });
    pr.Define(253, [](Printer &p, Link &l) {
        l.Send(ACK);
        Bytes b;
        // Five digit zeros switch the printer off: it answers nothing from then on.
        if (l.Read(5, b) && b == Bytes(5, 0x30)) p.powered = false;
    });

    pr.Define(54, [](Printer &p, Link &l) { ShiftClock(p, l); });
    pr.Define(52, [](Printer &p, Link &l) { InitClock(p, l, false); });
    pr.Define(65, [](Printer &p, Link &l) { InitClock(p, l, true); });

    // Lock reasons: the bare state byte, no acknowledgement.
    pr.Define(96, [](Printer &p, Link &l) { l.Send(p.fiscal.lockReason); });
    pr.Define(94, [](Printer &p, Link &l) { l.Send(p.fiscal.secondState); });

    pr.Define(58, [](Printer &p, Link &l) { EraseAdverts(p, l); });
    pr.Define(156, [](Printer &p, Link &l) { WriteUserLine(p, l); });
    pr.Define(printer.deviceType == 6 || printer.deviceType == 8 ? 158 : 157,
              [](Printer &p, Link &l) { ReadUserLine(p, l); });
    pr.Define(51, [](Printer &p, Link &l) { PrintGivenHeader(p, l); });
    pr.Define(241, [](Printer &p, Link &l) {
        if (CannotPrint(p, l)) return;
        l.Send(ACK);
        p.roll.Print("WYDRUK KONTROLNY NAGŁÓWKA");
        PrintDivider(p);
        PrintUserLines(p);
        EndDocument(p);
    });

    pr.Define(81, [](Printer &p, Link &l) { NamesBegin(p, l); });
    pr.Define(63, [](Printer &p, Link &l) { NamesEnd(p, l); });
    pr.Define(92, [](Printer &p, Link &l) { EraseNamesBase(p, l); });
    pr.Define(114, [](Printer &p, Link &l) { Fiscalise(p, l); });

    // The PEXA printers' settings, dates, display picture and advertising lines.
    if (!printer.IsPexa()) return;
    pr.Define(223, [](Printer &p, Link &l) {
        l.Send(ACK);
        uint8_t group;
        if (!ReadOne(l, group)) return;
        if (group >= kSettingsGroups) return l.Send(kConfirmRange);
        auto g = p.fiscal.settings[group];
        // Group 0 byte 1 bit 3: advertising text in Windows-1250 (command 195).
        if (group == 0) g[0] = static_cast<uint8_t>(p.fiscal.cp1250Adverts ? g[0] | 0x08 : g[0] & ~0x08);
        l.Send({kConfirmOk, g[0], g[1], g[2]});
    });
    pr.Define(222, [](Printer &p, Link &l) {
        l.Send(ACK);
        Bytes b;
        if (!l.Read(4, b)) return;
        if (b[0] >= kSettingsGroups) return l.Send(kConfirmRange);
        p.fiscal.settings[b[0]] = {b[1], b[2], b[3]};
        if (b[0] == 0) p.fiscal.cp1250Adverts = (b[1] & 0x08) != 0;
        // A new speed holds from the next frame on.
        l.Send(kConfirmOk);
    });
    pr.Define(250, [](Printer &p, Link &l) { ReadServiceDate(p, l); });
    pr.Define(249, [](Printer &p, Link &l) { WriteServiceDate(p, l); });
    pr.Define(45, [](Printer &p, Link &l) { WriteDisplayRow(p, l); });
    pr.Define(47, [](Printer &p, Link &l) { ReadDisplayRow(p, l); });
    pr.Define(57, [](Printer &p, Link &l) { EraseDisplay(p, l); });
    pr.Define(195, [](Printer &p, Link &l) {
        l.Send({ACK, static_cast<uint8_t>(p.fiscal.cp1250Adverts ? 0x08 : 0x00), 0, 0});
    });
    pr.Define(46, [](Printer &p, Link &l) { WriteAdvertLine(p, l); });
    pr.Define(56, [](Printer &p, Link &l) { ReadAdvertLine(p, l); });
}

} // namespace darvosim
