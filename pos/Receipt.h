// The receipt as a point-of-sale program describes it, in UTF-8 with exact
// amounts, and its JSON form (docs/schemas/receipt.schema.json). Parsing
// and the checks here need no printer; the checks against a printer are in
// Plan.h.
//
//   {"lines": [{"name": "Mleko 2% 1l", "quantity": "1", "price": "3.49", "rate": "A"}],
//    "payments": [{"type": "cash", "amount": "5.00"}]}
#pragma once

#include "Decimal.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace darvo::pos {

// A field that is wrong, by its JSON path ("lines[2].price"), and why.
struct Problem {
    std::string path;
    std::string message;
    bool operator==(const Problem &) const = default;
};
using Problems = std::vector<Problem>;

// A discount (printed as a cancellation line at the line's rate) or a
// surcharge (a sale line) of one receipt line: an amount or a percentage of
// the line's value.
struct LineAdjustment {
    bool surcharge = false;
    std::optional<int64_t> amount;  // hundredths
    std::optional<Decimal> percent; // up to two decimals
    std::string name;               // empty: "Rabat <line name>" / "Narzut <line name>"
};

struct ReceiptLine {
    std::string name;  // at most 28 characters
    Decimal quantity;  // up to 4 decimals
    int64_t price = 0; // unit price, hundredths
    char rate = 'A';   // 'A'..'G'
    std::string unit;  // up to 4 ASCII characters ("szt", "kg")
    std::optional<LineAdjustment> adjustment;
};

enum class PaymentType { Cash, Card, Cheque, Voucher, Credit, Transfer, Other };
const char *PaymentTypeName(PaymentType type);     // "cash", ...
const char *DefaultPaymentLabel(PaymentType type); // "Gotówka", ...

struct Payment {
    PaymentType type = PaymentType::Cash;
    int64_t amount = 0; // hundredths, what the customer gives
    std::string name;   // empty: the type's own label; at most 13 characters
};

// A line printed after the receipt.
struct ExtraLine {
    std::string text; // 1..40 characters
    int code = 0;     // 0..15, the printer's line kind
};

struct Receipt {
    std::vector<ReceiptLine> lines;
    std::vector<Payment> payments;
    std::vector<ExtraLine> extraLines;
    int discountPercent = 0; // 1..99 for a discount on the whole receipt, 0: none
};

constexpr int kMaxNameChars = 28;
constexpr int kMaxUnitChars = 4;
constexpr int kMaxPaymentNameChars = 13;
constexpr int kMaxPayments = 4;
constexpr int kMaxExtraLines = 6;
constexpr int kMaxExtraLineChars = 40;
constexpr size_t kMaxLines = 500;
constexpr size_t kMaxReceiptBytes = 1 << 20;

// JSON text (at most kMaxReceiptBytes) or a parsed document to a receipt.
// Every problem found is listed; the receipt is usable only without any.
Problems ParseReceipt(std::string_view json, Receipt &receipt);
Problems ParseReceiptDocument(const nlohmann::json &document, Receipt &receipt);
nlohmann::json ToJson(const Receipt &receipt);

// The name a line's discount or surcharge is printed under.
std::string AdjustmentName(const ReceiptLine &line);

// Values and totals as the printer will compute them, in hundredths.
struct Totals {
    std::vector<int64_t> lineValues;       // value of each line (quantity x price, half up)
    std::vector<int64_t> adjustmentValues; // each line's discount or surcharge, 0 for none
    int64_t rates[7] = {};                 // per rate A..G after the receipt discount
    int64_t gross = 0;                     // before the receipt discount
    int64_t discount = 0;                  // the receipt discount
    int64_t total = 0;                     // what the customer pays
    int64_t paid = 0;                      // sum of the payments
    int64_t change = 0;                    // paid - total, given back in cash
};

// The checks that need no printer: every field in range, every text
// printable, values within the printer's 32-bit amounts, payments covering
// the total (change only from cash). Fills `totals` when there is no problem.
Problems CheckReceipt(const Receipt &receipt, Totals &totals);

} // namespace darvo::pos
