// The tax rates read from the printer, one line per rate letter.
#pragma once

#include "common/TDialog.h"

#include <array>

class QLabel;
class QPushButton;

class TfOdczytStawek : public TDialog {
  public:
    TfOdczytStawek(QWidget *parent, CommandHost &host);

    std::array<QLabel *, 7> Label{}; // Label1..Label7 at [0..6]
    QPushButton *bOK;
};
