// The emulated printer: its state and its command table. A command handler
// runs after the printer has read ESC and the command byte; it answers and
// reads the parameters through the Link, as the real printer does.
#pragma once

#include "FiscalState.h"
#include "PaperRoll.h"
#include "SalesState.h"
#include "WireLog.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>

namespace darvosim {

constexpr uint8_t ESC = 0x1B;
constexpr uint8_t ACK = 0x06;
constexpr uint8_t NAK = 0x15;

// The line as a command handler sees it.
class Link {
  public:
    virtual ~Link() = default;
    virtual void Send(const Bytes &bytes) = 0;
    void Send(uint8_t byte) { Send(Bytes{byte}); }
    // Reads exactly n bytes from the host; false when they do not all come
    // (the host gave up, or the line closed).
    virtual bool Read(size_t n, Bytes &out) = 0;
    // The printer works for a while before its next byte (ends early when
    // the emulator stops).
    virtual void Pause(std::chrono::milliseconds) {}
};

class Printer;
using Handler = std::function<void(Printer &, Link &)>;

// Status bytes 1..8, as the printer keeps them.
struct StatusState {
    // byte 1
    bool makerData = true;
    bool userData = true;
    bool readOnly = false;
    bool fiscalMode = true;
    uint8_t moduleVersion = 3;
    // byte 2
    bool namesBaseFull = false;
    bool documentWaiting = false;
    bool fewRecordsLeft = false;
    bool dailyReportMissing = false;
    bool cmosErased = false;
    bool articleLocked = false;
    bool noCustomerDisplay = false;
    bool noController = false;
    // byte 3
    bool printing = false;
    bool paperOut = false; // no paper, or head raised
    bool failure = false;
    bool lowBattery = false;
    bool receiptCancelled = false;
    bool lowReceiptMemory = false;
    bool stoppedNoPaper = false;
    // byte 4
    bool drawerClosed = true;
    bool serviceJumper = false;
    // byte 5
    bool noMains = false;
    bool headRaised = false;
    bool copyPaperOut = false; // the copy printer of the two-station models
    bool copyHeadRaised = false;
    bool noProgrammingVoltage = false;
    // byte 6: reason of the last receipt cancellation (character code)
    uint8_t cancelReason = 0;
    // byte 7
    bool noAccumulator = false;
    bool lowAccumulator = false;
    // byte 8 (pharmacy printers)
    bool pricingBufferData = false;
    bool pricingBufferFull = false;
};

class Printer {
  public:
    // deviceType 0..9 as the driver names them; version -1 picks the model's usual one.
    explicit Printer(int deviceType, int version = -1);

    int deviceType;
    int version;
    StatusState status;
    SalesState sales;
    FiscalState fiscal;
    PaperRoll roll{mutex};

    // Status bytes as the printer reports them now.
    uint8_t StatusByte(int n) const;
    bool IsPexa() const { return deviceType == 7 || deviceType == 8; }
    bool IsPharmacy() const {
        return deviceType == 4 || deviceType == 5 || deviceType == 6 || deviceType == 8;
    }
    bool IsSecondGeneration() const {
        return deviceType == 3 || deviceType == 6 || deviceType == 7 || deviceType == 8;
    }
    bool HasStatus56() const;
    // Nothing can be printed: no paper or a raised head in either printer.
    bool PaperMissing() const {
        return status.paperOut || status.headRaised || status.copyPaperOut || status.copyHeadRaised;
    }
    bool HasStatus7() const { return deviceType == 7 || deviceType == 8 || deviceType == 9; }
    bool HasStatus8() const { return deviceType == 6 || deviceType == 8; }

    // Called by the emulator for each command; an unknown command is refused with NAK.
    void Handle(uint8_t command, Link &link);
    void Define(uint8_t command, Handler handler) { commands_[command] = std::move(handler); }
    bool Knows(uint8_t command) const { return commands_.count(command) != 0; }

    // Starts a printout. It lasts `printPolls` further reads of status byte 3
    // (the tests' deterministic mode) or, when `printTime` is set, that long
    // (the command-line emulator). It stops for lack of paper when the paper
    // runs out or the head is raised, and goes on after command 42 once the
    // paper is back.
    void StartPrintout();
    int printPolls = 2;
    int printRemaining = 0;
    std::chrono::milliseconds printTime{0};
    // Moves a printout on: run each time the host reads status byte 3.
    void AdvancePrintout();
    // The roll runs out in the middle of a printout: after this many further
    // reads of status byte 3 while printing, the paper is out (-1: never).
    // It stays out until it is loaded again (status.paperOut cleared).
    int paperRunsOutAfterPolls = -1;
    // Command 42: resumes a printout stopped for lack of paper; false while
    // the paper is still missing.
    bool ResumePrintout();

    // How long a PEXA printer works before each progress byte of an erase
    // (clock initialisation, fiscalisation, names base), and how long a
    // report by command 49 searches the fiscal memory before its result
    // byte. Both 0 by default: at once.
    std::chrono::milliseconds progressTime{0};
    std::chrono::milliseconds searchTime{0};
    // How long the printer takes before it answers any command (0: at once),
    // as a slow line or a busy printer would.
    std::chrono::milliseconds answerTime{0};

    // The line speed the settings groups select on the PEXA printers
    // (28800 when group 2 byte 3 bit 0 is set, else 19200 when group 0
    // byte 1 bit 5 is set, else 9600); 0 for the other models.
    uint32_t SettingsSpeed() const;
    // When set, the printer listens only at that speed: a frame sent at
    // another line speed is garbage to it and gets no answer. Off by
    // default, when the printer answers at any speed.
    bool speedChecked = false;

    // Switched off, the printer answers nothing (the emulator also holds the
    // line's CTS inactive, see Control).
    bool powered = true;

    // Runs one operator command on the printer, as typed on the emulator's
    // standard input ("paper out", "head up", "power off", "status", ...; see
    // ControlHelp). `slaveFd` is the line's slave side, whose output is
    // suspended while the power is off. Returns the answer to show; an
    // unknown command gives a text that begins with "unknown command".
    std::string Control(const std::string &command, int slaveFd);
    static const char *ControlHelp();

    // Everything a handler and a test touch is guarded by this lock; the
    // emulator holds it while it serves one command.
    std::recursive_mutex mutex;

  private:
    std::map<uint8_t, Handler> commands_;
    using Clock = std::chrono::steady_clock;
    Clock::time_point printEnd_{};
    Clock::duration printLeft_{}; // time still to print when stopped
};

// Command groups, each in a file of its own.
void DefineBasicCommands(Printer &printer);  // ping, identification, status bytes
void DefineSalesCommands(Printer &printer);  // receipts, rates, counters, clock, drawer
void DefineFiscalCommands(Printer &printer); // reports, fiscal memory, service and configuration

} // namespace darvosim
