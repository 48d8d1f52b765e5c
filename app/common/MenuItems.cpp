#include "common/MenuItems.h"

#include <QAction>

void MenuItems::On(const char *objectName, std::function<void()> command) const {
    if (QAction *action = lookup_(QString::fromLatin1(objectName)))
        QObject::connect(action, &QAction::triggered, action, [command = std::move(command)] { command(); });
}
