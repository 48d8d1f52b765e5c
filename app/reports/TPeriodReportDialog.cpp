#include "reports/TPeriodReportDialog.h"

#include "common/DialogButtons.h"
#include "core/AppState.h"

#include "darvodr.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

int32_t TPeriodReportDialog::ReopenForPeriodReport() {
    return darvo::ops::ReopenForPeriodReport(host_.ChosenPort());
}

TPeriodReportDialog::TPeriodReportDialog(QWidget *parent, CommandHost &host, const QString &objectName,
                                         const QString &caption)
    : TDialog(parent, host, objectName, caption) {
    lPytanie = new QLabel(QStringLiteral("Czy wykonać raport?"), this);
    lPytanie->setObjectName(QStringLiteral("lPytanie"));
    const TQuestionButtons buttons =
        MakeQuestionButtons(this, QStringLiteral("bTak"), QStringLiteral("bNie"));
    bTak = buttons.yes;
    bNie = buttons.no;
    connect(bTak, &QPushButton::clicked, this, [this] { bTakClick(); });
    buttonRow_ = buttons.row;
}

void TPeriodReportDialog::LayOut(QHBoxLayout *fields) {
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lPytanie, 0, Qt::AlignHCenter);
    layout->addLayout(fields);
    layout->addLayout(buttonRow_);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

int TPeriodReportDialog::ShowFor(darvo::ops::PeriodKind kind) {
    kind_ = kind;
    return ShowModal();
}

bool TPeriodReportDialog::CollectRange(darvo::ops::RangeRecord &range) {
    collecting_ = true;
    const int result = ShowModal();
    collecting_ = false;
    if (result != kYes) return false;
    range = collected_;
    return true;
}

bool TPeriodReportDialog::KeepRange(const darvo::ops::RangeRecord &range) {
    if (!collecting_) return false;
    collected_ = range;
    done(kYes);
    return true;
}

void TPeriodReportDialog::OrderReport(const darvo::ops::RangeRecord &range, uint8_t deviceType) {
    if (int32_t code = PrintControl(1, deviceType); code != 0) {
        host_.ShowCommandError(code);
        return;
    }
    // The report has been ordered: once the paper is back its printout is
    // followed to its end.
    host_.ResumeAfterPaperOut(darvo::ops::PeriodReport(kind_, range, deviceType), deviceType, 0);
    accept();
}
