// What a menu's commands ask of the main window beyond what its dialogs ask
// (CommandHost): the checks and steps the commands share, the progress bar
// of a long printer operation, the window's messages during a wait, and the
// communication dialog. The main window implements it and hands it to each
// menu's commands.
#pragma once

#include "common/CommandHost.h"
#include "ops/Status.h"

#include <QString>
#include <cstdint>

class QProgressBar;

// The message for what keeps the printer from printing.
QString ConditionMessage(darvo::ops::PrintBlocker blocker);

class MenuHost : public CommandHost {
  public:
    // The CMOS check: false (the command stops) when the status cannot be
    // read or the CMOS memory was erased; each case has shown its message.
    virtual bool CmosCheck() = 0;
    // The print start: waits with the busy cursor until the printer can
    // print; false after the error box when it cannot.
    virtual bool PrintStart(uint8_t deviceType) = 0;
    // The print conditions with the message of a blocking one; true when
    // printing may go on.
    virtual bool PrintConditionsCheck() = 0;
    // The status checks. When the status bytes cannot be read the check
    // shows the error itself, sets errorReported and returns false.
    virtual bool IsPrinterFiscal(bool &errorReported) = 0;
    virtual bool IsDrawerOpen(bool &errorReported) = 0;
    virtual bool IsReadOnlyMode(bool &errorReported) = 0;
    // A driver result in an error box after the warning sound.
    virtual void ShowErrorCode(int32_t code) = 0;

    // The progress bar of the fiscalisation and the erases, hidden until
    // it is used.
    virtual QProgressBar *pbFiskal() const = 0;
    // Lets the window process its pending messages while the printer works,
    // and paints it at once.
    virtual void Processmessages() = 0;
    virtual void Repaint() = 0;
    // The communication dialog, modal.
    virtual void ShowCommunicationDialog() = 0;
    // The port and speed the communication dialog shows become the chosen ones.
    virtual void ChooseDialogsPort() = 0;
    // Selects the speed in the communication dialog and connects again, as
    // its "OK" does.
    virtual void ReconnectAtSpeed(uint16_t speed) = 0;

  protected:
    MenuHost() = default;
};
