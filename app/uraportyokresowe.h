// "Raporty okresowe według numerów": the range of daily-report numbers of a
// periodic report, and what the three period report dialogs share (the
// port reopened for the long report, the outcome of the report).
#pragma once

#include "Dialog.h"

#include <cstdint>

class QLabel;
class QPushButton;
class QSpinBox;

// Reopens the selected port with the read time-out a period report needs.
int32_t ReopenForPeriodReport();
// The outcome of a period report: on paper out the question whether to
// resume, asked again while the printer still reports it; any other error
// in an error box. Ends with the arrow cursor.
void PeriodReportOutcome(int32_t code, uint8_t deviceType);

class TfOkresoweWgNumerow : public TDialog {
  public:
    explicit TfOkresoweWgNumerow(QWidget *parent);

    // First and last number, 16-bit little-endian each; the rest zero.
    static void NumbersRecord(int first, int last, uint8_t record[12]);

    QLabel *lPytanie;
    QSpinBox *seOd;
    QSpinBox *seDo;
    QPushButton *bTak;
    QPushButton *bNie;

    void bTakClick();

  protected:
    void FormActivate() override;
};

extern TfOkresoweWgNumerow *fOkresoweWgNumerow;
