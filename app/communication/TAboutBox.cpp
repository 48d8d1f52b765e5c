#include "communication/TAboutBox.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

TAboutBox::TAboutBox(QWidget *parent, CommandHost &host) : QDialog(parent), host_(host) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("O programie"));

    auto label = [this](const char *name, const QString &text) {
        auto *l = new QLabel(text, this);
        l->setObjectName(QString::fromLatin1(name));
        return l;
    };
    ProgramIcon = label("ProgramIcon", QString());
    ProgramIcon->setPixmap(style()->standardIcon(QStyle::SP_ComputerIcon).pixmap(48, 48));
    ProductName = label("ProductName", QStringLiteral("Program użytkownika drukarek"));
    QFont bold = ProductName->font();
    bold.setBold(true);
    ProductName->setFont(bold);
    Version = label("Version", QStringLiteral("Nivra, Nivra F, Pexa, Pexa F"));
    Copyright = label("Copyright", QStringLiteral("DARVO - drukarki fiskalne"));
    Comments = label("Comments", QStringLiteral("W sprawach drukarki prosimy o kontakt z serwisem DARVO."));
    lWersja = label("lWersja", QStringLiteral("WERSJA 3.05 z dnia 07.02.2008r."));
    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    auto *panel = new QGridLayout;
    panel->addWidget(ProgramIcon, 0, 0, 2, 1, Qt::AlignTop);
    panel->addWidget(ProductName, 0, 1);
    panel->addWidget(Version, 1, 1);
    panel->addWidget(Copyright, 2, 1);
    panel->addWidget(Comments, 3, 1);
    panel->addWidget(lWersja, 4, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKButton);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(panel);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TAboutBox::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    if (QWidget *main = parentWidget()) move(main->geometry().center() - rect().center());
}

void TAboutBox::done(int result) {
    QDialog::done(result);
    host_.ClearActivityMessage();
}
