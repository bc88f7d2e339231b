#include "app/groups/group_commands.h"

#include "app/editing/record_commands.h"
#include "app/groups/new_group_dlg.h"
#include "app/groups/rollback_dlg.h"
#include "app/shell/main_form.h"

#include <QMdiSubWindow>

#include <memory>

namespace vandro {

namespace {

// The dialog is listed and shown first, then started; one that finds
// nothing to work on closes again.
TNewGroupDlg* Open(TMainForm& main, TChosenState chosen, bool newGroup, bool edit) {
  auto* dialog = new TNewGroupDlg;
  if (chosen.Track) dialog->Editor().SetTrack(std::move(chosen.Track));
  if (chosen.Set) dialog->Editor().SetObjectSet(std::move(chosen.Set));
  if (!main.OpenChild(dialog)) return nullptr;
  if (!dialog->Start(newGroup, edit)) {
    dialog->SubWindow()->close();
    return nullptr;
  }
  return dialog;
}

TNewGroupDlg* OpenSelected(TMainForm& main, bool edit) {
  if (!main.Children().CheckLimit()) return nullptr;
  TChosenState chosen =
      SelectState(main, edit ? TStatePurpose::EditRecord : TStatePurpose::NewState);
  if (chosen.Choice == TStateChoice::Cancel) return nullptr;
  return Open(main, std::move(chosen), false, edit);
}

} // namespace

TNewGroupDlg* OpenNewGroup(TMainForm& main) {
  if (!main.Children().CheckLimit()) return nullptr;
  return Open(main, TChosenState(), true, false);
}

TNewGroupDlg* OpenNewGroupState(TMainForm& main) {
  return OpenSelected(main, false);
}

TNewGroupDlg* OpenEditGroupRecord(TMainForm& main) {
  return OpenSelected(main, true);
}

void RunRollback(TMainForm& main) {
  TRollbackDlg::Instance(main).Run();
}

} // namespace vandro
