// The euro introduction date or the date of the next periodic service,
// read from and written to a PEXA printer.
#pragma once

#include "common/TDialog.h"

#include <QDate>

class QDateEdit;
class QPushButton;

// The date proposed when the printer holds none: today for the euro date,
// the same day a year later for the service (28 February after a 29th).
QDate ProposedServiceDate(bool euro, const QDate &today);

class TfDataEuroPrzeglad : public TDialog {
  public:
    TfDataEuroPrzeglad(QWidget *parent, CommandHost &host);

    QDateEdit *dtDate;
    QPushButton *bOdczyt, *bZapis;

    // Shows the dialog for the euro date (true) or the service date.
    int ShowFor(bool euro);
    bool EuroDate() const { return euro_; }
    void ReadFromPrinter();
    void WriteToPrinter();

  protected:
    void FormActivate() override;

  private:
    void WriteDate();
    bool euro_ = true;
};
