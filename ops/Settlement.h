// The settlement report: the fiscal memory's last printout. A printer that
// was not read-only yet is read-only for good after it.
#pragma once

#include "ops/StatusBits.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace darvo::ops {

// What the status says against a settlement report, the first that holds
// in this order.
enum class SettlementBlocker {
    None,
    NoMakerData,
    NoController,
    PrinterFailure,
    CmosErased,
    NoUserData,
    TrainingMode
};
SettlementBlocker SettlementBlockerOf(const StatusBits &bits);

// Whether the eight digits given match those of the printer's unique number
// ("ABC 12345678", as ReadUniqueNumber gives it).
bool UniqueDigitsMatch(const std::string &unique, const std::string &digits);

enum class SettlementKind { WholeMemory = 1, ByDates = 2, ByNumbers = 3 };

struct SettlementRequest {
    SettlementKind kind = SettlementKind::WholeMemory;
    std::string digits; // the unique number's eight digits
    std::string date;   // today, "yyyy.mm.dd"
    // By numbers the first and last report number, 16-bit little-endian
    // each (bytes 4..11 zero); by dates the digits y y m m d d of the first
    // and of the last date (values 0..9).
    std::array<uint8_t, 12> range{};
};

// The frame of command 49: the kind, the sums of the digits' pairs, today's
// digits and the range; empty when the digits or the date are malformed.
std::vector<uint8_t> SettlementFrame(const SettlementRequest &request);

// Sends the frame and reads the printer's result byte: 0 it prints (then
// AwaitPrintout), 1..7 the reason it refused. The driver's code. A range
// takes the printer a search of its fiscal memory before it answers: the
// caller sets the period report's read time-out for it.
int32_t SendSettlement(const std::vector<uint8_t> &frame, uint8_t &result);

} // namespace darvo::ops
