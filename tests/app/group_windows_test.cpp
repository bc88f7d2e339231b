// The group dialog and the rollback window end to end on a copy of the
// sample project, opened as the main window's commands open them: a group
// made in the dialog (objects, a marked state and a query's hit) that
// vandro-cli then counts, a new state and an edit of a group, and a
// rollback answered from the window.
#include "app/editing/select_object_dlg.h"
#include "app/editing/value_constructor_dlg.h"
#include "app/groups/group_commands.h"
#include "app/groups/new_group_dlg.h"
#include "app/groups/rollback_dlg.h"
#include "app/model/moment_picker.h"
#include "app/model/object_view_dlg.h"
#include "app/shell/main_form.h"
#include "app_test_support.h"
#include "language/record_evaluation.h"
#include "model/object_set.h"
#include "model/project.h"
#include "model/state_track.h"
#include "shell/child_windows.h"
#include "shell/clock.h"
#include "shell/settings.h"
#include "storage/objects.h"
#include "storage/project_lifecycle.h"
#include "storage/session.h"

#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

#include <cmath>
#include <memory>

namespace vandro::apptest {

class GroupWindowsTest : public TSampleProjectTest {
  Q_OBJECT

  int32_t one = 0, two = 0, three = 0, group = 0;
  int32_t twoRecord = 0, groupRecord = 0;

  static int RowNamed(QTableWidget* grid, const QString& name) {
    for (int row = 0; row < grid->rowCount(); ++row)
      if (grid->item(row, 1) && grid->item(row, 1)->text() == name) return row;
    return -1;
  }

  // "Select Object": the object by name and OK; with a state row, that
  // state is marked on the "States" page first.
  static void Choose(const QString& name, int stateRow = -1) {
    WhenModal("vandro::TSelectObjectDlg", [name, stateRow](QWidget* widget) {
      auto* dialog = static_cast<TSelectObjectDlg*>(widget);
      const int row = RowNamed(dialog->Objects(), name);
      QVERIFY(row >= 0);
      dialog->ChooseObjectRow(row);
      if (stateRow >= 0) {
        dialog->Tabs()->setCurrentIndex(1);
        QVERIFY(dialog->States()->rowCount() > stateRow);
        dialog->ClickState(stateRow, false);
      }
      dialog->Ok();
    });
  }

  int32_t StoreValue(int32_t object, const char* parameter, const char* value) {
    TObjectSet set;
    if (!set.Load(object)) return 0;
    TStateTrack track;
    track.SetRootPath(set, 0);
    std::vector<std::unique_ptr<TPVRelation>> pairs;
    auto pair = std::make_unique<TPVRelation>();
    pair->Parameter = CurrentProject()->FindParameter(parameter);
    pair->Value.SetPlain(value);
    pair->Modified = true;
    pairs.push_back(std::move(pair));
    return track.ModifyRecord(std::move(pairs), 40000);
  }

  static QStringList Lines(QListWidget* list) {
    QStringList lines;
    for (int row = 0; row < list->count(); ++row)
      lines << list->item(row)->text();
    return lines;
  }

  int GroupDialogs() const { return form->Children().Count(TChildKind::GroupDialog); }

  // Every control a user reaches carries a name for screen readers.
  static void CheckNames(QWidget* window) {
    for (QWidget* widget : window->findChildren<QWidget*>()) {
      const bool control =
          (widget->inherits("QAbstractItemView") && !widget->inherits("QHeaderView")) ||
          widget->inherits("QPlainTextEdit") || widget->inherits("QLineEdit") ||
          widget->inherits("QAbstractSpinBox") || widget->inherits("QAbstractButton");
      if (!control || qobject_cast<QAbstractSpinBox*>(widget->parentWidget()) ||
          widget->inherits("QTabBar") || widget->parentWidget()->inherits("QTabBar"))
        continue;
      QVERIFY2(!widget->accessibleName().isEmpty(), widget->metaObject()->className());
    }
  }

private slots:
  void init() {
    QVERIFY(OpenSample());
    // Objects that sort first in the object list.
    one = APSCreateObject("AAA_ONE");
    two = APSCreateObject("AAA_TWO");
    three = APSCreateObject("AAA_THREE");
    QVERIFY(StoreValue(one, "Pulse", "70 [bpm]"));
    twoRecord = StoreValue(two, "Pulse", "80 [bpm]");
    QVERIFY(StoreValue(three, "Pulse", "90 [bpm]"));
    group = APSCreateObject("AAA_GROUP");
    TObjectSet set;
    QVERIFY(set.Load(group));
    TStateTrack track;
    track.SetRootPath(set, 0);
    std::vector<TValue::Ptr> added;
    added.push_back(TValue::Create("test"));
    added.back()->SetText(vkObject, std::to_string(one));
    groupRecord = track.ModifyGroup(added, {}, 40000);
    QVERIFY(groupRecord);
  }

  void cleanup() { CloseSample(); }

  void aGroupMadeInTheDialogIsWhatTheCliCounts() {
    TNewGroupDlg* dialog = OpenNewGroup(*form);
    QVERIFY(dialog);
    QCOMPARE(GroupDialogs(), 1);
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Create New Group"));
    QVERIFY(dialog->NameEdit()->text().startsWith(QStringLiteral("GROUP_")));
    QVERIFY(dialog->TerminateButton()->isHidden());
    QVERIFY(dialog->IndexCheck()->isChecked());
    CheckNames(dialog);

    dialog->NameEdit()->clear();
    QTest::keyClicks(dialog->NameEdit(), QStringLiteral("Test Ward"));
    QTest::keyClick(dialog->NameEdit(), Qt::Key_Return);
    QCOMPARE(dialog->RecordNameEdit()->text(), QStringLiteral("Test Ward[1]"));

    // An object, then a marked state of another: a reference to that state.
    Choose(QStringLiteral("AAA_ONE"));
    dialog->PressAddObject();
    Choose(QStringLiteral("AAA_TWO"), 0);
    dialog->PressAddObject();
    QCOMPARE(dialog->ContentList()->count(), 2);
    QVERIFY(dialog->ContentList()->item(1)->text().contains(QString::number(twoRecord)));
    QCOMPARE(dialog->ContentList()->currentRow(), 1);
    Choose(QStringLiteral("AAA_ONE"));
    dialog->PressAddObject();
    QCOMPARE(sink->Last(), std::string("Object is already in group"));
    QCOMPARE(dialog->ContentList()->count(), 2);

    // "View Object" opens the object view on the selected member.
    bool viewed = false;
    WhenModal("vandro::TObjectViewDlg", [&](QWidget* widget) {
      viewed = static_cast<TObjectViewDlg*>(widget)->ObjectId() == two;
      static_cast<QDialog*>(widget)->reject();
    });
    dialog->PressViewObject();
    QVERIFY(viewed);

    // A query through "Define", "Execute" and "Add".
    WhenModal("vandro::TValueConstructorDlg", [](QWidget* widget) {
      auto* constructor = static_cast<TValueConstructorDlg*>(widget);
      QCOMPARE(constructor->windowTitle(), QStringLiteral("Value Details (Query to add)"));
      QCOMPARE(constructor->Tabs()->currentIndex(), 1);
      constructor->Source()->setPlainText(
          QStringLiteral("FIND ALL OBJECTS WITHIN LIST OF OBJECT('AAA_THREE')"));
      constructor->accept();
    });
    dialog->PressDefine();
    QVERIFY(dialog->ExecuteButton()->isEnabled());
    QVERIFY(!dialog->AddButton()->isEnabled());
    dialog->PressExecute();
    QCOMPARE(dialog->ResultCount()->text(), QStringLiteral("1"));
    QCOMPARE(dialog->FillText()->toPlainText(), QStringLiteral("AAA_THREE(%1)").arg(three));
    dialog->PressAdd();
    QCOMPARE(dialog->ContentList()->count(), 3);
    QCOMPARE(dialog->ResultCount()->text(), QStringLiteral("0"));
    QCOMPARE(dialog->Pages()->currentIndex(), 0);

    dialog->PressOk();
    QCoreApplication::processEvents();
    QCOMPARE(GroupDialogs(), 0);
    QVERIFY(APSFindObject("TEST WARD") != 0);

    const QString cli = BuildDir() + QStringLiteral("/../cli/vandro-cli");
    if (!QFileInfo::exists(cli)) QSKIP("vandro-cli is not built");
    form.reset();
    CloseProject();
    QProcess run;
    run.start(cli, {QStringLiteral("eval"), QStringLiteral("--project"), project,
                    QStringLiteral("COUNT(CONTENTOF('TEST WARD'))")});
    QVERIFY(run.waitForFinished(20000));
    const QString out = QString::fromUtf8(run.readAllStandardOutput()).trimmed();
    QCOMPARE(out, QStringLiteral("3"));
  }

  void aGroupStateIsAddedThenEditedWhileTheGroupIsInUse() {
    Choose(QStringLiteral("AAA_GROUP"), 0);
    TNewGroupDlg* dialog = OpenNewGroupState(*form);
    QVERIFY(dialog);
    QCOMPARE(dialog->windowTitle(), QStringLiteral("New Group State"));
    QVERIFY(dialog->IndexBox()->isHidden());
    QVERIFY(!dialog->TerminateButton()->isHidden());
    QCOMPARE(Lines(dialog->ContentList()).size(), 1);
    QVERIFY(form->Children().ObjectInUse(group));
    QVERIFY(!form->Children().ObjectInUse(one));
    Choose(QStringLiteral("AAA_TWO"));
    dialog->PressAddObject();
    dialog->ContentList()->setCurrentRow(0);
    dialog->PressRemoveObject();
    QCOMPARE(dialog->ContentList()->count(), 1);
    dialog->PressOk();
    QCoreApplication::processEvents();
    QCOMPARE(GroupDialogs(), 0);
    QVERIFY(!form->Children().ObjectInUse(group));

    TObjectSet set;
    QVERIFY(set.Load(group));
    QCOMPARE(set.Records.size(), size_t(2));
    const TDataRecord& added = *set.Records[1];
    QCOMPARE(added.PrevRecord, groupRecord);
    QCOMPARE(added.Added.size(), size_t(1));
    QCOMPARE(added.Deleted.size(), size_t(1));

    // Edit Group Record on that state: taking the addition back leaves
    // only the removal.
    Choose(QStringLiteral("AAA_GROUP"), 0);
    dialog = OpenEditGroupRecord(*form);
    QVERIFY(dialog);
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Edit Group"));
    QCOMPARE(dialog->ContentList()->count(), 1);
    dialog->ContentList()->setCurrentRow(0);
    dialog->PressRemoveObject();
    QVERIFY(!dialog->RemoveButton()->isEnabled());
    dialog->PressOk();
    QCoreApplication::processEvents();
    QVERIFY(set.Load(group));
    QCOMPARE(set.Records.size(), size_t(2));
    QCOMPARE(set.Records[1]->Added.size(), size_t(0));
    QCOMPARE(set.Records[1]->Deleted.size(), size_t(1));
  }

  void cancelStoresNothingAndReleasesTheName() {
    TNewGroupDlg* dialog = OpenNewGroup(*form);
    QVERIFY(dialog);
    const QString name = dialog->NameEdit()->text();
    Choose(QStringLiteral("AAA_ONE"));
    dialog->PressAddObject();
    const int32_t objects = APSObjectCount();
    dialog->PressCancel();
    QCoreApplication::processEvents();
    QCOMPARE(GroupDialogs(), 0);
    QCOMPARE(APSObjectCount(), objects);
    // The released name is offered again.
    dialog = OpenNewGroup(*form);
    QVERIFY(dialog);
    QCOMPARE(dialog->NameEdit()->text(), name);
  }

  void rollbackFromTheWindowDeletesWhatWasMadeAfterTheMoment() {
    TRollbackDlg& rollback = TRollbackDlg::Instance(*form);
    QCOMPARE(&TRollbackDlg::Instance(*form), &rollback);
    CheckNames(&rollback);
    // The progress window waits for a rollback to show.
    QTest::qWait(50);
    QVERIFY(!rollback.Progress().Window()->isVisible());
    // The moment: one second before the first record made in init.
    auto earliest = APSDatabase().Query("SELECT min(SysTime) FROM VD_Records WHERE ObjIdtor = ?");
    earliest.Bind(one);
    QVERIFY(earliest.Step());
    const double moment = earliest.Real(0) - 1.0 / 86400;
    auto after = APSDatabase().Query("SELECT count(*) FROM VD_Records WHERE SysTime > ?");
    after.Bind(moment);
    QVERIFY(after.Step());
    const int64_t expected = after.Int(0);
    QVERIFY(expected >= 4);

    // Cancel runs nothing.
    WhenModal("vandro::TRollbackDlg",
              [](QWidget* widget) { static_cast<QDialog*>(widget)->reject(); });
    QCOMPARE(rollback.Run(), -1);

    WhenModal("vandro::TRollbackDlg", [moment, expected](QWidget* widget) {
      auto* dialog = static_cast<TRollbackDlg*>(widget);
      // It opens at now, with nothing to delete.
      QVERIFY(std::abs(dialog->Moment()->Moment() - Now()) < 5.0 / 86400);
      QCOMPARE(dialog->CountLabel()->text(),
               QStringLiteral("No record was created after this moment"));
      // The count follows the pickers once they rest.
      dialog->Moment()->SetMoment(moment);
      QTRY_VERIFY(
          dialog->CountLabel()->text().startsWith(QStringLiteral("%1 records of ").arg(expected)));
      dialog->OkButton()->click();
    });
    sink->Answer(true);
    QCOMPARE(rollback.Run(), static_cast<int>(expected));
    const std::string& question = sink->questions.back();
    QVERIFY(question.find("will be deleted. Are you sure?\r\n"
                          "Before deleting, the database is copied to\r\n") != std::string::npos);
    const std::string copy = question.substr(question.rfind("\r\n") + 2);
    QCOMPARE(sink->Last(), std::to_string(expected) +
                               " records were deleted\r\nThe database as it was before is kept "
                               "in\r\n" +
                               copy);
    // The copy holds what was deleted.
    TDatabase kept;
    QVERIFY(kept.Open(copy, TDatabase::TMode::ReadOnly));
    auto deleted = kept.Query("SELECT count(*) FROM VD_Records WHERE SysTime > ?");
    deleted.Bind(moment);
    QVERIFY(deleted.Step());
    QCOMPARE(deleted.Int(0), expected);
    QCOMPARE(form->StatusPanel(1)->text(), QStringLiteral("Ready"));
    QVERIFY(!rollback.Progress().Window()->isVisible());
    QCOMPARE(rollback.Progress().Window()->labelText(), QStringLiteral("Scanning database ..."));
    TObjectSet set;
    QVERIFY(set.Load(group));
    QVERIFY(set.Records.empty());
    QVERIFY(APSFindObject("AAA_GROUP") == group);
  }
};

VANDRO_APP_TEST(GroupWindowsTest);

} // namespace vandro::apptest

#include "group_windows_test.moc"
