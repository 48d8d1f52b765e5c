// The status monitor of the test menu: the printer's status bytes as text,
// read again and again while the dialog is open.
#pragma once

#include "common/TDialog.h"

#include <QStringList>
#include <cstdint>

namespace darvo::ops {
struct Status;
}

class QPushButton;
class QTextEdit;
class QTimer;

class TfBajtyStatusu : public TDialog {
  public:
    TfBajtyStatusu(QWidget *parent, CommandHost &host);

    // The monitor's lines for the status bytes read from a printer of the
    // given type, in the order they are shown.
    static QStringList StatusTexts(const darvo::ops::Status &status, uint8_t deviceType);

    QTextEdit *mStatusy;
    QPushButton *bOK;
    QTimer *tStatus;

    // One tick of tStatus: reads the status bytes and shows them, or shows
    // the error and closes the dialog.
    void tStatusTimer();

  protected:
    void FormActivate() override;
    void FormClose() override;
    bool eventFilter(QObject *watched, QEvent *event) override;
};
