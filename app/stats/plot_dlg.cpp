#include "app/stats/plot_dlg.h"

#include "app/shell/guard.h"
#include "app/shell/text_edge.h"

#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QScatterSeries>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>

namespace vandro {

namespace {

// Points are marked 3 pixels either side of their place.
constexpr qreal kMarkerSize = 6;

} // namespace

TPlotDlg::TPlotDlg(const TLinearRegression& regression, QWidget* parent)
    : QDialog(parent), regression_(regression) {
  setWindowTitle(QStringLiteral("Scatter Plot"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  y_ = new QComboBox;
  y_->setAccessibleName(QStringLiteral("Y:"));
  x_ = new QComboBox;
  x_->setAccessibleName(QStringLiteral("X:"));
  showEstimate_ = new QCheckBox(QStringLiteral("Show Estimate"));
  showEstimate_->setAccessibleName(showEstimate_->text());
  showEstimate_->setChecked(true);
  chart_ = new QChart;
  chart_->legend()->hide();
  view_ = new QChartView(chart_);
  view_->setRenderHint(QPainter::Antialiasing);
  view_->setAccessibleName(QStringLiteral("Scatter Plot"));

  TScatterPlot plot;
  bool drawn = false;
  RunCommand([&] { drawn = regression_.ScatterPlot(plot); });
  filling_ = true;
  for (const std::string& name : plot.names) {
    y_->addItem(FromCore(name));
    x_->addItem(FromCore(name));
  }
  if (drawn) {
    y_->setCurrentIndex(plot.y);
    x_->setCurrentIndex(plot.x);
  }
  filling_ = false;
  connect(y_, &QComboBox::currentIndexChanged, this, [this] { Draw(); });
  connect(x_, &QComboBox::currentIndexChanged, this, [this] { Draw(); });
  connect(showEstimate_, &QCheckBox::toggled, this, [this] { Draw(); });

  auto* lists = new QHBoxLayout;
  auto* yCaption = new QLabel(QStringLiteral("Y:"));
  yCaption->setBuddy(y_);
  auto* xCaption = new QLabel(QStringLiteral("X:"));
  xCaption->setBuddy(x_);
  lists->addWidget(yCaption);
  lists->addWidget(y_, 1);
  lists->addWidget(xCaption);
  lists->addWidget(x_, 1);
  lists->addWidget(showEstimate_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(lists);
  layout->addWidget(view_, 1);
  layout->addWidget(buttons);
  resize(620, 460);
  Draw();
}

void TPlotDlg::Refresh() {
  Draw();
}

void TPlotDlg::Draw() {
  if (filling_) return;
  TScatterPlot plot;
  bool built = false;
  RunCommand(
      [&] { built = regression_.ScatterPlot(plot, y_->currentIndex(), x_->currentIndex()); });
  chart_->removeAllSeries();
  observations_ = nullptr;
  estimates_ = nullptr;
  for (QAbstractAxis* axis : chart_->axes())
    chart_->removeAxis(axis);
  showEstimate_->setVisible(built && !plot.estimates.empty());
  if (!built) return;

  auto* xAxis = new QValueAxis;
  xAxis->setTitleText(FromCore(plot.xTitle));
  auto* yAxis = new QValueAxis;
  yAxis->setTitleText(FromCore(plot.yTitle));
  chart_->addAxis(xAxis, Qt::AlignBottom);
  chart_->addAxis(yAxis, Qt::AlignLeft);

  const auto add = [&](const std::vector<std::pair<long double, long double>>& points,
                       QScatterSeries::MarkerShape shape, const QColor& colour) {
    auto* series = new QScatterSeries;
    series->setMarkerShape(shape);
    series->setMarkerSize(kMarkerSize);
    series->setColor(colour);
    series->setBorderColor(colour);
    QList<QPointF> list;
    list.reserve(static_cast<qsizetype>(points.size()));
    for (const auto& [x, y] : points)
      list.append(QPointF(static_cast<double>(x), static_cast<double>(y)));
    series->replace(list);
    chart_->addSeries(series);
    series->attachAxis(xAxis);
    series->attachAxis(yAxis);
    return series;
  };
  observations_ = add(plot.observations, QScatterSeries::MarkerShapeCircle, Qt::green);
  if (showEstimate_->isChecked() && !plot.estimates.empty())
    estimates_ = add(plot.estimates, QScatterSeries::MarkerShapeTriangle, Qt::red);

  // Both series on one scale, with a margin so that no point sits on an axis.
  double low[2] = {0, 0}, high[2] = {0, 0};
  bool first = true;
  for (const auto* points : {&plot.observations, &plot.estimates}) {
    if (points == &plot.estimates && !estimates_) continue;
    for (const auto& [x, y] : *points) {
      const double v[2] = {static_cast<double>(x), static_cast<double>(y)};
      for (int a = 0; a < 2; ++a) {
        low[a] = first ? v[a] : std::min(low[a], v[a]);
        high[a] = first ? v[a] : std::max(high[a], v[a]);
      }
      first = false;
    }
  }
  QValueAxis* axes[2] = {xAxis, yAxis};
  for (int a = 0; a < 2; ++a) {
    const double margin = high[a] > low[a] ? (high[a] - low[a]) * 0.05 : 1;
    axes[a]->setRange(low[a] - margin, high[a] + margin);
    axes[a]->applyNiceNumbers();
  }
}

} // namespace vandro
