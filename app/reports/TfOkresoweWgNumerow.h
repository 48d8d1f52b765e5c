// "Raporty okresowe według numerów": the range of daily-report numbers of a
// periodic report.
#pragma once

#include "reports/TPeriodReportDialog.h"

#include <cstdint>

class QSpinBox;

class TfOkresoweWgNumerow : public TPeriodReportDialog {
  public:
    TfOkresoweWgNumerow(QWidget *parent, CommandHost &host);

    QSpinBox *seOd;
    QSpinBox *seDo;

    void bTakClick() override;

  protected:
    void FormActivate() override;
};
