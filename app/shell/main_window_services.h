// What windows outside the shell ask of the main window, without its
// header: its widget as their parent, its child windows, and showing a
// change made elsewhere in the project manager window.
#pragma once

class QWidget;

namespace vandro {

class TChildForm;
class TChildWindows;
class TMainForm;

QWidget* MainWindowWidget(TMainForm& main);
TChildWindows& MainChildren(TMainForm& main);
// As TMainForm::OpenChild: checks the dialog limit, places, lists and shows
// child; a refused child is deleted.
bool OpenMainChild(TMainForm& main, TChildForm* child);
// The open project's "Project Manager" window reads the project's lists
// again; nothing when it is not open.
void RefreshProjectManager(TMainForm& main);

} // namespace vandro
