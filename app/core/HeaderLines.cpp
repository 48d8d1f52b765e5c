#include "core/HeaderLines.h"

QString ControlsToSpaces(const QString &text) {
    QString out = text;
    for (QChar &c : out)
        if (c.unicode() < 32) c = QLatin1Char(' ');
    return out;
}

QString CentreLine(const QString &text, int width) {
    QString s = ControlsToSpaces(text);
    qsizetype first = 0, last = s.size();
    while (first < last && s[first] == QLatin1Char(' '))
        ++first;
    while (last > first && s[last - 1] == QLatin1Char(' '))
        --last;
    s = s.mid(first, last - first).left(width);
    const qsizetype spare = width - s.size();
    return QString(spare / 2, QLatin1Char(' ')) + s + QString(spare - spare / 2, QLatin1Char(' '));
}

QString PadLine(const QString &text, int width) {
    const QString s = ControlsToSpaces(text);
    if (s.size() <= width) return s + QString(width - s.size(), QLatin1Char(' '));
    return s.left(width);
}

int CheckNip(const QString &text) {
    int digits[10] = {};
    int count = 0;
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) continue;
        if (count < 10) digits[count] = c.unicode() - '0';
        ++count;
    }
    if (count == 0) return kNipNoDigits;
    if (!text.contains(QStringLiteral("NIP"), Qt::CaseInsensitive)) return kNipNoWord;
    if (count != 10) return kNipWrong;
    static constexpr int kWeights[9] = {6, 5, 7, 2, 3, 4, 5, 6, 7};
    int sum = 0;
    for (int i = 0; i < 9; ++i)
        sum += kWeights[i] * digits[i];
    const int check = sum % 11 == 10 ? 0 : sum % 11;
    return check == digits[9] ? kNipCorrect : kNipWrong;
}
