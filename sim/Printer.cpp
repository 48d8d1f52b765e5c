#include "Printer.h"

#include <cstdio>
#include <sstream>
#include <termios.h>

namespace darvosim {

namespace {
int UsualVersion(int deviceType) {
    switch (deviceType) {
    case 3: return 3;
    case 6: return 6;
    case 7: return 7;
    case 8: return 7;
    default: return 0;
    }
}
} // namespace

Printer::Printer(int type, int ver) : deviceType(type), version(ver < 0 ? UsualVersion(type) : ver) {
    DefineBasicCommands(*this);
    DefineSalesCommands(*this);
    DefineFiscalCommands(*this);
}

bool Printer::HasStatus56() const {
    return (deviceType == 3 && version >= 3) || (deviceType == 6 && version >= 6) || deviceType == 7 ||
           deviceType == 8 || deviceType == 9;
}

static uint8_t Bit(bool set, int bit) {
    return set ? static_cast<uint8_t>(1u << bit) : 0;
}

uint8_t Printer::StatusByte(int n) const {
    const StatusState &s = status;
    switch (n) {
    case 1:
        return Bit(s.makerData, 0) | Bit(s.userData, 1) | Bit(s.readOnly, 2) | Bit(s.fiscalMode, 3) |
               static_cast<uint8_t>((s.moduleVersion & 0x0F) << 4);
    case 2:
        return Bit(s.namesBaseFull, 0) | Bit(s.documentWaiting, 1) | Bit(s.fewRecordsLeft, 2) |
               Bit(s.dailyReportMissing, 3) | Bit(s.cmosErased, 4) | Bit(s.articleLocked, 5) |
               Bit(s.noCustomerDisplay, 6) | Bit(s.noController, 7);
    case 3:
        // A printout stops the moment its paper runs out, not at the next
        // look at this byte.
        return Bit(s.printing, 0) | Bit(PaperMissing(), 1) | Bit(s.failure, 2) | Bit(s.lowBattery, 3) |
               Bit(s.receiptCancelled, 4) | Bit(s.lowReceiptMemory, 5) |
               Bit(s.stoppedNoPaper || (s.printing && PaperMissing()), 6) | Bit(s.noController, 7);
    case 4: return Bit(s.drawerClosed, 3) | Bit(s.serviceJumper, 6);
    case 5:
        return Bit(s.noMains, 0) | Bit(s.paperOut, 2) | Bit(s.copyPaperOut, 3) | Bit(s.headRaised, 4) |
               Bit(s.copyHeadRaised, 5) | Bit(s.noProgrammingVoltage, 6);
    case 6: return s.cancelReason;
    case 7: return Bit(s.noAccumulator, 0) | Bit(s.lowAccumulator, 1);
    case 8: return Bit(s.pricingBufferData, 0) | Bit(s.pricingBufferFull, 1);
    default: return 0;
    }
}

uint32_t Printer::SettingsSpeed() const {
    if (!IsPexa()) return 0;
    if (fiscal.settings[2][2] & 0x01) return 28800;
    if (fiscal.settings[0][0] & 0x20) return 19200;
    return 9600;
}

void Printer::Handle(uint8_t command, Link &link) {
    if (!powered) return; // switched off: not a byte comes back
    auto it = commands_.find(command);
    if (it == commands_.end()) {
        link.Send(NAK);
        return;
    }
    it->second(*this, link);
}

void Printer::StartPrintout() {
    const bool timed = printTime.count() > 0;
    status.printing = timed || printPolls > 0;
    printRemaining = printPolls;
    printEnd_ = Clock::now() + printTime;
    if (PaperMissing()) {
        // Nothing can be printed: the printout waits for paper from the start.
        status.printing = true;
        status.stoppedNoPaper = true;
        if (printRemaining < 1) printRemaining = 1;
        printLeft_ = printTime;
    }
}

void Printer::AdvancePrintout() {
    StatusState &s = status;
    if (!s.printing || s.stoppedNoPaper) return;
    if (paperRunsOutAfterPolls >= 0 && paperRunsOutAfterPolls-- == 0) s.paperOut = true;
    if (PaperMissing()) {
        // The paper ran out (or the head was raised) in the middle.
        s.stoppedNoPaper = true;
        Clock::duration left = printEnd_ - Clock::now();
        printLeft_ = left.count() > 0 ? left : Clock::duration{};
        if (printRemaining < 1) printRemaining = 1;
        return;
    }
    if (printTime.count() > 0) {
        if (Clock::now() >= printEnd_) s.printing = false;
        return;
    }
    if (printRemaining > 0) --printRemaining;
    if (printRemaining == 0) s.printing = false;
}

bool Printer::ResumePrintout() {
    StatusState &s = status;
    if (PaperMissing()) return false;
    if (s.printing && s.stoppedNoPaper) {
        s.stoppedNoPaper = false;
        printEnd_ = Clock::now() + printLeft_;
        if (printTime.count() > 0 && printLeft_.count() <= 0) s.printing = false;
    } else if (s.documentWaiting) {
        s.documentWaiting = false;
        StartPrintout();
    }
    return true;
}

const char *Printer::ControlHelp() {
    return "  paper out | paper in      take the paper out, load it again\n"
           "  paper ends                the roll runs out in the middle of the next printout\n"
           "  head up | head down       raise or lower the print head\n"
           "  copy paper out | copy paper in | copy head up | copy head down\n"
           "                            the same for the copy printer\n"
           "  failure on | failure off  printer failure\n"
           "  power off | power on      switch the printer off (no answers, CTS inactive) or on\n"
           "  jumper on | jumper off    service jumper in the service or the normal position\n"
           "  drawer open | drawer close\n"
           "  print                     start a printout\n"
           "  status                    show the status bytes\n"
           "  settings                  show the PEXA settings: speed, code page, dates, advertising lines\n"
           "  display                   show the customer-display picture ('#' dark, '.' light)\n"
           "  help                      show these commands\n";
}

std::string Printer::Control(const std::string &command, int slaveFd) {
    std::istringstream in(command);
    std::string word, arg, extra;
    in >> word;
    // "copy paper out": the copy printer of the two-station models
    const bool copy = word == "copy";
    if (copy) in >> word;
    in >> arg >> extra;
    if (word.empty()) return "";
    std::lock_guard<std::recursive_mutex> lock(mutex);
    StatusState &s = status;
    // A command with a word too many is refused and changes nothing.
    auto flag = [&](bool &target, const char *on, const char *off) -> bool {
        if (!extra.empty()) return false;
        if (arg == on) {
            target = true;
        } else if (arg == off) {
            target = false;
        } else {
            return false;
        }
        return true;
    };
    bool ok = false;
    if (word == "paper" && !copy && arg == "ends" && extra.empty()) {
        // The roll runs out a few polls into the next printout.
        paperRunsOutAfterPolls = 3;
        ok = true;
    } else if (word == "paper") {
        ok = flag(copy ? s.copyPaperOut : s.paperOut, "out", "in");
    } else if (word == "head") {
        ok = flag(copy ? s.copyHeadRaised : s.headRaised, "up", "down");
    } else if (copy) {
        ok = false;
    } else if (word == "failure") {
        ok = flag(s.failure, "on", "off");
    } else if (word == "jumper") {
        ok = flag(s.serviceJumper, "on", "off");
    } else if (word == "drawer") {
        ok = flag(s.drawerClosed, "close", "open");
    } else if (word == "power") {
        bool off = false;
        ok = flag(off, "off", "on");
        if (ok) {
            powered = !off;
            // While the printer is off its CTS is inactive: the host's bytes
            // stay in its output queue and its writes time out.
            if (slaveFd >= 0) ::tcflow(slaveFd, off ? TCOOFF : TCOON);
        }
    } else if (word == "print" && arg.empty()) {
        StartPrintout();
        ok = true;
    } else if (word == "status" && arg.empty()) {
        std::string text;
        for (int n = 1; n <= 8; ++n) {
            if ((n == 5 || n == 6) && !HasStatus56()) continue;
            if (n == 7 && !HasStatus7()) continue;
            if (n == 8 && !HasStatus8()) continue;
            char item[16];
            std::snprintf(item, sizeof item, "%s%d:%02X", text.empty() ? "" : " ", n, StatusByte(n));
            text += item;
        }
        return text;
    } else if (word == "settings" && arg.empty()) {
        auto date = [](const Date &d) {
            if (d.Empty()) return std::string("brak");
            char text[16];
            std::snprintf(text, sizeof text, "20%02d-%02d-%02d", d.year % 100, d.month % 100, d.day % 100);
            return std::string(text);
        };
        std::string text = "speed " + std::to_string(SettingsSpeed()) + ", code page " +
                           (fiscal.cp1250Adverts ? "1250" : "852") + ", euro " + date(fiscal.euroDate) +
                           ", service " + date(fiscal.serviceDate);
        for (const UserLine &line : fiscal.adverts)
            text += "\n  |" + Cp852ToUtf8(line.text) + "|";
        return text;
    } else if (word == "display" && arg.empty()) {
        if (!fiscal.displayLoaded) return "display empty";
        std::string text = fiscal.displayPending ? "display (not yet on a daily report)" : "display";
        for (const auto &row : fiscal.display) {
            text += "\n";
            for (int x = 0; x < 192; ++x)
                text += (row[x / 8] & (0x80 >> (x % 8))) ? '#' : '.';
        }
        return text;
    } else if (word == "help" && arg.empty()) {
        return ControlHelp();
    }
    if (!ok) return "unknown command: " + command;
    return "ok";
}

} // namespace darvosim
