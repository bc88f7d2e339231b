#include "app/shell/main_window_services.h"

#include "app/shell/main_form.h"
#include "app/storage/project_manager_form.h"

#include <QApplication>

namespace vandro {

TMainForm* MainFormOf(QWidget* widget) {
  for (QWidget* up = widget; up; up = up->parentWidget())
    if (auto* form = qobject_cast<TMainForm*>(up)) return form;
  for (QWidget* top : QApplication::topLevelWidgets())
    if (auto* form = qobject_cast<TMainForm*>(top)) return form;
  return nullptr;
}

QWidget* MainWindowWidget(TMainForm& main) {
  return &main;
}

TChildWindows& MainChildren(TMainForm& main) {
  return main.Children();
}

bool OpenMainChild(TMainForm& main, TChildForm* child) {
  return main.OpenChild(child);
}

void RefreshProjectManager(TMainForm& main) {
  if (TProjectManagerForm* manager = main.ProjectManager()) manager->RefreshAll();
}

void ShowWaiting(bool waiting) {
  if (TMainForm* form = MainFormOf())
    form->SetWaiting(waiting);
  else if (waiting)
    QApplication::setOverrideCursor(Qt::WaitCursor);
  else
    QApplication::restoreOverrideCursor();
}

} // namespace vandro
