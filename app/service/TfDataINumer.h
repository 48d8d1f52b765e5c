// Asks for a date and the printer's eight-digit unique number before a
// report; "Tak" ends it with Yes (6), "Nie" and Esc with No (7).
#pragma once

#include "common/TDialog.h"

#include <QDate>

class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;

class TfDataINumer : public TDialog {
  public:
    TfDataINumer(QWidget *parent, CommandHost &host);

    QDateEdit *db;
    QLineEdit *meNumer; // exactly eight digits
    QPushButton *bTak;
    QPushButton *bNie; // default and cancel button

    // The date yesterday, the number empty.
    void Prepare();
    void bTakClick();
    // The picked date as "20yy.mm.dd" and the eight digits.
    QString DateText() const;
    QString Number() const;

  protected:
    void FormActivate() override;
    void reject() override;
};
