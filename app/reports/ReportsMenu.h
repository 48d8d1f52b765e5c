// The "&Raporty" menu's commands: the daily, financial and printer state reports, the periodic reports, the
// printouts of locked articles, fixed descriptions and the names base, the price buffer and the switch-off.
#pragma once

#include "common/MenuHost.h"
#include "common/MenuItems.h"

class ReportsMenu {
  public:
    explicit ReportsMenu(MenuHost &host) : host_(host) {}
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

  private:
    MenuHost &host_;
};
