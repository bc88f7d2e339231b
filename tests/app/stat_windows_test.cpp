// The statistics windows offscreen: series added through the value
// constructor and named, a test run on them, the histogram, the matrix
// window, the descriptive grid handed series by another window, the result
// grids' copies and the calculator, over a project in memory.
#include "app/editing/value_constructor_dlg.h"
#include "app/shell/main_form.h"
#include "app/stats/basic_stat_dlg.h"
#include "app/stats/histogram_view.h"
#include "app/stats/matrix_dlg.h"
#include "app/stats/result_grid.h"
#include "app/stats/stat_calc_dlg.h"
#include "app/stats/stat_commands.h"
#include "app/stats/stat_dlg.h"
#include "app/stats/stat_windows.h"
#include "app_test_support.h"
#include "language/executor.h"
#include "language/record_evaluation.h"
#include "model/project.h"
#include "shell/settings.h"
#include "storage/project_lifecycle.h"
#include "storage/sample_copy.h"

#include <QAction>
#include <QApplication>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>

#include <algorithm>
#include <memory>

namespace vandro::apptest {

namespace {

std::vector<std::string> Repeated(const std::vector<std::pair<std::string, int>>& counts) {
  std::vector<std::string> texts;
  for (const auto& [text, count] : counts)
    texts.insert(texts.end(), static_cast<size_t>(count), text);
  return texts;
}

// Answers the value constructor with source typed on the "Calculated" page
// (or a number on "Plain values" when plain), then the name prompt, which
// offers offered, with name when one is given.
void DefineSeries(const QString& source, const QString& name, bool plain = false,
                  const QString& offered = QStringLiteral("New Series")) {
  WhenModal("vandro::TValueConstructorDlg", [source, name, plain, offered](QWidget* widget) {
    auto* dialog = static_cast<TValueConstructorDlg*>(widget);
    if (plain) {
      dialog->Tabs()->setCurrentIndex(0);
      dialog->PlainType()->setCurrentIndex(static_cast<int>(TPlainType::Numeric));
      dialog->Number()->setText(source);
    } else {
      dialog->Tabs()->setCurrentIndex(1);
      dialog->Source()->setPlainText(source);
    }
    if (!name.isEmpty())
      WhenModal("QInputDialog", [name, offered](QWidget* prompt) {
        auto* input = static_cast<QInputDialog*>(prompt);
        QCOMPARE(input->windowTitle(), QStringLiteral("Input Series Name"));
        QCOMPARE(input->textValue(), offered);
        input->setTextValue(name);
        input->accept();
      });
    dialog->accept();
  });
}

QString Cell(const QTableWidget* grid, int row, int column) {
  const QTableWidgetItem* item = grid->item(row, column);
  return item ? item->text() : QString();
}

// Every item view, text field, combo box and spin box of window has an
// accessible name, or a label that is its buddy (combo boxes need the name).
void CheckNamed(QWidget* window) {
  for (QWidget* widget : window->findChildren<QWidget*>()) {
    const bool control =
        (widget->inherits("QAbstractItemView") && !widget->inherits("QHeaderView")) ||
        widget->inherits("QPlainTextEdit") || widget->inherits("QLineEdit") ||
        widget->inherits("QComboBox") || widget->inherits("QAbstractSpinBox") ||
        widget->inherits("QAbstractButton") || widget->inherits("QGraphicsView");
    if (!control) continue;
    bool inner = false;
    for (QWidget* up = widget->parentWidget(); up && up != window; up = up->parentWidget())
      inner = inner || up->inherits("QAbstractSpinBox") || up->inherits("QComboBox") ||
              up->inherits("QDialogButtonBox") || up->inherits("QAbstractItemView");
    if (inner) continue;
    bool buddy = false;
    for (const QLabel* label : window->findChildren<QLabel*>())
      buddy = buddy || label->buddy() == widget;
    QVERIFY2(!widget->accessibleName().isEmpty() || (buddy && !widget->inherits("QComboBox")),
             qPrintable(QString::fromLatin1(window->metaObject()->className()) +
                        QStringLiteral(": a ") +
                        QString::fromLatin1(widget->metaObject()->className()) +
                        QStringLiteral(" without a name")));
  }
}

} // namespace

class StatWindowsTest : public TMemoryProjectTest {
  Q_OBJECT

private slots:
  void init() {
    OpenMemoryProject();
    project->SetVariable("MASS", *PlainArray({"1 [kg]", "2 [kg]", "4 [kg]", "5 [kg]"}));
    project->SetVariable("GRAMS", *PlainArray({"1000 [g]", "2000 [g]", "4000 [g]", "5000 [g]"}));
    project->SetVariable("MIXED", *PlainArray({"1 [kg]", "2 [m]", "3 [kg]"}));
    project->SetVariable("TEN",
                         *PlainArray({"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}));
    project->SetVariable("ONE", *PlainArray(Repeated({{"yes", 10}, {"no", 20}})));
    project->SetVariable("TWO", *PlainArray(Repeated({{"yes", 20}, {"no", 10}})));
  }

  void cleanup() {
    while (QWidget* open = QApplication::activeModalWidget())
      open->close();
    CloseMemoryProject();
  }

  void seriesAddedThroughTheWindowAndATTestRun() {
    TStatDlg dialog;
    dialog.show();
    DefineSeries(QStringLiteral("=PROJECT.MASS"), QStringLiteral("Mass"));
    dialog.AddButton()->click();
    DefineSeries(QStringLiteral("=PROJECT.GRAMS"), QStringLiteral("Grams"));
    dialog.AddButton()->click();
    QTableWidget* grid = dialog.SeriesGrid();
    QCOMPARE(grid->objectName(), QStringLiteral("SSGrid"));
    QCOMPARE(grid->rowCount(), 2);
    QCOMPARE(Cell(grid, 0, 0), QStringLiteral("Mass"));
    QCOMPARE(Cell(grid, 0, 1), QStringLiteral("Numeric"));
    QCOMPARE(Cell(grid, 0, 2), QStringLiteral("kg"));
    QCOMPARE(Cell(grid, 0, 3), QStringLiteral("4"));
    QCOMPARE(Cell(grid, 1, 2), QStringLiteral("g"));

    // No test type yet: refused, and nothing shown.
    dialog.TestButton()->click();
    QCOMPARE(sink->Last(), std::string("Select test type"));
    QVERIFY(!dialog.Statistic()->isVisibleTo(&dialog));

    dialog.TestType()->setCurrentIndex(0);
    QVERIFY(dialog.Hypothesis()->toPlainText().startsWith(
        QStringLiteral("Both samples were drawn from the same normal ")));
    QVERIFY(!dialog.Yates()->isVisibleTo(&dialog));
    QVERIFY(!dialog.TableButton()->isVisibleTo(&dialog));
    dialog.TestButton()->click();
    QCOMPARE(dialog.StatisticCaption()->text(), QStringLiteral("t Statistic Value:"));
    QCOMPARE(dialog.Statistic()->text(), QStringLiteral("0"));
    QCOMPARE(dialog.P()->text(), QStringLiteral("1"));
    QCOMPARE(dialog.Reject()->text(), QStringLiteral("0"));
    QVERIFY(dialog.Statistic()->isVisibleTo(&dialog));
    // Under the result: the effect size and the interval of the difference.
    QCOMPARE(dialog.EffectCaption()->text(), QStringLiteral("Cohen's d:"));
    QCOMPARE(dialog.Effect()->text(), QStringLiteral("0"));
    QVERIFY(dialog.Effect()->isVisibleTo(&dialog));
    const QString interval = dialog.Interval()->text();
    QVERIFY2(interval.startsWith(QStringLiteral("[-")) && interval.endsWith(QLatin1Char(']')),
             qPrintable(interval));

    // Welch's test is the fifth choice; another choice hides the old result.
    dialog.TestType()->setCurrentIndex(4);
    QCOMPARE(dialog.TestType()->currentText(), QStringLiteral("Welch t-Test"));
    QVERIFY(!dialog.Statistic()->isVisibleTo(&dialog));
    QVERIFY(!dialog.Effect()->isVisibleTo(&dialog));
    QVERIFY(!dialog.Yates()->isVisibleTo(&dialog));
    dialog.TestButton()->click();
    QCOMPARE(dialog.StatisticCaption()->text(), QStringLiteral("t Statistic Value:"));
    QCOMPARE(dialog.P()->text(), QStringLiteral("1"));
    QCOMPARE(dialog.Effect()->text(), QStringLiteral("0"));
    QVERIFY(dialog.Interval()->isVisibleTo(&dialog));

    bool correlated = false;
    WhenModal("vandro::TMatrixDlg", [&correlated](QWidget* widget) {
      auto* matrix = static_cast<TMatrixDlg*>(widget);
      QCOMPARE(matrix->windowTitle(), QStringLiteral("Correlations (Pearson)"));
      QCOMPARE(Cell(matrix->Grid(), 0, 1), QStringLiteral("r"));
      QCOMPARE(Cell(matrix->Grid(), 1, 0), QStringLiteral("Mass : Grams"));
      QCOMPARE(Cell(matrix->Grid(), 1, 1), QStringLiteral("1"));
      correlated = true;
      matrix->reject();
    });
    dialog.CorrelationButton()->click();
    QVERIFY(correlated);

    // A row dragged by its number takes its series along; the result goes.
    dialog.SeriesGrid()->verticalHeader()->moveSection(1, 0);
    QCOMPARE(Cell(grid, 0, 0), QStringLiteral("Grams"));
    QCOMPARE(dialog.Dialog().Series(0).Name(), std::string("Grams"));
    QVERIFY(!dialog.Statistic()->isVisibleTo(&dialog));
    // And from the keyboard.
    QApplication::setActiveWindow(&dialog);
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    grid->setFocus();
    grid->selectRow(1);
    QTest::keyClick(grid, Qt::Key_Up, Qt::ControlModifier);
    QCOMPARE(dialog.Dialog().Series(0).Name(), std::string("Mass"));
    QCOMPARE(Cell(grid, 0, 0), QStringLiteral("Mass"));
  }

  // What cannot be a series is refused with a message and the window goes on.
  void badSourcesLeaveTheWindowUsable() {
    TStatDlg dialog;
    dialog.show();
    DefineSeries(QStringLiteral("5"), QString(), true);
    dialog.AddButton()->click();
    QCOMPARE(sink->Last(), std::string("Source of the series should be an array or a formula"));
    // The refused value comes back for mending; Cancel drops it.
    bool offered = false;
    WhenModal("vandro::TValueConstructorDlg", [&offered](QWidget* widget) {
      auto* constructor = static_cast<TValueConstructorDlg*>(widget);
      QCOMPARE(constructor->Tabs()->currentIndex(), 0);
      QCOMPARE(constructor->Number()->text(), QStringLiteral("5"));
      offered = true;
      constructor->reject();
    });
    dialog.AddButton()->click();
    QVERIFY(offered);

    DefineSeries(QStringLiteral("FIND ALL OBJECTS CONDITION ("), QStringLiteral("Query"));
    dialog.AddButton()->click();
    // The query's own message, with "???" where reading stopped.
    QCOMPARE(sink->Last(), std::string("Unknown lexeme:\r\nFIND ALL OBJECTS CONDITION (???"));
    QCOMPARE(dialog.SeriesGrid()->rowCount(), 0);

    // The failed query and its name come back; replaced by another formula.
    DefineSeries(QStringLiteral("=PROJECT.MIXED"), QStringLiteral("Mixed"), false,
                 QStringLiteral("Query"));
    dialog.AddButton()->click();
    QCOMPARE(sink->Last(), std::string("Incompatible units. kg expected. Item No = 1"));
    QCOMPARE(dialog.SeriesGrid()->rowCount(), 1);

    dialog.SeriesGrid()->clearSelection();
    dialog.RemoveButton()->click();
    QCOMPARE(sink->Last(), std::string("Select series"));
    dialog.HistogramButton()->click();
    QCOMPARE(sink->Last(), std::string("Select series"));
    QCOMPARE(dialog.SeriesGrid()->rowCount(), 1);
    QVERIFY(dialog.isVisible());
  }

  void histogramOfZeroToTen() {
    TStatDlg dialog;
    QVERIFY(dialog.Dialog().AddItems(project->FindVariable("TEN")->Value.Clone("test"), "Ten"));
    dialog.ShowList();
    dialog.SeriesGrid()->selectRow(0);
    bool shown = false;
    WhenModal("vandro::THistogramDlg", [&shown](QWidget* widget) {
      auto* histogram = static_cast<THistogramDlg*>(widget);
      QCOMPARE(histogram->Intervals()->value(), 10);
      auto* bars = static_cast<QBarSeries*>(histogram->Chart()->series().value(0));
      QVERIFY(bars);
      QBarSet* set = bars->barSets().value(0);
      QCOMPARE(set->count(), 10);
      QCOMPARE(set->color(), QColor(Qt::green));
      QCOMPARE(set->at(0), 1.0);
      QCOMPARE(set->at(9), 2.0); // 9 and 10
      histogram->Intervals()->setValue(5);
      QCOMPARE(set->count(), 5);
      QCOMPARE(set->at(4), 3.0); // 8, 9 and 10
      CheckNamed(histogram);
      shown = true;
      histogram->reject();
    });
    dialog.HistogramButton()->click();
    QVERIFY(shown);
    QCOMPARE(dialog.Dialog().Intervals, 5);
  }

  void chiSquareAndItsContingencyTable() {
    TStatDlg dialog;
    dialog.show();
    DefineSeries(QStringLiteral("=PROJECT.ONE"), QStringLiteral("One"));
    dialog.AddButton()->click();
    DefineSeries(QStringLiteral("=PROJECT.TWO"), QStringLiteral("Two"));
    dialog.AddButton()->click();
    dialog.TestType()->setCurrentIndex(3);
    QVERIFY(dialog.Yates()->isVisibleTo(&dialog));
    QVERIFY(dialog.Yates()->isChecked());
    dialog.Yates()->setChecked(false);
    dialog.TestButton()->click();
    QCOMPARE(dialog.Statistic()->text(), QStringLiteral("6.666667"));
    QVERIFY(dialog.TableButton()->isVisibleTo(&dialog));
    QVERIFY(!dialog.Effect()->isVisibleTo(&dialog));

    bool shown = false;
    WhenModal("vandro::TMatrixDlg", [&shown](QWidget* widget) {
      auto* matrix = static_cast<TMatrixDlg*>(widget);
      QCOMPARE(matrix->windowTitle(), QStringLiteral("Contingency table"));
      QTableWidget* grid = matrix->Grid();
      QCOMPARE(Cell(grid, 0, 0), QStringLiteral("Series\\Outcomes"));
      QCOMPARE(Cell(grid, 1, 0), QStringLiteral("One"));
      QCOMPARE(Cell(grid, 0, 1), QStringLiteral("YES"));
      QCOMPARE(Cell(grid, 1, 1), QStringLiteral("10"));
      QCOMPARE(Cell(grid, 3, 3), QStringLiteral("60"));
      CheckNamed(matrix);
      shown = true;
      matrix->reject();
    });
    dialog.TableButton()->click();
    QVERIFY(shown);
    CheckNamed(&dialog);
  }

  // Another window hands its series on: the not loaded one is reported by
  // name and still has its column.
  void descriptiveStatsOfHandedSeries() {
    std::vector<app::THandedSeries> handed;
    handed.push_back({"Pulse", PlainArray({"70 [kg]", "80 [kg]"}), {"A", "B"}});
    TValue::Ptr single = TValue::Create("test");
    single->SetPlain("5");
    handed.push_back({"Broken", std::move(single), {}});
    bool shown = false;
    WhenModal("vandro::TBasicStatDlg", [&shown](QWidget* widget) {
      auto* dialog = static_cast<TBasicStatDlg*>(widget);
      QTableWidget* grid = dialog->Grid();
      QCOMPARE(grid->objectName(), QStringLiteral("StatGrid"));
      QCOMPARE(grid->columnCount(), 3);
      QCOMPARE(Cell(grid, 0, 0), QStringLiteral("Statistics \\ Series"));
      QCOMPARE(Cell(grid, 0, 1), QStringLiteral("Pulse"));
      QCOMPARE(Cell(grid, 0, 2), QStringLiteral("Broken"));
      QCOMPARE(Cell(grid, 4, 1), QStringLiteral("75 [kg]"));
      QCOMPARE(Cell(grid, 4, 2), QString());
      QCOMPARE(grid->item(0, 1)->toolTip(), QStringLiteral("The ranges in order of selection"));
      QCOMPARE(grid->item(4, 0)->toolTip(), QStringLiteral("Statistics"));
      QVERIFY(grid->item(4, 1)->toolTip().isEmpty());
      // Two series share the room beside the titles.
      QCOMPARE(grid->columnWidth(1), grid->columnWidth(2));
      QVERIFY(grid->columnWidth(1) > 128);
      CheckNamed(dialog);
      shown = true;
      dialog->reject();
    });
    app::OpenDescriptiveStats(nullptr, std::move(handed));
    QVERIFY(shown);
    QVERIFY(std::find(sink->messages.begin(), sink->messages.end(),
                      "Broken:\r\nSeries source should be an array") != sink->messages.end());
    QCOMPARE(sink->Last(),
             std::string("Broken: improper data in the series content.\r\nSeries skipped"));
  }

  // The columns a group table hands on (four diets of 16, 10, 10 and 9
  // chicks): the One-way ANOVA uses every value, its check box gives
  // Welch's, and its two tables list the analysis and Tukey's pairs.
  void anovaWithTukeyPairsOnHandedColumns() {
    const std::vector<std::vector<std::string>> diets = {
        {"205", "215", "202", "157", "223", "157", "305", "98", "124", "175", "205", "96", "266",
         "142", "157", "117"},
        {"331", "167", "175", "74", "265", "251", "192", "233", "309", "150"},
        {"256", "305", "147", "341", "373", "220", "178", "290", "272", "321"},
        {"204", "281", "200", "196", "238", "205", "322", "237", "264"}};
    std::vector<app::THandedSeries> handed;
    for (size_t d = 0; d < diets.size(); ++d) {
      std::vector<std::string> weights;
      for (const std::string& weight : diets[d])
        weights.push_back(weight + " [g]");
      handed.push_back({"Diet " + std::to_string(d + 1), PlainArray(weights), {}});
    }
    bool shown = false;
    WhenModal("vandro::TStatDlg", [&shown](QWidget* widget) {
      auto* dialog = static_cast<TStatDlg*>(widget);
      QCOMPARE(dialog->SeriesGrid()->rowCount(), 4);
      QCOMPARE(dialog->TestType()->itemText(5), QStringLiteral("One-way ANOVA"));
      QVERIFY(!dialog->WelchAnova()->isVisibleTo(dialog));
      dialog->TestType()->setCurrentIndex(5);
      QVERIFY(dialog->WelchAnova()->isVisibleTo(dialog));
      QVERIFY(!dialog->AnovaTableButton()->isVisibleTo(dialog));
      dialog->TestButton()->click();
      QCOMPARE(dialog->StatisticCaption()->text(), QStringLiteral("F Statistic Value:"));
      QCOMPARE(dialog->Statistic()->text(), QStringLiteral("4.654713"));
      QCOMPARE(dialog->P()->text(), QStringLiteral("0.006858"));
      QVERIFY(dialog->TukeyButton()->isVisibleTo(dialog));

      bool tables = false;
      WhenModal("vandro::TMatrixDlg", [&tables](QWidget* shownTable) {
        auto* matrix = static_cast<TMatrixDlg*>(shownTable);
        QCOMPARE(matrix->windowTitle(), QStringLiteral("Tukey HSD (95%)"));
        QCOMPARE(Cell(matrix->Grid(), 0, 4), QStringLiteral("P adjusted"));
        QCOMPARE(Cell(matrix->Grid(), 2, 0), QStringLiteral("Diet 3 - Diet 1"));
        QCOMPARE(Cell(matrix->Grid(), 2, 1), QStringLiteral("92.55 [g]"));
        QCOMPARE(Cell(matrix->Grid(), 2, 4), QStringLiteral("0.004696"));
        CheckNamed(matrix);
        tables = true;
        matrix->reject();
      });
      dialog->TukeyButton()->click();
      QVERIFY(tables);
      tables = false;
      WhenModal("vandro::TMatrixDlg", [&tables](QWidget* shownTable) {
        auto* matrix = static_cast<TMatrixDlg*>(shownTable);
        QCOMPARE(Cell(matrix->Grid(), 1, 0), QStringLiteral("Between groups"));
        QCOMPARE(Cell(matrix->Grid(), 5, 0), QStringLiteral("Levene (median)"));
        tables = true;
        matrix->reject();
      });
      dialog->AnovaTableButton()->click();
      QVERIFY(tables);

      // Welch's analysis: another result, the old one hidden until run.
      dialog->WelchAnova()->setChecked(true);
      QVERIFY(!dialog->Statistic()->isVisibleTo(dialog));
      dialog->TestButton()->click();
      QCOMPARE(dialog->Statistic()->text(), QStringLiteral("4.661823"));
      QCOMPARE(dialog->P()->text(), QStringLiteral("0.012189"));
      CheckNamed(dialog);
      shown = true;
      dialog->reject();
    });
    app::OpenStatDialog(nullptr, std::move(handed));
    QVERIFY(shown);
    QVERIFY(sink->messages.empty());
  }

  // A history where one state lacks the parameter: the empty value is
  // missing, counted in its own row and left out of the mean.
  void descriptiveStatsOfAHistoryWithAGap() {
    project->SetVariable("GAPPED", *PlainArray({"10 [g]", "", "20 [g]", "30 [g]"}));
    TStatDlg dialog;
    dialog.show();
    DefineSeries(QStringLiteral("=PROJECT.GAPPED"), QStringLiteral("W"));
    dialog.AddButton()->click();
    QVERIFY2(sink->messages.empty(), sink->messages.empty() ? "" : sink->Last().c_str());
    bool shown = false;
    WhenModal("vandro::TBasicStatDlg", [&shown](QWidget* stats) {
      QTableWidget* grid = static_cast<TBasicStatDlg*>(stats)->Grid();
      QCOMPARE(Cell(grid, 1, 0), QStringLiteral("Count"));
      QCOMPARE(Cell(grid, 1, 1), QStringLiteral("3"));
      QCOMPARE(Cell(grid, 2, 0), QStringLiteral("Missing"));
      QCOMPARE(Cell(grid, 2, 1), QStringLiteral("1"));
      QCOMPARE(Cell(grid, 4, 0), QStringLiteral("Mean"));
      QCOMPARE(Cell(grid, 4, 1), QStringLiteral("20 [g]"));
      shown = true;
      static_cast<QDialog*>(stats)->reject();
    });
    dialog.DescriptiveButton()->click();
    QVERIFY(shown);
  }

  void resultGridsCopyAndSaveTheirCells() {
    QTableWidget* grid = MakeResultGrid(QStringLiteral("Result"));
    std::unique_ptr<QTableWidget> owner(grid);
    FillResultGrid(grid, {{"Series", "r", "note"}, {"A : B", "0.5", "say \"hi\", then\tgo"}});
    QCOMPARE(GridText(grid, false, true),
             QStringLiteral("Series\tr\tnote\r\nA : B\t0.5\t\"say \"\"hi\"\", then\tgo\"\r\n"));
    QCOMPARE(GridText(grid, true, false),
             QStringLiteral("Series,r,note\r\nA : B,0.5,\"say \"\"hi\"\", then\tgo\"\r\n"));
    grid->setRangeSelected(QTableWidgetSelectionRange(1, 1, 1, 2), true);
    QCOMPARE(GridText(grid, false, true), QStringLiteral("0.5\t\"say \"\"hi\"\", then\tgo\"\r\n"));

    // Ctrl+C in the grid puts the selection on the clipboard.
    grid->show();
    QApplication::setActiveWindow(grid);
    QVERIFY(QTest::qWaitForWindowActive(grid));
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(),
             QStringLiteral("0.5\t\"say \"\"hi\"\", then\tgo\"\r\n"));
    QStringList menu;
    for (QAction* action : grid->actions())
      menu << action->text();
    QCOMPARE(menu, (QStringList{QStringLiteral("Copy"), QStringLiteral("Save As..."),
                                QStringLiteral("Print...")}));

    // Ctrl+P prints the grid as a table: the menu is out of reach behind a
    // modal result window.
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("grid.pdf"));
    PrintNextToPdf(pdf);
    QTest::keyClick(grid, Qt::Key_P, Qt::ControlModifier);
    QVERIFY(QFile::exists(pdf));
    const int dark = DarkPixelsOfFirstPage(pdf, dir.path());
    QVERIFY2(dark > 0, qPrintable(QString::number(dark)));

    const QString path = dir.filePath(QStringLiteral("result.csv"));
    QVERIFY(SaveGridAs(grid, path));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(file.readAll()), GridText(grid, true, false));
    QVERIFY(!SaveGridAs(grid, dir.filePath(QStringLiteral("missing/result.csv"))));
    QVERIFY(sink->Last().rfind("Can't write the file ", 0) == 0);
  }

  void calculatorForwardsEditsAndShowsItsRules() {
    TStatCalcDlg dialog;
    dialog.show();
    QLineEdit* x = dialog.Field(TCalcField::X);
    QLineEdit* p = dialog.Field(TCalcField::P);
    x->selectAll();
    QTest::keyClicks(x, QStringLiteral("1.96"));
    QCOMPARE(x->text(), QStringLiteral("1.96"));
    QCOMPARE(p->text(), QStringLiteral("0.024998"));
    QCOMPARE(dialog.Field(TCalcField::P1)->text(), QStringLiteral("0.975002"));

    // "10" may still grow: red, and P stays that of "1".
    x->selectAll();
    QTest::keyClicks(x, QStringLiteral("10"));
    QCOMPARE(x->palette().color(QPalette::Text), QColor(Qt::red));
    QCOMPARE(p->text(), QStringLiteral("0.158655"));
    QTest::keyClicks(x, QStringLiteral("1"));
    QVERIFY(x->palette().color(QPalette::Text) != QColor(Qt::red));

    p->selectAll();
    QTest::keyClicks(p, QStringLiteral("0.025"));
    QCOMPARE(x->text(), QStringLiteral("1.959964"));

    dialog.Distribution()->setCurrentIndex(1);
    QCOMPARE(dialog.FieldCaption(TCalcField::DF)->text(), QStringLiteral("DF:"));
    QVERIFY(!dialog.Field(TCalcField::DF1)->isVisibleTo(&dialog));
    QCOMPARE(p->toolTip(), QStringLiteral("Probability of |x| to be greater then X value"));
    const QString before = dialog.Field(TCalcField::DF)->text();
    dialog.Up(TCalcField::DF)->click();
    QVERIFY(dialog.Field(TCalcField::DF)->text() != before);
    CheckNamed(&dialog);
  }

  // Without a group table view, Basic Statistics and Stat Dialog both open
  // an empty "Statistics", modal; a series added there shows its column in
  // "Descriptive stats".
  void basicStatisticsOpensTheStatisticsWindow() {
    QTemporaryDir dir;
    TSettings settings;
    settings.Load(dir.filePath(QStringLiteral("config.vd")).toStdString());
    TMainForm form(settings);
    for (const bool basic : {true, false}) {
      bool shown = false;
      WhenModal("vandro::TStatDlg", [&shown, basic](QWidget* widget) {
        auto* dialog = static_cast<TStatDlg*>(widget);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Statistics"));
        QCOMPARE(dialog->SeriesGrid()->rowCount(), 0);
        if (basic) {
          DefineSeries(QStringLiteral("=PROJECT.TEN"), QStringLiteral("Ten"));
          dialog->AddButton()->click();
          WhenModal("vandro::TBasicStatDlg", [](QWidget* stats) {
            QTableWidget* grid = static_cast<TBasicStatDlg*>(stats)->Grid();
            QCOMPARE(Cell(grid, 0, 1), QStringLiteral("Ten"));
            QCOMPARE(Cell(grid, 1, 1), QStringLiteral("11"));
            QCOMPARE(Cell(grid, 9, 1), QStringLiteral("5 "));
            static_cast<QDialog*>(stats)->reject();
          });
          dialog->DescriptiveButton()->click();
        }
        shown = true;
        dialog->reject();
      });
      if (basic)
        OpenBasicStatistics(form);
      else
        OpenStatistics(form);
      QVERIFY(shown);
    }
    QVERIFY(sink->messages.empty());
  }

  // A query over the sample project is run when the series is added; its
  // hits are listed by name.
  void aQuerySeriesOnTheSampleProject() {
    scope.reset();
    ScopedRecords records;
    QTemporaryDir dir;
    TSettings settings;
    settings.Load(dir.filePath(QStringLiteral("config.vd")).toStdString());
    const std::string sample = UserSampleProject(
        QT_TESTCASE_BUILDDIR "/../app/sample/healthmonitor.vdp", dir.path().toStdString());
    QVERIFY(!sample.empty());
    {
      TMainForm form(settings);
      QVERIFY(form.OpenProjectAt(QString::fromStdString(sample)));
      TStatDlg dialog(&form);
      dialog.show();
      DefineSeries(QStringLiteral("FIND ALL OBJECTS WITHIN EVERYTHING"), QStringLiteral("All"));
      dialog.AddButton()->click();
      QCOMPARE(dialog.SeriesGrid()->rowCount(), 1);
      QCOMPARE(Cell(dialog.SeriesGrid(), 0, 1), QStringLiteral("Text"));
      QVERIFY(dialog.Dialog().Series(0).Count() > 10);
      QVERIFY(dialog.Dialog().Definition(0).IsQuery());
      QCOMPARE(form.StatusPanel(1)->text(), QStringLiteral("Ready"));
    }
    CloseProject();
  }

  // Distributions needs no project; the other two wait for one. Long work
  // shows "Wait".
  void distributionsOpenWithoutAProject() {
    scope.reset();
    QTemporaryDir dir;
    TSettings settings;
    settings.Load(dir.filePath(QStringLiteral("config.vd")).toStdString());
    TMainForm form(settings);
    {
      TStatWait wait;
      QCOMPARE(form.StatusPanel(1)->text(), QStringLiteral("Wait"));
    }
    QCOMPARE(form.StatusPanel(1)->text(), QStringLiteral("Ready"));
    QVERIFY(form.Command(QStringLiteral("statDistributions"))->isEnabled());
    QVERIFY(!form.Command(QStringLiteral("statDialog"))->isEnabled());
    QVERIFY(form.Command(QStringLiteral("statDialog"))->property("available").toBool());
    QVERIFY(form.Command(QStringLiteral("statBasic"))->property("available").toBool());
    bool shown = false;
    WhenModal("vandro::TStatCalcDlg", [&shown](QWidget* widget) {
      shown = true;
      static_cast<QDialog*>(widget)->reject();
    });
    form.Command(QStringLiteral("statDistributions"))->trigger();
    QVERIFY(shown);
  }
};

VANDRO_APP_TEST(StatWindowsTest);

} // namespace vandro::apptest

#include "stat_windows_test.moc"
