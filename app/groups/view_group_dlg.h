// TViewGroupDlg: the group table view, a non-modal child of the main window
// counted against its dialog limit. The rules are the group table's
// (editing/group_table.h); this window draws the table through a model that
// reads the table's cells as they are painted, and forwards every click.
#pragma once

#include "app/shell/child_form.h"
#include "editing/group_table.h"
#include "editing/records_follow.h"

#include <QAbstractTableModel>
#include <QTableView>

#include <functional>
#include <memory>

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QSlider;
class QTabWidget;

namespace vandro {

class TMomentPicker;

// The table's cells as Qt reads them: texts, kind icons, navy selection.
class TGroupTableModel final : public QAbstractTableModel {
  Q_OBJECT
public:
  explicit TGroupTableModel(const TGroupTable& table, QObject* parent = nullptr);
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  void Reset();

private:
  const TGroupTable& table_;
};

// The grid answers the main window's Edit: Copy (Ctrl+C), which calls
// copy() on the widget that has the focus: a shortcut of its own would
// clash with that one.
class TGroupGrid final : public QTableView {
  Q_OBJECT
public:
  using QTableView::QTableView;
  std::function<void()> OnCopy;
public slots:
  void copy() {
    if (OnCopy) OnCopy();
  }
};

class TViewGroupDlg final : public TChildForm, private TGroupTableHost {
  Q_OBJECT
public:
  explicit TViewGroupDlg(QWidget* parent = nullptr);
  ~TViewGroupDlg() override;

  // A group's object identifier or a group state's record identifier; false
  // when there is nothing to show (the window is then to be discarded).
  bool Start(int32_t id, bool alwaysShowHidden);

  bool UsesObject(int32_t objectId) const override;
  TGroupTable& Table() { return table_; }

  // For tests and screen readers: the widgets by their captions.
  TGroupGrid* Grid() const { return grid_; }
  QTabWidget* Pages() const { return pages_; }
  QListWidget* ParameterList() const { return parameters_; }
  QListWidget* AvailableList() const { return available_; }
  QListWidget* SortList() const { return sortBy_; }
  QAction* Command(const QString& caption) const;

  // The buttons and commands, as the user presses them.
  void ShowContent();
  void PressSortIn();
  void PressSortOut();
  void PressSortClear();
  void PressMove(int by);
  void PressAddCalculated();
  void PressChangeCalculated();
  void PressFormula();
  void CopyCells();
  void CopyNumeric();
  // "Descriptive Statistics" / "Statistics"; false when nothing is
  // selected. A selection without a number says kNothingNumeric.
  bool HandToStatistics(bool descriptive);
  void NextVersion();
  void SetColumnWidth();
  void WidthAutoselect();
  void DefaultWidths();
  void OpenCell(const QModelIndex& index);

private:
  bool InputText(const std::string& prompt, std::string& text) override;

  void BuildContent(QWidget* page);
  void BuildAdvanced(QWidget* page);
  void Redraw();
  void FillAdvanced();
  void FitColumns();
  void FitColumn(int column);
  void SelectionChanged();
  void GridMenu(const QPoint& at);
  void UpdateCommands();
  // A command of the pop-up menu; with keys, a shortcut while the grid has
  // the focus unless shownKeysOnly (keys the main window passes on).
  QAction* AddCommand(const QString& caption, const QKeySequence& keys,
                      void (TViewGroupDlg::*run)(), bool shownKeysOnly = false);

  TGroupTable table_;
  TRecordsFollower follower_;
  double opened_ = 0;   // the moment the table opened at: now, then
  TValue::Ptr formula_; // the working formula of the calculated-column panel
  bool filling_ = false;
  TGroupTableModel* model_ = nullptr;
  QTabWidget* pages_ = nullptr;
  TGroupGrid* grid_ = nullptr;
  TMomentPicker* moment_ = nullptr;
  QSlider* track_ = nullptr;
  QListWidget* states_ = nullptr;
  QLabel* current_ = nullptr;
  QListWidget* parameters_ = nullptr;
  QCheckBox* showHidden_ = nullptr;
  QListWidget* available_ = nullptr;
  QListWidget* sortBy_ = nullptr;
  QLineEdit* calcName_ = nullptr;
  QLabel* calcFormula_ = nullptr;
  QList<QAction*> commands_;
};

} // namespace vandro
