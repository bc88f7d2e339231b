#include "app/groups/view_group_dlg.h"

#include "app/editing/selection_api.h"
#include "app/editing/value_kind_icon.h"
#include "app/model/moment_picker.h"
#include "app/model/object_view_dlg.h"
#include "app/shell/guard.h"
#include "app/shell/records_bridge.h"
#include "app/shell/text_edge.h"
#include "app/stats/stat_windows.h"
#include "editing/value_constructor.h"
#include "shell/clock.h"
#include "shell/messages.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QTabWidget>
#include <QTableView>
#include <QTimeEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include <initializer_list>

namespace vandro {

namespace {

constexpr int kFirstColumnWidth = 32;
constexpr int kDefaultWidth = 100;
constexpr int kWidthMargin = 20;
const QColor kNavy(0, 0, 128);

template <class T> T* Named(T* widget, const QString& caption) {
  widget->setAccessibleName(caption);
  return widget;
}

} // namespace

TGroupTableModel::TGroupTableModel(const TGroupTable& table, QObject* parent)
    : QAbstractTableModel(parent), table_(table) {}

int TGroupTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : table_.RowCount();
}

int TGroupTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : table_.ColumnCount();
}

QVariant TGroupTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  switch (role) {
  case Qt::DisplayRole:
  case Qt::AccessibleTextRole:
    return FromCore(table_.CellText(index.row(), index.column()));
  case Qt::DecorationRole:
    if (const auto kind = table_.CellKind(index.row(), index.column())) return ValueKindIcon(*kind);
    return {};
  case Qt::BackgroundRole:
    return QColor(Qt::white);
  case Qt::ForegroundRole:
    return QColor(Qt::black);
  default:
    return {};
  }
}

QVariant TGroupTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Horizontal) return FromCore(table_.Header(section));
  return section + 1;
}

void TGroupTableModel::Reset() {
  beginResetModel();
  endResetModel();
}

TViewGroupDlg::TViewGroupDlg(QWidget* parent)
    : TChildForm(TChildKind::GroupView, parent), table_(*this),
      formula_(TValue::Create("TViewGroupDlg.Formula")) {
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QStringLiteral("Group Table View"));
  auto* layout = new QVBoxLayout(this);
  pages_ = Named(new QTabWidget, QStringLiteral("Pages"));
  layout->addWidget(pages_);
  auto* content = new QWidget;
  auto* advanced = new QWidget;
  BuildContent(content);
  BuildAdvanced(advanced);
  pages_->addTab(content, QStringLiteral("Content"));
  pages_->addTab(advanced, QStringLiteral("Advanced"));
  connect(pages_, &QTabWidget::currentChanged, this, [this](int page) {
    if (page == 0) ShowContent();
  });
  resize(760, 640);

  // The table holds nothing typed (a calculated column being defined lives
  // in its panel, which a refresh leaves alone): it follows at once.
  follower_.Shows([this](int32_t objectId) { return table_.UsesObject(objectId); });
  connect(new TRecordsBridge(this), &TRecordsBridge::recordsChanged, this, [this](int objectId) {
    if (follower_.Heard(objectId, false) != TRecordsAction::Refresh) return;
    RunCommand([this] {
      if (!table_.Reload(FollowedMoment(table_.Moment(), opened_, Now()))) return;
      Redraw();
      if (pages_->currentIndex() == 0) ShowContent();
    });
  });
}

TViewGroupDlg::~TViewGroupDlg() = default;

void TViewGroupDlg::BuildContent(QWidget* page) {
  auto* layout = new QVBoxLayout(page);
  grid_ = Named(new TGroupGrid, QStringLiteral("Content"));
  grid_->OnCopy = [this] { CopyCells(); };
  model_ = new TGroupTableModel(table_, this);
  grid_->setModel(model_);
  grid_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  grid_->setSelectionBehavior(QAbstractItemView::SelectItems);
  grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid_->setIconSize(QSize(16, 16));
  grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 6);
  QPalette palette = grid_->palette();
  palette.setColor(QPalette::Highlight, kNavy);
  palette.setColor(QPalette::HighlightedText, Qt::white);
  palette.setColor(QPalette::Inactive, QPalette::Highlight, kNavy);
  palette.setColor(QPalette::Inactive, QPalette::HighlightedText, Qt::white);
  grid_->setPalette(palette);
  grid_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(grid_, &QWidget::customContextMenuRequested, this, &TViewGroupDlg::GridMenu);
  connect(grid_, &QAbstractItemView::doubleClicked, this, &TViewGroupDlg::OpenCell);
  connect(grid_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &TViewGroupDlg::SelectionChanged);
  layout->addWidget(grid_);

  AddCommand(QStringLiteral("Copy"), QKeySequence(Qt::CTRL | Qt::Key_C), &TViewGroupDlg::CopyCells,
             true);
  AddCommand(QStringLiteral("Copy Numeric"), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_C),
             &TViewGroupDlg::CopyNumeric);
  AddCommand(QStringLiteral("Set Default Widths"), {}, &TViewGroupDlg::DefaultWidths);
  AddCommand(QStringLiteral("Set Column Width"), {}, &TViewGroupDlg::SetColumnWidth);
  AddCommand(QStringLiteral("Width Autoselect"), {}, &TViewGroupDlg::WidthAutoselect);
  AddCommand(QStringLiteral("Next Version"), {}, &TViewGroupDlg::NextVersion);
  commands_.append(new QAction(QStringLiteral("Descriptive Statistics"), this));
  connect(commands_.back(), &QAction::triggered, this, [this] { HandToStatistics(true); });
  commands_.append(new QAction(QStringLiteral("Statistics"), this));
  connect(commands_.back(), &QAction::triggered, this, [this] { HandToStatistics(false); });
  UpdateCommands();
}

QAction* TViewGroupDlg::AddCommand(const QString& caption, const QKeySequence& keys,
                                   void (TViewGroupDlg::*run)(), bool shownKeysOnly) {
  auto* action = new QAction(caption, this);
  if (!keys.isEmpty()) {
    action->setShortcut(keys);
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    if (!shownKeysOnly) grid_->addAction(action);
  }
  connect(action, &QAction::triggered, this, run);
  commands_.append(action);
  return action;
}

QAction* TViewGroupDlg::Command(const QString& caption) const {
  for (QAction* action : commands_)
    if (action->text() == caption) return action;
  return nullptr;
}

void TViewGroupDlg::BuildAdvanced(QWidget* page) {
  auto* layout = new QGridLayout(page);

  auto* moment = new QGroupBox(QStringLiteral("Group date and time"));
  auto* momentLayout = new QVBoxLayout(moment);
  moment_ = Named(new TMomentPicker, QStringLiteral("Group date and time"));
  track_ = Named(new QSlider(Qt::Horizontal), QStringLiteral("Group records"));
  track_->setTracking(false); // each position refills the table: only where it is let go
  momentLayout->addWidget(moment_);
  momentLayout->addWidget(track_);
  layout->addWidget(moment, 0, 0, 1, 2);
  for (QAbstractSpinBox* edit :
       std::initializer_list<QAbstractSpinBox*>{moment_->DateEdit(), moment_->TimeEdit()})
    connect(edit, &QAbstractSpinBox::editingFinished, this, [this] {
      if (filling_ || moment_->Moment() == table_.Moment()) return;
      table_.SetMoment(moment_->Moment());
      Redraw();
    });
  connect(track_, &QSlider::valueChanged, this, [this](int index) {
    if (filling_) return;
    table_.SetRecordIndex(index);
    Redraw();
  });

  layout->addWidget(new QLabel(QStringLiteral("Available Group States:")), 1, 0);
  states_ = Named(new QListWidget, QStringLiteral("Available Group States:"));
  layout->addWidget(states_, 2, 0);
  current_ = Named(new QLabel, QStringLiteral("Current State:"));
  layout->addWidget(current_, 3, 0);
  connect(states_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (filling_ || row < 0 || row == table_.CurrentGroupState()) return;
    table_.SelectGroupState(row);
    Redraw();
  });

  auto* params = new QVBoxLayout;
  params->addWidget(new QLabel(QStringLiteral("Parameters (show if checked)")));
  parameters_ = Named(new QListWidget, QStringLiteral("Parameters (show if checked)"));
  params->addWidget(parameters_);
  auto* moves = new QHBoxLayout;
  auto* up = Named(new QPushButton(QStringLiteral("Move Up")), QStringLiteral("Move Up"));
  auto* down = Named(new QPushButton(QStringLiteral("Move Down")), QStringLiteral("Move Down"));
  moves->addWidget(up);
  moves->addWidget(down);
  params->addLayout(moves);
  showHidden_ = Named(new QCheckBox(QStringLiteral("Show Hidden Parameters")),
                      QStringLiteral("Show Hidden Parameters"));
  params->addWidget(showHidden_);
  layout->addLayout(params, 1, 1, 3, 1);
  connect(up, &QPushButton::clicked, this, [this] { PressMove(-1); });
  connect(down, &QPushButton::clicked, this, [this] { PressMove(1); });
  connect(parameters_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
    if (filling_) return;
    table_.SetParameterChecked(parameters_->row(item), item->checkState() == Qt::Checked);
    Redraw();
  });
  connect(showHidden_, &QCheckBox::toggled, this, [this](bool on) {
    if (filling_) return;
    table_.SetShowHidden(on);
    Redraw();
  });

  auto* sorting = new QHBoxLayout;
  auto* availableBox = new QVBoxLayout;
  availableBox->addWidget(new QLabel(QStringLiteral("Available Parameters")));
  available_ = Named(new QListWidget, QStringLiteral("Available Parameters"));
  availableBox->addWidget(available_);
  auto* buttons = new QVBoxLayout;
  auto* in = Named(new QPushButton(QStringLiteral("<--")), QStringLiteral("<--"));
  auto* out = Named(new QPushButton(QStringLiteral("-->")), QStringLiteral("-->"));
  auto* clear = Named(new QPushButton(QStringLiteral("X")), QStringLiteral("X"));
  buttons->addWidget(in);
  buttons->addWidget(out);
  buttons->addWidget(clear);
  auto* sortBox = new QVBoxLayout;
  sortBox->addWidget(new QLabel(QStringLiteral("Sort By")));
  sortBy_ = Named(new QListWidget, QStringLiteral("Sort By"));
  sortBox->addWidget(sortBy_);
  sorting->addLayout(sortBox);
  sorting->addLayout(buttons);
  sorting->addLayout(availableBox);
  layout->addLayout(sorting, 4, 0, 1, 2);
  connect(in, &QPushButton::clicked, this, &TViewGroupDlg::PressSortIn);
  connect(out, &QPushButton::clicked, this, &TViewGroupDlg::PressSortOut);
  connect(clear, &QPushButton::clicked, this, &TViewGroupDlg::PressSortClear);
  connect(sortBy_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
    if (filling_) return;
    table_.SetSortAscending(sortBy_->row(item), item->checkState() == Qt::Checked);
  });

  auto* calc = new QGroupBox(QStringLiteral("Calculated column"));
  auto* calcLayout = new QGridLayout(calc);
  calcLayout->addWidget(new QLabel(QStringLiteral("Name:")), 0, 0);
  calcName_ = Named(new QLineEdit, QStringLiteral("Name:"));
  calcName_->setMaxLength(static_cast<int>(kCalcNameCapacity));
  calcLayout->addWidget(calcName_, 0, 1);
  calcLayout->addWidget(new QLabel(QStringLiteral("Formula:")), 1, 0);
  calcFormula_ = Named(new QLabel, QStringLiteral("Formula:"));
  calcLayout->addWidget(calcFormula_, 1, 1);
  auto* builder = Named(new QToolButton, QStringLiteral("Formula builder"));
  builder->setText(QStringLiteral("..."));
  calcLayout->addWidget(builder, 1, 2);
  auto* add =
      Named(new QPushButton(QStringLiteral("Add Calculated")), QStringLiteral("Add Calculated"));
  auto* change = Named(new QPushButton(QStringLiteral("Change")), QStringLiteral("Change"));
  calcLayout->addWidget(add, 2, 1);
  calcLayout->addWidget(change, 2, 2);
  layout->addWidget(calc, 5, 0, 1, 2);
  connect(builder, &QToolButton::clicked, this, &TViewGroupDlg::PressFormula);
  connect(add, &QPushButton::clicked, this, &TViewGroupDlg::PressAddCalculated);
  connect(change, &QPushButton::clicked, this, &TViewGroupDlg::PressChangeCalculated);

  auto* ok = Named(new QPushButton(QStringLiteral("OK")), QStringLiteral("OK"));
  layout->addWidget(ok, 6, 1, Qt::AlignRight);
  // The lists take the height the fixed rows leave.
  for (QListWidget* list : {states_, parameters_, available_, sortBy_})
    list->setMinimumHeight(80);
  layout->setRowStretch(2, 1);
  layout->setRowStretch(4, 1);
  connect(ok, &QPushButton::clicked, this, [this] { pages_->setCurrentIndex(0); });
}

bool TViewGroupDlg::Start(int32_t id, bool alwaysShowHidden) {
  if (!table_.Start(id, alwaysShowHidden)) return false;
  opened_ = table_.Moment();
  setWindowTitle(FromCore(table_.Caption()));
  Redraw();
  FitColumns();
  pages_->setCurrentIndex(0);
  return true;
}

bool TViewGroupDlg::UsesObject(int32_t objectId) const {
  return table_.UsesObject(objectId);
}

void TViewGroupDlg::Redraw() {
  model_->Reset();
  SelectionChanged(); // a reset model has nothing selected
  grid_->setColumnWidth(0, kFirstColumnWidth);
  FillAdvanced();
  UpdateCommands();
}

void TViewGroupDlg::FillAdvanced() {
  filling_ = true;
  moment_->SetMoment(table_.Moment());
  track_->setRange(0, std::max(0, table_.RecordCount() - 1));
  track_->setValue(table_.RecordIndex());
  track_->setEnabled(table_.RecordCount() > 1);
  states_->clear();
  for (const std::string& name : table_.GroupStates())
    states_->addItem(FromCore(name));
  states_->setCurrentRow(table_.CurrentGroupState());
  current_->setText(QStringLiteral("Current State: ") + FromCore(table_.CurrentStateName()));
  const int parameterRow = parameters_->currentRow();
  parameters_->clear();
  for (const TListedName& entry : table_.Parameters()) {
    auto* item = new QListWidgetItem(FromCore(entry.Name), parameters_);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(entry.Checked ? Qt::Checked : Qt::Unchecked);
  }
  parameters_->setCurrentRow(std::min(parameterRow, parameters_->count() - 1));
  showHidden_->setChecked(table_.ShowHidden());
  available_->clear();
  for (const std::string& name : table_.Available())
    available_->addItem(FromCore(name));
  sortBy_->clear();
  for (const TListedName& key : table_.SortKeys()) {
    auto* item = new QListWidgetItem(FromCore(key.Name), sortBy_);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(key.Checked ? Qt::Checked : Qt::Unchecked);
  }
  calcFormula_->setText(FromCore(formula_->Text()));
  filling_ = false;
}

void TViewGroupDlg::FitColumns() {
  for (int column = 1; column < table_.ColumnCount(); ++column)
    FitColumn(column);
  grid_->setColumnWidth(0, kFirstColumnWidth);
}

// The widest text of the column (the header's included) and a margin.
void TViewGroupDlg::FitColumn(int column) {
  grid_->resizeColumnToContents(column);
  grid_->setColumnWidth(column, grid_->columnWidth(column) + kWidthMargin);
}

void TViewGroupDlg::ShowContent() {
  const bool sorting = table_.SortNeeded();
  table_.ShowContent();
  if (sorting) grid_->clearSelection();
  model_->Reset();
  SelectionChanged();
  FillAdvanced();
}

void TViewGroupDlg::SelectionChanged() {
  table_.ClearSelection();
  const int last = table_.ColumnCount() - 1;
  for (const QItemSelectionRange& range : grid_->selectionModel()->selection()) {
    // A row's header selects the row's cells after "#".
    const int left = range.left() == 0 && range.right() == last && last > 0 ? 1 : range.left();
    table_.AddSelection({left, range.top(), range.right(), range.bottom()});
  }
  UpdateCommands();
}

void TViewGroupDlg::UpdateCommands() {
  const bool any = table_.CanHandOn();
  for (QAction* action : commands_) {
    const QString caption = action->text();
    if (caption == QLatin1String("Copy"))
      action->setEnabled(table_.CanCopy());
    else if (caption == QLatin1String("Next Version"))
      action->setEnabled(table_.CanShowNextVersion());
    else if (caption.contains(QLatin1String("Statistics")) ||
             caption == QLatin1String("Copy Numeric"))
      action->setEnabled(any);
  }
}

void TViewGroupDlg::GridMenu(const QPoint& at) {
  UpdateCommands();
  QMenu menu(this);
  for (QAction* action : commands_)
    menu.addAction(action);
  menu.exec(grid_->viewport()->mapToGlobal(at));
}

void TViewGroupDlg::CopyCells() {
  if (!table_.CanCopy()) return;
  QApplication::clipboard()->setText(FromCore(table_.CopyText()));
}

void TViewGroupDlg::CopyNumeric() {
  if (!table_.CanHandOn()) return;
  QApplication::clipboard()->setText(FromCore(table_.CopyNumericText()));
}

bool TViewGroupDlg::HandToStatistics(bool descriptive) {
  if (table_.Selection().empty()) return false;
  if (!table_.CanHandOn()) {
    ShowMsg(kNothingNumeric);
    return true;
  }
  std::vector<app::THandedSeries> handed;
  for (TGroupSeries& series : table_.SelectedSeries())
    handed.push_back({series.Name, std::move(series.Items), std::move(series.Labels)});
  if (handed.empty()) return false;
  if (descriptive)
    app::OpenDescriptiveStats(this, std::move(handed));
  else
    app::OpenStatDialog(this, std::move(handed));
  return true;
}

void TViewGroupDlg::NextVersion() {
  if (!table_.NextVersion()) return;
  const int row = table_.Selection().front().Top;
  model_->Reset();
  FillAdvanced();
  grid_->selectRow(row); // also tells the table
}

void TViewGroupDlg::SetColumnWidth() {
  const int column = grid_->currentIndex().isValid() ? grid_->currentIndex().column() : 0;
  const double ppi = logicalDpiX();
  if (const auto width = table_.AskColumnWidth(grid_->columnWidth(column), ppi))
    grid_->setColumnWidth(column, *width);
}

void TViewGroupDlg::WidthAutoselect() {
  FitColumn(grid_->currentIndex().isValid() ? grid_->currentIndex().column() : 0);
}

void TViewGroupDlg::DefaultWidths() {
  for (int column = 0; column < table_.ColumnCount(); ++column)
    grid_->setColumnWidth(column, kDefaultWidth);
}

bool TViewGroupDlg::InputText(const std::string& prompt, std::string& text) {
  bool ok = false;
  const QString entry =
      QInputDialog::getText(this, QStringLiteral("Set Column Width"), FromCore(prompt),
                            QLineEdit::Normal, FromCore(text), &ok);
  return ok && ToCore(entry, text);
}

void TViewGroupDlg::OpenCell(const QModelIndex& index) {
  if (!index.isValid()) return;
  TValue value;
  switch (table_.OpenCell(index.row(), index.column(), value)) {
  case TCellOpen::ObjectView: {
    if (TObjectViewDlg::Showing()) return;
    TObjectViewDlg view(this);
    if (view.Open(std::stoi(value.Text()))) view.exec();
    return;
  }
  case TCellOpen::ValueViewer: {
    const QRect cell = grid_->visualRect(index);
    app::ShowValue(this, value, grid_->viewport()->mapToGlobal(cell.bottomLeft()));
    return;
  }
  case TCellOpen::Nothing:
    return;
  }
}

void TViewGroupDlg::PressSortIn() {
  const int from = available_->currentRow();
  if (from < 0) return;
  table_.AddSortKey(from, sortBy_->currentRow());
  FillAdvanced();
}

void TViewGroupDlg::PressSortOut() {
  const int key = sortBy_->currentRow();
  if (key < 0) return;
  table_.RemoveSortKey(key);
  FillAdvanced();
}

void TViewGroupDlg::PressSortClear() {
  table_.ClearSortKeys();
  FillAdvanced();
}

void TViewGroupDlg::PressMove(int by) {
  const int row = parameters_->currentRow();
  if (!table_.MoveParameter(row, by)) return;
  Redraw();
  parameters_->setCurrentRow(row + by);
}

void TViewGroupDlg::PressFormula() {
  std::string name;
  ToCore(calcName_->text(), name);
  if (!formula_->IsCalculated()) formula_->SetText(vkCalculated, {});
  app::EditValue(this, *formula_, nullptr, vpCalculated, vpCalculated,
                 "Value Details (Expression for" + name + ")");
  calcFormula_->setText(FromCore(formula_->Text()));
}

void TViewGroupDlg::PressAddCalculated() {
  std::string name;
  if (!ToCore(calcName_->text(), name)) return;
  if (!table_.AddCalculated(name, *formula_)) return;
  formula_->Clear();
  calcName_->clear();
  Redraw();
  parameters_->setCurrentRow(parameters_->count() - 1);
}

void TViewGroupDlg::PressChangeCalculated() {
  std::string name;
  if (!ToCore(calcName_->text(), name)) return;
  if (!table_.ChangeCalculated(name, *formula_)) return;
  formula_->Clear();
  calcName_->clear();
  Redraw();
}

} // namespace vandro
