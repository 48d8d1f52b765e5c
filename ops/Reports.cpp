#include "Reports.h"

#include "darvodr/DeviceTypes.h"
#include "darvodr/Reports.h"
#include "darvodr/Service.h"
#include "darvodr/darvodr.h"

namespace darvo::ops {

// The kinds are the driver's kind bytes of command 49.
static_assert(static_cast<uint8_t>(PeriodKind::DetailedByDates) == kDetailedByDates);
static_assert(static_cast<uint8_t>(PeriodKind::DetailedByNumbers) == kDetailedByNumbers);
static_assert(static_cast<uint8_t>(PeriodKind::DetailedMonthly) == kDetailedMonthly);
static_assert(static_cast<uint8_t>(PeriodKind::ShortByDates) == kShortByDates);
static_assert(static_cast<uint8_t>(PeriodKind::ShortByNumbers) == kShortByNumbers);
static_assert(static_cast<uint8_t>(PeriodKind::ShortMonthly) == kShortMonthly);

RangeRecord DatesRecord(int fromYear, int fromMonth, int fromDay, int toYear, int toMonth, int toDay) {
    RangeRecord r{};
    const int values[6] = {fromYear % 100, fromMonth, fromDay, toYear % 100, toMonth, toDay};
    for (size_t i = 0; i < 6; ++i) {
        r[2 * i] = static_cast<uint8_t>(values[i] / 10);
        r[2 * i + 1] = static_cast<uint8_t>(values[i] % 10);
    }
    return r;
}

RangeRecord NumbersRecord(int first, int last) {
    RangeRecord r{};
    r[0] = static_cast<uint8_t>(first & 0xFF);
    r[1] = static_cast<uint8_t>((first >> 8) & 0xFF);
    r[2] = static_cast<uint8_t>(last & 0xFF);
    r[3] = static_cast<uint8_t>((last >> 8) & 0xFF);
    return r;
}

RangeRecord MonthRecord(int year, int month) {
    RangeRecord r{};
    r[0] = static_cast<uint8_t>(year % 100 / 10);
    r[1] = static_cast<uint8_t>(year % 10);
    r[2] = static_cast<uint8_t>(month / 10);
    r[3] = static_cast<uint8_t>(month % 10);
    return r;
}

int32_t PeriodReport(PeriodKind kind, const RangeRecord &range, uint8_t deviceType) {
    const bool byDates = kind == PeriodKind::DetailedByDates || kind == PeriodKind::ShortByDates;
    if (IsNewerPrinter(deviceType) || !byDates)
        return PeriodReportCommand(static_cast<uint8_t>(kind), range.data());
    auto number = [&range](size_t at) { return range[at] * 10 + range[at + 1]; };
    return ::PeriodReport(kind == PeriodKind::DetailedByDates ? 1 : 0, number(0), number(2), number(4),
                          number(6), number(8), number(10));
}

int32_t FinancialTaxReport() {
    return darvo::FinancialTaxReport();
}

int32_t FixedDescriptionsReport() {
    return darvo::FixedDescriptionsReport();
}

int32_t NamesBasePrintBegin() {
    return darvo::NamesBasePrintBegin();
}

int32_t NamesBasePrintItem(const std::string &cp1250Name, uint8_t rate) {
    return darvo::NamesBasePrintItem(cp1250Name, rate);
}

int32_t NamesBasePrintEnd() {
    return darvo::NamesBasePrintEnd();
}

int32_t ClearPriceBuffer() {
    return darvo::ClearPriceBuffer();
}

int32_t PowerOff() {
    return darvo::PowerOff();
}

} // namespace darvo::ops
