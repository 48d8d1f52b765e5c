// One fiscal printer through the driver, for programs that speak UTF-8: the
// session, the facts a receipt is checked against, printing a planned
// receipt, finding out what happened to an interrupted one, bringing the
// printer back to ready, and the queries and commands of a technician.
//
// A receipt goes through separate steps, so that a caller can keep a
// journal between them:
//
//   Receipt r;        ParseReceipt(json, r)                  no printer
//   Printer p(conn);  p.Open()                               session start
//   PrinterFacts f;   p.Facts(f)                             read once per session
//   Plan plan;        PlanReceipt(r, f, plan)                no printer
//   Ledger before;    p.ReadLedger(before)                   read-only
//   PrintResult res = p.Print(plan, before, hook)            hook runs just before the first
//                                                            byte that changes the printer
// and after a crash, in a new process:
//   Printer p(conn);  p.Settle(before, plan.totals.rates)    printed / not printed / unknown
//
// The driver keeps one session per process (one port at a time): one
// Printer at a time per process. This class keeps no global state of its
// own. Every text here is UTF-8.
#pragma once

#include "Plan.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace darvo::pos {

struct Connection {
    uint8_t port = 1; // COM number (see ResolvePort)
    int32_t speed = 9600;
    int32_t timeoutSeconds = 5;
};

// Port "COM3", "3" or a device path to the driver's port number. A path is
// reached through port 255, mapped to it in this process's environment
// (DARVO_COM255), which the driver reads at each open.
constexpr uint8_t kPathPort = 255;
bool ResolvePort(const std::string &portName, uint8_t &port, std::string &error);

// What a driver result code means for a caller.
enum class Outcome { Done = 0, BadInput = 1, Refused = 2, NoCommunication = 3 };
Outcome OutcomeOf(int32_t code);
// The driver's message for a code (the printer's Polish text), with the
// port layer's own text for a port that cannot be opened.
std::string MessageOf(int32_t code);

// One step of a recovery or a settlement, as it went.
struct Step {
    std::string name;    // "line", "printer", "paper", "receipt", "session", "counter", "ready"
    int32_t code = 0;    // 0: done
    std::string message; // what was found or done
};

enum class ReceiptState { Printed, NotPrinted, Unknown };

// What ending a receipt left open (by another program, or one that died)
// found: none, one it cancelled, or maybe one (the printer was printing).
enum class LeftOpen { None, Cancelled, Maybe };
const char *LeftOpenText(LeftOpen found);
const char *StateName(ReceiptState state); // "printed", "not_printed", "unknown"

// What the printer's own records say of its receipts. Read before a receipt
// and again after anything went wrong, the two settle the receipt's outcome.
struct Ledger {
    int32_t receiptCounter = -1; // receipts since the daily report
    int32_t dailyReport = -1;    // the number of the last daily report
    // Sales per rate A..G since the daily report, hundredths (the printers
    // that keep them: device types 3, 6, 7, 8, 9).
    std::optional<std::array<int64_t, 7>> totals;
    bool Complete() const { return receiptCounter >= 0 && dailyReport >= 0; }
};

// An outcome and what it was found from, in words.
struct Verdict {
    ReceiptState state = ReceiptState::Unknown;
    std::string reason;
};
// A receipt's outcome from the ledger before it and after it, never
// guessed: printed only when exactly this receipt was added (one more
// receipt, its totals per rate added, no daily report since), not printed
// only when nothing was; anything else is not known.
Verdict JudgeReceipt(const Ledger &before, const Ledger &after, const std::array<int64_t, 7> &receipt);
// A daily report's outcome from the daily report numbers before and after.
Verdict JudgeDailyReport(int32_t before, int32_t after);

struct PrintResult {
    ReceiptState state = ReceiptState::Unknown;
    int32_t code = 0;           // the failing call's result (0: none)
    std::string failedAt;       // where: "begin", "lines[1]", "lines[1].discount", "end", ...
    int32_t receiptNumber = -1; // the printer's receipt counter after it (receipts since the daily report)
    int32_t printoutCode = 0;   // printed, but its printout stopped (109: paper out; Recover resumes it)
    std::optional<int64_t> printerTotal; // the receipt's total by the printer's own sales totals
    std::vector<Step> settlement;        // how the outcome was found after a failure
    std::string verdict;                 // why, after a failure at the end, in words
    Ledger ledgerAfter;                  // the ledger as the settlement found it
};

struct RecoverOptions {
    std::optional<int32_t> counterBefore;      // the receipt counter read before the last receipt
    std::optional<Ledger> ledgerBefore;        // or the whole ledger, with the receipt's totals
    std::array<int64_t, 7> receiptTotals{};    // per rate, as the receipt adds them
    std::chrono::milliseconds waitForPaper{0}; // how long to wait for paper to be loaded
    bool checkReady = true;                    // end with the receipt conditions check
};

struct RecoverReport {
    std::vector<Step> steps;
    int32_t code = 0; // the first failing step's code
    bool ready = false;
    std::optional<ReceiptState> lastReceipt; // with counterBefore or ledgerBefore
    std::string verdict;                     // why, in words
    int32_t receiptCounter = -1;
    Ledger ledger; // as read at the end (with ledgerBefore)
};

struct StatusInfo {
    int deviceType = 9;
    int version = 0;
    std::string model;
    int count = 0;                  // status bytes read: 4, 6 or 7
    std::array<uint8_t, 9> bytes{}; // bytes[1..8]
    bool hasByte8 = false;
    std::vector<std::string> texts; // every bit that is set, in the printer's words
    bool fiscal = false, readOnly = false, paperOut = false, printing = false;
    bool receiptOpen = false; // a receipt this process holds open
    std::string date, time;   // the printer's clock: "2024-05-01", "14:05:30"
    int32_t receiptCounter = -1;
    int32_t dailyReport = -1; // the last daily report's number
};

struct Clock {
    int year = 2000, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

struct Rates {
    int count = 7;                   // 4, 6 or 7
    std::array<int32_t, 7> values{}; // hundredths of a percent; kRateExempt, kRateUnused
};
constexpr int32_t kRateExempt = 10000;
constexpr int32_t kRateUnused = 25500;

struct HeaderLine {
    std::string text;  // UTF-8
    int width = 40;    // 20 or 40 characters
    bool flag = false; // the printer's per-line attribute (bit 1)
};

enum class PeriodicKind { ByDates, ByNumbers };
struct PeriodicRequest {
    PeriodicKind kind = PeriodicKind::ByDates;
    bool detailed = false;
    int fromYear = 0, fromMonth = 0, fromDay = 0, toYear = 0, toMonth = 0, toDay = 0; // four-digit years
    int fromNumber = 0, toNumber = 0;
};

class Printer {
  public:
    explicit Printer(Connection connection);
    ~Printer();
    Printer(const Printer &) = delete;
    Printer &operator=(const Printer &) = delete;
    const Connection &connection() const { return connection_; }

    // The driver's session start: it ends a receipt the printer holds open
    // (cancelled, never printed), waits for a printout in progress and
    // identifies the printer.
    int32_t Open();
    // Only opens the port, for work that must change nothing on the
    // printer: no command is sent.
    int32_t Attach();
    // Ends a receipt the printer holds open, and says whether there was
    // one (the session start would end it without a word). Nothing is done
    // while the printer has no paper.
    int32_t EndReceiptLeftOpen(LeftOpen &found);
    void Close();

    // Read once per session (device type, model, tax rates).
    int32_t Facts(PrinterFacts &facts);
    // Receipts since the last daily report; one more once a receipt printed.
    int32_t ReadReceiptCounter(int32_t &counter);
    // The receipt counter, the daily report number and (where the printer
    // keeps them) its sales totals per rate; read-only.
    int32_t ReadLedger(Ledger &ledger);
    // Whether a receipt may begin now (0), or the first condition that fails.
    int32_t CheckConditions();

    // Prints a planned receipt. `beforeFirstByte` runs once, right before
    // the first byte that changes the printer's state (the receipt's begin);
    // when it returns false nothing is printed. After a failure the outcome
    // is settled from the printer's ledger against `before`.
    PrintResult Print(const Plan &plan, const Ledger &before,
                      const std::function<bool()> &beforeFirstByte = {});
    // Runs after each call of a receipt that the printer took: "begin",
    // each line's path ("lines[0]", "lines[0].discount"), "end" once the
    // receipt is closed. A caller marks its progress there.
    void SetCallObserver(std::function<void(const std::string &call)> observer) {
        observer_ = std::move(observer);
    }

    // Back to ready from the states a till meets: a printer that does not
    // answer, paper out (waiting for it when asked), a printout stopped for
    // paper (resumed), a receipt left open (cancelled), a session lost
    // after power off (restarted). Each step is reported.
    RecoverReport Recover(const RecoverOptions &options);
    // What happened to a receipt whose answer was lost: the recovery
    // without waiting for paper and without the readiness check, then the
    // ledger against `before` and the receipt's totals per rate.
    Verdict Settle(const Ledger &before, const std::array<int64_t, 7> &receipt,
                   RecoverReport *report = nullptr);
    // The same for a daily report, from the daily report number before it.
    Verdict SettleDailyReport(int32_t before, RecoverReport *report = nullptr);

    int32_t Status(StatusInfo &info);
    int32_t ReadClock(Clock &clock);
    // Initialises the clock (only after the printer's CMOS memory was
    // erased; a PEXA printer then erases its memory).
    int32_t InitClock(const Clock &clock);
    // Moves the clock by 1..99 minutes either way (after a daily report).
    int32_t ShiftClock(int minutes);
    int32_t ReadRates(Rates &rates);
    int32_t WriteRates(const Rates &rates);
    // The receipt header: 4 lines, 6 on PEXA printers.
    int32_t ReadHeader(std::vector<HeaderLine> &lines);
    // Writes the lines given (centred when `centre`); in fiscal mode the
    // printer keeps its NIP line, which is then skipped. `written` lists the
    // line numbers written.
    int32_t WriteHeader(const std::vector<HeaderLine> &lines, bool centre, std::vector<int> &written);
    int32_t DailyReport(bool zeroReport);
    int32_t FinancialReport();
    int32_t PeriodicReport(const PeriodicRequest &request);
    int32_t MonthlyReport(int year, int month, bool detailed);

  private:
    enum class Mode { Closed, Attached, Open };
    int32_t Ensure(Mode wanted);
    void StepsUntilSession(RecoverReport &report, const RecoverOptions &options);

    Connection connection_;
    Mode mode_ = Mode::Closed;
    std::optional<PrinterFacts> facts_;
    std::function<void(const std::string &)> observer_;
};

// The lines a header writes: the text centred (or padded on the right) to
// its width, in Windows-1250. A problem for a text the printer cannot
// print or longer than its width.
Problems HeaderTexts(const std::vector<HeaderLine> &lines, bool centre, std::vector<std::string> &texts);

} // namespace darvo::pos
