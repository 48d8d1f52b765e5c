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

    // The digits y y m m d d of each date (two-digit year), as values 0..9.
    static void DatesRecord(const QDate &from, const QDate &to, uint8_t record[12]);

    QDateEdit *dtOd;
    QDateEdit *dtDo;

    void bTakClick() override;

  protected:
    void FormActivate() override;
};

extern TfRaportyOkresoweWgDat *fRaportyOkresoweWgDat;
