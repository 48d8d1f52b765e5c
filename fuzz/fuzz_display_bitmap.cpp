// The display picture decoder: any bytes as the bitmap file. A refused
// file leaves the rows as they were; a taken one gives rows whose last
// byte is the XOR of the others.
#include "core/DisplayBitmap.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray file(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    darvo::DisplayRows rows, before;
    std::memset(rows, 0xA5, sizeof rows);
    std::memcpy(before, rows, sizeof rows);
    const QString message = DecodeDisplayBitmap(file, rows);
    if (!message.isEmpty()) {
        if (std::memcmp(rows, before, sizeof rows) != 0) {
            std::fprintf(stderr, "a refused bitmap changed the rows\n");
            std::abort();
        }
        return 0;
    }
    for (const auto &row : rows) {
        uint8_t x = 0;
        for (int i = 0; i < darvo::kDisplayRowBytes - 1; ++i)
            x ^= row[i];
        if (x != row[darvo::kDisplayRowBytes - 1]) {
            std::fprintf(stderr, "a row with a wrong XOR byte\n");
            std::abort();
        }
    }
    return 0;
}
