// The customer-display picture: a monochrome 192 x 64 Windows bitmap loaded
// into the display buffer, and the dialog that sends it to the printer.
#pragma once

#include "common/TDialog.h"
#include "core/DisplayBitmap.h"

#include <QString>

class QPushButton;

// Reads the file into the display buffer; false after the message.
bool LoadDisplayBitmap(const QString &fileName);

class TfReklama : public TDialog {
  public:
    TfReklama(QWidget *parent, CommandHost &host);

    QPushButton *bZapis; // "Zapis do drukarki"

    // The picture file dialog: a bitmap that exists (empty: cancelled).
    QString opOpen();
    void WriteToPrinter();
};
