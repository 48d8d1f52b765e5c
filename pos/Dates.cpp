#include "Dates.h"

#include <cctype>

namespace darvo::pos {

namespace {

int DaysIn(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

} // namespace

bool ParseDateTime(std::string_view text, DateForm form, int v[6]) {
    const std::string_view pattern = form == DateForm::Month  ? "dddd-dd"
                                     : form == DateForm::Date ? "dddd-dd-dd"
                                                              : "dddd-dd-ddTdd:dd:dd";
    if (text.size() != pattern.size()) return false;
    for (size_t i = 0; i < pattern.size(); ++i)
        if (pattern[i] == 'd' ? !std::isdigit(static_cast<unsigned char>(text[i])) : text[i] != pattern[i])
            return false;
    const auto number = [&](size_t at, size_t digits) {
        int n = 0;
        for (size_t i = at; i < at + digits; ++i)
            n = n * 10 + (text[i] - '0');
        return n;
    };
    const bool withTime = form == DateForm::DateTime;
    v[0] = number(0, 4);
    v[1] = number(5, 2);
    v[2] = form == DateForm::Month ? 1 : number(8, 2);
    v[3] = withTime ? number(11, 2) : 0;
    v[4] = withTime ? number(14, 2) : 0;
    v[5] = withTime ? number(17, 2) : 0;
    return v[0] >= 2000 && v[0] <= 2099 && v[1] >= 1 && v[1] <= 12 && v[2] >= 1 &&
           v[2] <= DaysIn(v[0], v[1]) && v[3] <= 23 && v[4] <= 59 && v[5] <= 59;
}

const char *DateFormText(DateForm form) {
    switch (form) {
    case DateForm::Month: return "a month YYYY-MM, years 2000 to 2099";
    case DateForm::Date: return "a date YYYY-MM-DD that exists, years 2000 to 2099";
    default: return "a time YYYY-MM-DDTHH:MM:SS that exists, years 2000 to 2099";
    }
}

} // namespace darvo::pos
