#include "values/unit_edit_dlg.h"

#include "model/project.h"
#include "shell/guard.h"
#include "shell/numbers.h"
#include "shell/text_edge.h"
#include "storage/unit_rows.h"
#include "values/units.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace vandro {

namespace {

QString Number(long double value) {
  try {
    return QString::fromStdString(FloatToText(value));
  } catch (const EConvertError&) {
    return {};
  }
}

QLineEdit* Field(int capacity) {
  auto* edit = new QLineEdit;
  edit->setMaxLength(capacity);
  GuardCp1251(edit);
  return edit;
}

} // namespace

TUnitForm TUnitEditDlg::FormOf(const TUnit& unit) {
  TUnitForm form;
  form.Id = unit.id;
  form.Name = unit.name;
  form.ShortName = unit.shortName;
  form.Category = unit.category;
  form.Factor = Number(unit.coefficient).toStdString();
  form.Offset = Number(unit.offset).toStdString();
  form.Formula = unit.formula;
  form.Description = unit.description;
  form.Basic = unit.basic;
  return form;
}

TUnitEditDlg::TUnitEditDlg(const TUnitForm& form, QWidget* parent) : QDialog(parent), id_(form.Id) {
  setWindowTitle(form.Id ? QStringLiteral("Edit Unit") : QStringLiteral("New Unit"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);

  name_ = Field(static_cast<int>(kNameCapacity));
  shortName_ = Field(static_cast<int>(kUnitShortNameCapacity));
  category_ = new QComboBox;
  category_->setEditable(true);
  category_->setInsertPolicy(QComboBox::NoInsert);
  category_->lineEdit()->setMaxLength(static_cast<int>(kNameCapacity));
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

// A basic unit is its category's measure: its factor is 1, and only it may
// carry a dimension formula.
void TUnitEditDlg::EnableForBasic() {
  const bool basic = basic_->isChecked();
  if (basic) factor_->setText(QStringLiteral("1"));
  factor_->setEnabled(!basic);
  formula_->setEnabled(basic);
}

void TUnitEditDlg::ShowBasicUnit() {
  std::string category;
  TProject* project = CurrentProject();
  const TUnit* basic = project && TryToCore(category_->currentText(), category)
                           ? project->Units().FindBasicUnit(category)
                           : nullptr;
  if (basic_->isChecked())
    basicUnit_->setText(QStringLiteral("The category's other units are measured in this one."));
  else if (basic)
    basicUnit_->setText(
        QStringLiteral("One of this unit = Factor \u00D7 %1").arg(FromCore(basic->name)));
  else
    basicUnit_->setText(QStringLiteral("The category has no basic unit yet."));
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
