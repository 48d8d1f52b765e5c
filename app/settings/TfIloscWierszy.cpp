#include "settings/TfIloscWierszy.h"

#include "common/DialogButtons.h"
#include "common/ErrorBeep.h"
#include "common/MessageBoxes.h"
#include "common/TBusyScope.h"
#include "core/DriverText.h"

#include "ops/Settings.h"

#include <QFormLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

TfIloscWierszy::TfIloscWierszy(QWidget *parent, CommandHost &host)
    : TDialog(parent, host, QStringLiteral("fIloscWierszy"), QStringLiteral("Odpowiedz...")) {
    seIloscWierszy = new QSpinBox(this);
    seIloscWierszy->setObjectName(QStringLiteral("seIloscWierszy"));
    seIloscWierszy->setRange(3, 30);
    auto *question = new QLabel(QStringLiteral("Czy wpisać tak ustawioną liczbę?"), this);
    question->setObjectName(QStringLiteral("Label2"));
    const TQuestionButtons b = MakeQuestionButtons(this);
    Button1 = b.yes;
    Button2 = b.no;
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });

    auto *fields = new QFormLayout;
    fields->addRow(QStringLiteral("Liczba wysuwów:"), seIloscWierszy);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(question);
    layout->addLayout(b.row);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TfIloscWierszy::FormActivate() {
    seIloscWierszy->setFocus();
}

void TfIloscWierszy::Button1Click() {
    int32_t code = 0;
    {
        TBusyScope busy(host_, {Button1});
        code = darvo::ops::WriteFeedLines(static_cast<uint8_t>(seIloscWierszy->value()));
    }
    if (code != 0) {
        ErrorBeep();
        ErrorBox(ErrorMessageText(code));
        return;
    }
    accept();
}
