// The chart windows on a copy of the sample project: a chart made from the
// chart list, given two series in "Chart Properties" and stored on close is
// what vandro-cli lists and renders; the sample's charts open from the list
// and the project manager, are kept off a second window and a delete while
// open, print and save as pictures.
#include "app/charts/chart_form.h"
#include "app/charts/chart_props_dlg.h"
#include "app/charts/sel_chart_dlg.h"
#include "app/exchange/print_window.h"
#include "app/shell/main_form.h"
#include "app/storage/project_manager_form.h"
#include "app_test_support.h"
#include "charts/chart_list.h"
#include "model/project.h"
#include "shell/text.h"
#include "storage/descriptors.h"
#include "storage/project_lifecycle.h"

#include <QAction>
#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QInputDialog>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QSet>
#include <QTest>
#include <QValueAxis>

#include <algorithm>

namespace vandro::apptest {

class ChartWindowsTest : public TSampleProjectTest {
  Q_OBJECT

  TChartForm* ActiveChart() const {
    QMdiSubWindow* active = form->Area()->activeSubWindow();
    return active ? qobject_cast<TChartForm*>(active->widget()) : nullptr;
  }

  int ChartWindows() const { return form->Children().Count(TChildKind::ChartWindow); }

  static bool Listed(const std::string& name) {
    const auto& names = CurrentProject()->ChartNames();
    return std::any_of(names.begin(), names.end(),
                       [&](const std::string& listed) { return SameText(listed, name); });
  }

  // Runs the chart list and acts in it once it shows.
  void InChartList(std::function<void(TSelChartDlg*)> act) {
    WhenModal("vandro::TSelChartDlg",
              [act](QWidget* window) { act(static_cast<TSelChartDlg*>(window)); });
    form->Command(QStringLiteral("projCharts"))->trigger();
  }

  static void Select(TSelChartDlg* list, const QString& name) {
    const auto found = list->List()->findItems(name, Qt::MatchFixedString);
    if (!found.isEmpty()) list->List()->setCurrentItem(found.front());
  }

  // The distinct colours of a picture.
  static int Colours(const QString& path) {
    const QImage image(path);
    QSet<QRgb> seen;
    for (int y = 0; y < image.height(); y += 2)
      for (int x = 0; x < image.width(); x += 2)
        seen.insert(image.pixel(x, y));
    return static_cast<int>(seen.size());
  }

private slots:
  void init() { QVERIFY(OpenSample()); }
  void cleanup() { CloseSample(); }

  void aChartMadeInTheWindowIsWhatTheCliListsAndRenders() {
    WhenModal("QInputDialog", [](QWidget* window) {
      auto* input = static_cast<QInputDialog*>(window);
      QCOMPARE(input->labelText(), QStringLiteral("Input Chart Name:"));
      QCOMPARE(input->textValue(), QStringLiteral("NewChart"));
      input->setTextValue(QStringLiteral("Fever"));
      input->accept();
    });
    InChartList([](TSelChartDlg* list) { list->Button(QStringLiteral("New"))->click(); });
    TChartForm* chart = ActiveChart();
    QVERIFY(chart);
    QCOMPARE(ChartWindows(), 1);
    QVERIFY(chart->Document().IsNew());
    QVERIFY(ChartInUse("FEVER"));

    // Two series through the properties window: a line of temperatures and
    // points of pulses against them.
    WhenModal("vandro::TChartPropsDlg", [this](QWidget* window) {
      auto* props = static_cast<TChartPropsDlg*>(window);
      QPushButton* add = nullptr;
      for (QPushButton* button : props->findChildren<QPushButton*>())
        if (button->text() == QStringLiteral("New")) add = button;
      QVERIFY(add);
      props->NewSeriesType()->setCurrentIndex(cstLine);
      add->click();
      props->NewSeriesType()->setCurrentIndex(cstPoint);
      add->click();
      QCOMPARE(props->SeriesList()->count(), 2);
      props->ShowPage(TChartPropsPage::SeriesDetails, 0);
      props->SetSource(TChartSource::Y, *PlainArray({"36.6 [C]", "37.9 [C]", "38.4 [C]"}));
      props->ShowPage(TChartPropsPage::SeriesDetails, 1);
      props->SetSource(TChartSource::Y, *PlainArray({"72", "96", "104"}));
      props->SetSource(TChartSource::X, *PlainArray({"36.6", "37.9", "38.4"}));
      props->accept();
    });
    chart->ShowProperties(TChartPropsPage::Series);
    const TChartDefinition& definition = chart->Document().Chart();
    QCOMPARE(definition.Series.size(), size_t{2});
    QCOMPARE(definition.Series[0].Points.size(), size_t{3});
    QCOMPARE(definition.Series[0].Points[2].X, 2.0); // no X source: 0, 1, 2
    QCOMPARE(definition.Series[1].Points[1].X, 37.9);
    QVERIFY(chart->Document().Changed());

    // Closed with Yes to saving: stored, listed, and the mark released.
    sink->Answer(true);
    chart->SubWindow()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(sink->questions.back(), std::string("Chart was changed. Do you want to save it?"));
    QCOMPARE(ChartWindows(), 0);
    QVERIFY(Listed("FEVER"));
    QVERIFY(!ChartInUse("FEVER"));

    const QString cli = BuildDir() + QStringLiteral("/../cli/vandro-cli");
    if (!QFileInfo::exists(cli)) QSKIP("vandro-cli is not built");
    form.reset();
    CloseProject();
    QProcess run;
    run.start(cli, {QStringLiteral("charts"), project});
    QVERIFY(run.waitForFinished(20000));
    QVERIFY2(QString::fromUtf8(run.readAllStandardOutput())
                 .contains(QStringLiteral("FEVER"), Qt::CaseInsensitive),
             "vandro-cli charts does not list the chart");
    const QString png = dir->filePath(QStringLiteral("fever.png"));
    run.start(cli, {QStringLiteral("chart"), project, QStringLiteral("Fever"),
                    QStringLiteral("--output"), png});
    QVERIFY(run.waitForFinished(30000));
    QVERIFY2(run.exitCode() == 0, run.readAllStandardError().constData());
    QVERIFY2(Colours(png) > 3, qPrintable(QString::number(Colours(png))));
  }

  void aSampleChartOpensOnceAndStaysWhileOpen() {
    InChartList([](TSelChartDlg* list) {
      QVERIFY(list->List()->count() >= 3);
      Select(list, QStringLiteral("TEMPERATURECURVE"));
      list->Button(QStringLiteral("Open"))->click();
    });
    TChartForm* chart = ActiveChart();
    QVERIFY(chart);
    QCOMPARE(chart->windowTitle().toUpper(), QStringLiteral("TEMPERATURECURVE"));
    QVERIFY(!chart->Document().Chart().Series.empty());
    QVERIFY(!chart->Document().Chart().Series.front().Points.empty());
    QVERIFY(sink->messages.empty()); // the sample fills without a word

    // A second open, from the project manager, and a delete are refused.
    emit form->ProjectManager()->chartOpenRequested(QStringLiteral("TemperatureCurve"));
    QCOMPARE(sink->Last(), std::string("Chart is in use"));
    InChartList([](TSelChartDlg* list) {
      Select(list, QStringLiteral("TEMPERATURECURVE"));
      list->Button(QStringLiteral("Delete"))->click();
      list->reject();
    });
    QCOMPARE(sink->Last(), std::string("Chart is in use"));
    QVERIFY(Listed("TEMPERATURECURVE"));
    QCOMPARE(ChartWindows(), 1);

    // File: Print prints the chart; it saves as pictures.
    const QString pdf = dir->filePath(QStringLiteral("chart.pdf"));
    PrintNextToPdf(pdf);
    form->Command(QStringLiteral("filePrint"))->trigger();
    const int dark = DarkPixelsOfFirstPage(pdf, dir->path());
    QVERIFY2(dark > 0, qPrintable(QString::number(dark)));
    for (const char* name : {"curve.png", "curve.svg", "curve.pdf"}) {
      const QString path = dir->filePath(QString::fromLatin1(name));
      QVERIFY2(chart->SavePicture(path), name);
      QVERIFY2(QFileInfo(path).size() > 0, name);
    }
    QVERIFY(!chart->SavePicture(dir->filePath(QStringLiteral("curve.bmp"))));

    // The pop-up menu's Copy puts the chart on the clipboard as a picture.
    QApplication::clipboard()->clear();
    for (QAction* action : chart->PopupMenu()->actions())
      if (action->text() == QStringLiteral("Copy")) action->trigger();
    const QImage copied = QApplication::clipboard()->image();
    QCOMPARE(copied.size(), chart->View()->grab().size());
    QSet<QRgb> colours;
    for (int y = 0; y < copied.height(); y += 4)
      for (int x = 0; x < copied.width(); x += 4)
        colours.insert(copied.pixel(x, y));
    QVERIFY2(colours.size() > 3, qPrintable(QString::number(colours.size())));

    // Unchanged: it closes without a question, and the project manager opens
    // it again.
    const size_t asked = sink->questions.size();
    chart->SubWindow()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(sink->questions.size(), asked);
    QCOMPARE(ChartWindows(), 0);
    emit form->ProjectManager()->chartOpenRequested(QStringLiteral("TemperatureCurve"));
    QVERIFY(ActiveChart());
  }

  // "On Resize" Zoom: a rectangle drawn with the mouse zooms in, the pop-up
  // menu's "Undo Zoom" goes back; Scroll draws no rectangle.
  void zoomFollowsTheOnResizeChoice() {
    InChartList([](TSelChartDlg* list) {
      Select(list, QStringLiteral("TEMPERATURECURVE"));
      list->Button(QStringLiteral("Open"))->click();
    });
    TChartForm* chart = ActiveChart();
    QVERIFY(chart);
    QVERIFY(chart->Document().Chart().AllowZoom);
    QCOMPARE(chart->View()->rubberBand(), QChartView::RubberBands(QChartView::RectangleRubberBand));
    QVERIFY(QTest::qWaitForWindowExposed(chart->View()));
    auto* bottom = qobject_cast<QValueAxis*>(chart->View()->chart()->axes(Qt::Horizontal).value(0));
    QVERIFY(bottom);
    const qreal span = bottom->max() - bottom->min();

    const QRectF plot = chart->View()->chart()->plotArea();
    const QPoint from =
        chart->View()->mapFromScene(plot.topLeft() + QPointF(plot.width() * 0.3, 5));
    const QPoint to = chart->View()->mapFromScene(plot.topLeft() +
                                                  QPointF(plot.width() * 0.6, plot.height() - 5));
    QWidget* viewport = chart->View()->viewport();
    QTest::mousePress(viewport, Qt::LeftButton, {}, from);
    QTest::mouseMove(viewport, to);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, to);
    QVERIFY2(bottom->max() - bottom->min() < span * 0.5,
             qPrintable(QString::number(bottom->max() - bottom->min())));

    QAction* undo = nullptr;
    for (QAction* action : chart->PopupMenu()->actions())
      if (action->text() == QStringLiteral("Undo Zoom")) undo = action;
    QVERIFY(undo && undo->isEnabled());
    undo->trigger();
    QCOMPARE(bottom->max() - bottom->min(), span);

    chart->Document().Chart().AllowZoom = false;
    chart->Redraw();
    QCOMPARE(chart->View()->rubberBand(), QChartView::RubberBands(QChartView::NoRubberBand));
    QVERIFY(!undo->isEnabled());
  }

  // A project opened for looking: the chart list offers only Open; a chart's
  // properties may be changed for looking, and the window closes without
  // asking to save them.
  void aProjectOpenedForLookingChangesNoChart() {
    QVERIFY(form->CloseProjectCommand());
    QVERIFY(OpenProject(project.toStdString(), TOpenMode::Look));
    form->ProjectChanged();
    std::vector<std::string> stored;
    QVERIFY(LoadDescriptor(stored, "TemperatureCurve", dkChart));

    InChartList([](TSelChartDlg* list) {
      for (const char* caption : {"New", "Delete", "Rename"})
        QVERIFY2(!list->Button(QString::fromLatin1(caption))->isEnabled(), caption);
      Select(list, QStringLiteral("TEMPERATURECURVE"));
      QVERIFY(list->Button(QStringLiteral("Open"))->isEnabled());
      list->Button(QStringLiteral("Open"))->click();
    });
    TChartForm* chart = ActiveChart();
    QVERIFY(chart);
    WhenModal("vandro::TChartPropsDlg", [](QWidget* window) {
      auto* props = static_cast<TChartPropsDlg*>(window);
      for (QPushButton* button : props->findChildren<QPushButton*>())
        if (button->text() == QStringLiteral("New")) button->click();
      props->accept();
    });
    chart->ShowProperties(TChartPropsPage::Series);
    QCOMPARE(chart->Document().Chart().Series.size(), size_t{2});
    QVERIFY(chart->Document().Changed());

    const size_t asked = sink->questions.size();
    chart->SubWindow()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(sink->questions.size(), asked);
    QCOMPARE(ChartWindows(), 0);
    std::vector<std::string> after;
    QVERIFY(LoadDescriptor(after, "TemperatureCurve", dkChart));
    QCOMPARE(after, stored);
  }

  // Cancel in the properties window takes every edit back.
  void cancelledPropertiesLeaveTheChartAsItWas() {
    InChartList([](TSelChartDlg* list) {
      Select(list, QStringLiteral("PULSEBYWARD"));
      list->Button(QStringLiteral("Open"))->click();
    });
    TChartForm* chart = ActiveChart();
    QVERIFY(chart);
    const std::vector<std::string> before = chart->Document().Lines();
    WhenModal("vandro::TChartPropsDlg", [chart](QWidget* window) {
      auto* props = static_cast<TChartPropsDlg*>(window);
      chart->Document().Chart().Header.Text = "Edited";
      chart->Document().Chart().Series.clear();
      props->reject();
    });
    chart->ShowProperties(TChartPropsPage::Titles);
    QVERIFY(!chart->Document().Changed());
    QVERIFY(!chart->Document().Chart().Series.empty());
    QVERIFY(chart->Document().Chart().Header.Text != "Edited");
    QCOMPARE(chart->Document().Lines(), before);
  }
};

VANDRO_APP_TEST(ChartWindowsTest);

} // namespace vandro::apptest

#include "chart_windows_test.moc"
