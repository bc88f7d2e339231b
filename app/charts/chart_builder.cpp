#include "app/charts/chart_builder.h"

#include <QApplication>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QFileInfo>
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

// The nine point styles as Qt Charts' marker shapes. Qt has no down
// triangle, crosses or dot: the nearest shape stands in.
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
    connect(&qchart_, &QGraphicsWidget::geometryChanged, this, [this] { Place(); });
    Place();
  }
  // The items are the chart's children: the chart deletes them when it goes.
  // A chart drawn again takes the old ones off first.
  void RemoveItems() {
    for (TTitle* title : {&header_, &footer_}) {
      delete title->text;
      delete title->back;
      *title = {};
    }
    delete paper_;
    paper_ = nullptr;
  }

private:
  struct TTitle {
    QGraphicsRectItem* back = nullptr;
    QGraphicsSimpleTextItem* text = nullptr;
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
  }

  void Place() {
    const QRectF area = qchart_.rect();
    paper_->setRect(area);
    const auto share = [](int percent, qreal size) {
      return static_cast<int>(percent * size / 100);
    };
    const qreal top = Height(header_);
    const qreal bottom = Height(footer_);
    qchart_.setMargins(QMargins(share(margins_[0], area.width()),
                                share(margins_[1], area.height()) + static_cast<int>(top),
                                share(margins_[2], area.width()),
                                share(margins_[3], area.height()) + static_cast<int>(bottom)));
    PlaceTitle(header_, headerAlign_, area.top());
    PlaceTitle(footer_, footerAlign_, area.bottom() - bottom);
  }

  QChart& qchart_;
  std::array<int, 4> margins_;
  QGraphicsRectItem* paper_ = nullptr;
  TTitle header_;
  TTitle footer_;
  int headerAlign_ = caCenter;
  int footerAlign_ = caCenter;
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

void StyleMarks(QXYSeries& qseries, const TChartSeries& series) {
  qseries.setPointLabelsVisible(series.MarksVisible);
  qseries.setPointLabelsFormat(QStringLiteral("@yPoint"));
  qseries.setPointLabelsFont(ChartQFont(series.MarksFont));
  qseries.setPointLabelsColor(ChartQColor(series.MarksFont.Color, Qt::black));
}

QAbstractSeries* MakeLine(const TChartSeries& series) {
  auto* line = new QLineSeries;
  line->replace(PointsOf(series));
  QPen pen(ChartQColor(series.Brush, Qt::red));
  pen.setWidth(std::max(series.PenWidth, 1));
  line->setPen(pen);
  line->setPointsVisible(series.PointsVisible);
  line->setMarkerSize(2 * std::max(series.PointHSize, series.PointVSize) + 1);
  StyleMarks(*line, series);
  return line;
}

QAbstractSeries* MakePoints(const TChartSeries& series) {
  auto* points = new QScatterSeries;
  points->replace(PointsOf(series));
  points->setMarkerShape(MarkerShape(series.PointStyle));
  const int half = series.PointStyle == 8 ? 1 : std::max(series.PointHSize, series.PointVSize);
  points->setMarkerSize(2 * half + 1);
  points->setColor(ChartQColor(series.Brush, Qt::red));
  points->setBorderColor(ChartQColor(series.PointPenColor, Qt::black));
  StyleMarks(*points, series);
  return points;
}

QAbstractSeries* MakePie(const TChartSeries& series) {
  auto* pie = new QPieSeries;
  for (size_t i = 0; i < series.Points.size(); ++i) {
    const TChartPoint& point = series.Points[i];
    if (!(point.Y > 0)) continue; // a slice has a share
    const QString label = point.Label.empty() ? QString::number(point.Y) : TextOf(point.Label);
    QPieSlice* slice = pie->append(label, point.Y);
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
  set->setLabelFont(ChartQFont(series.MarksFont));
  set->setLabelColor(ChartQColor(series.MarksFont.Color, Qt::black));
  return set;
}

void ClearChart(QChart& qchart) {
  if (auto* decor = qchart.findChild<TChartDecor*>(QStringLiteral("vandroChartDecor"))) {
    decor->RemoveItems();
    delete decor;
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
  static constexpr Qt::Alignment kSides[] = {Qt::AlignLeft, Qt::AlignRight, Qt::AlignTop,
                                             Qt::AlignBottom};
  legend->setAlignment(keys.Position >= 0 && keys.Position < 4 ? kSides[keys.Position]
                                                               : Qt::AlignRight);
  legend->setFont(ChartQFont(keys.Font));
  legend->setLabelColor(ChartQColor(keys.Font.Color, Qt::black));
  // Qt's legend box spans the whole side of the chart, not its entries:
  // the frame and its colour are kept in the definition but not drawn.
  legend->setBackgroundVisible(false);
  legend->setReverseMarkers(keys.Inverted);
}

} // namespace

void BuildChart(const TChartDefinition& chart, QChart& qchart) {
  ClearChart(qchart);
  qchart.setTitle({});
  qchart.setBackgroundVisible(false);
  new TChartDecor(chart, qchart);
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
      group->append(MakeBarSet(series, order));
      group->setLabelsVisible(group->isLabelsVisible() || series.MarksVisible);
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
    made->setVisible(series.Visible);
    qchart.addSeries(made);
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
  }
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
