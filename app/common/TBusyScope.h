#pragma once

#include "common/CommandHost.h"

#include <QList>
#include <QPointer>
#include <QWidget>
#include <initializer_list>

// While a dialog's command talks to the printer: the host's busy cursor and
// the given buttons disabled; every way out of the scope puts the
// arrow back and enables the buttons again.
class TBusyScope {
  public:
    explicit TBusyScope(CommandHost &host, std::initializer_list<QWidget *> disable = {});
    ~TBusyScope();
    TBusyScope(const TBusyScope &) = delete;
    TBusyScope &operator=(const TBusyScope &) = delete;

  private:
    CommandHost &host_;
    QList<QPointer<QWidget>> disabled_;
};
