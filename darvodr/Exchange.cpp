// The port session and the command exchange: ESC, command byte, the
// printer's answer (ACK and data, or a refusal), the parameters, and the
// bytes the printer sends after them.
#include "Core.h"
#include "Guard.h"
#include "Host.h"
#include "darvodr.h"

#include <cstring>

namespace darvo {

std::unique_ptr<TComm> ThePort;
bool PortCreated = false;
uint8_t SendBuffer[256];
uint8_t AnswerBuffer[256];
uint8_t SequenceResult = 0;
int AnswerCount = 0;

int RecordLength(uint8_t command) {
    switch (command) {
    case 0xA2:
    case 0xA3:
    case 0xA5: return 11;
    case 0xAD:
    case 0xAE: return 16;
    case 0xE7: return 4;
    case 0xE9:
    case 0xEE: return 20;
    case 0xEA: return 8;
    default: return 0;
    }
}

bool IsNoAckCommand(uint8_t command) {
    switch (command) {
    case 0x5E:
    case 0x60:
    case 0x90:
    case 0x94:
    case 0x95:
    case 0x96:
    case 0x9B:
    case 0x9F: return true;
    default: return false;
    }
}

namespace {

bool Send(uint8_t byte) {
    bool ok = SendByte(byte);
    if (ok) TraceByte(TraceDirection::Sent, byte);
    return ok;
}

bool Receive(uint8_t &byte) {
    bool ok = ReceiveByte(byte);
    if (ok) TraceByte(TraceDirection::Received, byte);
    return ok;
}

void Store(int index, uint8_t byte) {
    AnswerBuffer[index] = byte;
    if (index + 1 > AnswerCount) AnswerCount = index + 1;
}

// Receives answer bytes number 2..length (number 1 is already in
// AnswerBuffer[0]); byte n goes to AnswerBuffer[n - 2]. A record-structured
// answer ends early at a 0xFF on the first byte of a record.
bool ReceiveRest(int length, int recordLength) {
    for (int n = 2; n <= length; ++n) {
        uint8_t byte;
        if (!Receive(byte)) return false;
        Store(n - 2, byte);
        if (n == length) break;
        if (recordLength > 0 && byte == 0xFF && (n - 1) % recordLength == 1) break;
    }
    return true;
}

} // namespace

void ExchangeCommand(uint8_t command, uint8_t answerLength, uint8_t sendLength, uint8_t answerAfterLength) {
    SequenceResult = RC_OK;
    AnswerCount = 0;
    const int recordLength = RecordLength(command);
    const bool noAck = IsNoAckCommand(command);
    TraceCommandStart(command);
    PurgePort();

    // A line error reported since the last exchange fails this one before
    // anything goes out: an escape byte sent alone would make the printer
    // take the next command's escape byte for its command byte (27, the
    // discount) and that command's byte for a parameter.
    TComm *port = CurrentPort();
    if (port) port->ProcessCommEvents();
    if (port && port->lineErrors != 0 && LastPortErrorCode() != 0) {
        SequenceResult = RC_SEND_FAILED;
        return;
    }
    // A byte that was not sent fails the exchange even when the port layer
    // recorded no error for it (a closed port, for one).
    for (uint8_t byte : {ESC, command}) {
        bool sent = Send(byte);
        if (!sent || TransferFailed || LastPortErrorCode() != 0) {
            SequenceResult = RC_SEND_FAILED;
            return;
        }
    }

    if (answerLength > 0) {
        uint8_t first;
        if (!Receive(first)) {
            SequenceResult = RC_RECEIVE_FAILED;
            return;
        }
        Store(0, first);
        if (first == ACK) {
            if (answerLength >= 2 && !ReceiveRest(answerLength, recordLength)) {
                SequenceResult = RC_RECEIVE_FAILED;
                return;
            }
        } else {
            // A refusal: the parameters are never sent.
            if (noAck) return;
            switch (first) {
            case 0x01: SequenceResult = RC_SERVICE_JUMPER; break;
            case NAK: SequenceResult = RC_NAK; break;
            case 0x65: SequenceResult = RC_RECEIPT_NOT_BEGUN; break;
            case 0xC8: SequenceResult = RC_REFUSED_C8; break;
            default: SequenceResult = RC_BAD_ANSWER; break;
            }
            return;
        }
    }

    for (int i = 0; i < sendLength; ++i) {
        if (!Send(SendBuffer[i]) || TransferFailed) {
            SequenceResult = RC_SEND_FAILED;
            return;
        }
    }

    if (answerAfterLength > 0) {
        uint8_t first;
        if (!Receive(first)) {
            SequenceResult = RC_RECEIVE_FAILED;
            return;
        }
        Store(0, first); // its value is the caller's to judge
        if (answerAfterLength >= 2 && !ReceiveRest(answerAfterLength, recordLength)) {
            SequenceResult = RC_RECEIVE_FAILED;
            return;
        }
    }
}

uint8_t SendSequence(uint8_t command, uint8_t answerLength, uint8_t sendLength, const uint8_t *sendData,
                     uint8_t *answer) {
    if (sendLength > 0 && sendData) std::memcpy(SendBuffer, sendData, sendLength);
    ExchangeCommand(command, answerLength, sendLength, 0);
    if (answerLength > 0 && answer) std::memcpy(answer, AnswerBuffer, sizeof AnswerBuffer);
    return SequenceResult;
}

int32_t OpenSessionPort(uint8_t port, uint32_t baudRate, uint16_t writeTimeoutS, uint16_t readTimeoutS) {
    // Inside a wait for a byte the port object is in use by that transfer:
    // it is not replaced under it, even when someone has closed it.
    if (PortCreated && ThePort && (ThePort->IsOpen() || InsideByteWait())) {
        // The text is recorded, but the latched code is left alone: a refused
        // second open must not make every exchange on the open port fail.
        ReportPortError("Ten port jest już zainicjowany", LastPortErrorCode());
        return ERR_ACCESS_DENIED;
    }
    ThePort = std::make_unique<TComm>(); // the previous object, closed, is freed here
    // ConfigurePort
    ThePort->baudRate = baudRate;
    ThePort->portName = "Com" + std::to_string(port);
    ThePort->writeTimeout = writeTimeoutS;
    ThePort->readTimeout = readTimeoutS;
    uint32_t result = ThePort->Connect();
    PortCreated = true;
    return static_cast<int32_t>(result);
}

int32_t CloseSessionPort() {
    if (!ThePort) return 0;
    return static_cast<int32_t>(ThePort->Disconnect());
}

int32_t PurgePort() {
    if (!ThePort) return 0;
    uint32_t result = ThePort->PurgeOutput();
    if (result == 0) result = ThePort->PurgeInput();
    return static_cast<int32_t>(result);
}

bool SetPortTimeouts(uint16_t writeSeconds, uint16_t readSeconds) {
    if (!ThePort) return false;
    return ThePort->ApplyTimeouts(writeSeconds, readSeconds) == 0;
}

} // namespace darvo

using namespace darvo;

extern "C" int32_t OpenPort(uint8_t port, uint32_t baudRate, uint16_t writeTimeoutS, uint16_t readTimeoutS) {
    return Guarded("OpenPort", [&] { return OpenSessionPort(port, baudRate, writeTimeoutS, readTimeoutS); });
}

extern "C" int32_t ClosePort(void) {
    // Closing the port is how a program gives up on a printer that says
    // nothing: a transfer that another thread's call is waiting on ends at
    // once (that call returns 20 or 21), and the port is closed in its turn,
    // after that call. Only the event that releases transfers is touched
    // here; the port itself is closed under the driver lock.
    StopEvent.Set();
    return Guarded("ClosePort", [&] { return CloseSessionPort(); });
}

extern "C" int32_t RSSequence(uint8_t command, int32_t answerLength, int32_t sendLength, uint8_t *answer,
                              const uint8_t *sendData) {
    return Guarded("RSSequence", [&]() -> int32_t {
        // Negative lengths would send 255 stale bytes to a fiscal printer.
        if (answerLength < 0 || sendLength < 0) return RC_OUT_OF_RANGE;
        const uint8_t sendCount = static_cast<uint8_t>(sendLength & 0xFF);
        const uint8_t answerCount = static_cast<uint8_t>(answerLength & 0xFF);
        if ((sendCount > 0 && !sendData) || (answerLength > 0 && !answer)) return RC_NULL_BUFFER;
        if (sendCount > 0) std::memcpy(SendBuffer, sendData, sendCount);
        ExchangeCommand(command, answerCount, sendCount, 0);
        if (answerLength > 0 && AnswerCount > 0) std::memcpy(answer, AnswerBuffer, AnswerCount);
        return SequenceResult;
    });
}
