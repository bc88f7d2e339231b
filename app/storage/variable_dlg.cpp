#include "app/storage/variable_dlg.h"

#include "app/shell/guard.h"
#include "app/shell/text_edge.h"
#include "editing/project_manager.h"
#include "model/project.h"
#include "shell/messages.h"
#include "values/value_text.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

namespace vandro {

TVariableDlg::TVariableDlg(const TVariable* variable, QWidget* parent) : QDialog(parent) {
  setWindowTitle(variable ? QStringLiteral("Edit Variable") : QStringLiteral("Add Variable"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  name_ = new QLineEdit;
  name_->setMaxLength(static_cast<int>(kNameCapacity));
  value_ = new QLineEdit;
  comment_ = new QLineEdit;
  comment_->setMaxLength(static_cast<int>(kCommentCapacity));
  for (QLineEdit* edit : {name_, value_, comment_})
    GuardCp1251(edit);
  if (variable) {
    storedName_ = variable->Name;
    keepValue_ = !variable->Value.IsPlain();
    name_->setText(FromCore(variable->Name));
    value_->setText(
        FromCore(keepValue_ ? ToDisplayText(&variable->Value) : variable->Value.Text()));
    value_->setReadOnly(keepValue_);
    comment_->setText(FromCore(variable->Comment));
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &TVariableDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Name:"), name_);
  form->addRow(QStringLiteral("Value:"), value_);
  form->addRow(QStringLiteral("Comment:"), comment_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
  setMinimumWidth(420);
}

void TVariableDlg::accept() {
  TVariableForm form;
  if (!ToCore(name_->text(), form.Name) || !ToCore(comment_->text(), form.Comment)) return;
  form.KeepValue = keepValue_;
  if (!keepValue_ && !ToCore(value_->text(), form.Value)) return;
  TProject* project = CurrentProject();
  bool stored = false;
  RunCommand([&] { stored = project && StoreVariable(*project, form, storedName_); });
  if (stored) QDialog::accept();
}

} // namespace vandro
