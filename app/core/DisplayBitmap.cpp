#include "core/DisplayBitmap.h"

#include <cstdint>

namespace {

constexpr int kWidth = 192;
constexpr int kHeight = 64;
constexpr int kRowBytes = 24; // 192 pixels, already a multiple of 4 bytes

// Little-endian fields; false when the file is too short for them.
bool Field(const QByteArray &f, qsizetype offset, int size, int64_t &value) {
    if (offset < 0 || offset + size > f.size()) return false;
    uint32_t v = 0;
    for (int i = size - 1; i >= 0; --i)
        v = (v << 8) | static_cast<uint8_t>(f[offset + i]);
    value = size == 4 ? static_cast<int32_t>(v) : static_cast<int64_t>(v);
    return true;
}

} // namespace

QString DisplayBitmapFormatError() {
    return QStringLiteral("NIEPRAWIDLOWY FORMAT PLIKU");
}

QString DecodeDisplayBitmap(const QByteArray &f, darvo::ops::DisplayRows &rows) {
    int64_t headerSize = 0, bits = 0, compression = 0, width = 0, height = 0, dataOffset = 0;
    if (f.size() < 2 || f[0] != 'B' || f[1] != 'M') return DisplayBitmapFormatError();
    if (!Field(f, 14, 4, headerSize) || headerSize != 40) return DisplayBitmapFormatError();
    if (!Field(f, 28, 2, bits)) return DisplayBitmapFormatError();
    if (bits != 1) return QStringLiteral("BITMAPA NIE JEST MONOCHROMATYCZNA");
    if (!Field(f, 30, 4, compression)) return DisplayBitmapFormatError();
    if (compression != 0) return QStringLiteral("NIEPRAWIDLOWY FORMAT PLIKU (BITMAPA JEST SKOMPRESOWANA)");
    if (!Field(f, 18, 4, width) || !Field(f, 22, 4, height)) return DisplayBitmapFormatError();
    if (width != kWidth || height != kHeight)
        return QStringLiteral("ROZMIAR BITMAPY RÓŻNY OD 192x64 (= %1x%2)").arg(width).arg(height);
    // A short or damaged file has no palette or not all of its rows.
    int64_t background = 0;
    if (!Field(f, 54, 1, background) || !Field(f, 10, 4, dataOffset) || dataOffset < 0 ||
        dataOffset + int64_t{kRowBytes} * kHeight > f.size())
        return DisplayBitmapFormatError();
    // Colour 0 white: a set bit is dark already; colour 0 dark: invert.
    const uint8_t invert = background == 255 ? 0x00 : 0xFF;
    const auto *pixels = reinterpret_cast<const uint8_t *>(f.constData()) + dataOffset;
    for (int stored = 0; stored < kHeight; ++stored) {
        uint8_t *row = rows[kHeight - 1 - stored]; // rows are stored bottom-up
        uint8_t x = 0;
        for (int i = 0; i < kRowBytes; ++i) {
            row[i] = static_cast<uint8_t>(pixels[stored * kRowBytes + i] ^ invert);
            x ^= row[i];
        }
        row[kRowBytes] = x;
    }
    return QString();
}
