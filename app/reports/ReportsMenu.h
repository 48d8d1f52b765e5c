// The "&Raporty" menu's commands: the daily, financial and printer state reports, the periodic reports, the
// printouts of locked articles, fixed descriptions and the names base, the price buffer and the switch-off.
#pragma once

#include "common/MenuHost.h"
#include "common/MenuItems.h"
#include "ops/Reports.h"

class TfOkresoweWgNumerow;
class TfRaportyOkresoweWgDat;
class TfOkresoweMiesieczne;

class ReportsMenu {
  public:
    // The dialogs the commands show belong to the window, which outlives the menu.
    ReportsMenu(MenuHost &host, TfOkresoweWgNumerow &okresoweWgNumerow,
                TfRaportyOkresoweWgDat &raportyOkresoweWgDat, TfOkresoweMiesieczne &okresoweMiesieczne)
        : host_(host), okresoweWgNumerow_(okresoweWgNumerow), raportyOkresoweWgDat_(raportyOkresoweWgDat),
          okresoweMiesieczne_(okresoweMiesieczne) {}
    // Connects the menu's items to its commands.
    void Attach(const MenuItems &items);

    void PrintDailyReport();         // "Fiskalny dobowy"
    void PrintFinancialReport();     // "Finansowy podatkowy"
    void PrintPrinterState();        // "Stanu drukarki"
    void ShortMonthlyReport();       // "Miesięczny"
    void ShortReportByDates();       // "Według dat"
    void ShortReportByNumbers();     // "Według numerów"
    void DetailedMonthlyReport();    // "Miesięczny"
    void DetailedReportByDates();    // "Według dat"
    void DetailedReportByNumbers();  // "Według numerów"
    void PrintLockedArticles();      // "Nazw towarów zablokowanych"
    void PrintFixedDescriptions();   // "Opisów stałych"
    void NamesBaseControlPrintout(); // "Wydruk kontrolny nazw i stawek"
    void ClearPriceBuffer();         // "Kasowanie bufora wycen"
    void SwitchPrinterOff();         // "Zdalne wyłaczenie drukarki"

    // The by-dates (true) or by-numbers period report dialog collects the
    // settlement report's range, the dates preset to today, the numbers to
    // 1. True with the range on "&Tak".
    bool AskSettlementRange(bool byDates, darvo::ops::RangeRecord &range);

  private:
    // The six periodic report commands: the checks, the report kind, the
    // caption and the preset fields, then the dialog that runs the report.
    void PeriodicReport(darvo::ops::PeriodKind kind);

    MenuHost &host_;
    TfOkresoweWgNumerow &okresoweWgNumerow_;
    TfRaportyOkresoweWgDat &raportyOkresoweWgDat_;
    TfOkresoweMiesieczne &okresoweMiesieczne_;
};
