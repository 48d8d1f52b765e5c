// The menu bar's items by their object names, for each menu's commands to
// attach to: the shell builds the items, the menus say what they run.
#pragma once

#include <QString>
#include <functional>

class QAction;

class MenuItems {
  public:
    using Lookup = std::function<QAction *(const QString &objectName)>;
    explicit MenuItems(Lookup lookup) : lookup_(std::move(lookup)) {}
    // Runs `command` each time the item is chosen.
    void On(const char *objectName, std::function<void()> command) const;

  private:
    Lookup lookup_;
};
