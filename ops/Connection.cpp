#include "Connection.h"
#include "Codes.h"

#include "darvodr/Core.h"
#include "darvodr/Cp1250.h"
#include "darvodr/Reports.h"
#include "darvodr/Service.h"
#include "darvodr/Session.h"
#include "darvodr/Shielded.h"
#include "darvodr/darvodr.h"
#include "serial/PortError.h"
#include "serial/PortMap.h"

namespace darvo::ops {

std::vector<unsigned> OpenablePorts() {
    std::vector<unsigned> ports;
    for (unsigned n = 1; n <= 255; ++n)
        if (ProbePort(n)) ports.push_back(n);
    return ports;
}

bool PortOpen() {
    return ThePort && ThePort->IsOpen();
}

void PurgePort() {
    darvo::PurgePort();
}

void ReleasePort() {
    darvo::PurgePort();
    CloseSessionPort();
}

int32_t OpenPort(const PortChoice &choice) {
    return ::OpenPort(choice.port, choice.speed, PortWriteTimeout, PortReadTimeout);
}

int32_t ReopenPort(const PortChoice &choice) {
    CloseSessionPort();
    if (choice.port == 0) return kNoPort;
    return OpenPort(choice);
}

int32_t ReopenForPeriodReport(const PortChoice &choice) {
    ReleasePort();
    if (choice.port == 0) return kNoPort;
    return OpenSessionPort(choice.port, choice.speed, PortWriteTimeout, kPeriodReportReadTimeout);
}

void UsualTimeouts() {
    SetPortTimeouts(PortWriteTimeout, PortReadTimeout);
}

void LongReadTimeout(uint16_t seconds) {
    SetPortTimeouts(PortWriteTimeout, seconds);
}

void PeriodReportTimeout() {
    LongReadTimeout(kPeriodReportReadTimeout);
}

int32_t Identify(uint8_t &type) {
    int32_t version = 0;
    const int32_t code = Shielded([&] { return darvo::ReadDeviceType(DeviceType, version); });
    type = DeviceType;
    return code;
}

int32_t ReadDeviceType(uint8_t &type) {
    int32_t version = 0;
    return ReadDeviceType(type, version);
}

int32_t ReadDeviceType(uint8_t &type, int32_t &version) {
    return Shielded([&] { return darvo::ReadDeviceType(type, version); });
}

std::string ModelName(uint8_t type) {
    std::string name;
    Shielded([&] {
        name = DeviceNameOf(type);
        return 0;
    });
    return Cp1250ToUtf8(name);
}

int32_t Question(uint8_t command, uint8_t answerLength, std::vector<uint8_t> &answer) {
    answer.clear();
    return Shielded([&]() -> int32_t {
        const int32_t rc = SendSequence(command, answerLength, 0, nullptr, nullptr);
        // The answer buffer holds the data bytes; an accepted command's
        // acknowledgement went before them.
        if (rc == 0 && !IsNoAckCommand(command)) answer.push_back(ACK);
        answer.insert(answer.end(), AnswerBuffer, AnswerBuffer + AnswerCount);
        return rc;
    });
}

uint8_t IdentifiedType() {
    return DeviceType;
}

int32_t ReadLockReasons(uint8_t &reasons) {
    uint8_t secondState = 0;
    return darvo::ReadLockReasons(secondState, reasons);
}

std::string ErrorText(int32_t code) {
    if (code == static_cast<int32_t>(darvo::ERR_BAD_CONFIGURATION)) {
        if (std::string said = LastPortErrorText(); !said.empty()) return said;
    }
    std::string text;
    if (ErrMessage(code, text) != 0) text.clear();
    return Cp1250ToUtf8(text);
}

} // namespace darvo::ops
