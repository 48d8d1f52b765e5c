// Every exported function that talks to the printer, with a fault injected
// at each byte of its exchanges: the call returns the code for that fault
// within its time-outs, a session start and ReceiptNumber work again, and
// the receipt state of driver and printer agree.
//
// The instant faults are tried at every byte they can strike (NAK where the
// printer acknowledges, garbage and line errors at the printer's bytes,
// hang-up and removal anywhere); the faults that end in a 1-second time-out (no answer, a
// truncated answer, power off) at one byte each: the first answer byte of
// the function's last command, or its middle byte.
#include "FaultFixture.h"

#include <ctime>
#include <functional>
#include <map>
#include <set>

namespace darvotest {
namespace {

using darvosim::FaultKind;

struct Call {
    const char *name;
    std::function<int32_t()> call;
    std::function<void()> setup = [] {};
    bool longReadTimeout = false; // period reports wait 90 s for their answer
    int deviceType = 7;
};

darvosim::Emulator *theSim = nullptr; // the fixture's, for the set-ups

// The 15th of the month before this one.
std::tm LastMonth() {
    const std::time_t now = std::time(nullptr);
    std::tm t{};
    ::localtime_r(&now, &t);
    t.tm_mon -= 1;
    t.tm_mday = 15;
    std::mktime(&t);
    return t;
}

int32_t OpenReceiptWithLine() {
    uint32_t value = 0;
    const int32_t rc = ReceiptBegin();
    return rc != 0 ? rc : pReceiptItem(1, "Chleb razowy", 1, 0, 2, 0, "szt", 350, &value);
}

// A day with one receipt, closed by its daily report, last month: a record
// in the fiscal memory for every period report.
void LastMonthsDay() {
    const std::tm t = LastMonth();
    darvosim::Printer &p = theSim->printer();
    {
        std::lock_guard<std::recursive_mutex> lock(p.mutex);
        darvosim::SetSalesClock(p.sales, {t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, 12, 0, 0}, true);
    }
    EXPECT_EQ(0, OpenReceiptWithLine());
    EXPECT_EQ(0, ReceiptEnd(0));
    EXPECT_EQ(0, DailyReport(0));
    std::lock_guard<std::recursive_mutex> lock(p.mutex);
    p.sales.clockStopped = false;
    p.sales.clockOffsetSeconds = 0;
}

// Where the calls put what they read.
char text[700];
int32_t n, va, vb, vc, vd, ve, vf, vg;
uint32_t value; // 0 before an item: the driver works its value out
uint8_t answer[256];
std::string op;
const auto Year = [] { return LastMonth().tm_year % 100; };
const auto Month = [] { return LastMonth().tm_mon + 1; };

// Opens a receipt with a line, a payment and a footer line.
void ReceiptToEnd() {
    OpenReceiptWithLine();
    pFillPayment(1, "Gotowka", 1000, 0);
    pFillLines(1, "Dziekujemy", &n);
}

const std::vector<Call> &Calls() {
    static const std::vector<Call> calls = {
        {"RSSequence", [] { return RSSequence(0x5B, 2, 0, answer, nullptr); }},
        {"PrintControl", [] { return PrintControl(0, 7); }},
        {"PrintResume", [] { return PrintResume(); }},
        {"CommunicationInit", [] { return CommunicationInit(kPort, 9600, 1); }},
        {"pDeviceName", [] { return pDeviceName(text); }, [] { darvo::SessionReady = false; }},
        {"ReceiptConditions", [] { return ReceiptConditions(); }},
        {"ReceiptBegin", [] { return ReceiptBegin(); }},
        {"pReceiptItem", [] { return pReceiptItem(1, "Mleko 2%", 2, 0, 1500, 3, "l", 333, &(value = 0)); },
         [] { ReceiptBegin(); }},
        {"PackageItem", [] { return PackageItem(0, 1, 2, 50); }, [] { OpenReceiptWithLine(); }},
        {"PrintSubtotal", [] { return PrintSubtotal(); }, [] { OpenReceiptWithLine(); }},
        {"ReceiptEnd", [] { return ReceiptEnd(10); }, ReceiptToEnd},
        {"ReceiptCancel", [] { return ReceiptCancel(); }, [] { OpenReceiptWithLine(); }},
        {"ReadVAT", [] { return ReadVAT(&n, &va, &vb, &vc, &vd, &ve, &vf, &vg); }},
        {"SetVAT", [] { return SetVAT(&n, 2300, 800, 500, 0, 10000, 25500, 25500); }},
        {"DailyReport", [] { return DailyReport(1); }},
        {"PeriodReport", [] { return PeriodReport(0, Year(), Month(), 1, Year(), Month(), 28); },
         LastMonthsDay, true, 2},
        {"MonthlyReport", [] { return MonthlyReport(0, Year(), Month()); }, LastMonthsDay, true},
        {"NumberReport", [] { return NumberReport(0, 1, 1); }, LastMonthsDay, true},
        {"LockedArticlesReport", [] { return LockedArticlesReport(); }},
        {"PrinterStatusReport", [] { return PrinterStatusReport(); }},
        {"ReceiptNumber", [] { return ReceiptNumber(&n); }},
        {"PrinterNumber", [] { return PrinterNumber(n, op); }},
        {"DailyReportNumber", [] { return DailyReportNumber(&n); }},
        {"pReadTotal", [] { return pReadTotal(text); }},
        {"pReadSelTotal", [] { return pReadSelTotal("A", text); }},
        {"pReadClock", [] { return pReadClock(text); }},
        {"WriteLineFeed", [] { return WriteLineFeed(3); }},
        {"pReadUniqueNumber", [] { return pReadUniqueNumber(text); }},
        {"OpenDrawer", [] { return OpenDrawer(1); }},
    };
    return calls;
}

struct Event {
    bool fromHost;
    bool frameStart;  // the ESC that opens a frame
    bool firstAnswer; // the printer's first byte of a frame
    uint8_t command;  // of the frame the byte belongs to
};

class FaultMatrix : public FaultTest, public ::testing::WithParamInterface<size_t> {
  protected:
    const Call &TheCall() { return Calls()[GetParam()]; }

    // A fresh printer and session, and the call's set-up done.
    void Prepare() {
        StartSession(TheCall().deviceType);
        theSim = sim.get();
        TheCall().setup();
        Sync();
    }
    // The bytes of a clean run of the call, in wire order.
    std::vector<Event> CleanRun() {
        Prepare();
        const auto entries = CleanBytes(TheCall().call);
        std::vector<Event> events;
        std::map<int, uint8_t> commands;
        for (const darvosim::Frame &f : sim->log().Frames())
            commands[f.number] = f.command;
        int lastFrame = -1;
        bool answered = false;
        for (const darvosim::WireEntry &e : entries) {
            const bool start = e.fromHost && e.byte == darvosim::ESC && e.frame != lastFrame;
            if (start) lastFrame = e.frame;
            answered = answered && !start;
            events.push_back({e.fromHost, start, !e.fromHost && !answered, commands[e.frame]});
            answered = answered || !e.fromHost;
        }
        return events;
    }

    // Runs the call with `kind` at byte `position` and checks its result,
    // time and the recovery.
    void RunCase(FaultKind kind, int position, const std::vector<Event> &events) {
        SCOPED_TRACE(std::string(TheCall().name) + ", " + darvosim::FaultName(kind) + " at byte " +
                     std::to_string(position));
        Prepare();
        sim->InjectFault(kind, position);
        const auto start = std::chrono::steady_clock::now();
        const int32_t rc = TheCall().call();
        const double seconds = SecondsSince(start);
        // Bytes without an answer may still be on their way to the printer.
        ASSERT_TRUE(sim->WaitForFault(Scaled(std::chrono::seconds(3))));
        const Event &at = events[position];
        auto printerByteFrom = [&](size_t from, bool sameFrame) {
            for (size_t i = from; i < events.size(); ++i) {
                if (sameFrame && events[i].frameStart) return false;
                if (!events[i].fromHost) return true;
            }
            return false;
        };
        using Codes = std::set<int32_t>;
        Codes expected; // NAK and garbage: the answer decides the way on
        switch (kind) {
        case FaultKind::HangUp:
        case FaultKind::Remove:
        case FaultKind::PowerOff:
            expected = !at.fromHost                           ? Codes{21}
                       : printerByteFrom(position + 1, false) ? Codes{20, 21}
                                                              : Codes{0, 20};
            break;
        case FaultKind::NoAnswer: expected = {printerByteFrom(position, false) ? 21 : 0}; break;
        case FaultKind::Truncate: expected = {printerByteFrom(position, true) ? 21 : 0}; break;
        case FaultKind::LineError: expected = {0, 20}; break;
        default: break;
        }
        const bool timeout =
            kind == FaultKind::PowerOff || kind == FaultKind::NoAnswer || kind == FaultKind::Truncate;
        // A call that opens the port again finds the device gone (a
        // pseudo-terminal hung up is gone as well), or, when the path is
        // still there, a line that fails to be set up (ERROR_IO_DEVICE) or
        // that is hung up between its open and the look at it, so no
        // terminal any more (ERROR_INVALID_HANDLE).
        if (kind == FaultKind::Remove || kind == FaultKind::HangUp) expected.insert({2, 6, 1117});
        if (!expected.empty()) {
            EXPECT_TRUE(expected.count(rc)) << "result " << rc;
        }
        // A refused or garbled acknowledgement never passes for success.
        if ((kind == FaultKind::Nak || kind == FaultKind::Garbage) && !at.fromHost && at.firstAnswer &&
            !darvo::IsNoAckCommand(at.command) && !(kind == FaultKind::Nak && MayBeRefused(at.command))) {
            EXPECT_NE(0, rc);
        }
        // One time-out at most (1 s), and the time of the exchange itself.
        EXPECT_LT(seconds, (timeout ? 1.0 : 0.0) + ScaledSeconds(0.5)) << "result " << rc;
        Recover();
        int32_t number = -1;
        ASSERT_EQ(0, ReceiptNumber(&number));
        const darvosim::SalesState sales = Sales();
        EXPECT_FALSE(darvo::ReceiptOpen);
        EXPECT_FALSE(sales.receiptOpen);
        EXPECT_EQ(sales.receiptCounter, number); // receipts since the daily report
    }

    // Commands whose refusal the driver takes as an answer: the first
    // command of a session start (the printer is there all the same) and the
    // device sub-type (the older printers refuse it).
    static bool MayBeRefused(uint8_t command) { return command == 0x23 || command == 0xFE; }
};

TEST_P(FaultMatrix, EveryFaultAtEveryByte) {
    const std::vector<Event> events = CleanRun();
    StopSim();
    const std::vector<std::string> descriptors = OpenDescriptors();
    ASSERT_FALSE(events.empty());
    const int n = static_cast<int>(events.size());
    // A refusal where the printer acknowledges a command; elsewhere a
    // garbled byte stands for any damaged answer.
    for (int p = 0; p < n; ++p)
        if (events[p].firstAnswer && !darvo::IsNoAckCommand(events[p].command)) {
            RunCase(FaultKind::Nak, p, events);
            if (HasFatalFailure()) return;
        }
    // Garbage and line errors strike the printer's bytes; the line may go
    // at any byte.
    for (FaultKind kind : {FaultKind::Garbage, FaultKind::LineError, FaultKind::HangUp, FaultKind::Remove})
        for (int p = 0; p < n; ++p) {
            if (events[p].fromHost && (kind == FaultKind::Garbage || kind == FaultKind::LineError)) continue;
            RunCase(kind, p, events);
            if (HasFatalFailure()) return;
        }
    if (!TheCall().longReadTimeout) {
        int lastAnswer = n - 1;
        for (int i = 0; i < n; ++i)
            if (events[i].firstAnswer) lastAnswer = i;
        const std::pair<FaultKind, int> sampled[] = {
            {FaultKind::NoAnswer, lastAnswer}, {FaultKind::Truncate, n / 2}, {FaultKind::PowerOff, n / 2}};
        for (auto [kind, p] : sampled) {
            RunCase(kind, p, events);
            if (HasFatalFailure()) return;
        }
    }
    StopSim();
    EXPECT_EQ(descriptors, OpenDescriptors());
}

INSTANTIATE_TEST_SUITE_P(Functions, FaultMatrix, ::testing::Range<size_t>(0, Calls().size()),
                         [](const ::testing::TestParamInfo<size_t> &info) {
                             return std::string(Calls()[info.param].name);
                         });

} // namespace
} // namespace darvotest
