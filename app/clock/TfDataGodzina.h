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

  protected:
    void FormActivate() override;
    void FormClose() override;
};

extern TfDataGodzina *fDataGodzina;
