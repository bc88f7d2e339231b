// The data mining windows on a copy of the sample project: the regression
// window with its labels, elimination and scatter plot, the cluster tree
// with its dendrogram and "Save Branch", the refusals of "Data Analysis",
// and the whole way from Statistics: Data Mining Tools to both result
// windows.
#include "app/editing/select_object_dlg.h"
#include "app/model/object_view_dlg.h"
#include "app/shell/main_form.h"
#include "app/stats/analysis_dlg.h"
#include "app/stats/cluster_dlg.h"
#include "app/stats/dendrogram_view.h"
#include "app/stats/edit_data_dlg.h"
#include "app/stats/lregress_dlg.h"
#include "app/stats/plot_dlg.h"
#include "app_test_support.h"
#include "language/executor.h"
#include "language/record_evaluation.h"
#include "model/parameter.h"
#include "model/project.h"
#include "shell/settings.h"
#include "storage/objects.h"
#include "storage/project_lifecycle.h"

#include <QAccessible>
#include <QAction>
#include <QChart>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QScatterSeries>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <QValueAxis>

#include <memory>

namespace vandro::apptest {

namespace {

// Employed, then GNP deflator, GNP, Unemployed, Armed forces, Population,
// Year (NIST StRD Longley); column 0 is not used.
const long double kLongley[16][7] = {
    {60323, 83.0, 234289, 2356, 1590, 107608, 1947},
    {61122, 88.5, 259426, 2325, 1456, 108632, 1948},
    {60171, 88.2, 258054, 3682, 1616, 109773, 1949},
    {61187, 89.5, 284599, 3351, 1650, 110929, 1950},
    {63221, 96.2, 328975, 2099, 3099, 112075, 1951},
    {63639, 98.1, 346999, 1932, 3594, 113270, 1952},
    {64989, 99.0, 365385, 1870, 3547, 115094, 1953},
    {63761, 100.0, 363112, 3578, 3350, 116219, 1954},
    {66019, 101.2, 397469, 2904, 3048, 117388, 1955},
    {67857, 104.6, 419180, 2822, 2857, 118734, 1956},
    {68169, 108.4, 442769, 2936, 2798, 120445, 1957},
    {66513, 110.8, 444546, 4681, 2637, 121950, 1958},
    {68655, 112.6, 482704, 3813, 2552, 123366, 1959},
    {69564, 114.2, 502601, 3931, 2514, 125368, 1960},
    {69331, 115.7, 518173, 4806, 2572, 127852, 1961},
    {70551, 116.9, 554894, 4007, 2827, 130081, 1962},
};

QString Cell(QTableWidget* grid, int row, int column) {
  const QTableWidgetItem* item = grid->item(row, column);
  return item ? item->text() : QString();
}

int RowNamed(QTableWidget* grid, int column, const QString& name) {
  for (int row = 0; row < grid->rowCount(); ++row)
    if (Cell(grid, row, column) == name) return row;
  return -1;
}

bool HasRed(QWidget* widget) {
  const QImage image = widget->grab().toImage();
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const QColor colour = image.pixelColor(x, y);
      if (colour.red() > 200 && colour.green() < 80 && colour.blue() < 80) return true;
    }
  return false;
}

// Each field, list, grid and combo box of window has a name a screen
// reader announces, and each captioned button its caption.
QString AnnouncedName(QWidget* widget) {
  QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
  return accessible ? accessible->text(QAccessible::Name) : QString();
}

void CheckNames(QWidget* window) {
  for (QWidget* widget : window->findChildren<QWidget*>()) {
    if (auto* button = qobject_cast<QPushButton*>(widget)) {
      if (button->text() != QStringLiteral("..."))
        QCOMPARE(AnnouncedName(button), QString(button->text()).remove(QLatin1Char('&')));
      continue;
    }
    const bool control =
        (widget->inherits("QAbstractItemView") && !widget->inherits("QHeaderView")) ||
        widget->inherits("QPlainTextEdit") || widget->inherits("QLineEdit") ||
        widget->inherits("QComboBox");
    bool insideCombo = false;
    for (const QWidget* up = widget->parentWidget(); up && up != window; up = up->parentWidget())
      insideCombo = insideCombo || up->inherits("QComboBox");
    if (!control || insideCombo) continue;
    QVERIFY2(!AnnouncedName(widget).isEmpty(),
             qPrintable(QString::fromLatin1(window->metaObject()->className()) +
                        QStringLiteral(": a ") +
                        QString::fromLatin1(widget->metaObject()->className()) +
                        QStringLiteral(" without a name")));
  }
}

} // namespace

class MiningWindowsTest : public TSampleProjectTest {
  Q_OBJECT

  // Longley with units: Employed in kg and GNP in tonnes, so that the
  // labels and the formula show and convert them.
  static std::unique_ptr<TLinearRegression> Longley() {
    TDataTable table;
    for (const auto& row : kLongley) {
      std::vector<long double> line{0};
      line.insert(line.end(), std::begin(row), std::end(row));
      table.push_back(std::move(line));
    }
    std::vector<TRegressionVariable> variables;
    for (const char* name :
         {"Employed", "Deflator", "GNP", "Unemployed", "Armed", "Population", "Year"})
      variables.push_back({name, "", false, {}});
    variables[0].unit = "[kg]";
    variables[2].unit = "[T]";
    auto regression = std::make_unique<TLinearRegression>();
    TIntList predictors;
    for (int p = 1; p <= 6; ++p)
      predictors.Add(p);
    if (!regression->Open(std::move(table), std::move(variables), 0, predictors)) return nullptr;
    return regression;
  }

  // Four patients of the sample project: A C merge first, then B D.
  static std::vector<TClusterObject> Patients() {
    std::vector<TClusterObject> objects;
    for (const char* name : {"WEBER_SOFIA", "UDOH_GRACE", "SATO_KENJI", "TAYLOR_EMMA"})
      objects.push_back({name, APSFindObject(name)});
    return objects;
  }
  static TMergeTable PatientMerges() { return {{0, 2, 1}, {1, 3, 2}, {4, 5, 3}}; }

private slots:
  void init() { QVERIFY(OpenSample()); }

  void cleanup() { CloseSample(); }

  void regressionWindowShowsLongleyWithUnits() {
    auto regression = Longley();
    QVERIFY(regression);
    TLRegressDlg dialog(std::move(regression));
    dialog.show();
    QTableWidget* grid = dialog.Grid();
    QCOMPARE(grid->columnCount(), 5);
    QCOMPARE(grid->rowCount(), 8); // headings, intercept, six predictors
    QCOMPARE(Cell(grid, 0, 0), QStringLiteral("Parameter"));
    QCOMPARE(Cell(grid, 0, 3), QStringLiteral("| t | "));
    QCOMPARE(Cell(grid, 1, 0), QStringLiteral("Intercept"));
    // NIST certified values.
    QVERIFY2(Cell(grid, 1, 1).startsWith(QStringLiteral("-3482258.634")),
             qPrintable(Cell(grid, 1, 1)));
    QCOMPARE(Cell(grid, 7, 0), QStringLiteral("Year"));
    QVERIFY2(Cell(grid, 7, 1).startsWith(QStringLiteral("1829.151")), qPrintable(Cell(grid, 7, 1)));
    QCOMPARE(dialog.RSquareLabel()->text(), QStringLiteral("0.995479"));
    const QString error = dialog.EstimateErrorLabel()->text();
    QVERIFY2(error.startsWith(QStringLiteral("304.854")) && error.endsWith(QStringLiteral(" [kg]")),
             qPrintable(error));
    QVERIFY2(dialog.SSRegLabel()->text().startsWith(QStringLiteral("SSreg = ")) &&
                 dialog.SSRegLabel()->text().endsWith(QStringLiteral(" [(kg)^2]")),
             qPrintable(dialog.SSRegLabel()->text()));
    QVERIFY(dialog.SSResLabel()->text().endsWith(QStringLiteral(" [(kg)^2]")));
    QVERIFY2(dialog.FLabel()->text().contains(QStringLiteral("  ( P(All Bi=0) = ")),
             qPrintable(dialog.FLabel()->text()));
    const QStringList formula = dialog.ResultFormula()->toPlainText().split(QLatin1Char('\n'));
    QVERIFY2(formula.value(0).startsWith(QStringLiteral("-3482258.634")) &&
                 formula.value(0).endsWith(QStringLiteral(" [kg]")),
             qPrintable(formula.value(0)));
    QCOMPARE(formula.size(), 7);
    // kg per tonne: the GNP term carries the factor 1/1000.
    QVERIFY2(formula.value(2).endsWith(QStringLiteral(" * GNP")), qPrintable(formula.value(2)));
    for (QWidget* widget : std::initializer_list<QWidget*>{
             dialog.AlphaEdit(), dialog.RecalculateButton(), dialog.RestoreButton(),
             dialog.ScatterPlotButton(), dialog.ResultFormula(), grid})
      QVERIFY2(!widget->accessibleName().isEmpty(), widget->metaObject()->className());
  }

  void eliminationAlphaAndRestore() {
    TLRegressDlg dialog(Longley());
    dialog.show();
    // Text that is no level turns red and keeps alpha.
    dialog.AlphaEdit()->clear();
    QTest::keyClicks(dialog.AlphaEdit(), QStringLiteral("abc"));
    QVERIFY(dialog.AlphaEdit()->styleSheet().contains(QStringLiteral("red")));
    dialog.AlphaEdit()->clear();
    QTest::keyClicks(dialog.AlphaEdit(), QStringLiteral("0.05"));
    QVERIFY(!dialog.AlphaEdit()->styleSheet().contains(QStringLiteral("red")));
    dialog.RecalculateButton()->click();
    // Every predictor left is significant at 0.05.
    const int kept = dialog.Grid()->rowCount() - 2;
    QVERIFY2(kept >= 1 && kept < 6, qPrintable(QString::number(kept)));
    for (int row = 2; row < dialog.Grid()->rowCount(); ++row)
      QVERIFY(Cell(dialog.Grid(), row, 4).toDouble() < 0.05 || kept == 1);
    QCOMPARE(dialog.AlphaEdit()->text(), QStringLiteral("0.05"));
    QCOMPARE(dialog.ResultFormula()->toPlainText().split(QLatin1Char('\n')).size(), kept + 1);

    dialog.AlphaUp()->click();
    QCOMPARE(dialog.AlphaEdit()->text(), QStringLiteral("0.06"));
    dialog.RestoreButton()->click();
    QCOMPARE(dialog.Grid()->rowCount(), 8);
    QVERIFY(sink->messages.empty());
  }

  void scatterPlotOfTwoVariables() {
    TLRegressDlg dialog(Longley());
    dialog.show();
    dialog.ScatterPlotButton()->click();
    TPlotDlg* plot = dialog.Plot();
    QVERIFY(plot && plot->isVisible());
    QCOMPARE(plot->windowTitle(), QStringLiteral("Scatter Plot"));
    QCOMPARE(plot->YList()->currentText(), QStringLiteral("Employed"));
    QCOMPARE(plot->XList()->currentText(), QStringLiteral("Deflator"));
    QVERIFY(plot->ShowEstimate()->isVisible());
    QVERIFY(plot->Observations() && plot->Estimates());
    QCOMPARE(plot->Observations()->count(), 16);
    QCOMPARE(plot->Observations()->color(), QColor(Qt::green));
    QCOMPARE(plot->Observations()->markerShape(), QScatterSeries::MarkerShapeCircle);
    QCOMPARE(plot->Estimates()->color(), QColor(Qt::red));
    QCOMPARE(plot->Estimates()->markerShape(), QScatterSeries::MarkerShapeTriangle);
    QStringList titles;
    for (QAbstractAxis* axis : plot->Chart()->axes())
      titles << axis->titleText();
    QCOMPARE(titles, (QStringList{QStringLiteral("Deflator"), QStringLiteral("Employed (kg)")}));

    plot->XList()->setCurrentIndex(2);
    titles.clear();
    for (QAbstractAxis* axis : plot->Chart()->axes())
      titles << axis->titleText();
    QVERIFY(titles.contains(QStringLiteral("GNP (T)")));
    QCOMPARE(plot->Observations()->at(0), QPointF(234289, 60323));
    plot->ShowEstimate()->setChecked(false);
    QVERIFY(!plot->Estimates());
    QCOMPARE(plot->Chart()->series().size(), 1);
  }

  void clusterTreeMergeRestoreAndDendrogram() {
    TClusterDlg dialog(PatientMerges(), Patients());
    dialog.show();
    QTreeWidget* view = dialog.TreeView();
    QCOMPARE(view->topLevelItemCount(), 1);
    QTreeWidgetItem* root = view->topLevelItem(0);
    QCOMPARE(root->text(0), QStringLiteral("Root (4 objects; D=3)"));
    QCOMPARE(view->toolTip(), QStringLiteral("Binary tree"));
    QTreeWidgetItem* pair = root->child(0);
    QCOMPARE(pair->text(0), QStringLiteral("[2 objects;  D=1]"));
    QCOMPARE(pair->child(0)->text(0),
             QStringLiteral("WEBER_SOFIA [%1]").arg(APSFindObject("WEBER_SOFIA")));
    QCOMPARE(pair->child(1)->text(0).section(QLatin1Char(' '), 0, 0), QStringLiteral("SATO_KENJI"));
    QVERIFY(!dialog.MergeButton()->isEnabled());
    QVERIFY(!dialog.RestoreButton()->isEnabled());

    // Nothing selected: the dendrogram is drawn in one colour.
    QVERIFY(!HasRed(dialog.DendrogramView()));
    view->setCurrentItem(pair);
    QVERIFY(dialog.MergeButton()->isEnabled());
    const auto& links = dialog.Dendrogram().Links();
    QVERIFY(links[0].selected && !links[1].selected && !links[2].selected);
    QVERIFY(HasRed(dialog.DendrogramView()));

    // The root's right branch is a binary tree of B and D; merged, its
    // leaves hang directly below it.
    view->setCurrentItem(root);
    QVERIFY(!dialog.MergeButton()->isEnabled());
    view->setCurrentItem(root->child(1));
    dialog.MergeButton()->click();
    root = view->topLevelItem(0);
    QTreeWidgetItem* merged = root->child(1);
    QCOMPARE(merged->text(0), QStringLiteral("[2 objects]"));
    QCOMPARE(merged->childCount(), 2);
    QVERIFY(dialog.RestoreButton()->isEnabled());
    QVERIFY(!dialog.MergeButton()->isEnabled());
    dialog.RestoreButton()->click();
    QCOMPARE(view->topLevelItem(0)->child(1)->text(0), QStringLiteral("[2 objects;  D=2]"));
    QVERIFY(!dialog.RestoreButton()->isEnabled());
  }

  void oneObjectShowsOnlyTheRoot() {
    TClusterDlg dialog({}, {{"SATO_KENJI", APSFindObject("SATO_KENJI")}});
    dialog.show();
    QCOMPARE(dialog.TreeView()->topLevelItemCount(), 1);
    QCOMPARE(dialog.TreeView()->topLevelItem(0)->text(0), QStringLiteral("Root (1 objects; D=0)"));
    QCOMPARE(dialog.Dendrogram().Leaves().size(), size_t(1));
    dialog.TreeView()->setCurrentItem(dialog.TreeView()->topLevelItem(0));
    QVERIFY(!dialog.MergeButton()->isEnabled());
    QVERIFY(!dialog.DendrogramView()->grab().isNull());
  }

  void doubleClickOpensTheObject() {
    TClusterDlg dialog(PatientMerges(), Patients());
    dialog.show();
    const int32_t sato = APSFindObject("SATO_KENJI");
    int32_t shown = 0;
    WhenModal("vandro::TObjectViewDlg", [&shown](QWidget* widget) {
      auto* objectView = static_cast<TObjectViewDlg*>(widget);
      shown = objectView->ObjectId();
      objectView->reject();
    });
    dialog.OpenObject(dialog.TreeView()->topLevelItem(0)->child(0)->child(1));
    QCOMPARE(shown, sato);
    // A node that is no object opens nothing.
    dialog.OpenObject(dialog.TreeView()->topLevelItem(0));
    QVERIFY(sink->messages.empty());
  }

  void saveBranchIsListedByTheCli() {
    TClusterDlg dialog(PatientMerges(), Patients());
    dialog.show();
    dialog.TreeView()->setCurrentItem(dialog.TreeView()->topLevelItem(0)->child(0));
    WhenModal("vandro::TVariableChooserDlg", [](QWidget* widget) {
      auto* chooser = static_cast<TVariableChooserDlg*>(widget);
      CheckNames(chooser);
      // The project's variables are offered; a new name is typed.
      QVERIFY(chooser->NameBox()->findText(QStringLiteral("FEVER")) >= 0);
      QTest::keyClicks(chooser->NameBox()->lineEdit(), QStringLiteral("surgery_pair"));
      chooser->accept();
    });
    dialog.SaveButton()->click();
    QVERIFY2(sink->messages.empty(), sink->Last().c_str());
    QVERIFY(CurrentProject()->FindVariable("SURGERY_PAIR"));

    // A name that is no identifier is refused; the window stays.
    WhenModal("vandro::TVariableChooserDlg", [](QWidget* widget) {
      auto* chooser = static_cast<TVariableChooserDlg*>(widget);
      QTest::keyClicks(chooser->NameBox()->lineEdit(), QStringLiteral("2 pairs"));
      chooser->accept();
    });
    dialog.SaveButton()->click();
    QCOMPARE(sink->Last(), std::string("Variable name should be an identifier"));
    QVERIFY(dialog.isVisible());

    const QString cli = BuildDir() + QStringLiteral("/../cli/vandro-cli");
    if (!QFileInfo::exists(cli)) QSKIP("vandro-cli is not built");
    form.reset();
    CloseProject();
    QProcess run;
    run.start(cli, {QStringLiteral("vars"), project});
    QVERIFY(run.waitForFinished(20000));
    const QString out = QString::fromUtf8(run.readAllStandardOutput());
    QString line;
    for (const QString& candidate : out.split(QLatin1Char('\n')))
      if (candidate.startsWith(QStringLiteral("SURGERY_PAIR"))) line = candidate;
    QVERIFY2(line.contains(QStringLiteral("WEBER_SOFIA")) &&
                 line.contains(QStringLiteral("SATO_KENJI")) &&
                 !line.contains(QStringLiteral("UDOH_GRACE")),
             qPrintable(out));
  }

  void analysisRefusesBadInputAndStaysUsable() {
    TAnalysisDlg dialog(form.get());
    dialog.show();
    const QString none = dialog.SeriesLabel()->text();
    // Nothing to analyse yet.
    dialog.PressCluster();
    QCOMPARE(sink->Last(), std::string("Select parameters to analyse!"));
    dialog.AllParameters()->setCurrentRow(0);
    dialog.PressAdd();
    dialog.PressCluster();
    QVERIFY2(sink->Last().find("\"Select Group\"") != std::string::npos, sink->Last().c_str());
    dialog.PressClear();
    QCOMPARE(dialog.ChosenParameters()->count(), 0);
    // A query that fails, a source that is no array of objects, one object.
    const struct {
      const char* formula;
      const char* message;
    } refusals[] = {
        {"FIND ALL OBJECTS WITHIN NOWHERE",
         "CONTENT, LIST or HISTORY expected\r\nFIND ALL OBJECTS WITHIN NOWHERE???"},
        {"2 + 2", "A series should be a group or an array of objects"},
        {"FIND ALL OBJECTS WITHIN EVERYTHING CONDITION _OBJECT_NAME = 'SATO_KENJI'",
         "The number of objects in array should be at least 2"},
    };
    for (const auto& refusal : refusals) {
      sink->messages.clear();
      TValue source;
      source.SetText(vkCalculated, refusal.formula);
      QVERIFY(!dialog.DefineArray(source));
      QVERIFY2(!sink->messages.empty(), refusal.formula);
      QCOMPARE(sink->Last(), std::string(refusal.message));
      QCOMPARE(dialog.SeriesLabel()->text(), none);
    }
    QVERIFY(!dialog.SelectGroup(APSFindObject("SATO_KENJI")));
    QCOMPARE(sink->Last(), std::string("The series should be a group of objects"));

    // Collinear predictors: a calculated parameter twice the weight.
    QVERIFY(dialog.SelectGroup(APSFindObject("DISCHARGED")));
    for (const char* name : {"Height", "Weight"}) {
      dialog.AllParameters()->setCurrentItem(
          dialog.AllParameters()->findItems(QString::fromLatin1(name), Qt::MatchExactly).value(0));
      dialog.PressAdd();
    }
    dialog.CalculatedName()->setText(QStringLiteral("Double"));
    dialog.CalculatedFormula()->setText(QStringLiteral("Weight * 2"));
    dialog.PressAddCalculated();
    QCOMPARE(dialog.ChosenParameters()->count(), 3);
    dialog.Pages()->setCurrentIndex(2);
    dialog.Dependent()->setCurrentIndex(0);
    dialog.PressRegression();
    QCOMPARE(sink->Last(), std::string("Can't count regression coefficients"));
    QVERIFY(!dialog.RegressionWindow());
    // Without the copy the regression opens.
    dialog.ChosenParameters()->setCurrentRow(2);
    dialog.PressRemove();
    dialog.PressRegression();
    QVERIFY(dialog.RegressionWindow() && dialog.RegressionWindow()->isVisible());

    // A text domain cannot become numeric.
    dialog.AllParameters()->setCurrentItem(
        dialog.AllParameters()->findItems(QStringLiteral("Diagnosis"), Qt::MatchExactly).value(0));
    dialog.PressAdd();
    dialog.Pages()->setCurrentIndex(1);
    QVERIFY(sink->messages.back().find("Domain type is changed to Ordered Set.") !=
            std::string::npos);
    dialog.DomainParameters()->setCurrentRow(2);
    QCOMPARE(dialog.DomainType()->currentText(), QStringLiteral("Ordered"));
    QVERIFY(dialog.DomainGrid()->rowCount() >= 2);
    dialog.DomainType()->activated(0);
    QCOMPARE(sink->Last(), std::string("Domain contains non-numeric values.\r\n"
                                       "Type of the domain can't be changed."));
    QCOMPARE(dialog.DomainType()->currentText(), QStringLiteral("Ordered"));

    // A number of the domain grid: a bad one is refused, a good one kept.
    const QString first = Cell(dialog.DomainGrid(), 0, 0);
    dialog.DomainGrid()->item(0, 1)->setText(QStringLiteral("x1"));
    QCOMPARE(sink->Last(), std::string("Invalid real number:x1"));
    QCOMPARE(Cell(dialog.DomainGrid(), 0, 1), QStringLiteral("0"));
    dialog.DomainGrid()->item(0, 1)->setText(QStringLiteral("7.5"));
    QCOMPARE(Cell(dialog.DomainGrid(), 0, 1), QStringLiteral("7.5"));
    // A row moved keeps its number.
    dialog.MoveDomainRow(0, 1);
    QCOMPARE(Cell(dialog.DomainGrid(), 1, 0), first);
    QCOMPARE(Cell(dialog.DomainGrid(), 1, 1), QStringLiteral("7.5"));
  }

  void editDataChangesWhatTheAnalysesTake() {
    TAnalysisDlg dialog(form.get());
    dialog.show();
    QVERIFY(dialog.SelectGroup(APSFindObject("SURGERY")));
    for (const char* name : {"Weight", "Height"}) {
      dialog.AllParameters()->setCurrentItem(
          dialog.AllParameters()->findItems(QString::fromLatin1(name), Qt::MatchExactly).value(0));
      dialog.PressAdd();
    }
    QString kept;
    WhenModal("vandro::TEditDataDlg", [this, &kept](QWidget* widget) {
      auto* editor = static_cast<TEditDataDlg*>(widget);
      QTableWidget* grid = editor->Grid();
      CheckNames(editor);
      QVERIFY(editor->ReadOnlyLabel()->isVisible());
      QCOMPARE(editor->ReadOnlyLabel()->text(),
               QStringLiteral("!!!  Click Edit Data button to modify data  !!!"));
      QCOMPARE(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
      QCOMPARE(grid->columnCount(), 3);
      QCOMPARE(grid->rowCount(), 3);
      kept = Cell(grid, 0, 1);
      editor->PressEdit();
      QVERIFY(!editor->ReadOnlyLabel()->isVisible());
      QVERIFY(grid->editTriggers() != QAbstractItemView::NoEditTriggers);
      grid->item(0, 1)->setText(QStringLiteral("heavy"));
      QCOMPARE(sink->Last(), std::string("Invalid real number:heavy"));
      QCOMPARE(Cell(grid, 0, 1), kept);
      grid->item(0, 1)->setText(QStringLiteral("100"));
      editor->reject();
    });
    dialog.PressEditData();
    QVERIFY(!kept.isEmpty());
    QVERIFY(dialog.Dialog().HasEditedData());
    dialog.Pages()->setCurrentIndex(2);
    dialog.Dependent()->setCurrentText(QStringLiteral("Weight"));
    dialog.PressRegression();
    QVERIFY(dialog.RegressionWindow());
    TScatterPlot plot;
    QVERIFY(dialog.RegressionWindow()->Regression().ScatterPlot(plot));
    QCOMPARE(static_cast<double>(plot.observations[0].second), 100.0);
  }

  // Statistics: Data Mining Tools over the SURGERY ward, as a user goes:
  // "Select Group", two parameters, then both analyses.
  void dataMiningToolsRunRegressionAndClustering() {
    QAction* command = form->Command(QStringLiteral("statMining"));
    QVERIFY(command && command->isEnabled());
    bool reached = false;
    WhenModal("vandro::TAnalysisDlg", [&](QWidget* widget) {
      auto* dialog = static_cast<TAnalysisDlg*>(widget);
      WhenModal("vandro::TSelectObjectDlg", [](QWidget* select) {
        auto* chooser = static_cast<TSelectObjectDlg*>(select);
        chooser->ShowDataObjects()->setChecked(false); // the groups alone
        const int row = RowNamed(chooser->Objects(), 1, QStringLiteral("SURGERY"));
        QVERIFY(row >= 0);
        chooser->ChooseObjectRow(row);
        chooser->Ok();
      });
      dialog->PressSelectGroup();
      QCOMPARE(dialog->SeriesLabel()->text(), QStringLiteral("Group: 3 objects"));
      for (const char* name : {"Weight", "Height"}) {
        dialog->AllParameters()->setCurrentItem(
            dialog->AllParameters()
                ->findItems(QString::fromLatin1(name), Qt::MatchExactly)
                .value(0));
        dialog->PressAdd();
      }
      QCOMPARE(dialog->ChosenParameters()->count(), 2);
      dialog->Pages()->setCurrentIndex(2);
      dialog->Dependent()->setCurrentText(QStringLiteral("Weight"));
      dialog->PressRegression();
      dialog->PressCluster();
      TLRegressDlg* regression = dialog->RegressionWindow();
      TClusterDlg* cluster = dialog->ClusterWindow();
      QVERIFY(regression && regression->isVisible());
      QVERIFY(cluster && cluster->isVisible());
      QCOMPARE(Cell(regression->Grid(), 2, 0), QStringLiteral("Height"));
      QVERIFY2(regression->EstimateErrorLabel()->text().endsWith(QStringLiteral(" [kg]"),
                                                                 Qt::CaseInsensitive),
               qPrintable(regression->EstimateErrorLabel()->text()));
      QCOMPARE(cluster->TreeView()->topLevelItem(0)->text(0).left(17),
               QStringLiteral("Root (3 objects; "));
      for (QWidget* window : std::initializer_list<QWidget*>{dialog, regression, cluster})
        CheckNames(window);
      regression->ScatterPlotButton()->click();
      CheckNames(regression->Plot());
      reached = true;
      dialog->reject();
    });
    command->trigger();
    QVERIFY(reached);
    QVERIFY2(sink->messages.empty(), sink->Last().c_str());
  }
};

VANDRO_APP_TEST(MiningWindowsTest);

} // namespace vandro::apptest

#include "mining_windows_test.moc"
