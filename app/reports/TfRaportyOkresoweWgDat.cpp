#include "reports/TfRaportyOkresoweWgDat.h"

#include "common/TBusyScope.h"
#include "core/AppState.h"

#include "ops/Connection.h"
#include "ops/Reports.h"

#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstring>

TfRaportyOkresoweWgDat::TfRaportyOkresoweWgDat(QWidget *parent, CommandHost &host)
    : TPeriodReportDialog(parent, host, QStringLiteral("fRaportyOkresoweWgDat"),
                          QStringLiteral("Raporty okresowe według dat")) {
    auto date = [this](const char *name) {
        auto *d = new QDateEdit(this);
        d->setObjectName(QString::fromLatin1(name));
        d->setCalendarPopup(true);
        d->setDisplayFormat(QLocale(QLocale::Polish).dateFormat(QLocale::ShortFormat));
        // The printer counts years 2000..2099.
        d->setDateRange(QDate(2000, 1, 1), QDate(2099, 12, 31));
        return d;
    };
    dtOd = date("dtOd");
    dtDo = date("dtDo");

    auto *fields = new QHBoxLayout;
    fields->addWidget(dtOd);
    fields->addWidget(dtDo);
    LayOut(fields);
}

void TfRaportyOkresoweWgDat::FormActivate() {
    bTak->setEnabled(true);
    dtOd->setFocus();
}

void TfRaportyOkresoweWgDat::bTakClick() {
    if (!bTak->isEnabled()) return;
    // The busy cursor, and "&Tak" disabled until the command ends, whichever way.
    TBusyScope busy(host_, {bTak});
    const QDate from = dtOd->date(), to = dtDo->date();
    const darvo::ops::RangeRecord record =
        darvo::ops::DatesRecord(from.year(), from.month(), from.day(), to.year(), to.month(), to.day());
    if (KeepRange(record)) return;
    // The older printers know only the report by dates, and another way.
    uint8_t type = 9;
    if (int32_t code = darvo::ops::ReadDeviceType(type); code != 0) {
        host_.ShowCommandError(code);
        reject();
        return;
    }
    OrderReport(record, type);
}
