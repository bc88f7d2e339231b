// The main window's record commands: what each asks "Select Object" for,
// and the record dialog it then opens (New Object, Create New State, Edit
// Record, a template item, "More ...").
#pragma once

#include "editing/state_choice.h"

#include <memory>
#include <string>

namespace vandro {

class TMainForm;
class TCreateRecordDlg;

// What a record or group command works on (editing/state_choice.h decides):
// the state the object view shows is taken without asking, except for a
// template item; otherwise "Select Object" in a loop until the purpose is met
// or the user cancels. Never gives TStateChoice::Again.
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
