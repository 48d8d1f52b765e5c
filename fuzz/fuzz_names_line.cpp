// The "baza.txt" reader: any bytes as the file, split into lines as the
// names printout reads them. An article always has a name without a TAB.
#include "core/NamesFile.h"

#include <QList>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray file(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    for (QByteArray line : file.split('\n')) {
        if (line.endsWith('\r')) line.chop(1);
        std::string name;
        uint8_t rate = 'A';
        if (!SplitNamesLine(line, name, rate)) continue;
        if (name.empty() || name.find('\t') != std::string::npos ||
            name.size() > static_cast<size_t>(line.size())) {
            std::fprintf(stderr, "an article with a wrong name\n");
            std::abort();
        }
    }
    return 0;
}
