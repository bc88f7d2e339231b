#include "app/groups/group_view_commands.h"

#include "app/editing/selection_api.h"
#include "app/groups/view_group_dlg.h"
#include "app/shell/main_form.h"

#include <QMdiArea>
#include <QMdiSubWindow>

namespace vandro {

TViewGroupDlg* OpenViewGroup(TMainForm& main) {
  if (!main.Children().CheckLimit()) return nullptr;
  app::TSelectRequest request;
  request.Caption = "View Group as Table";
  request.RequireState = true;
  app::TSelectResult result;
  if (!app::SelectObject(&main, request, result)) return nullptr;
  const int32_t id = !result.StateIds.empty() ? result.StateIds.front() : result.ObjectId;
  if (id == 0) return nullptr;
  auto* view = new TViewGroupDlg;
  if (!main.OpenChild(view)) return nullptr;
  if (!view->Start(id, main.AlwaysShowHidden())) {
    view->SubWindow()->close();
    return nullptr;
  }
  return view;
}

bool GroupViewStatistics(TMainForm& main, bool descriptive) {
  QMdiSubWindow* active = main.Area()->activeSubWindow();
  auto* view = active ? qobject_cast<TViewGroupDlg*>(active->widget()) : nullptr;
  return view && view->HandToStatistics(descriptive);
}

} // namespace vandro
