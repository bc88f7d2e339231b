// The comparison window as the object view opens it: "Compare..." asks
// "Select Object" for the second state and shows both side by side, the
// changed rows marked.
#include "app/editing/select_object_dlg.h"
#include "app/model/compare_dlg.h"
#include "app/model/object_view_dlg.h"
#include "app/shell/main_form.h"
#include "app_test_support.h"
#include "language/executor.h"
#include "language/record_evaluation.h"
#include "model/object_set.h"
#include "model/project.h"
#include "model/state_track.h"
#include "shell/settings.h"
#include "storage/objects.h"
#include "storage/project_lifecycle.h"

#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include <memory>

namespace vandro::apptest {

class CompareTest : public TSampleProjectTest {
  Q_OBJECT

  static int RowNamed(QTableWidget* grid, int column, const QString& name) {
    for (int row = 0; row < grid->rowCount(); ++row)
      if (grid->item(row, column) && grid->item(row, column)->text() == name) return row;
    return -1;
  }

  // A new object with one state of these parameters and values.
  static int32_t Patient(const char* name,
                         std::vector<std::pair<const char*, const char*>> values) {
    const int32_t id = APSCreateObject(name);
    TObjectSet set;
    if (!set.Load(id)) return 0;
    TStateTrack track;
    track.SetRootPath(set, 0);
    std::vector<std::unique_ptr<TPVRelation>> pairs;
    for (const auto& [parameter, text] : values) {
      auto pair = std::make_unique<TPVRelation>();
      pair->Parameter = CurrentProject()->FindParameter(parameter);
      pair->Value.SetPlain(text);
      pair->Modified = true;
      pairs.push_back(std::move(pair));
    }
    return track.ModifyRecord(std::move(pairs), 40000) != 0 ? id : 0;
  }

private slots:
  void init() { QVERIFY(OpenSample(false)); }

  void cleanup() { CloseSample(); }

  void compareOpensTheSecondStateThroughSelectObject() {
    const int32_t first = Patient("AAA_FIRST", {{"Temperature", "36.6 [C]"}, {"Pulse", "70"}});
    QVERIFY(first != 0);
    QVERIFY(Patient("AAA_SECOND", {{"Temperature", "311.15 [K]"}, {"Pulse", "70"}}) != 0);
    TObjectViewDlg view;
    QVERIFY(view.Open(first));
    QVERIFY(view.CompareButton());
    QCOMPARE(view.CompareButton()->text(), QStringLiteral("Compare..."));

    WhenModal("vandro::TSelectObjectDlg", [](QWidget* widget) {
      auto* dialog = static_cast<TSelectObjectDlg*>(widget);
      const int row = RowNamed(dialog->Objects(), 1, QStringLiteral("AAA_SECOND"));
      QVERIFY(row >= 0);
      dialog->Objects()->setCurrentCell(row, 1);
      dialog->OkButton()->click();
      QTableWidget* states = dialog->States();
      QVERIFY(states->rowCount() > 0);
      const QRect cell = states->visualRect(states->model()->index(0, 1));
      QTest::mouseClick(states->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
      dialog->OkButton()->click();
    });
    bool shown = false;
    WhenModal("vandro::TCompareDlg", [&](QWidget* widget) {
      auto* dialog = static_cast<TCompareDlg*>(widget);
      QTableWidget* grid = dialog->Grid();
      QCOMPARE(grid->columnCount(), 6);
      QVERIFY(grid->horizontalHeaderItem(1)->text().startsWith(QStringLiteral("AAA_FIRST, #")));
      QVERIFY(grid->horizontalHeaderItem(2)->text().startsWith(QStringLiteral("AAA_SECOND, #")));
      const int temperature = RowNamed(grid, 0, QStringLiteral("Temperature"));
      const int pulse = RowNamed(grid, 0, QStringLiteral("Pulse"));
      QVERIFY(temperature >= 0 && pulse >= 0);
      QCOMPARE(grid->item(temperature, 3)->text(), QStringLiteral("1.4 [C]"));
      QVERIFY(dialog->Marked(temperature));
      QVERIFY(grid->item(temperature, 0)->font().bold());
      QVERIFY(!dialog->Marked(pulse));
      QVERIFY(!grid->item(pulse, 0)->font().bold());
      QCOMPARE(dialog->Summary()->text(), QStringLiteral("1 of 2 parameters changed"));
      shown = true;
      dialog->reject();
    });
    view.CompareButton()->click();
    QTRY_VERIFY(shown);
  }

  // Cancel in "Select Object" compares nothing and says nothing.
  void cancelShowsNoComparison() {
    const int32_t first = Patient("AAA_FIRST", {{"Pulse", "70"}});
    TObjectViewDlg view;
    QVERIFY(view.Open(first));
    WhenModal("vandro::TSelectObjectDlg",
              [](QWidget* widget) { static_cast<QDialog*>(widget)->reject(); });
    const size_t messages = sink->messages.size();
    view.CompareButton()->click();
    QCOMPARE(sink->messages.size(), messages);
  }
};

VANDRO_APP_TEST(CompareTest);

} // namespace vandro::apptest

#include "compare_test.moc"
