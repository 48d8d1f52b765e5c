// The customer-display picture: a monochrome 192 x 64 Windows bitmap loaded
// into the display buffer, and the dialog that sends it to the printer.
#pragma once

#include "Dialog.h"

#include "darvodr/Host.h"

#include <QByteArray>
#include <QString>

class QPushButton;

// Checks the bitmap's bytes and turns them into 64 rows of 24 picture bytes
// (a dark pixel is a set bit, leftmost pixel in the most significant bit)
// and their XOR. Returns the empty text on success, else the message; the
// rows are left unchanged then.
QString DecodeDisplayBitmap(const QByteArray &file, darvo::DisplayRows &rows);
// Reads the file into the display buffer; false after the message.
bool LoadDisplayBitmap(const QString &fileName);

class TfReklama : public TDialog {
  public:
    explicit TfReklama(QWidget *parent);

    QPushButton *bZapis; // "Zapis do drukarki"

    // The picture file dialog: a bitmap that exists (empty: cancelled).
    QString opOpen();
    void WriteToPrinter();
};

extern TfReklama *fReklama;
