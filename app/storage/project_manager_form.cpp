#include "app/storage/project_manager_form.h"

#include "app/editing/structure_commands.h"
#include "app/model/object_view_dlg.h"
#include "app/model/text_grid.h"
#include "app/shell/guard.h"
#include "app/shell/text_edge.h"
#include "app/storage/index_entry_dlg.h"
#include "app/storage/parameter_edit_dlg.h"
#include "app/storage/variable_dlg.h"
#include "app/values/unit_edit_dlg.h"
#include "editing/project_info.h"
#include "model/project.h"
#include "shell/messages.h"
#include "storage/project_lifecycle.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace vandro {

namespace {

constexpr int kNodeRole = Qt::UserRole;

TProject* Project() {
  return CurrentProject();
}

// The information grid's cells refuse what code page 1251 cannot hold.
class TGuardedDelegate final : public QStyledItemDelegate {
public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                        const QModelIndex&) const override {
    auto* edit = new QLineEdit(parent);
    edit->setFrame(false);
    GuardCp1251(edit);
    return edit;
  }
};

} // namespace

TProjectManagerForm::TProjectManagerForm(bool explore, QWidget* parent) : QWidget(parent) {
  setWindowTitle(QStringLiteral("Project Manager"));
  setObjectName(QStringLiteral("TProjectManagerForm"));
  tabs_ = new QTabWidget;
  tabs_->addTab(MakeInfoPage(), QStringLiteral("General Info"));
  tabs_->addTab(MakeExplorePage(), QStringLiteral("Explore"));
  tabs_->addTab(MakeIndexPage(ikObjects), QStringLiteral("Object Index"));
  tabs_->addTab(MakeIndexPage(ikGroups), QStringLiteral("Group Index"));
  tabs_->addTab(MakeVariablesPage(), QStringLiteral("Variables"));
  tabs_->setCurrentIndex(explore ? ExplorePage : GeneralInfoPage);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(tabs_);
  resize(720, 460);
  RefreshAll();
  // A project opened for looking: what would change it is disabled.
  if (ProjectIsReadOnly())
    for (QPushButton* button : findChildren<QPushButton*>())
      if (ManagerButtonChangesProject(button->text().toStdString())) button->setEnabled(false);
}

QPushButton* TProjectManagerForm::AddButton(QWidget* page, const QString& caption,
                                            std::function<void()> action) {
  auto* button = new QPushButton(caption, page);
  connect(button, &QPushButton::clicked, this, [action] { RunCommand(action); });
  return button;
}

QPushButton* TProjectManagerForm::Button(const QString& caption) const {
  for (QPushButton* button : tabs_->currentWidget()->findChildren<QPushButton*>())
    if (button->text() == caption) return button;
  return nullptr;
}

// --- pages --------------------------------------------------------------------

QWidget* TProjectManagerForm::MakeInfoPage() {
  auto* page = new QWidget;
  infoText_ = new QPlainTextEdit;
  infoText_->setReadOnly(true);
  infoText_->setAccessibleName(QStringLiteral("General Info"));
  infoGrid_ = MakeTextGrid({}, page);
  infoGrid_->setAccessibleName(QStringLiteral("General Info"));
  infoGrid_->setSelectionBehavior(QAbstractItemView::SelectItems);
  infoGrid_->setEditTriggers(QAbstractItemView::AllEditTriggers);
  infoGrid_->setItemDelegateForColumn(1, new TGuardedDelegate(infoGrid_));
  infoGrid_->hide();
  infoEdit_ = AddButton(page, QStringLiteral("Edit"), [this] { EditInfo(); });
  infoOk_ = AddButton(page, QStringLiteral("OK"), [this] { StoreInfo(); });
  infoCancel_ = AddButton(page, QStringLiteral("Cancel"), [this] { CancelInfo(); });
  infoOk_->hide();
  infoCancel_->hide();
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(infoEdit_);
  buttons->addWidget(infoOk_);
  buttons->addWidget(infoCancel_);
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(infoText_);
  layout->addWidget(infoGrid_);
  layout->addLayout(buttons);
  return page;
}

QWidget* TProjectManagerForm::MakeExplorePage() {
  auto* page = new QWidget;
  tree_ = new QTreeWidget;
  tree_->setHeaderHidden(true);
  tree_->setMinimumWidth(200);
  tree_->setAccessibleName(QStringLiteral("Explore"));
  details_ = MakeTextGrid({}, page);
  details_->setAccessibleName(QStringLiteral("Details"));
  connect(tree_, &QTreeWidget::currentItemChanged, this,
          [this](QTreeWidgetItem* item) { RunCommand([&] { ShowDetails(item); }); });
  connect(tree_, &QTreeWidget::itemDoubleClicked, this,
          [this](QTreeWidgetItem* item) { RunCommand([&] { EditNode(item); }); });
  auto* splitter = new QSplitter;
  splitter->addWidget(tree_);
  splitter->addWidget(details_);
  splitter->setStretchFactor(1, 2);
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(splitter);
  return page;
}

QWidget* TProjectManagerForm::MakeIndexPage(TIndexKind kind) {
  auto* page = new QWidget;
  QTableWidget* grid = MakeTextGrid({}, page);
  grid->setAccessibleName(kind == ikGroups ? QStringLiteral("Group Index")
                                           : QStringLiteral("Object Index"));
  indexGrids_[kind ? 1 : 0] = grid;
  connect(grid, &QTableWidget::cellDoubleClicked, this,
          [this, kind] { RunCommand([&] { ViewIndexObject(kind); }); });
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(
      AddButton(page, QStringLiteral("Add Entry"), [=, this] { AddIndexEntry(kind); }));
  buttons->addWidget(
      AddButton(page, QStringLiteral("Delete Entry"), [=, this] { DeleteIndexEntry(kind); }));
  buttons->addWidget(
      AddButton(page, QStringLiteral("Edit Entry"), [=, this] { EditIndexEntry(kind); }));
  buttons->addWidget(AddButton(
      page, kind == ikGroups ? QStringLiteral("View Group") : QStringLiteral("View Object"),
      [=, this] { ViewIndexObject(kind); }));
  buttons->addStretch();
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(grid);
  layout->addLayout(buttons);
  return page;
}

QWidget* TProjectManagerForm::MakeVariablesPage() {
  auto* page = new QWidget;
  variables_ = MakeTextGrid({"Name", "Value", "Comment"}, page);
  variables_->setAccessibleName(QStringLiteral("Variables"));
  variables_->horizontalHeader()->setSectionsClickable(true);
  connect(variables_->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) {
    RunCommand([&] { SortVariables(static_cast<TVariableOrder>(column)); });
  });
  connect(variables_, &QTableWidget::cellDoubleClicked, this,
          [this] { RunCommand([this] { EditVariable(); }); });
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(AddButton(page, QStringLiteral("Add Variable"), [this] { AddVariable(); }));
  buttons->addWidget(AddButton(page, QStringLiteral("Edit"), [this] { EditVariable(); }));
  buttons->addWidget(AddButton(page, QStringLiteral("View"), [this] { ViewVariable(); }));
  buttons->addWidget(
      AddButton(page, QStringLiteral("Delete Variable"), [this] { DeleteVariable(); }));
  buttons->addStretch();
  buttons->addWidget(AddButton(page, QStringLiteral("Sort by Name"),
                               [this] { SortVariables(TVariableOrder::Name); }));
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(variables_);
  layout->addLayout(buttons);
  return page;
}

// --- filling ------------------------------------------------------------------

void TProjectManagerForm::RefreshAll() {
  FillInfo();
  FillTree();
  RefreshIndexes();
  FillVariables();
}

void TProjectManagerForm::DatesChanged() {
  FillInfo();
  ShowDetails(tree_->currentItem());
}

void TProjectManagerForm::FillInfo() {
  const TProject* project = Project();
  if (!project) return;
  QString text;
  for (const std::string& line : ProjectInfoLines(project->Info()))
    text += FromCore(line) + QLatin1Char('\n');
  infoText_->setPlainText(text);
}

QTreeWidgetItem* TProjectManagerForm::AddItem(QTreeWidgetItem* parent, const TManagerNode& node) {
  auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree_);
  item->setText(0, FromCore(node.Caption));
  TManagerNode bare = node;
  bare.Children.clear();
  item->setData(0, kNodeRole, static_cast<int>(nodes_.size()));
  nodes_.push_back(std::move(bare));
  AddChildren(item, node);
  return item;
}

void TProjectManagerForm::AddChildren(QTreeWidgetItem* parent, const TManagerNode& node) {
  for (const TManagerNode& child : node.Children)
    AddItem(parent, child);
}

void TProjectManagerForm::FillTree() {
  const QSignalBlocker quiet(tree_);
  tree_->clear();
  nodes_.clear();
  const TProject* project = Project();
  if (!project) return;
  QTreeWidgetItem* root = AddItem(nullptr, ProjectTree(*project));
  root->setExpanded(true);
  tree_->setCurrentItem(root);
  ShowDetails(root);
}

const TManagerNode* TProjectManagerForm::NodeOf(const QTreeWidgetItem* item) const {
  if (!item) return nullptr;
  const int index = item->data(0, kNodeRole).toInt();
  return index >= 0 && index < static_cast<int>(nodes_.size()) ? &nodes_[static_cast<size_t>(index)]
                                                               : nullptr;
}

QTreeWidgetItem* TProjectManagerForm::FindItem(TManagerNodeKind kind,
                                               const QString& caption) const {
  for (QTreeWidgetItemIterator it(tree_); *it; ++it) {
    const TManagerNode* node = NodeOf(*it);
    if (node && node->Kind == kind && (*it)->text(0) == caption) return *it;
  }
  return nullptr;
}

void TProjectManagerForm::ShowDetails(const QTreeWidgetItem* item) {
  const TManagerNode* node = NodeOf(item);
  const TProject* project = Project();
  FillTextGrid(details_, {}, {});
  if (!node || !project) return;
  const TDetailGrid grid = NodeDetails(*project, *node);
  FillTextGrid(details_, grid.Columns, grid.Rows);
}

// Replaces a top branch of the tree with a fresh one, keeping it open and
// the current node where it still is.
void TProjectManagerForm::RefreshParameters() {
  QTreeWidgetItem* branch = FindItem(TManagerNodeKind::Parameters, QStringLiteral("Parameters"));
  const TProject* project = Project();
  if (!branch || !project) return FillTree();
  const TManagerNode* current = NodeOf(tree_->currentItem());
  const TManagerNode keep = current ? *current : TManagerNode();
  const bool open = branch->isExpanded();
  const QSignalBlocker quiet(tree_);
  qDeleteAll(branch->takeChildren());
  AddChildren(branch, ParametersNode(*project));
  branch->setExpanded(open);
  for (QTreeWidgetItemIterator it(branch); *it; ++it) {
    const TManagerNode* node = NodeOf(*it);
    if (node && node->Kind == keep.Kind && node->Id == keep.Id && keep.Id != 0) {
      for (QTreeWidgetItem* up = (*it)->parent(); up; up = up->parent())
        up->setExpanded(true);
      tree_->setCurrentItem(*it);
      break;
    }
  }
  ShowDetails(tree_->currentItem());
}

void TProjectManagerForm::RefreshUnits() {
  const TManagerNode* current = NodeOf(tree_->currentItem());
  const int32_t unit = current && current->Kind == TManagerNodeKind::Unit ? current->Id : 0;
  FillTree();
  for (QTreeWidgetItemIterator it(tree_); *it; ++it) {
    const TManagerNode* node = NodeOf(*it);
    if (unit && node && node->Kind == TManagerNodeKind::Unit && node->Id == unit) {
      for (QTreeWidgetItem* up = (*it)->parent(); up; up = up->parent())
        up->setExpanded(true);
      tree_->setCurrentItem(*it);
      break;
    }
  }
}

void TProjectManagerForm::RefreshIndexes() {
  const TProject* project = Project();
  if (!project) return;
  for (const TIndexKind kind : {ikObjects, ikGroups}) {
    const TDetailGrid grid = vandro::IndexGrid(*project, kind);
    FillTextGrid(IndexGrid(kind), grid.Columns, grid.Rows);
  }
}

void TProjectManagerForm::FillVariables() {
  const TProject* project = Project();
  if (!project) return;
  std::vector<std::vector<std::string>> rows;
  for (const TVariableRow& row : VariableRows(*project, variableOrder_))
    rows.push_back({row.Name, row.Value, row.Comment});
  FillTextGrid(variables_, rows);
}

// --- double-click on the tree ---------------------------------------------------

void TProjectManagerForm::EditNode(const QTreeWidgetItem* item) {
  const TManagerNode* found = NodeOf(item);
  TProject* project = Project();
  if (!found || !project) return;
  const TManagerNode node = *found; // the tree may be rebuilt below
  switch (NodeAction(*project, node)) {
  case TNodeAction::EditParameter: {
    const TParameter* parameter = project->ParameterById(node.Id);
    if (!parameter) return;
    TParameterEditDlg editor(*parameter, this);
    if (editor.exec() == QDialog::Accepted) RefreshParameters();
    break;
  }
  case TNodeAction::EditUnit: {
    const TUnit* unit = project->Units().FindById(node.Id);
    if (!unit) return;
    TUnitEditDlg editor(UnitFormOf(*unit), this);
    if (editor.exec() == QDialog::Accepted) RefreshUnits();
    break;
  }
  case TNodeAction::EditTemplate:
    EditTemplateNamed(this, node.Caption);
    break;
  case TNodeAction::OpenChart:
    emit chartOpenRequested(FromCore(node.Caption));
    break;
  case TNodeAction::ViewObject:
    ViewObject(EntryObject(*project, node));
    break;
  case TNodeAction::ListGroups:
    ListGroups();
    break;
  case TNodeAction::None:
    break;
  }
}

void TProjectManagerForm::ViewObject(int32_t id) {
  TObjectViewDlg view(this);
  if (view.Open(id)) view.exec();
}

void TProjectManagerForm::ListGroups() {
  const auto groups = AllGroups();
  if (groups.empty()) {
    ShowMsg("The project has no groups");
    return;
  }
  QStringList names;
  for (const auto& group : groups)
    names << FromCore(group.second);
  bool chosen = false;
  const QString name = QInputDialog::getItem(this, QStringLiteral("All Objects"),
                                             QStringLiteral("Groups:"), names, 0, false, &chosen);
  if (!chosen) return;
  const auto at = names.indexOf(name);
  if (at >= 0) ViewObject(groups[static_cast<size_t>(at)].first);
}

// --- "General Info" -------------------------------------------------------------

void TProjectManagerForm::EditInfo() {
  const TProject* project = Project();
  if (!project) return;
  const std::vector<TInfoRowText> rows = ProjectInfoRows(project->Info(), TInfoUse::Editing);
  std::vector<std::vector<std::string>> cells;
  for (const TInfoRowText& row : rows)
    cells.push_back({row.Title, row.Text});
  FillTextGrid(infoGrid_, cells);
  for (int row = 0; row < infoGrid_->rowCount(); ++row) {
    infoGrid_->item(row, 0)->setFlags(Qt::ItemIsEnabled);
    infoGrid_->item(row, 0)->setBackground(palette().window());
    if (!rows[static_cast<size_t>(row)].Editable)
      infoGrid_->item(row, 1)->setFlags(Qt::ItemIsEnabled);
    else
      infoGrid_->item(row, 1)->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable |
                                        Qt::ItemIsEditable);
  }
  infoText_->hide();
  infoEdit_->hide();
  infoGrid_->show();
  infoOk_->show();
  infoCancel_->show();
  infoGrid_->setCurrentCell(0, 1);
}

void TProjectManagerForm::StoreInfo() {
  TProject* project = Project();
  if (!project) return;
  // A cell still being typed in is committed as it loses the focus.
  infoGrid_->setFocus();
  std::vector<std::string> edited;
  for (int row = 0; row < infoGrid_->rowCount(); ++row) {
    std::string text;
    if (!ToCore(infoGrid_->item(row, 1)->text().trimmed(), text)) return;
    edited.push_back(std::move(text));
  }
  ApplyProjectInfo(*project, edited);
  CancelInfo();
  FillTree();
  emit projectInfoChanged();
}

void TProjectManagerForm::CancelInfo() {
  infoGrid_->hide();
  infoOk_->hide();
  infoCancel_->hide();
  infoText_->show();
  infoEdit_->show();
  FillInfo();
}

// --- index pages ----------------------------------------------------------------

int TProjectManagerForm::SelectedEntry(TIndexKind kind) const {
  const TProject* project = Project();
  const int row = SelectedRow(IndexGrid(kind));
  return project && EntrySelected(*project, kind, row) ? row : -1;
}

void TProjectManagerForm::EntriesChanged() {
  RefreshIndexes();
  FillTree();
}

void TProjectManagerForm::AddIndexEntry(TIndexKind kind) {
  TIndexEntryDlg dialog(kind, -1, this);
  if (dialog.exec() == QDialog::Accepted) EntriesChanged();
}

void TProjectManagerForm::EditIndexEntry(TIndexKind kind) {
  const int row = SelectedEntry(kind);
  if (row < 0) return;
  TIndexEntryDlg dialog(kind, row, this);
  if (dialog.exec() == QDialog::Accepted) EntriesChanged();
}

void TProjectManagerForm::DeleteIndexEntry(TIndexKind kind) {
  const int row = SelectedEntry(kind);
  if (row >= 0 && DeleteEntry(kind, row)) EntriesChanged();
}

void TProjectManagerForm::ViewIndexObject(TIndexKind kind) {
  const int row = SelectedEntry(kind);
  if (row >= 0) ViewObject(Project()->IndexEntries(kind)[static_cast<size_t>(row)].ObjIdtor);
}

// --- "Variables" ------------------------------------------------------------------

TVariable* TProjectManagerForm::SelectedVariable() {
  const TProject* project = Project();
  if (!project) return nullptr;
  const int row = SelectedRow(variables_);
  std::string name;
  if (row >= 0 && variables_->item(row, 0)) TryToCore(variables_->item(row, 0)->text(), name);
  return VariableOfRow(*project, row >= 0, name);
}

void TProjectManagerForm::AddVariable() {
  TVariableDlg dialog(nullptr, this);
  if (dialog.exec() == QDialog::Accepted) FillVariables();
}

void TProjectManagerForm::EditVariable() {
  const TVariable* variable = SelectedVariable();
  if (!variable) return;
  TVariableDlg dialog(variable, this);
  if (dialog.exec() == QDialog::Accepted) FillVariables();
}

void TProjectManagerForm::ViewVariable() {
  const TVariable* variable = SelectedVariable();
  if (!variable) return;
  ShowMsgList(VariableViewLines(*variable));
}

void TProjectManagerForm::DeleteVariable() {
  TProject* project = Project();
  const TVariable* variable = SelectedVariable();
  if (!project || !variable) return;
  if (DeleteVariableAsked(*project, *variable)) FillVariables();
}

void TProjectManagerForm::SortVariables(TVariableOrder order) {
  variableOrder_ = order;
  FillVariables();
}

// --- closing ----------------------------------------------------------------------

void TProjectManagerForm::closeEvent(QCloseEvent* event) {
  if (Project() && closeHandler_ && !closeHandler_()) {
    event->ignore();
    return;
  }
  event->accept();
}

} // namespace vandro
