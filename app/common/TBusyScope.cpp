#include "common/TBusyScope.h"

#include "shell/TGlowneOkno.h"

namespace {
int busyDepth = 0; // nested scopes: only the outermost puts the arrow back
}

TBusyScope::TBusyScope(std::initializer_list<QWidget *> disable) {
    for (QWidget *w : disable) {
        if (!w || !w->isEnabled()) continue;
        w->setEnabled(false);
        disabled_.append(w);
    }
    ++busyDepth;
    if (GlowneOkno) GlowneOkno->SetBusyCursor();
}

TBusyScope::~TBusyScope() {
    if (--busyDepth == 0 && GlowneOkno) GlowneOkno->SetArrowCursor();
    for (const QPointer<QWidget> &w : disabled_)
        if (w) w->setEnabled(true);
}
