#include "app/editing/create_record_dlg.h"

#include "app/editing/select_param_dlg.h"
#include "app/editing/selection_api.h"
#include "app/editing/structure_commands.h"
#include "app/editing/value_kind_icon.h"
#include "app/model/moment_picker.h"
#include "app/shell/guard.h"
#include "app/shell/text_edge.h"
#include "app/storage/parameter_edit_dlg.h"
#include "editing/template_editor.h"
#include "editing/value_constructor.h"
#include "model/project.h"
#include "shell/datetime.h"
#include "shell/messages.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDesktopServices>
#include <QDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTableWidget>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimeEdit>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include <functional>
#include <utility>

namespace vandro {

namespace {

constexpr int kFirstColumnWidth = 8;
constexpr int kParameterColumnWidth = 128;
constexpr int kValuePages = 31; // every page of the value constructor

QPushButton* Button(const char* caption, QWidget* parent) {
  auto* button = new QPushButton(QString::fromLatin1(caption), parent);
  button->setAccessibleName(QString::fromLatin1(caption));
  return button;
}

QLineEdit* LabelledEdit(QFormLayout* form, const char* caption) {
  auto* edit = new QLineEdit;
  edit->setAccessibleName(QString::fromLatin1(caption).remove(QLatin1Char(':')));
  form->addRow(QString::fromLatin1(caption), edit);
  GuardCp1251(edit);
  return edit;
}

// The text colour of a value the record does not set itself.
const QColor kInheritedValue(127, 127, 255);

// The grid's cells: "Parameter" is typed into or picked from a drop-down
// list of the project's parameters; a value the record does not set itself
// stays grey when its cell is selected.
class TRecordGridDelegate final : public QStyledItemDelegate {
public:
  TRecordGridDelegate(QObject* parent, std::function<QStringList()> names)
      : QStyledItemDelegate(parent), names_(std::move(names)) {}

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override {
    if (index.column() != rcParameter)
      return QStyledItemDelegate::createEditor(parent, option, index);
    auto* list = new QComboBox(parent);
    list->setEditable(true);
    list->setInsertPolicy(QComboBox::NoInsert);
    list->setAccessibleName(QStringLiteral("Parameter"));
    list->addItems(names_());
    return list;
  }
  void setEditorData(QWidget* editor, const QModelIndex& index) const override {
    auto* list = qobject_cast<QComboBox*>(editor);
    if (!list) return QStyledItemDelegate::setEditorData(editor, index);
    list->setCurrentText(index.data().toString());
    list->lineEdit()->selectAll();
  }
  void setModelData(QWidget* editor, QAbstractItemModel* model,
                    const QModelIndex& index) const override {
    auto* list = qobject_cast<QComboBox*>(editor);
    if (!list) return QStyledItemDelegate::setModelData(editor, model, index);
    model->setData(index, list->currentText());
  }

protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    if (index.data(Qt::ForegroundRole).value<QBrush>().color() == kInheritedValue)
      option->palette.setColor(QPalette::HighlightedText, QColor(127, 127, 127));
  }

private:
  std::function<QStringList()> names_;
};

} // namespace

TCreateRecordDlg::TCreateRecordDlg(QWidget* parent)
    : TChildForm(TChildKind::RecordDialog, parent), editor_(*this) {
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
  ok_ = Button("OK", this);
  QPushButton* cancel = Button("Cancel", this);
  buttons->addWidget(ok_);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  connect(ok_, &QPushButton::clicked, this, [this] { PressOk(); });
  connect(cancel, &QPushButton::clicked, this, [this] { PressCancel(); });
  resize(680, 540);
}

TCreateRecordDlg::~TCreateRecordDlg() {
  editor_.Close();
}

void TCreateRecordDlg::BuildGeneral(QWidget* page) {
  auto* layout = new QVBoxLayout(page);
  auto* form = new QFormLayout;
  name_ = LabelledEdit(form, "Object Name:");
  name_->setMaxLength(static_cast<int>(kNameCapacity));
  moment_ = new TMomentPicker;
  moment_->SetTimeCaption(QStringLiteral("Time:"));
  form->addRow(QStringLiteral("Date:"), moment_);
  template_ = new QLabel;
  template_->setAccessibleName(QStringLiteral("Template"));
  form->addRow(QStringLiteral("Template:"), template_);
  layout->addLayout(form);

  grid_ = new QTableWidget(this);
  grid_->setAccessibleName(QStringLiteral("Parameters"));
  grid_->setSelectionMode(QAbstractItemView::SingleSelection);
  grid_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                         QAbstractItemView::AnyKeyPressed);
  grid_->verticalHeader()->hide();
  grid_->setContextMenuPolicy(Qt::CustomContextMenu);
  grid_->setStyleSheet(QStringLiteral("QTableWidget::item:selected { background: rgb(0,0,128); }"));
  grid_->setItemDelegate(new TRecordGridDelegate(grid_, [this] {
    QStringList names;
    for (const std::string& name : editor_.ParameterList())
      names << FromCore(name);
    return names;
  }));
  layout->addWidget(grid_);

  pick_ = new QToolButton(grid_->viewport());
  pick_->setText(QStringLiteral("v"));
  pick_->setToolTip(QStringLiteral("Select parameter"));
  pick_->setAccessibleName(QStringLiteral("Select parameter"));
  define_ = new QToolButton(grid_->viewport());
  define_->setText(QStringLiteral("..."));
  define_->setToolTip(QStringLiteral("Define value"));
  define_->setAccessibleName(QStringLiteral("Define value"));
  formula_ = new QToolButton(grid_->viewport());
  formula_->setText(QStringLiteral("?"));
  formula_->setToolTip(QStringLiteral("Show formula"));
  formula_->setAccessibleName(QStringLiteral("Show formula"));
  for (QToolButton* button : {pick_, define_, formula_})
    button->hide();
  formulaWindow_ = new QTextEdit(this);
  formulaWindow_->setReadOnly(true);
  formulaWindow_->setAccessibleName(QStringLiteral("Formula"));
  formulaWindow_->setFrameShape(QFrame::Box);
  formulaWindow_->setLineWrapMode(QTextEdit::WidgetWidth);
  formulaWindow_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  formulaWindow_->document()->setDocumentMargin(2);
  QPalette tip = formulaWindow_->palette();
  tip.setColor(QPalette::Base, tip.color(QPalette::ToolTipBase));
  tip.setColor(QPalette::Text, tip.color(QPalette::ToolTipText));
  formulaWindow_->setPalette(tip);
  formulaWindow_->hide();
  formulaWindow_->installEventFilter(this);

  connect(name_, &QLineEdit::textEdited, this, [this](const QString& text) {
    std::string name;
    if (!TryToCore(text, name)) return;
    editor_.SetObjectName(name);
    ShowAll();
  });
  const auto timeChanged = [this] {
    if (!refilling_) editor_.SetRealTime(moment_->Moment());
  };
  connect(moment_->DateEdit(), &QDateEdit::dateChanged, this, timeChanged);
  connect(moment_->TimeEdit(), &QTimeEdit::timeChanged, this, timeChanged);
  connect(moment_->DateEdit(), &QDateEdit::editingFinished, this, [this] { TimeLeft(); });
  connect(moment_->TimeEdit(), &QTimeEdit::editingFinished, this, [this] { TimeLeft(); });
  connect(grid_, &QTableWidget::currentCellChanged, this,
          [this](int row, int column, int, int) { CellChosen(row, column); });
  connect(grid_, &QTableWidget::itemChanged, this,
          [this](QTableWidgetItem* item) { CellTyped(item->row(), item->column()); });
  connect(grid_, &QTableWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { GridMenu(at); });
  connect(pick_, &QToolButton::clicked, this, [this] { PressPickParameter(); });
  connect(define_, &QToolButton::clicked, this, [this] { PressDefineValue(); });
  connect(formula_, &QToolButton::clicked, this, [this] { ShowFormula(); });
  // Column 0 is narrower than a header section may be by default.
  grid_->horizontalHeader()->setMinimumSectionSize(kFirstColumnWidth);
  grid_->viewport()->installEventFilter(this);
  grid_->installEventFilter(this);
}

void TCreateRecordDlg::BuildAdvanced(QWidget* page) {
  auto* layout = new QVBoxLayout(page);
  auto* form = new QFormLayout;
  sysTime_ = new QLabel;
  sysTime_->setAccessibleName(QStringLiteral("System Date and Time"));
  form->addRow(QStringLiteral("System Date and Time:"), sysTime_);
  recordName_ = LabelledEdit(form, "Record Name:");
  recordName_->setMaxLength(32);
  layout->addLayout(form);
  connect(recordName_, &QLineEdit::textEdited, this, [this](const QString& text) {
    std::string name;
    if (TryToCore(text, name)) editor_.SetRecordName(name);
  });

  auto* row = new QHBoxLayout;
  newVersion_ = Button("Save and Create a New Version", page);
  terminate_ = Button("Terminate state", page);
  iterative_ = Button("Save and Create an Iterative Record", page);
  saveTemplate_ = Button("Save as Template", page);
  for (QPushButton* button : {newVersion_, terminate_, iterative_, saveTemplate_})
    row->addWidget(button);
  layout->addLayout(row);
  connect(newVersion_, &QPushButton::clicked, this, [this] { PressNewVersion(); });
  connect(iterative_, &QPushButton::clicked, this, [this] { PressIterative(); });
  connect(terminate_, &QPushButton::clicked, this, [this] { PressTerminate(); });
  connect(saveTemplate_, &QPushButton::clicked, this, [this] { PressSaveAsTemplate(); });

  indexBox_ = new QGroupBox;
  auto* indexForm = new QFormLayout(indexBox_);
  indexCheck_ = new QCheckBox(QStringLiteral("Add Index Entry for the Object"));
  indexCheck_->setAccessibleName(QStringLiteral("Add Index Entry for the Object"));
  indexForm->addRow(indexCheck_);
  indexName_ = LabelledEdit(indexForm, "Index Entry Name");
  indexName_->setMaxLength(32);
  indexComment_ = LabelledEdit(indexForm, "Index Entry Comment");
  indexComment_->setMaxLength(128);
  layout->addWidget(indexBox_);
  connect(indexCheck_, &QCheckBox::toggled, this, [this](bool on) {
    editor_.IndexChecked = on;
    indexName_->setEnabled(on);
    indexComment_->setEnabled(on);
  });
  connect(indexName_, &QLineEdit::textEdited, this,
          [this](const QString& text) { TryToCore(text, editor_.IndexName); });
  connect(indexComment_, &QLineEdit::textEdited, this,
          [this](const QString& text) { TryToCore(text, editor_.IndexComment); });

  auto* groupBox = new QGroupBox(
      QStringLiteral("Include object into groups (replace occurance if group is marked)"));
  auto* groupLayout = new QHBoxLayout(groupBox);
  groups_ = new QListWidget;
  groups_->setAccessibleName(QStringLiteral("Include object into groups"));
  groupLayout->addWidget(groups_);
  auto* groupButtons = new QVBoxLayout;
  QPushButton* add = Button("Add Group", groupBox);
  QPushButton* remove = Button("Remove Group", groupBox);
  QPushButton* clear = Button("Clear", groupBox);
  condition_ = Button("Condition", groupBox);
  for (QPushButton* button : {add, remove, clear, condition_})
    groupButtons->addWidget(button);
  groupLayout->addLayout(groupButtons);
  layout->addWidget(groupBox);
  connect(add, &QPushButton::clicked, this, [this] { PressAddGroup(); });
  connect(remove, &QPushButton::clicked, this, [this] {
    editor_.RemoveGroup(groups_->currentRow());
    FillGroups();
  });
  connect(clear, &QPushButton::clicked, this, [this] {
    editor_.ClearGroups();
    FillGroups();
  });
  connect(condition_, &QPushButton::clicked, this, [this] { EditCondition(); });
  connect(groups_, &QListWidget::itemChanged, this,
          [this](QListWidgetItem* item) { GroupChecked(item); });
  connect(groups_, &QListWidget::currentRowChanged, this,
          [this](int row) { condition_->setEnabled(row >= 0); });
}

bool TCreateRecordDlg::Start(bool newObject, bool edit) {
  bool started = false;
  RunCommand([&] { started = editor_.Start(newObject, edit); });
  if (!started) return false;
  ShowAll();
  return true;
}

bool TCreateRecordDlg::UsesObject(int32_t objectId) const {
  return objectId != 0 && const_cast<TRecordEditor&>(editor_).ObjectId() == objectId;
}

void TCreateRecordDlg::CloseForProject() {
  closing_ = true;
  TChildForm::CloseForProject();
}

void TCreateRecordDlg::ParametersChanged() {
  RunCommand([&] { editor_.FillParamList(); });
}

// --- Drawing ---------------------------------------------------------------------

void TCreateRecordDlg::ShowAll() {
  refilling_ = true;
  const QString caption = FromCore(editor_.Caption());
  setWindowTitle(caption);
  if (SubWindow()) SubWindow()->setWindowTitle(caption);
  if (name_->text() != FromCore(editor_.ObjectName()))
    name_->setText(FromCore(editor_.ObjectName()));
  name_->setReadOnly(!editor_.NewObject());
  moment_->SetMoment(editor_.RealTime());
  template_->setText(FromCore(editor_.TemplateCaption()));
  sysTime_->setText(FromCore(DateTimeToText(editor_.SysTime())));
  recordName_->setText(FromCore(editor_.RecordName()));
  terminate_->setVisible(editor_.TerminateVisible());
  indexBox_->setVisible(editor_.IndexBoxVisible());
  indexCheck_->setChecked(editor_.IndexChecked);
  indexName_->setText(FromCore(editor_.IndexName));
  indexComment_->setText(FromCore(editor_.IndexComment));
  indexName_->setEnabled(editor_.IndexChecked);
  indexComment_->setEnabled(editor_.IndexChecked);
  refilling_ = false;
  FillGroups();
  Refill();
}

void TCreateRecordDlg::FillGroups() {
  refilling_ = true;
  groups_->clear();
  for (const TGroupItem& group : editor_.Groups()) {
    auto* item = new QListWidgetItem(FromCore(group.Text), groups_);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(group.Checked ? Qt::Checked : Qt::Unchecked);
  }
  condition_->setEnabled(false);
  refilling_ = false;
}

void TCreateRecordDlg::Refill() {
  refilling_ = true;
  const std::vector<std::string> columns = editor_.Columns();
  const std::vector<TRecordRow>& rows = editor_.Rows();
  grid_->clear();
  grid_->setColumnCount(static_cast<int>(columns.size()));
  QStringList headers;
  for (const std::string& column : columns)
    headers << FromCore(column);
  grid_->setHorizontalHeaderLabels(headers);
  grid_->setRowCount(static_cast<int>(rows.size()));
  FitColumns();
  for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
    const TRecordRow& row = rows[static_cast<size_t>(r)];
    auto* first = new QTableWidgetItem;
    first->setFlags(Qt::ItemIsEnabled);
    first->setToolTip(QStringLiteral("Drag to move the row"));
    grid_->setItem(r, 0, first);
    auto* name = new QTableWidgetItem(FromCore(row.Parameter));
    name->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
    auto* value = new QTableWidgetItem(FromCore(row.Value));
    Qt::ItemFlags valueFlags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (row.ValueKind == vkPlain) valueFlags |= Qt::ItemIsEditable;
    value->setFlags(valueFlags);
    if (row.HasParameter) {
      value->setIcon(ValueKindIcon(row.ValueKind));
      value->setToolTip(FromCore(row.Hint));
    }
    const QColor invisible(200, 200, 200);
    if (row.Invisible) {
      name->setForeground(invisible);
      value->setForeground(invisible);
    } else if (!row.Modified) {
      value->setForeground(kInheritedValue);
    }
    grid_->setItem(r, rcParameter, name);
    grid_->setItem(r, rcValue, value);
    if (editor_.ShowsPrevious()) {
      auto* previous = new QTableWidgetItem(FromCore(row.Previous));
      previous->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
      if (!row.Previous.empty()) previous->setIcon(ValueKindIcon(row.PreviousKind));
      if (row.Invisible) previous->setForeground(invisible);
      grid_->setItem(r, rcPrevious, previous);
    }
  }
  if (!rows.empty()) grid_->setCurrentCell(editor_.EditRow(), editor_.EditColumn());
  refilling_ = false;
  PlaceCellButtons();
}

void TCreateRecordDlg::FitColumns() {
  const int values = std::max(1, grid_->columnCount() - 2);
  const int rest = std::max(
      kParameterColumnWidth,
      (grid_->viewport()->width() - kFirstColumnWidth - kParameterColumnWidth - 3) / values);
  grid_->setColumnWidth(0, kFirstColumnWidth);
  grid_->setColumnWidth(rcParameter, kParameterColumnWidth);
  for (int column = rcValue; column < grid_->columnCount(); ++column)
    grid_->setColumnWidth(column, rest);
}

void TCreateRecordDlg::PlaceCellButtons() {
  for (QToolButton* button : {pick_, define_, formula_})
    button->hide();
  formulaWindow_->hide();
  const int row = editor_.EditRow();
  if (row < 0 || row >= grid_->rowCount()) return;
  const auto place = [&](QToolButton* button, int column, int fromRight) {
    const QRect cell = grid_->visualRect(grid_->model()->index(row, column));
    if (!cell.isValid()) return;
    const int side = cell.height();
    button->setGeometry(cell.right() - side * fromRight + 1, cell.top(), side, side);
    button->show();
    button->raise();
  };
  if (grid_->horizontalScrollBar()->value() == 0) place(pick_, rcParameter, 1);
  const TRecordRow& current = editor_.Rows()[static_cast<size_t>(row)];
  if (current.HasParameter) {
    place(define_, rcValue, 1);
    if (current.Formula) place(formula_, rcValue, 2);
  }
}

// --- The grid --------------------------------------------------------------------

void TCreateRecordDlg::CellChosen(int row, int column) {
  if (refilling_ || row < 0 || column < 0) return;
  if (row == editor_.EditRow() && column == editor_.EditColumn() && editor_.EditInProgress())
    return;
  RunCommand([&] { editor_.SelectCell(row, column); });
  // A refused selection goes back to the cell the editor keeps.
  QMetaObject::invokeMethod(
      this, [this] { Refill(); }, Qt::QueuedConnection);
}

void TCreateRecordDlg::CellTyped(int row, int column) {
  if (refilling_) return;
  QTableWidgetItem* item = grid_->item(row, column);
  if (!item) return;
  std::string text;
  if (!ToCore(item->text(), text)) {
    Refill();
    return;
  }
  RunCommand([&] {
    if (!(editor_.EditInProgress() && editor_.EditRow() == row && editor_.EditColumn() == column))
      if (!editor_.SelectCell(row, column)) return;
    editor_.SetEditText(text);
    if (!editor_.CommitCellEdit()) return;
  });
  QMetaObject::invokeMethod(
      this, [this] { ShowAll(); }, Qt::QueuedConnection);
}

bool TCreateRecordDlg::eventFilter(QObject* watched, QEvent* event) {
  if (watched == formulaWindow_ && event->type() == QEvent::FocusOut) formulaWindow_->hide();
  if (watched == grid_ && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
    editor_.RestoreEditText();
    Refill();
    return true;
  }
  // A row is dragged by its narrow first cell, which cannot be selected; the
  // press and the release name the rows.
  if (watched == grid_->viewport() &&
      (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseMove ||
       event->type() == QEvent::MouseButtonRelease)) {
    const auto* mouse = static_cast<QMouseEvent*>(event);
    const QPoint at = mouse->position().toPoint();
    if (event->type() == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton &&
        grid_->columnAt(at.x()) == 0 && grid_->rowAt(at.y()) >= 0) {
      dragRow_ = grid_->rowAt(at.y());
      grid_->viewport()->setCursor(Qt::SizeVerCursor);
      return true;
    }
    if (dragRow_ < 0) return TChildForm::eventFilter(watched, event);
    if (event->type() == QEvent::MouseButtonRelease) {
      const int from = dragRow_;
      dragRow_ = -1;
      grid_->viewport()->unsetCursor();
      const int to = grid_->rowAt(at.y());
      if (to >= 0) DragRow(from, to);
    }
    return true;
  }
  // The value columns share the width the grid has now (a vertical scroll
  // bar takes some of it); the cell buttons follow them.
  if (watched == grid_->viewport() && event->type() == QEvent::Resize)
    QMetaObject::invokeMethod(
        this,
        [this] {
          FitColumns();
          PlaceCellButtons();
        },
        Qt::QueuedConnection);
  return TChildForm::eventFilter(watched, event);
}

void TCreateRecordDlg::DragRow(int from, int to) {
  if (from == to) return;
  // A cell being typed into is committed first, so that the text stays with
  // its row.
  QWidget* focus = QApplication::focusWidget();
  if (focus && focus != grid_ && grid_->isAncestorOf(focus)) grid_->setFocus();
  bool moved = false;
  RunCommand([&] { moved = editor_.MoveRow(from, to); });
  if (moved) Refill();
}

void TCreateRecordDlg::GridMenu(const QPoint& at) {
  QMenu menu(this);
  QAction* showHidden = menu.addAction(QStringLiteral("Show Hidden"));
  showHidden->setCheckable(true);
  showHidden->setChecked(editor_.ShowHidden());
  QAction* hide = menu.addAction(QStringLiteral("Hide Parameter"));
  QAction* unhide = menu.addAction(QStringLiteral("Unhide Parameter"));
  hide->setEnabled(editor_.CanHide());
  unhide->setEnabled(editor_.CanUnhide());
  QAction* chosen = menu.exec(grid_->viewport()->mapToGlobal(at));
  if (chosen == showHidden) editor_.SetShowHidden(showHidden->isChecked());
  if (chosen == hide) editor_.HideParameter();
  if (chosen == unhide) editor_.UnhideParameter();
  Refill();
}

void TCreateRecordDlg::ShowFormula() {
  const std::string text = editor_.FormulaText();
  if (text.empty() || !formula_->isVisible()) return;
  const QString shown = FromCore(text);
  // Under the button, as wide as the value column but within the grid, and
  // high enough for the formula's lines, six at most; longer ones scroll.
  const int row = editor_.EditRow();
  const QRect cell = grid_->visualRect(grid_->model()->index(row, rcValue));
  const QPoint topLeft =
      grid_->viewport()->mapTo(this, QPoint(cell.left(), formula_->geometry().bottom() + 1));
  const int right = grid_->viewport()->mapTo(this, grid_->viewport()->rect().topRight()).x();
  const int lines = std::min<int>(6, static_cast<int>(shown.count(QLatin1Char('\n'))) + 1);
  const int lineHeight = formulaWindow_->fontMetrics().height() + 5;
  formulaWindow_->setPlainText(shown);
  formulaWindow_->setGeometry(topLeft.x(), topLeft.y(),
                              std::max(1, std::min(cell.width(), right - topLeft.x() + 1)),
                              lineHeight * (lines + 1));
  formulaWindow_->show();
  formulaWindow_->raise();
  formulaWindow_->setFocus();
}

void TCreateRecordDlg::PressDefineValue() {
  RunCommand([&] {
    TPVRelation* relation = editor_.CurrentRelation();
    if (!relation || !relation->Parameter) return;
    TValue value;
    value.Assign(relation->Value);
    if (!app::EditValue(this, value, &editor_.Record(), kValuePages, lastPage_,
                        "Value Details (" + relation->Parameter->ParamName + ")"))
      return;
    editor_.AcceptValue(value);
  });
  Refill();
}

void TCreateRecordDlg::PressPickParameter() {
  std::string text;
  if (!app::SelectParameter(this, editor_.ParameterList(), text)) return;
  RunCommand([&] { editor_.PickParameter(text); });
  ShowAll();
}

// --- Time ------------------------------------------------------------------------

void TCreateRecordDlg::TimeLeft() {
  if (refilling_ || closing_) return;
  editor_.SetRealTime(moment_->Moment());
  RunCommand([&] { editor_.LeaveRealTime(); });
  ShowAll();
}

// --- Buttons ---------------------------------------------------------------------

void TCreateRecordDlg::PressOk() {
  bool close = false;
  RunCommand([&] {
    if (editor_.EditInProgress() && !editor_.CommitCellEdit()) return;
    close = editor_.Ok();
  });
  if (close)
    Finish();
  else
    ShowAll();
}

void TCreateRecordDlg::PressCancel() {
  Finish();
}

void TCreateRecordDlg::PressNewVersion() {
  RunCommand([&] {
    if (editor_.EditInProgress() && !editor_.CommitCellEdit()) return;
    editor_.SaveAndCreateNewVersion();
  });
  if (editor_.ClosingWithoutStore()) return Finish();
  pages_->setCurrentIndex(0);
  ShowAll();
}

void TCreateRecordDlg::PressIterative() {
  RunCommand([&] {
    if (editor_.EditInProgress() && !editor_.CommitCellEdit()) return;
    editor_.SaveAndCreateIterative();
  });
  if (editor_.ClosingWithoutStore()) return Finish();
  pages_->setCurrentIndex(0);
  ShowAll();
}

void TCreateRecordDlg::PressTerminate() {
  bool close = false;
  RunCommand([&] { close = editor_.TerminateState(); });
  if (close) Finish();
}

void TCreateRecordDlg::PressSaveAsTemplate() {
  std::unique_ptr<TTemplateEditor> templateEditor;
  RunCommand([&] { templateEditor = editor_.TemplateFromRecord(); });
  std::string stored;
  if (templateEditor && EditTemplate(this, std::move(templateEditor), &stored))
    RunCommand([&] { editor_.AdoptTemplate(stored); });
  ShowAll();
}

void TCreateRecordDlg::PressAddGroup() {
  app::TSelectRequest request;
  request.Caption = "Select Object";
  request.RequireState = true;
  app::TSelectResult result;
  if (!app::SelectObject(this, request, result)) return;
  TValue reference;
  const int32_t id = !result.StateIds.empty() ? result.StateIds.front() : result.ObjectId;
  if (id != 0) reference.SetText(vkObject, std::to_string(id));
  RunCommand([&] { editor_.AddGroup(reference); });
  FillGroups();
  groups_->setCurrentRow(groups_->count() - 1);
  condition_->setEnabled(groups_->currentRow() >= 0);
}

void TCreateRecordDlg::GroupChecked(QListWidgetItem* item) {
  if (refilling_) return;
  editor_.SetGroupChecked(groups_->row(item), item->checkState() == Qt::Checked);
}

void TCreateRecordDlg::EditCondition() {
  const int row = groups_->currentRow();
  if (row < 0) return;
  RunCommand([&] {
    TActionTemplate& action = editor_.GroupAction(row);
    TValue condition;
    condition.Assign(action.Condition);
    // "Plain values" and "Calculated", opening on "Calculated".
    if (app::EditValue(this, condition, &editor_.Record(), vpPlain | vpCalculated, vpCalculated,
                       kConditionCaption))
      action.Condition.Assign(condition);
  });
}

void TCreateRecordDlg::Finish() {
  closing_ = true;
  editor_.Close();
  if (SubWindow())
    SubWindow()->close();
  else
    close();
}

// --- The editor's host -----------------------------------------------------------

namespace {

TLaunchOpener& InstalledOpener() {
  static TLaunchOpener opener;
  return opener;
}

TLaunchOpener LaunchOpener() {
  if (InstalledOpener()) return InstalledOpener();
  return [](const QUrl& url) { QDesktopServices::openUrl(url); };
}

} // namespace

TLaunchOpener SetLaunchOpener(TLaunchOpener opener) {
  return std::exchange(InstalledOpener(), std::move(opener));
}

bool TCreateRecordDlg::EditNewParameter(TParameter& parameter) {
  TParameterEditDlg dialog(parameter, TParameterEditMode::New, this);
  if (dialog.exec() != QDialog::Accepted) return false;
  parameter.Assign(dialog.Edited());
  return true;
}

void TCreateRecordDlg::ParameterAdded() {
  vandro::ParametersChanged(this);
}

void TCreateRecordDlg::Launch(const std::string& target) {
  // The core let through only an address or a document's full path, and the
  // user agreed to it: one argument to the desktop's default application,
  // never a shell, and no guessing what the text might mean.
  const QString text = FromCore(target);
  const QUrl url =
      text.startsWith(QLatin1Char('/')) ? QUrl::fromLocalFile(text) : QUrl(text, QUrl::StrictMode);
  if (url.isValid()) LaunchOpener()(url);
}

} // namespace vandro
