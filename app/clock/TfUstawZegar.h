// The clock initialisation dialog: after the printer's CMOS memory was
// erased the user confirms a date and a time, and the printer's clock is
// set to them. PEXA printers then erase their memory, which the dialog
// follows with a text and a bar.
#pragma once

#include "common/TDialog.h"
#include "common/TTimeEdit.h"

class QDateEdit;
class QLabel;
class QProgressBar;
class QPushButton;

class TfUstawZegar : public TDialog {
  public:
    TfUstawZegar(QWidget *parent, CommandHost &host);

    QLabel *Label1; // the question
    QLabel *Label2; // "Godzina:"
    QLabel *Label3; // "Data:"
    QLabel *Label4; // "Trwa kasowanie ...", while the memory is erased
    QDateEdit *dtDate;
    TTimeEdit *meZegar;
    QProgressBar *pbZegar;
    QPushButton *Button1; // "&Tak"
    QPushButton *Button2; // "&Nie"

    void Button1Click();
    // Whether the user tried to set the clock since the dialog was shown.
    bool Attempted() const { return attempted_; }
    // The printer's progress while it erases its memory (0..100): the
    // normal controls give way to the text and the bar.
    void EraseProgress(const QString &text, int position);

    // Run after the printer took a new clock: the live clock (Zegar >
    // "Odczyt zegara") tells whether it is really set. The menu that opens
    // the dialog sets it.
    std::function<void()> ShowClock;

  protected:
    void FormActivate() override;

  private:
    void ShowNormalControls(bool normal);
    bool attempted_ = false;
};
