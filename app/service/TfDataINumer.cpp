#include "service/TfDataINumer.h"

#include "common/ErrorBeep.h"
#include "common/MessageBoxes.h"
#include "core/AppState.h"

#include <QDateEdit>
#include <QDateTime>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>

TfDataINumer::TfDataINumer(QWidget *parent, CommandHost &host)
    : TDialog(parent, host, QStringLiteral("fDataINumer"),
              QStringLiteral("Podaj datę i numer unikatowy urządzenia")) {
    auto *lDate = new QLabel(QStringLiteral("Data bieżąca"), this);
    lDate->setObjectName(QStringLiteral("Label1"));
    auto *lNumber = new QLabel(QStringLiteral("Numer unikatowy (cyfry)"), this);
    lNumber->setObjectName(QStringLiteral("Label2"));
    auto *question = new QLabel(QStringLiteral("Czy wykonać raport?"), this);
    question->setObjectName(QStringLiteral("Label3"));

    db = new QDateEdit(this);
    db->setObjectName(QStringLiteral("db"));
    const QLocale polish(QLocale::Polish, QLocale::Poland);
    db->setLocale(polish);
    db->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    db->setCalendarPopup(true);
    db->setDateRange(QDate(2000, 1, 1), QDate(2099, 12, 31));
    meNumer = new QLineEdit(this);
    meNumer->setObjectName(QStringLiteral("meNumer"));
    meNumer->setInputMask(QStringLiteral("00000000;_"));
    lDate->setBuddy(db);
    lNumber->setBuddy(meNumer);

    bTak = new QPushButton(QStringLiteral("Tak"), this);
    bTak->setObjectName(QStringLiteral("bTak"));
    bTak->setAutoDefault(false);
    bNie = new QPushButton(QStringLiteral("Nie"), this);
    bNie->setObjectName(QStringLiteral("bNie"));
    bNie->setAutoDefault(false);
    bNie->setDefault(true);
    connect(bTak, &QPushButton::clicked, this, [this] { bTakClick(); });
    connect(bNie, &QPushButton::clicked, this, [this] { done(kNo); });

    auto *fields = new QGridLayout;
    fields->addWidget(lDate, 0, 0);
    fields->addWidget(db, 0, 1);
    fields->addWidget(lNumber, 1, 0);
    fields->addWidget(meNumer, 1, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(bTak);
    buttons->addWidget(bNie);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(question);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TfDataINumer::Prepare() {
    db->setDate(CurrentDateTime().date().addDays(-1));
    meNumer->clear();
}

void TfDataINumer::FormActivate() {
    meNumer->setFocus();
}

void TfDataINumer::reject() {
    done(kNo);
}

void TfDataINumer::bTakClick() {
    // The mask's own check lets an unfilled position through.
    static const QRegularExpression eightDigits(QStringLiteral("^[0-9]{8}$"));
    if (!eightDigits.match(meNumer->text()).hasMatch()) {
        ErrorBeep();
        ErrorBox(QStringLiteral("Numer unikatowy musi składać się z 8 cyfr."));
        meNumer->setFocus();
        return;
    }
    done(kYes);
}

QString TfDataINumer::DateText() const {
    return QStringLiteral("20") + db->date().toString(QStringLiteral("yy.MM.dd"));
}

QString TfDataINumer::Number() const {
    return meNumer->text();
}
