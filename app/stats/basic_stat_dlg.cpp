#include "app/stats/basic_stat_dlg.h"

#include "app/stats/result_grid.h"
#include "app/stats/stat_windows.h"
#include "shell/messages.h"
#include "stats/stat_dialog.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QTableWidget>
#include <QVBoxLayout>

#include <memory>

namespace vandro {

TBasicStatDlg::TBasicStatDlg(const TStatGrid& cells, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Descriptive stats"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  grid_ = MakeResultGrid(QStringLiteral("Descriptive stats"));
  grid_->setObjectName(QStringLiteral("StatGrid"));
  FillResultGrid(grid_, cells);
  for (int column = 0; column < grid_->columnCount(); ++column)
    if (QTableWidgetItem* item = grid_->item(0, column))
      item->setToolTip(QString::fromLatin1(kStatGridHeadingHint));
  for (int row = 1; row < grid_->rowCount(); ++row)
    if (QTableWidgetItem* item = grid_->item(row, 0))
      item->setToolTip(QString::fromLatin1(kStatGridTitleHint));
  grid_->viewport()->installEventFilter(this);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(grid_);
  layout->addWidget(buttons);
  resize(640, 520);
}

bool TBasicStatDlg::eventFilter(QObject* watched, QEvent* event) {
  if (watched == grid_->viewport() && event->type() == QEvent::Resize) SizeColumns();
  return QDialog::eventFilter(watched, event);
}

void TBasicStatDlg::SizeColumns() {
  const int series = grid_->columnCount() - 1;
  if (series <= 0) return;
  grid_->resizeColumnToContents(0);
  const int room = grid_->viewport()->width() - grid_->columnWidth(0);
  const int width = BasicStatColumnWidth(series, room);
  for (int column = 1; column <= series; ++column)
    grid_->setColumnWidth(column, width);
}

void ShowBasicStatistics(QWidget* parent, const std::vector<TStatSeries*>& series) {
  TBasicStatDlg dialog(BasicStatGrid(series), parent);
  dialog.exec();
}

} // namespace vandro

namespace vandro::app {

// A series that does not load is listed by name and keeps its column.
void OpenDescriptiveStats(QWidget* parent, std::vector<THandedSeries> handed) {
  std::vector<std::unique_ptr<TStatSeries>> series;
  const bool loaded = LoadHandedSeries(handed, parent, [&series](THandedSeries& one) {
    auto load = std::make_unique<TStatSeries>();
    load->SetName(one.Name);
    load->Source = std::move(one.Source);
    std::vector<std::string> errors;
    load->Load(errors);
    if (!errors.empty()) {
      errors.insert(errors.begin(), load->Name() + ":");
      ShowMsgList(errors);
    }
    series.push_back(std::move(load));
  });
  if (!loaded) return;
  std::vector<TStatSeries*> list;
  for (const auto& one : series)
    list.push_back(one.get());
  ShowBasicStatistics(parent, list);
}

} // namespace vandro::app
