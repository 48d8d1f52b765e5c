#include "Answers.h"

#include "Decimal.h"
#include "ops/StatusBits.h"

#include <cstdio>
#include <string>

namespace darvo::pos {

AnswerJson RatesJson(const std::array<int64_t, 7> &amounts) {
    AnswerJson rates = AnswerJson::object();
    for (size_t r = 0; r < amounts.size(); ++r)
        if (amounts[r] != 0) rates[std::string(1, static_cast<char>('A' + r))] = FormatAmount(amounts[r]);
    return rates;
}

bool RatesFromJson(const AnswerJson &doc, std::array<int64_t, 7> &amounts) {
    amounts.fill(0);
    if (!doc.is_object()) return false;
    for (const auto &item : doc.items()) {
        const std::string &letter = item.key();
        std::string why;
        if (letter.size() != 1 || letter[0] < 'A' || letter[0] > 'G' || !item.value().is_string())
            return false;
        const auto amount = ParseAmount(item.value().get<std::string>(), why);
        if (!amount) return false;
        amounts[static_cast<size_t>(letter[0] - 'A')] = *amount;
    }
    return true;
}

AnswerJson LedgerJson(const Ledger &ledger) {
    AnswerJson doc = {{"receipt_counter", ledger.receiptCounter}, {"daily_report", ledger.dailyReport}};
    if (ledger.totals) doc["totals"] = RatesJson(*ledger.totals);
    return doc;
}

bool LedgerFromJson(const AnswerJson &doc, Ledger &ledger) {
    ledger = Ledger{};
    if (!doc.is_object() || !doc.contains("receipt_counter") || !doc.contains("daily_report") ||
        !doc["receipt_counter"].is_number_integer() || !doc["daily_report"].is_number_integer())
        return false;
    ledger.receiptCounter = doc["receipt_counter"].get<int32_t>();
    ledger.dailyReport = doc["daily_report"].get<int32_t>();
    if (doc.contains("totals")) {
        std::array<int64_t, 7> totals{};
        if (!RatesFromJson(doc["totals"], totals)) return false;
        ledger.totals = totals;
    }
    return true;
}

AnswerJson TotalsJson(const Totals &t) {
    std::array<int64_t, 7> amounts{};
    for (size_t r = 0; r < amounts.size(); ++r)
        amounts[r] = t.rates[r];
    return {{"total", FormatAmount(t.total)}, {"totals", RatesJson(amounts)},
            {"gross", FormatAmount(t.gross)}, {"discount", FormatAmount(t.discount)},
            {"paid", FormatAmount(t.paid)},   {"change", FormatAmount(t.change)}};
}

AnswerJson StepsJson(const std::vector<Step> &steps) {
    AnswerJson list = AnswerJson::array();
    for (const Step &s : steps)
        list.push_back({{"step", s.name}, {"code", s.code}, {"message", s.message}});
    return list;
}

AnswerJson StatusJson(const StatusInfo &s) {
    AnswerJson bytes = AnswerJson::object();
    for (int n = 1; n <= 8; ++n)
        if (n <= s.count || (n == 8 && s.hasByte8)) {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%02X", s.bytes[static_cast<size_t>(n)]);
            bytes[std::to_string(n)] = hex;
        }
    return {{"device_type", s.deviceType},
            {"version", s.version},
            {"model", s.model},
            {"mode", s.fiscal ? "fiscal" : "training"},
            {"read_only", s.readOnly},
            {"paper", s.paperOut ? "out" : "ok"},
            {"printing", s.printing},
            // Only a receipt this process holds is known: the printer tells of
            // none without changing something.
            {"receipt_open", s.receiptOpen ? AnswerJson(true) : AnswerJson(nullptr)},
            {"clock", s.date + "T" + s.time},
            {"receipt_counter", s.receiptCounter},
            {"daily_report", s.dailyReport},
            {"status_bytes", bytes},
            {"conditions", ops::Conditions(ops::DecodeStatus(s.bytes, s.count))},
            {"messages", s.texts}};
}

AnswerJson ReceiptJson(const PrintResult &result, const Plan &plan, const Ledger &before) {
    AnswerJson doc = {{"state", StateName(result.state)}};
    const bool printed = result.state == ReceiptState::Printed;
    if (printed) {
        // The printer's receipt counter, named for what it is; the running
        // number on the paper ("nr 29") is one these printers do not report.
        doc["receipts_since_daily_report"] = result.receiptNumber;
        doc["receipt_number"] = result.receiptNumber;
    }
    doc["counter_before"] = before.receiptCounter;
    if (!printed) doc["failed_at"] = result.failedAt.empty() ? "receipt" : result.failedAt;
    doc.update(TotalsJson(plan.totals));
    doc["notes"] = plan.notes;
    if (printed) {
        if (result.printerTotal) doc["printer_total"] = FormatAmount(*result.printerTotal);
        doc["printout"] = result.printoutCode == 0 ? "complete" : "stopped";
        if (result.printoutCode != 0) {
            doc["printout_code"] = result.printoutCode;
            doc["printout_message"] = MessageOf(result.printoutCode);
        }
    }
    if (!result.settlement.empty()) doc["settlement"] = StepsJson(result.settlement);
    if (!result.verdict.empty()) {
        doc["found"] = result.verdict;
        doc["facts_before"] = LedgerJson(before);
        if (result.ledgerAfter.Complete()) doc["facts_after"] = LedgerJson(result.ledgerAfter);
    }
    if (result.state == ReceiptState::Unknown && result.code != 0) {
        doc["code"] = result.code;
        doc["printer_message"] = MessageOf(result.code);
    }
    return doc;
}

AnswerJson RecoverJson(const RecoverReport &r) {
    AnswerJson doc = {{"ready", r.ready}, {"steps", StepsJson(r.steps)}};
    if (r.receiptCounter >= 0) doc["receipt_counter"] = r.receiptCounter;
    if (r.lastReceipt) doc["last_receipt"] = StateName(*r.lastReceipt);
    return doc;
}

} // namespace darvo::pos
