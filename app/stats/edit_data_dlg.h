// TEditDataDlg: the numeric table of a data analysis, a row per object and
// a column per parameter. It opens read-only; its "Edit Data" button makes
// the numbers editable, and every number typed goes to the analysis at
// once (TAnalysisDialog::SetDataCell), so the analyses take it.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QTableWidget;

namespace vandro {

class TAnalysisDialog;

class TEditDataDlg final : public QDialog {
  Q_OBJECT

public:
  TEditDataDlg(TAnalysisDialog& dialog, QWidget* parent = nullptr);

  // Fills the grid; false after the reasons when the table cannot be built.
  bool Load();

  QTableWidget* Grid() const { return grid_; }
  QLabel* ReadOnlyLabel() const { return readOnly_; }
  QPushButton* EditButton() const { return edit_; }
  void PressEdit();

private:
  void CellEdited(int row, int column);

  TAnalysisDialog& dialog_;
  bool filling_ = false;
  QTableWidget* grid_;
  QLabel* readOnly_;
  QPushButton* edit_;
};

} // namespace vandro
