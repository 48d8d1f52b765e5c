// The time field of the clock dialogs ("hh:mm"): a masked edit that refuses,
// as the user types, the digits that cannot make a time of day, and the
// reading of an hour and a minute from such a text.
#pragma once

#include <QLineEdit>
#include <QString>

class TTimeEdit : public QLineEdit {
  public:
    explicit TTimeEdit(QWidget *parent);

  protected:
    void keyPressEvent(QKeyEvent *event) override;
};

// Hour from characters 1-2 and minute from characters 4-5 of the text; false
// when either does not convert, the hour is above 23 or the minute above 59.
bool ParseTimeText(const QString &text, int &hour, int &minute);

// The message for a time that does not parse.
inline QString BadTimeText() {
    return QStringLiteral("Godzina została wprowadzona nieprawidłowo.");
}
