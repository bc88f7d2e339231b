// "Parameters:": the project's parameters with a category filter and the
// columns "Param Name", "Brief Name", "Default Value", "Description". "Add"
// opens the parameter editor on a new parameter, a double click on an
// existing one, "Delete" asks first (editing/parameter_list.h). Every change
// is told through the handler, so that the record dialogs and the project
// manager follow at once.
#pragma once

#include <QDialog>

#include <functional>

class QComboBox;
class QTableWidget;

namespace vandro {

class TParamListDlg final : public QDialog {
  Q_OBJECT
public:
  explicit TParamListDlg(QWidget* parent = nullptr);

  void SetChangedHandler(std::function<void()> handler) { changed_ = std::move(handler); }
  QComboBox* CategoryFilter() const { return category_; }
  QTableWidget* Table() const { return table_; }

  void Add();
  void Edit(int row);
  void Delete();

private:
  void FillCategories();
  void Fill(const QString& current);

  QComboBox* category_;
  QTableWidget* table_;
  std::function<void()> changed_;
};

} // namespace vandro
