#include "app/storage/parameter_edit_dlg.h"

#include "app/editing/selection_api.h"
#include "app/shell/guard.h"
#include "app/shell/text_edge.h"
#include "editing/parameter_list.h"
#include "editing/project_manager.h"
#include "editing/value_constructor.h"
#include "model/project.h"
#include "values/value_text.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vandro {

TParameterEditDlg::TParameterEditDlg(const TParameter& parameter, TParameterEditMode mode,
                                     QWidget* parent)
    : QDialog(parent), mode_(mode),
      keepDefault_(!parameter.DefValue.IsPlain() || parameter.DefValue.IsText()) {
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
  default_ = new QLineEdit;
  auto* define = new QPushButton(QStringLiteral("Define"));
  define->setAccessibleName(QStringLiteral("Define Default Value"));
  connect(define, &QPushButton::clicked, this, [this] { DefineDefault(); });
  auto* defaultRow = new QHBoxLayout;
  defaultRow->addWidget(default_, 1);
  defaultRow->addWidget(define);
  description_ = new QLineEdit(FromCore(parameter.Descript));
  description_->setMaxLength(static_cast<int>(kDescriptionCapacity));
  const std::pair<QLineEdit*, const char*> named[] = {{name_, "Parameter Name"},
                                                      {shortName_, "Short Name"},
                                                      {default_, "Default Value"},
                                                      {description_, "Description"}};
  for (const auto& [edit, name] : named) {
    edit->setAccessibleName(QString::fromLatin1(name));
    GuardCp1251(edit);
  }
  ShowDefault();
  GuardCp1251(category_);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  for (QAbstractButton* button : buttons->buttons())
    button->setAccessibleName(button->text().remove(QLatin1Char('&')));
  connect(buttons, &QDialogButtonBox::accepted, this, &TParameterEditDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Parameter Name:"), name_);
  form->addRow(QStringLiteral("Short Name:"), shortName_);
  form->addRow(QStringLiteral("Category:"), category_);
  form->addRow(QStringLiteral("Default Value:"), defaultRow);
  form->addRow(QStringLiteral("Description:"), description_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
  setMinimumWidth(420);
}

void TParameterEditDlg::ShowDefault() {
  const TValue& value = edited_.DefValue;
  default_->setText(FromCore(keepDefault_ ? ToDisplayText(&value) : value.Text()));
  default_->setReadOnly(keepDefault_);
}

void TParameterEditDlg::DefineDefault() {
  TValue value;
  value.Assign(edited_.DefValue);
  // What was typed so far is the constructor's starting point.
  std::string typed;
  if (!keepDefault_ && TryToCore(default_->text().trimmed(), typed)) value.SetPlain(typed);
  if (!app::EditValue(this, value, nullptr, vpAll, 0, "Value Details (Default Value)")) return;
  edited_.DefValue.Assign(value);
  keepDefault_ = !value.IsPlain() || value.IsText();
  ShowDefault();
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
    } else if (mode_ == TParameterEditMode::Add) {
      auto added = std::make_unique<TParameter>();
      added->Assign(edited);
      added_ = AddParameterFromEditor(std::move(added));
      taken = added_ != nullptr;
    } else if (CheckParameterEditor(edited)) {
      edited_.Assign(edited);
      taken = true;
    }
  });
  if (taken) QDialog::accept();
}

} // namespace vandro
