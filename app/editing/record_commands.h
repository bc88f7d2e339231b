// The main window's record commands: what each asks "Select Object" for,
// and the record dialog it then opens (New Object, Create New State, Edit
// Record, a template item, "More ...").
#pragma once

#include "model/object_set.h"
#include "model/state_track.h"

#include <memory>
#include <string>

namespace vandro {

class TMainForm;
class TCreateRecordDlg;

// What "Select Object" gave a record or group command: nothing (Cancel), a
// state (its track copied and constructed), an object without a state (its
// history, to start a new branch) or "Create New Object".
enum class TStateChoice { Cancel, Track, Set, NewObject };
struct TChosenState {
  TStateChoice Choice = TStateChoice::Cancel;
  std::unique_ptr<TStateTrack> Track;
  std::shared_ptr<TObjectSet> Set;
};

// What a command asks for: a new state (the state the object view shows is
// taken without asking), a record to edit (a state is required), or a
// template item (with "Create New Object"; an object without a state
// answered No ends the command).
enum class TStatePurpose { NewState, EditRecord, TemplateItem };
// "Select Object" in a loop until the purpose is met or the user cancels.
TChosenState SelectState(TMainForm& main, TStatePurpose purpose);

// Each returns the dialog it opened, or nullptr when the command ended
// without one (cancelled, refused by the dialog limit, nothing selected).
TCreateRecordDlg* OpenNewObject(TMainForm& main, const std::string& templateName = {});
TCreateRecordDlg* OpenNewState(TMainForm& main);
TCreateRecordDlg* OpenEditRecord(TMainForm& main);
TCreateRecordDlg* OpenTemplateRecord(TMainForm& main, const std::string& templateName);
// "More ...": the templates dialog; its "New Record" as a template item.
TCreateRecordDlg* ChooseTemplate(TMainForm& main);

} // namespace vandro
