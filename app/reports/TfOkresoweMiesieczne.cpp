#include "reports/TfOkresoweMiesieczne.h"

#include "common/TBusyScope.h"
#include "core/AppState.h"

#include "darvodr.h"
#include "darvodr/Reports.h"
#include "darvodr/Session.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <cstring>

TfOkresoweMiesieczne *fOkresoweMiesieczne = nullptr;

TfOkresoweMiesieczne::TfOkresoweMiesieczne(QWidget *parent, CommandHost &host)
    : TPeriodReportDialog(parent, host, QStringLiteral("fOkresoweMiesieczne"),
                          QStringLiteral("Raporty okresowe miesięczne")) {
    fOkresoweMiesieczne = this;
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

void TfOkresoweMiesieczne::MonthRecord(int year, int month, uint8_t record[12]) {
    std::memset(record, 0, 12);
    record[0] = static_cast<uint8_t>(year % 100 / 10);
    record[1] = static_cast<uint8_t>(year % 10);
    record[2] = static_cast<uint8_t>(month / 10);
    record[3] = static_cast<uint8_t>(month % 10);
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
    uint8_t record[12];
    MonthRecord(seRok->value(), seMiesiac->value(), record);
    OrderReport(darvo::DeviceType,
                [&] { return darvo::PeriodReportCommand(static_cast<uint8_t>(PeriodReportKind), record); });
}
