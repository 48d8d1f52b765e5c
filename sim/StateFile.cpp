// The state file: a text file, one item per line, "key value...", fields
// separated by blanks; texts and byte rows in hexadecimal. Lines that are
// empty or begin with '#' are ignored. The first item must be
// "darvo-sim-state 1" (the format's version). Keys:
//
//   model N / version V          the printer model and its program version
//   status NAME 0|1              a status flag (makerData, userData,
//                                readOnly, fiscalMode, cmosErased, ...)
//   status moduleVersion N / status cancelReason N
//   rates R1..R7                 tax rates A..G, hundredths of a percent
//   receiptCounter N             receipts since the last daily report
//   totals T1..T7                sales per rate since then, hundredths
//   receiptNumber N / dailyReportNumber N / lineFeed N / euroPending 0|1
//   cashRegister HEX / operatorCode HEX / uniqueNumber HEX
//   drawerOpenings N1 N2 N3
//   clock stopped|running SECONDS  stopped at SECONDS since the epoch, or
//                                running SECONDS ahead of the host's clock
//   record NUMBER YY MM DD RECEIPTS T1..T7   a daily report in the fiscal memory
//   fiscalisedRates R1..R7 / settled 0|1 / memoryTests N / clockShiftAllowed 0|1
//   lastClockShift YY MM DD      the day of the last clock shift (0 0 0: none)
//   user LINE ATTRIBUTE HEX      receipt header line 1..6 (code page 852)
//   rounding N / setting GROUP B1 B2 B3 / lockReason N / secondState N
//   euroDate YY MM DD / serviceDate YY MM DD / cp1250Adverts 0|1
//   display ROW HEX              a row of the display picture (25 bytes)
//   displayLoaded 0|1 / displayPending 0|1
//   advert LINE ATTRIBUTE HEX / advertsPending 0|1 / namesPrinted 0|1
//
// A receipt in progress is not kept: a restarted printer has none open.
#include "StateFile.h"
#include "Printer.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <unistd.h>
#include <vector>

namespace darvosim {

namespace {

constexpr const char *kMagic = "darvo-sim-state";
constexpr int kFormatVersion = 1;

std::string Hex(const std::string &bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out.empty() ? "-" : out;
}

bool FromHex(const std::string &text, std::string &out) {
    out.clear();
    if (text == "-") return true;
    if (text.size() % 2 != 0) return false;
    for (size_t i = 0; i < text.size(); i += 2) {
        int v = 0;
        for (size_t k = i; k < i + 2; ++k) {
            const char c = text[k];
            int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
            if (d < 0) return false;
            v = v * 16 + d;
        }
        out += static_cast<char>(v);
    }
    return true;
}

bool ToInt(const std::string &text, int64_t low, int64_t high, int64_t &value) {
    if (text.empty()) return false;
    errno = 0;
    char *end = nullptr;
    long long v = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || *end || v < low || v > high) return false;
    value = v;
    return true;
}

// The status flags by name.
std::vector<std::pair<const char *, bool StatusState::*>> StatusFlags() {
    return {{"makerData", &StatusState::makerData},
            {"userData", &StatusState::userData},
            {"readOnly", &StatusState::readOnly},
            {"fiscalMode", &StatusState::fiscalMode},
            {"namesBaseFull", &StatusState::namesBaseFull},
            {"documentWaiting", &StatusState::documentWaiting},
            {"fewRecordsLeft", &StatusState::fewRecordsLeft},
            {"dailyReportMissing", &StatusState::dailyReportMissing},
            {"cmosErased", &StatusState::cmosErased},
            {"articleLocked", &StatusState::articleLocked},
            {"noCustomerDisplay", &StatusState::noCustomerDisplay},
            {"noController", &StatusState::noController},
            {"paperOut", &StatusState::paperOut},
            {"failure", &StatusState::failure},
            {"lowBattery", &StatusState::lowBattery},
            {"receiptCancelled", &StatusState::receiptCancelled},
            {"lowReceiptMemory", &StatusState::lowReceiptMemory},
            {"drawerClosed", &StatusState::drawerClosed},
            {"serviceJumper", &StatusState::serviceJumper},
            {"noMains", &StatusState::noMains},
            {"headRaised", &StatusState::headRaised},
            {"noProgrammingVoltage", &StatusState::noProgrammingVoltage},
            {"noAccumulator", &StatusState::noAccumulator},
            {"lowAccumulator", &StatusState::lowAccumulator},
            {"pricingBufferData", &StatusState::pricingBufferData},
            {"pricingBufferFull", &StatusState::pricingBufferFull}};
}

std::string Join(const std::vector<int64_t> &values) {
    std::string out;
    for (int64_t v : values)
        out += " " + std::to_string(v);
    return out;
}

template <typename T, size_t N> std::vector<int64_t> Values(const std::array<T, N> &a) {
    return std::vector<int64_t>(a.begin(), a.end());
}

std::string DateLine(const char *key, const Date &d) {
    return std::string(key) + " " + std::to_string(d.year) + " " + std::to_string(d.month) + " " +
           std::to_string(d.day) + "\n";
}

using Words = std::vector<std::string>;

class Parser {
  public:
    explicit Parser(const Words &w) : w_(w) {}
    // The i-th word as a number within [low, high].
    bool Int(size_t i, int64_t low, int64_t high, int64_t &v) const {
        return i < w_.size() && ToInt(w_[i], low, high, v);
    }
    template <typename T> bool Get(size_t i, int64_t low, int64_t high, T &out) const {
        int64_t v;
        if (!Int(i, low, high, v)) return false;
        out = static_cast<T>(v);
        return true;
    }
    bool Flag(size_t i, bool &out) const { return Get(i, 0, 1, out); }
    bool Text(size_t i, std::string &out) const { return i < w_.size() && FromHex(w_[i], out); }
    size_t Count() const { return w_.size(); }
    template <typename T, size_t N>
    bool Array(size_t first, int64_t low, int64_t high, std::array<T, N> &out) const {
        for (size_t k = 0; k < N; ++k)
            if (!Get(first + k, low, high, out[k])) return false;
        return true;
    }
    bool DateAt(size_t first, Date &d) const {
        return Get(first, 0, 99, d.year) && Get(first + 1, 0, 12, d.month) && Get(first + 2, 0, 31, d.day);
    }

  private:
    const Words &w_;
};

constexpr int64_t kMaxAmount = int64_t{1} << 40;

} // namespace

std::string StateText(const Printer &p) {
    std::ostringstream out;
    out << "# darvo-sim state file (see darvo-sim --help)\n";
    out << kMagic << " " << kFormatVersion << "\n";
    out << "model " << p.deviceType << "\nversion " << p.version << "\n";
    for (const auto &[name, member] : StatusFlags())
        out << "status " << name << " " << (p.status.*member ? 1 : 0) << "\n";
    out << "status moduleVersion " << int(p.status.moduleVersion) << "\n";
    out << "status cancelReason " << int(p.status.cancelReason) << "\n";

    const SalesState &s = p.sales;
    out << "rates" << Join(Values(s.rates)) << "\n";
    out << "receiptCounter " << s.receiptCounter << "\n";
    out << "totals" << Join(Values(s.totals)) << "\n";
    out << "receiptNumber " << s.receiptNumber << "\n";
    out << "dailyReportNumber " << s.dailyReportNumber << "\n";
    out << "cashRegister " << Hex(s.cashRegister) << "\n";
    out << "operatorCode " << Hex(s.operatorCode) << "\n";
    out << "uniqueNumber " << Hex(s.uniqueNumber) << "\n";
    out << "lineFeed " << int(s.lineFeed) << "\n";
    out << "drawerOpenings" << Join(Values(s.drawerOpenings)) << "\n";
    out << "euroPending " << (s.euroPending ? 1 : 0) << "\n";
    if (s.clockStopped)
        out << "clock stopped " << s.clockStoppedAt << "\n";
    else
        out << "clock running " << s.clockOffsetSeconds << "\n";

    const FiscalState &f = p.fiscal;
    for (const DailyRecord &r : f.records)
        out << "record " << r.number << " " << r.date.year << " " << r.date.month << " " << r.date.day << " "
            << r.receipts << Join(Values(r.totals)) << "\n";
    out << "fiscalisedRates" << Join(Values(f.fiscalisedRates)) << "\n";
    out << "settled " << (f.settled ? 1 : 0) << "\n";
    out << "memoryTests " << f.memoryTests << "\n";
    out << "clockShiftAllowed " << (f.clockShiftAllowed ? 1 : 0) << "\n";
    out << DateLine("lastClockShift", f.lastClockShift);
    for (size_t i = 0; i < f.userData.size(); ++i)
        out << "user " << i + 1 << " " << int(f.userData[i].attribute) << " " << Hex(f.userData[i].text)
            << "\n";
    out << "rounding " << int(f.rounding) << "\n";
    for (size_t g = 0; g < f.settings.size(); ++g)
        out << "setting " << g << Join(Values(f.settings[g])) << "\n";
    out << DateLine("euroDate", f.euroDate) << DateLine("serviceDate", f.serviceDate);
    out << "lockReason " << int(f.lockReason) << "\nsecondState " << int(f.secondState) << "\n";
    out << "cp1250Adverts " << (f.cp1250Adverts ? 1 : 0) << "\n";
    if (f.displayLoaded)
        for (size_t r = 0; r < f.display.size(); ++r)
            out << "display " << r << " " << Hex(std::string(f.display[r].begin(), f.display[r].end()))
                << "\n";
    out << "displayLoaded " << (f.displayLoaded ? 1 : 0) << "\n";
    out << "displayPending " << (f.displayPending ? 1 : 0) << "\n";
    for (size_t i = 0; i < f.adverts.size(); ++i)
        out << "advert " << i << " " << int(f.adverts[i].attribute) << " " << Hex(f.adverts[i].text) << "\n";
    out << "advertsPending " << (f.advertsPending ? 1 : 0) << "\n";
    out << "namesPrinted " << (f.namesPrinted ? 1 : 0) << "\n";
    return out.str();
}

bool LoadState(Printer &p, const std::string &path, std::string &error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = path + ": cannot read the state file: " + std::strerror(errno);
        return false;
    }
    // A printer's whole state, fiscal memory full, takes well under a
    // megabyte; anything far larger is not a state file and is refused
    // before it is read into memory.
    constexpr std::streamoff kMaxStateFile = 16 << 20;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    in.seekg(0, std::ios::beg);
    if (size < 0 || size > kMaxStateFile) {
        error = path + ": not a darvo-sim state file (" + std::to_string(size) + " bytes, more than " +
                std::to_string(kMaxStateFile) + ")";
        return false;
    }
    // Parsed into copies; the printer changes only when the whole file is good.
    StatusState status = p.status;
    SalesState sales = p.sales;
    FiscalState fiscal = p.fiscal;
    fiscal.records.clear();
    bool sawMagic = false;
    std::string line;
    int number = 0;
    auto fail = [&](const std::string &what) {
        error = path + ":" + std::to_string(number) + ": " + what;
        return false;
    };
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::istringstream words(line);
        Words w;
        for (std::string word; words >> word;)
            w.push_back(word);
        if (w.empty() || w[0][0] == '#') continue;
        const std::string key = w[0];
        w.erase(w.begin());
        const Parser a(w);
        if (!sawMagic) {
            int64_t v = 0;
            if (key != kMagic || !a.Int(0, 0, 1 << 30, v) || a.Count() != 1)
                return fail("not a darvo-sim state file (the first line must be \"" + std::string(kMagic) +
                            " " + std::to_string(kFormatVersion) + "\")");
            if (v != kFormatVersion) return fail("unknown state file version " + w[0]);
            sawMagic = true;
            continue;
        }
        bool ok = false;
        int64_t v = 0;
        if (key == "model") {
            ok = a.Count() == 1 && a.Int(0, 0, 9, v);
            if (ok && v != p.deviceType)
                return fail("the state is of model " + w[0] + ", the printer is model " +
                            std::to_string(p.deviceType));
        } else if (key == "version") {
            ok = a.Count() == 1 && a.Int(0, 0, 255, v);
        } else if (key == "status") {
            ok = a.Count() == 2;
            if (ok && w[0] == "moduleVersion") {
                ok = a.Get(1, 0, 15, status.moduleVersion);
            } else if (ok && w[0] == "cancelReason") {
                ok = a.Get(1, 0, 255, status.cancelReason);
            } else if (ok) {
                ok = false;
                for (const auto &[name, member] : StatusFlags())
                    if (w[0] == name) ok = a.Flag(1, status.*member);
            }
        } else if (key == "rates") {
            ok = a.Count() == 7 && a.Array(0, 0, 65535, sales.rates);
        } else if (key == "receiptCounter") {
            ok = a.Count() == 1 && a.Get(0, 0, 65535, sales.receiptCounter);
        } else if (key == "totals") {
            ok = a.Count() == 7 && a.Array(0, -kMaxAmount, kMaxAmount, sales.totals);
        } else if (key == "receiptNumber") {
            ok = a.Count() == 1 && a.Get(0, 0, 1 << 30, sales.receiptNumber);
        } else if (key == "dailyReportNumber") {
            ok = a.Count() == 1 && a.Get(0, 0, 65535, sales.dailyReportNumber);
        } else if (key == "cashRegister") {
            // Two characters each, and the unique number eleven: the printer
            // answers and prints them by position.
            ok = a.Count() == 1 && a.Text(0, sales.cashRegister) && sales.cashRegister.size() == 2;
        } else if (key == "operatorCode") {
            ok = a.Count() == 1 && a.Text(0, sales.operatorCode) && sales.operatorCode.size() == 2;
        } else if (key == "uniqueNumber") {
            ok = a.Count() == 1 && a.Text(0, sales.uniqueNumber) && sales.uniqueNumber.size() == 11;
        } else if (key == "lineFeed") {
            ok = a.Count() == 1 && a.Get(0, 0, 255, sales.lineFeed);
        } else if (key == "drawerOpenings") {
            ok = a.Count() == 3 && a.Array(0, 0, 1 << 30, sales.drawerOpenings);
        } else if (key == "euroPending") {
            ok = a.Count() == 1 && a.Flag(0, sales.euroPending);
        } else if (key == "clock") {
            ok = a.Count() == 2 && (w[0] == "stopped" || w[0] == "running") &&
                 a.Int(1, -(int64_t{1} << 40), int64_t{1} << 40, v);
            if (ok) {
                sales.clockStopped = w[0] == "stopped";
                if (sales.clockStopped)
                    sales.clockStoppedAt = v;
                else
                    sales.clockOffsetSeconds = v;
            }
        } else if (key == "record") {
            DailyRecord r;
            ok = a.Count() == 12 && a.Get(0, 1, 65535, r.number) && a.DateAt(1, r.date) && r.date.Valid() &&
                 a.Get(4, 0, 65535, r.receipts);
            for (int i = 0; ok && i < 7; ++i)
                ok = a.Get(5 + i, -kMaxAmount, kMaxAmount, r.totals[i]);
            if (ok && !fiscal.records.empty() && r.number <= fiscal.records.back().number)
                return fail("daily report " + w[0] + " is out of order");
            if (ok) fiscal.records.push_back(r);
        } else if (key == "fiscalisedRates") {
            ok = a.Count() == 7 && a.Array(0, 0, 65535, fiscal.fiscalisedRates);
        } else if (key == "settled") {
            ok = a.Count() == 1 && a.Flag(0, fiscal.settled);
        } else if (key == "memoryTests") {
            ok = a.Count() == 1 && a.Get(0, 0, kMaxMemoryTests, fiscal.memoryTests);
        } else if (key == "clockShiftAllowed") {
            ok = a.Count() == 1 && a.Flag(0, fiscal.clockShiftAllowed);
        } else if (key == "lastClockShift") {
            ok = a.Count() == 3 && a.DateAt(0, fiscal.lastClockShift);
        } else if (key == "user") {
            UserLine u;
            ok = a.Count() == 3 && a.Int(0, 1, 6, v) && a.Get(1, 0, 255, u.attribute) && a.Text(2, u.text) &&
                 u.text.size() <= 40;
            if (ok) fiscal.userData[v - 1] = u;
        } else if (key == "rounding") {
            ok = a.Count() == 1 && a.Get(0, 0, 9, fiscal.rounding);
        } else if (key == "setting") {
            ok = a.Count() == 4 && a.Int(0, 0, kSettingsGroups - 1, v) &&
                 a.Array(1, 0, 255, fiscal.settings[v]);
        } else if (key == "euroDate") {
            ok = a.Count() == 3 && a.DateAt(0, fiscal.euroDate);
        } else if (key == "serviceDate") {
            ok = a.Count() == 3 && a.DateAt(0, fiscal.serviceDate);
        } else if (key == "lockReason") {
            ok = a.Count() == 1 && a.Get(0, 0, 255, fiscal.lockReason);
        } else if (key == "secondState") {
            ok = a.Count() == 1 && a.Get(0, 0, 255, fiscal.secondState);
        } else if (key == "cp1250Adverts") {
            ok = a.Count() == 1 && a.Flag(0, fiscal.cp1250Adverts);
        } else if (key == "display") {
            std::string row;
            ok = a.Count() == 2 && a.Int(0, 0, kDisplayRows - 1, v) && a.Text(1, row) &&
                 row.size() == kDisplayRowBytes;
            if (ok) std::copy(row.begin(), row.end(), fiscal.display[v].begin());
        } else if (key == "displayLoaded") {
            ok = a.Count() == 1 && a.Flag(0, fiscal.displayLoaded);
        } else if (key == "displayPending") {
            ok = a.Count() == 1 && a.Flag(0, fiscal.displayPending);
        } else if (key == "advert") {
            UserLine u;
            ok = a.Count() == 3 && a.Int(0, 0, kAdvertLines - 1, v) && a.Get(1, 0, 255, u.attribute) &&
                 a.Text(2, u.text) && (u.text.empty() || u.text.size() == kAdvertLineLength);
            if (ok) fiscal.adverts[v] = u;
        } else if (key == "advertsPending") {
            ok = a.Count() == 1 && a.Flag(0, fiscal.advertsPending);
        } else if (key == "namesPrinted") {
            ok = a.Count() == 1 && a.Flag(0, fiscal.namesPrinted);
        } else {
            return fail("unknown item \"" + key + "\"");
        }
        if (!ok) return fail("damaged item \"" + key + "\"");
    }
    if (in.bad()) return fail("cannot read the state file");
    if (!sawMagic) return fail("the state file is empty");
    p.status = status;
    p.sales = sales;
    const std::string statePath = p.fiscal.statePath;
    p.fiscal = fiscal;
    p.fiscal.statePath = statePath;
    p.fiscal.savedState = StateText(p);
    return true;
}

bool SaveState(Printer &p, const std::string &path, std::string &error) {
    const std::string text = StateText(p);
    const std::string temp = path + ".tmp";
    std::FILE *f = std::fopen(temp.c_str(), "wb");
    if (!f) {
        error = temp + ": " + std::strerror(errno);
        return false;
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    const bool flushed = std::fflush(f) == 0 && ::fsync(fileno(f)) == 0;
    const bool closed = std::fclose(f) == 0;
    if (!written || !flushed || !closed || std::rename(temp.c_str(), path.c_str()) != 0) {
        error = path + ": cannot write the state file: " + std::strerror(errno);
        std::remove(temp.c_str());
        return false;
    }
    p.fiscal.savedState = text;
    return true;
}

void AfterCommand(Printer &p) {
    if (p.fiscal.statePath.empty()) return;
    if (StateText(p) == p.fiscal.savedState) return;
    std::string error;
    if (!SaveState(p, p.fiscal.statePath, error)) std::fprintf(stderr, "darvo-sim: %s\n", error.c_str());
}

} // namespace darvosim
