// The busy cursor: the animated cursor file "hourglas.ani" when the program
// finds one in its current directory, the standard busy cursor otherwise.
#pragma once

#include <QByteArray>
#include <QCursor>
#include <QString>
#include <vector>

// The frames of an animated cursor (a RIFF "ACON" file of Windows cursors),
// in the order they are shown, each with its time on screen.
struct AnimatedCursor {
    struct Step {
        QCursor cursor;
        int milliseconds = 0;
    };
    std::vector<Step> steps;
};

// Reads an animated cursor file's contents; every frame is brought to the
// default cursor size (32 × 32) with its hot spot. False for a damaged file,
// which leaves the result empty.
bool ReadAnimatedCursor(const QByteArray &data, AnimatedCursor &cursor);

// Loads the file as the program's busy cursor; false (and the standard busy
// cursor stays) when it is missing or cannot be read.
bool LoadBusyCursor(const QString &path);
// Back to the standard busy cursor.
void ResetBusyCursor();
// The loaded cursor, or none (the standard busy cursor is used).
const AnimatedCursor *LoadedBusyCursor();
