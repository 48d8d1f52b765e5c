// The one place where the driver's Windows-1250 texts meet the program's
// Unicode texts.
#pragma once

#include <QString>
#include <cstdint>
#include <string>

QString FromDriver(const std::string &cp1250);
std::string ToDriver(const QString &text);

// The driver's message for a result code (ErrMessage), in Unicode; for a
// port refused because the port map is damaged, the port layer's own text.
QString ErrorMessageText(int32_t code);
