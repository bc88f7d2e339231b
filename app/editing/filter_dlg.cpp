#include "app/editing/filter_dlg.h"

#include "app/editing/selection_api.h"
#include "app/shell/guard.h"
#include "app/shell/text_edge.h"
#include "editing/value_constructor.h"
#include "values/value_text.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace vandro {
namespace {

QComboBox* Box(const char* name, const std::vector<std::string>& entries) {
  auto* box = new QComboBox;
  box->setAccessibleName(QString::fromLatin1(name));
  box->setEditable(true);
  box->setInsertPolicy(QComboBox::NoInsert);
  box->lineEdit()->setAccessibleName(box->accessibleName());
  for (const std::string& entry : entries)
    box->addItem(FromCore(entry));
  GuardCp1251(box);
  return box;
}

QPushButton* Button(const char* caption, const char* hint) {
  auto* button = new QPushButton(QString::fromLatin1(caption));
  if (hint) button->setToolTip(QString::fromLatin1(hint));
  return button;
}

// A plain value is shown as typed (the null value blank); other kinds as
// their display text.
QString FieldText(const TValue& value) {
  return FromCore(value.IsPlain() ? value.Text() : ToDisplayText(&value));
}

} // namespace

TFilterDlg::TFilterDlg(TFilter& filter, QWidget* parent) : QDialog(parent), editor_(filter) {
  setWindowTitle(QString::fromLatin1(kDefineFilterCaption));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  connective_ = Box("Connective", FilterConnectiveEntries());
  negation_ = Box("Negation", FilterNegationEntries());
  parameter_ = Box("Parameter Name", FilterParameterEntries());
  parameter_->setToolTip(QStringLiteral("Parameter Name"));
  comparison_ = Box("Comparison", FilterComparisonEntries());
  comparison_->setToolTip(QStringLiteral("comparison"));
  value_ = new QLineEdit;
  value_->setAccessibleName(QStringLiteral("Value"));
  value_->setToolTip(QStringLiteral("Value"));
  GuardCp1251(value_);
  valueButton_ = Button("...", "Value");
  valueButton_->setAccessibleName(QStringLiteral("Value ..."));
  valueButton_->setMaximumWidth(
      valueButton_->fontMetrics().horizontalAdvance(QStringLiteral("...")) + 24);
  add_ = Button("Add", "Add the condition to the filter");
  insert_ = Button("Insert", "insert the conditon into current position");
  remove_ = Button("Remove", "Remove the selectedcondition");
  ok_ = Button("OK", "Save the filter");
  auto* cancel = Button("Cancel", nullptr);
  items_ = new QListWidget;
  items_->setAccessibleName(QStringLiteral("Filter"));

  connect(valueButton_, &QPushButton::clicked, this,
          [this] { RunCommand([this] { ChooseValue(); }); });
  connect(add_, &QPushButton::clicked, this, [this] { RunCommand([this] { Place(false); }); });
  connect(insert_, &QPushButton::clicked, this, [this] { RunCommand([this] { Place(true); }); });
  connect(remove_, &QPushButton::clicked, this, [this] {
    const int row = items_->currentRow();
    editor_.Remove(row);
    ShowItems(std::min(row, editor_.Count() - 1));
  });
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  auto* inputs = new QHBoxLayout;
  inputs->addWidget(connective_);
  inputs->addWidget(negation_);
  inputs->addWidget(parameter_, 2);
  inputs->addWidget(comparison_);
  inputs->addWidget(value_, 2);
  inputs->addWidget(valueButton_);
  auto* buttons = new QHBoxLayout;
  for (QPushButton* button : {add_, insert_, remove_})
    buttons->addWidget(button);
  buttons->addStretch();
  buttons->addWidget(ok_);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(inputs);
  layout->addLayout(buttons);
  auto* caption = new QLabel(QStringLiteral("Filter"));
  caption->setBuddy(items_);
  layout->addWidget(caption);
  layout->addWidget(items_, 1);
  ok_->setDefault(true);
  resize(640, 320);
  ShowInputs();
  ShowItems(editor_.Count() > 0 ? 0 : -1);
}

bool TFilterDlg::ReadInputs() {
  TFilterInputs& inputs = editor_.Inputs;
  // The field shows the value; a text typed over it is a plain value.
  if (value_->text() != FieldText(inputs.Value)) {
    std::string typed;
    if (!ToCore(value_->text(), typed)) return false;
    inputs.Value.SetPlain(typed);
  }
  return ToCore(connective_->currentText(), inputs.Connective) &&
         ToCore(negation_->currentText(), inputs.Negation) &&
         ToCore(parameter_->currentText(), inputs.Parameter) &&
         ToCore(comparison_->currentText(), inputs.Comparison);
}

void TFilterDlg::ShowInputs() {
  const TFilterInputs& inputs = editor_.Inputs;
  connective_->setCurrentText(FromCore(inputs.Connective));
  negation_->setCurrentText(FromCore(inputs.Negation));
  parameter_->setCurrentText(FromCore(inputs.Parameter));
  comparison_->setCurrentText(FromCore(inputs.Comparison));
  value_->setText(FieldText(inputs.Value));
}

void TFilterDlg::ShowItems(int current) {
  items_->clear();
  for (int row = 0; row < editor_.Count(); ++row)
    items_->addItem(FromCore(editor_.ItemText(row)));
  if (current >= 0 && current < items_->count()) items_->setCurrentRow(current);
}

void TFilterDlg::Place(bool insert) {
  if (!ReadInputs()) return;
  const int row = items_->currentRow();
  if (insert ? !editor_.Insert(row) : !editor_.Add()) return;
  ShowInputs();
  ShowItems(insert ? row : editor_.Count() - 1);
}

void TFilterDlg::ChooseValue() {
  if (!ReadInputs()) return;
  TValue::Ptr value = editor_.Inputs.Value.Clone("TFilterDlg.ChooseValue");
  const std::string caption =
      std::string(kValueDetailsCaption) + " (" + editor_.Inputs.Parameter + ")";
  if (!app::EditValue(this, *value, nullptr, vpAll, 0, caption)) return;
  editor_.Inputs.Value.Assign(*value);
  value_->setText(FieldText(editor_.Inputs.Value));
}

} // namespace vandro
