// The printer's commands by number: their names, whether they only read,
// and what their parameters and answers say, for `check` and `trace`.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace darvo::cli {

using Bytes = std::vector<uint8_t>;

// "receipt line", "status byte 3", ...; "command N" for one not known here.
std::string CommandName(uint8_t command);

// The parameters a command sent (after ESC and the command byte), in words;
// empty when there is nothing to say.
std::string DescribeParameters(uint8_t command, const Bytes &parameters);
// The printer's answer (its first byte included), in words.
std::string DescribeAnswer(uint8_t command, const Bytes &answer);

std::string Hex(const Bytes &bytes);

// A command `check` may send: it changes nothing on the printer.
struct ReadOnlyCommand {
    uint8_t command;
    uint8_t answerLength; // with the acknowledgement
    bool (*applies)(int deviceType, int version);
};
// The allow-list, in the order `check` asks.
const std::vector<ReadOnlyCommand> &ReadOnlyCommands();
bool IsReadOnly(uint8_t command);

} // namespace darvo::cli
