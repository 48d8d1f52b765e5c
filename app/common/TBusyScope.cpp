#include "common/TBusyScope.h"

namespace {
int busyDepth = 0; // nested scopes: only the outermost puts the arrow back
}

TBusyScope::TBusyScope(CommandHost &host, std::initializer_list<QWidget *> disable) : host_(host) {
    for (QWidget *w : disable) {
        if (!w || !w->isEnabled()) continue;
        w->setEnabled(false);
        disabled_.append(w);
    }
    ++busyDepth;
    host_.SetBusyCursor();
}

TBusyScope::~TBusyScope() {
    if (--busyDepth == 0) host_.SetArrowCursor();
    for (const QPointer<QWidget> &w : disabled_)
        if (w) w->setEnabled(true);
}
