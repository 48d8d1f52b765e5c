#include "Commands.h"

#include "ops/Text.h"
#include "pos/Decimal.h"

#include <algorithm>
#include <cstdio>
#include <map>

namespace darvo::cli {

namespace {

const std::map<uint8_t, const char *> &Names() {
    static const std::map<uint8_t, const char *> names = {
        {6, "receipt line"},
        {7, "receipt total"},
        {9, "line after the receipt"},
        {23, "package line"},
        {27, "receipt discount"},
        {33, "receipt begin"},
        {34, "locked names report"},
        {35, "receipt cancel (also the session start's first command)"},
        {36, "receipt close"},
        {37, "daily report"},
        {38, "printer status report"},
        {39, "fiscal memory test"},
        {40, "detailed period report"},
        {41, "short period report"},
        {42, "printout resume"},
        {43, "financial report"},
        {45, "customer display row"},
        {46, "advertising line"},
        {47, "customer display row read"},
        {48, "fixed descriptions report"},
        {49, "period report"},
        {50, "display test"},
        {51, "header control printout"},
        {52, "clock initialisation"},
        {53, "clock"},
        {54, "clock shift"},
        {56, "advertising line read"},
        {57, "customer display erase"},
        {58, "advertising lines erase"},
        {63, "names-base printout end"},
        {64, "clock with seconds"},
        {65, "clock initialisation (PEXA)"},
        {67, "cash register number write"},
        {68, "tax rates write (4 rates)"},
        {70, "lines fed write"},
        {80, "status byte 6"},
        {81, "names-base printout begin"},
        {84, "status byte 2"},
        {85, "status byte 3"},
        {86, "status byte 4"},
        {87, "drawer 1"},
        {88, "drawer 2"},
        {89, "drawer 3"},
        {91, "status byte 1"},
        {92, "names base erase"},
        {93, "status byte 8"},
        {94, "second state"},
        {95, "status byte 5"},
        {96, "lock reason"},
        {102, "receipt counter"},
        {112, "tax rates (4 rates)"},
        {113, "unique number"},
        {114, "fiscalisation"},
        {116, "rounding write"},
        {119, "price buffer clear"},
        {128, "subtotal"},
        {129, "payment (first amount)"},
        {130, "payment (second amount)"},
        {148, "status byte 2 (plain)"},
        {149, "status byte 3 (plain)"},
        {150, "status byte 4 (plain)"},
        {155, "status byte 1 (plain)"},
        {156, "header line write"},
        {157, "header line read"},
        {158, "header line read (pharmacy)"},
        {195, "advertising code page"},
        {208, "tax rates (6 rates)"},
        {209, "tax rates (7 rates)"},
        {210, "rounding"},
        {212, "tax rates write (6 rates)"},
        {213, "tax rates write (7 rates)"},
        {216, "cash register number and operator"},
        {217, "daily report number"},
        {218, "sales totals"},
        {222, "settings write"},
        {223, "settings read"},
        {237, "lines fed write (PEXA)"},
        {238, "lines fed"},
        {241, "header printout"},
        {243, "status byte 7"},
        {245, "euro changeover"},
        {247, "receipt counter (PEXA)"},
        {249, "service date write"},
        {250, "service date read"},
        {253, "power off"},
        {254, "version"},
        {255, "identification"},
    };
    return names;
}

bool Always(int, int) {
    return true;
}
bool HasStatus56(int t, int v) {
    return (t == 3 && v >= 3) || (t == 6 && v >= 6) || t == 7 || t == 8 || t == 9;
}
bool HasStatus7(int t, int) {
    return t == 7 || t == 8 || t == 9;
}
bool HasStatus8(int t, int) {
    return t == 6 || t == 8;
}
bool Pexa(int t, int) {
    return t == 7 || t == 8;
}
bool Newer(int t, int) {
    return t == 3 || t == 6 || t == 7 || t == 8 || t == 9;
}

uint32_t Le32(const Bytes &b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

std::string PrinterText(const Bytes &b, size_t from, size_t to) {
    std::string raw(b.begin() + static_cast<long>(from), b.begin() + static_cast<long>(to));
    while (!raw.empty() && raw.back() == ' ')
        raw.pop_back();
    return ops::FromPrinterText(raw);
}

std::string Amount(uint32_t hundredths) {
    return pos::FormatAmount(hundredths);
}

// Rate code on the wire: 1..4 are A..D, 5 is G, 6 is E, 7 is F.
char RateLetterOfWireCode(uint8_t code) {
    const int rate = code == 5 ? 7 : code == 6 ? 5 : code == 7 ? 6 : code;
    return rate >= 1 && rate <= 7 ? static_cast<char>('A' + rate - 1) : '?';
}

std::string Bits(uint8_t value, const char *const names[8]) {
    std::string out;
    for (int n = 0; n < 8; ++n)
        if ((value >> n & 1) && names[n][0]) out += std::string(out.empty() ? "" : ", ") + names[n];
    return out.empty() ? "nothing set" : out;
}

std::string StatusByte(int n, uint8_t v) {
    static const char *const byte1[8] = {"maker data", "user data", "read-only", "fiscal mode",
                                         "",           "",          "",          ""};
    static const char *const byte2[8] = {"names base full",     "document waiting", "few fiscal records",
                                         "daily report due",    "CMOS erased",      "name locked",
                                         "no customer display", "no controller"};
    static const char *const byte3[8] = {"printing",          "no paper or head up", "printer failure",
                                         "battery low",       "receipt cancelled",   "receipt memory low",
                                         "stopped for paper", "no controller"};
    static const char *const byte4[8] = {"", "", "", "drawer closed", "", "", "service jumper", ""};
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02X", v);
    std::string text = "status byte " + std::to_string(n) + " = " + hex;
    const char *const *names = n == 1 ? byte1 : n == 2 ? byte2 : n == 3 ? byte3 : n == 4 ? byte4 : nullptr;
    if (!names) return text;
    text += ": " + Bits(v, names);
    if (n == 1) text += ", module version " + std::to_string(v >> 4);
    return text;
}

std::string DigitPairs(const Bytes &d, size_t from, int pairs, const char *separators) {
    std::string out;
    for (int i = 0; i < pairs; ++i) {
        const size_t k = from + 2 * static_cast<size_t>(i);
        if (k + 1 >= d.size()) break;
        if (i > 0) out += separators[i - 1];
        out += std::to_string(d[k]) + std::to_string(d[k + 1]);
    }
    return out;
}

std::string RatesText(const Bytes &d, int count) {
    std::string out;
    for (int i = 0; i < count; ++i) {
        std::string value;
        // Exempt is 100 % on the printers of four and six rates, as `rates get` says.
        if (count == 4) {
            if (static_cast<size_t>(i) >= d.size()) break;
            value = d[i] == 0xFF ? "unused" : d[i] == 100 ? "exempt" : std::to_string(d[i]) + "%";
        } else {
            const size_t k = 2 * static_cast<size_t>(i);
            if (k + 1 >= d.size()) break;
            const int word = d[k] << 8 | d[k + 1];
            if ((count == 6 && word == 0xFF00) || (count == 7 && word == 0x8000))
                value = "unused";
            else if ((count == 7 && word == 0x4000) || (count == 6 && word == 10000))
                value = "exempt";
            else
                value = Amount(static_cast<uint32_t>(word)) + "%";
        }
        out += std::string(out.empty() ? "" : ", ") + char('A' + i) + " " + value;
    }
    return out;
}

} // namespace

std::string Hex(const Bytes &bytes) {
    std::string out;
    char b[4];
    for (uint8_t v : bytes) {
        std::snprintf(b, sizeof b, "%02X", v);
        out += std::string(out.empty() ? "" : " ") + b;
    }
    return out;
}

std::string CommandName(uint8_t command) {
    auto it = Names().find(command);
    return it != Names().end() ? it->second : "command " + std::to_string(command);
}

std::string DescribeParameters(uint8_t command, const Bytes &p) {
    switch (command) {
    case 6:
        if (p.size() < 49) break;
        {
            const std::string unit = PrinterText(p, 35, 39);
            return std::string(p[0] == 0x2D ? "cancellation " : "sale ") + "\"" + PrinterText(p, 1, 29) +
                   "\" " + pos::FormatDecimal({Le32(p, 30), p[34] <= 4 ? p[34] : 0}) +
                   (unit.empty() ? "" : " " + unit) + " x " + Amount(Le32(p, 39)) + " rate " +
                   RateLetterOfWireCode(p[44]) + " value " + Amount(Le32(p, 45));
        }
    case 7:
        if (p.size() < 4) break;
        return "total " + Amount(Le32(p, 0));
    case 9: {
        if (p.size() < 2) break;
        const size_t end = p.back() == 0x0A ? p.size() - 1 : p.size();
        return "line code " + std::to_string(p[0] - 0x30) + " \"" + PrinterText(p, 1, end) + "\"";
    }
    case 27:
        if (p.empty()) break;
        return "discount " + std::to_string(p[0]) + "%";
    case 129:
    case 130:
        if (p.size() < 18) break;
        return "slot " + std::to_string(p[0]) + " \"" + PrinterText(p, 1, 14) + "\" " + Amount(Le32(p, 14));
    case 54:
        if (p.size() < 3) break;
        return std::string(p[0] ? "forward " : "back ") + std::to_string(p[1] * 10 + p[2]) + " minutes";
    case 70:
    case 237:
        if (p.empty()) break;
        return std::to_string(p[0]) + " lines";
    default: break;
    }
    return {};
}

std::string DescribeAnswer(uint8_t command, const Bytes &a) {
    if (a.empty()) return "no answer";
    const bool plain = command == 148 || command == 149 || command == 150 || command == 155 ||
                       command == 94 || command == 96;
    if (plain) {
        const int n = command == 155 ? 1 : command == 148 ? 2 : command == 149 ? 3 : command == 150 ? 4 : 0;
        return n ? StatusByte(n, a[0]) : "byte " + std::to_string(a[0]);
    }
    switch (a[0]) {
    case 0x06: break;
    case 0x15: return "NAK: refused";
    case 0x01: return "service jumper in the service position";
    case 0x65: return "no receipt begun";
    case 0xC8: return "refused (0xC8)";
    default: return "unexpected answer";
    }
    const Bytes d(a.begin() + 1, a.end());
    std::string text = "ACK";
    auto add = [&](const std::string &more) { text += ": " + more; };
    switch (command) {
    case 84:
    case 85:
    case 86:
    case 91:
        if (!d.empty()) add(StatusByte(command == 91 ? 1 : command - 82, d[0]));
        break;
    case 255:
        if (!d.empty()) add("identification byte " + std::to_string(d[0]));
        break;
    case 254:
        if (d.size() >= 2) add(std::string("family '") + char(d[0]) + "', version " + std::to_string(d[1]));
        break;
    case 102:
    case 247:
    case 217:
        if (d.size() >= 2) add(std::to_string(d[0] | d[1] << 8));
        break;
    case 216:
        if (d.size() >= 4)
            add("register " + std::string(d.begin(), d.begin() + 2) + ", operator " +
                std::string(d.begin() + 2, d.begin() + 4));
        break;
    case 53:
    case 64: add("20" + DigitPairs(d, 0, command == 64 ? 6 : 5, "-- ::")); break;
    case 113:
        add(std::string(d.begin(), d.begin() + static_cast<long>(std::min<size_t>(d.size(), 11))));
        break;
    case 209: add(RatesText(d, 7)); break;
    case 208: add(RatesText(d, 6)); break;
    case 112: add(RatesText(d, 4)); break;
    case 218: {
        std::string totals;
        for (size_t r = 0; r < 7 && 5 * r + 4 < d.size(); ++r) {
            uint64_t v = 0;
            for (int k = 4; k >= 0; --k)
                v = v << 8 | d[5 * r + static_cast<size_t>(k)];
            totals += std::string(totals.empty() ? "" : ", ") + char('A' + r) + " " +
                      pos::FormatAmount(static_cast<int64_t>(v));
        }
        add(totals);
        break;
    }
    default: break;
    }
    return text;
}

const std::vector<ReadOnlyCommand> &ReadOnlyCommands() {
    static const std::vector<ReadOnlyCommand> list = {
        {255, 2, Always},     {254, 4, Always},    {91, 2, Always},      {84, 2, Always},
        {85, 2, Always},      {86, 2, Always},     {95, 2, HasStatus56}, {80, 2, HasStatus56},
        {243, 2, HasStatus7}, {93, 2, HasStatus8}, {209, 15, Always},    {208, 13, Always},
        {112, 5, Always},     {102, 3, Always},    {247, 8, Pexa},       {217, 3, Always},
        {216, 5, Always},     {218, 36, Newer},    {53, 11, Always},     {64, 13, Newer},
        {113, 12, Always},    {238, 2, Always},    {210, 2, Always},     {245, 2, Pexa},
        {195, 4, Pexa},
    };
    return list;
}

bool IsReadOnly(uint8_t command) {
    for (const ReadOnlyCommand &c : ReadOnlyCommands())
        if (c.command == command) return true;
    return false;
}

} // namespace darvo::cli
