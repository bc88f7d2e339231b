// A correction made with Edit Record leaves a trace the windows see: the
// object view known at a moment before it shows the record as it was, and
// Records: Rollback to such a moment brings that back.
#include "app/editing/create_record_dlg.h"
#include "app/groups/rollback_dlg.h"
#include "app/model/moment_picker.h"
#include "app/model/object_view_dlg.h"
#include "app/shell/main_form.h"
#include "app_test_support.h"
#include "model/object_set.h"
#include "model/project.h"
#include "model/state_track.h"
#include "shell/child_windows.h"
#include "shell/clock.h"
#include "shell/datetime.h"
#include "storage/objects.h"

#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include <memory>

namespace vandro::apptest {

class CorrectionWindowsTest : public TSampleProjectTest {
  Q_OBJECT

  // CHICK_1 weighed 90 g on 10 January and 93 g on 11 January, stored at
  // 09:00 on the 12th; the 93 g is corrected to 95 g at 10:00.
  const double stored = Moment("12.01.2027 09:00:00");
  const double beforeEdit = Moment("12.01.2027 09:30:00");
  TFixedClock clock{stored};
  const TClock* previousClock = nullptr;
  int32_t chick = 0;

  void Weigh(double day, const char* weight) {
    TObjectSet set;
    QVERIFY(set.Load(chick));
    TStateTrack track;
    set.LatestStateAt(day, track);
    std::vector<std::unique_ptr<TPVRelation>> pairs;
    auto pair = std::make_unique<TPVRelation>();
    pair->Parameter = CurrentProject()->FindParameter("Weight");
    pair->Value.SetPlain(weight);
    pair->Modified = true;
    pairs.push_back(std::move(pair));
    QVERIFY(track.ModifyRecord(std::move(pairs), day) != 0);
  }

  // The weight the object view shows, known at the moment (now without one).
  QString WeightShown(std::optional<double> knownAt) {
    TObjectViewDlg view(form.get());
    if (!view.Open(chick)) return QStringLiteral("not opened");
    view.KnownAt()->SetMoment(knownAt.value_or(Now()));
    view.RefreshButton()->click();
    const QTableWidget* grid = view.ValuesGrid();
    const int row = RowNamed(grid, 0, QStringLiteral("Weight"));
    return row < 0 ? QString() : grid->item(row, 1)->text();
  }

private slots:
  void init() {
    QVERIFY(OpenSample());
    clock.Set(stored);
    previousClock = SetClock(&clock);
    chick = APSCreateObject("CHICK_1");
    Weigh(Moment("10.01.2027 00:00:00"), "90 [g]");
    Weigh(Moment("11.01.2027 00:00:00"), "93 [g]");
    clock.Set(Moment("12.01.2027 10:00:00"));
  }

  void cleanup() {
    SetClock(previousClock);
    CloseSample();
  }

  void editRecordKeepsTheWeightItCorrected() {
    {
      // Edit Record from the object view takes the state it shows, the
      // latest: 11 January.
      TObjectViewDlg view(form.get());
      QVERIFY(view.Open(chick));
      view.show();
      view.EditRecordButton()->click();
    }
    const auto& dialogs = form->Children().List(TChildKind::RecordDialog);
    QCOMPARE(dialogs.size(), size_t(1));
    auto* dialog = static_cast<TCreateRecordDlg*>(dialogs.front());
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Edit Record: CHICK_1"));
    QTableWidget* grid = dialog->Grid();
    const int row = RowNamed(grid, rcParameter, QStringLiteral("Weight"));
    QVERIFY(row >= 0);
    QCOMPARE(grid->item(row, rcValue)->text(), QStringLiteral("93 [g]"));
    grid->setCurrentCell(row, rcValue);
    QCoreApplication::processEvents();
    grid->item(row, rcValue)->setText(QStringLiteral("95 [g]"));
    QCoreApplication::processEvents();
    sink->Answer(true); // store the record
    dialog->PressOk();
    QCoreApplication::processEvents();
    QCOMPARE(form->Children().Count(TChildKind::RecordDialog), 0);
    clock.Set(Moment("12.01.2027 11:00:00"));

    QCOMPARE(WeightShown(std::nullopt), QStringLiteral("95 [g]"));
    QCOMPARE(WeightShown(beforeEdit), QStringLiteral("93 [g]"));
    QCOMPARE(WeightShown(Moment("12.01.2027 10:00:00")), QStringLiteral("95 [g]"));

    TRollbackDlg& rollback = TRollbackDlg::Instance(*form);
    WhenModal("vandro::TRollbackDlg", [this](QWidget* widget) {
      auto* window = static_cast<TRollbackDlg*>(widget);
      window->Moment()->SetMoment(beforeEdit);
      QTRY_COMPARE(window->CountLabel()->text(),
                   QStringLiteral("1 records corrected after this moment will get back their "
                                  "values"));
      window->OkButton()->click();
    });
    sink->Answer(true);
    QCOMPARE(rollback.Run(), 0);
    QVERIFY(sink->questions.back().find("and 1 records corrected after it get back the values "
                                        "they had then. Are you sure?") != std::string::npos);
    QVERIFY(sink->Last().starts_with("0 records were deleted\r\n1 records got back their "
                                     "earlier values\r\n"));
    QCOMPARE(WeightShown(std::nullopt), QStringLiteral("93 [g]"));
  }
};

VANDRO_APP_TEST(CorrectionWindowsTest);

} // namespace vandro::apptest

#include "correction_windows_test.moc"
