// The user data file reader: any bytes as the file. A file taken has four
// or six records, each 20 or 40 wide but the fourth (not checked); a
// refused one holds no more records than the six lines.
#include "core/UserDataFile.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const UserDataFile file = ParseUserDataFile(bytes);
    bool sound = file.records.size() <= 6;
    if (file.valid) {
        sound = sound && file.records.size() == (file.sixLines ? 6u : 4u);
        for (size_t i = 0; sound && i < file.records.size(); ++i)
            sound = file.records[i].width != 0 || i == 3;
    }
    for (const UserDataRecord &record : file.records)
        sound = sound && !record.text.contains(QLatin1Char('\t')) &&
                !record.text.contains(QLatin1Char('\n')) &&
                (record.width == 0 || record.width == 20 || record.width == 40);
    if (!sound) {
        std::fprintf(stderr, "the user data file reader gave wrong records\n");
        std::abort();
    }
    return 0;
}
