// What a request asks, checked before anything goes to a printer: the
// idempotency key, a receipt, the bodies of the report, clock and recovery
// requests. Each problem names its field by its JSON path ("lines[0].price",
// "from") or its header ("Idempotency-Key").
#pragma once

#include "pos/Receipt.h"

#include <nlohmann/json.hpp>

#include <string>
#include <string_view>

namespace darvo::service {

constexpr size_t kMaxKeyChars = 255;
constexpr const char *kKeyHeader = "Idempotency-Key";

// 1..255 letters, digits and "-_.~:@" (a UUID fits): a key stays one
// piece of a URL and of a log line.
bool ValidKey(std::string_view key);
constexpr const char *kKeyRule = "1 to 255 letters, digits or - _ . ~ : @ (a UUID fits)";

// A receipt request: the key (null when the header is missing) and the
// body. The receipt is usable only without problems.
pos::Problems ParseReceiptRequest(const std::string *key, std::string_view body, pos::Receipt &receipt);

// The job of a printer request ("daily", "financial", "periodic", "clock",
// "recover") from its JSON body (empty: {}), as the printer's worker takes
// it: {"op": KIND, ...}.
pos::Problems ParseJobRequest(const std::string &kind, std::string_view body, nlohmann::json &job);

} // namespace darvo::service
