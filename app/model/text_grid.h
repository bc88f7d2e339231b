// Read-only grids of text cells, as the project manager, the database
// browser and the object view show them: whole rows selected, one at a
// time, columns titled from the core's captions.
#pragma once

#include <QTableWidget>

#include <string>
#include <vector>

namespace vandro {

// A grid with these column titles (none: the header is hidden).
QTableWidget* MakeTextGrid(const std::vector<std::string>& titles, QWidget* parent = nullptr);
// Replaces the rows; cells of code page 1251 text.
void FillTextGrid(QTableWidget* grid, const std::vector<std::vector<std::string>>& rows);
// Titles and rows at once: a grid whose columns change with what it shows.
void FillTextGrid(QTableWidget* grid, const std::vector<std::string>& titles,
                  const std::vector<std::vector<std::string>>& rows);
// The selected row, or -1.
int SelectedRow(const QTableWidget* grid);

} // namespace vandro
