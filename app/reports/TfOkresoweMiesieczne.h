// "Raporty okresowe miesięczne": the year and month of a monthly periodic
// report.
#pragma once

#include "reports/TPeriodReportDialog.h"

#include <cstdint>

class QSpinBox;

class TfOkresoweMiesieczne : public TPeriodReportDialog {
  public:
    TfOkresoweMiesieczne(QWidget *parent, CommandHost &host);

    QSpinBox *seRok;
    QSpinBox *seMiesiac;

    void bTakClick() override;

  protected:
    void FormActivate() override;
};
