#include "Clock.h"

#include "darvodr/Core.h"
#include "darvodr/Service.h"
#include "darvodr/Shielded.h"
#include "darvodr/darvodr.h"

#include <cctype>
#include <cstdlib>

namespace darvo::ops {

ClockInitRefusal ClockInitRefusalOf(const StatusBits &b) {
    if (!b.cmosErased) return ClockInitRefusal::AlreadySet;
    if (b.batteryLow) return ClockInitRefusal::BackupBatteryLow;
    if (b.noProgrammingVoltage) return ClockInitRefusal::NoProgrammingVoltage;
    if (b.mainBatteryLow) return ClockInitRefusal::MainBatteryLow;
    if (b.fiscal && b.printerFailure) return ClockInitRefusal::PrinterFailure;
    if (b.fiscal && !b.serviceJumper) return ClockInitRefusal::ServiceJumperNormal;
    return ClockInitRefusal::None;
}

int32_t InitClock(const ClockSetting &w) {
    return Shielded([&] {
        return darvo::InitClock(static_cast<uint8_t>(w.year % 100), static_cast<uint8_t>(w.month),
                                static_cast<uint8_t>(w.day), static_cast<uint8_t>(w.hour),
                                static_cast<uint8_t>(w.minute), 0);
    });
}

int MinutesOfDay(const std::string &text) {
    auto two = [&text](size_t at) {
        if (text.size() < at + 2) return -1;
        const char a = text[at], b = text[at + 1];
        if (!std::isdigit(static_cast<unsigned char>(b))) return -1;
        if (a == ' ') return b - '0';
        if (!std::isdigit(static_cast<unsigned char>(a))) return -1;
        return (a - '0') * 10 + (b - '0');
    };
    const int hour = two(0), minute = two(3);
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59) return -1;
    return hour * 60 + minute;
}

int32_t ShiftClockTo(int hour, int minute, ClockShift &outcome) {
    return Shielded([&]() -> int32_t {
        std::string date, time;
        if (int32_t code = ReadClock(date, time); code != 0) return code;
        const int before = MinutesOfDay(time);
        if (before < 0) {
            outcome = ClockShift::UnreadableTime;
            return 0;
        }
        const int difference = hour * 60 + minute - before;
        if (difference == 0 || std::abs(difference) > 60) {
            outcome = difference == 0 ? ClockShift::Zero : ClockShift::OverAnHour;
            return 0;
        }
        if (int32_t code =
                darvo::ShiftClock(difference > 0 ? 1 : 0, static_cast<uint8_t>(std::abs(difference)));
            code != 0)
            return code;
        if (int32_t code = ReadClock(date, time); code != 0) return code;
        const int after = MinutesOfDay(time);
        if (after < 0) return RC_BAD_ANSWER; // no time came back: nothing is known
        // The printer takes one shift a day and quietly ignores the next.
        outcome = after == before ? ClockShift::OncePerDay : ClockShift::Shifted;
        return 0;
    });
}

} // namespace darvo::ops
