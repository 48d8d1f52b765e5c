#include "core/NamesFile.h"

bool SplitNamesLine(const QByteArray &line, std::string &name, uint8_t &rate) {
    const qsizetype tab = line.indexOf('\t');
    QByteArray field1 = tab < 0 ? line : line.left(tab);
    if (field1.startsWith('$')) field1.remove(0, 1);
    if (field1.isEmpty()) return false;
    name = field1.toStdString();
    rate = 'A';
    if (tab >= 0 && tab + 1 < line.size() && line.at(tab + 1) != '\t')
        rate = static_cast<uint8_t>(line.at(tab + 1));
    return true;
}
