// "Series Histogram": the bars of one series of the statistics window as a
// chart, green bars standing at the low end of their intervals and labelled
// with it, and the interval count (2..24) beside it. The count belongs to
// the statistics window, so the next histogram opens with it.
#pragma once

#include "stats/histogram.h"

#include <QDialog>

class QBarSet;
class QCategoryAxis;
class QChart;
class QChartView;
class QSpinBox;
class QValueAxis;

namespace vandro {

class TStatDialog;

class THistogramDlg final : public QDialog {
  Q_OBJECT
public:
  // series: the index of the series in the statistics window's list.
  THistogramDlg(TStatDialog& dialog, int series, QWidget* parent = nullptr);

  // False (after the message) when the series has no histogram.
  bool Build();
  const THistogram& Histogram() const { return histogram_; }
  QSpinBox* Intervals() const { return intervals_; }
  QChart* Chart() const { return chart_; }

private:
  void Draw();

  TStatDialog& dialog_;
  int series_;
  THistogram histogram_;
  QSpinBox* intervals_;
  QChartView* view_;
  QChart* chart_;
  // One bar set on one pair of axes, filled anew for each interval count.
  QBarSet* bars_;
  QCategoryAxis* bottom_; // each bar's low end at its left edge
  QValueAxis* left_;
};

} // namespace vandro
