// The header lines of a receipt (the user data) and the advertising lines:
// their formatters and the check of the line with the tax identification
// number.
#pragma once

#include <QString>

// Every character below code 32 as a space.
QString ControlsToSpaces(const QString &text);

// The header line formatters (also used for the advertising lines). Both
// replace every character below code 32 by a space and give exactly `width`
// characters: CentreLine trims, cuts and centres (an odd spare space goes to
// the right), PadLine fills with spaces on the right or cuts.
QString CentreLine(const QString &text, int width);
QString PadLine(const QString &text, int width);

// Checks the line that holds the tax identification number.
enum NipCheck { kNipCorrect = 0, kNipWrong = 1, kNipNoDigits = 2, kNipNoWord = 3 };
int CheckNip(const QString &text);
