// Dates and times as the command line and the service take them: digits
// exactly where the form has them, a day the month has, a time of the day,
// years 2000 to 2099 (the printers keep two digits of them).
#pragma once

#include <string_view>

namespace darvo::pos {

enum class DateForm {
    Month,   // 2024-05
    Date,    // 2024-05-01
    DateTime // 2024-05-01T08:00:00
};

// The text in `form` into year, month, day, hour, minute, second (a month
// gives day 1, a date 00:00:00); false for anything else.
bool ParseDateTime(std::string_view text, DateForm form, int v[6]);
// "a date YYYY-MM-DD, years 2000 to 2099" and the like, for messages.
const char *DateFormText(DateForm form);

} // namespace darvo::pos
