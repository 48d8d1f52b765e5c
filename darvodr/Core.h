// Protocol core: the port session and the command exchange with the printer.
// Driver-internal; the user program and the tests use it as well.
#pragma once

#include "serial/Comm.h"
#include "serial/PortError.h"
#include "ResultCodes.h"

#include <cstdint>
#include <memory>

namespace darvo {

constexpr uint8_t ESC = 0x1B;
constexpr uint8_t ACK = 0x06;
constexpr uint8_t NAK = 0x15;

// The commands that read one status byte each (answered without an
// acknowledgement), and the receipt counter since the daily report (the
// PEXA printers' own command for it beside the common one).
constexpr uint8_t kStatus1 = 155, kStatus2 = 148, kStatus3 = 149, kStatus4 = 150;
constexpr uint8_t kReceiptCounter = 102, kReceiptCounterPexa = 247;

extern std::unique_ptr<TComm> ThePort;
extern bool PortCreated;
extern uint8_t SendBuffer[256];
extern uint8_t AnswerBuffer[256];
extern uint8_t SequenceResult;
// How many bytes the last exchange stored into AnswerBuffer.
extern int AnswerCount;

// Length of the records of a record-structured answer; 0 for none.
int RecordLength(uint8_t command);
// Commands whose first answer byte is data, not an acknowledgement.
bool IsNoAckCommand(uint8_t command);

void ExchangeCommand(uint8_t command, uint8_t answerLength, uint8_t sendLength, uint8_t answerAfterLength);
// Sends `sendLength` bytes of sendData (may be null when sendLength is 0) and
// copies the answer into `answer` (may be null when answerLength is 0).
uint8_t SendSequence(uint8_t command, uint8_t answerLength, uint8_t sendLength, const uint8_t *sendData,
                     uint8_t *answer);

int32_t OpenSessionPort(uint8_t port, uint32_t baudRate, uint16_t writeTimeoutS, uint16_t readTimeoutS);
int32_t CloseSessionPort();
int32_t PurgePort();
bool SetPortTimeouts(uint16_t writeSeconds, uint16_t readSeconds);

} // namespace darvo
