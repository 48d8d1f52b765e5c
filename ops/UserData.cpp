#include "UserData.h"

namespace darvo::ops {

int32_t ReadUserData(int lineCount, UserDataLines &lines, uint8_t &flags) {
    return darvo::ReadUserData(lineCount, lines, flags);
}

int32_t WriteUserData(uint8_t line, uint8_t attribute, const std::string &cp1250) {
    return darvo::WriteUserData(line, attribute, cp1250);
}

int32_t PrintUserDataCheck(int lineCount, const UserDataLines &lines) {
    return darvo::PrintUserDataCheck(lineCount, lines);
}

int32_t ReadFiscalMode(bool &fiscal) {
    int32_t flag = 0;
    const int32_t code = IsFiscalMode(flag);
    fiscal = flag != 0;
    return code;
}

} // namespace darvo::ops
