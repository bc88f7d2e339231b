// What windows outside the shell ask of the main window, without its
// header: its widget as their parent, its child windows, showing a change
// made elsewhere in the project manager window, and "Wait" / "Ready" in its
// status bar.
#pragma once

class QWidget;

namespace vandro {

class TChildForm;
class TChildWindows;
class TMainForm;

// The main window widget belongs to (its nearest ancestor that is one), or
// else the program's; nullptr when there is none (a window shown on its own).
TMainForm* MainFormOf(QWidget* widget = nullptr);

QWidget* MainWindowWidget(TMainForm& main);
TChildWindows& MainChildren(TMainForm& main);
// As TMainForm::OpenChild: checks the dialog limit, places, lists and shows
// child; a refused child is deleted.
bool OpenMainChild(TMainForm& main, TChildForm* child);
// The open project's "Project Manager" window reads the project's lists
// again; nothing when it is not open.
void RefreshProjectManager(TMainForm& main);

// "Wait" and the wait cursor, or "Ready" and the cursor as it was; calls come
// in pairs. Without a main window (a window shown on its own) only the cursor
// changes.
void ShowWaiting(bool waiting);

} // namespace vandro
