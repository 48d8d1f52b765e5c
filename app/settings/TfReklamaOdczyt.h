// The customer-display picture read back from the printer.
#pragma once

#include "common/TDialog.h"

#include "ops/Display.h"

#include <QByteArray>

class QLabel;
class QPushButton;

// The rows read back (24 picture bytes at offsets 1..24 of each row) as a
// 1598-byte monochrome Windows bitmap: palette black then white, rows
// bottom-up, each byte inverted so that a dark pixel is colour 0.
QByteArray DisplayReadBackBitmap(const darvo::ops::DisplayRows &rows);

class TfReklamaOdczyt : public TDialog {
  public:
    TfReklamaOdczyt(QWidget *parent, CommandHost &host);

    QLabel *iBitmapa; // stretched to its size
    QPushButton *bOK;

    // Shows the bitmap; false when it cannot be decoded.
    bool LoadPicture(const QByteArray &bitmap);
};
