// TClusterDlg: the "Cluster Tree" window. The tree's rules are
// TClusterTree's (core/stats/cluster_tree.h) and the dendrogram's layout
// TDendrogram's; this window draws both side by side, keeps the selected
// branch marked in the dendrogram, and forwards the buttons.
#pragma once

#include "stats/cluster_view.h"

#include <QDialog>

#include <string>
#include <vector>

class QComboBox;
class QPushButton;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;

namespace vandro {

class TDendrogramView;

// The variable chooser of "Save Branch": an existing project variable or a
// new name.
class TVariableChooserDlg final : public QDialog {
  Q_OBJECT

public:
  explicit TVariableChooserDlg(QWidget* parent = nullptr);
  QComboBox* NameBox() const { return name_; }
  std::string ChosenName() const;

private:
  QComboBox* name_;
};

class TClusterDlg final : public QDialog {
  Q_OBJECT

public:
  // merges: N - 1 rows for the N objects, in input row order.
  TClusterDlg(TMergeTable merges, std::vector<TClusterObject> objects, QWidget* parent = nullptr);

  const TClusterTree& Tree() const { return tree_; }
  const TDendrogram& Dendrogram() const { return dendrogram_; }
  QTreeWidget* TreeView() const { return view_; }
  TDendrogramView* DendrogramView() const { return dendrogramView_; }
  QPushButton* MergeButton() const { return merge_; }
  QPushButton* RestoreButton() const { return restore_; }
  QPushButton* SaveButton() const { return save_; }

  // The widget item of a tree node, or nullptr when it is not shown.
  QTreeWidgetItem* ItemOf(int node) const;
  // The tree node of the current item, or -1.
  int SelectedNode() const;

  // The buttons and the double click, as the user gives them.
  void PressMerge();
  void PressRestore();
  void PressSave();
  void OpenObject(QTreeWidgetItem* item);

private:
  void Fill();
  void SelectionChanged();
  void UpdateButtons();

  TClusterTree tree_;
  TDendrogram dendrogram_;
  std::vector<QTreeWidgetItem*> items_; // per node, nullptr for nodes not shown
  bool filling_ = false;
  QTreeWidget* view_;
  TDendrogramView* dendrogramView_;
  QPushButton* merge_;
  QPushButton* restore_;
  QPushButton* save_;
  QTimer* fitColumn_;
};

} // namespace vandro
