#include "core/DriverText.h"

#include "darvodr.h"
#include "darvodr/Cp1250.h"
#include "serial/PortError.h"
#include "serial/PortMap.h"

QString FromDriver(const std::string &cp1250) {
    return QString::fromStdString(darvo::Cp1250ToUtf8(cp1250));
}

std::string ToDriver(const QString &text) {
    return darvo::Utf8ToCp1250(text.toStdString());
}

QString ErrorMessageText(int32_t code) {
    // A damaged port map opens no port; the port layer's text names the
    // file and its bad line, which the driver's table has no words for.
    if (code == static_cast<int32_t>(darvo::ERR_BAD_CONFIGURATION)) {
        if (const std::string said = darvo::LastPortErrorText(); !said.empty())
            return QString::fromStdString(said);
    }
    std::string text;
    if (ErrMessage(code, text) != 0) text.clear();
    return FromDriver(text);
}
