#include "settings/TfSposobZaokraglania.h"

#include "common/DialogButtons.h"
#include "common/ErrorBeep.h"
#include "common/MessageBoxes.h"
#include "common/TBusyScope.h"
#include "common/TRadioGroup.h"
#include "core/DriverText.h"

#include "ops/Settings.h"

#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
constexpr int32_t kNak = 24; // a printer that does not know the reading refuses it
}

TfSposobZaokraglania::TfSposobZaokraglania(QWidget *parent, CommandHost &host)
    : TDialog(parent, host, QStringLiteral("fSposobZaokraglania"), QStringLiteral("Odpowiedz...")) {
    rgZaokraglanie = new TRadioGroup(QString(),
                                     {QStringLiteral("jednostki groszy"), QStringLiteral("dziesiątki groszy"),
                                      QStringLiteral("jednostki złotych")},
                                     1, this);
    rgZaokraglanie->setObjectName(QStringLiteral("rgZaokraglanie"));
    rgZaokraglanie->SetItemIndex(0);
    auto *question = new QLabel(QStringLiteral("Czy wpisać tak ustawiony sposób zaokrągleń?"), this);
    question->setObjectName(QStringLiteral("Label1"));
    const TQuestionButtons b = MakeQuestionButtons(this);
    Button1 = b.yes;
    Button2 = b.no;
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(rgZaokraglanie);
    layout->addWidget(question);
    layout->addLayout(b.row);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TfSposobZaokraglania::FormActivate() {
    int32_t mode = 0;
    int32_t code = 0;
    {
        TBusyScope busy(host_, {Button1});
        code = darvo::ops::ReadRounding(mode);
    }
    if (code == kNak) {
        code = 0;
        mode = 0;
    }
    if (code != 0) {
        ErrorBeep();
        ErrorBox(ErrorMessageText(code));
    } else if (mode >= 0 && mode < rgZaokraglanie->Count()) {
        rgZaokraglanie->SetItemIndex(mode);
    }
    if (QRadioButton *checked = rgZaokraglanie->Button(rgZaokraglanie->ItemIndex())) checked->setFocus();
}

void TfSposobZaokraglania::Button1Click() {
    const int mode = rgZaokraglanie->ItemIndex();
    if (mode < 0) return;
    int32_t code = 0;
    {
        TBusyScope busy(host_, {Button1});
        code = darvo::ops::WriteRounding(static_cast<uint8_t>(mode));
    }
    if (code != 0) {
        ErrorBeep();
        ErrorBox(ErrorMessageText(code));
        return;
    }
    accept();
}
