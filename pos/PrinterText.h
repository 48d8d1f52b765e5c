// Texts for the printer, in UTF-8 on this side: the printer prints the
// printable ASCII characters and the 18 Polish letters, nothing else. A
// character outside that set is an error, never a silent '?'.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace darvo::pos {

struct Unprintable {
    size_t position = 0;    // characters before it (0: the first character)
    char32_t codePoint = 0; // 0xFFFD for a byte that is not valid UTF-8
    std::string text;       // the character itself, UTF-8 (empty for invalid UTF-8)
};

// The first character of `utf8` the printer cannot print, if any.
std::optional<Unprintable> FirstUnprintable(std::string_view utf8);
// "'é' (U+00E9) at character 7", for messages.
std::string Describe(const Unprintable &u);

// The text in Unicode's composed form (NFC): a letter written as a base
// letter and a combining accent ("z" U+0307) becomes the one letter ("ż")
// the printer prints. Text that is not valid UTF-8 is returned as it is.
std::string Nfc(std::string_view utf8);

// Characters (code points) of a UTF-8 text.
size_t CharCount(std::string_view utf8);

// A printable UTF-8 text as the driver takes it (Windows-1250), and back.
std::string ToDriverText(std::string_view utf8);
std::string FromDriverText(std::string_view cp1250);

} // namespace darvo::pos
