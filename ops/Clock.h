// The printer's clock: its initialisation after the CMOS memory was erased
// and the shift by up to an hour a day.
#pragma once

#include "ops/StatusBits.h"

#include <cstdint>
#include <string>

namespace darvo::ops {

// What the status says against a clock initialisation, the first that
// holds in this order. The service jumper of a fiscal printer is a question,
// not a refusal: the user may set it and have the status read again.
enum class ClockInitRefusal {
    None,
    AlreadySet,           // the CMOS memory was not erased
    BackupBatteryLow,     // of the CMOS memory
    NoProgrammingVoltage, // of the fiscal memory
    MainBatteryLow,
    PrinterFailure,      // in fiscal mode
    ServiceJumperNormal, // in fiscal mode
};
ClockInitRefusal ClockInitRefusalOf(const StatusBits &bits);

struct ClockSetting {
    int year = 2000; // four digits; the printer keeps two
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
};

// Sets the erased clock; a PEXA printer then erases its memory and reports
// its progress through the program's host (ClockInitProgress). The
// driver's code; the printer keeps its clock unset for a date before its
// last daily report, which only the clock read afterwards tells.
int32_t InitClock(const ClockSetting &when);

enum class ClockShift {
    Shifted,
    Zero,           // the printer's clock shows the time wanted already
    OverAnHour,     // the printer shifts by 60 minutes at the most
    UnreadableTime, // the printer's time before the shift makes no sense
    OncePerDay,     // the printer took the shift and kept its clock: it
                    // shifts once a day
};

// Shifts the printer's clock to hh:mm of the same day (a shift never
// crosses midnight): reads the clock, shifts by the difference and reads it
// again. The printer shifts only with a zero receipt counter (after a daily
// report). The driver's code (its bad-answer code when the time read after
// the shift makes no sense); `outcome` when it is 0.
int32_t ShiftClockTo(int hour, int minute, ClockShift &outcome);

// "hh:mm" (and anything after it, such as ":ss") in minutes of the day;
// -1 when it is not a time.
int MinutesOfDay(const std::string &text);

} // namespace darvo::ops
