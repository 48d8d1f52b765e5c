// The three advertising lines of a PEXA printer, 40 characters each.
#pragma once

#include "common/TDialog.h"

#include <array>

class QCheckBox;
class QLineEdit;
class QPushButton;

class TfTekstyReklamowe : public TDialog {
  public:
    TfTekstyReklamowe(QWidget *parent, CommandHost &host);

    QLineEdit *l1, *l2, *l3;
    QCheckBox *cb1, *cb2, *cb3; // "Centruj"
    QPushButton *bZapis, *bOdczyt, *bKasowanie;

    void WriteToPrinter();   // "Zapis do drukarki"
    void ReadFromPrinter();  // "Odczyt z drukarki", also run when shown
    void EraseFromPrinter(); // "Kasowanie z drukarki"

  protected:
    void FormActivate() override;

  private:
    std::array<QLineEdit *, 3> edits_{};
    std::array<QCheckBox *, 3> centres_{};
};
