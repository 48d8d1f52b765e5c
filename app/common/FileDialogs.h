// Every file dialog of the program goes through here: the open dialog (the
// file must exist) and the save dialog (asks before replacing a file), both
// opening in the current directory with a Delphi-style filter
// ("Description (*.txt)|*.txt|All|*.*").
//
// Tests put in a chooser that answers with a path (empty: cancelled).
#pragma once

#include <QString>
#include <functional>

class QWidget;

enum class FileDialogKind { Open, Save };

struct FileDialogRequest {
    FileDialogKind kind = FileDialogKind::Open;
    QString filter; // as "Description|pattern|Description|pattern"
};

using FileChooser = std::function<QString(const FileDialogRequest &)>;
// An empty chooser restores the program's own dialogs.
void SetFileChooser(FileChooser chooser);

// The chosen path, or an empty text when the user cancelled.
QString ChooseFile(QWidget *parent, FileDialogKind kind, const QString &filter);

// "A|a|B|b" as Qt's file dialog wants it: "A;;B" (the patterns are already
// part of each description).
QString QtFilter(const QString &delphiFilter);
