#include "Answers.h"

#include "Decimal.h"

#include <cstdio>
#include <string>

namespace darvo::pos {

AnswerJson TotalsJson(const Totals &t) {
    AnswerJson rates = AnswerJson::object();
    for (int r = 0; r < 7; ++r)
        if (t.rates[r] != 0) rates[std::string(1, static_cast<char>('A' + r))] = FormatAmount(t.rates[r]);
    return {{"total", FormatAmount(t.total)}, {"totals", rates},
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
            {"receipt_open", s.receiptOpen},
            {"clock", s.date + "T" + s.time},
            {"receipt_counter", s.receiptCounter},
            {"status_bytes", bytes},
            {"messages", s.texts}};
}

AnswerJson ReceiptJson(const PrintResult &result, const Plan &plan, int32_t counterBefore) {
    AnswerJson doc = {{"state", StateName(result.state)}};
    const bool printed = result.state == ReceiptState::Printed;
    if (printed) doc["receipt_number"] = result.receiptNumber;
    doc["counter_before"] = counterBefore;
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
