#include "app/stats/edit_data_dlg.h"

#include "app/shell/guard.h"
#include "app/shell/text_edge.h"
#include "app/stats/result_grid.h"
#include "app/stats/stat_windows.h"
#include "stats/analysis_dialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace vandro {

TEditDataDlg::TEditDataDlg(TAnalysisDialog& dialog, QWidget* parent)
    : QDialog(parent), dialog_(dialog) {
  setWindowTitle(QStringLiteral("Edit Data"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  grid_ = new QTableWidget;
  grid_->setAccessibleName(QStringLiteral("Data"));
  grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid_->verticalHeader()->hide();
  app::AddResultGridCommands(grid_);
  readOnly_ = new QLabel(QStringLiteral("!!!  Click Edit Data button to modify data  !!!"));
  readOnly_->setStyleSheet(QStringLiteral("color: red"));
  edit_ = new QPushButton(QStringLiteral("Edit Data"));
  edit_->setAccessibleName(edit_->text());
  edit_->setAutoDefault(false);
  connect(edit_, &QPushButton::clicked, this, &TEditDataDlg::PressEdit);
  connect(grid_, &QTableWidget::cellChanged, this, &TEditDataDlg::CellEdited);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* row = new QHBoxLayout;
  row->addWidget(readOnly_, 1);
  row->addWidget(edit_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(row);
  layout->addWidget(grid_, 1);
  layout->addWidget(buttons);
  resize(560, 420);
}

bool TEditDataDlg::Load() {
  std::vector<std::vector<std::string>> cells;
  bool built = false;
  {
    TStatWait wait(this);
    RunCommand([&] { built = dialog_.DataCells(cells, wait.Progress()); });
  }
  if (!built) return false;
  filling_ = true;
  const std::vector<std::string> header = dialog_.DataHeader();
  grid_->clear();
  grid_->setColumnCount(static_cast<int>(header.size()));
  grid_->setRowCount(static_cast<int>(cells.size()));
  QStringList captions;
  for (const std::string& caption : header)
    captions << FromCore(caption);
  grid_->setHorizontalHeaderLabels(captions);
  for (size_t r = 0; r < cells.size(); ++r)
    for (size_t c = 0; c < cells[r].size(); ++c) {
      auto* item = new QTableWidgetItem(FromCore(cells[r][c]));
      if (c == 0)
        item->setFlags(item->flags() & ~Qt::ItemIsEditable);
      else
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      grid_->setItem(static_cast<int>(r), static_cast<int>(c), item);
    }
  grid_->resizeColumnsToContents();
  filling_ = false;
  return true;
}

void TEditDataDlg::PressEdit() {
  grid_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                         QAbstractItemView::AnyKeyPressed);
  readOnly_->hide();
  edit_->setEnabled(false);
}

void TEditDataDlg::CellEdited(int row, int column) {
  if (filling_ || column < 1) return;
  QTableWidgetItem* item = grid_->item(row, column);
  std::string text;
  bool set = false;
  if (item && ToCore(item->text(), text))
    RunCommand([&] { set = dialog_.SetDataCell(row, column - 1, text); });
  if (set) return;
  // A refused number shows again the one the analyses take.
  std::vector<std::vector<std::string>> cells;
  if (dialog_.DataCells(cells) && static_cast<size_t>(row) < cells.size()) {
    filling_ = true;
    item->setText(FromCore(cells[static_cast<size_t>(row)][static_cast<size_t>(column)]));
    filling_ = false;
  }
}

} // namespace vandro
