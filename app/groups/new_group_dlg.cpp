#include "app/groups/new_group_dlg.h"

#include "app/editing/selection_api.h"
#include "app/editing/value_kind_icon.h"
#include "app/model/moment_picker.h"
#include "app/model/object_view_dlg.h"
#include "app/shell/guard.h"
#include "app/shell/text_edge.h"
#include "editing/value_constructor.h"
#include "model/object_index.h"
#include "model/parameter.h"
#include "shell/datetime.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimeEdit>
#include <QVBoxLayout>

#include <algorithm>

namespace vandro {

namespace {

QPushButton* Button(const char* caption, const char* hint = nullptr) {
  auto* button = new QPushButton(QString::fromLatin1(caption));
  button->setAccessibleName(QString::fromLatin1(caption));
  if (hint) button->setToolTip(QString::fromLatin1(hint));
  return button;
}

QLineEdit* LabelledEdit(QFormLayout* form, const char* caption) {
  auto* edit = new QLineEdit;
  edit->setAccessibleName(QString::fromLatin1(caption).remove(QLatin1Char(':')));
  form->addRow(QString::fromLatin1(caption), edit);
  GuardCp1251(edit);
  return edit;
}

} // namespace

TNewGroupDlg::TNewGroupDlg(QWidget* parent) : TChildForm(TChildKind::GroupDialog, parent) {
  setAttribute(Qt::WA_DeleteOnClose);
  auto* layout = new QVBoxLayout(this);
  pages_ = new QTabWidget;
  auto* general = new QWidget;
  auto* advanced = new QWidget;
  pages_->addTab(general, QStringLiteral("General"));
  pages_->addTab(advanced, QStringLiteral("Advanced"));
  layout->addWidget(pages_);
  BuildGeneral(general);
  BuildAdvanced(advanced);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  QPushButton* ok = Button("OK");
  QPushButton* cancel = Button("Cancel");
  ok->setDefault(true);
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  connect(ok, &QPushButton::clicked, this, [this] { PressOk(); });
  connect(cancel, &QPushButton::clicked, this, [this] { PressCancel(); });
  resize(520, 480);
}

TNewGroupDlg::~TNewGroupDlg() {
  editor_.Close();
}

void TNewGroupDlg::BuildGeneral(QWidget* page) {
  auto* layout = new QVBoxLayout(page);
  auto* form = new QFormLayout;
  name_ = LabelledEdit(form, "Group Name:");
  name_->setMaxLength(static_cast<int>(kNameCapacity));
  moment_ = new TMomentPicker;
  moment_->SetTimeCaption(QStringLiteral("Time:"));
  form->addRow(QStringLiteral("Date:"), moment_);
  layout->addLayout(form);

  auto* row = new QHBoxLayout;
  content_ = new QListWidget;
  content_->setAccessibleName(QStringLiteral("Group content"));
  content_->setSelectionMode(QAbstractItemView::SingleSelection);
  content_->setStyleSheet(
      QStringLiteral("QListWidget { background: white; color: black; }"
                     "QListWidget::item:selected { background: rgb(0,0,128); color: white; }"));
  row->addWidget(content_);
  auto* side = new QVBoxLayout;
  QPushButton* addObject = Button("Add Object", "Add object to group");
  remove_ = Button("Remove Object", "Remove selected object from group");
  view_ = Button("View Object", "View selected object");
  for (QPushButton* button : {addObject, remove_, view_})
    side->addWidget(button);
  side->addStretch();
  row->addLayout(side);
  layout->addLayout(row);

  connect(name_, &QLineEdit::textEdited, this, [this](const QString& text) {
    std::string name;
    if (TryToCore(text, name)) editor_.SetGroupName(name);
  });
  connect(name_, &QLineEdit::editingFinished, this, [this] { NameLeft(); });
  const auto timeChanged = [this] {
    if (!refilling_) editor_.SetRealTime(moment_->Moment());
  };
  connect(moment_->DateEdit(), &QDateEdit::dateChanged, this, timeChanged);
  connect(moment_->TimeEdit(), &QTimeEdit::timeChanged, this, timeChanged);
  connect(moment_->DateEdit(), &QDateEdit::editingFinished, this, [this] { TimeLeft(); });
  connect(moment_->TimeEdit(), &QTimeEdit::editingFinished, this, [this] { TimeLeft(); });
  connect(addObject, &QPushButton::clicked, this, [this] { PressAddObject(); });
  connect(remove_, &QPushButton::clicked, this, [this] { PressRemoveObject(); });
  connect(view_, &QPushButton::clicked, this, [this] { PressViewObject(); });
  connect(content_, &QListWidget::itemDoubleClicked, this, [this] { PressViewObject(); });
}

void TNewGroupDlg::BuildAdvanced(QWidget* page) {
  auto* layout = new QVBoxLayout(page);
  auto* form = new QFormLayout;
  recordName_ = LabelledEdit(form, "Record Name:");
  recordName_->setMaxLength(32);
  recordName_->setToolTip(QStringLiteral("Name of the current state"));
  sysTime_ = new QLabel;
  sysTime_->setAccessibleName(QStringLiteral("System Date and Time"));
  form->addRow(QStringLiteral("System Date and Time:"), sysTime_);
  layout->addLayout(form);
  connect(recordName_, &QLineEdit::textEdited, this, [this](const QString& text) {
    std::string name;
    if (TryToCore(text, name)) editor_.SetRecordName(name);
  });

  indexBox_ = new QGroupBox;
  auto* indexForm = new QFormLayout(indexBox_);
  indexCheck_ = new QCheckBox(QStringLiteral("Create new Group Index entry"));
  indexCheck_->setAccessibleName(QStringLiteral("Create new Group Index entry"));
  indexForm->addRow(indexCheck_);
  indexName_ = LabelledEdit(indexForm, "Entry Name:");
  indexName_->setMaxLength(static_cast<int>(kEntryNameCapacity));
  indexComment_ = LabelledEdit(indexForm, "Entry Comment");
  indexComment_->setMaxLength(static_cast<int>(kEntryCommentCapacity));
  layout->addWidget(indexBox_);
  connect(indexCheck_, &QCheckBox::toggled, this, [this](bool on) {
    if (refilling_) return;
    editor_.IndexChecked = on;
    indexName_->setEnabled(on);
    indexComment_->setEnabled(on);
  });
  connect(indexName_, &QLineEdit::textEdited, this,
          [this](const QString& text) { TryToCore(text, editor_.IndexName); });
  connect(indexComment_, &QLineEdit::textEdited, this,
          [this](const QString& text) { TryToCore(text, editor_.IndexComment); });

  terminate_ = Button("Terminate", "Terminate the state the new one follows");
  auto* terminateRow = new QHBoxLayout;
  terminateRow->addWidget(terminate_);
  terminateRow->addStretch();
  layout->addLayout(terminateRow);
  connect(terminate_, &QPushButton::clicked, this, [this] { PressTerminate(); });

  auto* fill = new QGroupBox(QStringLiteral("Fill Group with Array or Query"));
  auto* fillLayout = new QVBoxLayout(fill);
  auto* fillButtons = new QHBoxLayout;
  QPushButton* define = Button("Define", "Define an array or a query");
  execute_ = Button("Execute", "Run the query");
  add_ = Button("Add", "Add the references to the group");
  for (QPushButton* button : {define, execute_, add_})
    fillButtons->addWidget(button);
  fillButtons->addStretch();
  fillLayout->addLayout(fillButtons);
  fillText_ = new QPlainTextEdit;
  fillText_->setReadOnly(true);
  fillText_->setAccessibleName(QStringLiteral("Array or query"));
  fillLayout->addWidget(fillText_);
  auto* countRow = new QFormLayout;
  count_ = new QLabel;
  count_->setAccessibleName(QStringLiteral("Result Count"));
  countRow->addRow(QStringLiteral("Result Count:"), count_);
  fillLayout->addLayout(countRow);
  layout->addWidget(fill);
  connect(define, &QPushButton::clicked, this, [this] { PressDefine(); });
  connect(execute_, &QPushButton::clicked, this, [this] { PressExecute(); });
  connect(add_, &QPushButton::clicked, this, [this] { PressAdd(); });
}

bool TNewGroupDlg::Start(bool newGroup, bool edit) {
  bool started = false;
  RunCommand([&] { started = editor_.Start(newGroup, edit); });
  if (!started) return false;
  ShowAll();
  pages_->setCurrentIndex(0);
  return true;
}

bool TNewGroupDlg::UsesObject(int32_t objectId) const {
  return objectId != 0 && editor_.GroupId() == objectId;
}

void TNewGroupDlg::CloseForProject() {
  closing_ = true;
  TChildForm::CloseForProject();
}

// --- Drawing ---------------------------------------------------------------------

void TNewGroupDlg::ShowAll() {
  refilling_ = true;
  const QString caption = FromCore(editor_.Caption());
  setWindowTitle(caption);
  if (SubWindow()) SubWindow()->setWindowTitle(caption);
  if (name_->text() != FromCore(editor_.GroupName())) name_->setText(FromCore(editor_.GroupName()));
  moment_->SetMoment(editor_.RealTime());
  recordName_->setText(FromCore(editor_.RecordName()));
  sysTime_->setText(FromCore(DateTimeToText(editor_.SysTime())));
  indexBox_->setVisible(editor_.IndexBoxVisible());
  indexCheck_->setChecked(editor_.IndexChecked);
  indexName_->setText(FromCore(editor_.IndexName));
  indexComment_->setText(FromCore(editor_.IndexComment));
  indexName_->setEnabled(editor_.IndexChecked);
  indexComment_->setEnabled(editor_.IndexChecked);
  terminate_->setVisible(editor_.TerminateVisible());
  refilling_ = false;
  FillContent(false);
  ShowFill();
}

void TNewGroupDlg::FillContent(bool selectLast) {
  const int current = content_->currentRow();
  content_->clear();
  for (const TGroupLine& line : editor_.Lines())
    new QListWidgetItem(ValueKindIcon(line.Kind), FromCore(line.Text), content_);
  const int count = content_->count();
  if (count > 0)
    content_->setCurrentRow(selectLast ? count - 1 : std::clamp(current, 0, count - 1));
  remove_->setEnabled(count > 0);
  view_->setEnabled(count > 0);
}

void TNewGroupDlg::ShowFill() {
  fillText_->setPlainText(FromCore(editor_.FillText()));
  execute_->setEnabled(editor_.ExecuteEnabled());
  add_->setEnabled(editor_.AddEnabled());
  count_->setText(QString::number(editor_.ResultCount()));
}

// --- Names and times ---------------------------------------------------------------

void TNewGroupDlg::NameLeft() {
  if (refilling_ || closing_) return;
  editor_.LeaveGroupName();
  recordName_->setText(FromCore(editor_.RecordName()));
  indexName_->setText(FromCore(editor_.IndexName));
}

void TNewGroupDlg::TimeLeft() {
  if (refilling_ || closing_) return;
  editor_.SetRealTime(moment_->Moment());
  RunCommand([&] { editor_.LeaveRealTime(); });
  refilling_ = true;
  moment_->SetMoment(editor_.RealTime());
  refilling_ = false;
  FillContent(false);
}

// --- The content list -------------------------------------------------------------

void TNewGroupDlg::PressAddObject() {
  app::TSelectRequest request;
  request.Caption = "Select Object";
  request.RequireState = false; // "Use Link to Object" checked
  request.AllowSeveralStates = true;
  request.Moment = editor_.RealTime();
  app::TSelectResult result;
  if (!app::SelectObject(this, request, result)) return;
  RunCommand([&] { editor_.AddChosen(result.ObjectId, result.StateIds); });
  FillContent(true);
}

void TNewGroupDlg::PressRemoveObject() {
  const int row = content_->currentRow();
  if (row < 0) return;
  RunCommand([&] { editor_.RemoveMember(row); });
  FillContent(false);
}

void TNewGroupDlg::PressViewObject() {
  const int32_t id = editor_.MemberIdentifier(content_->currentRow());
  if (id == 0) return;
  TObjectViewDlg view(this);
  bool opened = false;
  RunCommand([&] { opened = view.Open(id); });
  if (opened) view.exec();
}

// --- Filling from an array or a query -----------------------------------------------

void TNewGroupDlg::PressDefine() {
  RunCommand([&] {
    TValue value;
    value.Assign(editor_.QueryValue());
    if (!app::EditValue(this, value, &editor_.Record(), vpPlain | vpCalculated, vpCalculated,
                        "Value Details (Query to add)"))
      return;
    editor_.AcceptQuery(value);
  });
  ShowFill();
}

void TNewGroupDlg::PressExecute() {
  RunCommand([&] { editor_.Execute(); });
  ShowFill();
}

void TNewGroupDlg::PressAdd() {
  RunCommand([&] { editor_.AddResults(); });
  ShowFill();
  FillContent(true);
  pages_->setCurrentIndex(0);
}

// --- OK, Cancel, Terminate ----------------------------------------------------------

void TNewGroupDlg::PressOk() {
  editor_.SetRealTime(moment_->Moment());
  bool close = false;
  RunCommand([&] { close = editor_.Ok(); });
  if (close) return Finish();
  ShowAll();
  // A refused name or time: the field to change gets the focus.
  if (editor_.Refused() == TGroupField::None) return;
  pages_->setCurrentIndex(0);
  if (editor_.Refused() == TGroupField::Name)
    name_->setFocus();
  else
    moment_->DateEdit()->setFocus();
}

void TNewGroupDlg::PressCancel() {
  Finish();
}

void TNewGroupDlg::PressTerminate() {
  editor_.SetRealTime(moment_->Moment());
  bool close = false;
  RunCommand([&] { close = editor_.TerminateState(); });
  if (close) Finish();
}

void TNewGroupDlg::Finish() {
  closing_ = true;
  editor_.Close();
  if (SubWindow())
    SubWindow()->close();
  else
    close();
}

} // namespace vandro
