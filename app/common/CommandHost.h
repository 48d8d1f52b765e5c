// What a dialog asks of the main window while it runs a command: the
// activity text, the cursor, the messages, the device and CMOS checks, and
// for the communication dialog the connection itself. The main window
// implements it and hands it to every dialog it creates; a test may hand a
// dialog one of its own.
#pragma once

#include "ops/Connection.h"

#include <QString>
#include <cstdint>

class CommandHost {
  public:
    virtual ~CommandHost() = default;

    // One line of text centred on the window, shown at once; empty clears it.
    virtual void ShowActivityMessage(const QString &text) = 0;
    void ClearActivityMessage();

    // The busy cursor while the printer works, and back to the arrow.
    virtual void SetBusyCursor() = 0;
    virtual void SetArrowCursor() = 0;

    // A non-zero driver code: arrow cursor, warning sound, activity text
    // cleared, and its text in an error box captioned "Błąd".
    virtual void ShowCommandError(int32_t code) = 0;
    // A command refused: the warning sound, the activity text cleared, and
    // the text in an error box captioned "Błąd".
    virtual void RefuseCommand(const QString &text) = 0;
    // The outcome of a printing operation: an error box, or on paper out the
    // question whether to resume, asked again as long as the printer still
    // has no paper. Yes resumes with PrintControl in the given mode (1: the
    // printer is made ready again; 0: a period report's printout is followed
    // to its end). Ends with the arrow cursor and no activity text.
    virtual void ResumeAfterPaperOut(int32_t code, uint8_t deviceType, int32_t resumeMode = 1) = 0;

    // The beginning of every command: the port reopened, the printer
    // identified, and the message when it is no fiscal printer (some
    // commands end it with a full stop). True when the command may go on.
    virtual bool DeviceCheck(uint8_t &deviceType, bool fullStop = false) = 0;
    // Whether the CMOS memory was erased. When the status bytes cannot be
    // read the check shows the error itself, sets errorReported and returns
    // false.
    virtual bool CheckCmosErased(bool &errorReported) = 0;

    // The window takes input again (after the communication dialog).
    virtual void EnableWindow() = 0;

    // ---- The connection, made by the communication dialog ----
    // The port and speed the user chose (0 where none is chosen yet), and a
    // new choice.
    virtual darvo::ops::PortChoice ChosenPort() const = 0;
    virtual void ChoosePort(const darvo::ops::PortChoice &choice) = 0;
    // Opens the port; a port number of 0 (no port listed) is refused with
    // 114 without touching the port.
    virtual int32_t ReopenPort(uint8_t port, uint16_t speed) = 0;
    // The message for a failed port open (after the warning sound).
    virtual void ShowOpeningResult(int32_t code, uint8_t port) = 0;
    // Reopens the port with the selected port and speed, identifies the
    // printer and fills the status bar. False when the port cannot be
    // opened, the printer cannot be identified or is not a fiscal printer;
    // errorReported tells whether a message has already been shown.
    virtual bool CheckConnectedDevice(uint8_t &deviceType, bool &errorReported) = 0;
    // The menu items the printer offers, enabled; the others disabled.
    virtual void ConfigureMenusForDevice(uint8_t deviceType) = 0;
    // The printer's name and the port and speed in the status bar.
    virtual void SetStatusPanels(const QString &deviceName, uint8_t port, uint16_t speed) = 0;

  protected:
    CommandHost() = default;
    CommandHost(const CommandHost &) = default;
    CommandHost &operator=(const CommandHost &) = default;
};

inline void CommandHost::ClearActivityMessage() {
    ShowActivityMessage(QString());
}
