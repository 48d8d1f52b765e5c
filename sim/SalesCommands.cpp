// Receipts, tax rates, counters, totals, clock, unique number, line feed and
// drawers. Commands without an answer cannot be refused on the spot: the
// printer cancels the receipt instead (status byte 3 bit 4), or refuses the
// closing command.
#include "Printer.h"

#include <cstdio>
#include <cstring>

namespace darvosim {

namespace {

constexpr int kWidth = 40;
constexpr uint8_t kCancelReasonLine = 'P';  // a line the printer would not take
constexpr uint8_t kCancelReasonTotal = 'S'; // the total did not match

// Code page 852 bytes of the Polish letters and their UTF-8 forms.
struct Letter {
    uint8_t cp852;
    const char *utf8;
};
constexpr Letter kLetters[18] = {{0xA4, "Ą"}, {0x8F, "Ć"}, {0xA8, "Ę"}, {0x9D, "Ł"}, {0xE3, "Ń"},
                                 {0xE0, "Ó"}, {0x97, "Ś"}, {0x8D, "Ź"}, {0xBD, "Ż"}, {0xA5, "ą"},
                                 {0x86, "ć"}, {0xA9, "ę"}, {0x88, "ł"}, {0xE4, "ń"}, {0xA2, "ó"},
                                 {0x98, "ś"}, {0xAB, "ź"}, {0xBE, "ż"}};

bool IsPolishLetter(uint8_t c) {
    for (const Letter &l : kLetters)
        if (l.cp852 == c) return true;
    return false;
}

bool Significant(uint8_t c) {
    return c == '%' || c == ',' || c == '.' || c == '/' || c == '\\' || (c >= '0' && c <= '9') ||
           (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || IsPolishLetter(c);
}

uint32_t Get32(const Bytes &b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

std::string TrimRight(std::string s) {
    while (!s.empty() && s.back() == ' ')
        s.pop_back();
    return s;
}

// Display width of a UTF-8 text (code points).
size_t Width(const std::string &s) {
    size_t n = 0;
    for (unsigned char c : s)
        n += (c & 0xC0) != 0x80;
    return n;
}

// Left text and right text on one line of the roll.
std::string Columns(const std::string &left, const std::string &right) {
    const size_t used = Width(left) + Width(right);
    return left + std::string(used < kWidth ? kWidth - used : 1, ' ') + right;
}

std::string Centre(const std::string &text) {
    const size_t w = Width(text);
    return w >= kWidth ? text : std::string((kWidth - w) / 2, ' ') + text;
}

char RateLetter(int rate) {
    return static_cast<char>('A' + rate - 1);
}

std::string RateText(int32_t rate) {
    if (rate == kRateExempt) return "ZW";
    char buf[16];
    std::snprintf(buf, sizeof buf, "%d,%02d%%", rate / 100, rate % 100);
    return buf;
}

std::string Quantity(uint32_t quantity, int decimals) {
    std::string digits = std::to_string(quantity);
    if (decimals <= 0) return digits;
    if (digits.size() <= static_cast<size_t>(decimals))
        digits.insert(0, static_cast<size_t>(decimals) + 1 - digits.size(), '0');
    digits.insert(digits.size() - static_cast<size_t>(decimals), ",");
    return digits;
}

const char *ModelName(int deviceType) {
    switch (deviceType) {
    case 0: return "KT820A";
    case 1: return "KT820A";
    case 2: return "NIVRA";
    case 3: return "NIVRA";
    case 4: return "KT820B";
    case 5: return "KT820B";
    case 6: return "NIVRA F";
    case 7: return "DARVO PEXA";
    case 8: return "DARVO PEXA F";
    default: return "DARVO";
    }
}

std::string ClockText(const ClockReading &c) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d", c.year, c.month, c.day, c.hour, c.minute);
    return buf;
}

// The rate total after the receipt's discount: more than half a hundredth
// rounds up, exactly half rounds down.
int64_t Discounted(int64_t total, int discount) {
    const int64_t magnitude = total < 0 ? -total : total;
    const int64_t scaled = magnitude * (100 - discount);
    int64_t v = scaled / 100;
    if (scaled % 100 > 50) ++v;
    return total < 0 ? -v : v;
}

uint32_t ExpectedTotal(const SalesState &s, int discount) {
    uint32_t total = 0;
    for (int64_t sum : s.receiptSums)
        total += static_cast<uint32_t>(Discounted(sum, discount));
    return total;
}

bool HasExtendedReceipt(const Printer &p) {
    return p.deviceType == 3 || p.deviceType == 7 || p.deviceType == 8 || p.deviceType == 9;
}
bool HasTotals(const Printer &p) {
    return p.deviceType == 3 || p.deviceType == 6 || p.deviceType == 7 || p.deviceType == 8 ||
           p.deviceType == 9;
}

bool RateDefined(const Printer &p, int rate) {
    return rate >= 1 && rate <= RateFamily(p.deviceType) && p.sales.rates[rate - 1] != kRateUnused;
}

bool AnyRateDefined(const Printer &p) {
    for (int r = 1; r <= 7; ++r)
        if (RateDefined(p, r)) return true;
    return false;
}

// Whether the printer can take a fiscal document now.
bool CanPrintReceipt(const Printer &p) {
    const StatusState &s = p.status;
    return s.makerData && s.userData && !s.readOnly && !s.cmosErased && !s.dailyReportMissing && !s.failure &&
           !s.paperOut && !s.headRaised && !s.serviceJumper && !s.noController && AnyRateDefined(p);
}

void ResetReceipt(SalesState &s) {
    s.receiptOpen = false;
    s.lines.clear();
    s.receiptSums.fill(0);
    s.discount = 0;
    s.totalGiven = false;
    s.totalGivenValue = 0;
    for (SalePayment &pay : s.payments)
        pay = SalePayment{};
    s.extraLines.clear();
}

// The printer gives up the receipt on its own.
void CancelByPrinter(Printer &p, uint8_t reason, const std::string &why) {
    p.sales.lastRefusal = why;
    p.status.receiptCancelled = true;
    p.status.cancelReason = reason;
    p.roll.Print(Centre("PARAGON ANULOWANY"));
    p.roll.Print(std::string(kWidth, '='));
    ResetReceipt(p.sales);
    p.StartPrintout();
}

void PrintReceiptHeader(Printer &p) {
    p.roll.Print(std::string(kWidth, '='));
    bool userData = false;
    for (const UserLine &line : p.fiscal.userData) {
        const std::string text = TrimRight(Cp852ToUtf8(line.text));
        if (text.empty()) continue;
        p.roll.Print(Centre(text));
        userData = true;
    }
    if (!userData) p.roll.Print(Centre(ModelName(p.deviceType)));
    p.roll.Print(Columns(ClockText(SalesClock(p.sales)), "nr " + std::to_string(p.sales.receiptNumber + 1)));
    p.roll.Print(Centre("PARAGON FISKALNY"));
    p.roll.Print(std::string(kWidth, '-'));
}

// Command 6: a receipt line, 49 bytes, no answer.
void ReceiptLine(Printer &p, Link &link) {
    Bytes r;
    if (!link.Read(49, r)) return;
    SalesState &s = p.sales;
    if (!s.receiptOpen) return; // nothing to add it to
    auto refuse = [&](const std::string &why) { CancelByPrinter(p, kCancelReasonLine, why); };
    if ((r[0] != 0x20 && r[0] != 0x2D) || r[43] != ESC) return refuse("damaged line record");
    const uint8_t code = r[44];
    // Rate code on the wire: 1..4 are A..D, 5 is G, 6 is E, 7 is F.
    const int rate = code == 5 ? 7 : code == 6 ? 5 : code == 7 ? 6 : code;
    if (code < 1 || code > 7 || !RateDefined(p, rate)) return refuse("rate not defined");
    const std::string rawName(r.begin() + 1, r.begin() + 29);
    int significant = 0;
    for (unsigned char c : rawName)
        significant += Significant(c);
    if (significant < MinNameCharacters(p.deviceType))
        return refuse("too few significant characters in the name");
    SaleLine line;
    line.cancellation = r[0] == 0x2D;
    line.name = TrimRight(Cp852ToUtf8(rawName));
    line.rate = rate;
    line.quantity = Get32(r, 30);
    line.decimals = r[34];
    line.unit = TrimRight(std::string(r.begin() + 35, r.begin() + 39));
    line.price = Get32(r, 39);
    line.value = Get32(r, 45);
    if (line.decimals > 4) return refuse("too many decimal places in the quantity");
    uint64_t divisor = 1;
    for (int i = 0; i < line.decimals; ++i)
        divisor *= 10;
    const uint64_t product = uint64_t(line.quantity) * line.price;
    const uint64_t low = product / divisor, high = low + (product % divisor != 0);
    if (line.value != low && line.value != high) return refuse("value is not quantity times price");
    const int64_t change = line.cancellation ? -int64_t(line.value) : int64_t(line.value);
    if (s.receiptSums[rate - 1] + change < 0) return refuse("cancellation of more than was sold");
    s.receiptSums[rate - 1] += change;
    s.lines.push_back(line);
    p.roll.Print((line.cancellation ? "STORNO " : "") + line.name);
    std::string detail = "  " + Quantity(line.quantity, line.decimals) +
                         (line.unit.empty() ? "" : " " + Cp852ToUtf8(line.unit)) + " x " + Amount(line.price);
    p.roll.Print(
        Columns(detail, (line.cancellation ? "-" : "") + Amount(line.value) + " " + RateLetter(rate)));
}

// Command 9: an extra line after the receipt: code, text, line feed.
void ExtraLine(Printer &p, Link &link) {
    Bytes code;
    if (!link.Read(1, code)) return;
    std::string text;
    for (int i = 0; i < 255; ++i) {
        Bytes b;
        if (!link.Read(1, b)) return;
        if (b[0] == 0x0A) break;
        text.push_back(static_cast<char>(b[0]));
    }
    SalesState &s = p.sales;
    if (!s.receiptOpen) return;
    if (code[0] < 0x30 || code[0] > 0x3F) return CancelByPrinter(p, kCancelReasonLine, "bad extra line code");
    s.extraLines.push_back(Cp852ToUtf8(text));
}

// Commands 129 and 130: a payment record, 18 bytes, no answer.
void Payment(Printer &p, Link &link, bool first) {
    Bytes r;
    if (!link.Read(18, r)) return;
    SalesState &s = p.sales;
    if (!s.receiptOpen) return;
    if (r[0] < 1 || r[0] > 4) return CancelByPrinter(p, kCancelReasonLine, "bad payment slot");
    SalePayment &pay = s.payments[r[0] - 1];
    pay.used = true;
    pay.name = TrimRight(Cp852ToUtf8(std::string(r.begin() + 1, r.begin() + 14)));
    (first ? pay.first : pay.second) = Get32(r, 14);
}

void PrintClosing(Printer &p) {
    SalesState &s = p.sales;
    p.roll.Print(std::string(kWidth, '-'));
    int64_t gross = 0;
    for (int64_t sum : s.receiptSums)
        gross += sum;
    if (s.discount > 0) {
        p.roll.Print(Columns("PODSUMA", Amount(gross)));
        p.roll.Print(Columns("RABAT " + std::to_string(s.discount) + "%",
                             "-" + Amount(gross - int64_t(ExpectedTotal(s, s.discount)))));
    }
    int64_t taxes = 0;
    for (int r = 1; r <= 7; ++r) {
        const int64_t sum = Discounted(s.receiptSums[r - 1], s.discount);
        if (sum == 0) continue;
        p.roll.Print(Columns(std::string("SPRZEDAŻ OPODATKOWANA ") + RateLetter(r), Amount(sum)));
        const int32_t rate = s.rates[r - 1];
        const int64_t tax = rate == kRateExempt ? 0 : (sum * rate + (10000 + rate) / 2) / (10000 + rate);
        p.roll.Print(Columns(std::string("PTU ") + RateLetter(r) + " " + RateText(rate), Amount(tax)));
        taxes += tax;
    }
    p.roll.Print(Columns("SUMA PTU", Amount(taxes)));
    p.roll.Print(Columns("SUMA PLN", Amount(s.totalGivenValue)));
    for (const SalePayment &pay : s.payments) {
        if (!pay.used) continue;
        p.roll.Print(Columns(pay.name, Amount(pay.first)));
        if (pay.second != 0) p.roll.Print(Columns("", Amount(pay.second)));
    }
    p.roll.Print(std::string(kWidth, '-'));
    char footer[64];
    std::snprintf(footer, sizeof footer, "%05d #KASA %s KASJER %s", s.receiptNumber, s.cashRegister.c_str(),
                  s.operatorCode.c_str());
    const ClockReading now = SalesClock(s);
    char time[8];
    std::snprintf(time, sizeof time, "%02d:%02d", now.hour, now.minute);
    p.roll.Print(Columns(footer, time));
    p.roll.Print(Centre("PL " + s.uniqueNumber.substr(0, 3) + " " + s.uniqueNumber.substr(3)));
    for (const std::string &line : s.extraLines)
        p.roll.Print(line);
    p.roll.Print(std::string(kWidth, '='));
}

// Command 36: closes the receipt.
void CloseReceipt(Printer &p, Link &link) {
    SalesState &s = p.sales;
    if (!s.receiptOpen) return link.Send(NAK);
    if (s.lines.empty()) {
        // An empty receipt is dropped without a printout.
        ResetReceipt(s);
        return link.Send(NAK);
    }
    if (!s.totalGiven || s.totalGivenValue != ExpectedTotal(s, s.discount)) {
        link.Send(NAK);
        return CancelByPrinter(p, kCancelReasonTotal, "total does not match the lines");
    }
    link.Send(ACK);
    ++s.receiptNumber;
    ++s.receiptCounter;
    for (int r = 0; r < 7; ++r)
        s.totals[r] += Discounted(s.receiptSums[r], s.discount);
    PrintClosing(p);
    ResetReceipt(s);
    p.StartPrintout();
}

// Command 35: ends the receipt in progress as cancelled; with no receipt it
// only answers (it serves as a ping as well).
void CancelReceipt(Printer &p, Link &link) {
    SalesState &s = p.sales;
    if (!s.receiptOpen) return link.Send(ACK);
    if (s.lines.empty()) {
        ResetReceipt(s);
        return link.Send(NAK);
    }
    if (s.totalGiven && s.totalGivenValue != ExpectedTotal(s, 0)) return link.Send(NAK); // stays open
    link.Send(ACK);
    p.roll.Print(std::string(kWidth, '-'));
    p.roll.Print(Centre("PARAGON ANULOWANY"));
    p.roll.Print(std::string(kWidth, '='));
    ResetReceipt(s);
    p.StartPrintout();
}

void BeginReceipt(Printer &p, Link &link) {
    SalesState &s = p.sales;
    if (s.receiptOpen || !CanPrintReceipt(p)) return link.Send(NAK);
    link.Send(ACK);
    ResetReceipt(s);
    s.receiptOpen = true;
    s.lastRefusal.clear();
    p.status.receiptCancelled = false;
    p.status.cancelReason = 0;
    PrintReceiptHeader(p);
}

void PackageLine(Printer &p, Link &link) {
    Bytes r;
    if (!link.Read(10, r)) return;
    SalesState &s = p.sales;
    const bool sign = r[0] == 0x20 || r[0] == 0x2D;
    const bool letter = r[1] == 'S' || r[1] == 'Z';
    if (!s.receiptOpen || !sign || !letter) return link.Send(NAK);
    link.Send(ACK);
    const unsigned second = r[2] | r[3] << 8, third = r[4] | r[5] << 8;
    p.roll.Print(Columns(std::string("OPAKOWANIE ") + (r[0] == 0x2D ? "-" : "") + static_cast<char>(r[1]) +
                             " " + std::to_string(second) + " x " + std::to_string(third),
                         Amount(Get32(r, 6))));
}

void Subtotal(Printer &p, Link &) {
    SalesState &s = p.sales;
    if (!s.receiptOpen) return;
    int64_t gross = 0;
    for (int64_t sum : s.receiptSums)
        gross += sum;
    p.roll.Print(Columns("PODSUMA", Amount(gross)));
}

void Discount(Printer &p, Link &link) {
    Bytes r;
    if (!link.Read(1, r)) return;
    SalesState &s = p.sales;
    if (!s.receiptOpen) return;
    if (r[0] < 1 || r[0] > 99) return CancelByPrinter(p, kCancelReasonLine, "bad discount");
    s.discount = r[0];
}

void Total(Printer &p, Link &link) {
    Bytes r;
    if (!link.Read(4, r)) return;
    SalesState &s = p.sales;
    if (!s.receiptOpen) return;
    s.totalGiven = true;
    s.totalGivenValue = Get32(r, 0);
}

// Rates: read and write commands of each family.
void ReadRates(Printer &p, Link &link, int family) {
    if (RateFamily(p.deviceType) != family) return link.Send(NAK);
    Bytes answer{ACK};
    for (int i = 0; i < family; ++i) {
        const int32_t v = p.sales.rates[i];
        if (family == 4) {
            answer.push_back(v == kRateUnused ? 0xFF : static_cast<uint8_t>(v / 100));
            continue;
        }
        uint16_t word = static_cast<uint16_t>(v);
        if (v == kRateUnused) word = family == 6 ? 0xFF00 : 0x8000;
        if (v == kRateExempt && family == 7) word = 0x4000;
        answer.push_back(static_cast<uint8_t>(word >> 8));
        answer.push_back(static_cast<uint8_t>(word));
    }
    link.Send(answer);
}

void WriteRates(Printer &p, Link &link, int family) {
    SalesState &s = p.sales;
    // Rates change only right after a daily report, outside a receipt.
    if (RateFamily(p.deviceType) != family || s.receiptOpen || s.receiptCounter != 0) return link.Send(NAK);
    link.Send(ACK);
    Bytes r;
    if (!link.Read(family == 4 ? 4 : 2 * family, r)) return;
    std::array<int32_t, 7> rates = s.rates;
    for (int i = 0; i < family; ++i) {
        int32_t v;
        if (family == 4) {
            v = r[i] == 0xFF ? kRateUnused : r[i] * 100;
        } else {
            const int word = r[2 * i] << 8 | r[2 * i + 1];
            if (family == 6)
                v = word == 0xFF00 ? kRateUnused : word;
            else
                v = word == 0x8000 ? kRateUnused : word == 0x4000 ? kRateExempt : word;
        }
        if (v > kRateExempt && v != kRateUnused) return; // not a rate: nothing stored
        rates[i] = v;
    }
    s.rates = rates;
    p.roll.Print(std::string(kWidth, '='));
    p.roll.Print(Centre("ZMIANA STAWEK PTU"));
    for (int i = 0; i < family; ++i)
        p.roll.Print(Columns(std::string("PTU ") + RateLetter(i + 1),
                             rates[i] == kRateUnused ? "---" : RateText(rates[i])));
    p.roll.Print(std::string(kWidth, '='));
    p.StartPrintout();
}

void Put16(Bytes &b, int value) {
    b.push_back(static_cast<uint8_t>(value));
    b.push_back(static_cast<uint8_t>(value >> 8));
}

void Clock(Printer &p, Link &link, bool seconds) {
    if (seconds && !HasTotals(p)) return link.Send(NAK);
    const ClockReading c = SalesClock(p.sales);
    const int fields[6] = {c.year % 100, c.month, c.day, c.hour, c.minute, c.second};
    Bytes answer{ACK};
    for (int i = 0; i < (seconds ? 6 : 5); ++i) {
        answer.push_back(static_cast<uint8_t>(fields[i] / 10));
        answer.push_back(static_cast<uint8_t>(fields[i] % 10));
    }
    link.Send(answer);
}

} // namespace

ClockReading SalesClock(const SalesState &s) {
    const std::time_t t = s.clockStopped ? static_cast<std::time_t>(s.clockStoppedAt)
                                         : std::time(nullptr) + s.clockOffsetSeconds;
    std::tm tm{};
    localtime_r(&t, &tm);
    return ClockReading{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

void SetSalesClock(SalesState &s, const ClockReading &c, bool stopped) {
    std::tm tm{};
    tm.tm_year = c.year - 1900;
    tm.tm_mon = c.month - 1;
    tm.tm_mday = c.day;
    tm.tm_hour = c.hour;
    tm.tm_min = c.minute;
    tm.tm_sec = c.second;
    tm.tm_isdst = -1;
    const int64_t at = static_cast<int64_t>(std::mktime(&tm));
    s.clockStopped = stopped;
    s.clockStoppedAt = at;
    s.clockOffsetSeconds = at - static_cast<int64_t>(std::time(nullptr));
}

void EndSalesDay(SalesState &s) {
    s.receiptCounter = 0;
    s.totals.fill(0);
}

int RateFamily(int deviceType) {
    switch (deviceType) {
    case 0:
    case 4: return 4;
    case 1:
    case 2:
    case 5: return 6;
    default: return 7;
    }
}

int MinNameCharacters(int deviceType) {
    return deviceType == 3 || deviceType == 7 || deviceType == 8 || deviceType == 9 ? 5 : 10;
}

std::string Cp852ToUtf8(const std::string &text) {
    std::string out;
    for (unsigned char c : text) {
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
            continue;
        }
        const char *letter = "?";
        for (const Letter &l : kLetters)
            if (l.cp852 == c) letter = l.utf8;
        out += letter;
    }
    return out;
}

std::string Amount(int64_t hundredths) {
    const bool negative = hundredths < 0;
    const uint64_t m = negative ? uint64_t(-hundredths) : uint64_t(hundredths);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%s%llu,%02llu", negative ? "-" : "",
                  static_cast<unsigned long long>(m / 100), static_cast<unsigned long long>(m % 100));
    return buf;
}

void DefineSalesCommands(Printer &printer) {
    printer.Define(33, BeginReceipt);
    printer.Define(35, CancelReceipt);
    printer.Define(36, CloseReceipt);
    printer.Define(6, ReceiptLine);
    printer.Define(7, Total);
    printer.Define(9, ExtraLine);
    printer.Define(27, Discount);
    if (HasExtendedReceipt(printer)) {
        printer.Define(23, PackageLine);
        printer.Define(128, Subtotal);
        printer.Define(129, [](Printer &p, Link &link) { Payment(p, link, true); });
        printer.Define(130, [](Printer &p, Link &link) { Payment(p, link, false); });
    }

    printer.Define(209, [](Printer &p, Link &link) { ReadRates(p, link, 7); });
    printer.Define(208, [](Printer &p, Link &link) { ReadRates(p, link, 6); });
    printer.Define(112, [](Printer &p, Link &link) { ReadRates(p, link, 4); });
    printer.Define(213, [](Printer &p, Link &link) { WriteRates(p, link, 7); });
    printer.Define(212, [](Printer &p, Link &link) { WriteRates(p, link, 6); });
    printer.Define(68, [](Printer &p, Link &link) { WriteRates(p, link, 4); });

    printer.Define(102, [](Printer &p, Link &link) {
        // The PEXA family keeps the counter under command 247.
        Bytes answer{ACK};
        Put16(answer, p.IsPexa() ? 0 : p.sales.receiptCounter);
        link.Send(answer);
    });
    if (printer.IsPexa())
        printer.Define(247, [](Printer &p, Link &link) {
            Bytes answer{ACK};
            Put16(answer, p.sales.receiptCounter);
            answer.resize(8, 0);
            link.Send(answer);
        });
    printer.Define(216, [](Printer &p, Link &link) {
        Bytes answer{ACK};
        std::string number = (p.sales.cashRegister + "00").substr(0, 2);
        std::string op = (p.sales.operatorCode + "  ").substr(0, 2);
        answer.insert(answer.end(), number.begin(), number.end());
        answer.insert(answer.end(), op.begin(), op.end());
        link.Send(answer);
    });
    printer.Define(217, [](Printer &p, Link &link) {
        Bytes answer{ACK};
        Put16(answer, p.sales.dailyReportNumber);
        link.Send(answer);
    });
    printer.Define(218, [](Printer &p, Link &link) {
        if (!HasTotals(p)) return link.Send(NAK);
        Bytes answer{ACK};
        for (int64_t t : p.sales.totals)
            for (int k = 0; k < 5; ++k)
                answer.push_back(static_cast<uint8_t>(uint64_t(t) >> (8 * k)));
        link.Send(answer);
    });
    printer.Define(53, [](Printer &p, Link &link) { Clock(p, link, false); });
    printer.Define(64, [](Printer &p, Link &link) { Clock(p, link, true); });
    printer.Define(113, [](Printer &p, Link &link) {
        Bytes answer{ACK};
        std::string number = p.sales.uniqueNumber;
        number.resize(11, ' ');
        answer.insert(answer.end(), number.begin(), number.end());
        link.Send(answer);
    });
    printer.Define(70, [](Printer &p, Link &link) {
        link.Send(ACK);
        Bytes r;
        if (link.Read(1, r)) p.sales.lineFeed = r[0];
    });
    for (int drawer = 0; drawer < 3; ++drawer)
        printer.Define(static_cast<uint8_t>(87 + drawer), [drawer](Printer &p, Link &link) {
            link.Send(ACK);
            ++p.sales.drawerOpenings[drawer];
            p.status.drawerClosed = false;
        });
    if (printer.IsPexa())
        printer.Define(245, [](Printer &p, Link &link) {
            link.Send({ACK, uint8_t(p.sales.euroPending ? 7 : 0)});
        });
}

} // namespace darvosim
