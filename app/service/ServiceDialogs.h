// Where the service menu meets the dialogs it borrows from other commands:
// the date-and-number question, the period report dialogs in range mode,
// the tax-rate dialog in collect-only mode and the user data editor.
#pragma once

#include "ops/Reports.h"

#include <QString>
#include <array>
#include <cstdint>

// The modal result of a dialog closed with its "Tak" button.
constexpr int kDialogYes = 6;

// Shows TfDataINumer with yesterday's date and an empty number. True on
// "Tak", with the date as "20yy.mm.dd" and the eight digits entered.
bool AskDateAndNumber(QString &date, QString &digits);
// Shows the by-dates (true) or by-numbers period report dialog to collect
// the settlement report's range, the dates preset to today, the numbers to
// 1. True with the range on "&Tak".
bool AskSettlementRange(bool byDates, darvo::ops::RangeRecord &range);
// Shows the tax-rate dialog preset with the rates to collect them for the
// fiscalisation. True with the rates chosen on "&Tak".
bool AskFiscalisationRates(std::array<int32_t, 7> &rates);
// Shows the user data editor in the layout of the device type.
void ShowUserDataDialog(uint8_t deviceType);
