#include "Display.h"

#include "darvodr/Service.h"

#include <cstring>

namespace darvo::ops {

static_assert(kAdvertLineLength == darvo::kAdvertLineLength);

void KeepDisplayPicture(const DisplayRows &rows) {
    std::memcpy(Host().DisplayBuffer(), rows, sizeof rows);
}

int32_t WriteDisplayPicture() {
    return WriteDisplayData();
}

int32_t ReadDisplayPicture(DisplayRows &rows) {
    const int32_t code = ReadDisplayData();
    if (code == 0) std::memcpy(rows, Host().DisplayReadBuffer(), sizeof rows);
    return code;
}

int32_t EraseDisplayPicture() {
    return EraseDisplayData();
}

int32_t WriteAdvertLine(uint8_t line, const std::string &cp1250) {
    return WriteAdvertLines(line, cp1250);
}

int32_t ReadAdvertLine(uint8_t line, std::string &cp1250, uint8_t &attribute) {
    return ReadAdvertLines(line, cp1250, attribute);
}

int32_t EraseAdvertLines() {
    return darvo::EraseAdvertLines();
}

} // namespace darvo::ops
