#include "app/editing/action_edit_dlg.h"

#include "app/editing/selection_api.h"
#include "app/editing/structure_commands.h"
#include "app/shell/guard.h"
#include "app/shell/text_edge.h"
#include "editing/template_editor.h"
#include "editing/value_constructor.h"
#include "shell/messages.h"
#include "values/value_text.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vandro {

namespace {

QComboBox* Choice(const char* caption, std::initializer_list<const char*> items) {
  auto* box = new QComboBox;
  for (const char* item : items)
    box->addItem(QString::fromLatin1(item));
  box->setAccessibleName(QString::fromLatin1(caption).remove(QLatin1Char(':')));
  return box;
}

} // namespace

TActionEditDlg::TActionEditDlg(TActionTemplate& action, QWidget* parent)
    : QDialog(parent), action_(action) {
  setWindowTitle(QStringLiteral("Edit Action"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  working_.Assign(action);

  condition_ = new QLineEdit;
  condition_->setReadOnly(true);
  condition_->setAccessibleName(QStringLiteral("Condition"));
  auto* defineCondition = new QPushButton(QStringLiteral("Define"));
  defineCondition->setObjectName(QStringLiteral("defineCondition"));
  auto* conditionRow = new QHBoxLayout;
  conditionRow->addWidget(condition_, 1);
  conditionRow->addWidget(defineCondition);

  type_ = Choice("Action:", {"Add to Group", "Message", "Error Message", "Launch"});
  applyTo_ = Choice("Apply to:", {"Object", "State"});
  launch_ = Choice("Launch:", {"Before Create", "Before Save", "After Save"});

  argumentLabel_ = new QLabel;
  argumentLine_ = new QLineEdit;
  argumentText_ = new QPlainTextEdit;
  argumentText_->setTabChangesFocus(true);
  argumentText_->setMaximumHeight(90);
  GuardCp1251(argumentLine_);
  auto* defineArgument = new QPushButton(QStringLiteral("Define"));
  defineArgument->setObjectName(QStringLiteral("defineArgument"));
  auto* fields = new QVBoxLayout;
  fields->addWidget(argumentLine_);
  fields->addWidget(argumentText_);
  auto* argumentRow = new QHBoxLayout;
  argumentRow->addLayout(fields, 1);
  argumentRow->addWidget(defineArgument, 0, Qt::AlignTop);

  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Condition:"), conditionRow);
  form->addRow(QStringLiteral("Action:"), type_);
  form->addRow(QStringLiteral("Apply to:"), applyTo_);
  form->addRow(QStringLiteral("Launch:"), launch_);
  form->addRow(argumentLabel_, argumentRow);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &TActionEditDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(defineCondition, &QPushButton::clicked, this, [this] { DefineCondition(); });
  connect(defineArgument, &QPushButton::clicked, this, [this] { DefineArgument(); });
  connect(type_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (showing_ || index < 0) return;
    SetActionType(working_, index);
    ShowAction();
  });
  connect(applyTo_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (!showing_ && index >= 0) working_.ApplyTo = static_cast<uint8_t>(index);
  });
  connect(launch_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (!showing_ && index >= 0) working_.Launch = static_cast<uint8_t>(index);
  });
  connect(argumentLine_, &QLineEdit::textEdited, this,
          [this](const QString& text) { ArgumentTyped(text); });
  connect(argumentText_, &QPlainTextEdit::textChanged, this, [this] {
    if (!showing_) ArgumentTyped(argumentText_->toPlainText());
  });
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
  NameButtonsByCaption(this);
  defineCondition->setAccessibleName(QStringLiteral("Define Condition"));
  defineArgument->setAccessibleName(QStringLiteral("Define Argument"));
  ShowAction();
  setMinimumWidth(480);
}

void TActionEditDlg::ShowAction() {
  showing_ = true;
  const TActionLayout layout = ActionLayout(working_.ActionType);
  condition_->setText(FromCore(ConditionText(working_.Condition)));
  type_->setCurrentIndex(working_.ActionType);
  applyTo_->setCurrentIndex(working_.ApplyTo);
  applyTo_->setEnabled(layout.ApplyToEnabled);
  launch_->setCurrentIndex(working_.Launch < launch_->count() ? working_.Launch : -1);
  launch_->setEnabled(layout.LaunchEnabled);
  const QString label = QString::fromLatin1(layout.ArgumentLabel.c_str());
  argumentLabel_->setText(label);
  const QString name = QString(label).remove(QLatin1Char(':'));
  argumentLine_->setAccessibleName(name);
  argumentText_->setAccessibleName(name);
  // A plain value is typed; a group, a formula or a link only defined.
  const bool typed = working_.Argument.IsPlain() && working_.ActionType != atAddToGroup;
  const bool multiLine = !layout.OneLineArgument && MultiLineArgument(working_);
  const QString shown = FromCore(working_.Argument.IsPlain() ? working_.Argument.Text()
                                                             : ToDisplayText(&working_.Argument));
  argumentLine_->setVisible(!multiLine);
  argumentText_->setVisible(multiLine);
  argumentLine_->setReadOnly(!typed);
  argumentText_->setReadOnly(!typed);
  if (multiLine) {
    QString text = shown;
    argumentText_->setPlainText(text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
  } else if (argumentLine_->text() != shown) {
    argumentLine_->setText(shown);
  }
  showing_ = false;
}

void TActionEditDlg::ArgumentTyped(const QString& text) {
  if (!working_.Argument.IsPlain() || working_.ActionType == atAddToGroup) return;
  std::string value;
  if (!TryToCore(QString(text).replace(QStringLiteral("\n"), QStringLiteral("\r\n")), value))
    return;
  working_.Argument.SetPlain(value);
}

void TActionEditDlg::DefineArgument() {
  TValue value;
  value.Assign(working_.Argument);
  if (!app::EditValue(this, value, nullptr, vpPlain | vpCalculated | vpObjects, vpCalculated,
                      kArgumentCaption))
    return;
  RunCommand([&] { AcceptArgument(working_, value); });
  ShowAction();
}

void TActionEditDlg::DefineCondition() {
  TValue value;
  value.Assign(working_.Condition);
  if (!app::EditValue(this, value, nullptr, vpPlain | vpCalculated, vpCalculated,
                      kConditionCaption))
    return;
  RunCommand([&] { AcceptCondition(working_, value); });
  ShowAction();
}

void TActionEditDlg::accept() {
  action_.Assign(working_);
  QDialog::accept();
}

} // namespace vandro
