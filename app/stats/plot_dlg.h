// TPlotDlg: the "Scatter Plot" of two variables of a regression, with the
// estimates against the same X when "Show Estimate" is checked. The data and
// titles come from the regression (TScatterPlot); this window only draws.
#pragma once

#include "stats/regression.h"

#include <QDialog>

class QChart;
class QChartView;
class QCheckBox;
class QComboBox;
class QScatterSeries;

namespace vandro {

class TPlotDlg final : public QDialog {
  Q_OBJECT

public:
  // regression outlives the window (its regression window owns both).
  explicit TPlotDlg(const TLinearRegression& regression, QWidget* parent = nullptr);

  // Draws the chosen pair again, after the regression changed.
  void Refresh();

  QComboBox* YList() const { return y_; }
  QComboBox* XList() const { return x_; }
  QCheckBox* ShowEstimate() const { return showEstimate_; }
  QChart* Chart() const { return chart_; }
  QScatterSeries* Observations() const { return observations_; }
  QScatterSeries* Estimates() const { return estimates_; }

private:
  void Draw();

  const TLinearRegression& regression_;
  bool filling_ = false;
  QComboBox* y_;
  QComboBox* x_;
  QCheckBox* showEstimate_;
  QChart* chart_;
  QChartView* view_;
  QScatterSeries* observations_ = nullptr;
  QScatterSeries* estimates_ = nullptr;
};

} // namespace vandro
