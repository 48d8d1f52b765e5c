#include "taxes/TfOdczytStawek.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TfOdczytStawek::TfOdczytStawek(QWidget *parent, CommandHost &host)
    : TDialog(parent, host, QStringLiteral("fOdczytStawek"),
              QStringLiteral("Stawki podatkowe z drukarki fiskalnej ")) {
    auto *layout = new QVBoxLayout(this);
    QFont fixed(QStringLiteral("Monospace"));
    fixed.setStyleHint(QFont::TypeWriter);
    for (size_t i = 0; i < Label.size(); ++i) {
        Label[i] = new QLabel(this);
        Label[i]->setObjectName(QStringLiteral("Label%1").arg(i + 1));
        Label[i]->setFont(fixed);
        layout->addWidget(Label[i]);
    }
    bOK = new QPushButton(QStringLiteral("&OK"), this);
    bOK->setObjectName(QStringLiteral("bOK"));
    bOK->setDefault(true);
    connect(bOK, &QPushButton::clicked, this, &QDialog::accept);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(bOK);
    buttons->addStretch();
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}
