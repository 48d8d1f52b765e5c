// The base of every dialog the menu commands open: created once at start-up
// with the window it works for (its parent) and that window's host, shown
// modally, centred over its parent on activation; Esc closes it, Enter acts
// as its default button, and closing it clears the activity text.
#pragma once

#include "common/CommandHost.h"

#include <QDialog>
#include <functional>

class TDialog : public QDialog {
  public:
    // The results of a dialog closed with "&Tak" and with "&Nie".
    static constexpr int kYes = 6;
    static constexpr int kNo = 7;

    TDialog(QWidget *parent, CommandHost &host, const QString &objectName, const QString &caption);

    // Shows the dialog modally and returns its result. Tests replace the
    // modal loop with a runner: the dialog is activated, the runner acts on
    // it (fills fields, clicks buttons), and the dialog is closed again.
    int ShowModal();
    using Runner = std::function<void(TDialog &)>;
    static void SetModalRunner(Runner runner);
    static bool HasModalRunner();

  protected:
    // Run each time the dialog is shown, after it has been centred.
    virtual void FormActivate() {}
    // Run when it closes, whichever way, before the activity text is cleared.
    virtual void FormClose() {}

    void showEvent(QShowEvent *event) override;
    void done(int result) override;

    CommandHost &host_;

  private:
    void Activate();
    void Close();
    bool closed_ = true;
};
