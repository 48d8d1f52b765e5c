#include "Printer.h"

#include "Decimal.h"
#include "PrinterText.h"
#include "darvodr/Counters.h"
#include "darvodr/Receipt.h"
#include "darvodr/Reports.h"
#include "darvodr/Service.h"
#include "darvodr/Session.h"
#include "darvodr/Shielded.h"
#include "darvodr/darvodr.h"
#include "ops/Status.h"
#include "serial/PortError.h"
#include "serial/PortMap.h"

#include <cstdlib>
#include <thread>

namespace darvo::pos {

namespace {

constexpr uint8_t kCancelCommand = 35; // ends an open receipt; answers ACK with none open
constexpr uint8_t kTotalCommand = 7;
constexpr uint8_t kCloseCommand = 36;
constexpr uint8_t kStatus3 = 0x95; // status byte 3, answered without acknowledgement

bool IsCommunicationCode(int32_t code) {
    return (code > 0 && code < 20) || code == 20 || code == 21 || code == 23 || code == 114 ||
           (code > 241 && code != 999);
}

// The driver's receipt state, read under its lock.
bool DriverHoldsReceipt() {
    bool open = false;
    Shielded([&] {
        open = darvo::ReceiptOpen;
        return 0;
    });
    return open;
}

int32_t ReadStatus3(uint8_t &s3) {
    uint8_t answer[256] = {};
    const int32_t rc = RSSequence(kStatus3, 1, 0, answer, nullptr);
    s3 = answer[0];
    return rc;
}

std::string Digits2(int v) {
    return (v < 10 ? "0" : "") + std::to_string(v);
}

} // namespace

bool ResolvePort(const std::string &portName, uint8_t &port, std::string &error) {
    std::string number = portName;
    if (number.size() > 3 && (number.compare(0, 3, "COM") == 0 || number.compare(0, 3, "com") == 0))
        number = number.substr(3);
    if (!number.empty() && number.find_first_not_of("0123456789") == std::string::npos) {
        const long n = number.size() > 3 ? 0 : std::strtol(number.c_str(), nullptr, 10);
        if (n < 1 || n > 254) {
            error = "port " + portName + ": COM1 to COM254";
            return false;
        }
        port = static_cast<uint8_t>(n);
        return true;
    }
    if (portName.empty() || portName[0] != '/') {
        error = "port " + portName + ": COMn or a device path such as /dev/ttyUSB0";
        return false;
    }
    ::setenv("DARVO_COM255", portName.c_str(), 1);
    port = kPathPort;
    return true;
}

Outcome OutcomeOf(int32_t code) {
    if (code == 0) return Outcome::Done;
    return IsCommunicationCode(code) ? Outcome::NoCommunication : Outcome::Refused;
}

std::string MessageOf(int32_t code) {
    std::string text;
    ErrMessage(code, text);
    std::string message = FromDriverText(text);
    // A port that cannot be opened, or a port map that opens none, has its
    // own text from the port layer.
    if ((code > 0 && code < 20) || code == static_cast<int32_t>(ERR_BAD_CONFIGURATION)) {
        const std::string port = LastPortErrorText();
        if (!port.empty()) message = port;
    }
    // The time-out texts are for a window: lines separated by CR.
    for (char &c : message)
        if (c == '\r') c = '\n';
    return message;
}

const char *StateName(ReceiptState state) {
    switch (state) {
    case ReceiptState::Printed: return "printed";
    case ReceiptState::NotPrinted: return "not_printed";
    default: return "unknown";
    }
}

Printer::Printer(Connection connection) : connection_(connection) {}

Printer::~Printer() {
    Close();
}

int32_t Printer::Open() {
    facts_.reset();
    const int32_t rc = CommunicationInit(connection_.port, connection_.speed, connection_.timeoutSeconds);
    mode_ = rc == 0 ? Mode::Open : Mode::Closed;
    return rc;
}

int32_t Printer::Attach() {
    if (mode_ != Mode::Closed) return 0;
    // A session started without a word to the printer: the operations that
    // need one take it as it is rather than start their own (which would
    // fail once an earlier session of this process has ended).
    const int32_t rc = Shielded([&] {
        SessionTimeout = connection_.timeoutSeconds;
        SessionBaudRate = connection_.speed;
        SessionPort = connection_.port;
        return StartSession(connection_.port, false);
    });
    if (rc == 0) mode_ = Mode::Attached;
    return rc;
}

void Printer::Close() {
    if (mode_ == Mode::Open)
        CommunicationEnd();
    else if (mode_ == Mode::Attached)
        ClosePort();
    mode_ = Mode::Closed;
    facts_.reset();
}

int32_t Printer::Ensure(Mode wanted) {
    if (mode_ == Mode::Open || mode_ == wanted) return 0;
    return wanted == Mode::Open ? Open() : Attach();
}

int32_t Printer::Facts(PrinterFacts &facts) {
    if (facts_) {
        facts = *facts_;
        return 0;
    }
    int32_t rc = Ensure(Mode::Attached);
    if (rc != 0) return rc;
    PrinterFacts f;
    uint8_t type = 9;
    rc = Shielded([&] { return ReadDeviceType(type, f.version); });
    if (rc != 0) return rc;
    f.deviceType = type;
    f.model = FromDriverText(DeviceNameOf(type));
    int32_t v[7] = {};
    rc = ReadVAT(&f.rateCount, &v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &v[6]);
    if (rc != 0) return rc;
    for (int i = 0; i < 7; ++i)
        f.rates[static_cast<size_t>(i)] = i < f.rateCount ? v[i] : kRateUnused;
    facts_ = f;
    facts = f;
    return 0;
}

int32_t Printer::ReadReceiptCounter(int32_t &counter) {
    const int32_t rc = Ensure(Mode::Attached);
    return rc != 0 ? rc : ReceiptNumber(&counter);
}

int32_t Printer::ReadLedger(Ledger &ledger) {
    ledger = Ledger{};
    int32_t rc = Ensure(Mode::Attached);
    if (rc != 0 || (rc = ReceiptNumber(&ledger.receiptCounter)) != 0 ||
        (rc = DailyReportNumber(&ledger.dailyReport)) != 0) {
        ledger = Ledger{};
        return rc;
    }
    std::array<int64_t, 7> totals{};
    rc = Shielded([&] { return ReadSalesTotals(totals); });
    if (rc == RC_NOT_IN_DEVICE) return 0; // a printer that keeps no totals
    if (rc != 0) {
        ledger = Ledger{};
        return rc;
    }
    ledger.totals = totals;
    return 0;
}

namespace {

std::string Amounts(const std::array<int64_t, 7> &totals) {
    std::string text;
    for (size_t r = 0; r < totals.size(); ++r)
        if (totals[r] != 0)
            text += (text.empty() ? "" : ", ") + std::string(1, static_cast<char>('A' + r)) + " " +
                    FormatAmount(totals[r]);
    return text.empty() ? "nothing" : text;
}

std::array<int64_t, 7> Added(const std::array<int64_t, 7> &a, const std::array<int64_t, 7> &b) {
    std::array<int64_t, 7> sum{};
    for (size_t r = 0; r < sum.size(); ++r)
        sum[r] = a[r] + b[r];
    return sum;
}

} // namespace

Verdict JudgeReceipt(const Ledger &before, const Ledger &after, const std::array<int64_t, 7> &receipt) {
    if (!before.Complete() || !after.Complete())
        return {ReceiptState::Unknown, "the printer's counters could not be read"};
    const std::string counters = "receipts since the daily report " + std::to_string(before.receiptCounter) +
                                 " before, " + std::to_string(after.receiptCounter) + " now";
    if (after.dailyReport != before.dailyReport) {
        std::string expected = "daily report nr " + std::to_string(before.dailyReport + 1) + " counts " +
                               std::to_string(before.receiptCounter + 1) + " receipts";
        if (before.totals) expected += " with sales " + Amounts(Added(*before.totals, receipt));
        return {ReceiptState::Unknown,
                "a daily report was made since (nr " + std::to_string(before.dailyReport) + " before, nr " +
                    std::to_string(after.dailyReport) +
                    " now), which started the counters again: the receipt " + "printed if " + expected +
                    ", and did not if it counts " + std::to_string(before.receiptCounter) +
                    (before.totals ? " with sales " + Amounts(*before.totals) : "")};
    }
    const int moved = after.receiptCounter - before.receiptCounter;
    const bool totalsKnown = before.totals && after.totals;
    if (moved == 0 && (!totalsKnown || *after.totals == *before.totals))
        return {ReceiptState::NotPrinted, "no receipt was counted since (" + counters + ")"};
    if (moved == 1 && totalsKnown && *after.totals == Added(*before.totals, receipt))
        return {ReceiptState::Printed, "exactly this receipt was counted (" + counters + ", its sales " +
                                           Amounts(receipt) + " added)"};
    if (moved == 1 && !totalsKnown)
        return {ReceiptState::Unknown,
                "one receipt was counted since (" + counters +
                    "), and this printer keeps no sales totals that tell whether it is "
                    "this one"};
    std::string found = counters;
    if (totalsKnown)
        found += "; sales " + Amounts(*before.totals) + " before, " + Amounts(*after.totals) +
                 " now, this receipt " + Amounts(receipt);
    return {ReceiptState::Unknown,
            "the printer counted something other than this receipt alone (" + found + ")"};
}

Verdict JudgeDailyReport(int32_t before, int32_t after) {
    if (before < 0 || after < 0) return {ReceiptState::Unknown, "the daily report number could not be read"};
    const std::string numbers =
        "daily report nr " + std::to_string(before) + " before, nr " + std::to_string(after) + " now";
    if (after == before + 1) return {ReceiptState::Printed, "the daily report was made (" + numbers + ")"};
    if (after == before) return {ReceiptState::NotPrinted, "no daily report was made (" + numbers + ")"};
    return {ReceiptState::Unknown, "the daily report number moved by more than one report (" + numbers + ")"};
}

int32_t Printer::CheckConditions() {
    const int32_t rc = Ensure(Mode::Attached);
    return rc != 0 ? rc : ReceiptConditions();
}

namespace {

int64_t Sum(const std::array<int64_t, 7> &totals) {
    int64_t sum = 0;
    for (int64_t t : totals)
        sum += t;
    return sum;
}

} // namespace

PrintResult Printer::Print(const Plan &plan, const Ledger &before,
                           const std::function<bool()> &beforeFirstByte) {
    PrintResult result;
    int32_t rc = Ensure(Mode::Open);
    if (rc == 0 && beforeFirstByte && !beforeFirstByte()) {
        result.state = ReceiptState::NotPrinted;
        result.failedAt = "stopped by the caller";
        return result;
    }
    auto fail = [&](int32_t code, std::string at) {
        result.code = code;
        result.failedAt = std::move(at);
    };
    auto took = [&](const std::string &call) {
        if (observer_) observer_(call);
    };
    if (rc != 0) fail(rc, "session");
    if (rc == 0 && (rc = ReceiptBegin()) != 0) fail(rc, "begin");
    if (rc == 0) took("begin");
    for (size_t i = 0; rc == 0 && i < plan.lines.size(); ++i) {
        const PlannedLine &l = plan.lines[i];
        uint32_t value = l.value; // sent as it is: what was checked is what the printer gets
        rc = pReceiptItem(l.sale ? 1 : 2, l.name.c_str(), l.rate, 0, l.quantity, l.decimals, l.unit.c_str(),
                          l.price, &value);
        if (rc != 0)
            fail(rc, l.path);
        else
            took(l.path);
    }
    // The tables go out with the end; they are filled just before it.
    if (rc == 0) {
        ErasePayments();
        EraseLines();
    }
    for (size_t i = 0; rc == 0 && i < plan.payments.size(); ++i) {
        const PlannedPayment &p = plan.payments[i];
        if ((rc = pFillPayment(p.slot, p.name.c_str(), p.amount, p.change)) != 0)
            fail(rc, "payments[" + std::to_string(i) + "]");
    }
    for (size_t i = 0; rc == 0 && i < plan.extraLines.size(); ++i) {
        int32_t free = 0;
        if ((rc = pFillLines(plan.extraLines[i].code, plan.extraLines[i].text.c_str(), &free)) != 0)
            fail(rc, "extra_lines[" + std::to_string(i) + "]");
    }
    const bool reachedEnd = rc == 0;
    if (reachedEnd && (rc = ReceiptEnd(plan.discountPercent)) != 0) fail(rc, "end");
    if (reachedEnd && rc == 0) took("end");

    if (rc == 0 || (reachedEnd && !DriverHoldsReceipt() && (rc == 109 || rc == 102 || rc == 103))) {
        // Closed: the printer has counted it. A printout that stopped (paper
        // out) still belongs to a printed receipt.
        result.state = ReceiptState::Printed;
        result.printoutCode = rc;
        result.code = 0;
        if (rc != 0) result.failedAt.clear();
        if (ReceiptNumber(&result.receiptNumber) != 0) result.receiptNumber = before.receiptCounter + 1;
        std::array<int64_t, 7> after{};
        if (before.totals && rc == 0 && Shielded([&] { return ReadSalesTotals(after); }) == 0)
            result.printerTotal = Sum(after) - Sum(*before.totals);
        return result;
    }
    RecoverReport report;
    std::array<int64_t, 7> receipt{};
    for (size_t r = 0; r < receipt.size(); ++r)
        receipt[r] = plan.totals.rates[r];
    if (!reachedEnd) {
        // A receipt is counted only when it is closed: it did not print.
        // Whatever is left open is ended, so that the next one can begin.
        result.state = ReceiptState::NotPrinted;
        if (OutcomeOf(rc) == Outcome::NoCommunication || DriverHoldsReceipt() || rc == 24)
            Settle(before, receipt, &report);
    } else {
        const Verdict verdict = Settle(before, receipt, &report);
        result.state = verdict.state;
        result.verdict = verdict.reason;
    }
    result.settlement = report.steps;
    result.ledgerAfter = report.ledger;
    if (result.state == ReceiptState::Printed) result.receiptNumber = report.receiptCounter;
    return result;
}

Verdict Printer::Settle(const Ledger &before, const std::array<int64_t, 7> &receipt, RecoverReport *out) {
    RecoverOptions options;
    options.ledgerBefore = before;
    options.receiptTotals = receipt;
    options.checkReady = false;
    RecoverReport report = Recover(options);
    Verdict verdict{report.lastReceipt.value_or(ReceiptState::Unknown), report.verdict};
    if (verdict.reason.empty()) verdict.reason = "the printer does not answer";
    if (out) *out = std::move(report);
    return verdict;
}

Verdict Printer::SettleDailyReport(int32_t before, RecoverReport *out) {
    RecoverOptions options;
    options.checkReady = false;
    RecoverReport report = Recover(options);
    Verdict verdict{ReceiptState::Unknown, "the printer does not answer"};
    const bool answers = report.steps.size() >= 2 && report.steps[1].code == 0;
    Ledger after;
    const int32_t rc = answers ? ReadLedger(after) : 0;
    if (answers) {
        if (rc == 0) {
            verdict = JudgeDailyReport(before, after.dailyReport);
            report.ledger = after;
            report.lastReceipt = verdict.state;
            report.verdict = verdict.reason;
        }
        report.steps.push_back({"report", rc, rc == 0 ? verdict.reason : MessageOf(rc)});
        if (rc != 0 && report.code == 0) report.code = rc;
    }
    if (out) *out = std::move(report);
    return verdict;
}

namespace {

// A receipt left open: the command that ends it cancels it. A printer
// already told a discounted total keeps it open against that command;
// closing it with a total that does not match makes it cancel it itself.
int32_t EndLeftOpen(uint8_t s3, LeftOpen &found) {
    const bool printingBefore = s3 & 0x01;
    uint8_t answer[256] = {};
    int32_t rc = RSSequence(kCancelCommand, 1, 0, answer, nullptr);
    found = LeftOpen::None;
    if (rc == 24) {
        const uint8_t zero[4] = {0, 0, 0, 0};
        RSSequence(kTotalCommand, 0, 4, nullptr, zero);
        RSSequence(kCloseCommand, 1, 0, answer, nullptr);
        rc = RSSequence(kCancelCommand, 1, 0, answer, nullptr);
        found = LeftOpen::Cancelled;
    } else if (rc == 0) {
        uint8_t after = 0;
        rc = ReadStatus3(after);
        // Ending an open receipt starts the printout of its cancellation.
        found = printingBefore ? LeftOpen::Maybe : (after & 0x01) ? LeftOpen::Cancelled : LeftOpen::None;
    }
    return rc;
}

} // namespace

const char *LeftOpenText(LeftOpen found) {
    switch (found) {
    case LeftOpen::Cancelled: return "a receipt left open was cancelled";
    case LeftOpen::Maybe: return "the printer was printing; a receipt left open, if any, was cancelled";
    default: return "no receipt was open";
    }
}

int32_t Printer::EndReceiptLeftOpen(LeftOpen &found) {
    found = LeftOpen::None;
    int32_t rc = Ensure(Mode::Attached);
    uint8_t s3 = 0;
    if (rc == 0) rc = ReadStatus3(s3);
    // A printer out of paper keeps what it holds until the recovery.
    if (rc == 0 && !(s3 & 0x02)) rc = EndLeftOpen(s3, found);
    return rc;
}

void Printer::StepsUntilSession(RecoverReport &r, const RecoverOptions &options) {
    auto step = [&](const char *name, int32_t code, std::string message) {
        r.steps.push_back({name, code, std::move(message)});
        if (code != 0 && r.code == 0) r.code = code;
        return code == 0;
    };
    // The port, opened afresh: the one in use may be gone (unplugged, hung
    // up). The session is left as it is until it is started again below.
    if (mode_ != Mode::Closed) ClosePort();
    mode_ = Mode::Closed;
    facts_.reset();
    int32_t rc = Attach();
    if (!step("line", rc, rc == 0 ? "port open" : MessageOf(rc))) return;

    uint8_t s3 = 0;
    rc = ReadStatus3(s3);
    // A printer cut off in the middle of a command still waits for its
    // parameters and takes the first question for them: ask once more.
    if (rc == 21) rc = ReadStatus3(s3);
    if (!step("printer", rc, rc == 0 ? "the printer answers" : MessageOf(rc))) return;

    const bool stopped = s3 & 0x40;
    if (s3 & 0x02) {
        const auto until = std::chrono::steady_clock::now() + options.waitForPaper;
        while ((s3 & 0x02) && rc == 0 && std::chrono::steady_clock::now() < until) {
            std::this_thread::sleep_for(std::chrono::milliseconds(250));
            rc = ReadStatus3(s3);
        }
        if (rc != 0 || (s3 & 0x02)) {
            step("paper", rc != 0 ? rc : 109,
                 rc != 0 ? MessageOf(rc)
                         : MessageOf(109) +
                               (stopped ? " The printout stopped; it goes on once paper is loaded." : ""));
            return;
        }
        step("paper", 0, "paper loaded");
    }

    LeftOpen found = LeftOpen::None;
    rc = EndLeftOpen(s3, found);
    if (!step("receipt", rc, rc == 0 ? LeftOpenText(found) : MessageOf(rc))) return;

    // The session, started again: a printout stopped for paper goes on and
    // is waited for, and the printer is identified.
    rc = Open();
    if (!step("session", rc,
              rc != 0   ? MessageOf(rc)
              : stopped ? "session started; the stopped printout was finished"
                        : "session started"))
        return;
    if (DriverHoldsReceipt()) {
        // The driver still holds the receipt the printer has just ended.
        rc = ReceiptCancel();
        if (rc == 24) rc = ReceiptEnd(0);
        step("driver", DriverHoldsReceipt() ? rc : 0, "the driver's receipt was ended");
    }
}

RecoverReport Printer::Recover(const RecoverOptions &options) {
    RecoverReport r;
    StepsUntilSession(r, options);
    const bool sessionStarted = r.code == 0;
    // The counter can be read whenever the printer answers, paper or not.
    const bool answers = r.steps.size() >= 2 && r.steps[1].code == 0;
    if (answers && options.ledgerBefore) {
        Ledger after;
        const int32_t rc = ReadLedger(after);
        std::string message;
        if (rc == 0) {
            r.ledger = after;
            r.receiptCounter = after.receiptCounter;
            const Verdict verdict = JudgeReceipt(*options.ledgerBefore, after, options.receiptTotals);
            r.lastReceipt = verdict.state;
            r.verdict = verdict.reason;
            message = verdict.reason;
        } else {
            message = MessageOf(rc);
        }
        r.steps.push_back({"counter", rc, message});
        if (rc != 0 && r.code == 0) r.code = rc;
    } else if (answers) {
        int32_t counter = -1;
        const int32_t rc = ReceiptNumber(&counter);
        std::string message =
            rc != 0 ? MessageOf(rc) : "receipts since the daily report: " + std::to_string(counter);
        if (rc == 0) {
            r.receiptCounter = counter;
            if (options.counterBefore) {
                const int32_t before = *options.counterBefore;
                r.lastReceipt = counter == before + 1 ? ReceiptState::Printed
                                : counter == before   ? ReceiptState::NotPrinted
                                                      : ReceiptState::Unknown;
                message += counter == before + 1 ? "; the last receipt printed"
                           : counter == before   ? "; the last receipt did not print"
                                                 : "; the counter was " + std::to_string(before) +
                                                     " before it: whether it printed is not known";
                r.verdict = message;
            }
        }
        r.steps.push_back({"counter", rc, message});
        if (rc != 0 && r.code == 0) r.code = rc;
    }
    if (sessionStarted && options.checkReady && r.code == 0) {
        const int32_t rc = ReceiptConditions();
        r.steps.push_back({"ready", rc, rc == 0 ? "ready for a receipt" : MessageOf(rc)});
        r.code = rc;
    }
    r.ready = r.code == 0 && options.checkReady;
    return r;
}

int32_t Printer::Status(StatusInfo &info) {
    int32_t rc = Ensure(Mode::Attached);
    if (rc != 0) return rc;
    uint8_t type = 9;
    StatusSet set;
    rc = Shielded([&] {
        int32_t r = ReadDeviceType(type, info.version);
        return r != 0 ? r : ReadStatusBytes(set);
    });
    if (rc != 0) return rc;
    info.deviceType = type;
    info.model = FromDriverText(DeviceNameOf(type));
    info.count = set.count;
    for (int i = 1; i <= 8; ++i)
        info.bytes[static_cast<size_t>(i)] = set.bytes[i];
    info.hasByte8 = set.hasByte8;
    info.texts = ops::StatusTexts(info.bytes, info.count, info.hasByte8, type);
    info.fiscal = info.bytes[1] & 0x08;
    info.readOnly = info.bytes[1] & 0x04;
    info.printing = info.bytes[3] & 0x01;
    info.paperOut = info.bytes[3] & 0x02;
    info.receiptOpen = DriverHoldsReceipt();
    Clock clock;
    if ((rc = ReadClock(clock)) != 0) return rc; // this class's own
    info.date = std::to_string(clock.year) + "-" + Digits2(clock.month) + "-" + Digits2(clock.day);
    info.time = Digits2(clock.hour) + ":" + Digits2(clock.minute) + ":" + Digits2(clock.second);
    if ((rc = ReceiptNumber(&info.receiptCounter)) != 0) return rc;
    return DailyReportNumber(&info.dailyReport);
}

int32_t Printer::ReadClock(Clock &clock) {
    int32_t rc = Ensure(Mode::Attached);
    std::string date, time;
    if (rc != 0 || (rc = ::ReadClock(date, time)) != 0) return rc;
    // "2008.02.07" and "14:05" or "14:05:30"
    const auto at = [](const std::string &s, size_t i) { return std::atoi(s.substr(i, 2).c_str()); };
    clock = Clock{std::atoi(date.substr(0, 4).c_str()), at(date, 5), at(date, 8), at(time, 0), at(time, 3),
                  time.size() > 5 ? at(time, 6) : 0};
    return 0;
}

int32_t Printer::InitClock(const Clock &c) {
    if (c.year < 2000 || c.year > 2099) return RC_OUT_OF_RANGE;
    int32_t rc = Ensure(Mode::Open);
    if (rc != 0) return rc;
    return Shielded([&] {
        return darvo::InitClock(static_cast<uint8_t>(c.year % 100), static_cast<uint8_t>(c.month),
                                static_cast<uint8_t>(c.day), static_cast<uint8_t>(c.hour),
                                static_cast<uint8_t>(c.minute), static_cast<uint8_t>(c.second));
    });
}

int32_t Printer::ShiftClock(int minutes) {
    if (minutes == 0 || minutes < -99 || minutes > 99) return RC_OUT_OF_RANGE;
    int32_t rc = Ensure(Mode::Open);
    if (rc != 0) return rc;
    return Shielded([&] {
        return darvo::ShiftClock(minutes > 0 ? 1 : 0, static_cast<uint8_t>(minutes > 0 ? minutes : -minutes));
    });
}

int32_t Printer::ReadRates(Rates &rates) {
    int32_t rc = Ensure(Mode::Attached);
    if (rc != 0) return rc;
    int32_t *v = rates.values.data();
    rates.values.fill(kRateUnused);
    return ReadVAT(&rates.count, &v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &v[6]);
}

int32_t Printer::WriteRates(const Rates &rates) {
    int32_t rc = Ensure(Mode::Open);
    if (rc != 0) return rc;
    facts_.reset();
    const int32_t *v = rates.values.data();
    int32_t count = 0;
    return SetVAT(&count, v[0], v[1], v[2], v[3], v[4], v[5], v[6]);
}

int32_t Printer::ReadHeader(std::vector<HeaderLine> &lines) {
    int32_t rc = Ensure(Mode::Attached);
    if (rc != 0) return rc;
    UserDataLines texts;
    uint8_t flags = 0;
    rc = Shielded([&] {
        uint8_t type = 9;
        int32_t version = 0;
        int32_t r = ReadDeviceType(type, version);
        if (r != 0) return r;
        return ReadUserData(IsPexaFamily(type) ? 6 : 4, texts, flags);
    });
    if (rc != 0) return rc;
    lines.clear();
    for (int i = 0; i < kUserDataLines; ++i) {
        if (texts[static_cast<size_t>(i)].empty()) break;
        const std::string &t = texts[static_cast<size_t>(i)];
        lines.push_back({FromDriverText(t), t.size() == 20 ? 20 : 40, ((flags >> i) & 1) != 0});
    }
    return 0;
}

Problems HeaderTexts(const std::vector<HeaderLine> &lines, bool centre, std::vector<std::string> &texts) {
    Problems problems;
    texts.clear();
    for (size_t i = 0; i < lines.size(); ++i) {
        const HeaderLine &l = lines[i];
        const std::string path = "lines[" + std::to_string(i) + "]";
        if (l.width != 20 && l.width != 40) problems.push_back({path + ".width", "must be 20 or 40"});
        const std::string text = Nfc(l.text);
        if (auto bad = FirstUnprintable(text)) {
            problems.push_back({path, "the printer cannot print " + Describe(*bad)});
            continue;
        }
        std::string t = ToDriverText(text);
        if (centre) {
            const size_t first = t.find_first_not_of(' ');
            t = first == std::string::npos ? "" : t.substr(first, t.find_last_not_of(' ') - first + 1);
        }
        const size_t width = static_cast<size_t>(l.width);
        if (t.size() > width) {
            problems.push_back({path, "longer than " + std::to_string(width) + " characters"});
            continue;
        }
        const size_t spare = width - t.size();
        texts.push_back(centre ? std::string(spare / 2, ' ') + t + std::string(spare - spare / 2, ' ')
                               : t + std::string(spare, ' '));
    }
    return problems;
}

int32_t Printer::WriteHeader(const std::vector<HeaderLine> &lines, bool centre, std::vector<int> &written) {
    written.clear();
    std::vector<std::string> texts;
    if (!HeaderTexts(lines, centre, texts).empty()) return RC_OUT_OF_RANGE;
    int32_t rc = Ensure(Mode::Open);
    if (rc != 0) return rc;
    return Shielded([&]() -> int32_t {
        uint8_t type = 9;
        int32_t version = 0, fiscal = 0;
        int32_t r = ReadDeviceType(type, version);
        if (r != 0) return r;
        if (!IsSecondGeneration(type)) return RC_NOT_IN_DEVICE;
        const size_t count = IsPexaFamily(type) ? 6 : 4;
        if (texts.size() > count) return RC_OUT_OF_RANGE;
        if ((r = IsFiscalMode(fiscal)) != 0) return r;
        for (size_t i = 0; i < texts.size(); ++i) {
            // In fiscal mode the printer keeps the NIP line it was fiscalised with.
            if (fiscal && i + 1 == count) continue;
            const uint8_t attribute =
                static_cast<uint8_t>((lines[i].width == 20 ? 1 : 0) | (lines[i].flag && i + 1 < 6 ? 2 : 0));
            if ((r = WriteUserData(static_cast<uint8_t>(i + 1), attribute, texts[i])) != 0) return r;
            written.push_back(static_cast<int>(i + 1));
        }
        return 0;
    });
}

int32_t Printer::DailyReport(bool zeroReport) {
    int32_t rc = Ensure(Mode::Open);
    return rc != 0 ? rc : ::DailyReport(zeroReport ? 1 : 0);
}

int32_t Printer::FinancialReport() {
    int32_t rc = Ensure(Mode::Open);
    return rc != 0 ? rc : Shielded([] { return FinancialTaxReport(); });
}

int32_t Printer::PeriodicReport(const PeriodicRequest &q) {
    int32_t rc = Ensure(Mode::Open);
    if (rc != 0) return rc;
    const int detailed = q.detailed ? 1 : 0;
    if (q.kind == PeriodicKind::ByNumbers) {
        if (q.fromNumber < 1 || q.toNumber < q.fromNumber || q.toNumber > 0xFFFF) return RC_OUT_OF_RANGE;
        return NumberReport(detailed, static_cast<uint16_t>(q.fromNumber), static_cast<uint16_t>(q.toNumber));
    }
    for (int year : {q.fromYear, q.toYear})
        if (year < 2001 || year > 2099) return RC_OUT_OF_RANGE;
    PrinterFacts f;
    if ((rc = Facts(f)) != 0) return rc;
    if (!IsNewerPrinter(f.deviceType))
        return ::PeriodReport(detailed, q.fromYear % 100, q.fromMonth, q.fromDay, q.toYear % 100, q.toMonth,
                              q.toDay);
    const int fields[6] = {q.fromYear % 100, q.fromMonth, q.fromDay, q.toYear % 100, q.toMonth, q.toDay};
    uint8_t data[12];
    for (int i = 0; i < 6; ++i) {
        if (fields[i] < 0 || fields[i] > 99) return RC_OUT_OF_RANGE;
        data[2 * i] = static_cast<uint8_t>(fields[i] / 10);
        data[2 * i + 1] = static_cast<uint8_t>(fields[i] % 10);
    }
    return Shielded([&] { return PeriodReportCommand(q.detailed ? kDetailedByDates : kShortByDates, data); });
}

int32_t Printer::MonthlyReport(int year, int month, bool detailed) {
    if (year < 2000 || year > 2099 || month < 1 || month > 12) return RC_OUT_OF_RANGE;
    int32_t rc = Ensure(Mode::Open);
    return rc != 0 ? rc : ::MonthlyReport(detailed ? 1 : 0, year % 100, month);
}

} // namespace darvo::pos
