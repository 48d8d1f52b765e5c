// The fiscal receipt: its driver-side state, the payment and extra-line
// tables, and the helpers that build the printer's records.
// Driver-internal; the user program, other operations and the tests use it.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace darvo {

constexpr int kRateCount = 7; // rates A..G, numbers 1..7
constexpr int kArticleNameLength = 28;
constexpr int kPaymentSlots = 4;
constexpr int kPaymentNameLength = 13;
constexpr int kExtraLineSlots = 6;
constexpr uint8_t kFreeLine = 255;
constexpr size_t kMaxInputText = 254;     // callers' texts end at NUL or after this many characters
constexpr size_t kMaxExtraLineText = 253; // N + 2 must fit the one-byte length of the line record

// Set once the printer accepted the begin command; while set, most other
// operations refuse with 200.
extern bool ReceiptOpen;
// Running value per rate of the open receipt, hundredths; RateTotals[0] is
// rate A (number 1) ... RateTotals[6] rate G (number 7).
extern std::array<int32_t, kRateCount> RateTotals;
// Lines accepted in the open receipt (stays at 255 once there).
extern uint8_t ItemCount;

struct PaymentSlot {
    std::string name; // exactly 13 characters once filled; empty: slot free
    int32_t firstAmount = 0;
    int32_t secondAmount = 0;
};
struct ExtraLineSlot {
    uint8_t code = kFreeLine; // 0..15; 255: slot free
    std::string text;
};
// Slot number n lives at index n - 1.
extern std::array<PaymentSlot, kPaymentSlots> PaymentTable;
extern std::array<ExtraLineSlot, kExtraLineSlots> ExtraLinesTable;

// Zeroes RateTotals and empties both tables; leaves ReceiptOpen alone.
void ResetReceiptState();

// Windows-1250 <-> the printer's code page 852, one byte; only the 18 Polish
// letters change.
uint8_t WinToPrinterChar(uint8_t c);
uint8_t PrinterToWinChar(uint8_t c);
std::string WinToPrinterText(const std::string &text);
std::string PrinterToWinText(const std::string &text);

void PutInt32LE(uint8_t *out, uint32_t value);
uint32_t GetInt32LE(const uint8_t *in);

// A caller's text up to its first NUL, at most `limit` characters.
std::string CallerText(const std::string &text, size_t limit = kMaxInputText);
std::string CallerText(const char *text, size_t limit = kMaxInputText); // null: empty

// Significant characters of an article name: % , . / digits letters \ and
// the Polish letters.
bool IsSignificantNameChar(uint8_t c);
// The name cut or padded to 28 characters (Windows-1250, not converted).
std::string PadArticleName(const std::string &text);
int CountSignificant(const std::string &paddedName);
// Fewest significant characters the printer accepts in a name.
int MinSignificantChars(int deviceType);
// Pads the name into `name`; 202 when it has too few significant characters
// for the current device type, else 0.
int32_t PrepareArticleName(std::string &name, const std::string &text);

// Value of a line: quantity (`mp` implied decimals) times price, half up.
// False when it does not fit 32 bits or mp is outside 0..4.
bool LineValue(uint32_t quantity, int32_t mp, uint32_t price, uint32_t &value);
// A rate total after a percentage discount, exactly half rounds down.
int64_t DiscountedTotal(int32_t rateTotal, int32_t discountPercent);
// The receipt total the printer is told when it closes the receipt.
uint32_t ReceiptTotal(int32_t discountPercent);

// The 49-byte record of a receipt line (command 6).
void BuildItemRecord(uint8_t *record, int32_t rodzaj, const std::string &paddedName, int32_t stawka,
                     int32_t komunikat, uint32_t quantity, int32_t mp, const std::string &unit,
                     uint32_t price, uint32_t value);
// Rate code on the wire: 1..4 unchanged, 5 -> 6, 6 -> 7, 7 -> 5.
uint8_t RateWireCode(int32_t stawka);

// The condition check run by ReceiptBegin.
int32_t ReceiptBeginConditions();

// Sending the tables when a receipt closes (first error returned; the slots
// not yet sent stay filled).
int32_t SendPayments();
int32_t SendExtraLines();

} // namespace darvo
