// The matrix window: a table the statistics computed (the correlation
// matrix, the contingency table) under its title, with the corner cell, the
// column headings in the first row and the row headings in the first column.
#pragma once

#include "stats/stats_common.h"

#include <QDialog>

class QLabel;
class QTableWidget;

namespace vandro {

class TMatrixDlg final : public QDialog {
  Q_OBJECT
public:
  explicit TMatrixDlg(const TMatrixText& matrix, QWidget* parent = nullptr);

  QLabel* Title() const { return title_; }
  QTableWidget* Grid() const { return grid_; }

private:
  QLabel* title_;
  QTableWidget* grid_;
};

// The cells of the window: the corner and column headings, then a row per
// row heading.
std::vector<std::vector<std::string>> MatrixCells(const TMatrixText& matrix);

} // namespace vandro
