// The printer's texts are Windows-1250 bytes, as the driver takes and gives
// them; the programs on top speak UTF-8.
#pragma once

#include <string>

namespace darvo::ops {

std::string FromCp1250(const std::string &cp1250);
// A character Windows-1250 has no place for becomes '?'.
std::string ToCp1250(const std::string &utf8);
// A text as the printer sends it (its own character set) in UTF-8.
std::string FromPrinterText(const std::string &raw);

} // namespace darvo::ops
