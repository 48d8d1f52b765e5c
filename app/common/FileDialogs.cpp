#include "common/FileDialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QStringList>

namespace {
FileChooser &Chooser() {
    static FileChooser chooser;
    return chooser;
}
} // namespace

void SetFileChooser(FileChooser chooser) {
    Chooser() = std::move(chooser);
}

QString QtFilter(const QString &delphiFilter) {
    const QStringList parts = delphiFilter.split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i];
        // The patterns a description does not show yet are added to it.
        if (!description.contains(parts[i + 1])) description += QStringLiteral(" (%1)").arg(parts[i + 1]);
        out << description;
    }
    return out.join(QStringLiteral(";;"));
}

QString ChooseFile(QWidget *parent, FileDialogKind kind, const QString &filter) {
    if (Chooser()) return Chooser()({kind, filter});
    const QString dir = QDir::currentPath();
    if (kind == FileDialogKind::Open)
        return QFileDialog::getOpenFileName(parent, QString(), dir, QtFilter(filter));
    // The save dialog asks before it replaces an existing file.
    return QFileDialog::getSaveFileName(parent, QString(), dir, QtFilter(filter));
}
