#include "app/exchange/print_window.h"

#include "app/exchange/save_target.h"
#include "app/groups/view_group_dlg.h"
#include "app/shell/child_form.h"
#include "app/storage/project_manager_form.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDialog>
#include <QFontMetrics>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

#include <memory>

#include <algorithm>
#include <vector>

namespace vandro {

QWidget* WindowToPrint(QWidget* activeChild) {
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  return activeChild;
}

namespace {

// Whether widget shows inside window: neither it nor a parent up to the
// window is hidden (another tab's page is). The window itself may not be on
// screen yet.
bool ShownIn(const QWidget* widget, const QWidget* window) {
  for (; widget && widget != window; widget = widget->parentWidget())
    if (widget->isHidden()) return false;
  return widget == window;
}

} // namespace

QAbstractItemView* GridToPrint(QWidget* window) {
  if (!window) return nullptr;
  const bool printsGrid = qobject_cast<TProjectManagerForm*>(window) ||
                          qobject_cast<TViewGroupDlg*>(window) || qobject_cast<QDialog*>(window);
  if (!printsGrid) return nullptr;
  QAbstractItemView* best = nullptr;
  int bestArea = 0;
  for (QAbstractItemView* view : window->findChildren<QAbstractItemView*>()) {
    if (!ShownIn(view, window) || !view->model() || view->model()->rowCount() == 0) continue;
    const int area = std::max(view->width() * view->height(), 1);
    if (area > bestArea) {
      best = view;
      bestArea = area;
    }
  }
  return best;
}

void PrintGrid(const QAbstractItemView& view, const QString& title, QPrinter& printer) {
  const QAbstractItemModel& model = *view.model();
  const int columns = model.columnCount();
  const int rows = model.rowCount();
  QPainter painter(&printer);
  const QRect page = painter.viewport();
  QFont font = painter.font();
  font.setPointSizeF(9);
  painter.setFont(font);
  const QFontMetrics metrics(font, &printer);
  const int lineHeight = metrics.height() + metrics.height() / 3;
  auto cell = [&model](int row, int column) {
    return model.index(row, column).data(Qt::DisplayRole).toString();
  };
  auto heading = [&model](int column) {
    return model.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
  };

  // Columns as wide as their widest text, narrowed together to fit the page.
  std::vector<int> widths(std::max(columns, 0));
  const int padding = metrics.horizontalAdvance(QStringLiteral("  "));
  for (int c = 0; c < columns; ++c) {
    int width = metrics.horizontalAdvance(heading(c));
    for (int r = 0; r < rows; ++r)
      width = std::max(width, metrics.horizontalAdvance(cell(r, c)));
    widths[c] = width + padding;
  }
  int total = 0;
  for (int width : widths)
    total += width;
  if (total > page.width() && total > 0)
    for (int& width : widths)
      width = width * page.width() / total;

  auto drawRow = [&](int y, auto text, bool bold) {
    QFont rowFont = font;
    rowFont.setBold(bold);
    painter.setFont(rowFont);
    int x = page.left();
    for (int c = 0; c < columns; ++c) {
      const QRect box(x, y, widths[c], lineHeight);
      painter.drawText(box.adjusted(2, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter,
                       metrics.elidedText(text(c), Qt::ElideRight, widths[c] - 4));
      painter.drawRect(box);
      x += widths[c];
    }
  };

  int y = page.top();
  auto startPage = [&] {
    drawRow(y, heading, true);
    y += lineHeight;
  };
  QFont titleFont = font;
  titleFont.setPointSizeF(12);
  titleFont.setBold(true);
  painter.setFont(titleFont);
  painter.drawText(QRect(page.left(), y, page.width(), 2 * lineHeight), Qt::AlignLeft, title);
  y += 2 * lineHeight;
  startPage();
  for (int r = 0; r < rows; ++r) {
    if (y + lineHeight > page.bottom()) {
      printer.newPage();
      y = page.top();
      startPage();
    }
    drawRow(
        y, [&](int c) { return cell(r, c); }, false);
    y += lineHeight;
  }
}

void PrintWindow(QWidget* window, QPrinter& printer) {
  if (QAbstractItemView* grid = GridToPrint(window)) {
    QString title = window->windowTitle();
    if (title.isEmpty() && window->parentWidget()) title = window->parentWidget()->windowTitle();
    PrintGrid(*grid, title, printer);
    return;
  }
  if (auto* child = qobject_cast<TChildForm*>(window)) {
    child->Print(printer);
    return;
  }
  const QPixmap image = window->grab();
  QPainter painter(&printer);
  const QRect page = painter.viewport();
  QSize size = image.size();
  size.scale(page.size(), Qt::KeepAspectRatio);
  painter.drawPixmap(QRect(page.topLeft(), size), image);
}

QPrinter& AppPrinter() {
  static const std::unique_ptr<QPrinter> printer = std::make_unique<QPrinter>();
  return *printer;
}

bool PrintWithDialog(QWidget* window) {
  QPrintDialog dialog(&AppPrinter(), window);
  if (dialog.exec() != QDialog::Accepted) return false;
  // Printing to a file writes it like any save.
  const QString file = AppPrinter().outputFileName();
  if (!file.isEmpty() && !MayWriteFile(file)) return false;
  PrintWindow(window, AppPrinter());
  return true;
}

} // namespace vandro
