#include "reports/TfRaportyOkresoweWgDat.h"

#include "common/TBusyScope.h"
#include "core/AppState.h"

#include "darvodr.h"
#include "darvodr/Reports.h"
#include "darvodr/Session.h"

#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstring>

TfRaportyOkresoweWgDat *fRaportyOkresoweWgDat = nullptr;

TfRaportyOkresoweWgDat::TfRaportyOkresoweWgDat(QWidget *parent, CommandHost &host)
    : TPeriodReportDialog(parent, host, QStringLiteral("fRaportyOkresoweWgDat"),
                          QStringLiteral("Raporty okresowe według dat")) {
    fRaportyOkresoweWgDat = this;
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

void TfRaportyOkresoweWgDat::DatesRecord(const QDate &from, const QDate &to, uint8_t record[12]) {
    // "yy-mm-dd" of each date, its six digits as values.
    const QString text = from.toString(QStringLiteral("yy-MM-dd")) + to.toString(QStringLiteral("yy-MM-dd"));
    static const int digitAt[6] = {0, 1, 3, 4, 6, 7};
    for (int date = 0; date < 2; ++date)
        for (int i = 0; i < 6; ++i)
            record[date * 6 + i] = static_cast<uint8_t>(text.at(date * 8 + digitAt[i]).digitValue());
}

void TfRaportyOkresoweWgDat::FormActivate() {
    bTak->setEnabled(true);
    dtOd->setFocus();
}

void TfRaportyOkresoweWgDat::bTakClick() {
    if (!bTak->isEnabled()) return;
    // The busy cursor, and "&Tak" disabled until the command ends, whichever way.
    TBusyScope busy(host_, {bTak});
    uint8_t record[12];
    DatesRecord(dtOd->date(), dtDo->date(), record);
    if (SettlementRangeMode) {
        std::memcpy(SettlementRange, record, sizeof record);
        done(kModalYes);
        return;
    }
    uint8_t type = 9;
    int32_t version = 0;
    if (int32_t code = darvo::ReadDeviceType(type, version); code != 0) {
        host_.ShowCommandError(code);
        reject();
        return;
    }
    OrderReport(type, [&] {
        if (darvo::IsNewerPrinter(type))
            return darvo::PeriodReportCommand(static_cast<uint8_t>(PeriodReportKind), record);
        // The older printers know only the report by dates, detailed or short.
        auto number = [&](int at) { return record[at] * 10 + record[at + 1]; };
        return PeriodReport(PeriodReportKind == 0 ? 1 : 0, number(0), number(2), number(4), number(6),
                            number(8), number(10));
    });
}
