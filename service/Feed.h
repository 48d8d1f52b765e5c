// The journal's settled rows as head office takes them: one JSON object a
// row (GET /v1/printers/{name}/journal, `darvo-service export --format
// jsonl`) or one CSV line a row (`--format csv`, for `psql \copy`).
#pragma once

#include "Channel.h"
#include "Journal.h"

#include <string>

namespace darvo::service {

// {"cursor", "printer", "key", "kind", "state", "receipt_number", "total",
//  "totals", "payments", "paid", "change", "report", "created", "settled",
//  "found", "resolution"}: what the row holds of them.
Message FeedRow(const JournalEntry &row);

// The CSV header line and a row's line (RFC 4180, each ending in CRLF).
std::string CsvHeader();
std::string CsvRow(const JournalEntry &row);

} // namespace darvo::service
