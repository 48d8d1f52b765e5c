#include "reports/TfOkresoweMiesieczne.h"

#include "common/TBusyScope.h"
#include "core/AppState.h"

#include "ops/Connection.h"
#include "ops/Reports.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <cstring>

TfOkresoweMiesieczne::TfOkresoweMiesieczne(QWidget *parent, CommandHost &host)
    : TPeriodReportDialog(parent, host, QStringLiteral("fOkresoweMiesieczne"),
                          QStringLiteral("Raporty okresowe miesięczne")) {
    seRok = new QSpinBox(this);
    seRok->setObjectName(QStringLiteral("seRok"));
    seRok->setRange(2001, 2050);
    seMiesiac = new QSpinBox(this);
    seMiesiac->setObjectName(QStringLiteral("seMiesiac"));
    seMiesiac->setRange(1, 12);
    if (QLineEdit *edit = seMiesiac->findChild<QLineEdit *>()) edit->setMaxLength(2);

    auto *fields = new QHBoxLayout;
    fields->addWidget(new QLabel(QStringLiteral("Rok:"), this));
    fields->addWidget(seRok);
    fields->addWidget(new QLabel(QStringLiteral("Miesiąc:"), this));
    fields->addWidget(seMiesiac);
    LayOut(fields);
}

void TfOkresoweMiesieczne::FormActivate() {
    bTak->setEnabled(true);
    seRok->setFocus();
    seRok->selectAll();
}

void TfOkresoweMiesieczne::bTakClick() {
    if (!bTak->isEnabled()) return;
    // The busy cursor, and "&Tak" disabled until the command ends, whichever way.
    TBusyScope busy(host_, {bTak});
    if (int32_t opened = ReopenForPeriodReport(); opened != 0) {
        host_.ShowCommandError(opened);
        reject();
        return;
    }
    OrderReport(darvo::ops::MonthRecord(seRok->value(), seMiesiac->value()));
}
