// The verbs that talk to one printer through the receipt layer.
#include "Cli.h"

#include "darvodr/darvodr.h"
#include "pos/Answers.h"
#include "pos/Dates.h"
#include "pos/Decimal.h"

#include <ctime>
#include <optional>
#include <sstream>
#include <tuple>

namespace darvo::cli {

using namespace darvo::pos;

namespace {

std::string Letter(int i) {
    return std::string(1, static_cast<char>('A' + i));
}

std::string TotalsText(const Totals &t) {
    std::string rates;
    for (int r = 0; r < 7; ++r)
        if (t.rates[r] != 0)
            rates += (rates.empty() ? "" : ", ") + Letter(r) + " " + FormatAmount(t.rates[r]);
    std::string text = "total " + FormatAmount(t.total) + " (" + rates + ")";
    if (t.discount != 0) text += ", discount " + FormatAmount(t.discount);
    if (t.paid != 0) text += "\npaid " + FormatAmount(t.paid) + ", change " + FormatAmount(t.change);
    return text;
}

std::string StepsText(const std::vector<Step> &steps) {
    std::string text;
    for (const Step &s : steps)
        text += "  " + s.name + ": " + (s.code != 0 ? "FAILED (" + std::to_string(s.code) + ") " : "") +
                s.message + "\n";
    return text;
}

std::string RateValue(int32_t v) {
    if (v == kRateExempt) return "exempt";
    if (v == kRateUnused) return "unused";
    return FormatAmount(v);
}

// "2024-05-01", a day that exists, into year, month, day.
bool ParseDate(const std::string &text, int &y, int &m, int &d) {
    int v[6];
    if (!ParseDateTime(text, DateForm::Date, v)) return false;
    y = v[0], m = v[1], d = v[2];
    return true;
}

} // namespace

std::string VersionText() {
    std::string driver;
    DllVersion(driver);
    return std::string("darvo ") + DARVO_VERSION + " (driver " + driver + ")";
}

int RunVersion(Context &c) {
    std::string driver;
    DllVersion(driver);
    return c.Done({{"darvo", DARVO_VERSION}, {"driver", driver}}, VersionText());
}

int RunStatus(Context &c) {
    return c.WithPrinter([&](Printer &printer) -> int {
        StatusInfo s;
        if (int32_t rc = printer.Status(s)) return c.Failed(rc, "reading the status");
        json doc = {{"port", c.PortLabel()}, {"speed", c.globals().speed}};
        doc.update(StatusJson(s));
        std::string text =
            s.model + " (device type " + std::to_string(s.deviceType) + ", version " +
            std::to_string(s.version) + ") on " + c.PortLabel() + ", " + std::to_string(c.globals().speed) +
            " b/s\n" + (s.fiscal ? "fiscal mode" : "training mode") + (s.readOnly ? ", read-only" : "") +
            ", paper " + (s.paperOut ? "OUT" : "ok") + (s.printing ? ", printing" : "") + "\nclock " +
            s.date + " " + s.time + "\nreceipts since the daily report: " + std::to_string(s.receiptCounter) +
            "\na receipt another program left open is not seen without changing the printer: "
            "`darvo recover` ends one, and the next receipt ends it and says so\n";
        for (const std::string &m : s.texts)
            text += "  " + m + "\n";
        return c.Done(doc, text);
    });
}

int RunReceipt(Context &c, const std::string &file, bool dryRun) {
    std::string input, error;
    if (!ReadInput(file, kMaxReceiptBytes, input, error)) return c.Error(kBadInput, error);
    Receipt receipt;
    Problems problems = ParseReceipt(input, receipt);
    if (!problems.empty()) return c.BadInput(problems, "the receipt is not valid");
    Totals totals;
    problems = CheckReceipt(receipt, totals);
    if (!problems.empty()) return c.BadInput(problems, "the receipt cannot be printed");

    return c.WithPrinter([&](Printer &printer) -> int {
        // Checked against the printer with read-only questions first: a receipt
        // it cannot print is refused before anything that changes it goes out.
        PrinterFacts facts;
        if (int32_t rc = printer.Facts(facts)) return c.Failed(rc, "reading the printer's rates");
        Plan plan;
        problems = PlanReceipt(receipt, facts, plan);
        if (!problems.empty())
            return c.BadInput(problems, "the printer (" + facts.model + ") cannot print this receipt",
                              {{"model", facts.model}, {"device_type", facts.deviceType}});
        std::string notes;
        for (const std::string &n : plan.notes)
            notes += "\nnote: " + n;
        if (dryRun) {
            json doc = {{"state", "checked"}};
            doc.update(TotalsJson(plan.totals));
            doc["notes"] = plan.notes;
            return c.Done(doc, "the receipt can be printed on " + facts.model + "\n" +
                                   TotalsText(plan.totals) + notes);
        }

        // A receipt another program left open is ended first: this one says so.
        LeftOpen leftOpen = LeftOpen::None;
        if (int32_t rc = printer.EndReceiptLeftOpen(leftOpen)) return c.Failed(rc, "starting the session");
        if (leftOpen != LeftOpen::None) {
            const std::string note = std::string(LeftOpenText(leftOpen)) +
                                     " first (another program's, \"PARAGON ANULOWANY\" on the paper)";
            plan.notes.push_back(note);
            notes += "\nnote: " + note;
        }
        if (int32_t rc = printer.Open()) return c.Failed(rc, "starting the session");
        Ledger before;
        if (int32_t rc = printer.ReadLedger(before)) return c.Failed(rc, "reading the receipt counter");
        const PrintResult result = printer.Print(plan, before);
        const json doc = ReceiptJson(result, plan, before);
        if (result.state == ReceiptState::Printed) {
            std::string text = "printed: receipt " + std::to_string(result.receiptNumber) +
                               " since the daily report\n" + TotalsText(plan.totals) + notes;
            if (result.printoutCode != 0)
                text += "\nthe printout stopped: " + MessageOf(result.printoutCode) +
                        "\nload paper and run `darvo recover`; do not print the receipt again";
            return c.Done(doc, text);
        }
        if (result.state == ReceiptState::Unknown)
            return c.Error(
                kNoCommunication,
                "whether the receipt printed is not known: do not print it again; once the printer "
                "answers, run `darvo recover --counter-before " +
                    std::to_string(before.receiptCounter) + "`" +
                    (result.verdict.empty() ? "" : " (" + result.verdict + ")"),
                doc);
        const std::string step = "the receipt was not printed (" + doc["failed_at"].get<std::string>() + ")";
        if (result.code == 0) return c.Error(kRefused, step, doc);
        return c.Failed(result.code, step, doc);
    });
}

int RunRecover(Context &c, int counterBefore, int waitPaperSeconds) {
    return c.WithPrinter([&](Printer &printer) -> int {
        RecoverOptions options;
        if (counterBefore >= 0) options.counterBefore = counterBefore;
        options.waitForPaper = std::chrono::seconds(waitPaperSeconds);
        const RecoverReport r = printer.Recover(options);
        json doc = RecoverJson(r);
        const std::string text = std::string(r.ready ? "ready\n" : "not ready\n") + StepsText(r.steps);
        if (r.ready) return c.Done(doc, text);
        const int code = r.code != 0 ? ExitOf(r.code) : kRefused;
        if (c.jsonMode()) {
            doc["error"] = {{"kind", ErrorKind(code)}, {"code", r.code}, {"message", MessageOf(r.code)}};
            c.Done(doc, "");
            return code;
        }
        return c.Error(code, "the printer is not ready\n" + StepsText(r.steps));
    });
}

int RunReport(Context &c, const std::string &kind, bool zero, bool detailed, const std::string &from,
              const std::string &to, const std::string &numbers, const std::string &month) {
    PeriodicRequest q;
    q.detailed = detailed;
    int year = 0, mon = 0;
    if (kind == "periodic") {
        int first = 0, last = 0;
        char tail = 0;
        if (!numbers.empty()) {
            if (!from.empty() || !to.empty())
                return c.Error(kBadInput, "give --from and --to, or --numbers, not both");
            if (std::sscanf(numbers.c_str(), "%d-%d%c", &first, &last, &tail) != 2 || first < 1 ||
                last < first || last > 65535)
                return c.BadInput({{"--numbers", "FIRST-LAST, 1 to 65535"}}, "bad report numbers");
            q.kind = PeriodicKind::ByNumbers;
            q.fromNumber = first;
            q.toNumber = last;
        } else {
            // Dates that do not exist, or that run backwards, never reach the printer.
            Problems problems;
            if (!ParseDate(from, q.fromYear, q.fromMonth, q.fromDay) || q.fromYear < 2001)
                problems.push_back({"--from", "a date YYYY-MM-DD that exists, years 2001 to 2099"});
            if (!ParseDate(to, q.toYear, q.toMonth, q.toDay) || q.toYear < 2001)
                problems.push_back({"--to", "a date YYYY-MM-DD that exists, years 2001 to 2099"});
            if (problems.empty() && std::make_tuple(q.fromYear, q.fromMonth, q.fromDay) >
                                        std::make_tuple(q.toYear, q.toMonth, q.toDay))
                problems.push_back({"--to", "on or after --from (" + from + ")"});
            if (!problems.empty()) return c.BadInput(problems, "bad report dates");
        }
    } else if (kind == "monthly") {
        int v[6];
        if (!ParseDateTime(month, DateForm::Month, v))
            return c.BadInput({{"MONTH", DateFormText(DateForm::Month)}}, "bad month");
        year = v[0];
        mon = v[1];
    }
    return c.WithPrinter([&](Printer &printer) -> int {
        int32_t rc = 0;
        if (kind == "daily")
            rc = printer.DailyReport(zero);
        else if (kind == "financial")
            rc = printer.FinancialReport();
        else if (kind == "periodic")
            rc = printer.PeriodicReport(q);
        else
            rc = printer.MonthlyReport(year, mon, detailed);
        if (rc != 0) return c.Failed(rc, kind + " report");
        return c.Done({{"report", kind}, {"printed", true}}, "the " + kind + " report was printed");
    });
}

int RunClock(Context &c, const std::string &action, const std::string &value, const std::string &direction,
             int minutes, bool yes) {
    Clock clock;
    if (action == "set") {
        if (value.empty() || value == "now") {
            const std::time_t now = std::time(nullptr);
            std::tm tm{};
            localtime_r(&now, &tm);
            clock = {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
        } else {
            int v[6];
            if (!ParseDateTime(value, DateForm::DateTime, v))
                return c.BadInput({{"TIME", std::string(DateFormText(DateForm::DateTime)) + ", or now"}},
                                  "bad time");
            clock = {v[0], v[1], v[2], v[3], v[4], v[5]};
        }
        if (!yes)
            return c.Error(kBadInput,
                           "initialising the clock cannot be undone (a PEXA printer erases its memory); "
                           "add --yes");
    }
    return c.WithPrinter([&](Printer &printer) -> int {
        int32_t rc = 0;
        if (action == "set")
            rc = printer.InitClock(clock);
        else if (action == "shift")
            rc = printer.ShiftClock(direction == "back" ? -minutes : minutes);
        if (rc != 0) return c.Failed(rc, "clock " + action);
        if ((rc = printer.ReadClock(clock)) != 0) return c.Failed(rc, "reading the clock");
        char date[16], time[16];
        std::snprintf(date, sizeof date, "%04d-%02d-%02d", clock.year % 10000, clock.month % 100,
                      clock.day % 100);
        std::snprintf(time, sizeof time, "%02d:%02d:%02d", clock.hour % 100, clock.minute % 100,
                      clock.second % 100);
        return c.Done({{"date", date}, {"time", time}}, std::string(date) + " " + time);
    });
}

int RunRates(Context &c, const std::string &action, const std::vector<std::string> &assignments, bool yes) {
    std::array<std::optional<int32_t>, 7> wanted;
    if (action == "set") {
        Problems problems;
        for (const std::string &a : assignments) {
            const size_t eq = a.find('=');
            const std::string letter = a.substr(0, eq),
                              value = eq == std::string::npos ? "" : a.substr(eq + 1);
            if (letter.size() != 1 || letter[0] < 'A' || letter[0] > 'G' || eq == std::string::npos) {
                problems.push_back({a, "LETTER=VALUE with a letter A to G"});
                continue;
            }
            std::string why;
            int32_t v = 0;
            if (value == "exempt" || value == "zw")
                v = kRateExempt;
            else if (value == "unused" || value == "-")
                v = kRateUnused;
            else if (auto d = ParseAmount(value, why); d && *d < 10000)
                v = static_cast<int32_t>(*d);
            else {
                problems.push_back({a, d ? "below 100%" : why});
                continue;
            }
            wanted[static_cast<size_t>(letter[0] - 'A')] = v;
        }
        if (!problems.empty()) return c.BadInput(problems, "bad rates");
        if (!yes) return c.Error(kBadInput, "a change of the tax rates is recorded for good; add --yes");
    }
    return c.WithPrinter([&](Printer &printer) -> int {
        Rates rates;
        if (int32_t rc = printer.ReadRates(rates)) return c.Failed(rc, "reading the rates");
        bool changed = false;
        if (action == "set") {
            const Rates before = rates;
            for (size_t i = 0; i < 7; ++i)
                if (wanted[i]) {
                    if (static_cast<int>(i) >= rates.count)
                        return c.BadInput({{Letter(static_cast<int>(i)),
                                            "this printer holds rates A to " + Letter(rates.count - 1)}},
                                          "bad rates");
                    rates.values[i] = *wanted[i];
                }
            // A change is recorded for good and printed ("ZMIANA STAWEK PTU"):
            // none when the printer has these rates already.
            changed = rates.values != before.values;
            if (changed) {
                if (int32_t rc = printer.WriteRates(rates)) return c.Failed(rc, "setting the rates");
                if (int32_t rc = printer.ReadRates(rates)) return c.Failed(rc, "reading the rates");
            }
        }
        json list = json::object();
        std::string text;
        for (int i = 0; i < rates.count; ++i) {
            list[Letter(i)] = RateValue(rates.values[static_cast<size_t>(i)]);
            text += Letter(i) + " " + RateValue(rates.values[static_cast<size_t>(i)]) + "\n";
        }
        json doc = {{"count", rates.count}, {"rates", list}};
        if (action == "set") {
            doc["changed"] = changed;
            if (!changed) text += "the printer has these rates already: nothing was changed or printed\n";
        }
        return c.Done(doc, text);
    });
}

int RunHeader(Context &c, const std::string &action, const std::vector<std::string> &lines, int width,
              bool left, const std::vector<int> &flags, bool yes) {
    std::vector<HeaderLine> header;
    if (action == "set") {
        for (const std::string &text : lines)
            header.push_back({text, width, false});
        for (int f : flags)
            if (f >= 1 && static_cast<size_t>(f) <= header.size())
                header[static_cast<size_t>(f - 1)].flag = true;
        std::vector<std::string> texts;
        Problems problems = HeaderTexts(header, !left, texts);
        if (header.size() > 6) problems.push_back({"LINE", "at most 6 lines"});
        if (!problems.empty()) return c.BadInput(problems, "bad header lines");
        if (!yes) return c.Error(kBadInput, "writing the header replaces the printer's lines; add --yes");
    }
    return c.WithPrinter([&](Printer &printer) -> int {
        json doc = json::object();
        std::string text;
        if (action == "set") {
            std::vector<int> written;
            if (int32_t rc = printer.WriteHeader(header, !left, written))
                return c.Failed(rc, "writing the header");
            doc["written"] = written;
            json skipped = json::array();
            for (size_t n = 1; n <= header.size(); ++n)
                if (std::find(written.begin(), written.end(), static_cast<int>(n)) == written.end()) {
                    const std::string why =
                        "fiscal mode: the printer keeps the NIP line it was fiscalised with";
                    skipped.push_back({{"line", n}, {"why", why}});
                    text += why + "; line " + std::to_string(n) + " was not written\n";
                }
            doc["skipped"] = skipped;
        }
        if (int32_t rc = printer.ReadHeader(header)) return c.Failed(rc, "reading the header");
        json list = json::array();
        for (const HeaderLine &l : header) {
            list.push_back({{"text", l.text}, {"width", l.width}, {"flag", l.flag}});
            text += "|" + l.text + "|\n";
        }
        doc["lines"] = list;
        return c.Done(doc, text);
    });
}

} // namespace darvo::cli
