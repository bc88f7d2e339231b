#include "app/storage/parameter_edit_dlg.h"

#include "app/shell/guard.h"
#include "app/shell/text_edge.h"
#include "editing/parameter_list.h"
#include "editing/project_manager.h"
#include "model/project.h"
#include "values/value_text.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

namespace vandro {

TParameterEditDlg::TParameterEditDlg(const TParameter& parameter, TParameterEditMode mode,
                                     QWidget* parent)
    : QDialog(parent), mode_(mode), keepDefault_(!parameter.DefValue.IsPlain()) {
  edited_.Assign(parameter);
  setWindowTitle(QStringLiteral("Edit Param"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  name_ = new QLineEdit(FromCore(parameter.ParamName));
  name_->setMaxLength(static_cast<int>(kNameCapacity));
  shortName_ = new QLineEdit(FromCore(parameter.ShortName));
  shortName_->setMaxLength(static_cast<int>(kShortNameCapacity));
  category_ = new QComboBox;
  category_->setEditable(true);
  if (const TProject* project = CurrentProject())
    for (const std::string& category : EditorCategories(*project))
      category_->addItem(FromCore(category));
  category_->setCurrentText(FromCore(parameter.Category));
  category_->lineEdit()->setMaxLength(static_cast<int>(kNameCapacity));
  category_->setAccessibleName(QStringLiteral("Category"));
  category_->lineEdit()->setAccessibleName(QStringLiteral("Category"));
  default_ = new QLineEdit(
      FromCore(keepDefault_ ? ToDisplayText(&parameter.DefValue) : parameter.DefValue.Text()));
  default_->setReadOnly(keepDefault_);
  description_ = new QLineEdit(FromCore(parameter.Descript));
  description_->setMaxLength(static_cast<int>(kDescriptionCapacity));
  for (QLineEdit* edit : {name_, shortName_, default_, description_})
    GuardCp1251(edit);
  GuardCp1251(category_);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &TParameterEditDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Parameter Name:"), name_);
  form->addRow(QStringLiteral("Short Name:"), shortName_);
  form->addRow(QStringLiteral("Category:"), category_);
  form->addRow(QStringLiteral("Default Value:"), default_);
  form->addRow(QStringLiteral("Description:"), description_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
  setMinimumWidth(420);
}

void TParameterEditDlg::accept() {
  TParameter edited;
  edited.Assign(edited_);
  std::string defaultText;
  if (!ToCore(name_->text().trimmed(), edited.ParamName) ||
      !ToCore(shortName_->text().trimmed(), edited.ShortName) ||
      !ToCore(category_->currentText().trimmed(), edited.Category) ||
      !ToCore(default_->text().trimmed(), defaultText) ||
      !ToCore(description_->text(), edited.Descript))
    return;
  if (!keepDefault_) edited.DefValue.SetPlain(defaultText);
  bool taken = false;
  RunCommand([&] {
    if (mode_ == TParameterEditMode::Existing) {
      taken = ApplyParameterEdit(edited);
    } else if (CheckParameterEditor(edited)) {
      edited_.Assign(edited);
      taken = true;
    }
  });
  if (taken) QDialog::accept();
}

} // namespace vandro
