// The main window's commands (its menu and tool bar actions) as a window
// inside it reaches them, by their object names ("recNewState", ...), so
// that the window can offer one as a button of its own without knowing the
// main window.
#pragma once

#include <QString>

class QAction;
class QWidget;

namespace vandro {

// The command of the main window that holds inside; nullptr when inside is
// not in a main window or the command does not exist.
QAction* MainWindowCommand(const QWidget* inside, const QString& name);

} // namespace vandro
