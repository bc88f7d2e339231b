#include "app/editing/param_template_dlg.h"

#include "app/editing/selection_api.h"
#include "app/editing/structure_commands.h"
#include "app/shell/guard.h"
#include "app/shell/text_edge.h"
#include "editing/template_editor.h"
#include "editing/value_constructor.h"
#include "model/project.h"
#include "values/value_text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vandro {

namespace {

// A read-only field showing a value, with its "Define" button.
QLineEdit* ValueRow(QFormLayout* form, const char* caption, QPushButton*& define) {
  auto* edit = new QLineEdit;
  edit->setReadOnly(true);
  edit->setAccessibleName(QString::fromLatin1(caption).remove(QLatin1Char(':')));
  define = new QPushButton(QStringLiteral("Define"));
  auto* row = new QHBoxLayout;
  row->addWidget(edit, 1);
  row->addWidget(define);
  form->addRow(QString::fromLatin1(caption), row);
  return edit;
}

} // namespace

TParamTemplateDlg::TParamTemplateDlg(const TTemplate& tmpl, int index, TParamTemplate& line,
                                     QWidget* parent)
    : QDialog(parent), template_(tmpl), index_(index), line_(line) {
  setWindowTitle(QStringLiteral("Edit Parameter Template"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  defValue_.Assign(line.DefValue);
  constr_.Assign(line.Constr);

  parameter_ = new QComboBox;
  parameter_->setEditable(true);
  parameter_->setInsertPolicy(QComboBox::NoInsert);
  if (const TProject* project = CurrentProject())
    for (const auto& parameter : project->Parameters())
      if (!parameter->IsSystem()) parameter_->addItem(FromCore(parameter->ParamName));
  parameter_->setCurrentText(line.Parameter ? FromCore(line.Parameter->ParamName) : QString());
  parameter_->setAccessibleName(QStringLiteral("Parameter"));
  parameter_->lineEdit()->setAccessibleName(QStringLiteral("Parameter"));
  GuardCp1251(parameter_);

  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Parameter:"), parameter_);
  QPushButton* defineDefault = nullptr;
  QPushButton* defineConstraint = nullptr;
  default_ = ValueRow(form, "Default Value:", defineDefault);
  constraint_ = ValueRow(form, "Constraints:", defineConstraint);
  constraint_->setToolTip(QString::fromLatin1(kConstraintHint));
  defineConstraint->setToolTip(QString::fromLatin1(kConstraintHint));
  optional_ = new QCheckBox(QStringLiteral("Optional"));
  optional_->setToolTip(QString::fromLatin1(kOptionalHint));
  optional_->setChecked(line.Optional);
  hidden_ = new QCheckBox(QStringLiteral("Hidden"));
  hidden_->setToolTip(QString::fromLatin1(kHiddenHint));
  hidden_->setChecked(line.Invisible);
  auto* checks = new QHBoxLayout;
  checks->addWidget(optional_);
  checks->addWidget(hidden_);
  checks->addStretch();
  form->addRow(checks);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &TParamTemplateDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(defineDefault, &QPushButton::clicked, this, [this] { DefineDefault(); });
  connect(defineConstraint, &QPushButton::clicked, this, [this] { DefineConstraint(); });
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
  NameButtonsByCaption(this);
  ShowValues();
  setMinimumWidth(460);
}

void TParamTemplateDlg::ShowValues() {
  default_->setText(FromCore(ToDisplayText(&defValue_)));
  constraint_->setText(FromCore(ToDisplayText(&constr_)));
}

void TParamTemplateDlg::DefineDefault() {
  RunCommand([&] {
    const int page = DefaultValuePage(defValue_);
    TValue value;
    value.Assign(defValue_);
    if (app::EditValue(this, value, nullptr, vpAll, page, "Value Details (Default Value)"))
      defValue_.Assign(value);
  });
  ShowValues();
}

void TParamTemplateDlg::DefineConstraint() {
  TValue value;
  value.Assign(constr_);
  if (app::EditValue(this, value, nullptr, vpPlain | vpCalculated, vpCalculated,
                     "Value Details (Constraints)"))
    constr_.Assign(value);
  ShowValues();
}

void TParamTemplateDlg::accept() {
  std::string name;
  if (!ToCore(parameter_->currentText(), name)) return;
  bool taken = false;
  RunCommand([&] { taken = AcceptParamLine(template_, index_, name, line_); });
  if (!taken) return;
  line_.DefValue.Assign(defValue_);
  line_.Constr.Assign(constr_);
  line_.Optional = optional_->isChecked();
  line_.Invisible = hidden_->isChecked();
  QDialog::accept();
}

} // namespace vandro
