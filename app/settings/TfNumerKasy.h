// The cash register number (1..99) and the operator code (two characters).
#pragma once

#include "common/TDialog.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

// The two texts the printer takes: the number with a leading "0" up to two
// digits, the code with blanks in front up to two characters.
QString CashRegisterNumberText(int number);
QString OperatorCodeText(const QString &code);

class TfNumerKasy : public TDialog {
  public:
    TfNumerKasy(QWidget *parent, CommandHost &host);

    QSpinBox *seNrKasy;
    QLineEdit *eKod;
    QPushButton *Button1; // "&Tak"
    QPushButton *Button2; // "&Nie"

    void Button1Click();

  protected:
    void FormActivate() override;
};
