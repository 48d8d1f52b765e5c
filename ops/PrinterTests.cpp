#include "PrinterTests.h"

#include "darvodr/Service.h"
#include "ops/Settings.h"

namespace darvo::ops {

int32_t DisplayTest(uint8_t pattern) {
    return darvo::DisplayTest(pattern);
}

uint8_t DisplayTestPattern(int step) {
    static const uint8_t next[4] = {1, 3, 4, 2};
    return step >= 0 && step < 4 ? next[step] : kDisplayTestEnd;
}

int32_t DisplayShowsNegative(bool &negative) {
    SettingsValues settings{};
    const int32_t code = ReadSettingsGroup(0, settings);
    negative = code == 0 && (settings[0] & kPositiveDisplay) == 0;
    return code;
}

int32_t EpromTest() {
    return darvo::EpromTest();
}

} // namespace darvo::ops
