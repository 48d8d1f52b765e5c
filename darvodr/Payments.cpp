// Payments and extra lines: kept in driver tables until a receipt closes.
#include "Core.h"
#include "Guard.h"
#include "Receipt.h"
#include "darvodr.h"

#include <cstring>

namespace darvo {

std::array<PaymentSlot, kPaymentSlots> PaymentTable{};
std::array<ExtraLineSlot, kExtraLineSlots> ExtraLinesTable{};

namespace {

constexpr uint8_t kPaymentFirst = 129;
constexpr uint8_t kPaymentSecond = 130;
constexpr uint8_t kExtraLine = 9;

void ErasePaymentTable() {
    for (PaymentSlot &slot : PaymentTable)
        slot = PaymentSlot{};
}

void EraseLinesTable() {
    for (ExtraLineSlot &slot : ExtraLinesTable)
        slot = ExtraLineSlot{};
}

int32_t DoFillPayment(int32_t slot, const std::string &name, int32_t first, int32_t second) {
    if (slot < 1 || slot > kPaymentSlots) return RC_OUT_OF_RANGE;
    PaymentSlot &p = PaymentTable[slot - 1];
    p.name = name.substr(0, kPaymentNameLength);
    p.name.resize(kPaymentNameLength, ' ');
    p.firstAmount = first;
    p.secondAmount = second;
    return RC_OK;
}

int32_t DoFillLines(int32_t code, const std::string &text, int32_t &freeSlots) {
    // The record carries N + 2 bytes in a one-byte length: longer texts are cut.
    const std::string line = text.substr(0, kMaxExtraLineText);
    if (code < 0 || code > 15) return RC_OUT_OF_RANGE;
    int32_t free = 0;
    for (const ExtraLineSlot &slot : ExtraLinesTable)
        free += slot.code == kFreeLine;
    freeSlots = free;
    if (free == 0) return RC_NO_FREE_LINE;
    // The first free slot: after a half-sent table a filled slot may follow a free one.
    for (ExtraLineSlot &slot : ExtraLinesTable) {
        if (slot.code != kFreeLine) continue;
        slot.code = static_cast<uint8_t>(code);
        slot.text = line;
        break;
    }
    --freeSlots;
    return RC_OK;
}

} // namespace

void ResetReceiptState() {
    RateTotals.fill(0);
    ErasePaymentTable();
    EraseLinesTable();
}

int32_t SendPayments() {
    for (int i = 0; i < kPaymentSlots; ++i) {
        PaymentSlot &p = PaymentTable[i];
        if (p.name.empty()) continue;
        uint8_t record[1 + kPaymentNameLength + 4];
        record[0] = static_cast<uint8_t>(i + 1);
        const std::string name = WinToPrinterText(p.name);
        std::memcpy(record + 1, name.data(), kPaymentNameLength);
        PutInt32LE(record + 1 + kPaymentNameLength, static_cast<uint32_t>(p.firstAmount));
        uint8_t rc = SendSequence(kPaymentFirst, 0, sizeof record, record, nullptr);
        if (rc != RC_OK) return rc;
        PutInt32LE(record + 1 + kPaymentNameLength, static_cast<uint32_t>(p.secondAmount));
        rc = SendSequence(kPaymentSecond, 0, sizeof record, record, nullptr);
        if (rc != RC_OK) return rc;
        p = PaymentSlot{};
    }
    return RC_OK;
}

int32_t SendExtraLines() {
    for (ExtraLineSlot &slot : ExtraLinesTable) {
        if (slot.code == kFreeLine) continue;
        // The printer reads a line up to its line feed: one inside the text
        // would end the record early and the rest would reach it as commands.
        std::string text = WinToPrinterText(slot.text.substr(0, kMaxExtraLineText));
        for (char &c : text)
            if (c == '\n') c = ' ';
        uint8_t record[256];
        record[0] = static_cast<uint8_t>(slot.code + 0x30);
        std::memcpy(record + 1, text.data(), text.size());
        record[text.size() + 1] = 0x0A;
        uint8_t rc = SendSequence(kExtraLine, 0, static_cast<uint8_t>(text.size() + 2), record, nullptr);
        if (rc != RC_OK) return rc;
        slot = ExtraLineSlot{};
    }
    return RC_OK;
}

} // namespace darvo

using namespace darvo;

int32_t FillPayment(int32_t slot, const std::string &name, int32_t firstAmount, int32_t secondAmount) {
    return Guarded("FillPayment",
                   [&] { return DoFillPayment(slot, CallerText(name), firstAmount, secondAmount); });
}

extern "C" int32_t pFillPayment(int32_t slot, const char *name, int32_t firstAmount, int32_t secondAmount) {
    return Guarded("pFillPayment",
                   [&] { return DoFillPayment(slot, CallerText(name), firstAmount, secondAmount); });
}

int32_t FillLines(int32_t lineCode, const std::string &text, int32_t &freeSlots) {
    return Guarded("FillLines", [&] { return DoFillLines(lineCode, CallerText(text), freeSlots); });
}

extern "C" int32_t pFillLines(int32_t lineCode, const char *text, int32_t *freeSlots) {
    return Guarded("pFillLines", [&]() -> int32_t {
        if (!freeSlots) return RC_NULL_BUFFER;
        return DoFillLines(lineCode, CallerText(text), *freeSlots);
    });
}

extern "C" int32_t ErasePayments(void) {
    return Guarded("ErasePayments", [&] {
        ErasePaymentTable();
        return RC_OK;
    });
}

extern "C" int32_t EraseLines(void) {
    return Guarded("EraseLines", [&] {
        EraseLinesTable();
        return RC_OK;
    });
}
