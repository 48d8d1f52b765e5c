// The main window: its menu, status bar and activity text, the device check
// every menu command runs first, the status checks the commands share, and
// the program's side of the driver's upward calls.
#pragma once

#include "darvodr/Host.h"
#include "shell/TActivityArea.h"

#include <QMainWindow>
#include <QMap>
#include <QString>
#include <QWidget>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

namespace darvo {
struct StatusSet;
}

class QAction;
class QLabel;
class QMenu;
class QProgressBar;
class QStatusBar;
class QTimer;

// Results of the print conditions check.
enum ConditionCodes {
    kConditionNone = 0,
    kConditionCmosErased = 1,
    kConditionReadOnly = 2,
    kConditionNoProgrammingVoltage = 3,
    kConditionNoController = 4,
    kConditionPrinterFailure = 5,
    kConditionNoPaper = 6,
    kConditionLowBattery = 7,
};

class TGlowneOkno : public QMainWindow {
    Q_OBJECT

  public:
    explicit TGlowneOkno(QWidget *parent = nullptr);
    ~TGlowneOkno() override;

    // One line of text centred on the window, shown at once; empty clears it.
    void ShowActivityMessage(const QString &text);
    void ClearActivityMessage() { ShowActivityMessage(QString()); }
    QString ActivityText() const;
    // Lets the window process its pending messages while the driver waits.
    void Processmessages();

    // The busy cursor (the loaded hourglass when there is one), and back
    // to the arrow.
    void SetBusyCursor();
    void SetArrowCursor();
    bool BusyCursorShown() const { return busy_; }

    // Reopens the port with the selected port and speed, identifies the
    // printer and fills the status bar. False when the port cannot be
    // opened, the printer cannot be identified or is not a fiscal printer;
    // errorReported tells whether a message has already been shown.
    bool CheckConnectedDevice(uint8_t &deviceType, bool &errorReported);
    // The beginning of every menu command: CheckConnectedDevice, and the
    // message when it fails (some commands end it with a full stop). True
    // when the command may go on.
    bool DeviceCheck(uint8_t &deviceType, bool fullStop = false);
    void ConfigureMenusForDevice(uint8_t deviceType);

    // Status checks. When the status bytes cannot be read the check shows
    // the error itself, sets errorReported and returns false.
    bool IsPrinterFiscal(bool &errorReported);
    bool IsDrawerOpen(bool &errorReported);
    bool IsReadOnlyMode(bool &errorReported);
    bool CheckCmosErased(bool &errorReported);
    bool CheckPrintConditions(bool &errorReported, int &conditionCode);

    // A driver result in an error box after the warning sound.
    void ShowErrorCode(int32_t code);
    // The message for a failed port open (after the warning sound).
    void ShowOpeningResult(int32_t code, uint8_t port);
    // Opens the selected port; a port number of 0 (no port listed) is
    // refused with 114 without touching the port.
    int32_t ReopenPort(uint8_t port, uint16_t speed);

    // The ports that can be opened now, "COM1".."COM255", into the
    // communication dialog's list; the first is selected.
    void FillPortList();
    // Run on every activation; the first one lists the ports and connects.
    Q_INVOKABLE void FormActivate();

    QAction *Item(const QString &objectName) const;
    // The progress bar of the fiscal-mode switch, hidden until it is used.
    QProgressBar *pbFiskal() const { return pbFiskal_; }
    QString PanelText(int panel) const;
    void SetStatusPanels(const QString &deviceName, uint8_t port, uint16_t speed);

    // Zegar > "Inicjowanie zegara", the clock initialisation command; the
    // communication dialog runs it when the CMOS memory was erased.
    std::function<void()> ClockInitialisationCommand;

    // The ten items that only the second generation of printers offers.
    static const char *const kSecondGenerationItems[10];

    // ---- Steps every menu command shares (CommandSteps.cpp) ----
    // The CMOS check: false (the command stops) when the status cannot be
    // read or the CMOS memory was erased; each case has shown its message.
    bool CmosCheck();
    // A non-zero driver code: arrow cursor, warning sound, activity text
    // cleared, and its text in an error box captioned "Błąd".
    void ShowCommandError(int32_t code);
    // A command refused: the warning sound, the activity text cleared, and
    // the text in an error box captioned "Błąd".
    void RefuseCommand(const QString &text);
    // The print start: waits with the busy cursor until the printer can
    // print; false after the error box when it cannot.
    bool PrintStart(uint8_t deviceType);
    // The outcome of a printing operation: an error box, or on paper out the
    // question whether to resume, asked again as long as the printer still
    // has no paper. Yes resumes with PrintControl in the given mode (1: the
    // printer is made ready again; 0: a period report's printout is followed
    // to its end). Ends with the arrow cursor and no activity text.
    void ResumeAfterPaperOut(int32_t code, uint8_t deviceType, int32_t resumeMode = 1);
    // CheckPrintConditions with the message of a blocking condition; true
    // when printing may go on.
    bool PrintConditionsCheck();
    // The message for a condition code of CheckPrintConditions.
    static QString ConditionMessage(int conditionCode);

    // ---- Menu commands: one file per menu ----
    // "&Raporty" (MenuReports.cpp)
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

    // "&Testy" (MenuTests.cpp)
    void Standrukarki1Click();
    void Bajtystatusu1Click();
    void Wy1Click();
    void N41Click();
    void PamicEPROM1Click();
    void Numerunikatowy1Click();

    // "&Zegar" (MenuClock.cpp)
    void Odczytzegara1Click();
    void Przestawianiezegara1Click();
    void Inicjowaniezegara1Click();

    // "&Podatki" (MenuTaxes.cpp)
    void Odczyt1Click();
    void Zapis1Click();

    // "&Ustawienia" (MenuSettings.cpp)
    void Nrkasyikodobsugujcego1Click();
    void Ilo1Click();
    void Sposbzaokrglania1Click();
    // "&Ustawienia" › "Ustawienia PEXA/PEXA F" (MenuSettingsPexa.cpp)
    void Ustawienia2Click();
    void Datawprowadzeniaeuro1Click();
    void Datanastpnegoprzegldu1Click();
    void Odczyt2Click();
    void Danenawy2Click();
    void Kasowanie1Click();
    void Liniereklamowe1Click();

    // "Serwis" (MenuService.cpp)
    void Odczytuytkownika1Click();
    void Przeczeniewtrybfiskalny1Click();
    void Cao1Click();
    void Wedugdat3Click();
    void Wedugnumerw3Click();
    void Bazanazwitowarw1Click();

  protected:
    bool event(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

  private slots:
    void Parametry1Click();
    void Oprogramie1Click();

  private:
    class Host;
    void BuildMenu();
    // Each menu file connects its own items; called once from the constructor.
    void ConnectReportsMenu();
    void ConnectTestsMenu();
    void ConnectClockMenu();
    void ConnectTaxesMenu();
    void ConnectSettingsMenu();
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
    bool ReadStatusForCheck(darvo::StatusSet &status, bool &errorReported);
    void AppException(QObject *sender, const QString &message);
    void ShowCommunicationDialog();
    void NextCursorStep();

    std::unique_ptr<Host> host_;
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
