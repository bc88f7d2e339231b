// The unit list on the sample project, reached from Project: Units: a unit
// that the project's stored values, defaults, variables and template lines
// name cannot be deleted there.
#include "app/shell/main_form.h"
#include "app/values/unit_list_dlg.h"
#include "app_test_support.h"
#include "editing/unit_list.h"
#include "model/project.h"
#include "values/units.h"

#include <QAction>
#include <QComboBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

namespace vandro::apptest {

class UnitWindowsTest : public TSampleProjectTest {
  Q_OBJECT

  static int RowOf(const QTableWidget* table, const QString& unitName) {
    for (int row = 0; row < table->rowCount(); ++row)
      if (table->item(row, ulName)->text() == unitName) return row;
    return -1;
  }

private slots:
  void init() { QVERIFY(OpenSample(false)); }

  void cleanup() { CloseSample(); }

  void aUnitTheProjectsValuesUseIsNotDeleted() {
    // Pulses and their limits are in bpm, oxygen saturation in pct: both
    // units of the project's own, named only by values.
    for (const char* name : {"BeatsPerMinute", "percent"}) {
      const QString unit = QString::fromLatin1(name);
      sink->messages.clear();
      sink->questions.clear();
      bool listed = false;
      WhenModal("vandro::TUnitListDlg", [&](QWidget* widget) {
        auto* list = static_cast<TUnitListDlg*>(widget);
        QCOMPARE(list->CategoryFilter()->currentIndex(), 0); // (AllCategories)
        const int row = RowOf(list->Table(), unit);
        QVERIFY(row >= 0);
        list->Table()->selectRow(row);
        QVERIFY(list->DeleteButton()->isEnabled());
        list->DeleteButton()->click();
        // Refused before the question of a deletion.
        QCOMPARE(sink->messages,
                 std::vector<std::string>{
                     "You can't delete the unit because the project's values use it"});
        QVERIFY(sink->questions.empty());
        list->RefreshButton()->click();
        listed = RowOf(list->Table(), unit) >= 0;
        list->OkButton()->click();
      });
      form->Command(QStringLiteral("projUnits"))->trigger();
      QVERIFY2(listed, name);
      QVERIFY2(CurrentProject()->Units().NormalFormOf(name), name);
    }
  }
};

VANDRO_APP_TEST(UnitWindowsTest);

} // namespace vandro::apptest

#include "unit_windows_test.moc"
