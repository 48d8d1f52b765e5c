// Result codes of the driver: 0 for success; Win32 codes of the port pass
// through unchanged; ErrMessage gives each its Polish text.
#pragma once

#include <cstdint>

namespace darvo {

constexpr int32_t RC_OK = 0;                     // success
constexpr int32_t RC_SEND_FAILED = 20;           // a byte could not be sent
constexpr int32_t RC_RECEIVE_FAILED = 21;        // an answer byte did not arrive
constexpr int32_t RC_BAD_ANSWER = 23;            // unexpected first answer byte
constexpr int32_t RC_NAK = 24;                   // the printer answered NAK
constexpr int32_t RC_REFUSED_C8 = 26;            // first answer byte 0xC8
constexpr int32_t RC_NO_MAKER_DATA = 100;        // no maker data
constexpr int32_t RC_SERVICE_JUMPER = 101;       // service jumper in the service position
constexpr int32_t RC_NO_CONTROLLER = 102;        // no link to the printer controller
constexpr int32_t RC_PRINTER_FAILURE = 103;      // printer failure
constexpr int32_t RC_NO_USER_DATA = 104;         // no user data
constexpr int32_t RC_NO_DISPLAY = 106;           // no customer display
constexpr int32_t RC_CMOS_ERASED = 107;          // CMOS memory erased
constexpr int32_t RC_NO_PAPER = 109;             // no paper or head raised
constexpr int32_t RC_NO_RATES = 113;             // no tax rates
constexpr int32_t RC_NO_PORT = 114;              // no port number set
constexpr int32_t RC_RECEIPT_OPEN = 200;         // a receipt is open
constexpr int32_t RC_RECEIPT_NOT_BEGUN = 201;    // no receipt begun
constexpr int32_t RC_FEW_SIGNIFICANT = 202;      // too few significant characters
constexpr int32_t RC_BAD_RATE = 203;             // rate out of range
constexpr int32_t RC_BAD_MP = 206;               // decimal places out of range
constexpr int32_t RC_RECEIPT_CANCELLED = 210;    // the printer cancelled the receipt
constexpr int32_t RC_ZERO_COUNTER = 211;         // no sales since the daily report
constexpr int32_t RC_BAD_DRAWER = 212;           // drawer number out of range
constexpr int32_t RC_NOT_AVAILABLE = 213;        // command not available
constexpr int32_t RC_BAD_PACKAGE_PARAM = 214;    // parameter out of range (package, date)
constexpr int32_t RC_DATE_REFUSED = 214;         // parameter out of range (package, date)
constexpr int32_t RC_OUT_OF_RANGE = 215;         // parameter out of range
constexpr int32_t RC_NO_FREE_LINE = 216;         // no free extra line
constexpr int32_t RC_NOT_WRITTEN = 217;          // tax rates not written
constexpr int32_t RC_COUNTER_NOT_ZERO = 218;     // receipt counter not zero
constexpr int32_t RC_BAD_DATES = 219;            // bad dates for a period report
constexpr int32_t RC_BAD_SELECTOR = 223;         // parameter N out of range
constexpr int32_t RC_PARAMETER_N = 223;          // parameter N out of range
constexpr int32_t RC_NOT_IN_DEVICE = 224;        // not in this device or version
constexpr int32_t RC_NULL_BUFFER = 225;          // null buffer
constexpr int32_t RC_RATE_UNUSED = 226;          // rate not defined
constexpr int32_t RC_VALUE_TOO_HIGH = 227;       // item value too high
constexpr int32_t RC_TRAINING_MODE = 228;        // training mode
constexpr int32_t RC_USER_DATA_NOT_STORED = 229; // user data not stored
constexpr int32_t RC_CMOS_NOT_ERASED = 230;      // CMOS not erased
constexpr int32_t RC_CRC = 232;                  // CRC error in the data sent
constexpr int32_t RC_ORDER = 233;                // data sent out of order
constexpr int32_t RC_REPEATED = 234;             // same data sent again
constexpr int32_t RC_PRINT_PREVIOUS = 235;       // previous data not yet printed
constexpr int32_t RC_EURO_PENDING = 237;         // euro changeover pending
constexpr int32_t RC_NO_DISPLAY_DATA = 238;      // no display data in the printer
constexpr int32_t RC_CLOCK_INITIALISED = 239;    // clock already initialised
constexpr int32_t RC_EXCEPTION = 999;            // exception inside an exported function

// Bit n of a status byte.
inline bool Bit(uint8_t byte, int n) {
    return (byte >> n) & 1;
}

} // namespace darvo
