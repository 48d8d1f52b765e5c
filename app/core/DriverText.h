// The one place where the driver's Windows-1250 texts meet the program's
// Unicode texts.
#pragma once

#include <QString>
#include <cstdint>
#include <string>

QString FromDriver(const std::string &cp1250);
std::string ToDriver(const QString &text);

// The driver's message for a result code (ErrMessage), in Unicode.
QString ErrorMessageText(int32_t code);
