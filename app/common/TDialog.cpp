#include "common/TDialog.h"

#include <QGuiApplication>
#include <QScreen>
#include <QShowEvent>

namespace {
TDialog::Runner &ModalRunner() {
    static TDialog::Runner runner;
    return runner;
}
} // namespace

TDialog::TDialog(QWidget *parent, CommandHost &host, const QString &objectName, const QString &caption)
    : QDialog(parent), host_(host) {
    setObjectName(objectName);
    setWindowTitle(caption);
    setModal(true);
}

void TDialog::SetModalRunner(Runner runner) {
    ModalRunner() = std::move(runner);
}

bool TDialog::HasModalRunner() {
    return static_cast<bool>(ModalRunner());
}

int TDialog::ShowModal() {
    if (!ModalRunner()) return exec();
    setResult(QDialog::Rejected);
    Activate();
    // A copy: the runner may open another dialog that replaces nothing,
    // but a test may also reset the runner from inside.
    Runner runner = ModalRunner();
    runner(*this);
    if (isVisible()) hide();
    Close();
    return result();
}

void TDialog::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) Activate();
}

void TDialog::Activate() {
    closed_ = false;
    QWidget *main = parentWidget();
    if (main && main->isVisible())
        move(main->frameGeometry().center() - rect().center());
    else if (QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    FormActivate();
}

void TDialog::done(int r) {
    QDialog::done(r);
    Close();
}

void TDialog::Close() {
    if (closed_) return;
    closed_ = true;
    FormClose();
    host_.ClearActivityMessage();
}
