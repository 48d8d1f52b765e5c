// The number of lines the printer feeds after a printout.
#pragma once

#include "common/TDialog.h"

class QPushButton;
class QSpinBox;

class TfIloscWierszy : public TDialog {
  public:
    TfIloscWierszy(QWidget *parent, CommandHost &host);

    QSpinBox *seIloscWierszy; // 3..30; the menu lowers the minimum for some printers
    QPushButton *Button1;     // "&Tak"
    QPushButton *Button2;     // "&Nie"

    void Button1Click();

  protected:
    void FormActivate() override;
};
