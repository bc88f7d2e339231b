#include "app/shell/main_window_services.h"

#include "app/shell/main_form.h"
#include "app/storage/project_manager_form.h"

namespace vandro {

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

} // namespace vandro
