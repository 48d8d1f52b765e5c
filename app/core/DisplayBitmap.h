// The customer-display picture file: a monochrome 192 x 64 Windows bitmap.
#pragma once

#include "ops/Display.h"

#include <QByteArray>
#include <QString>

// The message for a file that is no such bitmap at all.
QString DisplayBitmapFormatError();

// Checks the bitmap's bytes and turns them into 64 rows of 24 picture bytes
// (a dark pixel is a set bit, leftmost pixel in the most significant bit)
// and their XOR. Returns the empty text on success, else the message; the
// rows are left unchanged then.
QString DecodeDisplayBitmap(const QByteArray &file, darvo::ops::DisplayRows &rows);
