#include "app/stats/matrix_dlg.h"

#include "app/shell/text_edge.h"
#include "app/stats/result_grid.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

namespace vandro {

std::vector<std::vector<std::string>> MatrixCells(const TMatrixText& matrix) {
  std::vector<std::vector<std::string>> cells;
  std::vector<std::string> heading{matrix.corner};
  heading.insert(heading.end(), matrix.columns.begin(), matrix.columns.end());
  cells.push_back(std::move(heading));
  for (size_t r = 0; r < matrix.rows.size(); ++r) {
    std::vector<std::string> row{matrix.rows[r]};
    if (r < matrix.cells.size())
      row.insert(row.end(), matrix.cells[r].begin(), matrix.cells[r].end());
    cells.push_back(std::move(row));
  }
  return cells;
}

TMatrixDlg::TMatrixDlg(const TMatrixText& matrix, QWidget* parent) : QDialog(parent) {
  const QString title = FromCore(matrix.title);
  setWindowTitle(title);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  title_ = new QLabel(title);
  QFont font = title_->font();
  font.setBold(true);
  title_->setFont(font);
  grid_ = MakeResultGrid(title);
  grid_->setObjectName(QStringLiteral("MatrixGrid"));
  FillResultGrid(grid_, MatrixCells(matrix));
  title_->setBuddy(grid_);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(title_);
  layout->addWidget(grid_);
  layout->addWidget(buttons);
  resize(560, 360);
}

} // namespace vandro
