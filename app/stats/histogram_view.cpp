#include "app/stats/histogram_view.h"

#include "app/shell/guard.h"
#include "app/shell/text_edge.h"
#include "stats/stat_dialog.h"

#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>

namespace vandro {

THistogramDlg::THistogramDlg(TStatDialog& dialog, int series, QWidget* parent)
    : QDialog(parent), dialog_(dialog), series_(series) {
  setWindowTitle(QStringLiteral("Series Histogram"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  intervals_ = new QSpinBox;
  intervals_->setRange(kMinIntervals, kMaxIntervals);
  intervals_->setValue(std::clamp(dialog_.Intervals, kMinIntervals, kMaxIntervals));
  intervals_->setAccessibleName(QStringLiteral("Intervals"));
  auto* intervalsCaption = new QLabel(QStringLiteral("Intervals:"));
  intervalsCaption->setBuddy(intervals_);
  chart_ = new QChart;
  chart_->legend()->hide();
  bars_ = new QBarSet(QStringLiteral("Items"));
  bars_->setColor(Qt::green);
  bars_->setBorderColor(Qt::darkGreen);
  auto* barSeries = new QBarSeries;
  barSeries->setBarWidth(1.0); // intervals touch, as a histogram's do
  barSeries->append(bars_);
  chart_->addSeries(barSeries);
  bottom_ = new QCategoryAxis;
  bottom_->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
  chart_->addAxis(bottom_, Qt::AlignBottom);
  barSeries->attachAxis(bottom_);
  left_ = new QValueAxis;
  left_->setLabelFormat(QStringLiteral("%d"));
  left_->setTickType(QValueAxis::TicksDynamic);
  left_->setTickAnchor(0);
  chart_->addAxis(left_, Qt::AlignLeft);
  barSeries->attachAxis(left_);
  view_ = new QChartView(chart_);
  view_->setRenderHint(QPainter::Antialiasing);
  view_->setAccessibleName(QStringLiteral("Series Histogram"));

  connect(intervals_, &QSpinBox::valueChanged, this, [this](int count) {
    RunCommand([&] {
      dialog_.Intervals = count;
      if (Build()) Draw();
    });
  });
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* top = new QHBoxLayout;
  top->addWidget(intervalsCaption);
  top->addWidget(intervals_);
  top->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(view_, 1);
  layout->addWidget(buttons);
  resize(640, 420);
  if (Build()) Draw();
}

bool THistogramDlg::Build() {
  return dialog_.Histogram(series_, histogram_);
}

void THistogramDlg::Draw() {
  chart_->setTitle(FromCore(dialog_.Series(series_).Name()));
  bars_->remove(0, bars_->count());
  for (const QString& label : bottom_->categoriesLabels())
    bottom_->remove(label);
  // Bar i covers i - 0.5 .. i + 0.5 on the axis; its label stands at its
  // left edge, where its interval begins.
  const auto count = static_cast<int>(histogram_.bars.size());
  bottom_->setRange(-0.5, count - 0.5);
  bottom_->setStartValue(-0.5);
  int highest = 0;
  for (int i = 0; i < count; ++i) {
    const THistogramBar& bar = histogram_.bars[static_cast<size_t>(i)];
    *bars_ << bar.count;
    bottom_->append(FromCore(bar.label), i - 0.5);
    highest = std::max(highest, bar.count);
  }
  left_->setRange(0, std::max(highest, 1));
  // Whole counts only: at most ten steps of a whole number of items.
  left_->setTickInterval(std::max(1, (highest + 9) / 10));
}

} // namespace vandro
