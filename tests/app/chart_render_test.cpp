// A chart definition drawn with Qt Charts and written to files.
#include "app/charts/chart_builder.h"
#include "app_test_support.h"

#include <QChart>
#include <QFile>
#include <QGraphicsRectItem>
#include <QGraphicsSimpleTextItem>
#include <QImage>
#include <QLegend>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QScatterSeries>
#include <QTemporaryDir>
#include <QTest>
#include <QValueAxis>

#include <functional>

namespace vandro::apptest {

namespace {

// A line and a point series with their points set directly.
TChartDefinition TwoSeries() {
  TChartDefinition chart;
  chart.Header.Text = "Pressure";
  TChartSeries line;
  line.Name = "line";
  line.Brush = kChartBlue;
  line.PenWidth = 3;
  TChartSeries points;
  points.Name = "points";
  points.Type = cstPoint;
  points.PointStyle = 1;
  for (int i = 0; i < 20; ++i) {
    line.Points.push_back({static_cast<double>(i), static_cast<double>(i * i), {}});
    points.Points.push_back({static_cast<double>(i), 400.0 - i * 10, {}});
  }
  chart.Series = {line, points};
  return chart;
}

// A chart of one series of type, four points named "Ward A".. "Ward D".
TChartDefinition OneSeries(int type) {
  TChartDefinition chart;
  chart.Header.Text = "Wards";
  TChartSeries series;
  series.Name = "pulse";
  series.Type = type;
  series.Brush = 0x00AA00; // green
  const char* names[] = {"Ward A", "Ward B", "Ward C", "Ward D"};
  for (int i = 0; i < 4; ++i)
    series.Points.push_back({static_cast<double>(i), 60.0 + 10 * i, names[i]});
  chart.Series = {series};
  return chart;
}

// How many pixels of a picture of chart have exactly the colour.
int PixelsOf(const TChartDefinition& chart, const QColor& colour) {
  QTemporaryDir dir;
  const QString png = dir.filePath(QStringLiteral("chart.png"));
  std::string error;
  if (!RenderChartFile(chart, png.toStdString(), QSize(500, 360), &error)) return -1;
  const QImage image(png);
  int count = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      count += QColor(image.pixel(x, y)) == colour ? 1 : 0;
  return count;
}

template <class Axis> Axis* AxisAt(const QChart& chart, Qt::Alignment side) {
  for (QAbstractAxis* axis : chart.axes())
    if (axis->alignment() == side) return qobject_cast<Axis*>(axis);
  return nullptr;
}

} // namespace

class ChartRenderTest : public QObject {
  Q_OBJECT

private slots:
  void ColoursAndFontsConvertBothWays() {
    QCOMPARE(ChartQColor(kChartRed), QColor(255, 0, 0));
    QCOMPARE(ChartQColor(0x00302010), QColor(0x10, 0x20, 0x30));
    QCOMPARE(ChartColorOf(QColor(0x10, 0x20, 0x30)), 0x00302010);
    QCOMPARE(ChartQColor(kChartButtonFace, Qt::cyan), QColor(Qt::cyan));

    const TChartFont font{
        .Color = kChartGreen, .Size = 13, .Name = "Serif", .Style = fsBold | fsUnderline};
    const QFont qfont = ChartQFont(font);
    QVERIFY(qfont.bold() && qfont.underline() && !qfont.italic() && !qfont.strikeOut());
    QCOMPARE(qfont.pointSize(), 13);
    QCOMPARE(ChartFontOf(qfont, kChartGreen), font);
  }

  void BuildsSeriesAxesAndLegend() {
    TChartDefinition chart = TwoSeries();
    chart.Legend.Visible = false;
    chart.Axes[caxLeft].Logarithmic = true;
    chart.Axes[caxBottom].Auto = false;
    chart.Axes[caxBottom].ScaleMinAuto = false;
    chart.Axes[caxBottom].ScaleMaxAuto = false;
    chart.Axes[caxBottom].ScaleMin = -5;
    chart.Axes[caxBottom].ScaleMax = 50;
    chart.Axes[caxBottom].Inverted = true;
    QChart qchart;
    BuildChart(chart, qchart);
    // Built twice: the second build replaces the first.
    BuildChart(chart, qchart);

    QCOMPARE(qchart.series().size(), 2);
    auto* line = qobject_cast<QLineSeries*>(qchart.series()[0]);
    QVERIFY(line);
    QCOMPARE(line->count(), 20);
    QCOMPARE(line->at(3), QPointF(3, 9));
    QCOMPARE(line->pen().color(), QColor(0, 0, 255));
    auto* points = qobject_cast<QScatterSeries*>(qchart.series()[1]);
    QVERIFY(points);
    QCOMPARE(points->markerShape(), QScatterSeries::MarkerShapeCircle);

    QCOMPARE(qchart.axes().size(), 2);
    auto* left = AxisAt<QLogValueAxis>(qchart, Qt::AlignLeft);
    QVERIFY(left);
    QVERIFY(left->min() > 0);
    auto* bottom = AxisAt<QValueAxis>(qchart, Qt::AlignBottom);
    QVERIFY(bottom);
    QCOMPARE(bottom->min(), -5.0);
    QCOMPARE(bottom->max(), 50.0);
    QVERIFY(bottom->isReverse());
    QVERIFY(!qchart.legend()->isVisible());
  }

  void SeriesOnTheRightAxisGetsOne() {
    TChartDefinition chart = TwoSeries();
    chart.Series[1].VertAxis = 1;
    chart.Header.Visible = false;
    QChart qchart;
    BuildChart(chart, qchart);
    QVERIFY(AxisAt<QValueAxis>(qchart, Qt::AlignRight));
    QVERIFY(AxisAt<QValueAxis>(qchart, Qt::AlignLeft));
    QVERIFY(qchart.title().isEmpty());
  }

  // Each drawing shows in its own colour, and only while it is on.
  void DrawsEachPartInItsColour() {
    const struct {
      const char* what;
      int type;
      std::function<void(TChartDefinition&, bool)> turn;
      QColor colour;
    } cases[] = {
        // Without the legend, whose markers show the series' colours too.
        {"bars", cstBar,
         [](TChartDefinition& c, bool on) {
           c.Legend.Visible = false;
           c.Series[0].Visible = on;
         },
         QColor(0, 0xAA, 0)},
        {"pie slices", cstPie,
         [](TChartDefinition& c, bool on) {
           c.Legend.Visible = false;
           c.Series[0].Visible = on;
         },
         ChartQColor(DefaultSeriesColor(0))},
        {"legend background", cstBar,
         [](TChartDefinition& c, bool on) {
           c.Legend.BgColor = 0xC0FFC0;
           c.Legend.Visible = on;
         },
         QColor(0xC0, 0xFF, 0xC0)},
        {"marks' colour", cstBar,
         [](TChartDefinition& c, bool on) {
           c.Series[0].MarksColor = 0x80FFFF;
           c.Series[0].MarksVisible = on;
         },
         QColor(0xFF, 0xFF, 0x80)},
        {"points of a line", cstLine,
         [](TChartDefinition& c, bool on) {
           TChartSeries& line = c.Series[0];
           line.PointBrushColor = 0xFF00FF;
           line.PointStyle = 3; // a down triangle, which Qt's own shapes lack
           line.PointHSize = line.PointVSize = 6;
           line.PointsVisible = on;
         },
         QColor(0xFF, 0, 0xFF)},
    };
    for (const auto& c : cases) {
      for (const bool on : {true, false}) {
        TChartDefinition chart = OneSeries(c.type);
        c.turn(chart, on);
        const int pixels = PixelsOf(chart, c.colour);
        const QByteArray said =
            QByteArray(c.what) + (on ? " on: " : " off: ") + QByteArray::number(pixels);
        QVERIFY2(on ? pixels > 30 : pixels == 0, said.constData());
      }
    }
  }

  // A mark says its point's label, or the value of a point without one.
  void MarksSayTheLabelElseTheValue() {
    TChartDefinition chart = OneSeries(cstLine);
    chart.Series[0].MarksVisible = true;
    chart.Series[0].Points[1].Label.clear();
    QChart qchart;
    qchart.resize(500, 360);
    BuildChart(chart, qchart);
    QStringList texts;
    for (QGraphicsItem* item : qchart.childItems())
      for (QGraphicsItem* inner : item->childItems())
        for (QGraphicsItem* text : inner->childItems())
          if (auto* simple = dynamic_cast<QGraphicsSimpleTextItem*>(text)) texts << simple->text();
    QCOMPARE(texts, (QStringList{QStringLiteral("Ward A"), QStringLiteral("70"),
                                 QStringLiteral("Ward C"), QStringLiteral("Ward D")}));
  }

  // "Border" frames the title's text; no frame without it.
  void TitleBorderFramesTheTitle() {
    for (const bool border : {true, false}) {
      TChartDefinition chart = OneSeries(cstLine);
      chart.Header.Border = border;
      QChart qchart;
      qchart.resize(500, 360);
      BuildChart(chart, qchart);
      int frames = 0;
      for (QGraphicsItem* item : qchart.childItems())
        if (auto* rect = dynamic_cast<QGraphicsRectItem*>(item))
          frames += rect->isVisible() && rect->pen().style() != Qt::NoPen &&
                    rect->brush().style() == Qt::NoBrush;
      QCOMPARE(frames, border ? 1 : 0);
    }
  }

  void RendersToPngSvgAndPdf() {
    QTemporaryDir dir;
    const TChartDefinition chart = TwoSeries();
    std::string error;
    const QString png = dir.filePath(QStringLiteral("chart.png"));
    QVERIFY2(RenderChartFile(chart, png.toStdString(), QSize(400, 300), &error), error.c_str());
    const QImage image(png);
    QCOMPARE(image.size(), QSize(400, 300));
    bool varied = false;
    for (int y = 0; y < image.height() && !varied; y += 3)
      for (int x = 0; x < image.width() && !varied; x += 3)
        varied = image.pixel(x, y) != image.pixel(0, 0);
    QVERIFY(varied);

    for (const char* name : {"chart.svg", "chart.pdf"}) {
      const QString path = dir.filePath(QLatin1String(name));
      QVERIFY2(RenderChartFile(chart, path.toStdString(), QSize(400, 300), &error), error.c_str());
      QFile file(path);
      QVERIFY(file.open(QIODevice::ReadOnly));
      const QByteArray head = file.read(4);
      QVERIFY(file.size() > 0);
      if (path.endsWith(QLatin1String(".pdf"))) QCOMPARE(head, QByteArray("%PDF"));
    }
  }

  void BadTargetsGiveErrors() {
    QTemporaryDir dir;
    std::string error;
    QVERIFY(!RenderChartFile(TwoSeries(), dir.filePath(QStringLiteral("c.bmp")).toStdString(),
                             QSize(200, 200), &error));
    QVERIFY2(error.find(".bmp") != std::string::npos, error.c_str());
    const std::string unwritable = dir.filePath(QStringLiteral("no/such/dir/c.png")).toStdString();
    QVERIFY(!RenderChartFile(TwoSeries(), unwritable, QSize(200, 200), &error));
    QVERIFY2(error.find(unwritable) != std::string::npos, error.c_str());
  }
};

VANDRO_APP_TEST(ChartRenderTest);

} // namespace vandro::apptest

#include "chart_render_test.moc"
