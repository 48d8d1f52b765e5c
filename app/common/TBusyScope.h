#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>
#include <initializer_list>

// While a dialog's command talks to the printer: the busy cursor on the main
// window and the given buttons disabled; every way out of the scope puts the
// arrow back and enables the buttons again.
class TBusyScope {
  public:
    explicit TBusyScope(std::initializer_list<QWidget *> disable = {});
    ~TBusyScope();
    TBusyScope(const TBusyScope &) = delete;
    TBusyScope &operator=(const TBusyScope &) = delete;

  private:
    QList<QPointer<QWidget>> disabled_;
};
