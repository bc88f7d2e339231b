#include "app/shell/status_wait.h"

#include "app/shell/main_form.h"

#include <QApplication>

namespace vandro {

namespace {

TMainForm* MainForm() {
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (auto* form = qobject_cast<TMainForm*>(widget)) return form;
  return nullptr;
}

} // namespace

void ShowWaiting(bool waiting) {
  if (TMainForm* form = MainForm())
    form->SetWaiting(waiting);
  else if (waiting)
    QApplication::setOverrideCursor(Qt::WaitCursor);
  else
    QApplication::restoreOverrideCursor();
}

} // namespace vandro
