#include "reports/TfOkresoweWgNumerow.h"

#include "common/DialogButtons.h"
#include "common/ErrorBeep.h"
#include "common/MessageBoxes.h"
#include "common/TBusyScope.h"
#include "core/AppState.h"

#include "ops/Connection.h"
#include "ops/Reports.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <cstring>

TfOkresoweWgNumerow::TfOkresoweWgNumerow(QWidget *parent, CommandHost &host)
    : TPeriodReportDialog(parent, host, QStringLiteral("fOkresoweWgNumerow"),
                          QStringLiteral("Raporty okresowe według numerów")) {
    auto spin = [this](const char *name) {
        auto *s = new QSpinBox(this);
        s->setObjectName(QString::fromLatin1(name));
        s->setRange(1, 3000);
        s->setValue(1);
        return s;
    };
    seOd = spin("seOd");
    seDo = spin("seDo");
    // The last number can never be below the first.
    connect(seOd, &QSpinBox::valueChanged, this, [this](int value) { seDo->setMinimum(value); });

    auto *fields = new QHBoxLayout;
    fields->addWidget(new QLabel(QStringLiteral("Od"), this));
    fields->addWidget(seOd);
    fields->addWidget(new QLabel(QStringLiteral("do"), this));
    fields->addWidget(seDo);
    LayOut(fields);
}

void TfOkresoweWgNumerow::FormActivate() {
    bTak->setEnabled(true);
    seOd->setFocus();
    seOd->selectAll();
}

void TfOkresoweWgNumerow::bTakClick() {
    if (!bTak->isEnabled()) return;
    // The busy cursor, and "&Tak" disabled until the command ends, whichever way.
    TBusyScope busy(host_, {bTak});
    // The port is made ready for the long report first, in both uses: the
    // settlement report that collects this range takes long as well.
    const int32_t opened = ReopenForPeriodReport();
    const darvo::ops::RangeRecord record = darvo::ops::NumbersRecord(seOd->value(), seDo->value());
    if (KeepRange(record)) return;
    if (opened != 0) {
        host_.ShowCommandError(opened);
        reject();
        return;
    }
    OrderReport(record);
}
