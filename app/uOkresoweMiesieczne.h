// "Raporty okresowe miesięczne": the year and month of a monthly periodic
// report.
#pragma once

#include "Dialog.h"

#include <cstdint>

class QLabel;
class QPushButton;
class QSpinBox;

class TfOkresoweMiesieczne : public TDialog {
  public:
    explicit TfOkresoweMiesieczne(QWidget *parent);

    // Tens and units of the two-digit year, tens and units of the month.
    static void MonthRecord(int year, int month, uint8_t record[12]);

    QLabel *lPytanie;
    QSpinBox *seRok;
    QSpinBox *seMiesiac;
    QPushButton *bTak;
    QPushButton *bNie;

    void bTakClick();

  protected:
    void FormActivate() override;
};

extern TfOkresoweMiesieczne *fOkresoweMiesieczne;
