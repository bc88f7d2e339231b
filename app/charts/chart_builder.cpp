#include "app/charts/chart_builder.h"

#include <QApplication>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QFileInfo>
#include <QGraphicsLineItem>
#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QImage>
#include <QLegend>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QPainter>
#include <QPdfWriter>
#include <QPieSeries>
#include <QPieSlice>
#include <QPointer>
#include <QScatterSeries>
#include <QSvgGenerator>
#include <QValueAxis>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <map>
#include <memory>
#include <vector>

namespace vandro {

QColor ChartQColor(TChartColor color, const QColor& fallback) {
  if (color < 0) return fallback;
  return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

TChartColor ChartColorOf(const QColor& color) {
  return color.red() | (color.green() << 8) | (color.blue() << 16);
}

QFont ChartQFont(const TChartFont& font) {
  QFont qfont(QString::fromStdString(font.Name));
  if (font.Size > 0) qfont.setPointSize(font.Size);
  qfont.setBold((font.Style & fsBold) != 0);
  qfont.setItalic((font.Style & fsItalic) != 0);
  qfont.setUnderline((font.Style & fsUnderline) != 0);
  qfont.setStrikeOut((font.Style & fsStrikeOut) != 0);
  return qfont;
}

TChartFont ChartFontOf(const QFont& font, TChartColor color) {
  TChartFont result;
  result.Color = color;
  result.Size = font.pointSize() > 0 ? font.pointSize() : result.Size;
  result.Name = font.family().toStdString();
  result.Style = (font.bold() ? fsBold : 0) | (font.italic() ? fsItalic : 0) |
                 (font.underline() ? fsUnderline : 0) | (font.strikeOut() ? fsStrikeOut : 0);
  return result;
}

namespace {

QString TextOf(const std::string& text) {
  QString shown = QString::fromStdString(text);
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return shown;
}

// What a mark says: the point's label, or its value when it has none.
QString MarkText(const TChartPoint& point) {
  return point.Label.empty() ? QString::number(point.Y) : TextOf(point.Label);
}

// The nine point styles as the nearest of Qt Charts' own marker shapes. The
// points are drawn with markers of ours (PointMarker), which have all nine.
QScatterSeries::MarkerShape MarkerShape(int style) {
  static constexpr std::array<QScatterSeries::MarkerShape, kPointStyleCount> kShapes = {
      QScatterSeries::MarkerShapeRectangle,        // rectangle
      QScatterSeries::MarkerShapeCircle,           // circle
      QScatterSeries::MarkerShapeTriangle,         // triangle
      QScatterSeries::MarkerShapeTriangle,         // down triangle
      QScatterSeries::MarkerShapeStar,             // cross
      QScatterSeries::MarkerShapeStar,             // diagonal cross
      QScatterSeries::MarkerShapeStar,             // star
      QScatterSeries::MarkerShapeRotatedRectangle, // diamond
      QScatterSeries::MarkerShapeCircle,           // small dot
  };
  return style >= 0 && style < kPointStyleCount ? kShapes[static_cast<size_t>(style)]
                                                : QScatterSeries::MarkerShapeRectangle;
}

// The header and footer: text items of their own, since a chart's own title
// is centred only, placed again with the chart's margins whenever the chart
// changes size (margins are shares of the size).
class TChartDecor final : public QObject {
public:
  TChartDecor(const TChartDefinition& chart, QChart& qchart)
      : QObject(&qchart),
        qchart_(qchart), margins_{chart.LMargin, chart.TMargin, chart.RMargin, chart.BMargin} {
    setObjectName(QStringLiteral("vandroChartDecor"));
    // The whole chart's paper, titles included: the chart's own background
    // leaves them out.
    paper_ = new QGraphicsRectItem(&qchart_);
    paper_->setFlag(QGraphicsItem::ItemStacksBehindParent);
    paper_->setPen(Qt::NoPen);
    paper_->setBrush(Qt::white);
    header_ = MakeTitle(chart.Header);
    footer_ = MakeTitle(chart.Footer);
    headerAlign_ = chart.Header.Align;
    footerAlign_ = chart.Footer.Align;
    legendShown_ = chart.Legend.Visible && !chart.Series.empty();
    legendPosition_ = chart.Legend.Position;
    connect(&qchart_, &QGraphicsWidget::geometryChanged, this, [this] { Place(); });
    Place();
  }
  // The items are the chart's children: the chart deletes them when it goes.
  // A chart drawn again takes the old ones off first.
  void RemoveItems() {
    for (TTitle* title : {&header_, &footer_}) {
      delete title->text;
      delete title->back;
      delete title->frame;
      *title = {};
    }
    delete paper_;
    paper_ = nullptr;
  }

private:
  struct TTitle {
    QGraphicsRectItem* back = nullptr;
    QGraphicsSimpleTextItem* text = nullptr;
    QGraphicsRectItem* frame = nullptr; // the border, when it has one
  };

  TTitle MakeTitle(const TChartTitle& title) {
    if (!title.Visible || title.Text.empty()) return {};
    TTitle made;
    made.back = new QGraphicsRectItem(&qchart_);
    made.back->setPen(Qt::NoPen);
    made.back->setBrush(ChartQColor(title.BGColor, Qt::transparent));
    made.text = new QGraphicsSimpleTextItem(TextOf(title.Text), &qchart_);
    made.text->setFont(ChartQFont(title.Font));
    made.text->setBrush(ChartQColor(title.Font.Color, Qt::black));
    if (title.Border) {
      made.frame = new QGraphicsRectItem(&qchart_);
      made.frame->setPen(QPen(Qt::black, 1));
    }
    return made;
  }

  static qreal Height(const TTitle& title) {
    return title.text ? title.text->boundingRect().height() + 4 : 0;
  }

  void PlaceTitle(const TTitle& title, int align, qreal y) {
    if (!title.text) return;
    const QRectF area = qchart_.rect();
    const qreal width = title.text->boundingRect().width();
    const qreal x = align == caLeft    ? area.left() + 8
                    : align == caRight ? area.right() - width - 8
                                       : area.center().x() - width / 2;
    title.text->setPos(x, y + 2);
    title.back->setRect(area.left(), y, area.width(), Height(title));
    if (title.frame) title.frame->setRect(x - 4, y + 1, width + 8, Height(title) - 2);
  }

  // Qt lays an attached legend over the whole side of the chart, which
  // would show its background and frame as a band: the legend stands
  // detached, as big as its entries, at the side it is put, and that side's
  // margin makes room for it.
  void PlaceLegend(const QRectF& area, QMargins& margins) {
    if (!legendShown_) return;
    QLegend* legend = qchart_.legend();
    const QRectF inside = area.marginsRemoved(margins.toMarginsF());
    const QSizeF size = legend->effectiveSizeHint(Qt::PreferredSize).boundedTo(inside.size() * 0.9);
    constexpr int kGap = 8;
    QRectF place(QPointF(), size);
    switch (legendPosition_) {
    case lpLeft:
      place.moveTopLeft({inside.left(), inside.center().y() - size.height() / 2});
      margins.setLeft(margins.left() + static_cast<int>(size.width()) + kGap);
      break;
    case lpTop:
      place.moveTopLeft({inside.center().x() - size.width() / 2, inside.top()});
      margins.setTop(margins.top() + static_cast<int>(size.height()) + kGap);
      break;
    case lpBottom:
      place.moveTopLeft({inside.center().x() - size.width() / 2, inside.bottom() - size.height()});
      margins.setBottom(margins.bottom() + static_cast<int>(size.height()) + kGap);
      break;
    default:
      place.moveTopLeft({inside.right() - size.width(), inside.center().y() - size.height() / 2});
      margins.setRight(margins.right() + static_cast<int>(size.width()) + kGap);
      break;
    }
    legend->setGeometry(place);
  }

public:
  // Again once the series are in: the legend's size follows its entries.
  void Place() {
    const QRectF area = qchart_.rect();
    paper_->setRect(area);
    const auto share = [](int percent, qreal size) {
      return static_cast<int>(percent * size / 100);
    };
    const qreal top = Height(header_);
    const qreal bottom = Height(footer_);
    QMargins margins(share(margins_[0], area.width()),
                     share(margins_[1], area.height()) + static_cast<int>(top),
                     share(margins_[2], area.width()),
                     share(margins_[3], area.height()) + static_cast<int>(bottom));
    PlaceLegend(area, margins);
    qchart_.setMargins(margins);
    PlaceTitle(header_, headerAlign_, area.top());
    PlaceTitle(footer_, footerAlign_, area.bottom() - bottom);
  }

private:
  QChart& qchart_;
  std::array<int, 4> margins_;
  QGraphicsRectItem* paper_ = nullptr;
  TTitle header_;
  TTitle footer_;
  int headerAlign_ = caCenter;
  int footerAlign_ = caCenter;
  bool legendShown_ = false;
  int legendPosition_ = lpRight;
};

// The marks: a box in the marks' colour with the point's label (or value) at
// the end of a short arrow above each point of the series that show them.
// Qt's own point labels have neither a box nor texts of their own, so the
// marks are items over the chart, placed again whenever the plot area or an
// axis' range changes (a resize, a zoom).
class TChartMarks final : public QObject {
public:
  explicit TChartMarks(QChart& qchart) : QObject(&qchart), qchart_(qchart) {
    setObjectName(QStringLiteral("vandroChartMarks"));
    layer_ = new QGraphicsRectItem(&qchart_);
    layer_->setPen(Qt::NoPen);
    layer_->setZValue(1000); // over the series and the grid
    connect(&qchart_, &QChart::plotAreaChanged, this, [this] { Place(); });
  }

  // The marks of one series; set names a bar series' set, whose points
  // stand at their categories in X order.
  void Add(const TChartSeries& series, QAbstractSeries& qseries, QBarSet* set = nullptr) {
    if (!series.MarksVisible || !series.Visible) return;
    const QColor box = ChartQColor(series.MarksColor, QColor(0xFF, 0xFF, 0xE1));
    const QColor arrow = ChartQColor(series.MarksArrowColor, Qt::white);
    const QFont font = ChartQFont(series.MarksFont);
    const QColor ink = ChartQColor(series.MarksFont.Color, Qt::black);
    std::vector<const TChartPoint*> points;
    for (const TChartPoint& point : series.Points)
      points.push_back(&point);
    // Bars stand in X order, one category each.
    if (set)
      std::stable_sort(points.begin(), points.end(),
                       [](const TChartPoint* a, const TChartPoint* b) { return a->X < b->X; });
    for (size_t i = 0; i < points.size(); ++i) {
      TMark mark;
      mark.series = &qseries;
      mark.set = set;
      mark.value =
          set ? QPointF(static_cast<qreal>(i), points[i]->Y) : QPointF(points[i]->X, points[i]->Y);
      mark.length = std::max(series.MarksLen, 0);
      mark.arrow = new QGraphicsLineItem(layer_);
      mark.arrow->setPen(QPen(arrow, 1));
      mark.box = new QGraphicsRectItem(layer_);
      mark.box->setPen(QPen(Qt::black, 1));
      mark.box->setBrush(box);
      mark.text = new QGraphicsSimpleTextItem(MarkText(*points[i]), mark.box);
      mark.text->setFont(font);
      mark.text->setBrush(ink);
      marks_.push_back(mark);
    }
  }

  // Follows the axes' ranges: a zoom or a scroll moves the points.
  void Watch(QAbstractAxis* axis) {
    if (auto* value = qobject_cast<QValueAxis*>(axis))
      connect(value, &QValueAxis::rangeChanged, this, [this] { Place(); });
    else if (auto* log = qobject_cast<QLogValueAxis*>(axis))
      connect(log, &QLogValueAxis::rangeChanged, this, [this] { Place(); });
    else if (auto* bars = qobject_cast<QBarCategoryAxis*>(axis))
      connect(bars, &QBarCategoryAxis::rangeChanged, this, [this] { Place(); });
  }

  void Place() {
    const QRectF plot = qchart_.plotArea().adjusted(-1, -1, 1, 1);
    for (const TMark& mark : marks_) {
      QPointF value = mark.value;
      if (auto* bars = qobject_cast<QAbstractBarSeries*>(mark.series); bars && mark.set) {
        // A bar of set k among n stands in its share of the bar width.
        const auto sets = bars->barSets();
        const qreal count = std::max<qreal>(static_cast<qreal>(sets.size()), 1);
        const qreal width = bars->barWidth();
        value.rx() +=
            -width / 2 + (static_cast<qreal>(sets.indexOf(mark.set)) + 0.5) * width / count;
      }
      const QPointF at = qchart_.mapToPosition(value, mark.series);
      const bool shown = mark.series->isVisible() && plot.contains(at);
      mark.arrow->setVisible(shown);
      mark.box->setVisible(shown);
      if (!shown) continue;
      const QPointF tip(at.x(), at.y() - mark.length);
      mark.arrow->setLine(QLineF(at, tip));
      const QRectF text = mark.text->boundingRect();
      const QRectF box(tip.x() - text.width() / 2 - 2, tip.y() - text.height() - 2,
                       text.width() + 4, text.height() + 2);
      mark.box->setRect(box);
      mark.text->setPos(box.left() + 2, box.top() + 1);
    }
  }

  // As the titles: the chart deletes the items when it goes; a chart drawn
  // again takes the old ones off first.
  void RemoveItems() {
    delete layer_;
    layer_ = nullptr;
    marks_.clear();
  }

private:
  struct TMark {
    QAbstractSeries* series = nullptr;
    QBarSet* set = nullptr; // a bar's mark: value.x() is its category
    QPointF value;
    int length = 0;
    QGraphicsLineItem* arrow = nullptr;
    QGraphicsRectItem* box = nullptr;
    QGraphicsSimpleTextItem* text = nullptr;
  };

  QChart& qchart_;
  QGraphicsRectItem* layer_ = nullptr;
  std::vector<TMark> marks_;
};

// Where a series' points fall, to give automatic axis ends.
struct TRange {
  double low = std::numeric_limits<double>::infinity();
  double high = -std::numeric_limits<double>::infinity();
  void Add(double value) {
    if (!std::isfinite(value)) return;
    low = std::min(low, value);
    high = std::max(high, value);
  }
  bool Empty() const { return low > high; }
};

// One of the four main axes as built: the Qt axis and the data on it.
struct TBuiltAxis {
  QAbstractAxis* axis = nullptr;
  TRange range;
  bool categories = false; // labels of bars or of points, not a scale
};

Qt::Alignment AxisSide(int axis) {
  switch (axis) {
  case caxLeft:
    return Qt::AlignLeft;
  case caxRight:
    return Qt::AlignRight;
  case caxTop:
    return Qt::AlignTop;
  default:
    return Qt::AlignBottom;
  }
}

void StyleAxis(QAbstractAxis& axis, const TChartAxis& keys, bool showAxis) {
  axis.setVisible(showAxis && keys.Visible);
  axis.setTitleText(TextOf(keys.Title));
  axis.setTitleFont(ChartQFont(keys.Font));
  axis.setTitleBrush(ChartQColor(keys.Font.Color, Qt::black));
  axis.setLabelsVisible(keys.LabelsVisible && keys.LabelStyle != alsNone);
  axis.setLabelsFont(ChartQFont(keys.LblFont));
  axis.setLabelsColor(ChartQColor(keys.LblFont.Color, Qt::black));
  axis.setLabelsAngle(-keys.LabelAngle); // counter-clockwise in the definition
  axis.setGridLineVisible(keys.Grid);
  axis.setMinorGridLineVisible(keys.MinTicksGrid);
  axis.setLineVisible(keys.TicksVisible);
  axis.setReverse(keys.Inverted);
}

// The ends of a scale: fixed where the definition fixes them, else from the
// data; a logarithmic scale keeps to positive numbers.
void ScaleAxis(QAbstractAxis& axis, const TChartAxis& keys, TRange range) {
  if (range.Empty()) range = {0, 1};
  if (range.low == range.high) {
    range.low -= 1;
    range.high += 1;
  }
  const bool minAuto = keys.Auto || keys.ScaleMinAuto;
  const bool maxAuto = keys.Auto || keys.ScaleMaxAuto;
  double low = minAuto ? range.low : keys.ScaleMin;
  double high = maxAuto ? range.high : keys.ScaleMax;
  if (low >= high) std::swap(low, high);
  if (low == high) high = low + 1;
  if (auto* log = qobject_cast<QLogValueAxis*>(&axis)) {
    if (high <= 0) high = 1;
    if (low <= 0) low = std::min(high / 10, range.low > 0 ? range.low : high / 10);
    log->setRange(low, high);
    log->setMinorTickCount(keys.MinTicksVisible ? keys.MinorCount : 0);
    return;
  }
  auto* value = qobject_cast<QValueAxis*>(&axis);
  if (!value) return;
  value->setRange(low, high);
  if (minAuto && maxAuto) value->applyNiceNumbers();
  value->setMinorTickCount(keys.MinTicksVisible ? keys.MinorCount : 0);
  // A fixed increment, unless it would crowd the axis with ticks.
  if (keys.ScaleInc > 0 && (value->max() - value->min()) / keys.ScaleInc <= 200) {
    value->setTickType(QValueAxis::TicksDynamic);
    value->setTickAnchor(value->min());
    value->setTickInterval(keys.ScaleInc);
  }
}

QList<QPointF> PointsOf(const TChartSeries& series) {
  QList<QPointF> points;
  points.reserve(static_cast<qsizetype>(series.Points.size()));
  for (const TChartPoint& point : series.Points)
    points.append(QPointF(point.X, point.Y));
  return points;
}

bool HasLabels(const TChartSeries& series) {
  return std::any_of(series.Points.begin(), series.Points.end(),
                     [](const TChartPoint& point) { return !point.Label.empty(); });
}

QString PointText(const TChartPoint& point) {
  return point.Label.empty() ? QString::number(point.X) : TextOf(point.Label);
}

// A point's marker, as Qt Charts draws it at every point: the style's shape,
// h and v its half width and height, filled with brush and outlined with
// pen. Drawn at four times the size it is shown at, so that it stays smooth
// when Qt scales it down; side is the size to show it at.
QImage PointMarker(int style, int h, int v, const QColor& pen, const QColor& brush, int& side) {
  if (style == 8) h = v = 1; // the small dot
  h = std::max(h, 1);
  v = std::max(v, 1);
  side = 2 * std::max(h, v) + 3;
  constexpr int kScale = 4;
  QImage image(side * kScale, side * kScale, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.scale(kScale, kScale);
  painter.translate(side / 2.0, side / 2.0);
  QPen outline(pen, 1);
  outline.setJoinStyle(Qt::MiterJoin);
  painter.setPen(outline);
  painter.setBrush(brush);
  const QRectF box(-h, -v, 2 * h, 2 * v);
  switch (style) {
  case 1: // circle
  case 8: // small dot
    painter.drawEllipse(box);
    break;
  case 2: // triangle
    painter.drawPolygon(
        QPolygonF{{0, -double(v)}, {double(h), double(v)}, {-double(h), double(v)}});
    break;
  case 3: // down triangle
    painter.drawPolygon(
        QPolygonF{{0, double(v)}, {double(h), -double(v)}, {-double(h), -double(v)}});
    break;
  case 4: // cross
  case 5: // diagonal cross
  case 6: // star
    if (style != 5) {
      painter.drawLine(QLineF(-h, 0, h, 0));
      painter.drawLine(QLineF(0, -v, 0, v));
    }
    if (style != 4) {
      painter.drawLine(box.topLeft(), box.bottomRight());
      painter.drawLine(box.topRight(), box.bottomLeft());
    }
    break;
  case 7: // diamond
    painter.drawPolygon(
        QPolygonF{{0, -double(v)}, {double(h), 0}, {0, double(v)}, {-double(h), 0}});
    break;
  default: // rectangle
    painter.drawRect(box);
    break;
  }
  return image;
}

void StylePoints(QXYSeries& qseries, const TChartSeries& series, const QColor& fill) {
  int side = 0;
  const QImage marker = PointMarker(series.PointStyle, series.PointHSize, series.PointVSize,
                                    ChartQColor(series.PointPenColor, Qt::black), fill, side);
  qseries.setMarkerSize(side);
  qseries.setLightMarker(marker);
}

QAbstractSeries* MakeLine(const TChartSeries& series) {
  auto* line = new QLineSeries;
  line->replace(PointsOf(series));
  // The line takes the series' colour; the pen colour outlines bars and
  // slices, whose fill is the series' colour.
  QPen pen(ChartQColor(series.Brush, Qt::red));
  pen.setWidth(std::max(series.PenWidth, 1));
  line->setPen(pen);
  if (series.PointsVisible)
    StylePoints(*line, series, ChartQColor(series.PointBrushColor, Qt::white));
  return line;
}

// A point series always shows its points, filled with the series' colour.
QAbstractSeries* MakePoints(const TChartSeries& series) {
  auto* points = new QScatterSeries;
  points->replace(PointsOf(series));
  points->setMarkerShape(MarkerShape(series.PointStyle));
  const QColor colour = ChartQColor(series.Brush, Qt::red);
  points->setColor(colour);
  points->setBorderColor(ChartQColor(series.PointPenColor, Qt::black));
  StylePoints(*points, series, colour);
  return points;
}

QAbstractSeries* MakePie(const TChartSeries& series) {
  auto* pie = new QPieSeries;
  for (size_t i = 0; i < series.Points.size(); ++i) {
    const TChartPoint& point = series.Points[i];
    if (!(point.Y > 0)) continue; // a slice has a share
    QPieSlice* slice = pie->append(MarkText(point), point.Y);
    slice->setColor(ChartQColor(DefaultSeriesColor(static_cast<int>(i)), Qt::red));
    slice->setBorderColor(ChartQColor(series.PenColor, Qt::black));
    slice->setBorderWidth(std::max(series.PenWidth, 1));
    slice->setLabelVisible(series.MarksVisible);
    slice->setLabelFont(ChartQFont(series.MarksFont));
    slice->setLabelColor(ChartQColor(series.MarksFont.Color, Qt::black));
  }
  return pie;
}

// Bars stand at their points in X order; bars of several series sharing
// axes stand side by side at each place.
QBarSet* MakeBarSet(const TChartSeries& series, std::vector<const TChartPoint*>& order) {
  order.clear();
  for (const TChartPoint& point : series.Points)
    order.push_back(&point);
  std::stable_sort(order.begin(), order.end(),
                   [](const TChartPoint* a, const TChartPoint* b) { return a->X < b->X; });
  auto* set = new QBarSet(QString::fromStdString(series.Name));
  QList<qreal> values;
  values.reserve(static_cast<qsizetype>(order.size()));
  for (const TChartPoint* point : order)
    values.append(point->Y);
  set->append(values);
  set->setColor(ChartQColor(series.Brush, Qt::red));
  set->setBorderColor(ChartQColor(series.PenColor, Qt::black));
  return set;
}

void ClearChart(QChart& qchart) {
  if (auto* decor = qchart.findChild<TChartDecor*>(QStringLiteral("vandroChartDecor"))) {
    decor->RemoveItems();
    delete decor;
  }
  if (auto* marks = qchart.findChild<TChartMarks*>(QStringLiteral("vandroChartMarks"))) {
    marks->RemoveItems();
    delete marks;
  }
  qchart.removeAllSeries();
  for (QAbstractAxis* axis : qchart.axes()) {
    qchart.removeAxis(axis);
    delete axis;
  }
}

void StyleLegend(const TChartDefinition& chart, QChart& qchart) {
  QLegend* legend = qchart.legend();
  const TChartLegend& keys = chart.Legend;
  legend->setVisible(keys.Visible && !chart.Series.empty());
  legend->detachFromChart(); // placed by TChartDecor
  static constexpr Qt::Alignment kSides[] = {Qt::AlignLeft, Qt::AlignRight, Qt::AlignTop,
                                             Qt::AlignBottom};
  legend->setAlignment(keys.Position >= 0 && keys.Position < 4 ? kSides[keys.Position]
                                                               : Qt::AlignRight);
  legend->setFont(ChartQFont(keys.Font));
  legend->setLabelColor(ChartQColor(keys.Font.Color, Qt::black));
  // The background in its colour (the desktop's button face for the
  // scheme's colour), framed when the frame is on.
  legend->setBackgroundVisible(true);
  legend->setBrush(ChartQColor(keys.BgColor, QColor(0xF0, 0xF0, 0xF0)));
  legend->setPen(keys.Frame ? QPen(Qt::black, 1) : QPen(Qt::NoPen));
  legend->setReverseMarkers(keys.Inverted);
}

} // namespace

void BuildChart(const TChartDefinition& chart, QChart& qchart) {
  ClearChart(qchart);
  qchart.setTitle({});
  qchart.setBackgroundVisible(false);
  auto* decor = new TChartDecor(chart, qchart);
  auto* marks = new TChartMarks(qchart);
  StyleLegend(chart, qchart);

  // The axes the series need, made as they are first met.
  std::array<TBuiltAxis, 4> axes;
  const auto axisFor = [&](int which, bool categories) -> TBuiltAxis& {
    TBuiltAxis& built = axes[static_cast<size_t>(which)];
    if (built.axis) return built;
    const TChartAxis& keys = chart.Axes[static_cast<size_t>(which)];
    if (categories)
      built.axis = new QBarCategoryAxis;
    else if (keys.Logarithmic)
      built.axis = new QLogValueAxis;
    else
      built.axis = new QValueAxis;
    built.categories = categories;
    qchart.addAxis(built.axis, AxisSide(which));
    return built;
  };

  // Bar sets gathered per pair of axes, so that they stand side by side.
  std::map<std::pair<int, int>, QBarSeries*> bars;
  std::vector<const TChartPoint*> order;
  for (const TChartSeries& series : chart.Series) {
    const int vertical = series.VertAxis == 1 ? caxRight : caxLeft;
    const int horizontal = series.HorizAxis == 1 ? caxTop : caxBottom;
    QAbstractSeries* made = nullptr;
    switch (series.Type) {
    case cstPie:
      made = MakePie(series);
      break;
    case cstBar: {
      QBarSeries*& group = bars[{vertical, horizontal}];
      const bool first = !group;
      if (first) group = new QBarSeries;
      QBarSet* set = MakeBarSet(series, order);
      // A bar series that is not active keeps its place among the others
      // but shows nothing.
      if (!series.Visible) {
        set->setColor(Qt::transparent);
        set->setBorderColor(Qt::transparent);
      }
      group->append(set);
      marks->Add(series, *group, set);
      TBuiltAxis& across = axisFor(horizontal, true);
      auto* categories = static_cast<QBarCategoryAxis*>(across.axis);
      for (int i = static_cast<int>(categories->count()); i < static_cast<int>(order.size()); ++i)
        categories->append(PointText(*order[static_cast<size_t>(i)]));
      TBuiltAxis& up = axisFor(vertical, false);
      up.range.Add(0);
      for (const TChartPoint& point : series.Points)
        up.range.Add(point.Y);
      if (!first) continue;
      made = group;
      break;
    }
    case cstPoint:
      made = MakePoints(series);
      break;
    default:
      made = MakeLine(series);
      break;
    }
    made->setName(QString::fromStdString(series.Name));
    qchart.addSeries(made);
    // After adding: a pie made visible by being added would show regardless.
    made->setVisible(series.Visible || series.Type == cstBar);
    if (series.Type == cstPie) continue;
    if (series.Type == cstBar) {
      made->attachAxis(axes[static_cast<size_t>(horizontal)].axis);
      made->attachAxis(axes[static_cast<size_t>(vertical)].axis);
      continue;
    }
    // Points named by text on an axis that shows texts: the labels stand at
    // their places on the scale.
    const TChartAxis& bottomKeys = chart.Axes[static_cast<size_t>(horizontal)];
    const bool textLabels =
        (bottomKeys.LabelStyle == alsText || bottomKeys.LabelStyle == alsMark) && HasLabels(series);
    TBuiltAxis& across = axisFor(horizontal, false);
    TBuiltAxis& up = axisFor(vertical, false);
    for (const TChartPoint& point : series.Points) {
      across.range.Add(point.X);
      up.range.Add(point.Y);
    }
    if (textLabels && !across.categories) {
      if (auto* value = qobject_cast<QValueAxis*>(across.axis)) {
        // A category axis over the same scale, in place of the number axis.
        auto* named = new QCategoryAxis;
        named->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
        for (const TChartPoint& point : series.Points)
          if (!point.Label.empty()) named->append(TextOf(point.Label), point.X);
        qchart.removeAxis(value);
        delete value;
        across.axis = named;
        qchart.addAxis(named, AxisSide(horizontal));
      }
    }
    made->attachAxis(across.axis);
    made->attachAxis(up.axis);
    marks->Add(series, *made);
  }
  // An empty chart still shows its frame of axes.
  if (chart.Series.empty()) {
    axisFor(caxBottom, false);
    axisFor(caxLeft, false);
  }
  for (int which = 0; which < 4; ++which) {
    TBuiltAxis& built = axes[static_cast<size_t>(which)];
    if (!built.axis) continue;
    const TChartAxis& keys = chart.Axes[static_cast<size_t>(which)];
    StyleAxis(*built.axis, keys, chart.ShowAxis);
    if (!built.categories) ScaleAxis(*built.axis, keys, built.range);
    marks->Watch(built.axis);
  }
  decor->Place();
  marks->Place();
}

namespace {

// Qt's notes about the offscreen platform (no window manager, no runtime
// folder) are not the user's business at a command line; its errors are.
void QuietQtNotes(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtCriticalMsg || type == QtFatalMsg)
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

// A program without a QApplication (vandro-cli) gets one, on the offscreen
// platform unless another is asked for: rendering to files needs no display.
// It lives as long as the program: Qt's own statics are gone by the time a
// static one would be destroyed.
bool EnsureApplication(std::string* error) {
  if (QApplication::instance()) return true;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  qInstallMessageHandler(QuietQtNotes);
  static int argc = 1;
  static char name[] = "vandro-cli";
  static char* argv[] = {name, nullptr};
  new QApplication(argc, argv);
  if (QApplication::instance()) return true;
  if (error) *error = "Can't start the drawing of charts";
  return false;
}

} // namespace

bool RenderChartFile(const TChartDefinition& chart, const std::string& path, QSize size,
                     std::string* error) {
  const QString target = QFile::decodeName(path.c_str());
  const QString extension = QFileInfo(target).suffix().toLower();
  if (extension != QLatin1String("png") && extension != QLatin1String("svg") &&
      extension != QLatin1String("pdf")) {
    if (error)
      *error = "A chart is saved as .png, .svg or .pdf, not as \"." + extension.toStdString() +
               "\": " + path;
    return false;
  }
  if (!EnsureApplication(error)) return false;
  if (size.width() < 16 || size.height() < 16) size = QSize(800, 600);
  // A scene of its own and no view: nothing is shown, even for a moment.
  QGraphicsScene scene;
  auto* qchart = new QChart;
  scene.addItem(qchart);
  qchart->setGeometry(QRectF(QPointF(0, 0), size));
  scene.setSceneRect(qchart->geometry());
  BuildChart(chart, *qchart);
  QCoreApplication::processEvents(); // the chart lays itself out on a posted event
  const auto draw = [&](QPainter& painter) {
    painter.setRenderHint(QPainter::Antialiasing);
    scene.render(&painter, QRectF(QPointF(0, 0), size), scene.sceneRect());
  };

  bool written = false;
  if (extension == QLatin1String("png")) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    draw(painter);
    painter.end();
    written = image.save(target, "PNG");
  } else if (extension == QLatin1String("svg")) {
    QSvgGenerator svg;
    svg.setFileName(target);
    svg.setSize(size);
    svg.setViewBox(QRect(QPoint(0, 0), size));
    svg.setTitle(QString::fromStdString(chart.Header.Text));
    QPainter painter;
    if (painter.begin(&svg)) {
      draw(painter);
      written = painter.end();
    }
  } else {
    QPdfWriter pdf(target);
    pdf.setPageSize(QPageSize(QSizeF(size) * 0.75, QPageSize::Point));
    pdf.setPageMargins(QMarginsF());
    pdf.setResolution(96);
    QPainter painter;
    if (painter.begin(&pdf)) {
      draw(painter);
      written = painter.end();
    }
  }
  // Qt's writers do not say why they fail; the file tells whether they did.
  if (written && QFileInfo(target).size() > 0) return true;
  if (error) *error = "Can't write the file " + path;
  return false;
}

} // namespace vandro
