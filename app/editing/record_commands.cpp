#include "app/editing/record_commands.h"

#include "app/editing/create_record_dlg.h"
#include "app/editing/selection_api.h"
#include "app/editing/structure_commands.h"
#include "app/model/object_view_dlg.h"
#include "app/shell/main_form.h"
#include "model/project.h"

#include <QMdiSubWindow>

#include <memory>

namespace vandro {

namespace {

// The dialog is listed and shown first, then started; one that finds
// nothing to work on closes again.
TCreateRecordDlg* Open(TMainForm& main, TChosenState chosen, bool edit,
                       const std::string& templateName) {
  auto* dialog = new TCreateRecordDlg;
  TRecordEditor& editor = dialog->Editor();
  editor.SetTemplateName(templateName);
  editor.SetAlwaysShowHidden(main.AlwaysShowHidden());
  if (chosen.Track) editor.SetTrack(std::move(chosen.Track));
  if (chosen.Set) editor.SetObjectSet(std::move(chosen.Set));
  if (!main.OpenChild(dialog)) return nullptr;
  if (!dialog->Start(chosen.Choice == TStateChoice::NewObject, edit)) {
    dialog->SubWindow()->close();
    return nullptr;
  }
  return dialog;
}

// The state the object view shows, which it hands over as it closes.
bool FromObjectView(TChosenState& chosen) {
  TObjectViewDlg* view = TObjectViewDlg::Showing();
  if (!view) return false;
  chosen.Track = view->SelectedTrack();
  if (!chosen.Track) return false;
  chosen.Track->ConstructState();
  chosen.Choice = TStateChoice::Track;
  view->CloseWithOk();
  return true;
}

} // namespace

TChosenState SelectState(TMainForm& main, TStatePurpose purpose) {
  TChosenState chosen;
  if (purpose != TStatePurpose::TemplateItem && FromObjectView(chosen)) return chosen;
  const TStateRequest wanted = StateRequestFor(purpose);
  app::TSelectRequest request;
  request.Caption = "Select Object";
  request.RequireState = true;
  request.Quiet = wanted.Quiet;
  request.AllowCreateObject = wanted.AllowCreateObject;
  for (;;) {
    app::TSelectResult result;
    if (!app::SelectObject(&main, request, result)) return TChosenState();
    TSelectedState selected;
    selected.CreateNewObject = result.CreateNewObject;
    selected.ObjectId = result.ObjectId;
    selected.StateId = result.StateIds.empty() ? 0 : result.StateIds.front();
    chosen = DecideChosenState(purpose, selected);
    if (chosen.Choice != TStateChoice::Again) return chosen;
  }
}

TCreateRecordDlg* OpenNewObject(TMainForm& main, const std::string& templateName) {
  if (!main.Children().CheckLimit()) return nullptr;
  TChosenState chosen;
  chosen.Choice = TStateChoice::NewObject;
  return Open(main, std::move(chosen), false, templateName);
}

TCreateRecordDlg* OpenNewState(TMainForm& main) {
  if (!main.Children().CheckLimit()) return nullptr;
  TChosenState chosen = SelectState(main, TStatePurpose::NewState);
  if (chosen.Choice == TStateChoice::Cancel) return nullptr;
  return Open(main, std::move(chosen), false, {});
}

TCreateRecordDlg* OpenEditRecord(TMainForm& main) {
  if (!main.Children().CheckLimit()) return nullptr;
  TChosenState chosen = SelectState(main, TStatePurpose::EditRecord);
  if (chosen.Choice == TStateChoice::Cancel) return nullptr;
  return Open(main, std::move(chosen), true, {});
}

TCreateRecordDlg* OpenTemplateRecord(TMainForm& main, const std::string& templateName) {
  if (!main.Children().CheckLimit()) return nullptr;
  TChosenState chosen = SelectState(main, TStatePurpose::TemplateItem);
  if (chosen.Choice == TStateChoice::Cancel) return nullptr;
  return Open(main, std::move(chosen), false, templateName);
}

TCreateRecordDlg* ChooseTemplate(TMainForm& main) {
  if (!CurrentProject()) return nullptr;
  return RunTemplates(main);
}

} // namespace vandro
