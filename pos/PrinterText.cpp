#include "PrinterText.h"

#include "darvodr/Cp1250.h"
#include "darvodr/Receipt.h"

#include <utf8proc.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace darvo::pos {

namespace {

// Length of the UTF-8 sequence at `i` and its code point; 0 when invalid.
size_t Decode(std::string_view s, size_t i, char32_t &cp) {
    const auto byte = [&](size_t k) { return static_cast<uint8_t>(s[k]); };
    const uint8_t c = byte(i);
    size_t len = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
    if (len == 0 || i + len > s.size()) return 0;
    cp = len == 1 ? c : len == 2 ? c & 0x1F : len == 3 ? c & 0x0F : c & 0x07;
    for (size_t k = 1; k < len; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        cp = cp << 6 | (byte(i + k) & 0x3F);
    }
    const char32_t least[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < least[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return len;
}

// Printable ASCII, or one of the Polish letters the driver converts for the
// printer (every other byte would reach the printer unconverted and print
// as something else).
bool Printable(std::string_view character) {
    const std::string b = Utf8ToCp1250(character);
    if (b.size() != 1) return false;
    const uint8_t c = static_cast<uint8_t>(b[0]);
    if (character.size() == 1) return c >= 0x20 && c <= 0x7E;
    return WinToPrinterChar(c) != c;
}

} // namespace

std::optional<Unprintable> FirstUnprintable(std::string_view utf8) {
    size_t position = 0;
    for (size_t i = 0; i < utf8.size(); ++position) {
        char32_t cp = 0;
        const size_t len = Decode(utf8, i, cp);
        if (len == 0) return Unprintable{position, 0xFFFD, {}};
        const std::string_view character = utf8.substr(i, len);
        if (!Printable(character)) return Unprintable{position, cp, std::string(character)};
        i += len;
    }
    return std::nullopt;
}

std::string Describe(const Unprintable &u) {
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(u.codePoint));
    const std::string at = " at character " + std::to_string(u.position + 1);
    if (u.text.empty()) return "a byte that is not UTF-8" + at;
    // Control characters are named by their code alone.
    if (u.codePoint < 0x20 || u.codePoint == 0x7F) return std::string(code) + at;
    return "'" + u.text + "' (" + code + ")" + at;
}

size_t CharCount(std::string_view utf8) {
    size_t n = 0;
    for (unsigned char c : utf8)
        n += (c & 0xC0) != 0x80;
    return n;
}

std::string Nfc(std::string_view utf8) {
    utf8proc_uint8_t *composed = nullptr;
    const utf8proc_ssize_t n = utf8proc_map(
        reinterpret_cast<const utf8proc_uint8_t *>(utf8.data()), static_cast<utf8proc_ssize_t>(utf8.size()),
        &composed, static_cast<utf8proc_option_t>(UTF8PROC_STABLE | UTF8PROC_COMPOSE));
    if (n < 0 || !composed) return std::string(utf8);
    std::string out(reinterpret_cast<const char *>(composed), static_cast<size_t>(n));
    std::free(composed);
    return out;
}

std::string ToDriverText(std::string_view utf8) {
    return Utf8ToCp1250(utf8);
}

std::string FromDriverText(std::string_view cp1250) {
    return Cp1250ToUtf8(cp1250);
}

} // namespace darvo::pos
