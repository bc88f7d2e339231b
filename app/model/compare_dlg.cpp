#include "app/model/compare_dlg.h"

#include "app/editing/selection_api.h"
#include "app/model/text_grid.h"
#include "model/state_track.h"

#include <QBrush>
#include <QDialogButtonBox>
#include <QFont>
#include <QHeaderView>
#include <QLabel>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace vandro {

namespace {

// The mark of a changed row: bold on a pale amber, readable in both the
// light and the selected state.
const QColor kChangedBackground(255, 236, 179);

} // namespace

TCompareDlg::TCompareDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Compare States"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  summary_ = new QLabel;
  grid_ = MakeTextGrid(CompareColumns("First", "Second"));
  grid_->setAccessibleName(QStringLiteral("Comparison"));
  grid_->horizontalHeader()->setStretchLastSection(false);
  summary_->setBuddy(grid_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(summary_);
  layout->addWidget(grid_);
  layout->addWidget(buttons);
  resize(760, 420);
}

void TCompareDlg::Compare(const TStateTrack& first, const TStateTrack& second) {
  rows_ = CompareStates(*first.State, *second.State);
  std::vector<std::vector<std::string>> cells;
  for (const TCompareRow& row : rows_)
    cells.push_back(CompareCells(row));
  FillTextGrid(grid_, CompareColumns(SideCaption(first), SideCaption(second)), cells);
  QFont bold = grid_->font();
  bold.setBold(true);
  for (int row = 0; row < grid_->rowCount(); ++row) {
    if (!Marked(row)) continue;
    for (int column = 0; column < grid_->columnCount(); ++column)
      if (QTableWidgetItem* item = grid_->item(row, column)) {
        item->setBackground(kChangedBackground);
        item->setForeground(QBrush(Qt::black));
        item->setFont(bold);
      }
  }
  grid_->resizeColumnsToContents();
  // Wide enough for every column, as far as the screen allows.
  int width = grid_->verticalHeader()->width() + 2 * grid_->frameWidth() + 40;
  for (int column = 0; column < grid_->columnCount(); ++column)
    width += grid_->columnWidth(column);
  if (const QScreen* screen = this->screen())
    width = std::min(width, screen->availableGeometry().width() - 40);
  resize(std::max(width, this->width()), height());
  summary_->setText(QStringLiteral("%1 of %2 parameters changed")
                        .arg(ChangedCount(rows_))
                        .arg(static_cast<int>(rows_.size())));
}

bool TCompareDlg::Marked(int row) const {
  return row >= 0 && row < static_cast<int>(rows_.size()) &&
         rows_[static_cast<size_t>(row)].Changed;
}

void CompareWithChosenState(QWidget* parent, std::unique_ptr<TStateTrack> first) {
  if (!first || !first->State) return;
  app::TSelectRequest request;
  request.Caption = "Select Object";
  request.RequireState = true;
  app::TSelectResult result;
  if (!app::SelectObject(parent, request, result) || result.StateIds.empty()) return;
  const std::unique_ptr<TStateTrack> second = CompareSide(result.StateIds.front(), result.Moment);
  if (!second) return;
  TCompareDlg dialog(parent);
  dialog.Compare(*first, *second);
  dialog.exec();
}

} // namespace vandro
