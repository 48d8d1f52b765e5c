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
    TfPrzestawianie(QWidget *parent, CommandHost &host);

    QLabel *Label1; // "Godzina (gg : mm)"
    QLabel *Label2; // the question
    TTimeEdit *meZegar;
    QPushButton *Button1; // "&Tak"
    QPushButton *Button2; // "&Nie"

    void Button1Click();

    // Run after the shift: the live clock (Zegar > "Odczyt zegara") shows
    // the new time. The menu that opens the dialog sets it.
    std::function<void()> ShowClock;

  protected:
    void FormActivate() override;

  private:
    // False after the message; true when the shift was made.
    bool Shift();
};
