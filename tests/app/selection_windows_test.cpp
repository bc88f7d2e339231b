#include "app/editing/select_object_dlg.h"
#include "app/editing/selection_api.h"
#include "app/editing/value_constructor_dlg.h"
#include "app/editing/value_viewer_dlg.h"
#include "app_test_support.h"
#include "language/executor.h"
#include "language/record_evaluation.h"
#include "model/object_set.h"
#include "model/project.h"
#include "model/state_track.h"
#include "storage/objects.h"
#include "storage/project_lifecycle.h"
#include "storage/session.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPoint>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>

#include <memory>

namespace vandro::apptest {

class SelectionWindowsTest : public QObject {
  Q_OBJECT

  std::unique_ptr<QTemporaryDir> dir;
  std::unique_ptr<TRecordingSink> sink;
  std::unique_ptr<ScopedLanguage> language;
  std::unique_ptr<ScopedRecords> records;
  int32_t branched = 0, first = 0, second = 0, third = 0, group = 0;

  static double Day(double k) { return 39000 + k; }

  // A project with the parameter X, objects A and B and the group G; B's
  // history branches after its first record (day 1) into day 2 and day 3.
  void OpenTestProject() {
    const std::string file = dir->filePath(QStringLiteral("Pick.vdp")).toStdString();
    QVERIFY(APSCreateProject(file, "", NewProjectInfo("Pick")));
    QVERIFY(OpenProject(file));
    auto x = std::make_unique<TParameter>();
    x->ParamName = "X";
    x->Category = "Data";
    CurrentProject()->AddParameter(std::move(x));
    QVERIFY(APSCreateObject("A"));
    branched = APSCreateObject("B");
    group = APSCreateObject("G");
    APSDatabase().Query("UPDATE VD_Objects SET GroupTag = 1 WHERE ObjIdtor = ?").Bind(group).Run();
    first = Store(branched, 0, Day(1), "1");
    second = Store(branched, first, Day(2), "2");
    third = Store(branched, first, Day(3), "3");
  }

  int32_t Store(int32_t object, int32_t after, double time, const std::string& x) {
    TObjectSet set;
    if (!set.Load(object)) return 0;
    TStateTrack track;
    if (after)
      track.SetPath(set, after, time);
    else
      track.SetRootPath(set, time);
    std::vector<std::unique_ptr<TPVRelation>> pairs;
    auto pair = std::make_unique<TPVRelation>();
    pair->Parameter = CurrentProject()->FindParameter("X");
    pair->Value.SetPlain(x);
    pair->Modified = true;
    pairs.push_back(std::move(pair));
    return track.ModifyRecord(std::move(pairs), time);
  }

  static int RowNamed(QTableWidget* grid, const QString& name) {
    for (int row = 0; row < grid->rowCount(); ++row)
      if (grid->item(row, 1) && grid->item(row, 1)->text() == name) return row;
    return -1;
  }

  // Ctrl-clicks (or clicks) the row of the states list.
  static void ClickStateRow(TSelectObjectDlg* dialog, int row, bool ctrl) {
    QTableWidget* states = dialog->States();
    const QRect cell = states->visualRect(states->model()->index(row, 1));
    QTest::mouseClick(states->viewport(), Qt::LeftButton,
                      ctrl ? Qt::ControlModifier : Qt::NoModifier, cell.center());
  }

private slots:
  void init() {
    dir = std::make_unique<QTemporaryDir>();
    sink = std::make_unique<TRecordingSink>();
    language = std::make_unique<ScopedLanguage>();
    records = std::make_unique<ScopedRecords>();
    OpenTestProject();
  }

  void cleanup() {
    CloseProject();
    records.reset();
    language.reset();
    sink.reset();
    dir.reset();
  }

  void twoBranchesAreTwoStatesAndCtrlMarksBoth() {
    bool checked = false;
    WhenModal("vandro::TSelectObjectDlg", [&](QWidget* widget) {
      auto* dialog = static_cast<TSelectObjectDlg*>(widget);
      QCOMPARE(dialog->windowTitle(), QStringLiteral("Create New State"));
      QVERIFY(!dialog->UseLink()->isChecked());
      QVERIFY(dialog->CreateNew()->isHidden());
      // Groups bold green.
      const int g = RowNamed(dialog->Objects(), QStringLiteral("G"));
      QVERIFY(g >= 0);
      QVERIFY(dialog->Objects()->item(g, 1)->font().bold());
      QCOMPARE(dialog->Objects()->item(g, 1)->foreground().color(), QColor(0, 128, 0));

      // OK without a choice asks; Yes stays.
      sink->Answer(true);
      dialog->OkButton()->click();
      QCOMPARE(sink->questions.back(), std::string(kObjectNotSelected));
      QVERIFY(dialog->isVisible());

      dialog->Objects()->setCurrentCell(RowNamed(dialog->Objects(), QStringLiteral("B")), 1);
      QCOMPARE(dialog->SelectedObject()->text(), QStringLiteral("B"));
      // A state is wanted: OK turns to the states first.
      dialog->OkButton()->click();
      QCOMPARE(dialog->Tabs()->currentIndex(), 1);
      QCOMPARE(dialog->States()->rowCount(), 2);
      QCOMPARE(dialog->SelectedStates()->count(), 1);
      ClickStateRow(dialog, 1, true);
      QCOMPARE(dialog->SelectedStates()->count(), 2);
      QCOMPARE(dialog->Values()->item(0, 1)->text(), QStringLiteral("3"));
      checked = true;
      dialog->OkButton()->click();
    });
    app::TSelectRequest request;
    request.Caption = "Create New State";
    request.RequireState = true;
    request.AllowSeveralStates = true;
    request.Moment = Day(4);
    app::TSelectResult result;
    QVERIFY(app::SelectObject(nullptr, request, result));
    QVERIFY(checked);
    QCOMPARE(result.ObjectId, branched);
    QCOMPARE(result.StateIds, (std::vector<int32_t>{second, third}));
    QCOMPARE(result.Moment, Day(4));
  }

  void aMomentWithoutStateIsSaidAndCreateNewObjectCloses() {
    WhenModal("vandro::TSelectObjectDlg", [&](QWidget* widget) {
      auto* dialog = static_cast<TSelectObjectDlg*>(widget);
      dialog->Objects()->setCurrentCell(RowNamed(dialog->Objects(), QStringLiteral("B")), 1);
      QVERIFY(sink->Last().starts_with("Object hasn't any actual state"));
      QCOMPARE(dialog->States()->rowCount(), 0);
      // Unchecking both kinds keeps the second checked: the groups stay listed.
      dialog->ShowDataObjects()->setChecked(false);
      dialog->ShowGroups()->setChecked(false);
      QVERIFY(dialog->ShowGroups()->isChecked());
      QVERIFY(!dialog->ShowDataObjects()->isChecked());
      QCOMPARE(dialog->Objects()->rowCount(), 1);
      QVERIFY(dialog->CreateNew()->isVisible());
      dialog->CreateNew()->click();
    });
    app::TSelectRequest request;
    request.RequireState = true;
    request.AllowCreateObject = true;
    request.Moment = Day(0.5);
    app::TSelectResult result;
    QVERIFY(app::SelectObject(nullptr, request, result));
    QVERIFY(result.CreateNewObject);
    QCOMPARE(result.ObjectId, 0);
  }

  void theConstructorBuildsANumberAndKeepsTheValueOnCancel() {
    TValue value;
    value.SetPlain("old");
    WhenModal("vandro::TValueConstructorDlg", [&](QWidget* widget) {
      auto* dialog = static_cast<TValueConstructorDlg*>(widget);
      QCOMPARE(dialog->windowTitle(), QStringLiteral("Value Details (X)"));
      QCOMPARE(dialog->PlainType()->currentText(), QStringLiteral("String"));
      dialog->PlainType()->setCurrentIndex(static_cast<int>(TPlainType::Numeric));
      dialog->Number()->setText(QStringLiteral("7,5x"));
      dialog->accept();
      // A number that does not read keeps the dialog open with what was typed.
      QVERIFY(dialog->isVisible());
      QCOMPARE(sink->Last(), std::string("Number is not a number: 7,5x"));
      dialog->Number()->setText(QStringLiteral("7,5"));
      dialog->accept();
    });
    QVERIFY(app::EditValue(nullptr, value, nullptr, vpAll, 0, "Value Details (X)"));
    QCOMPARE(value.Text(), std::string("7.5"));

    WhenModal("vandro::TValueConstructorDlg", [&](QWidget* widget) {
      auto* dialog = static_cast<TValueConstructorDlg*>(widget);
      dialog->Number()->setText(QStringLiteral("9"));
      dialog->reject();
    });
    QVERIFY(!app::EditValue(nullptr, value, nullptr, vpAll, 0, "Value Details"));
    QCOMPARE(value.Text(), std::string("7.5"));
  }

  void theCalculatedPageChecksAndOnlyEnabledPagesOpen() {
    TValue value;
    WhenModal("vandro::TValueConstructorDlg", [&](QWidget* widget) {
      auto* dialog = static_cast<TValueConstructorDlg*>(widget);
      QCOMPARE(dialog->Tabs()->currentIndex(), 1);
      QVERIFY(!dialog->Tabs()->isTabEnabled(2));
      QVERIFY(!dialog->Tabs()->isTabEnabled(4));
      dialog->Source()->setPlainText(QStringLiteral("X + (1"));
      QCOMPARE(dialog->SourceKind()->text(), QStringLiteral("Kind: Formula"));
      dialog->CheckButton()->click();
      QVERIFY(dialog->CheckResult()->toPlainText().contains(QStringLiteral("???")));
      dialog->Source()->setPlainText(QStringLiteral("X + 1"));
      dialog->CheckButton()->click();
      QCOMPARE(dialog->CheckResult()->toPlainText(), QStringLiteral("Syntax is correct"));
      dialog->accept();
    });
    QVERIFY(app::EditValue(nullptr, value, nullptr, vpPlain | vpCalculated, vpCalculated,
                           "Value Details (Action condition)"));
    QCOMPARE(value.Kind(), vkCalculated);
    QCOMPARE(value.Text(), std::string("X + 1"));
  }

  void arrayItemsAreEditedInANestedConstructorAndViewedWhole() {
    TValue value;
    value.SetArray();
    WhenModal("vandro::TValueConstructorDlg", [&](QWidget* widget) {
      auto* dialog = static_cast<TValueConstructorDlg*>(widget);
      dialog->Tabs()->setCurrentIndex(4);
      dialog->AddItem()->click();
      dialog->AddItem()->click();
      QCOMPARE(dialog->Items()->count(), 2);
      dialog->Items()->setCurrentRow(0);
      WhenModal("vandro::TValueConstructorDlg", [&](QWidget* nested) {
        auto* item = static_cast<TValueConstructorDlg*>(nested);
        item->PlainType()->setCurrentIndex(static_cast<int>(TPlainType::Text));
        item->TextValue()->setPlainText(QStringLiteral("line one\nline two"));
        item->accept();
      });
      dialog->EditItem()->click();
      QCOMPARE(dialog->Items()->item(0)->text().left(8), QStringLiteral("line one"));
      dialog->accept();
    });
    QVERIFY(app::EditValue(nullptr, value, nullptr, vpAll, 0, ""));
    QCOMPARE(value.ItemCount(), 2);
    QCOMPARE(value.GetItem(0).Text(), std::string("line one\r\nline two"));

    TValueViewerDlg viewer(value);
    QVERIFY(viewer.Items());
    QCOMPARE(viewer.Items()->topLevelItemCount(), 2);
    QCOMPARE(viewer.Items()->topLevelItem(0)->text(1), QStringLiteral("line one\r\nline two"));
    viewer.PlaceNear(QPoint(10, 10));

    TValueViewerDlg text(value.GetItem(0));
    QVERIFY(text.Text());
    QCOMPARE(text.Text()->toPlainText(), QStringLiteral("line one\nline two"));
    QCOMPARE(sink->unanswered, 0);
  }
};

VANDRO_APP_TEST(SelectionWindowsTest);

} // namespace vandro::apptest

#include "selection_windows_test.moc"
