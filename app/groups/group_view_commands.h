// The main window's group table commands: View Group as Table ("Select
// Object" for a group or one of its states, then a group table view), and
// the statistics commands when a group table view is the active child.
#pragma once

namespace vandro {

class TMainForm;
class TViewGroupDlg;

// The view it opened, or nullptr when the command ended without one
// (cancelled, refused by the dialog limit, nothing to show).
TViewGroupDlg* OpenViewGroup(TMainForm& main);

// Statistics: Basic Statistics (descriptive) and Stat Dialog. True when the
// active child is a group table view with selected cells: it handed them
// on, or said that none holds a number. False leaves the command to open
// its own window.
bool GroupViewStatistics(TMainForm& main, bool descriptive);

} // namespace vandro
