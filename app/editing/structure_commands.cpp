#include "app/editing/structure_commands.h"

#include "app/editing/param_list_dlg.h"
#include "app/editing/record_commands.h"
#include "app/editing/template_edit_dlg.h"
#include "app/editing/templates_dlg.h"
#include "app/shell/guard.h"
#include "app/shell/main_form.h"
#include "app/shell/main_window_services.h"
#include "app/storage/project_manager_form.h"
#include "editing/template_editor.h"

#include <QAbstractButton>

namespace vandro {

void RunParameterList(TMainForm& main) {
  TParamListDlg dialog(&main);
  dialog.SetChangedHandler([&main] { ParametersChanged(&main); });
  dialog.exec();
}

TCreateRecordDlg* RunTemplates(TMainForm& main) {
  TTemplatesDlg dialog(&main);
  dialog.SetChangedHandler([&main] { TemplatesChanged(&main); });
  dialog.exec();
  if (dialog.NewRecordTemplate().empty()) return nullptr;
  return OpenTemplateRecord(main, dialog.NewRecordTemplate());
}

bool EditTemplate(QWidget* parent, std::unique_ptr<TTemplateEditor> editor,
                  std::string* storedName) {
  if (!editor) return false;
  TTemplateEditDlg dialog(std::move(editor), parent);
  if (dialog.exec() != QDialog::Accepted) return false;
  if (storedName) *storedName = dialog.Editor().Template().Name;
  TemplatesChanged(parent);
  return true;
}

bool EditTemplateNamed(QWidget* parent, const std::string& name) {
  std::unique_ptr<TTemplateEditor> editor;
  RunCommand([&] { editor = TTemplateEditor::ForTemplate(name); });
  return EditTemplate(parent, std::move(editor));
}

void TemplatesChanged(QWidget* widget) {
  TMainForm* main = MainFormOf(widget);
  if (!main) return;
  // A menu item may be what started the change ("More ..."): the items are
  // replaced once its handler has returned.
  QMetaObject::invokeMethod(
      main,
      [main] {
        main->ClearTemplMenu();
        main->SetTemplMenu();
      },
      Qt::QueuedConnection);
  if (TProjectManagerForm* manager = main->ProjectManager()) manager->RefreshAll();
}

void ParametersChanged(QWidget* widget) {
  TMainForm* main = MainFormOf(widget);
  if (!main) return;
  main->RefreshParameterLists();
  if (TProjectManagerForm* manager = main->ProjectManager()) manager->RefreshAll();
}

void NameButtonsByCaption(QWidget* window) {
  for (QAbstractButton* button : window->findChildren<QAbstractButton*>())
    if (button->accessibleName().isEmpty() && !button->text().isEmpty())
      button->setAccessibleName(button->text().remove(QLatin1Char('&')));
}

} // namespace vandro
