// A chart definition drawn with Qt Charts and written to files.
#include "app/charts/chart_builder.h"
#include "app_test_support.h"

#include <QChart>
#include <QFile>
#include <QImage>
#include <QLegend>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QScatterSeries>
#include <QTemporaryDir>
#include <QTest>
#include <QValueAxis>

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
