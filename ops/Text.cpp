#include "Text.h"

#include "darvodr/Cp1250.h"
#include "darvodr/Receipt.h"

namespace darvo::ops {

std::string FromCp1250(const std::string &cp1250) {
    return Cp1250ToUtf8(cp1250);
}

std::string ToCp1250(const std::string &utf8) {
    return Utf8ToCp1250(utf8);
}

std::string FromPrinterText(const std::string &raw) {
    return Cp1250ToUtf8(PrinterToWinText(raw));
}

} // namespace darvo::ops
