// Service and configuration commands.
#include "Service.h"
#include "Core.h"
#include "Counters.h"
#include "Cp1250.h"
#include "Host.h"
#include "Receipt.h"
#include "Session.h"
#include "Shielded.h"
#include "Trace.h"

#include <algorithm>
#include <initializer_list>

namespace darvo {

namespace {

enum class MemoryCheck { None, Full, CmosOnly };

struct Prologue {
    const char *progress = nullptr; // UTF-8; none when null
    bool checkPrinter = true;
    MemoryCheck memory = MemoryCheck::None;
    bool refuseOpenReceipt = false;
    std::initializer_list<int> deviceTypes = {}; // empty: any
};

// Reads a status byte with its plain command (the byte alone).
int32_t ReadPlainStatus(uint8_t command, uint8_t &byte) {
    int32_t result = SendSequence(command, 1, 0, nullptr, nullptr);
    if (result == RC_OK) byte = AnswerBuffer[0];
    return result;
}

// Status byte 2: cleared CMOS memory, and (Full) the printer controller.
int32_t CheckMemory(MemoryCheck memory) {
    if (memory == MemoryCheck::None) return RC_OK;
    uint8_t s2 = 0;
    int32_t result = ReadPlainStatus(kStatus2, s2);
    if (result != RC_OK) return result;
    if (Bit(s2, 4)) return RC_CMOS_ERASED;
    if (memory == MemoryCheck::Full && Bit(s2, 7)) return RC_NO_CONTROLLER;
    return RC_OK;
}

int32_t CheckDeviceType(std::initializer_list<int> types, uint8_t *typeOut = nullptr) {
    uint8_t type = 0;
    int32_t version = 0;
    int32_t result = ReadDeviceType(type, version);
    if (result != RC_OK) return result;
    DeviceType = type;
    if (typeOut) *typeOut = type;
    if (types.size() > 0 && std::find(types.begin(), types.end(), type) == types.end())
        return RC_NOT_IN_DEVICE;
    return RC_OK;
}

int32_t Run(const Prologue &p) {
    if (p.progress) ShowActivity(p.progress);
    int32_t result = EnsureSession(p.checkPrinter);
    if (result != RC_OK) return result;
    result = CheckMemory(p.memory);
    if (result != RC_OK) return result;
    if (p.refuseOpenReceipt && ReceiptOpen) return RC_RECEIPT_OPEN;
    if (p.deviceTypes.size() > 0) return CheckDeviceType(p.deviceTypes);
    return RC_OK;
}

// One byte the printer sends after the parameters.
bool Receive(uint8_t &byte) {
    if (!ReceiveByte(byte)) return false;
    TraceByte(TraceDirection::Received, byte);
    return true;
}

int32_t ReceiveBytes(uint8_t *out, int count) {
    for (int i = 0; i < count; ++i)
        if (!Receive(out[i])) return RC_RECEIVE_FAILED;
    return RC_OK;
}

// The confirmation byte of the display and advertising transfers.
int32_t TransferConfirmation() {
    uint8_t byte = 0;
    if (!Receive(byte)) return RC_RECEIVE_FAILED;
    switch (byte) {
    case 0: return RC_OK;
    case 108: return RC_PARAMETER_N;
    case 200: return RC_CRC;
    case 201: return RC_ORDER;
    case 202: return RC_REPEATED;
    case 203: return RC_PRINT_PREVIOUS;
    default: return RC_BAD_ANSWER;
    }
}

// The answer of the erase commands 57 and 58.
int32_t EraseAnswer(uint8_t command) {
    int32_t result = SendSequence(command, 2, 0, nullptr, nullptr);
    if (result != RC_OK) return result;
    switch (AnswerBuffer[0]) {
    case 0: return RC_OK;
    case 204: return RC_PRINT_PREVIOUS;
    default: return RC_BAD_ANSWER;
    }
}

// A command with one status printout around it: the printer must be ready
// to print, and the driver waits until it has printed.
int32_t PrintingCommand(uint8_t command) {
    int32_t result = PrintMonitor(1, DeviceType);
    if (result != RC_OK) return result;
    result = SendSequence(command, 1, 0, nullptr, nullptr);
    if (result != RC_OK) return result;
    return PrintMonitor(0, DeviceType);
}

uint8_t ToBcd(int v) {
    return static_cast<uint8_t>(((v / 10) << 4) | (v % 10));
}
uint8_t FromBcd(uint8_t b) {
    return static_cast<uint8_t>((b >> 4) * 10 + (b & 0x0F));
}

// The text cut or padded with blanks to `length` characters.
std::string Fit(const std::string &text, size_t length) {
    std::string out = CallerText(text).substr(0, length);
    out.resize(length, ' ');
    return out;
}

// Whether the printer takes advertising text in Windows-1250 (command 195).
int32_t AdvertsInCp1250(bool &cp1250) {
    int32_t result = SendSequence(195, 4, 0, nullptr, nullptr);
    if (result != RC_OK) return result;
    cp1250 = Bit(AnswerBuffer[0], 3);
    return RC_OK;
}

} // namespace

// The operations' work; the functions of Service.h run it shielded.
namespace work {

int32_t WritePrinterNumber(const std::string &cashRegisterNumber, const std::string &operatorCode) {
    int32_t result =
        Run({.progress = "Zapis numeru drukarki i kodu obsługującego...", .refuseOpenReceipt = true});
    if (result != RC_OK) return result;
    // A one-digit number gets its leading zero, as the printer reads two digits.
    std::string number = CallerText(cashRegisterNumber).substr(0, 2);
    if (number.size() < 2) number.insert(0, 2 - number.size(), '0');
    const std::string code = Fit(operatorCode, 2);
    const uint8_t params[4] = {static_cast<uint8_t>(number[0]), static_cast<uint8_t>(number[1]),
                               static_cast<uint8_t>(code[0]), static_cast<uint8_t>(code[1])};
    return SendSequence(67, 1, 4, params, nullptr);
}

int32_t WriteFeedLines(uint8_t lines) {
    uint8_t type = 0;
    int32_t result = Run({.progress = "Zapis ilosci wysuwów...", .refuseOpenReceipt = true});
    if (result == RC_OK) result = CheckDeviceType({}, &type);
    if (result != RC_OK) return result;
    return SendSequence(IsPexaFamily(type) ? 237 : 70, 1, 1, &lines, nullptr);
}

int32_t ReadFeedLines(int32_t &lines) {
    int32_t result = Run({.checkPrinter = false, .refuseOpenReceipt = true});
    if (result != RC_OK) return result;
    result = SendSequence(238, 2, 0, nullptr, nullptr);
    if (result == RC_OK) lines = AnswerBuffer[0];
    return result;
}

int32_t WriteRounding(uint8_t mode) {
    int32_t result = Run({.progress = "Zapis typu zaokrąglenia...", .refuseOpenReceipt = true});
    if (result != RC_OK) return result;
    // The mode goes as a digit character; which modes there are is the
    // printer's business (the byte wraps past 255).
    const uint8_t param = static_cast<uint8_t>(mode + 0x30);
    return SendSequence(116, 1, 1, &param, nullptr);
}

int32_t ReadRounding(int32_t &mode) {
    int32_t result = Run({.progress = "Odczyt sposobu zaokrąglenia...", .refuseOpenReceipt = true});
    if (result != RC_OK) return result;
    result = SendSequence(210, 2, 0, nullptr, nullptr);
    if (result == RC_OK) mode = AnswerBuffer[0];
    return result;
}

int32_t FixedDescriptionsReport() {
    int32_t result =
        Run({.progress = "Raport opisów stałych...", .memory = MemoryCheck::Full, .refuseOpenReceipt = true});
    if (result != RC_OK) return result;
    return PrintingCommand(48);
}

int32_t DisplayTest(uint8_t pattern) {
    int32_t result = Run({.progress = "Test wyswietlacza..."});
    if (result != RC_OK) return result;
    uint8_t unused = 0;
    result = ReadPlainStatus(kStatus2, unused);
    if (result != RC_OK) return result;
    if (ReceiptOpen) return RC_RECEIPT_OPEN;
    return SendSequence(50, 1, 1, &pattern, nullptr);
}

int32_t ClearPriceBuffer() {
    int32_t result = Run(
        {.progress = "Kasowanie bufora wycen...", .memory = MemoryCheck::Full, .refuseOpenReceipt = true});
    if (result != RC_OK) return result;
    return SendSequence(119, 1, 0, nullptr, nullptr);
}

int32_t EpromTest() {
    int32_t result =
        Run({.progress = "Test pamięci EPROM...", .memory = MemoryCheck::Full, .refuseOpenReceipt = true});
    if (result != RC_OK) return result;
    return PrintingCommand(39);
}

int32_t IsFiscalMode(int32_t &fiscal) {
    int32_t result = Run({.progress = "Test czy tryb fiskalny...", .checkPrinter = false});
    if (result != RC_OK) return result;
    uint8_t s1 = 0;
    result = ReadPlainStatus(kStatus1, s1);
    if (result == RC_OK) fiscal = Bit(s1, 3) ? 1 : 0;
    return result;
}

int32_t PowerOff() {
    int32_t result = Run({.progress = "Wyłączenie drukarki..."});
    if (result != RC_OK) return result;
    const uint8_t params[5] = {0x30, 0x30, 0x30, 0x30, 0x30};
    return SendSequence(253, 1, 5, params, nullptr);
}

int32_t ShiftClock(uint8_t direction, uint8_t minutes) {
    int32_t result = Run({.progress = "Przestawianie zegara...", .refuseOpenReceipt = true});
    if (result != RC_OK) return result;
    if (direction > 1 || minutes > 99) return RC_OUT_OF_RANGE;
    int32_t counter = 0;
    result = ReadLastReceiptNumber(counter);
    if (result != RC_OK) return result;
    // The clock may only be shifted right after a daily report.
    if (counter != 0) return RC_COUNTER_NOT_ZERO;
    const uint8_t params[3] = {direction, static_cast<uint8_t>(minutes / 10),
                               static_cast<uint8_t>(minutes % 10)};
    return SendSequence(54, 1, 3, params, nullptr);
}

int32_t InitClock(uint8_t year, uint8_t month, uint8_t day, uint8_t hour, uint8_t minute, uint8_t second) {
    int32_t result = Run({.progress = "Inicjowanie zegara..."});
    if (result != RC_OK) return result;
    if (year > 99 || month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 ||
        second > 59)
        return RC_OUT_OF_RANGE;
    uint8_t s2 = 0;
    result = ReadPlainStatus(kStatus2, s2);
    if (result != RC_OK) return result;
    // The clock can only be initialised after the CMOS memory was cleared.
    if (!Bit(s2, 4)) return RC_CMOS_NOT_ERASED;
    uint8_t s1 = 0;
    result = ReadPlainStatus(kStatus1, s1);
    if (result != RC_OK) return result;
    if (Bit(s1, 3)) {
        uint8_t s4 = 0;
        result = ReadPlainStatus(kStatus4, s4);
        if (result != RC_OK) return result;
    }
    uint8_t type = 0;
    result = CheckDeviceType({}, &type);
    if (result != RC_OK) return result;

    const uint8_t values[6] = {year, month, day, hour, minute, second};
    uint8_t params[12];
    for (int i = 0; i < 6; ++i) {
        params[2 * i] = static_cast<uint8_t>(values[i] / 10);
        params[2 * i + 1] = static_cast<uint8_t>(values[i] % 10);
    }
    const bool pexa = IsPexaFamily(type);
    result = SendSequence(pexa ? 65 : 52, 1, pexa ? 12 : 10, params, nullptr);
    if (result != RC_OK) {
        // The PEXA printers say why they refuse in their first answer byte.
        // Byte 1 (the clock is already initialised) reaches the exchange as
        // the service-jumper byte, so that code is read here the same way.
        if (pexa && (result == RC_BAD_ANSWER || result == RC_SERVICE_JUMPER)) {
            const uint8_t why = AnswerBuffer[0];
            if (why >= 1 && why <= 3) return RC_CLOCK_INITIALISED + why - 1; // 239..241
        }
        return result;
    }
    if (pexa) {
        // The printer now erases its memory and reports each step with a
        // byte; 0 ends. Its bar has 16 steps: a printer that goes on far
        // beyond them without the 0 is answering garbage, and is not waited
        // for without end.
        constexpr int kMostProgressBytes = 1024;
        const std::string text = Utf8ToCp1250("Trwa kasowanie ...");
        int steps = 0;
        Host().ClockInitProgress(text, 0);
        for (;;) {
            uint8_t byte = 0;
            if (!Receive(byte)) {
                return RC_RECEIVE_FAILED;
            }
            if (byte == 0) break;
            if (steps == kMostProgressBytes) return RC_BAD_ANSWER;
            ++steps;
            Host().ClockInitProgress(text, std::min(100, steps * 100 / 16));
        }
        Host().ClockInitProgress(text, 100);
    }
    return PrintMonitor(0, DeviceType);
}

int32_t ReadServiceDate(uint8_t which, uint8_t &year, uint8_t &month, uint8_t &day) {
    int32_t result = Run({});
    if (result != RC_OK) return result;
    if (which > 1) return RC_OUT_OF_RANGE;
    result = SendSequence(250, 1, 1, &which, nullptr);
    if (result != RC_OK) return result;
    uint8_t b[4];
    result = ReceiveBytes(b, 4);
    if (result != RC_OK) return result;
    if (b[0] != 0) return RC_BAD_ANSWER;
    year = FromBcd(b[1]);
    month = FromBcd(b[2]);
    day = FromBcd(b[3]);
    return RC_OK;
}

int32_t WriteServiceDate(uint8_t which, uint8_t year, uint8_t month, uint8_t day) {
    int32_t result = Run({});
    if (result != RC_OK) return result;
    if (which > 1 || year > 99 || month > 12 || day > 31) return RC_OUT_OF_RANGE;
    const uint8_t params[4] = {which, ToBcd(year), ToBcd(month), ToBcd(day)};
    result = SendSequence(249, 1, 4, params, nullptr);
    if (result != RC_OK) return result;
    uint8_t confirmation = 0;
    if (!Receive(confirmation)) return RC_RECEIVE_FAILED;
    return confirmation == 0 ? RC_OK : RC_DATE_REFUSED;
}

int32_t ReadLockReasons(uint8_t &secondState, uint8_t &lockReason) {
    int32_t result = Run({});
    if (result != RC_OK) return result;
    result = SendSequence(96, 1, 0, nullptr, nullptr);
    if (result != RC_OK) return result;
    lockReason = AnswerBuffer[0];
    result = SendSequence(94, 1, 0, nullptr, nullptr);
    if (result != RC_OK) return result;
    secondState = AnswerBuffer[0];
    return RC_OK;
}

int32_t ReadSettingsGroup(uint8_t group, SettingsValues &values) {
    int32_t result = Run({});
    if (result != RC_OK) return result;
    result = SendSequence(223, 1, 1, &group, nullptr);
    if (result != RC_OK) return result;
    uint8_t confirmation = 0;
    if (!Receive(confirmation)) return RC_RECEIVE_FAILED;
    if (confirmation == 108) return RC_OUT_OF_RANGE;
    if (confirmation != 0) return RC_BAD_ANSWER;
    uint8_t b[3];
    result = ReceiveBytes(b, 3);
    if (result != RC_OK) return result;
    values = {b[0], b[1], b[2]};
    return RC_OK;
}

int32_t WriteSettingsGroup(uint8_t group, const SettingsValues &values) {
    int32_t result = Run({});
    if (result != RC_OK) return result;
    const uint8_t params[4] = {group, values[0], values[1], values[2]};
    result = SendSequence(222, 1, 4, params, nullptr);
    if (result != RC_OK) return result;
    uint8_t confirmation = 0;
    if (!Receive(confirmation)) return RC_RECEIVE_FAILED;
    if (confirmation == 108) return RC_OUT_OF_RANGE;
    return confirmation == 0 ? RC_OK : RC_BAD_ANSWER;
}

int32_t WriteDisplayData() {
    int32_t result = Run({.refuseOpenReceipt = true, .deviceTypes = {7, 8}});
    if (result != RC_OK) return result;
    const DisplayRows &rows = Host().DisplayBuffer();
    for (int row = 0; row < kDisplayRows; ++row) {
        uint8_t params[1 + kDisplayRowBytes];
        params[0] = static_cast<uint8_t>(row);
        std::copy(rows[row], rows[row] + kDisplayRowBytes, params + 1);
        result = SendSequence(45, 1, sizeof params, params, nullptr);
        if (result == RC_OK) result = TransferConfirmation();
        if (result != RC_OK) return result; // the rows before stay in the printer
    }
    return RC_OK;
}

int32_t ReadDisplayData() {
    int32_t result = Run({.refuseOpenReceipt = true, .deviceTypes = {7, 8}});
    if (result != RC_OK) return result;
    DisplayRows &rows = Host().DisplayReadBuffer();
    for (int row = 0; row < kDisplayRows; ++row) {
        const uint8_t number = static_cast<uint8_t>(row);
        result = SendSequence(47, 1, 1, &number, nullptr);
        if (result != RC_OK) return result;
        uint8_t confirmation = 0, state = 0;
        if (!Receive(confirmation)) return RC_RECEIVE_FAILED;
        if (confirmation != 0) return RC_PARAMETER_N;
        if (!Receive(state)) return RC_RECEIVE_FAILED;
        if (!Bit(state, 0)) return RC_NO_DISPLAY_DATA;
        uint8_t bytes[24];
        result = ReceiveBytes(bytes, 24);
        if (result != RC_OK) return result;
        std::copy(bytes, bytes + 24, rows[row] + 1);
    }
    return RC_OK;
}

int32_t EraseDisplayData() {
    int32_t result = Run({.refuseOpenReceipt = true, .deviceTypes = {7, 8}});
    if (result != RC_OK) return result;
    return EraseAnswer(57);
}

int32_t WriteAdvertLines(uint8_t line, const std::string &text) {
    int32_t result = Run({.memory = MemoryCheck::Full});
    if (result != RC_OK) return result;
    bool cp1250 = false;
    result = AdvertsInCp1250(cp1250);
    if (result != RC_OK) return result;
    const std::string fitted = Fit(text, kAdvertLineLength);
    uint8_t params[2 + kAdvertLineLength];
    params[0] = line;
    uint8_t check = 0;
    for (int i = 0; i < kAdvertLineLength; ++i) {
        const auto c = static_cast<uint8_t>(fitted[i]);
        params[1 + i] = cp1250 ? c : WinToPrinterChar(c);
        check ^= params[1 + i];
    }
    params[1 + kAdvertLineLength] = check;
    result = SendSequence(46, 1, sizeof params, params, nullptr);
    if (result != RC_OK) return result;
    return TransferConfirmation();
}

int32_t ReadAdvertLines(uint8_t line, std::string &text, uint8_t &attribute) {
    int32_t result = Run({.memory = MemoryCheck::Full});
    if (result != RC_OK) return result;
    bool cp1250 = false;
    result = AdvertsInCp1250(cp1250);
    if (result != RC_OK) return result;
    result = SendSequence(56, 1, 1, &line, nullptr);
    if (result != RC_OK) return result;
    uint8_t b[2 + kAdvertLineLength];
    result = ReceiveBytes(b, sizeof b);
    if (result != RC_OK) return result;
    attribute = b[1];
    text.clear();
    for (int i = 0; i < kAdvertLineLength; ++i)
        text += static_cast<char>(cp1250 ? b[2 + i] : PrinterToWinChar(b[2 + i]));
    return RC_OK;
}

int32_t EraseAdvertLines() {
    int32_t result = Run({});
    if (result != RC_OK) return result;
    return EraseAnswer(58);
}

int32_t ReadUserData(int lineCount, UserDataLines &lines, uint8_t &flags) {
    int32_t result = Run({.progress = "Odczyt danych użytkownika...", .memory = MemoryCheck::CmosOnly});
    if (result != RC_OK) return result;
    uint8_t s1 = 0;
    result = ReadPlainStatus(kStatus1, s1);
    if (result != RC_OK) return result;
    if (!Bit(s1, 1)) return RC_NO_USER_DATA;
    uint8_t type = 0;
    result = CheckDeviceType({2, 3, 6, 7, 8}, &type);
    if (result != RC_OK) return result;
    if (lineCount < 1 || lineCount > kUserDataLines) return RC_OUT_OF_RANGE;
    const uint8_t command = (type == 6 || type == 8) ? 158 : 157;
    flags = 0;
    for (int i = 1; i <= lineCount; ++i) {
        const uint8_t number = static_cast<uint8_t>(i);
        result = SendSequence(command, 1, 1, &number, nullptr);
        if (result != RC_OK) return result;
        uint8_t b[42];
        result = ReceiveBytes(b, sizeof b);
        if (result != RC_OK) return result;
        const uint8_t attribute = b[1];
        const int length = Bit(attribute, 0) ? 20 : 40;
        if (Bit(attribute, 1)) flags = static_cast<uint8_t>(flags | (1u << (i - 1)));
        std::string line;
        for (int k = 0; k < length; ++k)
            line += static_cast<char>(PrinterToWinChar(b[2 + k]));
        lines[i - 1] = line;
    }
    return RC_OK;
}

int32_t WriteUserData(uint8_t line, uint8_t attribute, const std::string &text) {
    int32_t result = Run({.memory = MemoryCheck::Full});
    if (result != RC_OK) return result;
    const size_t length = Bit(attribute, 0) ? 20 : 40;
    const std::string fitted = WinToPrinterText(Fit(text, length));
    uint8_t params[2 + 40];
    params[0] = line;
    params[1] = attribute;
    std::copy(fitted.begin(), fitted.end(), params + 2);
    result = SendSequence(156, 1, static_cast<uint8_t>(2 + length), params, nullptr);
    if (result != RC_OK) return result;
    uint8_t confirmation = 0;
    if (!Receive(confirmation)) return RC_RECEIVE_FAILED;
    return confirmation == 0 ? RC_OK : RC_USER_DATA_NOT_STORED;
}

int32_t PrintUserDataCheck(int lineCount, const UserDataLines &lines) {
    int32_t result = Run({.progress = "Wydruk kontrolny danych użytkownika..."});
    if (result != RC_OK) return result;
    result = PrintMonitor(1, DeviceType);
    if (result != RC_OK) return result;
    result = CheckMemory(MemoryCheck::Full);
    if (result != RC_OK) return result;
    if (lineCount == 4) {
        // Each line: its attribute (1: a 20-character line, 0: a 40-character
        // line) and its characters; a line of another length goes as the
        // width it fits, padded with blanks (or cut to 40).
        uint8_t params[4 * (1 + 40)];
        size_t n = 0;
        for (int i = 0; i < 4; ++i) {
            const std::string text = CallerText(lines[i]);
            const size_t width = text.size() <= 20 ? 20 : 40;
            params[n++] = width == 20 ? 1 : 0;
            const std::string fitted = WinToPrinterText(Fit(text, width));
            std::copy(fitted.begin(), fitted.end(), params + n);
            n += width;
        }
        result = SendSequence(51, 1, static_cast<uint8_t>(n), params, nullptr);
    } else {
        result = SendSequence(241, 1, 0, nullptr, nullptr);
    }
    if (result != RC_OK) return result;
    return PrintMonitor(0, DeviceType);
}

int32_t NamesBasePrintBegin() {
    int32_t result = Run({.progress = "Wydruk kontrolny z bazy nazw i stawek...", .refuseOpenReceipt = true});
    if (result != RC_OK) return result;
    result = SendSequence(81, 0, 0, nullptr, nullptr);
    if (result != RC_OK) return result;
    return PrintMonitor(0, DeviceType);
}

int32_t NamesBasePrintItem(const std::string &name, uint8_t rateCode) {
    int32_t result = Run({.progress = "Wydruk kontrolny z bazy nazw i stawek...", .refuseOpenReceipt = true});
    if (result != RC_OK) return result;
    std::string padded;
    result = PrepareArticleName(padded, name);
    if (result != RC_OK) return result;
    // The item goes as bare bytes, without a command: the rate code and the
    // 28 characters of the name.
    auto send = [](uint8_t byte) {
        if (!SendByte(byte) || TransferFailed) return false;
        TraceByte(TraceDirection::Sent, byte);
        return true;
    };
    if (!send(rateCode)) return RC_SEND_FAILED;
    for (char c : padded)
        if (!send(static_cast<uint8_t>(c))) return RC_SEND_FAILED;
    return RC_OK;
}

int32_t NamesBasePrintEnd() {
    int32_t result = Run({.progress = "Wydruk kontrolny z bazy nazw i stawek...", .refuseOpenReceipt = true});
    if (result != RC_OK) return result;
    return SendSequence(63, 1, 0, nullptr, nullptr);
}

} // namespace work

int32_t WritePrinterNumber(const std::string &cashRegisterNumber, const std::string &operatorCode) {
    return Shielded([&] { return work::WritePrinterNumber(cashRegisterNumber, operatorCode); });
}
int32_t WriteFeedLines(uint8_t lines) {
    return Shielded([&] { return work::WriteFeedLines(lines); });
}
int32_t ReadFeedLines(int32_t &lines) {
    return Shielded([&] { return work::ReadFeedLines(lines); });
}
int32_t WriteRounding(uint8_t mode) {
    return Shielded([&] { return work::WriteRounding(mode); });
}
int32_t ReadRounding(int32_t &mode) {
    return Shielded([&] { return work::ReadRounding(mode); });
}
int32_t FixedDescriptionsReport() {
    return Shielded([&] { return work::FixedDescriptionsReport(); });
}
int32_t DisplayTest(uint8_t pattern) {
    return Shielded([&] { return work::DisplayTest(pattern); });
}
int32_t ClearPriceBuffer() {
    return Shielded([&] { return work::ClearPriceBuffer(); });
}
int32_t EpromTest() {
    return Shielded([&] { return work::EpromTest(); });
}
int32_t IsFiscalMode(int32_t &fiscal) {
    return Shielded([&] { return work::IsFiscalMode(fiscal); });
}
int32_t PowerOff() {
    return Shielded([&] { return work::PowerOff(); });
}
int32_t ShiftClock(uint8_t direction, uint8_t minutes) {
    return Shielded([&] { return work::ShiftClock(direction, minutes); });
}
int32_t InitClock(uint8_t year, uint8_t month, uint8_t day, uint8_t hour, uint8_t minute, uint8_t second) {
    return Shielded([&] { return work::InitClock(year, month, day, hour, minute, second); });
}
int32_t ReadServiceDate(uint8_t which, uint8_t &year, uint8_t &month, uint8_t &day) {
    return Shielded([&] { return work::ReadServiceDate(which, year, month, day); });
}
int32_t WriteServiceDate(uint8_t which, uint8_t year, uint8_t month, uint8_t day) {
    return Shielded([&] { return work::WriteServiceDate(which, year, month, day); });
}
int32_t ReadLockReasons(uint8_t &secondState, uint8_t &lockReason) {
    return Shielded([&] { return work::ReadLockReasons(secondState, lockReason); });
}
int32_t ReadSettingsGroup(uint8_t group, SettingsValues &values) {
    return Shielded([&] { return work::ReadSettingsGroup(group, values); });
}
int32_t WriteSettingsGroup(uint8_t group, const SettingsValues &values) {
    return Shielded([&] { return work::WriteSettingsGroup(group, values); });
}
int32_t WriteDisplayData() {
    return Shielded([&] { return work::WriteDisplayData(); });
}
int32_t ReadDisplayData() {
    return Shielded([&] { return work::ReadDisplayData(); });
}
int32_t EraseDisplayData() {
    return Shielded([&] { return work::EraseDisplayData(); });
}
int32_t WriteAdvertLines(uint8_t line, const std::string &text) {
    return Shielded([&] { return work::WriteAdvertLines(line, text); });
}
int32_t ReadAdvertLines(uint8_t line, std::string &text, uint8_t &attribute) {
    return Shielded([&] { return work::ReadAdvertLines(line, text, attribute); });
}
int32_t EraseAdvertLines() {
    return Shielded([&] { return work::EraseAdvertLines(); });
}
int32_t ReadUserData(int lineCount, UserDataLines &lines, uint8_t &flags) {
    return Shielded([&] { return work::ReadUserData(lineCount, lines, flags); });
}
int32_t WriteUserData(uint8_t line, uint8_t attribute, const std::string &text) {
    return Shielded([&] { return work::WriteUserData(line, attribute, text); });
}
int32_t PrintUserDataCheck(int lineCount, const UserDataLines &lines) {
    return Shielded([&] { return work::PrintUserDataCheck(lineCount, lines); });
}
int32_t NamesBasePrintBegin() {
    return Shielded([&] { return work::NamesBasePrintBegin(); });
}
int32_t NamesBasePrintItem(const std::string &name, uint8_t rateCode) {
    return Shielded([&] { return work::NamesBasePrintItem(name, rateCode); });
}
int32_t NamesBasePrintEnd() {
    return Shielded([&] { return work::NamesBasePrintEnd(); });
}

} // namespace darvo
