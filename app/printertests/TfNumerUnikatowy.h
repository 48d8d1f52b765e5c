// Shows the printer's unique number, as the menu command read it.
#pragma once

#include "common/TDialog.h"

class QLabel;
class QPushButton;

class TfNumerUnikatowy : public TDialog {
  public:
    TfNumerUnikatowy(QWidget *parent, CommandHost &host);

    QLabel *lNumerUnikatowy;
    QPushButton *bOK;
};
