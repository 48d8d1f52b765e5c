// Every message box of the program goes through here: an error box, an
// error question, a question, a warning, a warning question or an
// information box, with its caption and text. Lines of a text are separated
// by a carriage return ("\r"; "\r\n" is one line break as well).
//
// A presenter decides how a box is shown; the program's own shows an
// application-modal Qt message box with Polish buttons, and tests put in
// one that records the boxes and gives scripted answers.
#pragma once

#include <QString>
#include <memory>

class QMessageBox;
class QWidget;

enum class BoxKind { Error, ErrorQuestion, Question, Warning, WarningQuestion, Information };
enum class BoxAnswer { Ok, Yes, No };

struct BoxRequest {
    BoxKind kind = BoxKind::Error;
    QString caption;
    QString text;
    bool defaultNo = false; // Yes/No boxes: No is the default button
};

class MessageBoxPresenter {
  public:
    virtual ~MessageBoxPresenter() = default;
    virtual BoxAnswer Present(const BoxRequest &request) = 0;
};

// Null restores the program's own presenter.
void SetMessageBoxPresenter(MessageBoxPresenter *presenter);

BoxAnswer ShowBox(BoxKind kind, const QString &caption, const QString &text, bool defaultNo = false);
// An error box captioned "Błąd".
void ErrorBox(const QString &text);

// The Qt box the program's own presenter shows for a request (not yet shown).
std::unique_ptr<QMessageBox> BuildMessageBox(const BoxRequest &request, QWidget *parent);
// The text with its carriage-return line breaks as the box shows them.
QString BoxDisplayText(const QString &text);
bool IsQuestion(BoxKind kind);
