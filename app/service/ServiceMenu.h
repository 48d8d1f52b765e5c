// The "Serwis" menu's commands: the user data, the fiscalisation, the settlement report and the erase of the
// names-and-rates base.
#pragma once

#include "common/MenuHost.h"
#include "common/MenuItems.h"
#include "common/MessageBoxes.h"
#include "ops/Reports.h"
#include "ops/StatusBits.h"

#include <QString>
#include <array>
#include <cstdint>
#include <functional>

class TfDataINumer;
class TfDaneUzytkownika;

class ServiceMenu {
  public:
    // The dialogs the commands show belong to the window, which outlives the menu.
    ServiceMenu(MenuHost &host, TfDataINumer &dataINumer, TfDaneUzytkownika &daneUzytkownika)
        : host_(host), dataINumer_(dataINumer), daneUzytkownika_(daneUzytkownika) {}
    // Connects the menu's items to its commands.
    void Attach(const MenuItems &items);

    void EditUserData();      // "Użytkownik"
    void Fiscalise();         // "Przełączenie w tryb fiskalny"
    void SettleWholeMemory(); // "Całości"
    void SettleByDates();     // "Według dat"
    void SettleByNumbers();   // "Według numerów"
    void EraseNamesBase();    // "Baza nazw i stawek"

    // The dialogs of other menus the commands borrow. The settlement report's
    // range, by dates (true) or by numbers: true with the range on "&Tak".
    std::function<bool(bool byDates, darvo::ops::RangeRecord &range)> AskSettlementRange;
    // The rates of the fiscalisation: true with the rates chosen on "&Tak".
    std::function<bool(std::array<int32_t, 7> &rates)> AskFiscalisationRates;

  private:
    // Shows TfDataINumer with yesterday's date and an empty number. True on
    // "Tak", with the date as "20yy.mm.dd" and the eight digits entered.
    bool AskDateAndNumber(QString &date, QString &digits);
    // Shows the user data editor in the layout of the device type.
    void ShowUserDataDialog(uint8_t deviceType);
    void Beep();
    // An error box after the warning sound and the cleared activity text.
    void Refuse(const QString &text);
    void Inform(const QString &text);
    bool AskYes(BoxKind kind, const QString &text, bool defaultNo = false);
    // The status bits; false after the error box when they cannot be read.
    bool ReadStatus(darvo::ops::StatusBits &bits);
    // A non-zero receipt counter may be cleared by a daily report; false when
    // the command must end (an error was shown or the user declined).
    bool DailyReportForCounter(const QString &question);
    // The progress bytes a PEXA printer sends while it works, after the byte
    // that accepted the frame, until a 0; the bar advances one step a byte.
    // False after the error box when a byte does not come or never ends.
    bool FollowProgress(uint8_t first);
    // Waits for the printout with a longer read time-out; the driver's code.
    int32_t AwaitPrintout(uint16_t readSeconds, uint8_t deviceType);
    // Asks for today's date and the eight digits of the unique number until
    // they match the printer's; false when the user gives up or the number
    // cannot be read.
    bool ConfirmUniqueNumber(QString &date, QString &digits);
    // Sends the settlement frame and acts on the printer's result byte.
    void SendSettlement(int mode, uint8_t deviceType, const QString &date, const QString &digits,
                        const darvo::ops::RangeRecord &range);
    // The settlement report: mode 1 the whole fiscal memory, 2 by dates, 3 by
    // report numbers. It puts the printer into read-only mode for good.
    void SettlementReport(int mode);
    // The outcome of an accepted fiscalisation frame: the progress of a PEXA,
    // the printout, and what the status then says.
    void FinishFiscalisation(uint8_t first, uint8_t type);
    void SwitchToFiscalMode();

    MenuHost &host_;
    TfDataINumer &dataINumer_;
    TfDaneUzytkownika &daneUzytkownika_;
    // The device type the user data command or the fiscalisation read last;
    // the user data editor's layout follows it.
    uint8_t deviceType_ = 0;
};
