// What every result window of the statistics shares: a read-only grid whose
// first row and column are headings, its "Copy" and "Save As..." commands
// (stat_windows.h), and "Wait" with the progress window while a window loads
// or computes.
#pragma once

#include "app/shell/progress_window.h"

#include <QString>

#include <string>
#include <vector>

class QTableWidget;
class QWidget;

namespace vandro {

// A read-only grid of text cells without Qt's own headers: the cells carry
// the headings, so that a copy holds them as they are shown. name is the
// grid's accessible name.
QTableWidget* MakeResultGrid(const QString& name, QWidget* parent = nullptr);
// cells[row][column] in code page 1251; the first row and, when
// headingColumn, the first column are drawn as headings.
void FillResultGrid(QTableWidget* grid, const std::vector<std::vector<std::string>>& cells,
                    bool headingColumn = true);

// The grid's texts, rows ended by CR LF: tab-separated, or CSV (comma
// separated); a field holding the separator, a quote, a line break or
// blanks at an end is quoted, its quotes doubled (shell/delimited_text.h). Qt's headers, where
// shown, come first. With selectionOnly and a selection, only the rectangle that bounds it.
QString GridText(const QTableWidget* grid, bool csv, bool selectionOnly);
// Writes the whole grid as CSV in UTF-8; false after a message when the
// file cannot be written.
bool SaveGridAs(const QTableWidget* grid, const QString& path);

// "Wait" in the main window's status bar and the wait cursor while a scope
// runs; what is on screen is painted before the work starts. Long work
// (a query, loading objects, reading their values, clustering) reports
// through Progress: the program's progress window over parent, with
// "Cancel", shown only while the work reports.
class TStatWait {
public:
  explicit TStatWait(QWidget* parent = nullptr);
  ~TStatWait();
  TStatWait(const TStatWait&) = delete;
  TStatWait& operator=(const TStatWait&) = delete;
  TProgress* Progress() { return &progress_; }

private:
  TProgressWindow progress_;
};

} // namespace vandro
