// Session start, device identification and the driver's own identity.
#include "Session.h"

#include "Cp1250.h"
#include "Guard.h"
#include "Host.h"
#include "darvodr.h"

#include <cstring>

namespace darvo {

int32_t SessionPort = 0;
int32_t SessionBaudRate = 9600;
int32_t SessionTimeout = 5;
bool SessionReady = true;
uint8_t DeviceType = 9;
uint16_t PortWriteTimeout = 3;
uint16_t PortReadTimeout = 5;

namespace {

struct DeviceNames {
    const char *name;       // DeviceName
    const char *bufferName; // pDeviceName
};

// Indexed by device type.
const DeviceNames kDeviceNames[10] = {
    {"KT820A 5-stawkowa", "KT820A 5-stawkowa"},
    {"KT820A 7-stawkowa", "KT820A 7-stawkowa"},
    {"NIVRA I generacji", "NIVRA I generacji"},
    {"NIVRA II generacji", "NIVRA II generacji"},
    {"KT820B 5-st. (apteczna)", "KT820B 5-st. (apteczna)"},
    {"KT820B 7-st. (apteczna)", "KT820B 7-st. (apteczna)"},
    {"NIVRA F (apteczna)", "NIVRA F (apteczna)"},
    {"DARVO PEXA", "Nowa drukarka fiskalna"},
    {"DARVO PEXA F", "Nowa drukarka fiskalna (apteczna)"},
    {"INNE URZĄDZENIE", "INNE URZADZENIE"},
};
const char *const kUnknownDevice = "NIEZNANE";

const char *const kDllVersion = "10.00";
const char *const kDllAuthor = "Sterownik drukarek DARVO, wydanie dla Linuksa";

std::string NameOf(uint8_t type, bool forBuffer) {
    if (type > 9) return kUnknownDevice;
    return Utf8ToCp1250(forBuffer ? kDeviceNames[type].bufferName : kDeviceNames[type].name);
}

// Copies a text with its terminating zero into a caller's buffer.
void CopyOut(char *buffer, const std::string &text) {
    std::memcpy(buffer, text.c_str(), text.size() + 1);
}

// The name of the identified device, starting the session first if needed.
int32_t CurrentDeviceName(std::string &name, bool forBuffer) {
    name.clear();
    if (!SessionReady) {
        int32_t result = StartSession(SessionPort, true);
        if (result != RC_OK) return result;
    }
    name = NameOf(DeviceType, forBuffer);
    return RC_OK;
}

// Ends the session in progress: not ready, the per-receipt state emptied,
// the device unknown, the port closed (the result of the close).
int32_t LeaveSession() {
    SessionReady = false;
    ResetReceiptState();
    DeviceType = 9;
    return CloseSessionPort();
}

} // namespace

std::string DeviceNameOf(uint8_t deviceType) {
    return NameOf(deviceType, false);
}

void ShowActivity(const char *utf8) {
    ShowActivityMessage(Utf8ToCp1250(utf8));
}

int32_t StartSession(int32_t port, bool checkPrinter) {
    if (port == 0) return RC_NO_PORT;
    int32_t result = LeaveSession();
    if (result != RC_OK) return result;
    result = OpenSessionPort(static_cast<uint8_t>(port & 0xFF), static_cast<uint32_t>(SessionBaudRate),
                             static_cast<uint16_t>(SessionTimeout), static_cast<uint16_t>(SessionTimeout));
    if (result != RC_OK) return result;

    if (checkPrinter) {
        result = SendSequence(0x23, 1, 0, nullptr, nullptr);
        // A printer that refuses the ping is there all the same.
        if (result != RC_OK && result != RC_NAK) return result;
        if (result == RC_OK) {
            // A printout in progress ends first. The monitor restarts the
            // session without the check (the port is reopened once more),
            // which marks it ready; a failure here must not leave it so.
            result = PrintMonitor(0, DeviceType);
            if (result != RC_OK) {
                SessionReady = false;
                return result;
            }
        }
        int32_t version = 0;
        result = ReadDeviceType(DeviceType, version);
    } else {
        result = RC_OK;
    }
    SessionReady = result == RC_OK;
    return result;
}

int32_t EnsureSession(bool checkPrinter) {
    if (SessionReady) return RC_OK;
    return StartSession(SessionPort, checkPrinter);
}

int32_t ReadDeviceType(uint8_t &deviceType, int32_t &version) {
    ShowActivity("Odczyt typu urządzenia...");
    uint8_t answer[256] = {};
    int32_t result = SendSequence(0xFF, 2, 0, nullptr, answer);
    if (result != RC_OK) return result;
    const uint8_t b = answer[0];

    uint8_t type = 9;
    int32_t ver = 0;
    switch (b) {
    case 2: type = 0; break;
    case 17: type = 1; break;
    case 5: type = 4; break;
    case 44:
    case 18: {
        // The newer printers tell their family and version on 0xFE; the
        // older ones refuse it.
        result = SendSequence(0xFE, 4, 0, nullptr, answer);
        if (result == RC_NAK) {
            type = b == 44 ? 2 : 5;
        } else if (result != RC_OK) {
            return result;
        } else if (b == 44) {
            type = answer[0] == 0x7C ? 7 : 3;
            ver = answer[1];
        } else {
            type = answer[0] == 0x7D ? 8 : 6;
            ver = answer[1];
        }
        break;
    }
    default: break;
    }
    deviceType = type;
    version = ver;
    return RC_OK;
}

} // namespace darvo

using namespace darvo;

extern "C" int32_t CommunicationInit(uint8_t port, int32_t baudRate, int32_t timeoutS) {
    return Guarded("CommunicationInit", [&]() -> int32_t {
        // The time-out travels as 16-bit seconds; a value that does not fit
        // would silently become another one. The session this call was to
        // replace ends all the same, so that nothing later reaches the
        // printer the caller asked to leave: without a port, every operation
        // gets 114 until a call with sound arguments.
        if (timeoutS < 0 || timeoutS > 0xFFFF || baudRate <= 0) {
            LeaveSession();
            SessionPort = 0;
            return RC_OUT_OF_RANGE;
        }
        SessionTimeout = timeoutS;
        SessionBaudRate = baudRate;
        SessionPort = port;
        return StartSession(port, true);
    });
}

extern "C" int32_t CommunicationEnd(void) {
    return Guarded("CommunicationEnd", [&]() -> int32_t {
        DeviceType = 9;
        int32_t result = CloseSessionPort();
        if (result != RC_OK) return result;
        SessionReady = false;
        SessionPort = 0;
        return RC_OK;
    });
}

int32_t DeviceName(std::string &name) {
    return Guarded("DeviceName", [&]() -> int32_t { return CurrentDeviceName(name, false); });
}

extern "C" int32_t pDeviceName(char *buffer) {
    return Guarded("pDeviceName", [&]() -> int32_t {
        if (!buffer) return RC_NULL_BUFFER;
        // First the empty text, as every buffer variant does: a failed start
        // leaves no stale name behind.
        buffer[0] = '\0';
        std::string name;
        int32_t result = CurrentDeviceName(name, true);
        if (result == RC_OK) CopyOut(buffer, name);
        return result;
    });
}

int32_t DllVersion(std::string &text) {
    return Guarded("DllVersion", [&]() -> int32_t {
        text = kDllVersion;
        return RC_OK;
    });
}

extern "C" int32_t pDllVersion(char *buffer) {
    return Guarded("pDllVersion", [&]() -> int32_t {
        if (!buffer) return RC_NULL_BUFFER;
        CopyOut(buffer, kDllVersion);
        return RC_OK;
    });
}

int32_t DllAuthor(std::string &text) {
    return Guarded("DllAuthor", [&]() -> int32_t {
        text = kDllAuthor;
        return RC_OK;
    });
}

extern "C" int32_t pDllAuthor(char *buffer) {
    return Guarded("pDllAuthor", [&]() -> int32_t {
        if (!buffer) return RC_NULL_BUFFER;
        CopyOut(buffer, kDllAuthor);
        return RC_OK;
    });
}
