#include "app/stats/cluster_dlg.h"

#include "app/model/object_view_dlg.h"
#include "app/shell/guard.h"
#include "app/shell/text_edge.h"
#include "app/stats/dendrogram_view.h"
#include "model/parameter.h"
#include "model/project.h"
#include "shell/messages.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QStyle>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace vandro {

namespace {

constexpr int kNodeRole = Qt::UserRole;

// Leaves, expanded folders, collapsed folders; made once, shared by every
// item.
const QIcon& NodeIcon(int imageIndex) {
  static const QIcon icons[] = {QApplication::style()->standardIcon(QStyle::SP_FileIcon),
                                QApplication::style()->standardIcon(QStyle::SP_DirOpenIcon),
                                QApplication::style()->standardIcon(QStyle::SP_DirClosedIcon)};
  return icons[imageIndex];
}

} // namespace

TVariableChooserDlg::TVariableChooserDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Select Variable"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  name_ = new QComboBox;
  name_->setEditable(true);
  name_->setInsertPolicy(QComboBox::NoInsert);
  name_->lineEdit()->setMaxLength(static_cast<int>(kNameCapacity));
  name_->setAccessibleName(QStringLiteral("Variable:"));
  GuardCp1251(name_);
  if (const TProject* project = CurrentProject())
    for (const auto& variable : project->Variables())
      name_->addItem(FromCore(variable->Name));
  name_->setCurrentText(QString());
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Variable:"), name_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
  setMinimumWidth(320);
}

std::string TVariableChooserDlg::ChosenName() const {
  std::string name;
  return ToCore(name_->currentText(), name) ? name : std::string();
}

TClusterDlg::TClusterDlg(TMergeTable merges, std::vector<TClusterObject> objects, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(QStringLiteral("Cluster Tree"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  dendrogram_.Build(merges, objects);
  tree_.Open(std::move(merges), std::move(objects));
  // The root's two parts are where reading starts.
  tree_.SetExpanded(tree_.Root(), true);

  view_ = new QTreeWidget;
  view_->setHeaderHidden(true);
  view_->setToolTip(QStringLiteral("Binary tree"));
  view_->setAccessibleName(QStringLiteral("Cluster Tree"));
  view_->setAccessibleDescription(QStringLiteral("Binary tree"));
  view_->setUniformRowHeights(true);
  // The column follows the widest shown text so that deep branches can be
  // scrolled to; it is measured once after a burst of expanding, since
  // measuring on every change is quadratic in a large tree.
  view_->header()->setStretchLastSection(false);
  fitColumn_ = new QTimer(this);
  fitColumn_->setSingleShot(true);
  fitColumn_->setInterval(0);
  connect(fitColumn_, &QTimer::timeout, this, [this] { view_->resizeColumnToContents(0); });
  dendrogramView_ = new TDendrogramView;
  dendrogramView_->SetDendrogram(&dendrogram_);

  merge_ = new QPushButton(QStringLiteral("Merge Selected Branch"));
  restore_ = new QPushButton(QStringLiteral("Restore Binary Tree"));
  save_ = new QPushButton(QStringLiteral("Save Branch"));
  for (QPushButton* button : {merge_, restore_, save_}) {
    button->setAccessibleName(button->text());
    button->setAutoDefault(false);
  }
  connect(merge_, &QPushButton::clicked, this, &TClusterDlg::PressMerge);
  connect(restore_, &QPushButton::clicked, this, &TClusterDlg::PressRestore);
  connect(save_, &QPushButton::clicked, this, &TClusterDlg::PressSave);
  connect(view_, &QTreeWidget::itemDoubleClicked, this,
          [this](QTreeWidgetItem* item) { OpenObject(item); });
  connect(view_, &QTreeWidget::currentItemChanged, this, &TClusterDlg::SelectionChanged);
  const auto expand = [this](QTreeWidgetItem* item, bool expanded) {
    if (filling_) return;
    const int node = item->data(0, kNodeRole).toInt();
    tree_.SetExpanded(node, expanded);
    item->setIcon(0, NodeIcon(tree_.Node(node).ImageIndex()));
    fitColumn_->start();
  };
  connect(view_, &QTreeWidget::itemExpanded, this,
          [expand](QTreeWidgetItem* item) { expand(item, true); });
  connect(view_, &QTreeWidget::itemCollapsed, this,
          [expand](QTreeWidgetItem* item) { expand(item, false); });

  auto* splitter = new QSplitter;
  splitter->addWidget(view_);
  splitter->addWidget(dendrogramView_);
  splitter->setStretchFactor(0, 2);
  splitter->setStretchFactor(1, 3);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* row = new QHBoxLayout;
  row->addWidget(merge_);
  row->addWidget(restore_);
  row->addWidget(save_);
  row->addStretch();
  row->addWidget(buttons);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(splitter, 1);
  layout->addLayout(row);
  resize(1040, 640);
  Fill();
}

QTreeWidgetItem* TClusterDlg::ItemOf(int node) const {
  return node >= 0 && static_cast<size_t>(node) < items_.size() ? items_[static_cast<size_t>(node)]
                                                                : nullptr;
}

int TClusterDlg::SelectedNode() const {
  const QTreeWidgetItem* item = view_->currentItem();
  return item ? item->data(0, kNodeRole).toInt() : -1;
}

void TClusterDlg::Fill() {
  const int selected = SelectedNode();
  filling_ = true;
  view_->clear();
  items_.assign(static_cast<size_t>(tree_.NodeCount()), nullptr);
  // Level by level, so that parents come before their children and
  // siblings keep their order, without a call per level.
  std::vector<int> queue{tree_.Root()};
  for (size_t next = 0; next < queue.size(); ++next) {
    const int node = queue[next];
    const TClusterNode& data = tree_.Node(node);
    QTreeWidgetItem* parent = data.parent >= 0 ? ItemOf(data.parent) : nullptr;
    auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(view_);
    item->setText(0, FromCore(data.text));
    item->setData(0, kNodeRole, node);
    item->setIcon(0, NodeIcon(data.ImageIndex()));
    items_[static_cast<size_t>(node)] = item;
    queue.insert(queue.end(), data.children.begin(), data.children.end());
  }
  for (int node = 0; node < tree_.NodeCount(); ++node)
    if (QTreeWidgetItem* item = ItemOf(node)) item->setExpanded(tree_.Node(node).expanded);
  filling_ = false;
  fitColumn_->start();
  if (QTreeWidgetItem* item = ItemOf(selected)) view_->setCurrentItem(item);
  SelectionChanged();
}

void TClusterDlg::SelectionChanged() {
  const int node = SelectedNode();
  dendrogram_.Select(node >= 0 ? tree_.BranchObjects(node) : std::vector<int32_t>());
  dendrogramView_->update();
  UpdateButtons();
}

void TClusterDlg::UpdateButtons() {
  const int node = SelectedNode();
  const bool branch = node >= 0 && node != tree_.Root() && !tree_.Node(node).children.empty();
  merge_->setEnabled(!tree_.CanRestore() && branch);
  restore_->setEnabled(tree_.CanRestore());
  save_->setEnabled(node >= 0);
}

void TClusterDlg::PressMerge() {
  const int node = SelectedNode();
  if (node < 0 || !tree_.MergeSelectedBranch(node)) return;
  Fill();
}

void TClusterDlg::PressRestore() {
  // The rebuilt tree numbers its nodes as before: the branches the user
  // opened stay open.
  std::vector<bool> expanded;
  for (int node = 0; node < tree_.NodeCount(); ++node)
    expanded.push_back(tree_.Node(node).expanded);
  tree_.RestoreBinaryTree();
  for (int node = 0; node < tree_.NodeCount() && node < static_cast<int>(expanded.size()); ++node)
    tree_.SetExpanded(node, expanded[static_cast<size_t>(node)]);
  Fill();
}

void TClusterDlg::PressSave() {
  const int node = SelectedNode();
  TProject* project = CurrentProject();
  if (node < 0 || !project) return;
  TVariableChooserDlg chooser(this);
  if (chooser.exec() != QDialog::Accepted) return;
  const std::string name = chooser.ChosenName();
  RunCommand([&] { SaveBranchVariable(tree_, *project, node, name); });
}

void TClusterDlg::OpenObject(QTreeWidgetItem* item) {
  if (!item) return;
  const int32_t id = tree_.ObjectAt(item->data(0, kNodeRole).toInt());
  if (id == 0) return;
  TObjectViewDlg objectView(this);
  bool opened = false;
  RunCommand([&] { opened = objectView.Open(id); });
  if (opened) objectView.exec();
}

} // namespace vandro
