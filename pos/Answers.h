// The JSON answers about a printer and a receipt, as `darvo --json` and
// darvo-service give them (docs/schemas/status.schema.json,
// receipt-result.schema.json, recover.schema.json).
#pragma once

#include "Printer.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <vector>

namespace darvo::pos {

using AnswerJson = nlohmann::ordered_json;

// "total", "totals" (per rate letter), "gross", "discount", "paid", "change".
AnswerJson TotalsJson(const Totals &totals);
// Amounts per rate letter, those that are not zero: {"A": "3.49"}; and back
// (false for anything else).
AnswerJson RatesJson(const std::array<int64_t, 7> &amounts);
bool RatesFromJson(const AnswerJson &doc, std::array<int64_t, 7> &amounts);
// {"receipt_counter", "daily_report", "totals" (where the printer keeps
// them)}; and back (false for anything else).
AnswerJson LedgerJson(const Ledger &ledger);
bool LedgerFromJson(const AnswerJson &doc, Ledger &ledger);
// [{"step", "code", "message"}, ...]
AnswerJson StepsJson(const std::vector<Step> &steps);
// The status fields from "device_type" to "messages".
AnswerJson StatusJson(const StatusInfo &status);
// What happened to a receipt: its state first, then what identifies it,
// then its amounts, the printout and how the outcome was found.
AnswerJson ReceiptJson(const PrintResult &result, const Plan &plan, const Ledger &before);
// "ready", "steps", "receipt_counter", "last_receipt".
AnswerJson RecoverJson(const RecoverReport &report);

} // namespace darvo::pos
