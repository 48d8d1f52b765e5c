// Where the service menu meets the dialogs it borrows from other commands:
// the date-and-number question, the period report dialogs in range mode,
// the tax-rate dialog in collect-only mode and the user data editor.
#pragma once

#include <QString>
#include <cstdint>

// The modal result of a dialog closed with its "Tak" button.
constexpr int kDialogYes = 6;

// Shows TfDataINumer with yesterday's date and an empty number. True on
// "Tak", with the date as "20yy.mm.dd" and the eight digits entered.
bool AskDateAndNumber(QString &date, QString &digits);
// Shows the by-dates (true) or by-numbers period report dialog, which with
// SettlementRangeMode set only stores its range in SettlementRange; the
// dates are preset to today, the numbers to 1. Its modal result.
int ShowSettlementRangeDialog(bool byDates);
// Shows the tax-rate dialog preset from FiscalisationRates, as the rate
// writing command presets it; with RatesCollectOnly set it leaves the chosen
// rates in FiscalisationRates. Its modal result.
int ShowFiscalisationRatesDialog();
// Shows the user data editor in the layout of the device type.
void ShowUserDataDialog(uint8_t deviceType);
