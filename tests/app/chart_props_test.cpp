// "Chart Properties" driven offscreen on a chart in memory: every edit must
// reach the definition at once and mark it, and filling the controls must
// not.
#include "app/charts/chart_props_dlg.h"
#include "app/editing/value_constructor_dlg.h"
#include "app_test_support.h"
#include "charts/chart_props.h"
#include "language/executor.h"
#include "model/project.h"
#include "values/value.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>

#include <memory>
#include <type_traits>

namespace vandro::apptest {

namespace {

template <class Widget> Widget* Find(const QWidget* window, const QString& name) {
  for (Widget* widget : window->findChildren<Widget*>())
    if (widget->accessibleName() == name) return widget;
  if constexpr (std::is_base_of_v<QAbstractButton, Widget>)
    for (Widget* widget : window->findChildren<Widget*>())
      if (widget->text() == name) return widget;
  return nullptr;
}

// The buddy label's field for a caption that only a label gives.
QLineEdit* FieldOf(const QWidget* window, const QString& caption) {
  for (const QLabel* label : window->findChildren<QLabel*>())
    if (label->text() == caption) return qobject_cast<QLineEdit*>(label->buddy());
  return nullptr;
}

void Click(const QWidget* window, const QString& name) {
  auto* button = Find<QAbstractButton>(window, name);
  QVERIFY2(button, qPrintable(name));
  button->click();
}

} // namespace

class ChartPropsTest : public TMemoryProjectTest {
  Q_OBJECT

private slots:
  void init() {
    OpenMemoryProject();
    project->SetVariable("TEMPS", *PlainArray({"36.6", "38.1"}));
  }
  void cleanup() { CloseMemoryProject(); }

  void everyEditReachesTheDefinitionAtOnce() {
    TChartDefinition chart;
    TChartPropsDlg dialog(chart);
    dialog.show();
    QSignalSpy edited(&dialog, &TChartPropsDlg::Edited);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Chart Properties"));

    // Two series, the type chosen before each "New".
    dialog.NewSeriesType()->setCurrentIndex(3); // "Points"
    Click(&dialog, QStringLiteral("New"));
    QCOMPARE(edited.count(), 1);
    dialog.NewSeriesType()->setCurrentIndex(0); // "Line"
    Click(&dialog, QStringLiteral("New"));
    QCOMPARE(chart.Series.size(), size_t(2));
    QCOMPARE(chart.Series[0].Type, int(cstPoint));
    QCOMPARE(chart.Series[1].Type, int(cstLine));
    QCOMPARE(dialog.SeriesList()->item(1)->text(), QStringLiteral("Series2"));
    QVERIFY(dialog.Changed());

    // Y of the first series through the value constructor: stored packed and
    // filled at once.
    dialog.ShowPage(TChartPropsPage::SeriesDetails, 0);
    WhenModal("vandro::TValueConstructorDlg", [](QWidget* widget) {
      auto* constructor = static_cast<TValueConstructorDlg*>(widget);
      constructor->Tabs()->setCurrentIndex(1); // "Calculated"
      constructor->Source()->setPlainText(QStringLiteral("=PROJECT.TEMPS"));
      constructor->accept();
    });
    Click(&dialog, QStringLiteral("Choose Y"));
    QVERIFY(!chart.Series[0].YSource.empty());
    QCOMPARE(chart.Series[0].Points.size(), size_t(2));
    QCOMPARE(chart.Series[0].Points[1].Y, 38.1);
    QCOMPARE(FieldOf(&dialog, QStringLiteral("Y:"))->text(), QStringLiteral("<=PROJECT.TEMPS>"));
    QVERIFY(chart.Series[1].YSource.empty());

    WhenModal("QColorDialog", [](QWidget* widget) {
      auto* picker = static_cast<QColorDialog*>(widget);
      picker->setCurrentColor(QColor(0, 0, 255));
      picker->accept();
    });
    Click(&dialog, QStringLiteral("Series Color"));
    QCOMPARE(chart.Series[0].Brush, TChartColor(0xFF0000)); // blue, red in the low byte

    // Titles: two lines kept with CR LF; "Right" of the list is stored as 1.
    auto* text = Find<QPlainTextEdit>(&dialog, QStringLiteral("Text"));
    text->setPlainText(QStringLiteral("Ward 3\nTemperature"));
    QCOMPARE(chart.Header.Text, std::string("Ward 3\r\nTemperature"));
    Click(&dialog, QStringLiteral("Footer"));
    QCOMPARE(text->toPlainText(), QString());
    Find<QComboBox>(&dialog, QStringLiteral("Align"))->setCurrentIndex(2);
    QCOMPARE(chart.Footer.Align, int(caRight));
    QCOMPARE(chart.Header.Align, int(caCenter));

    // Axis: the list's fourth row is the right axis, stored third.
    dialog.AxisList()->setCurrentIndex(3);
    Click(&dialog, QStringLiteral("Minimum Auto"));
    QLineEdit* minimum = FieldOf(&dialog, QStringLiteral("Minimum:"));
    minimum->setFocus();
    minimum->selectAll();
    QTest::keyClicks(minimum, QStringLiteral("10"));
    QTest::keyClick(minimum, Qt::Key_Return);
    const TChartAxis& right = chart.Axes[caxRight];
    QCOMPARE(right.ScaleMin, 10.0);
    QVERIFY(!right.ScaleMinAuto && right.ScaleMaxAuto && !right.Auto);
    QVERIFY(chart.Axes[caxLeft].Auto);
    // A scale end that is no number is said and changes nothing.
    minimum->selectAll();
    QTest::keyClicks(minimum, QStringLiteral("ten"));
    QTest::keyClick(minimum, Qt::Key_Return);
    QCOMPARE(sink->Last(), std::string("Minimum is not a number: ten"));
    QCOMPARE(minimum->text(), QStringLiteral("10"));
    QCOMPARE(right.ScaleMin, 10.0);

    Find<QComboBox>(&dialog, QStringLiteral("Position:"))->setCurrentIndex(3); // "Bottom"
    QCOMPARE(chart.Legend.Position, int(lpBottom));

    // Rename: a name another series bears is refused, then a free one taken.
    dialog.SeriesList()->setCurrentRow(1);
    WhenModal("QInputDialog", [](QWidget* widget) {
      auto* input = static_cast<QInputDialog*>(widget);
      input->setTextValue(QStringLiteral("series1"));
      input->accept();
    });
    Click(&dialog, QStringLiteral("Rename"));
    QCOMPARE(sink->Last(), std::string(kSeriesNameInUse) + "series1");
    WhenModal("QInputDialog", [](QWidget* widget) {
      static_cast<QInputDialog*>(widget)->setTextValue(QStringLiteral("Pulse"));
      static_cast<QInputDialog*>(widget)->accept();
    });
    Click(&dialog, QStringLiteral("Rename"));
    QCOMPARE(chart.Series[1].Name, std::string("Pulse"));
    QCOMPARE(dialog.SeriesList()->item(1)->text(), QStringLiteral("Pulse"));

    // Delete asks first; the details then show the series that is left.
    dialog.SeriesList()->setCurrentRow(0);
    sink->Answer(true);
    Click(&dialog, QStringLiteral("Delete"));
    QCOMPARE(sink->questions.back(),
             std::string("You are about to delete the series Series1\r\nDo you want to continue?"));
    QCOMPARE(chart.Series.size(), size_t(1));
    QCOMPARE(chart.Series[0].Name, std::string("Pulse"));
    QCOMPARE(dialog.CurrentSeries(), 0);
    QVERIFY(FieldOf(&dialog, QStringLiteral("Y:"))->text().isEmpty());

    QCOMPARE(sink->unanswered, 0);
  }

  void lookingAroundChangesNothingAndThe129thSeriesIsRefused() {
    TChartDefinition chart;
    for (int i = 0; i < kMaxChartSeries; ++i)
      AddChartSeries(chart, i % 4);
    // Values that differ between what is turned to, so that filling the
    // controls moves them.
    chart.Axes[caxDepth].Title = "Depth";
    chart.Axes[caxDepth].Logarithmic = true;
    chart.Axes[caxDepth].MinorCount = 7;
    chart.Axes[caxDepth].LabelStyle = alsMark;
    chart.Series[2].PenWidth = 5;
    chart.Series[2].MarksVisible = true;
    chart.Series[2].HorizAxis = 1;
    chart.Footer.Align = caLeft;
    const TChartDefinition before = chart;

    TChartPropsDlg dialog(chart);
    dialog.show();
    QSignalSpy edited(&dialog, &TChartPropsDlg::Edited);
    // Turning to another axis, title or series fills the controls only.
    dialog.AxisList()->setCurrentIndex(2);
    QCOMPARE(FieldOf(&dialog, QStringLiteral("Title:"))->text(), QStringLiteral("Depth"));
    Click(&dialog, QStringLiteral("Footer"));
    QCOMPARE(Find<QComboBox>(&dialog, QStringLiteral("Align"))->currentText(),
             QStringLiteral("Left"));
    for (int row : {3, 2, 125})
      dialog.ShowPage(TChartPropsPage::SeriesDetails, row);
    QCOMPARE(dialog.CurrentSeries(), 125);
    // Bars have no points to edit.
    QVERIFY(!Find<QCheckBox>(&dialog, QStringLiteral("Points Visible"))->isEnabled());
    QCOMPARE(edited.count(), 0);

    Click(&dialog, QStringLiteral("New"));
    QCOMPARE(sink->Last(), std::string(kTooManySeries));
    QCOMPARE(edited.count(), 0);
    QVERIFY(!dialog.Changed());
    QVERIFY(chart == before);
  }
};

VANDRO_APP_TEST(ChartPropsTest);

} // namespace vandro::apptest

#include "chart_props_test.moc"
