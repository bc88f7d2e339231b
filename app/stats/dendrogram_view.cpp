#include "app/stats/dendrogram_view.h"

#include "app/shell/text_edge.h"
#include "shell/numbers.h"
#include "stats/cluster_view.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <vector>

namespace vandro {

namespace {

constexpr int kMargin = 8;
constexpr int kTicks = 5;
// The foot keeps this much room for names, at most.
constexpr int kNameRoom = 120;

} // namespace

TDendrogramView::TDendrogramView(QWidget* parent) : QWidget(parent) {
  setAccessibleName(QStringLiteral("Dendrogram"));
  setBackgroundRole(QPalette::Base);
  setAutoFillBackground(true);
}

void TDendrogramView::SetDendrogram(const TDendrogram* dendrogram) {
  dendrogram_ = dendrogram;
  update();
}

QSize TDendrogramView::sizeHint() const {
  return {420, 380};
}

QSize TDendrogramView::minimumSizeHint() const {
  return {200, 160};
}

void TDendrogramView::paintEvent(QPaintEvent*) {
  if (!dendrogram_ || dendrogram_->Leaves().empty()) return;
  QPainter painter(this);
  const QFontMetrics metrics = painter.fontMetrics();
  const auto& leaves = dendrogram_->Leaves();
  const double top = dendrogram_->MaxHeight() > 0 ? dendrogram_->MaxHeight() : 1;

  // Axis labels at round steps (1, 2 or 5 times a power of ten) up to the
  // tallest merge, about kTicks of them.
  const double rough = top / kTicks;
  const double power = std::pow(10.0, std::floor(std::log10(rough)));
  const double fraction = rough / power;
  const double tick = (fraction <= 1 ? 1 : fraction <= 2 ? 2 : fraction <= 5 ? 5 : 10) * power;
  std::vector<double> ticks;
  for (int t = 0; t * tick <= top * (1 + 1e-9); ++t)
    ticks.push_back(t * tick);
  QStringList tickTexts;
  int axisWidth = 0;
  for (const double value : ticks) {
    const QString text = FromCore(ShownNumber(static_cast<long double>(value)));
    tickTexts << text;
    axisWidth = std::max(axisWidth, metrics.horizontalAdvance(text));
  }
  const int left = kMargin + axisWidth + 6;
  const int right = width() - kMargin;
  const double step = leaves.size() > 1 ? double(right - left) / double(leaves.size() - 1) : 0;
  // Names only while they do not overlap; their room is taken from the
  // plot's height.
  const bool named = leaves.size() == 1 || step >= metrics.height();
  int nameRoom = 0;
  if (named)
    for (const TDendrogramLeaf& leaf : leaves)
      nameRoom =
          std::max(nameRoom, std::min(kNameRoom, metrics.horizontalAdvance(FromCore(leaf.name))));
  const int bottom = height() - kMargin - nameRoom - (named ? 8 : 0);
  const int plotTop = kMargin + metrics.height() / 2;
  if (bottom <= plotTop || right <= left) return;

  const auto xAt = [&](double x) {
    return leaves.size() > 1 ? left + x * step : (left + right) / 2.0;
  };
  const auto yAt = [&](double h) { return bottom - h / top * (bottom - plotTop); };

  painter.setPen(palette().color(QPalette::Text));
  painter.drawLine(left - 3, plotTop, left - 3, bottom);
  for (size_t t = 0; t < ticks.size(); ++t) {
    const int y = static_cast<int>(std::lround(yAt(ticks[t])));
    painter.drawLine(left - 6, y, left - 3, y);
    painter.drawText(QRect(kMargin, y - metrics.height() / 2, axisWidth, metrics.height()),
                     Qt::AlignRight | Qt::AlignVCenter, tickTexts[static_cast<qsizetype>(t)]);
  }

  painter.setRenderHint(QPainter::Antialiasing);
  const QPen plain(palette().color(QPalette::Text), 1);
  const QPen selected(Qt::red, 2);
  // Unselected links first, so that the selected branch is drawn over them.
  for (const bool drawSelected : {false, true})
    for (const TDendrogramLink& link : dendrogram_->Links()) {
      if (link.selected != drawSelected) continue;
      painter.setPen(link.selected ? selected : plain);
      QPainterPath path;
      path.moveTo(xAt(link.x[0]), yAt(link.bottom[0]));
      path.lineTo(xAt(link.x[0]), yAt(link.height));
      path.lineTo(xAt(link.x[1]), yAt(link.height));
      path.lineTo(xAt(link.x[1]), yAt(link.bottom[1]));
      painter.drawPath(path);
    }

  if (!named) return;
  painter.setRenderHint(QPainter::Antialiasing, false);
  for (size_t k = 0; k < leaves.size(); ++k) {
    const TDendrogramLeaf& leaf = leaves[k];
    painter.setPen(leaf.selected ? QPen(Qt::red) : plain);
    const QString name = metrics.elidedText(FromCore(leaf.name), Qt::ElideRight, kNameRoom);
    painter.save();
    painter.translate(xAt(static_cast<double>(k)) - metrics.ascent() / 2.0, bottom + 4);
    painter.rotate(90);
    painter.drawText(0, 0, name);
    painter.restore();
  }
}

} // namespace vandro
