// The clock shift dialog: moves the printer's running clock to the time the
// user enters, by at most 60 minutes and (the printer's rule) once a day,
// right after a daily report.
#pragma once

#include "common/TDialog.h"
#include "common/TTimeEdit.h"

class QLabel;
class QPushButton;

class TfPrzestawianie : public TDialog {
  public:
    explicit TfPrzestawianie(QWidget *parent);

    QLabel *Label1; // "Godzina (gg : mm)"
    QLabel *Label2; // the question
    TTimeEdit *meZegar;
    QPushButton *Button1; // "&Tak"
    QPushButton *Button2; // "&Nie"

    void Button1Click();

  protected:
    void FormActivate() override;

  private:
    // False after the message; true when the shift was made.
    bool Shift();
};

extern TfPrzestawianie *fPrzestawianie;
