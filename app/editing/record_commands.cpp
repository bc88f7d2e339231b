#include "app/editing/record_commands.h"

#include "app/editing/create_record_dlg.h"
#include "app/editing/selection_api.h"
#include "app/model/object_view_dlg.h"
#include "app/shell/main_form.h"
#include "app/shell/text_edge.h"
#include "model/object_set.h"
#include "model/project.h"
#include "model/state_track.h"
#include "shell/messages.h"

#include <QInputDialog>
#include <QMdiSubWindow>

#include <memory>

namespace vandro {

namespace {

enum class TChoice { Cancel, Track, Set, NewObject };

struct TChosen {
  TChoice Choice = TChoice::Cancel;
  std::unique_ptr<TStateTrack> Track;
  std::shared_ptr<TObjectSet> Set;
};

// The dialog is listed and shown first, then started; one that finds
// nothing to work on closes again.
TCreateRecordDlg* Open(TMainForm& main, TChosen chosen, bool edit,
                       const std::string& templateName) {
  auto* dialog = new TCreateRecordDlg;
  TRecordEditor& editor = dialog->Editor();
  editor.SetTemplateName(templateName);
  editor.SetAlwaysShowHidden(main.AlwaysShowHidden());
  if (chosen.Track) editor.SetTrack(std::move(chosen.Track));
  if (chosen.Set) editor.SetObjectSet(std::move(chosen.Set));
  if (!main.OpenChild(dialog)) return nullptr;
  if (!dialog->Start(chosen.Choice == TChoice::NewObject, edit)) {
    dialog->SubWindow()->close();
    return nullptr;
  }
  return dialog;
}

// The state the object view shows, which it hands over as it closes.
bool FromObjectView(TChosen& chosen) {
  TObjectViewDlg* view = TObjectViewDlg::Showing();
  if (!view) return false;
  chosen.Track = view->SelectedTrack();
  if (!chosen.Track) return false;
  chosen.Track->ConstructState();
  chosen.Choice = TChoice::Track;
  view->CloseWithOk();
  return true;
}

// "Select Object" until a state is chosen (or, where the command allows
// it, an object without one, or a new object).
TChosen Select(TMainForm& main, bool edit, bool templateItem) {
  TChosen chosen;
  if (!templateItem && FromObjectView(chosen)) return chosen;
  app::TSelectRequest request;
  request.Caption = "Select Object";
  request.RequireState = true;
  request.Quiet = !edit;
  request.AllowCreateObject = templateItem;
  for (;;) {
    app::TSelectResult result;
    if (!app::SelectObject(&main, request, result)) return chosen;
    if (result.CreateNewObject) {
      chosen.Choice = TChoice::NewObject;
      return chosen;
    }
    if (!result.StateIds.empty()) {
      auto track = std::make_unique<TStateTrack>();
      if (track->GetState(result.StateIds.front())) {
        chosen.Track = std::move(track);
        chosen.Choice = TChoice::Track;
        return chosen;
      }
    }
    if (result.ObjectId == 0) continue;
    if (edit) {
      ShowMsg(std::string("You didn't select any state.") + kLineBreak +
              "There's no record to edit");
      continue;
    }
    if (!Ask(std::string("You didn't select any state.") + kLineBreak +
                 "Do you want to create new one?",
             false)) {
      if (templateItem) return chosen;
      continue;
    }
    auto set = std::make_shared<TObjectSet>();
    if (!set->Load(result.ObjectId)) {
      ShowMsg("Object doesn't exist. Id=" + std::to_string(result.ObjectId));
      continue;
    }
    chosen.Set = std::move(set);
    chosen.Choice = TChoice::Set;
    return chosen;
  }
}

} // namespace

TCreateRecordDlg* OpenNewObject(TMainForm& main, const std::string& templateName) {
  if (!main.Children().CheckLimit()) return nullptr;
  TChosen chosen;
  chosen.Choice = TChoice::NewObject;
  return Open(main, std::move(chosen), false, templateName);
}

TCreateRecordDlg* OpenNewState(TMainForm& main) {
  if (!main.Children().CheckLimit()) return nullptr;
  TChosen chosen = Select(main, false, false);
  if (chosen.Choice == TChoice::Cancel) return nullptr;
  return Open(main, std::move(chosen), false, {});
}

TCreateRecordDlg* OpenEditRecord(TMainForm& main) {
  if (!main.Children().CheckLimit()) return nullptr;
  TChosen chosen = Select(main, true, false);
  if (chosen.Choice == TChoice::Cancel) return nullptr;
  return Open(main, std::move(chosen), true, {});
}

TCreateRecordDlg* OpenTemplateRecord(TMainForm& main, const std::string& templateName) {
  if (!main.Children().CheckLimit()) return nullptr;
  TChosen chosen = Select(main, false, true);
  if (chosen.Choice == TChoice::Cancel) return nullptr;
  return Open(main, std::move(chosen), false, templateName);
}

TCreateRecordDlg* ChooseTemplate(TMainForm& main) {
  if (!CurrentProject()) return nullptr;
  QStringList names;
  for (const std::string& name : CurrentProject()->TemplateNames())
    names << FromCore(name);
  bool chosen = false;
  const QString name = QInputDialog::getItem(&main, QStringLiteral("Templates"),
                                             QStringLiteral("Template:"), names, 0, false, &chosen);
  std::string text;
  if (!chosen || !ToCore(name, text)) return nullptr;
  return OpenTemplateRecord(main, text);
}

} // namespace vandro
