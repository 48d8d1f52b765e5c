// "Raporty okresowe według numerów": the range of daily-report numbers of a
// periodic report.
#pragma once

#include "reports/TPeriodReportDialog.h"

#include <cstdint>

class QSpinBox;

class TfOkresoweWgNumerow : public TPeriodReportDialog {
  public:
    TfOkresoweWgNumerow(QWidget *parent, CommandHost &host);

    // First and last number, 16-bit little-endian each; the rest zero.
    static void NumbersRecord(int first, int last, uint8_t record[12]);

    QSpinBox *seOd;
    QSpinBox *seDo;

    void bTakClick() override;

  protected:
    void FormActivate() override;
};

extern TfOkresoweWgNumerow *fOkresoweWgNumerow;
