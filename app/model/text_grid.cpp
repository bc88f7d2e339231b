#include "app/model/text_grid.h"

#include "app/shell/text_edge.h"

#include <QHeaderView>

namespace vandro {

namespace {

void SetTitles(QTableWidget* grid, const std::vector<std::string>& titles) {
  if (titles.empty()) {
    grid->horizontalHeader()->hide();
    return;
  }
  grid->setColumnCount(static_cast<int>(titles.size()));
  QStringList labels;
  for (const std::string& title : titles)
    labels << FromCore(title);
  grid->setHorizontalHeaderLabels(labels);
  grid->horizontalHeader()->show();
}

} // namespace

QTableWidget* MakeTextGrid(const std::vector<std::string>& titles, QWidget* parent) {
  auto* grid = new QTableWidget(parent);
  grid->verticalHeader()->hide();
  // One line of text per row, so that a page of the browser holds more.
  grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 8);
  grid->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid->setSelectionMode(QAbstractItemView::SingleSelection);
  grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid->setAlternatingRowColors(true);
  grid->horizontalHeader()->setStretchLastSection(true);
  SetTitles(grid, titles);
  return grid;
}

void FillTextGrid(QTableWidget* grid, const std::vector<std::vector<std::string>>& rows) {
  grid->clearContents();
  grid->setRowCount(static_cast<int>(rows.size()));
  size_t columns = static_cast<size_t>(grid->columnCount());
  for (const auto& row : rows)
    columns = std::max(columns, row.size());
  grid->setColumnCount(static_cast<int>(columns));
  for (size_t r = 0; r < rows.size(); ++r)
    for (size_t c = 0; c < rows[r].size(); ++c)
      grid->setItem(static_cast<int>(r), static_cast<int>(c),
                    new QTableWidgetItem(FromCore(rows[r][c])));
  // The last column takes the rest of the width.
  for (int column = 0; column + 1 < grid->columnCount(); ++column)
    grid->resizeColumnToContents(column);
}

void FillTextGrid(QTableWidget* grid, const std::vector<std::string>& titles,
                  const std::vector<std::vector<std::string>>& rows) {
  grid->setColumnCount(0);
  SetTitles(grid, titles);
  FillTextGrid(grid, rows);
}

int SelectedRow(const QTableWidget* grid) {
  const int row = grid->currentRow();
  return row >= 0 && grid->selectionModel()->isRowSelected(row, {}) ? row : -1;
}

} // namespace vandro
