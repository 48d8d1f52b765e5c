// A receipt checked against one printer, and the driver calls that print
// it. The facts are read from the printer once per session (Printer::Facts);
// the checks themselves need no printer, so a test or a service can run them
// on facts of its own.
#pragma once

#include "Receipt.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace darvo::pos {

struct PrinterFacts {
    int deviceType = 9; // 0..9
    int version = 0;
    std::string model;               // the printer's name, "DARVO PEXA"
    int rateCount = 7;               // 4, 6 or 7
    std::array<int32_t, 7> rates{};  // hundredths of a percent; 10000 exempt, 25500 not in use
    bool RateSet(char letter) const; // the printer holds a rate under the letter
    bool TakesPayments() const;      // payment records are printed (device types 3, 7, 8, 9)
    int MinNameSignificant() const;  // significant characters a name needs (5 or 10)
};

// One driver receipt line (ReceiptItem): texts in Windows-1250.
struct PlannedLine {
    bool sale = true; // false: a cancellation line
    std::string name;
    int32_t rate = 1; // 1..7
    uint32_t quantity = 0;
    int32_t decimals = 0;
    std::string unit;
    uint32_t price = 0;
    uint32_t value = 0;
    std::string path; // the receipt field it comes from, for messages
};

struct PlannedPayment {
    int32_t slot = 1; // 1..4
    std::string name; // Windows-1250
    int32_t amount = 0;
    int32_t change = 0;
};

struct PlannedExtraLine {
    int32_t code = 0;
    std::string text; // Windows-1250
};

struct Plan {
    std::vector<PlannedLine> lines;
    std::vector<PlannedPayment> payments; // empty on printers without payment records
    std::vector<PlannedExtraLine> extraLines;
    int32_t discountPercent = 0;
    Totals totals;
    std::vector<std::string> notes; // what the printer will not show (payments on older models)
};

// Checks the receipt as CheckReceipt does and against the printer's facts
// (rate letters set, names with enough significant characters), and plans
// the calls. Nothing is planned while any problem remains.
Problems PlanReceipt(const Receipt &receipt, const PrinterFacts &facts, Plan &plan);

} // namespace darvo::pos
