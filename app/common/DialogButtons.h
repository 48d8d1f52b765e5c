// The "&Tak"/"&Nie" pair of the small question dialogs: "&Tak" the default
// button (Enter in a field presses it), "&Nie" closes without doing anything.
#pragma once

#include <QHBoxLayout>
#include <QPushButton>

class TDialog;

struct TQuestionButtons {
    QPushButton *yes;
    QPushButton *no;
    QHBoxLayout *row;
};

TQuestionButtons MakeQuestionButtons(TDialog *dialog, const QString &yesName = QStringLiteral("Button1"),
                                     const QString &noName = QStringLiteral("Button2"));
// A lone "&OK" button that closes the dialog, centred in its row.
QHBoxLayout *MakeOkButton(TDialog *dialog, QPushButton *&button,
                          const QString &caption = QStringLiteral("&OK"));
