// "DB Show": the nine tables as they are stored, one tab and one grid per
// table, for inspection. Rows are read a slice at a time as the grid
// scrolls, so a large table opens at once.
#pragma once

#include <QAbstractTableModel>
#include <QDialog>

#include <string>
#include <vector>

class QTabWidget;
class QTableView;

namespace vandro {

// One table, read on demand.
class TRawTableModel final : public QAbstractTableModel {
  Q_OBJECT
public:
  explicit TRawTableModel(std::string table, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  bool canFetchMore(const QModelIndex& parent) const override;
  void fetchMore(const QModelIndex& parent) override;

  // Rows in the table, whether read yet or not.
  qint64 TotalRows() const { return total_; }

private:
  std::string table_;
  qint64 total_ = 0;
  std::vector<std::string> columns_;
  std::vector<std::vector<std::string>> rows_;
};

class TDbShowForm final : public QDialog {
  Q_OBJECT
public:
  explicit TDbShowForm(QWidget* parent = nullptr);

  QTabWidget* Tabs() const { return tabs_; }
  QTableView* Grid(int index) const;

private:
  QTabWidget* tabs_;
};

} // namespace vandro
