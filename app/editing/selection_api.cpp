#include "app/editing/selection_api.h"

#include "app/editing/select_object_dlg.h"
#include "app/editing/value_constructor_dlg.h"
#include "app/editing/value_viewer_dlg.h"
#include "app/shell/main_commands.h"
#include "app/shell/text_edge.h"
#include "shell/clock.h"

#include <QAction>
#include <QApplication>

namespace vandro::app {
namespace {

// View: Always Show Hidden, as its menu item is checked in the main window
// that holds parent (or the program's main window, for a parent outside it).
bool AlwaysShowHidden(QWidget* parent) {
  const QString name = QStringLiteral("viewShowHidden");
  QAction* command = MainWindowCommand(parent, name);
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (!command) command = MainWindowCommand(widget, name);
  return command && command->isChecked();
}

} // namespace

bool SelectObject(QWidget* parent, const TSelectRequest& request, TSelectResult& result) {
  TSelectObjectDlg dialog(parent);
  if (!request.Caption.empty()) dialog.setWindowTitle(FromCore(request.Caption));
  dialog.SetAllowSeveral(request.AllowSeveralStates);
  const double moment = request.Moment != 0 ? request.Moment : Now();
  dialog.Prepare(moment, request.RequireState, request.Quiet, request.AllowCreateObject,
                 AlwaysShowHidden(parent));
  const bool accepted = dialog.exec() == QDialog::Accepted;
  TObjectSelection& selection = dialog.Selection();
  result = TSelectResult();
  if (accepted) {
    result.CreateNewObject = selection.CreateNew();
    result.ObjectId = result.CreateNewObject ? 0 : selection.ObjectId();
    if (!result.CreateNewObject) {
      // Several states only when asked for; else the current one.
      if (request.AllowSeveralStates)
        result.StateIds = selection.MarkedStateIds();
      else if (selection.CurrentStateId() != 0)
        result.StateIds.push_back(selection.CurrentStateId());
    }
    result.Moment = selection.Moment();
  }
  dialog.Release();
  return accepted;
}

bool EditValue(QWidget* parent, TValue& value, TDataRecord* record, int pages, int openingPage,
               const std::string& caption) {
  TValueConstructorDlg dialog(value, record, pages, openingPage, FromCore(caption), parent);
  return dialog.exec() == QDialog::Accepted;
}

void ShowValue(QWidget* parent, const TValue& value, const QPoint& at) {
  TValueViewerDlg viewer(value, parent);
  viewer.PlaceNear(at);
  viewer.exec();
}

} // namespace vandro::app
