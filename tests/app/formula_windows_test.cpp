// Formulas that read other objects' states give in every window what
// vandro-cli eval gives for the same project: the statistics window's series,
// data mining's calculated parameters, the group table's calculated columns,
// a chart's series and the value constructor's "Evaluate". The engine is the
// one the test program started as the desktop program starts it.
#include "app/charts/chart_form.h"
#include "app/charts/chart_props_dlg.h"
#include "app/charts/sel_chart_dlg.h"
#include "app/editing/value_constructor_dlg.h"
#include "app/groups/view_group_dlg.h"
#include "app/shell/main_form.h"
#include "app/stats/analysis_dlg.h"
#include "app/stats/stat_dlg.h"
#include "app_test_support.h"
#include "cli.h"
#include "model/object_set.h"
#include "model/state_track.h"
#include "shell/clock.h"
#include "shell/settings.h"
#include "stats/analysis_dialog.h"
#include "stats/series.h"
#include "storage/objects.h"
#include "storage/project_lifecycle.h"

#include <QAction>
#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

#include <map>
#include <sstream>

namespace vandro::apptest {

namespace {

// Weights read from other states, as arrays.
const std::vector<std::string> kArrays = {
    "HISTORYOF('CHICK_2').Weight",
    "EXECUTE('FIND ALL OBJECTS WITHIN EVERYTHING CONDITION Weight > 42 [g]').Weight",
    "CONTENTOF('DIET_1').Weight",
};

// Per state: its own weight and weights read elsewhere, so that each member
// of the group gets a value of its own.
const std::vector<std::string> kScalars = {
    "Weight + SUM(HISTORYOF('CHICK_2').Weight)",
    "Weight + SUM(EXECUTE('FIND ALL OBJECTS WITHIN EVERYTHING CONDITION Weight > 42 [g]').Weight)",
    "Weight + SUM(CONTENTOF('DIET_1').Weight)",
    "Weight + ACTUALSTATE('CHICK_1', '02.01.2026 00:00:00').Weight",
    "Weight + OBJECT('CHICK_3').Weight",
};

const std::vector<std::string> kMembers = {"CHICK_1", "CHICK_2"};

// The numbers of a value's text in order: "[2](40 [g],49 [g])" gives 40, 49.
std::vector<double> Numbers(const QString& text) {
  static const QRegularExpression number(QStringLiteral("(-?\\d+(?:\\.\\d+)?) \\["));
  std::vector<double> numbers;
  for (auto match = number.globalMatch(text); match.hasNext();)
    numbers.push_back(match.next().captured(1).toDouble());
  return numbers;
}

// What vandro-cli prints, run in-process as the tests of the commands run it.
QString Cli(const std::vector<std::string>& args) {
  std::istringstream in;
  std::ostringstream out, err;
  const int status = cli::RunCli(args, {in, out, err, false});
  if (status != cli::kExitOk)
    qWarning("vandro-cli %s: %s", args.front().c_str(), err.str().c_str());
  return QString::fromStdString(out.str()).trimmed();
}

QString Text(const std::string& text) {
  return QString::fromStdString(text);
}

// Types source on the "Calculated" page of the next value constructor and
// accepts it.
void NextValueIs(const std::string& source) {
  WhenModal("vandro::TValueConstructorDlg", [source](QWidget* widget) {
    auto* dialog = static_cast<TValueConstructorDlg*>(widget);
    dialog->Tabs()->setCurrentWidget(dialog->Source()->parentWidget());
    dialog->Source()->setPlainText(Text(source));
    dialog->accept();
  });
}

} // namespace

class FormulaWindowsTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  std::string project_;
  // What vandro-cli eval gives: per array formula, and per member and
  // scalar formula on the member's current state.
  std::vector<QString> arrays_;
  std::map<std::string, std::vector<QString>> scalars_;

  std::unique_ptr<TRecordingSink> sink_;
  std::unique_ptr<TSettings> settings_;
  std::unique_ptr<TMainForm> form_;

  QString Messages() const {
    QString all;
    for (const std::string& message : sink_->messages)
      all += Text(message) + QLatin1Char('\n');
    return all;
  }

private slots:
  // Three chicks weighed twice or once, two of them on a diet, made and
  // asked by vandro-cli.
  void initTestCase() {
    project_ = dir_.filePath(QStringLiteral("Chicks.vdp")).toStdString();
    Cli({"new", project_});
    Cli({"param", "add", project_, "Weight"});
    const std::vector<std::vector<std::string>> records = {
        {"CHICK_1", "--new", "--at", "01.01.2026", "Weight=42 [g]"},
        {"CHICK_1", "--at", "03.01.2026", "Weight=51 [g]"},
        {"CHICK_2", "--new", "--at", "01.01.2026", "Weight=40 [g]"},
        {"CHICK_2", "--at", "03.01.2026", "Weight=49 [g]"},
        {"CHICK_3", "--new", "--at", "01.01.2026", "Weight=43 [g]"},
    };
    for (const auto& record : records) {
      std::vector<std::string> args{"record", project_};
      args.insert(args.end(), record.begin(), record.end());
      QVERIFY(!Cli(args).isEmpty());
    }
    QVERIFY(!Cli({"group", project_, "DIET_1", "--new", "--at", "04.01.2026", "--add", "CHICK_1",
                  "--add", "CHICK_2"})
                 .isEmpty());
    for (const std::string& formula : kArrays)
      arrays_.push_back(Cli({"eval", "--project", project_, formula}));
    for (const std::string& member : kMembers)
      for (const std::string& formula : kScalars)
        scalars_[member].push_back(
            Cli({"eval", "--project", project_, "--object", member, formula}));
    // The answers the windows are held to.
    QCOMPARE(arrays_[0], QStringLiteral("[2](40 [g],49 [g])"));
    QCOMPARE(Numbers(arrays_[1]), (std::vector<double>{51, 49, 43}));
    QCOMPARE(Numbers(arrays_[2]), (std::vector<double>{51, 49}));
    QCOMPARE(scalars_["CHICK_1"][3], QStringLiteral("93 [G]"));
    QCOMPARE(scalars_["CHICK_2"][4], QStringLiteral("92 [G]"));
  }

  void init() {
    sink_ = std::make_unique<TRecordingSink>();
    settings_ = std::make_unique<TSettings>();
    settings_->Load(dir_.filePath(QStringLiteral("config.vd")).toStdString());
    form_ = std::make_unique<TMainForm>(*settings_);
    form_->resize(900, 700);
    form_->show();
    QVERIFY(form_->OpenProjectAt(Text(project_)));
  }

  void cleanup() {
    form_.reset();
    CloseProject();
    settings_.reset();
    sink_.reset();
  }

  void theStatisticsWindowsSeries() {
    TStatDlg dialog(form_.get());
    dialog.show();
    for (size_t i = 0; i < kArrays.size(); ++i) {
      NextValueIs("=" + kArrays[i]);
      WhenModal("QInputDialog", [i](QWidget* prompt) {
        auto* input = static_cast<QInputDialog*>(prompt);
        input->setTextValue(QStringLiteral("S%1").arg(i));
        input->accept();
      });
      dialog.AddButton()->click();
    }
    QVERIFY2(sink_->messages.empty(), qPrintable(Messages()));
    QCOMPARE(dialog.SeriesGrid()->rowCount(), static_cast<int>(kArrays.size()));
    for (size_t i = 0; i < kArrays.size(); ++i) {
      const TStatSeries& series = dialog.Dialog().Series(static_cast<int>(i));
      QCOMPARE(series.Kind, skNumeric);
      QCOMPARE(Text(series.UnitText), QStringLiteral("g"));
      const std::vector<double> numbers(series.Numbers.begin(), series.Numbers.end());
      QCOMPARE(numbers, Numbers(arrays_[i]));
    }
  }

  void dataMiningsCalculatedParameters() {
    TAnalysisDlg dialog(form_.get());
    dialog.show();
    QVERIFY(dialog.SelectGroup(APSFindObject("DIET_1")));
    for (size_t i = 0; i < kScalars.size(); ++i) {
      dialog.CalculatedName()->setText(QStringLiteral("F%1").arg(i));
      dialog.CalculatedFormula()->setText(Text(kScalars[i]));
      dialog.PressAddCalculated();
    }
    TDataAnalysis& analysis = dialog.Dialog().Analysis();
    QCOMPARE(analysis.ParamCount(), static_cast<int>(kScalars.size()));
    TDataTable table;
    QVERIFY2(analysis.BuildTable(table), qPrintable(Messages()));
    const std::vector<std::string> names = analysis.ObjectNames();
    QCOMPARE(names.size(), kMembers.size());
    for (size_t row = 0; row < names.size(); ++row) {
      const std::string member = names[row].substr(0, names[row].find(' '));
      QVERIFY2(scalars_.count(member), member.c_str());
      for (size_t i = 0; i < kScalars.size(); ++i)
        QCOMPARE(static_cast<double>(table[row][i + 1]), Numbers(scalars_[member][i]).at(0));
    }
  }

  void theGroupTablesCalculatedColumns() {
    auto* view = new TViewGroupDlg;
    QVERIFY(form_->OpenChild(view));
    QVERIFY(view->Start(APSFindObject("DIET_1"), false));
    QLineEdit* name = nullptr;
    for (QLineEdit* edit : view->findChildren<QLineEdit*>())
      if (edit->accessibleName() == QStringLiteral("Name:")) name = edit;
    QVERIFY(name);
    for (size_t i = 0; i < kScalars.size(); ++i) {
      name->setText(QStringLiteral("F%1").arg(i));
      NextValueIs(kScalars[i]);
      view->PressFormula();
      view->PressAddCalculated();
    }
    const QAbstractItemModel* grid = view->Grid()->model();
    QCOMPARE(grid->rowCount(), static_cast<int>(kMembers.size()));
    for (int row = 0; row < grid->rowCount(); ++row) {
      const std::string member =
          grid->index(row, 1).data().toString().section(QLatin1Char('('), 0, 0).toStdString();
      QVERIFY2(scalars_.count(member), member.c_str());
      for (size_t i = 0; i < kScalars.size(); ++i) {
        int column = -1;
        for (int c = 0; c < grid->columnCount(); ++c)
          if (grid->headerData(c, Qt::Horizontal).toString() == QStringLiteral("F%1").arg(i))
            column = c;
        QVERIFY(column > 2);
        QCOMPARE(grid->index(row, column).data().toString(), scalars_[member][i]);
      }
    }
    QVERIFY2(sink_->messages.empty(), qPrintable(Messages()));
  }

  void aChartsSeries() {
    WhenModal("QInputDialog", [](QWidget* window) {
      auto* input = static_cast<QInputDialog*>(window);
      input->setTextValue(QStringLiteral("Weights"));
      input->accept();
    });
    WhenModal("vandro::TSelChartDlg", [](QWidget* window) {
      static_cast<TSelChartDlg*>(window)->Button(QStringLiteral("New"))->click();
    });
    form_->Command(QStringLiteral("projCharts"))->trigger();
    QMdiSubWindow* active = form_->Area()->activeSubWindow();
    auto* chart = active ? qobject_cast<TChartForm*>(active->widget()) : nullptr;
    QVERIFY(chart);
    WhenModal("vandro::TChartPropsDlg", [](QWidget* window) {
      auto* props = static_cast<TChartPropsDlg*>(window);
      QPushButton* add = nullptr;
      for (QPushButton* button : props->findChildren<QPushButton*>())
        if (button->text() == QStringLiteral("New")) add = button;
      QVERIFY(add);
      for (size_t i = 0; i < kArrays.size(); ++i)
        add->click();
      for (size_t i = 0; i < kArrays.size(); ++i) {
        props->ShowPage(TChartPropsPage::SeriesDetails, static_cast<int>(i));
        TValue source;
        source.SetText(vkCalculated, kArrays[i]);
        props->SetSource(TChartSource::Y, source);
      }
      props->accept();
    });
    chart->ShowProperties(TChartPropsPage::Series);
    const TChartDefinition& definition = chart->Document().Chart();
    QCOMPARE(definition.Series.size(), kArrays.size());
    for (size_t i = 0; i < kArrays.size(); ++i) {
      std::vector<double> ys;
      for (const TChartPoint& point : definition.Series[i].Points)
        ys.push_back(point.Y);
      QCOMPARE(ys, Numbers(arrays_[i]));
    }
    QVERIFY2(sink_->messages.empty(), qPrintable(Messages()));
    sink_->Answer(false); // not kept when the window closes
  }

  void theValueConstructorsEvaluate() {
    for (const std::string& member : kMembers) {
      TObjectSet set;
      QVERIFY(set.Load(APSFindObject(member)));
      TStateTrack track;
      QVERIFY(set.LatestStateAt(Now(), track));
      track.ConstructState();
      TValue value;
      TValueConstructorDlg constructor(value, track.State.get(), vpAll, vpCalculated, QString());
      for (size_t i = 0; i < kScalars.size(); ++i) {
        constructor.Source()->setPlainText(Text(kScalars[i]));
        constructor.EvaluateButton()->click();
        QCOMPARE(constructor.CheckResult()->toPlainText(), scalars_[member][i]);
      }
    }
  }
};

VANDRO_APP_TEST(FormulaWindowsTest);

} // namespace vandro::apptest

#include "formula_windows_test.moc"
