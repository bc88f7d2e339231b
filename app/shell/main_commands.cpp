#include "app/shell/main_commands.h"

#include "app/shell/main_form.h"

namespace vandro {

QAction* MainWindowCommand(const QWidget* inside, const QString& name) {
  for (const QWidget* up = inside; up; up = up->parentWidget())
    if (const auto* main = qobject_cast<const TMainForm*>(up)) return main->Command(name);
  return nullptr;
}

} // namespace vandro
