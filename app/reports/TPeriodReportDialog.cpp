#include "reports/TPeriodReportDialog.h"

#include "common/DialogButtons.h"
#include "core/AppState.h"

#include "darvodr.h"
#include "darvodr/Reports.h"
#include "darvodr/Session.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

int32_t ReopenForPeriodReport() {
    darvo::PurgePort();
    darvo::CloseSessionPort();
    if (SelectedPort == 0) return 114; // no port chosen yet
    return darvo::OpenSessionPort(SelectedPort, SelectedSpeed, darvo::PortWriteTimeout,
                                  darvo::kPeriodReportReadTimeout);
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

void TPeriodReportDialog::OrderReport(uint8_t deviceType, const std::function<int32_t()> &report) {
    if (int32_t code = PrintControl(1, deviceType); code != 0) {
        host_.ShowCommandError(code);
        return;
    }
    // The report has been ordered: once the paper is back its printout is
    // followed to its end.
    host_.ResumeAfterPaperOut(report(), deviceType, 0);
    accept();
}
