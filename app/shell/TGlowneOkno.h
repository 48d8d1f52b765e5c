// The main window: its menu, status bar and activity text, the device check
// every menu command runs first, the status checks the commands share, and
// the program's side of the driver's upward calls.
#pragma once

#include "ops/StatusBits.h"
#include "common/MenuHost.h"
#include "shell/TActivityArea.h"

#include <QMainWindow>
#include <QMap>
#include <QString>
#include <QWidget>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

class QAction;
class SettingsMenu;
class CommunicationMenu;
class QLabel;
class QMenu;
class QProgressBar;
class QStatusBar;
class QTimer;

class TGlowneOkno : public QMainWindow, public MenuHost {
    Q_OBJECT

  public:
    explicit TGlowneOkno(QWidget *parent = nullptr);
    ~TGlowneOkno() override;

    // ---- What the dialogs ask of the window (CommandHost) ----
    // The activity text; the busy cursor is the loaded hourglass when there
    // is one. ShowCommandError, RefuseCommand and ResumeAfterPaperOut are
    // steps the menu commands share as well (CommandSteps.cpp).
    void ShowActivityMessage(const QString &text) override;
    void SetBusyCursor() override;
    void SetArrowCursor() override;
    void ShowCommandError(int32_t code) override;
    void RefuseCommand(const QString &text) override;
    void ResumeAfterPaperOut(int32_t code, uint8_t deviceType, int32_t resumeMode = 1) override;
    bool DeviceCheck(uint8_t &deviceType, bool fullStop = false) override;
    bool CheckCmosErased(bool &errorReported) override;
    void EnableWindow() override;
    int32_t ReopenPort(uint8_t port, uint16_t speed) override;
    void ShowOpeningResult(int32_t code, uint8_t port) override;
    bool CheckConnectedDevice(uint8_t &deviceType, bool &errorReported) override;
    void ConfigureMenusForDevice(uint8_t deviceType) override;
    void SetStatusPanels(const QString &deviceName, uint8_t port, uint16_t speed) override;

    QString ActivityText() const;
    bool BusyCursorShown() const { return busy_; }
    // Lets the window process its pending messages while the driver waits.
    void Processmessages() override;
    void Repaint() override { repaint(); }
    // True while a message is processed inside such a wait: the driver is in
    // the middle of an exchange.
    bool InsideDriverWait() const { return waiting_ > 0; }

    // The other status checks. When the status bytes cannot be read the
    // check shows the error itself, sets errorReported and returns false.
    bool IsPrinterFiscal(bool &errorReported) override;
    bool IsDrawerOpen(bool &errorReported) override;
    bool IsReadOnlyMode(bool &errorReported) override;
    bool CheckPrintConditions(bool &errorReported, int &conditionCode);

    // A driver result in an error box after the warning sound.
    void ShowErrorCode(int32_t code) override;

    // The ports that can be opened now, "COM1".."COM255", into the
    // communication dialog's list; the first is selected.
    void FillPortList();
    // Run on every activation; the first one lists the ports and connects.
    Q_INVOKABLE void FormActivate();

    QAction *Item(const QString &objectName) const;
    // The progress bar of the fiscal-mode switch, hidden until it is used.
    QProgressBar *pbFiskal() const override { return pbFiskal_; }
    QString PanelText(int panel) const;

    // The ten items that only the second generation of printers offers.
    static const char *const kSecondGenerationItems[10];

    // ---- Steps every menu command shares (CommandSteps.cpp) ----
    // The CMOS check: false (the command stops) when the status cannot be
    // read or the CMOS memory was erased; each case has shown its message.
    bool CmosCheck() override;
    // The print start: waits with the busy cursor until the printer can
    // print; false after the error box when it cannot.
    bool PrintStart(uint8_t deviceType) override;
    // CheckPrintConditions with the message of a blocking condition; true
    // when printing may go on.
    bool PrintConditionsCheck() override;

    // ---- Menu commands: one file per menu ----
    // "&Raporty" (reports/ReportsMenu.cpp)
    void Fiskalnydobowy1Click();
    void Finansowypodatkowy1Click();
    void Stanudrukarki1Click();
    void Miesiczny1Click();
    void Wedugdat1Click();
    void Wedugnumerw1Click();
    void Miesiczny2Click();
    void Wedugdat2Click();
    void Wedugnumerw2Click();
    void Nazwtowarwzablokowanych1Click();
    void Opiswstaych1Click();
    void Wydrukkontrolnynazwistawek1Click();
    void Kasowaniebuforawycen1Click();
    void Zdalnewyaczeniedrukarki1Click();

    // "&Testy" (printertests/TestsMenu.cpp)
    void Standrukarki1Click();
    void Bajtystatusu1Click();
    void Wy1Click();
    void N41Click();
    void PamicEPROM1Click();
    void Numerunikatowy1Click();

    // "&Zegar" (clock/ClockMenu.cpp)
    void Odczytzegara1Click();
    void Przestawianiezegara1Click();
    void Inicjowaniezegara1Click();

    // "&Podatki" (taxes/TaxesMenu.cpp)
    void Odczyt1Click();
    void Zapis1Click();

    // "&Ustawienia" (settings/SettingsMenu.cpp)
    // "&Ustawienia" › "Ustawienia PEXA/PEXA F" (settings/PexaSettingsMenu.cpp)
    void Ustawienia2Click();
    void Datawprowadzeniaeuro1Click();
    void Datanastpnegoprzegldu1Click();
    void Odczyt2Click();
    void Danenawy2Click();
    void Kasowanie1Click();
    void Liniereklamowe1Click();

    // "Serwis" (service/ServiceMenu.cpp)
    void Odczytuytkownika1Click();
    void Przeczeniewtrybfiskalny1Click();
    void Cao1Click();
    void Wedugdat3Click();
    void Wedugnumerw3Click();
    void Bazanazwitowarw1Click();

    // "&Komunikacja" (communication/CommunicationMenu.cpp)

  protected:
    bool event(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

  private:
    class Host;
    void BuildMenu();
    // Each menu file connects its own items; called once from the constructor.
    void ConnectReportsMenu();
    void ConnectTestsMenu();
    void ConnectClockMenu();
    void ConnectTaxesMenu();
    void ConnectPexaSettingsMenu();
    void ConnectServiceMenu();
    // Runs the handler when the item is chosen.
    void OnItem(const char *name, void (TGlowneOkno::*handler)());
    QMenu *NameMenu(QMenu *menu, const QString &name);
    QMenu *AddMenu(const QString &caption, const QString &name);
    QMenu *AddSubmenu(QMenu *menu, const QString &caption, const QString &name);
    QAction *AddItem(QMenu *menu, const QString &caption, const QString &name);
    void SetItem(const char *name, bool enabled, bool visible);
    void SetItemEnabled(const char *name, bool enabled);
    bool ReadStatusForCheck(darvo::ops::StatusBits &bits, bool &errorReported);
    void AppException(QObject *sender, const QString &message);
    void ShowCommunicationDialog() override;
    void NextCursorStep();

    std::unique_ptr<Host> host_;
    std::unique_ptr<SettingsMenu> settingsMenu_;
    std::unique_ptr<CommunicationMenu> communicationMenu_;
    TActivityArea *activity_ = nullptr;
    QStatusBar *sb_ = nullptr;
    QLabel *panels_[2] = {nullptr, nullptr};
    QProgressBar *pbFiskal_ = nullptr;
    QMap<QString, QAction *> items_;
    bool busy_ = false;
    QTimer *cursorTimer_ = nullptr;
    size_t cursorStep_ = 0;
    bool activationQueued_ = false;
    int waiting_ = 0; // depth of driver waits that process messages
};

extern TGlowneOkno *GlowneOkno;
