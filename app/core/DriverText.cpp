#include "core/DriverText.h"

#include "ops/Connection.h"
#include "ops/Text.h"

QString FromDriver(const std::string &cp1250) {
    return QString::fromStdString(darvo::ops::FromCp1250(cp1250));
}

std::string ToDriver(const QString &text) {
    return darvo::ops::ToCp1250(text.toStdString());
}

QString ErrorMessageText(int32_t code) {
    return QString::fromStdString(darvo::ops::ErrorText(code));
}
