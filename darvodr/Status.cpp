// Status bytes and print monitoring.
#include "Guard.h"
#include "Host.h"
#include "Session.h"
#include "darvodr.h"

namespace darvo {

namespace {

constexpr uint8_t kStatus2Plain = 0x94;
constexpr uint8_t kStatus3Plain = 0x95;
constexpr uint8_t kResume = 0x2A;

// Reads one status byte with a command that answers the byte alone, or ACK
// and the byte (answerLength 1 or 2); the byte is the first answer position.
int32_t ReadStatusByte(uint8_t command, uint8_t answerLength, uint8_t &byte) {
    int32_t result = SendSequence(command, answerLength, 0, nullptr, nullptr);
    if (result == RC_OK) byte = AnswerBuffer[0];
    return result;
}

// Polls status bytes 3 and 2 until the printout has ended. With
// `mayResume` a printout stopped for lack of paper (paper loaded again) is
// resumed; without it the monitor keeps polling until it ends.
// Mode 1 checks a printout the caller has already run, mode 0 follows one
// a command has just started; any other mode follows a printout without
// either mode's special case.
int32_t Monitor(int32_t mode, uint8_t deviceType, bool mayResume) {
    ShowActivity(mode == 1 ? "Trwa kontrola wydruku..." : "Trwa wydruk...");
    if (!SessionReady) {
        int32_t result = StartSession(SessionPort, false);
        if (result != RC_OK) return result;
    }
    const bool skipStatus2 = mayResume && mode == 0 && IsPexaFamily(deviceType);

    uint8_t s = 0;
    Processmessages();
    int32_t result = ReadStatusByte(kStatus3Plain, 1, s);
    if (result != RC_OK) return result;
    if (Bit(s, 1)) return RC_NO_PAPER;

    for (;;) {
        Processmessages();
        if ((result = ReadStatusByte(kStatus3Plain, 1, s)) != RC_OK) return result;
        if (Bit(s, 7)) return RC_NO_CONTROLLER;
        if (Bit(s, 1)) return RC_NO_PAPER;
        if (Bit(s, 2)) return RC_PRINTER_FAILURE;

        uint8_t d = 0;
        if (!skipStatus2) result = ReadStatusByte(kStatus2Plain, 1, d);
        Processmessages();
        if (result != RC_OK) return result;

        result = ReadStatusByte(kStatus3Plain, 1, s);
        Processmessages();
        if (result != RC_OK) return result;
        if (Bit(s, 2)) return RC_PRINTER_FAILURE;
        if (Bit(s, 7)) return RC_NO_CONTROLLER;
        if (Bit(s, 1)) return RC_NO_PAPER;

        // The document state: waiting in memory, printing, stopped for paper.
        const bool waiting = Bit(d, 1), printing = Bit(s, 0), stopped = Bit(s, 6);
        if (!waiting && !printing && !stopped) return RC_OK;

        if (!stopped && (printing || mode == 0)) {
            // Printing (or, after a fresh command, a document still queued):
            // look once more for paper running out.
            Processmessages();
            if ((result = ReadStatusByte(kStatus3Plain, 1, s)) != RC_OK) return result;
            if (Bit(s, 1)) return RC_NO_PAPER;
        } else if ((printing && stopped) || (waiting && !printing && !stopped && mode == 1)) {
            // Stopped for lack of paper with the paper back, or a document
            // that waits to be printed: the printout is resumed.
            if (Bit(s, 1)) return RC_NO_PAPER;
            if (mayResume) return ResumePrintout();
        } else if (Bit(s, 1)) {
            return RC_NO_PAPER;
        }
    }
}

} // namespace

int32_t ReadStatusBytes(StatusSet &status) {
    status = StatusSet{};
    ShowActivity("Odczyt bajtów statusu...");
    if (!SessionReady) {
        int32_t result = StartSession(SessionPort, true);
        if (result != RC_OK) return result;
    }
    int32_t version = 0;
    int32_t result = ReadDeviceType(DeviceType, version);
    if (result != RC_OK) return result;
    const int type = DeviceType;

    const uint8_t basic[4] = {0x5B, 0x54, 0x55, 0x56};
    for (int n = 1; n <= 4; ++n)
        if ((result = ReadStatusByte(basic[n - 1], 2, status.bytes[n])) != RC_OK) return result;
    status.count = 4;

    const bool has56 =
        (type == 3 && version >= 3) || (type == 6 && version >= 6) || type == 7 || type == 8 || type == 9;
    if (has56) {
        status.count = 6;
        if ((result = ReadStatusByte(0x5F, 2, status.bytes[5])) != RC_OK) return result;
        if ((result = ReadStatusByte(0x50, 2, status.bytes[6])) != RC_OK) return result;
        if (type == 7 || type == 8 || type == 9) {
            status.count = 7;
            if ((result = ReadStatusByte(0xF3, 2, status.bytes[7])) != RC_OK) return result;
        }
    }
    if (type == 6 || type == 8) {
        if ((result = ReadStatusByte(0x5D, 2, status.bytes[8])) != RC_OK) return result;
        status.hasByte8 = true;
    }
    return RC_OK;
}

int32_t PrintMonitor(int32_t mode, uint8_t deviceType) {
    return Monitor(mode, deviceType, true);
}

int32_t AwaitPrintEnd(int32_t mode) {
    return Monitor(mode, 0, false);
}

int32_t ResumePrintout() {
    ShowActivity("Wznawianie wydruku...");
    if (!SessionReady) {
        int32_t result = StartSession(SessionPort, false);
        if (result != RC_OK) return result;
    }
    if (ReceiptOpen) return RC_RECEIPT_OPEN;
    uint8_t s = 0;
    int32_t result = ReadStatusByte(kStatus3Plain, 1, s);
    if (result != RC_OK) return result;
    if (Bit(s, 1)) return RC_NO_PAPER;
    result = SendSequence(kResume, 1, 0, nullptr, nullptr);
    if (result != RC_OK) return result;
    return AwaitPrintEnd(0);
}

} // namespace darvo

using namespace darvo;

extern "C" int32_t PrintControl(int32_t mode, uint8_t deviceType) {
    return Guarded("PrintControl", [&]() -> int32_t { return PrintMonitor(mode, deviceType); });
}

extern "C" int32_t PrintResume(void) {
    return Guarded("PrintResume", [&]() -> int32_t { return ResumePrintout(); });
}
