// The live clock: the printer's date and time, read again and again while
// the dialog is open; any failure closes it.
#pragma once

#include "common/TDialog.h"

class QLabel;
class QPushButton;
class QTimer;

class TfDataGodzina : public TDialog {
  public:
    TfDataGodzina(QWidget *parent, CommandHost &host);

    QLabel *lData;
    QLabel *lCzas;
    QPushButton *bOK;
    QTimer *tZegar; // 10 ms, stopped during each reading, restarted after it

    // One reading of the clock (the timer's tick).
    void tZegarTimer();
    // Set while the clock is shown right after the printer took a new
    // clock: an erased CMOS memory then means the printer refused the date
    // (it keeps its clock unset for a date before its last daily report).
    // The first reading clears it.
    void ExpectSetClock(bool expect) { expectSet_ = expect; }
    bool ExpectsSetClock() const { return expectSet_; }

  protected:
    void FormActivate() override;
    void FormClose() override;

  private:
    bool expectSet_ = false;
};
