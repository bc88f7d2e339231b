// Open windows follow what is stored, on a copy of the sample project: the
// object view and the group table view show a record stored while they are
// open; the Data Analysis window, holding data edited in "Edit Data", says
// "The data changed; Refresh" instead and reads the states again when asked.
#include "app/charts/chart_form.h"
#include "app/charts/chart_props_dlg.h"
#include "app/charts/sel_chart_dlg.h"
#include "app/editing/value_constructor_dlg.h"
#include "app/groups/view_group_dlg.h"
#include "app/model/object_view_dlg.h"
#include "app/shell/main_form.h"
#include "app/stats/analysis_dlg.h"
#include "app/stats/edit_data_dlg.h"
#include "app/stats/stat_dlg.h"
#include "app/storage/database_browser_form.h"
#include "app_test_support.h"
#include "model/object_set.h"
#include "model/project.h"
#include "model/record_events.h"
#include "model/state_track.h"
#include "shell/clock.h"
#include "shell/datetime.h"
#include "shell/text.h"
#include "storage/objects.h"

#include <QAction>
#include <QInputDialog>
#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTest>

namespace vandro::apptest {

class FollowRecordsTest : public TSampleProjectTest {
  Q_OBJECT

  // After the sample's last day (30 November 2026).
  TFixedClock clock{39000};
  const TClock* previousClock = nullptr;

  // A record of the object's state current at time, weighing it, as any
  // writer stores it: the open windows hear of it once it is stored.
  static int32_t StoreWeight(int32_t object, double time, const char* weight) {
    TObjectSet set;
    if (!set.Load(object)) return 0;
    TStateTrack track;
    if (!set.LatestStateAt(time, track)) return 0;
    std::vector<std::unique_ptr<TPVRelation>> pairs;
    auto pair = std::make_unique<TPVRelation>();
    pair->Parameter = CurrentProject()->FindParameter("Weight");
    pair->Value.SetPlain(weight);
    pair->Modified = true;
    pairs.push_back(std::move(pair));
    const int32_t record = track.ModifyRecord(std::move(pairs), time, TPlacement::NewVersion);
    if (record != 0) NotifyRecordsChanged(object);
    return record;
  }

private slots:
  void init() {
    QVERIFY(OpenSample());
    double now = 0;
    QVERIFY(TryTextToDateTime("03.12.2026 15:00:00", TDateStyle::European, now));
    clock.Set(now);
    previousClock = SetClock(&clock);
  }

  void cleanup() {
    SetClock(previousClock);
    CloseSample();
  }

  void theObjectViewShowsARecordStoredWhileItIsOpen() {
    const int32_t patient = APSFindObject("CHEN_WEI");
    QVERIFY(patient != 0);
    TObjectViewDlg view(form.get());
    QVERIFY(view.Open(patient));
    view.show();
    const QString before = ValueOf(view.ValuesGrid(), QStringLiteral("Weight"));
    QVERIFY(!before.isEmpty() && before != QStringLiteral("91 [kg]"));
    // An hour later: the view opened at now goes on showing now.
    clock.Advance(1.0 / 24);
    const int32_t record = StoreWeight(patient, Now(), "91 [kg]");
    QVERIFY(record != 0);
    // Another object's record is none of its business.
    QVERIFY(StoreWeight(APSFindObject("SATO_KENJI"), Now(), "60 [kg]") != 0);
    QTRY_COMPARE(ValueOf(view.ValuesGrid(), QStringLiteral("Weight")), QStringLiteral("91 [kg]"));
    QCOMPARE(view.StatesGrid()->item(0, 0)->text(), QString::number(record));
    QVERIFY(sink->messages.empty());
  }

  void theGroupTableShowsARecordOfAMemberStoredWhileItIsOpen() {
    auto* view = new TViewGroupDlg;
    QVERIFY(form->OpenChild(view));
    QVERIFY(view->Start(APSFindObject("SURGERY"), false));
    const QAbstractItemModel* grid = view->Grid()->model();
    QVERIFY(grid->rowCount() > 0);
    int weight = -1;
    for (int column = 0; column < grid->columnCount(); ++column)
      if (grid->headerData(column, Qt::Horizontal).toString() == QStringLiteral("Weight"))
        weight = column;
    QVERIFY(weight > 2);
    const QString name = grid->index(0, 1).data().toString().section(QLatin1Char('('), 0, 0);
    const int32_t member = APSFindObject(Utf8ToCp1251OrRaise(name.toStdString()));
    QVERIFY(member != 0);
    const int rows = grid->rowCount();

    // An hour later: the table opened at now goes on showing now.
    clock.Advance(1.0 / 24);
    QVERIFY(StoreWeight(member, Now(), "123 [kg]") != 0);
    const auto weightOf = [&] {
      for (int row = 0; row < grid->rowCount(); ++row)
        if (grid->index(row, 1).data().toString().section(QLatin1Char('('), 0, 0) == name)
          return grid->index(row, weight).data().toString();
      return QString();
    };
    QTRY_COMPARE(weightOf(), QStringLiteral("123 [kg]"));
    QCOMPARE(grid->rowCount(), rows);
  }

  // A series of a formula loads again; the browser reads the chosen
  // object's states again.
  void theStatisticsAndTheBrowserReadAgain() {
    const int32_t patient = APSFindObject("CHEN_WEI");
    TStatDlg statistics(form.get());
    statistics.show();
    WhenModal("vandro::TValueConstructorDlg", [](QWidget* widget) {
      auto* dialog = static_cast<TValueConstructorDlg*>(widget);
      dialog->Tabs()->setCurrentWidget(dialog->Source()->parentWidget());
      dialog->Source()->setPlainText(QStringLiteral("=HISTORYOF('CHEN_WEI').Weight"));
      WhenModal("QInputDialog",
                [](QWidget* prompt) { static_cast<QInputDialog*>(prompt)->accept(); });
      dialog->accept();
    });
    statistics.AddButton()->click();
    QCOMPARE(statistics.Dialog().Count(), 1);
    const int count = statistics.Dialog().Series(0).Count();

    TDatabaseBrowserForm browser(form.get());
    browser.show();
    QTableWidget* objects = browser.ObjectsGrid();
    bool chosen = false;
    for (int position = 0; !chosen; position += browser.ScrollBar()->pageStep()) {
      browser.ScrollBar()->setValue(std::min(position, browser.ScrollBar()->maximum()));
      for (int row = 0; row < objects->rowCount() && !chosen; ++row)
        if (objects->item(row, 1) && objects->item(row, 1)->text() == QStringLiteral("CHEN_WEI")) {
          objects->setCurrentCell(row, 1);
          chosen = true;
        }
      if (position >= browser.ScrollBar()->maximum()) break;
    }
    QVERIFY(chosen);
    QVERIFY(ValueOf(browser.ValuesGrid(), QStringLiteral("Weight")) != QStringLiteral("92 [kg]"));

    clock.Advance(1.0 / 24);
    QVERIFY(StoreWeight(patient, Now(), "92 [kg]") != 0);
    QTRY_COMPARE(statistics.Dialog().Series(0).Count(), count + 1);
    QTRY_COMPARE(ValueOf(browser.ValuesGrid(), QStringLiteral("Weight")),
                 QStringLiteral("92 [kg]"));
    QCOMPARE(browser.Browser().SelectedObject(), patient);
  }

  // A chart's series fills again from its formula.
  void anOpenChartFillsAgain() {
    WhenModal("QInputDialog", [](QWidget* window) {
      static_cast<QInputDialog*>(window)->setTextValue(QStringLiteral("Weights"));
      static_cast<QInputDialog*>(window)->accept();
    });
    WhenModal("vandro::TSelChartDlg", [](QWidget* window) {
      static_cast<TSelChartDlg*>(window)->Button(QStringLiteral("New"))->click();
    });
    form->Command(QStringLiteral("projCharts"))->trigger();
    QMdiSubWindow* active = form->Area()->activeSubWindow();
    auto* chart = active ? qobject_cast<TChartForm*>(active->widget()) : nullptr;
    QVERIFY(chart);
    WhenModal("vandro::TChartPropsDlg", [](QWidget* window) {
      auto* props = static_cast<TChartPropsDlg*>(window);
      for (QPushButton* button : props->findChildren<QPushButton*>())
        if (button->text() == QStringLiteral("New")) button->click();
      props->ShowPage(TChartPropsPage::SeriesDetails, 0);
      TValue source;
      source.SetText(vkCalculated, "HISTORYOF('CHEN_WEI').Weight");
      props->SetSource(TChartSource::Y, source);
      props->accept();
    });
    chart->ShowProperties(TChartPropsPage::Series);
    const auto points = [chart] { return chart->Document().Chart().Series.at(0).Points.size(); };
    const size_t before = points();
    QVERIFY(before > 0);
    QVERIFY(StoreWeight(APSFindObject("CHEN_WEI"), Now() - 1.0 / 48, "93 [kg]") != 0);
    QTRY_COMPARE(points(), before + 1);
    QCOMPARE(chart->Document().Chart().Series.at(0).Points.back().Y, 93.0);
    sink->Answer(false); // the chart is not kept when the window closes
  }

  void editedDataAreKeptAndTheWindowSaysTheDataChanged() {
    TAnalysisDlg dialog(form.get());
    dialog.show();
    const int32_t surgery = APSFindObject("SURGERY");
    QVERIFY(dialog.SelectGroup(surgery));
    for (const char* name : {"Weight", "Height"}) {
      dialog.AllParameters()->setCurrentItem(
          dialog.AllParameters()->findItems(QString::fromLatin1(name), Qt::MatchExactly).value(0));
      dialog.PressAdd();
    }
    QLabel* line = dialog.DataChangedLine();
    QCOMPARE(line->accessibleName(), QStringLiteral("The data changed; Refresh"));
    QVERIFY(line->text().contains(QStringLiteral("The data changed; Refresh")));
    QVERIFY(!line->isVisible());

    // Without edits a record stored is read at once.
    const int32_t member = dialog.Dialog().Analysis().Objects().front().id;
    QVERIFY(StoreWeight(member, Now(), "77 [kg]") != 0);
    std::vector<std::vector<std::string>> cells;
    QTRY_VERIFY(dialog.Dialog().DataCells(cells) && cells.front().at(1) == "77");
    QVERIFY(!line->isVisible());

    WhenModal("vandro::TEditDataDlg", [](QWidget* widget) {
      auto* editor = static_cast<TEditDataDlg*>(widget);
      editor->PressEdit();
      editor->Grid()->item(0, 1)->setText(QStringLiteral("100"));
      editor->reject();
    });
    dialog.PressEditData();
    QVERIFY(dialog.Dialog().HasEditedData());

    // With them, the window says so and keeps them until the user chooses.
    clock.Advance(1.0 / 24);
    QVERIFY(StoreWeight(member, Now(), "78 [kg]") != 0);
    QTRY_VERIFY(line->isVisible());
    QVERIFY(dialog.Dialog().HasEditedData());
    QVERIFY(dialog.Dialog().DataCells(cells));
    QCOMPARE(cells.front().at(1), std::string("100"));

    emit line->linkActivated(QStringLiteral("refresh"));
    QVERIFY(!line->isVisible());
    QVERIFY(!dialog.Dialog().HasEditedData());
    QVERIFY(dialog.Dialog().DataCells(cells));
    QCOMPARE(cells.front().at(1), std::string("78"));
  }
};

VANDRO_APP_TEST(FollowRecordsTest);

} // namespace vandro::apptest

#include "follow_records_test.moc"
