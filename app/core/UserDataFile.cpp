#include "core/UserDataFile.h"

#include "core/DriverText.h"

#include <QList>
#include <QStringList>

namespace {

// Field n (1-based) of a record; fields are separated by single TABs, and
// the first one loses its leading "$". A missing field is empty.
QString FileField(int n, const QString &line) {
    const QStringList fields = line.split(QLatin1Char('\t'));
    if (n < 1 || n > fields.size()) return QString();
    QString field = fields[n - 1];
    if (n == 1 && field.startsWith(QLatin1Char('$'))) field.remove(0, 1);
    return field;
}

UserDataRecord Record(const QString &line) {
    UserDataRecord record;
    record.text = FileField(1, line);
    const QString width = FileField(2, line);
    if (width == QLatin1String("20")) record.width = 20;
    if (width == QLatin1String("40")) record.width = 40;
    record.tall = FileField(3, line) == QLatin1String("1");
    return record;
}

} // namespace

UserDataFile ParseUserDataFile(const QByteArray &bytes) {
    // Lines end in CR LF (a bare LF is taken as well); a last line without
    // its end still counts.
    QList<QByteArray> raw = bytes.split('\n');
    if (!raw.isEmpty() && raw.last().isEmpty()) raw.removeLast();
    QStringList lines;
    for (QByteArray &line : raw) {
        if (line.endsWith('\r')) line.chop(1);
        lines << FromDriver(line.toStdString());
    }

    UserDataFile file;
    auto add = [&file, &lines](int index, bool checkWidth) {
        file.records.push_back(Record(lines[index]));
        return !checkWidth || file.records.back().width != 0;
    };
    for (int index = 3; index <= 6; ++index) // records 1..4 after the comments
        if (index >= lines.size() || !add(index, index != 6)) return file;
    if (lines.size() < 8 || lines[7].isEmpty()) {
        file.valid = true;
        return file;
    }
    if (!add(7, true) || lines.size() < 9 || !add(8, true)) return file;
    file.valid = true;
    file.sixLines = true;
    return file;
}
