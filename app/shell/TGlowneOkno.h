// The main window: it builds the menu bar and each menu's commands (a class
// in the menu's folder), keeps the status bar and the activity text, and is
// the host the commands and dialogs ask (MenuHost): the device check every
// command runs first, the status checks they share, and the program's side
// of the driver's upward calls.
#pragma once

#include "ops/StatusBits.h"
#include "common/MenuHost.h"
#include "shell/ProgramDialogs.h"
#include "shell/TActivityArea.h"

#include <QMainWindow>
#include <QMap>
#include <QString>
#include <QWidget>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QAction;
class ServiceMenu;
class TestsMenu;
class ReportsMenu;
class PexaSettingsMenu;
class ClockMenu;
class TaxesMenu;
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
    darvo::ops::PortChoice ChosenPort() const override { return chosen_; }
    void ChoosePort(const darvo::ops::PortChoice &choice) override { chosen_ = choice; }
    // True until the first activation's work has run; a test may have it run again.
    bool FirstActivation() const { return firstActivation_; }
    void RunFirstActivationAgain() { firstActivation_ = true; }

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
    bool CheckPrintConditions(bool &errorReported, darvo::ops::PrintBlocker &blocker);

    // A driver result in an error box after the warning sound.
    void ShowErrorCode(int32_t code) override;

    // The ports that can be opened now, "COM1".."COM255", into the
    // communication dialog's list; the first is selected.
    void FillPortList();
    // Run on every activation; the first one lists the ports and connects.
    Q_INVOKABLE void FormActivate();

    QAction *Item(const QString &objectName) const;
    // The dialogs, which the window owns and hands to the menus that show them.
    const ProgramDialogs &Dialogs() const { return dialogs_; }
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

  protected:
    bool event(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

  private:
    class Host;
    void BuildMenu();
    QMenu *NameMenu(QMenu *menu, const QString &name);
    QMenu *AddMenu(const QString &caption, const QString &name);
    QMenu *AddSubmenu(QMenu *menu, const QString &caption, const QString &name);
    QAction *AddItem(QMenu *menu, const QString &caption, const QString &name);
    void SetItem(const char *name, bool enabled, bool visible);
    void SetItemEnabled(const char *name, bool enabled);
    bool ReadStatusForCheck(darvo::ops::StatusBits &bits, bool &errorReported);
    void AppException(QObject *sender, const QString &message);
    void ShowCommunicationDialog() override;
    void ChooseDialogsPort() override;
    void ReconnectAtSpeed(uint16_t speed) override;
    void CreateDialogs();
    void BuildMenuCommands();
    void NextCursorStep();

    std::unique_ptr<Host> host_;
    ProgramDialogs dialogs_;
    std::vector<QWidget *> dialogOrder_; // in the order of creation
    // Each menu's commands, in the order of the menu bar.
    std::unique_ptr<ReportsMenu> reportsMenu_;
    std::unique_ptr<TestsMenu> testsMenu_;
    std::unique_ptr<ClockMenu> clockMenu_;
    std::unique_ptr<TaxesMenu> taxesMenu_;
    std::unique_ptr<SettingsMenu> settingsMenu_;
    std::unique_ptr<PexaSettingsMenu> pexaSettingsMenu_;
    std::unique_ptr<ServiceMenu> serviceMenu_;
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
    int waiting_ = 0;               // depth of driver waits that process messages
    darvo::ops::PortChoice chosen_; // the port and speed the user chose
    bool firstActivation_ = true;
};
