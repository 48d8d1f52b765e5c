#include "common/DialogButtons.h"

#include "common/TDialog.h"

TQuestionButtons MakeQuestionButtons(TDialog *dialog, const QString &yesName, const QString &noName) {
    TQuestionButtons b;
    b.yes = new QPushButton(QStringLiteral("&Tak"), dialog);
    b.yes->setObjectName(yesName);
    b.yes->setAutoDefault(false);
    b.yes->setDefault(true);
    b.no = new QPushButton(QStringLiteral("&Nie"), dialog);
    b.no->setObjectName(noName);
    b.no->setAutoDefault(false);
    QObject::connect(b.no, &QPushButton::clicked, dialog, &QDialog::reject);
    b.row = new QHBoxLayout;
    b.row->addStretch();
    b.row->addWidget(b.yes);
    b.row->addWidget(b.no);
    b.row->addStretch();
    return b;
}

QHBoxLayout *MakeOkButton(TDialog *dialog, QPushButton *&button, const QString &caption) {
    button = new QPushButton(caption, dialog);
    button->setObjectName(QStringLiteral("bOK"));
    button->setDefault(true);
    QObject::connect(button, &QPushButton::clicked, dialog, &QDialog::accept);
    auto *row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(button);
    row->addStretch();
    return row;
}
