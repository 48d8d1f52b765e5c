#include "core/DriverText.h"

#include "darvodr.h"
#include "darvodr/Cp1250.h"

QString FromDriver(const std::string &cp1250) {
    return QString::fromStdString(darvo::Cp1250ToUtf8(cp1250));
}

std::string ToDriver(const QString &text) {
    return darvo::Utf8ToCp1250(text.toStdString());
}

QString ErrorMessageText(int32_t code) {
    std::string text;
    if (ErrMessage(code, text) != 0) text.clear();
    return FromDriver(text);
}
