// The user data file: three comment lines, then one record a header line,
// "$text<TAB>width[<TAB>tall]" with lines ending in CR LF. Four records for
// the four-line printers (the fourth one is the NIP line), six for the
// six-line ones.
#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

struct UserDataRecord {
    QString text;      // the first field, its "$" removed
    int width = 0;     // 20 or 40; 0 when the field holds neither
    bool tall = false; // the third field is "1"
};

struct UserDataFile {
    // The records in file order. After a format error these are the ones
    // read up to and including the faulty one (the dialog shows them).
    std::vector<UserDataRecord> records;
    bool valid = false;
    bool sixLines = false; // six records; else four
};

// Reads the file's bytes (Windows-1250). The fourth record's width is not
// checked (a four-line file's NIP line is always printed 40 wide; a wrong
// one leaves the dialog's width as it is); every other record needs 20 or 40.
UserDataFile ParseUserDataFile(const QByteArray &bytes);
