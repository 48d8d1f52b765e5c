#include "common/MessageBoxes.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace {

class QtPresenter : public MessageBoxPresenter {
  public:
    BoxAnswer Present(const BoxRequest &request) override {
        QWidget *parent = QApplication::activeModalWidget();
        if (!parent) parent = QApplication::activeWindow();
        std::unique_ptr<QMessageBox> box = BuildMessageBox(request, parent);
        const int result = box->exec();
        if (!IsQuestion(request.kind)) return BoxAnswer::Ok;
        return result == QMessageBox::Yes ? BoxAnswer::Yes : BoxAnswer::No;
    }
};

QtPresenter qtPresenter;
MessageBoxPresenter *presenter = &qtPresenter;

} // namespace

bool IsQuestion(BoxKind kind) {
    return kind == BoxKind::ErrorQuestion || kind == BoxKind::Question || kind == BoxKind::WarningQuestion;
}

QString BoxDisplayText(const QString &text) {
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

std::unique_ptr<QMessageBox> BuildMessageBox(const BoxRequest &request, QWidget *parent) {
    auto box = std::make_unique<QMessageBox>(parent);
    box->setWindowTitle(request.caption);
    box->setTextFormat(Qt::PlainText);
    box->setText(BoxDisplayText(request.text));
    box->setWindowModality(Qt::ApplicationModal);
    switch (request.kind) {
    case BoxKind::Error:
    case BoxKind::ErrorQuestion: box->setIcon(QMessageBox::Critical); break;
    case BoxKind::Question: box->setIcon(QMessageBox::Question); break;
    case BoxKind::Warning:
    case BoxKind::WarningQuestion: box->setIcon(QMessageBox::Warning); break;
    case BoxKind::Information: box->setIcon(QMessageBox::Information); break;
    }
    if (IsQuestion(request.kind)) {
        box->setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box->setDefaultButton(request.defaultNo ? QMessageBox::No : QMessageBox::Yes);
        box->setEscapeButton(QMessageBox::No);
    } else {
        box->setStandardButtons(QMessageBox::Ok);
        box->setDefaultButton(QMessageBox::Ok);
        box->setEscapeButton(QMessageBox::Ok);
    }
    return box;
}

void SetMessageBoxPresenter(MessageBoxPresenter *p) {
    presenter = p ? p : &qtPresenter;
}

BoxAnswer ShowBox(BoxKind kind, const QString &caption, const QString &text, bool defaultNo) {
    BoxRequest request;
    request.kind = kind;
    request.caption = caption;
    request.text = text;
    request.defaultNo = defaultNo;
    return presenter->Present(request);
}

void ErrorBox(const QString &text) {
    ShowBox(BoxKind::Error, QStringLiteral("Błąd"), text);
}
