// The main window's group commands: New Group, Create New State of Group and
// Edit Group Record open the group dialog, the last two after "Select
// Object" (or on the state the object view shows); Rollback runs the
// rollback window.
#pragma once

namespace vandro {

class TMainForm;
class TNewGroupDlg;

// Each returns the dialog it opened, or nullptr when the command ended
// without one (cancelled, refused by the dialog limit, nothing selected).
TNewGroupDlg* OpenNewGroup(TMainForm& main);
TNewGroupDlg* OpenNewGroupState(TMainForm& main);
TNewGroupDlg* OpenEditGroupRecord(TMainForm& main);

// Records: Rollback.
void RunRollback(TMainForm& main);

} // namespace vandro
