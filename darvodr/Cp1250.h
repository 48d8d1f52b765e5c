// Windows-1250 <-> UTF-8. The driver's texts travel as Windows-1250 bytes
// (its interface and the printer's own code page conversions work on them);
// the sources are UTF-8 and are converted here, in one place.
#pragma once

#include <string>
#include <string_view>

namespace darvo {

// Characters with no Windows-1250 form become '?'.
std::string Utf8ToCp1250(std::string_view utf8);
// Undefined bytes (0x81, 0x83, 0x88, 0x90, 0x98) become U+FFFD.
std::string Cp1250ToUtf8(std::string_view cp1250);

} // namespace darvo
