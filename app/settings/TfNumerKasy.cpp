#include "settings/TfNumerKasy.h"

#include "common/DialogButtons.h"
#include "common/ErrorBeep.h"
#include "common/MessageBoxes.h"
#include "common/TBusyScope.h"
#include "core/DriverText.h"

#include "ops/Settings.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>

QString CashRegisterNumberText(int number) {
    return QStringLiteral("%1").arg(number, 2, 10, QLatin1Char('0'));
}

QString OperatorCodeText(const QString &code) {
    return code.rightJustified(2, QLatin1Char(' '));
}

TfNumerKasy::TfNumerKasy(QWidget *parent, CommandHost &host)
    : TDialog(parent, host, QStringLiteral("fNumerKasy"), QStringLiteral("Odpowiedz...")) {
    seNrKasy = new QSpinBox(this);
    seNrKasy->setObjectName(QStringLiteral("seNrKasy"));
    seNrKasy->setRange(1, 99);
    eKod = new QLineEdit(this);
    eKod->setObjectName(QStringLiteral("eKod"));
    eKod->setMaxLength(2);
    auto *question = new QLabel(QStringLiteral("Czy wpisać tak ustawione dane?"), this);
    question->setObjectName(QStringLiteral("Label3"));
    const TQuestionButtons b = MakeQuestionButtons(this);
    Button1 = b.yes;
    Button2 = b.no;
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });

    auto *fields = new QFormLayout;
    fields->addRow(QStringLiteral("Numer kasy"), seNrKasy);
    fields->addRow(QStringLiteral("Kod obsługującego"), eKod);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(question);
    layout->addLayout(b.row);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TfNumerKasy::FormActivate() {
    seNrKasy->setFocus();
}

void TfNumerKasy::Button1Click() {
    int32_t code = 0;
    {
        TBusyScope busy(host_, {Button1});
        code = darvo::ops::WritePrinterNumber(ToDriver(CashRegisterNumberText(seNrKasy->value())),
                                              ToDriver(OperatorCodeText(eKod->text())));
    }
    if (code != 0) {
        ErrorBeep();
        ErrorBox(ErrorMessageText(code));
        return;
    }
    accept();
}
