// A stored chart of 5 line series x 20,000 points whose Y values come from
// project arrays: opening it (load, apply, fill), drawing it and writing a
// 1200x800 PNG, beside Qt Charts drawing the same points handed to
// QLineSeries directly and writing the same PNG, in the same run. Prints the
// median of each and their ratio (target: at most 1.5).
#include "app/charts/chart_builder.h"
#include "bench_support.h"
#include "charts/chart_document.h"
#include "charts/chart_list.h"
#include "charts/chart_text.h"
#include "language/executor.h"
#include "model/project.h"
#include "storage/descriptors.h"
#include "storage/project_lifecycle.h"
#include "values/value.h"

#include <QApplication>
#include <QChart>
#include <QGraphicsScene>
#include <QImage>
#include <QLineSeries>
#include <QPainter>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

using namespace vandro;

namespace {

constexpr int kSeries = 5;
constexpr int kPoints = 20000;
constexpr int kRuns = 7;
const QSize kSize(1200, 800);
const char* const kChartName = "BENCH";

// The series' numbers: smooth curves with some noise, as measurements are.
std::vector<std::vector<double>> MakeNumbers() {
  std::vector<std::vector<double>> numbers(kSeries);
  uint32_t state = 12345;
  for (int s = 0; s < kSeries; ++s)
    for (int i = 0; i < kPoints; ++i) {
      state = state * 1664525u + 1013904223u;
      const double noise = static_cast<double>(state >> 8) / (1u << 24);
      numbers[s].push_back(std::round((100 * std::sin(i / 700.0 + s) + 20 * s + noise) * 1000) /
                           1000);
    }
  return numbers;
}

// The arrays as the project's variables Y1..Y5 and a stored chart whose
// series read them by formula. The variables stay in memory: a packed value
// (a stored variable, or an array packed into a source) holds at most 65535
// bytes, far less than 20,000 numbers. False after a message when storing
// fails.
bool StoreChart(const std::vector<std::vector<double>>& numbers) {
  TChartDefinition chart;
  chart.Header.Text = "Five curves";
  for (int s = 0; s < kSeries; ++s) {
    TValue::Ptr array = TValue::Create("bench");
    array->SetArray();
    for (double number : numbers[s]) {
      TValue::Ptr item = TValue::Create("bench");
      char text[32];
      std::snprintf(text, sizeof text, "%.3f", number);
      item->SetPlain(text);
      array->AddItem(std::move(item));
    }
    TChartSeries series;
    series.Name = "Y" + std::to_string(s + 1);
    series.Brush = DefaultSeriesColor(s);
    CurrentProject()->SetVariable(series.Name, *array);
    TValue::Ptr source = TValue::Create("bench");
    source->SetText(vkCalculated, "=PROJECT." + series.Name);
    series.YSource = source->PackValue();
    chart.Series.push_back(std::move(series));
  }
  return SaveDescriptor(CaptureChart(chart), kChartName, dkChart, false, kChartName);
}

// The product's way: open the stored chart, draw it, write the PNG.
bool OpenAndRender(const std::string& png) {
  if (!MarkChartInUse(kChartName)) return false;
  TChartDocument document;
  if (!document.Open(kChartName, false)) return false;
  for (const TChartSeries& series : document.Chart().Series)
    if (series.Points.size() != static_cast<size_t>(kPoints)) return false;
  std::string error;
  if (RenderChartFile(document.Chart(), png, kSize, &error)) return true;
  std::fprintf(stderr, "%s\n", error.c_str());
  return false;
}

// Qt Charts alone: the same points in QLineSeries, the same size and file.
bool RenderDirectly(const std::vector<std::vector<double>>& numbers, const std::string& png) {
  QGraphicsScene scene;
  auto* chart = new QChart;
  scene.addItem(chart);
  chart->setGeometry(QRectF(QPointF(0, 0), kSize));
  chart->setTitle(QStringLiteral("Five curves"));
  for (int s = 0; s < kSeries; ++s) {
    QList<QPointF> points;
    points.reserve(kPoints);
    for (int i = 0; i < kPoints; ++i)
      points.append(QPointF(i, numbers[s][i]));
    auto* series = new QLineSeries;
    series->replace(points);
    chart->addSeries(series);
  }
  chart->createDefaultAxes();
  QCoreApplication::processEvents();
  QImage image(kSize, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  scene.render(&painter, QRectF(QPointF(0, 0), kSize), scene.sceneRect());
  painter.end();
  return image.save(QString::fromStdString(png), "PNG");
}

double MedianSeconds(const std::function<bool()>& body) {
  std::vector<double> times;
  for (int i = 0; i < kRuns; ++i) {
    const auto start = std::chrono::steady_clock::now();
    if (!body()) {
      std::fprintf(stderr, "bench_chart: a run failed\n");
      std::exit(1);
    }
    times.push_back(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const std::string dir = bench::TemporaryDirectory();
  const std::string project = dir + "/Charts.vdp";
  if (!APSCreateProject(project, "", NewProjectInfo("Charts")) || !OpenProject(project)) return 1;
  InstallLanguage();
  const std::vector<std::vector<double>> numbers = MakeNumbers();
  if (!StoreChart(numbers)) return 1;

  const std::string ours = dir + "/ours.png";
  const std::string direct = dir + "/direct.png";
  // One of each first, so that neither pays for Qt's first-use costs.
  OpenAndRender(ours);
  RenderDirectly(numbers, direct);
  const double product = MedianSeconds([&] { return OpenAndRender(ours); });
  const double baseline = MedianSeconds([&] { return RenderDirectly(numbers, direct); });
  std::printf("chart of %d line series x %d points from project arrays, %dx%d PNG, median of %d\n",
              kSeries, kPoints, kSize.width(), kSize.height(), kRuns);
  std::printf("  open + build + render: %8.1f ms\n", product * 1000);
  std::printf("  Qt Charts directly:    %8.1f ms\n", baseline * 1000);
  std::printf("  ratio: %.2f (target at most 1.5)\n", product / baseline);
  CloseProject();
  bench::RemoveUnlessKept(dir);
  return 0;
}
