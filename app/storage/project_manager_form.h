// "Project Manager": the open project's information, the tree of its
// parameters, units, templates, charts and indexes with a detail grid, the
// two index pages and the project variables. The rules are in
// editing/project_manager.h; this window draws what they give and opens the
// editors they ask for. It lives while the project is open: closing it
// closes the project.
#pragma once

#include "editing/project_manager.h"

#include <QWidget>

#include <functional>
#include <vector>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace vandro {

class TProjectManagerForm final : public QWidget {
  Q_OBJECT
public:
  enum TPage { GeneralInfoPage, ExplorePage, ObjectIndexPage, GroupIndexPage, VariablesPage };

  explicit TProjectManagerForm(bool explore, QWidget* parent = nullptr);

  // What closing the window does: closes the project and gives true, or
  // false when the user keeps it open (the window then stays).
  void SetCloseHandler(std::function<bool()> handler) { closeHandler_ = std::move(handler); }

  QTabWidget* Tabs() const { return tabs_; }
  QTreeWidget* Tree() const { return tree_; }
  QTableWidget* Details() const { return details_; }
  QPlainTextEdit* InfoText() const { return infoText_; }
  QTableWidget* InfoGrid() const { return infoGrid_; }
  QPushButton* InfoEditButton() const { return infoEdit_; }
  QPushButton* InfoOkButton() const { return infoOk_; }
  QTableWidget* IndexGrid(TIndexKind kind) const { return indexGrids_[kind ? 1 : 0]; }
  QTableWidget* VariablesGrid() const { return variables_; }
  QPushButton* Button(const QString& caption) const;

  // Everything again from the open project.
  void RefreshAll();
  // The date style changed: the texts that show dates are written anew.
  void DatesChanged();
  // The node of a tree item.
  const TManagerNode* NodeOf(const QTreeWidgetItem* item) const;
  // The first tree item of the kind with the caption, or nullptr.
  QTreeWidgetItem* FindItem(TManagerNodeKind kind, const QString& caption) const;

  void ShowDetails(const QTreeWidgetItem* item);
  // Double-click: the editor the node asks for.
  void EditNode(const QTreeWidgetItem* item);

  void EditInfo();
  void StoreInfo();
  void CancelInfo();

  void AddIndexEntry(TIndexKind kind);
  void EditIndexEntry(TIndexKind kind);
  void DeleteIndexEntry(TIndexKind kind);
  void ViewIndexObject(TIndexKind kind);

  void AddVariable();
  void EditVariable();
  void ViewVariable();
  void DeleteVariable();
  void SortVariables(TVariableOrder order);

signals:
  // A chart's window is the main window's to open.
  void chartOpenRequested(const QString& name);
  // The project information was edited (the main window shows the name).
  void projectInfoChanged();

protected:
  void closeEvent(QCloseEvent* event) override;

private:
  QWidget* MakeInfoPage();
  QWidget* MakeExplorePage();
  QWidget* MakeIndexPage(TIndexKind kind);
  QWidget* MakeVariablesPage();
  void FillTree();
  void AddChildren(QTreeWidgetItem* parent, const TManagerNode& node);
  QTreeWidgetItem* AddItem(QTreeWidgetItem* parent, const TManagerNode& node);
  void RefreshParameters();
  void RefreshUnits();
  void RefreshIndexes();
  // The selected entry's row, or -1 after "Select an entry".
  int SelectedEntry(TIndexKind kind) const;
  void EntriesChanged();
  void FillInfo();
  void FillVariables();
  void ViewObject(int32_t id);
  void ListGroups();
  TVariable* SelectedVariable();
  QPushButton* AddButton(QWidget* page, const QString& caption, std::function<void()> action);

  std::function<bool()> closeHandler_;
  // Nodes of the tree items, without their children; an item keeps its
  // index here.
  std::vector<TManagerNode> nodes_;
  TVariableOrder variableOrder_ = TVariableOrder::Name;
  QTabWidget* tabs_;
  QPlainTextEdit* infoText_ = nullptr;
  QTableWidget* infoGrid_ = nullptr;
  QPushButton* infoEdit_ = nullptr;
  QPushButton* infoOk_ = nullptr;
  QPushButton* infoCancel_ = nullptr;
  QTreeWidget* tree_ = nullptr;
  QTableWidget* details_ = nullptr;
  QTableWidget* indexGrids_[2] = {};
  QTableWidget* variables_ = nullptr;
};

} // namespace vandro
