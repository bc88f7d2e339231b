#include "app/stats/result_grid.h"

#include "app/exchange/print_window.h"
#include "app/exchange/save_target.h"
#include "app/shell/guard.h"
#include "app/shell/main_window_services.h"
#include "app/shell/text_edge.h"
#include "app/stats/stat_windows.h"
#include "shell/delimited_text.h"
#include "shell/messages.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QTableWidget>

#include <algorithm>
#include <limits>

namespace vandro {

namespace {

QString CellText(const QTableWidget* grid, int row, int column) {
  const QTableWidgetItem* item = grid->item(row, column);
  return item ? item->text() : QString();
}

QString HeaderText(const QTableWidgetItem* item) {
  return item ? item->text() : QString();
}

void CopyGrid(const QTableWidget* grid) {
  QApplication::clipboard()->setText(GridText(grid, false, true));
}

void SaveGridWithDialog(QTableWidget* grid) {
  const QString path =
      QFileDialog::getSaveFileName(grid->window(), QStringLiteral("Save As..."), QString(),
                                   QStringLiteral("CSV files (*.csv);;All files (*)"));
  if (path.isEmpty()) return;
  SaveGridAs(grid, QFileInfo(path).suffix().isEmpty() ? path + QStringLiteral(".csv") : path);
}

} // namespace

QTableWidget* MakeResultGrid(const QString& name, QWidget* parent) {
  auto* grid = new QTableWidget(parent);
  grid->setAccessibleName(name);
  grid->horizontalHeader()->hide();
  grid->verticalHeader()->hide();
  grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid->setSelectionMode(QAbstractItemView::ContiguousSelection);
  grid->setWordWrap(false);
  app::AddResultGridCommands(grid);
  return grid;
}

void FillResultGrid(QTableWidget* grid, const std::vector<std::vector<std::string>>& cells,
                    bool headingColumn) {
  size_t columns = 0;
  for (const auto& row : cells)
    columns = std::max(columns, row.size());
  grid->clearContents();
  grid->setRowCount(static_cast<int>(cells.size()));
  grid->setColumnCount(static_cast<int>(columns));
  QFont bold = grid->font();
  bold.setBold(true);
  for (size_t r = 0; r < cells.size(); ++r)
    for (size_t c = 0; c < cells[r].size(); ++c) {
      auto* item = new QTableWidgetItem(FromCore(cells[r][c]));
      if (r == 0 || (headingColumn && c == 0)) {
        item->setFont(bold);
        item->setBackground(grid->palette().button());
      }
      grid->setItem(static_cast<int>(r), static_cast<int>(c), item);
    }
  grid->resizeColumnsToContents();
}

QString GridText(const QTableWidget* grid, bool csv, bool selectionOnly) {
  int top = 0, left = 0, bottom = grid->rowCount() - 1, right = grid->columnCount() - 1;
  bool headers = true;
  const QList<QTableWidgetSelectionRange> ranges = grid->selectedRanges();
  if (selectionOnly && !ranges.isEmpty()) {
    headers = false;
    top = left = std::numeric_limits<int>::max();
    bottom = right = -1;
    for (const QTableWidgetSelectionRange& range : ranges) {
      top = std::min(top, range.topRow());
      left = std::min(left, range.leftColumn());
      bottom = std::max(bottom, range.bottomRow());
      right = std::max(right, range.rightColumn());
    }
  }
  const bool columnTitles = headers && !grid->horizontalHeader()->isHidden();
  const bool rowTitles = headers && !grid->verticalHeader()->isHidden();
  // The core's writer quotes what needs it; UTF-8 passes through it as it is.
  const std::string separator = csv ? "," : "\t";
  std::string text;
  auto addRow = [&](const std::vector<std::string>& fields) {
    text += JoinFields(fields, separator);
    text += "\r\n";
  };
  auto field = [](const QString& cell) { return cell.toUtf8().toStdString(); };
  if (columnTitles) {
    std::vector<std::string> fields;
    if (rowTitles) fields.emplace_back();
    for (int c = left; c <= right; ++c)
      fields.push_back(field(HeaderText(grid->horizontalHeaderItem(c))));
    addRow(fields);
  }
  for (int r = top; r <= bottom; ++r) {
    std::vector<std::string> fields;
    if (rowTitles) fields.push_back(field(HeaderText(grid->verticalHeaderItem(r))));
    for (int c = left; c <= right; ++c)
      fields.push_back(field(CellText(grid, r, c)));
    addRow(fields);
  }
  return QString::fromStdString(text);
}

bool SaveGridAs(const QTableWidget* grid, const QString& path) {
  if (!MayWriteFile(path)) return false;
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
      file.write(GridText(grid, true, false).toUtf8()) < 0) {
    std::string shown;
    TryToCore(path, shown);
    ShowMsg("Can't write the file " + shown + kLineBreak + file.errorString().toStdString());
    return false;
  }
  return true;
}

TStatWait::TStatWait(QWidget* parent) : progress_(parent, true) {
  ShowWaiting(true);
  // Paint what changed before the work holds the event loop.
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

TStatWait::~TStatWait() {
  ShowWaiting(false);
}

} // namespace vandro

namespace vandro::app {

void AddResultGridCommands(QTableWidget* grid) {
  auto* copy = new QAction(QStringLiteral("Copy"), grid);
  copy->setShortcut(QKeySequence::Copy);
  copy->setShortcutContext(Qt::WidgetWithChildrenShortcut);
  QObject::connect(copy, &QAction::triggered, grid,
                   [grid] { RunCommand([grid] { CopyGrid(grid); }); });
  auto* save = new QAction(QStringLiteral("Save As..."), grid);
  save->setShortcut(QKeySequence::Save);
  save->setShortcutContext(Qt::WidgetWithChildrenShortcut);
  QObject::connect(save, &QAction::triggered, grid,
                   [grid] { RunCommand([grid] { SaveGridWithDialog(grid); }); });
  // The menu is out of reach behind a modal window: File: Print's shortcut
  // prints the grid from here.
  auto* print = new QAction(QStringLiteral("Print..."), grid);
  print->setShortcut(QKeySequence::Print);
  print->setShortcutContext(Qt::WindowShortcut);
  QObject::connect(print, &QAction::triggered, grid,
                   [grid] { RunCommand([grid] { PrintWithDialog(grid->window()); }); });
  grid->addAction(copy);
  grid->addAction(save);
  grid->addAction(print);
  grid->setContextMenuPolicy(Qt::ActionsContextMenu);
}

} // namespace vandro::app
