#include "app/editing/query_edit_dlg.h"

#include "app/editing/filter_dlg.h"
#include "app/editing/selection_api.h"
#include "app/editing/value_constructor_dlg.h"
#include "app/shell/guard.h"
#include "app/shell/text_edge.h"
#include "editing/value_constructor.h"
#include "model/filter.h"
#include "storage/objects.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace vandro {
namespace {

QComboBox* Box(const char* name, const std::vector<std::string>& entries) {
  auto* box = new QComboBox;
  box->setAccessibleName(QString::fromLatin1(name));
  for (const std::string& entry : entries)
    box->addItem(FromCore(entry));
  return box;
}

QLineEdit* Field(const char* name) {
  auto* edit = new QLineEdit;
  edit->setAccessibleName(QString::fromLatin1(name));
  GuardCp1251(edit);
  return edit;
}

QLabel* Caption(const char* text, QWidget* buddy) {
  auto* label = new QLabel(QString::fromLatin1(text));
  label->setBuddy(buddy);
  return label;
}

// Texts keep CR LF in the core; a text field shows one break per line.
QString Shown(const std::string& text) {
  return FromCore(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

} // namespace

TQueryEditDlg::TQueryEditDlg(TQExpression& query, QWidget* parent)
    : QDialog(parent), query_(query), editor_(query) {
  setWindowTitle(QString::fromLatin1(kEditQueryCaption));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  selection_ = Box("FIND:", QuerySelectionEntries());
  number_ = Field("Number");
  kind_ = Box("Kind", QueryKindEntries());
  kind_->setEditable(true);
  kind_->setInsertPolicy(QComboBox::NoInsert);
  kind_->lineEdit()->setAccessibleName(kind_->accessibleName());
  GuardCp1251(kind_);
  scope_ = Box("SCOPE:", QueryScopeEntries());
  everything_ = new QCheckBox(QStringLiteral("All objects in DB"));
  lines_ = new QListWidget;
  lines_->setAccessibleName(QStringLiteral("Object list"));
  add_ = new QPushButton(QStringLiteral("Add"));
  delete_ = new QPushButton(QStringLiteral("Delete"));
  clear_ = new QPushButton(QStringLiteral("Clear"));
  start_ = Field("Starting from:");
  startLabel_ = Caption("Starting from:", start_);
  finish_ = Field("Actual");
  finishLabel_ = Caption("Actual", finish_);
  condition_ = new QPlainTextEdit;
  condition_->setAccessibleName(QStringLiteral("CONDITION:"));
  condition_->setMaximumHeight(90);
  define_ = new QPushButton(QStringLiteral("Define"));
  edit_ = new QPushButton(QStringLiteral("Edit"));
  forAllStates_ = new QCheckBox(QStringLiteral("For All States"));

  auto* grid = new QGridLayout;
  grid->addWidget(Caption("FIND:", selection_), 0, 0);
  auto* find = new QHBoxLayout;
  find->addWidget(selection_);
  find->addWidget(number_);
  find->addWidget(kind_);
  find->addStretch();
  grid->addLayout(find, 0, 1);
  grid->addWidget(Caption("SCOPE:", scope_), 1, 0);
  auto* scope = new QHBoxLayout;
  scope->addWidget(scope_);
  scope->addStretch();
  scope->addWidget(everything_);
  grid->addLayout(scope, 1, 1);
  auto* list = new QHBoxLayout;
  list->addWidget(lines_, 1);
  auto* listButtons = new QVBoxLayout;
  for (QPushButton* button : {add_, delete_, clear_})
    listButtons->addWidget(button);
  listButtons->addStretch();
  list->addLayout(listButtons);
  grid->addLayout(list, 2, 1);
  auto* moments = new QHBoxLayout;
  moments->addWidget(startLabel_);
  moments->addWidget(start_, 1);
  moments->addWidget(finishLabel_);
  moments->addWidget(finish_, 1);
  grid->addLayout(moments, 3, 1);
  grid->addWidget(Caption("CONDITION:", condition_), 4, 0, Qt::AlignTop);
  auto* condition = new QHBoxLayout;
  condition->addWidget(condition_, 1);
  auto* conditionButtons = new QVBoxLayout;
  conditionButtons->addWidget(define_);
  conditionButtons->addWidget(edit_);
  conditionButtons->addStretch();
  condition->addLayout(conditionButtons);
  grid->addLayout(condition, 4, 1);
  grid->addWidget(forAllStates_, 5, 1);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  ok_ = buttons->button(QDialogButtonBox::Ok);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addWidget(buttons);
  resize(600, 420);
  ShowFields();

  // Connected once the fields show the query, so filling them changes no
  // rule's state.
  connect(selection_, &QComboBox::currentIndexChanged, this, [this](int entry) {
    editor_.Selection = entry;
    ShowShown();
  });
  connect(kind_, &QComboBox::activated, this, [this] { LeaveKind(); });
  connect(kind_->lineEdit(), &QLineEdit::editingFinished, this, [this] { LeaveKind(); });
  connect(scope_, &QComboBox::currentIndexChanged, this, [this](int entry) {
    editor_.SetScope(entry);
    if (editor_.Scope != entry) {
      const QSignalBlocker quiet(scope_);
      scope_->setCurrentIndex(editor_.Scope);
    }
    ShowShown();
  });
  connect(everything_, &QCheckBox::toggled, this,
          [this](bool checked) { editor_.Everything = checked; });
  connect(forAllStates_, &QCheckBox::toggled, this,
          [this](bool checked) { editor_.ForAllStates = checked; });
  connect(add_, &QPushButton::clicked, this, [this] { RunCommand([this] { AddObject(); }); });
  connect(delete_, &QPushButton::clicked, this, [this] {
    const int row = lines_->currentRow();
    editor_.DeleteLine(row);
    ShowLines(std::min(row, static_cast<int>(editor_.ScopeLines.size()) - 1));
  });
  connect(clear_, &QPushButton::clicked, this, [this] {
    editor_.ClearLines();
    ShowLines(-1);
  });
  connect(define_, &QPushButton::clicked, this,
          [this] { RunCommand([this] { DefineCondition(); }); });
  connect(edit_, &QPushButton::clicked, this, [this] { RunCommand([this] { EditCondition(); }); });
}

void TQueryEditDlg::ShowFields() {
  selection_->setCurrentIndex(editor_.Selection);
  number_->setText(FromCore(editor_.Number));
  kind_->setCurrentText(FromCore(editor_.Kind));
  scope_->setCurrentIndex(editor_.Scope);
  everything_->setChecked(editor_.Everything);
  ShowLines(editor_.ScopeLines.empty() ? -1 : 0);
  start_->setText(FromCore(editor_.Start));
  finish_->setText(FromCore(editor_.Finish));
  condition_->setPlainText(Shown(editor_.Condition));
  forAllStates_->setChecked(editor_.ForAllStates);
  ShowShown();
}

void TQueryEditDlg::ShowShown() {
  number_->setVisible(editor_.NumberShown());
  startLabel_->setVisible(editor_.StartShown());
  start_->setVisible(editor_.StartShown());
  const QString finish = FromCore(editor_.FinishLabel());
  finishLabel_->setText(finish);
  finish_->setAccessibleName(finish);
  forAllStates_->setVisible(editor_.ForAllStatesShown());
}

void TQueryEditDlg::ShowLines(int current) {
  lines_->clear();
  for (const std::string& line : editor_.ScopeLines)
    lines_->addItem(FromCore(line));
  if (current >= 0 && current < lines_->count()) lines_->setCurrentRow(current);
}

void TQueryEditDlg::LeaveKind() {
  std::string text;
  if (!ToCore(kind_->currentText(), text) || text == editor_.Kind) return;
  editor_.SetKind(text);
  kind_->setCurrentText(FromCore(editor_.Kind));
  ShowShown();
}

bool TQueryEditDlg::ReadFields() {
  std::string kind;
  if (!ToCore(kind_->currentText(), kind)) return false;
  // A kind typed but not yet left is checked here; a refused one keeps
  // the editor open.
  if (kind != editor_.Kind) {
    const bool known = editor_.SetKind(kind);
    kind_->setCurrentText(FromCore(editor_.Kind));
    ShowShown();
    if (!known) return false;
  }
  return ToCore(number_->text(), editor_.Number) && ToCore(start_->text(), editor_.Start) &&
         ToCore(finish_->text(), editor_.Finish) &&
         ToCore(condition_->toPlainText(), editor_.Condition);
}

void TQueryEditDlg::AddObject() {
  app::TSelectRequest request;
  request.Caption = "Select Object";
  app::TSelectResult result;
  if (!app::SelectObject(this, request, result) || result.ObjectId == 0) return;
  editor_.AddObject(APSObjectName(result.ObjectId));
  ShowLines(static_cast<int>(editor_.ScopeLines.size()) - 1);
}

void TQueryEditDlg::DefineCondition() {
  TFilter filter;
  TFilterDlg dialog(filter, this);
  if (dialog.exec() != QDialog::Accepted) return;
  editor_.TakeFilter(filter);
  condition_->setPlainText(Shown(editor_.Condition));
}

void TQueryEditDlg::EditCondition() {
  if (!ReadFields()) return;
  TValue::Ptr condition = TValue::Create("TQueryEditDlg.EditCondition");
  condition->SetText(vkCalculated, editor_.Condition);
  TValueConstructorDlg dialog(
      *condition, nullptr, vpAll, vpCalculated,
      QString::fromLatin1(kValueDetailsCaption) + QStringLiteral(" (Search condition)"), this);
  // A condition is a formula, never a query of its own.
  dialog.HideBuildQuery();
  if (dialog.exec() != QDialog::Accepted || !editor_.TakeCondition(*condition)) return;
  condition_->setPlainText(Shown(editor_.Condition));
}

void TQueryEditDlg::done(int result) {
  if (result != QDialog::Accepted) {
    QDialog::done(result);
    return;
  }
  TQueryEditorClose close = TQueryEditorClose::Stay;
  RunCommand([&] {
    if (!ReadFields()) return;
    close = editor_.Ok();
    // For ALL the number is cleared, whatever the answer.
    number_->setText(FromCore(editor_.Number));
    if (close == TQueryEditorClose::Accept) editor_.WriteBack(query_);
  });
  if (close == TQueryEditorClose::Stay) return;
  QDialog::done(close == TQueryEditorClose::Accept ? QDialog::Accepted : QDialog::Rejected);
}

} // namespace vandro
