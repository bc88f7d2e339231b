// "Descriptive stats": the statistics of several series side by side, one
// column per series beside the row titles. The cell texts are those
// vandro-cli prints (stats/series_grid.h); this window lays them out and
// gives the grid its hints.
#pragma once

#include "stats/series_grid.h"

#include <QDialog>

class QTableWidget;

namespace vandro {

class TBasicStatDlg final : public QDialog {
  Q_OBJECT
public:
  explicit TBasicStatDlg(const TStatGrid& cells, QWidget* parent = nullptr);

  // "StatGrid": row 0 the series names, column 0 the row titles.
  QTableWidget* Grid() const { return grid_; }

protected:
  // The grid's viewport narrows when its scroll bar appears: the columns
  // are sized anew whenever it changes.
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void SizeColumns();

  QTableWidget* grid_;
};

// Computes and shows the series (BasicStatGrid reports those not loaded),
// modally.
void ShowBasicStatistics(QWidget* parent, const std::vector<TStatSeries*>& series);

} // namespace vandro
