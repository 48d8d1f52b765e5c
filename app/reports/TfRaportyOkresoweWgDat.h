// "Raporty okresowe według dat": the first and last date of a periodic
// report (or, for the settlement report, only of its range).
#pragma once

#include "reports/TPeriodReportDialog.h"

#include <cstdint>

class QDate;
class QDateEdit;

class TfRaportyOkresoweWgDat : public TPeriodReportDialog {
  public:
    TfRaportyOkresoweWgDat(QWidget *parent, CommandHost &host);

    QDateEdit *dtOd;
    QDateEdit *dtDo;

    void bTakClick() override;

  protected:
    void FormActivate() override;
};
