#include "printertests/TfNumerUnikatowy.h"

#include "common/DialogButtons.h"

#include <QLabel>
#include <QVBoxLayout>

TfNumerUnikatowy::TfNumerUnikatowy(QWidget *parent, CommandHost &host)
    : TDialog(parent, host, QStringLiteral("fNumerUnikatowy"), QStringLiteral("Informacja...")) {
    lNumerUnikatowy = new QLabel(this);
    lNumerUnikatowy->setObjectName(QStringLiteral("lNumerUnikatowy"));
    lNumerUnikatowy->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lNumerUnikatowy);
    layout->addLayout(MakeOkButton(this, bOK));
    layout->setSizeConstraint(QLayout::SetFixedSize);
}
