// How the printer rounds amounts: to grosze, tens of grosze or zlotys.
#pragma once

#include "common/TDialog.h"

class QPushButton;
class TRadioGroup;

class TfSposobZaokraglania : public TDialog {
  public:
    TfSposobZaokraglania(QWidget *parent, CommandHost &host);

    TRadioGroup *rgZaokraglanie; // modes 0, 1, 2
    QPushButton *Button1;        // "&Tak"
    QPushButton *Button2;        // "&Nie"

    void Button1Click();

  protected:
    // Reads the printer's mode into the choice.
    void FormActivate() override;
};
