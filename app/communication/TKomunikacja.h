// The communication dialog: port and speed, and the connection made with
// them when the user confirms.
#pragma once

#include "common/CommandHost.h"

#include <QDialog>
#include <cstdint>
#include <functional>

class QComboBox;
class QLabel;
class QPushButton;
class TRadioGroup;

class TKomunikacja : public QDialog {
  public:
    TKomunikacja(QWidget *parent, CommandHost &host);

    QLabel *Label1;
    QComboBox *cbNumerPortu;
    TRadioGroup *rgPredkosc;
    QPushButton *Button1;

    // Number of the selected port entry ("COM12" gives 12); 0 when none.
    uint8_t SelectedPortEntry() const;

    // Shows the dialog modally.
    int ShowModal();
    // "Zatwierdź": opens the port, checks the printer and closes the dialog
    // when the printer can work.
    void Button1Click();

    // Zegar > "Inicjowanie zegara", run when the printer's CMOS memory was
    // erased and the user wants the clock set; true when the user tried to
    // set it. The window list sets it.
    std::function<bool()> ClockInitialisationCommand;

    // Runs instead of the modal loop when set (tests script the dialog).
    static std::function<void(TKomunikacja &)> &ModalRunner();

  protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;

  private:
    void FormActivate();
    void FormClose();

    CommandHost &host_;
};

// "KASA ZABLOKOWANA: " and one line for each reason set in the lock byte.
QString LockReasonsText(uint8_t lockByte);
