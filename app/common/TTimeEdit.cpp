#include "common/TTimeEdit.h"

#include <QKeyEvent>

TTimeEdit::TTimeEdit(QWidget *parent) : QLineEdit(parent) {
    setObjectName(QStringLiteral("meZegar"));
    setInputMask(QStringLiteral("90:00;_"));
    setMaxLength(5);
}

void TTimeEdit::keyPressEvent(QKeyEvent *event) {
    const QString typed = event->text();
    if (typed.size() != 1 || !typed[0].isDigit()) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    const QChar digit = typed[0];
    int position = hasSelectedText() ? selectionStart() : cursorPosition();
    if (position == 2) position = 3; // the colon is skipped
    const QString shown = displayText();
    switch (position) {
    case 0:
        if (digit > QLatin1Char('2')) return;
        if (digit == QLatin1Char('2') && shown.size() > 1 && shown[1].isDigit() &&
            shown[1] > QLatin1Char('3')) {
            // 2 in front of 4..9 is no hour: the units go.
            setCursorPosition(1);
            del();
            setCursorPosition(0);
        }
        break;
    case 1:
        if (shown.startsWith(QLatin1Char('2')) && digit > QLatin1Char('3')) return;
        break;
    case 3:
        if (digit > QLatin1Char('5')) return;
        break;
    default: break;
    }
    QLineEdit::keyPressEvent(event);
}

bool ParseTimeText(const QString &text, int &hour, int &minute) {
    bool hourOk = false, minuteOk = false;
    hour = text.mid(0, 2).toInt(&hourOk);
    minute = text.mid(3, 2).toInt(&minuteOk);
    return hourOk && minuteOk && hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59;
}
