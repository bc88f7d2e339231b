#include "app/values/unit_edit_dlg.h"

#include "app/shell/guard.h"
#include "app/shell/text_edge.h"
#include "model/project.h"
#include "storage/unit_rows.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace vandro {

namespace {

QLineEdit* Field(int capacity) {
  auto* edit = new QLineEdit;
  edit->setMaxLength(capacity);
  GuardCp1251(edit);
  return edit;
}

} // namespace

TUnitEditDlg::TUnitEditDlg(const TUnitForm& form, QWidget* parent) : QDialog(parent), id_(form.Id) {
  setWindowTitle(form.Id ? QStringLiteral("Edit Unit") : QStringLiteral("New Unit"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);

  name_ = Field(static_cast<int>(kNameCapacity));
  shortName_ = Field(static_cast<int>(kUnitShortNameCapacity));
  category_ = new QComboBox;
  category_->setEditable(true);
  category_->setInsertPolicy(QComboBox::NoInsert);
  category_->lineEdit()->setMaxLength(static_cast<int>(kNameCapacity));
  category_->setAccessibleName(QStringLiteral("Category"));
  category_->lineEdit()->setAccessibleName(QStringLiteral("Category"));
  GuardCp1251(category_);
  if (TProject* project = CurrentProject())
    for (const std::string& category : project->Units().Categories())
      category_->addItem(FromCore(category));
  basic_ = new QCheckBox(QStringLiteral("Basic unit of its category"));
  factor_ = Field(40);
  offset_ = Field(40);
  formula_ = Field(static_cast<int>(kUnitTextCapacity));
  description_ = Field(static_cast<int>(kUnitTextCapacity));
  basicUnit_ = new QLabel;
  basicUnit_->setStyleSheet(QStringLiteral("color: palette(dark)"));

  name_->setText(FromCore(form.Name));
  shortName_->setText(FromCore(form.ShortName));
  category_->setCurrentText(FromCore(form.Category));
  basic_->setChecked(form.Basic);
  factor_->setText(FromCore(form.Factor));
  offset_->setText(FromCore(form.Offset));
  formula_->setText(FromCore(form.Formula));
  description_->setText(FromCore(form.Description));
  checkedName_ = name_->text();
  checkedShortName_ = shortName_->text();

  connect(name_, &QLineEdit::editingFinished, this, [this] { RunCommand([this] { NameLeft(); }); });
  connect(shortName_, &QLineEdit::editingFinished, this,
          [this] { RunCommand([this] { ShortNameLeft(); }); });
  connect(basic_, &QCheckBox::clicked, this,
          [this](bool ticked) { RunCommand([this, ticked] { BasicClicked(ticked); }); });
  connect(category_, &QComboBox::currentTextChanged, this, [this] { ShowBasicUnit(); });

  auto* fields = new QFormLayout;
  fields->addRow(QStringLiteral("Unit Name:"), name_);
  fields->addRow(QStringLiteral("Short Name:"), shortName_);
  fields->addRow(QStringLiteral("Category:"), category_);
  fields->addRow(QString(), basic_);
  fields->addRow(QStringLiteral("Factor:"), factor_);
  fields->addRow(QStringLiteral("Offset:"), offset_);
  fields->addRow(QString(), basicUnit_);
  fields->addRow(QStringLiteral("Dimension Formula:"), formula_);
  fields->addRow(QStringLiteral("Description:"), description_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(fields);
  layout->addWidget(buttons);
  setMinimumWidth(440);
  EnableForBasic();
  ShowBasicUnit();
}

bool TUnitEditDlg::ReadForm(TUnitForm& form) const {
  form = TUnitForm();
  form.Id = id_;
  form.Basic = basic_->isChecked();
  return ToCore(name_->text(), form.Name) && ToCore(shortName_->text(), form.ShortName) &&
         ToCore(category_->currentText(), form.Category) && ToCore(factor_->text(), form.Factor) &&
         ToCore(offset_->text(), form.Offset) && ToCore(formula_->text(), form.Formula) &&
         ToCore(description_->text(), form.Description);
}

void TUnitEditDlg::NameLeft() {
  if (name_->text() == checkedName_) return;
  checkedName_ = name_->text();
  std::string name;
  if (ToCore(name_->text(), name)) CheckUnitNameFree(name, id_);
}

void TUnitEditDlg::ShortNameLeft() {
  if (shortName_->text() == checkedShortName_) return;
  checkedShortName_ = shortName_->text();
  std::string name;
  if (ToCore(shortName_->text(), name)) CheckUnitShortNameFree(name, id_);
}

void TUnitEditDlg::BasicClicked(bool ticked) {
  std::string category;
  const bool allowed =
      ticked ? ToCore(category_->currentText(), category) && CheckBasicTick(category, id_)
             : CheckBasicClear(id_);
  if (!allowed) basic_->setChecked(!ticked);
  EnableForBasic();
  ShowBasicUnit();
}

void TUnitEditDlg::EnableForBasic() {
  const TUnitFieldRules rules = UnitFieldRules(basic_->isChecked());
  if (!rules.FactorEditable) factor_->setText(FromCore(std::string(rules.FixedFactor)));
  factor_->setEnabled(rules.FactorEditable);
  formula_->setEnabled(rules.FormulaEditable);
}

void TUnitEditDlg::ShowBasicUnit() {
  std::string category;
  if (!TryToCore(category_->currentText(), category)) category.clear();
  const TBasicUnitHint hint = BasicUnitHint(category, basic_->isChecked());
  switch (hint.Note) {
  case TBasicUnitNote::ThisIsBasic:
    basicUnit_->setText(QStringLiteral("The category's other units are measured in this one."));
    break;
  case TBasicUnitNote::MeasuredIn:
    basicUnit_->setText(
        QStringLiteral("One of this unit = Factor \u00D7 %1").arg(FromCore(hint.BasicUnit)));
    break;
  case TBasicUnitNote::NoBasicUnit:
    basicUnit_->setText(QStringLiteral("The category has no basic unit yet."));
    break;
  }
}

void TUnitEditDlg::accept() {
  RunCommand([this] {
    TUnitForm form;
    if (!ReadForm(form)) return;
    storedId_ = StoreUnitForm(form);
    if (storedId_ != 0) QDialog::accept();
  });
}

} // namespace vandro
