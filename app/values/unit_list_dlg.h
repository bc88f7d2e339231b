// The unit list: the open project's catalogue of units in a table, filtered
// by category. Opened from Project: Units it manages the catalogue with its
// "Refresh", "Add", "Delete", "Edit" and "Make Basic" buttons and an "OK"
// button captioned "Close"; other windows may open it only to pick a unit.
// The grid's columns and texts and the buttons' rules are the core's
// (editing/unit_list.h); this window draws them and forwards the buttons.
#pragma once

#include <QDialog>

#include <cstdint>
#include <string>

class QComboBox;
class QPushButton;
class QTableWidget;

namespace vandro {

class TUnitListDlg final : public QDialog {
  Q_OBJECT
public:
  // managing: with the catalogue's buttons and "Close"; else a picker whose
  // "OK" takes the selected unit.
  explicit TUnitListDlg(bool managing, QWidget* parent = nullptr);

  // Refills the category filter and the table from the catalogue, keeping
  // the chosen category and unit where they still exist.
  void Refresh();
  int32_t SelectedUnitId() const;
  void SelectUnit(int32_t id);

  QTableWidget* Table() const { return table_; }
  QComboBox* CategoryFilter() const { return category_; }
  QPushButton* RefreshButton() const { return refresh_; }
  QPushButton* AddButton() const { return add_; }
  QPushButton* DeleteButton() const { return delete_; }
  QPushButton* EditButton() const { return edit_; }
  QPushButton* MakeBasicButton() const { return makeBasic_; }
  QPushButton* OkButton() const { return ok_; }

  void AddUnit();
  void DeleteSelected();
  void EditSelected();
  void MakeSelectedBasic();

private:
  void FillTable();
  // The filter's choice as the core takes it: a category or
  // kAllUnitCategories.
  std::string ChosenCategory() const;

  bool managing_;
  bool changing_ = false; // managing a project that may be changed
  QComboBox* category_;
  QTableWidget* table_;
  QPushButton* refresh_;
  QPushButton* add_;
  QPushButton* delete_;
  QPushButton* edit_;
  QPushButton* makeBasic_;
  QPushButton* ok_;
};

} // namespace vandro
