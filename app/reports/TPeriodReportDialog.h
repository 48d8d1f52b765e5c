// What the three period report dialogs share: the port reopened for the
// long report, the outcome of the report, the question and the buttons.
#pragma once

#include "common/TDialog.h"
#include "ops/Connection.h"
#include "ops/Reports.h"

#include <cstdint>

class QHBoxLayout;
class QLabel;
class QPushButton;

// What the three period report dialogs share: the question "Czy wykonać
// raport?" above their fields, "&Tak" (the default, runs bTakClick) and
// "&Nie" below them.
class TPeriodReportDialog : public TDialog {
  public:
    QLabel *lPytanie;
    QPushButton *bTak;
    QPushButton *bNie;

    virtual void bTakClick() = 0;

    // Shows the dialog to collect a range only, for the settlement report:
    // "&Tak" keeps the range and closes the dialog, nothing is printed.
    // True with the range when it was closed with "&Tak".
    bool CollectRange(darvo::ops::RangeRecord &range);
    // Shows the dialog for a report of the kind.
    int ShowFor(darvo::ops::PeriodKind kind);
    darvo::ops::PeriodKind Kind() const { return kind_; }
    bool CollectingRange() const { return collecting_; }

  protected:
    TPeriodReportDialog(QWidget *parent, CommandHost &host, const QString &objectName,
                        const QString &caption);
    // The question, then the fields, then the buttons.
    void LayOut(QHBoxLayout *fields);
    // Reopens the chosen port with the read time-out a period report needs.
    int32_t ReopenForPeriodReport();
    // Once the printer can print, orders the report of the kind the menu
    // chose for the range and handles its outcome (on paper out the
    // question whether to resume, asked again while the printer still
    // reports it; any other error in an error box), then closes; a printer
    // that cannot print leaves the dialog open for another try.
    void OrderReport(const darvo::ops::RangeRecord &range, uint8_t deviceType = darvo::ops::IdentifiedType());
    // In "&Tak": when only the range is collected, keeps it and closes the
    // dialog; true then.
    bool KeepRange(const darvo::ops::RangeRecord &range);

  private:
    QHBoxLayout *buttonRow_;
    darvo::ops::PeriodKind kind_ = darvo::ops::PeriodKind::DetailedByDates;
    bool collecting_ = false;
    darvo::ops::RangeRecord collected_{};
};
