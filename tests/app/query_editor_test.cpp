// "Edit Query" and "Define Filter" driven as a user drives them, from the
// value constructor's "Build Query    >>" to a query that runs.
#include "app/editing/filter_dlg.h"
#include "app/editing/query_edit_dlg.h"
#include "app/editing/select_object_dlg.h"
#include "app/editing/selection_api.h"
#include "app/editing/value_constructor_dlg.h"
#include "app_test_support.h"
#include "language/executor.h"
#include "language/query.h"
#include "language/record_evaluation.h"
#include "model/object_set.h"
#include "model/project.h"
#include "model/state_track.h"
#include "storage/objects.h"
#include "storage/project_lifecycle.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include <memory>

namespace vandro::apptest {

class QueryEditorTest : public QObject {
  Q_OBJECT

  std::unique_ptr<QTemporaryDir> dir;
  std::unique_ptr<TRecordingSink> sink;
  std::unique_ptr<ScopedLanguage> language;
  std::unique_ptr<ScopedRecords> records;
  int32_t a = 0, b = 0, c = 0;

  // X is 1 for A, 5 for B and 7 for C.
  void OpenTestProject() {
    const std::string file = dir->filePath(QStringLiteral("Ask.vdp")).toStdString();
    QVERIFY(APSCreateProject(file, "", NewProjectInfo("Ask")));
    QVERIFY(OpenProject(file));
    auto x = std::make_unique<TParameter>();
    x->ParamName = "X";
    x->Category = "Data";
    CurrentProject()->AddParameter(std::move(x));
    a = APSCreateObject("A");
    b = APSCreateObject("B");
    c = APSCreateObject("C");
    QVERIFY(Store(a, "1") && Store(b, "5") && Store(c, "7"));
  }

  static int32_t Store(int32_t object, const std::string& x) {
    TObjectSet set;
    if (!set.Load(object)) return 0;
    TStateTrack track;
    track.SetRootPath(set, 39001);
    std::vector<std::unique_ptr<TPVRelation>> pairs;
    auto pair = std::make_unique<TPVRelation>();
    pair->Parameter = CurrentProject()->FindParameter("X");
    pair->Value.SetPlain(x);
    pair->Modified = true;
    pairs.push_back(std::move(pair));
    return track.ModifyRecord(std::move(pairs), 39001);
  }

  // Picks the object named name in the next "Select Object".
  static void WhenSelecting(const QString& name) {
    WhenModal("vandro::TSelectObjectDlg", [name](QWidget* widget) {
      auto* dialog = static_cast<TSelectObjectDlg*>(widget);
      QTableWidget* objects = dialog->Objects();
      for (int row = 0; row < objects->rowCount(); ++row)
        if (objects->item(row, 1) && objects->item(row, 1)->text() == name)
          objects->setCurrentCell(row, 1);
      dialog->OkButton()->click();
    });
  }

  static QStringList Lines(const QListWidget* list) {
    QStringList lines;
    for (int row = 0; row < list->count(); ++row)
      lines << list->item(row)->text();
    return lines;
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

  void aQueryBuiltInEditQueryRunsFromTheValueConstructor() {
    bool built = false;
    TValue value;
    value.SetText(vkCalculated, "");
    WhenModal("vandro::TValueConstructorDlg", [&](QWidget* widget) {
      auto* constructor = static_cast<TValueConstructorDlg*>(widget);
      QVERIFY(constructor->BuildQueryButton()->isVisible());
      WhenModal("vandro::TQueryEditDlg", [&](QWidget* widget) {
        auto* editor = static_cast<TQueryEditDlg*>(widget);
        QCOMPARE(editor->windowTitle(), QStringLiteral("Edit Query"));
        // A new query: all objects, no number, the content of groups.
        QCOMPARE(editor->Selection()->currentText(), QStringLiteral("ALL"));
        QVERIFY(editor->Number()->isHidden());
        QCOMPARE(editor->Kind()->currentText(), QStringLiteral("Objects"));
        QVERIFY(!editor->ForAllStates()->isHidden());
        QVERIFY(editor->Start()->isHidden());
        QCOMPARE(editor->FinishLabel()->text(), QStringLiteral("Actual"));
        editor->Scope()->setCurrentIndex(qcList);

        WhenSelecting(QStringLiteral("A"));
        editor->AddButton()->click();
        WhenSelecting(QStringLiteral("B"));
        editor->AddButton()->click();
        QCOMPARE(Lines(editor->ScopeList()),
                 (QStringList{QStringLiteral("ActualState(Object('A'))"),
                              QStringLiteral("ActualState(Object('B'))")}));

        WhenModal("vandro::TFilterDlg", [&](QWidget* widget) {
          auto* filter = static_cast<TFilterDlg*>(widget);
          QCOMPARE(filter->windowTitle(), QStringLiteral("Define Filter"));
          filter->Parameter()->setCurrentText(QStringLiteral("X"));
          filter->Comparison()->setCurrentText(QStringLiteral(" >"));
          QTest::keyClicks(filter->Value(), QStringLiteral("2"));
          filter->AddButton()->click();
          QCOMPARE(Lines(filter->Items()), QStringList{QStringLiteral("X > 2")});
          // The row starts afresh.
          QCOMPARE(filter->Value()->text(), QString());
          QCOMPARE(filter->Comparison()->currentText(), QStringLiteral(" ="));
          filter->OkButton()->click();
        });
        editor->DefineButton()->click();
        QCOMPARE(editor->Condition()->toPlainText(), QStringLiteral("X > 2"));
        built = true;
        editor->OkButton()->click();
      });
      constructor->BuildQueryButton()->click();
      QVERIFY(built);
      QCOMPARE(constructor->Source()->toPlainText(),
               QStringLiteral("FIND ALL OBJECTS\nWITHIN LIST     ActualState(Object('A'))\n    , "
                              "ActualState(Object('B'))\nCONDITION X > 2\nACTUAL Now\n"));
      constructor->CheckButton()->click();
      QCOMPARE(constructor->CheckResult()->toPlainText(), QStringLiteral("Syntax is correct"));
      constructor->accept();
    });
    QVERIFY(app::EditValue(nullptr, value, nullptr, vpAll, vpCalculated, "Value Details"));
    QVERIFY(built);
    QVERIFY(value.IsQuery());
    std::string message;
    const TValue::Ptr result = ExecuteQuery(value, nullptr, nullptr, &message);
    QVERIFY2(result, message.c_str());
    QCOMPARE(result->ItemCount(), 1);
    QCOMPARE(result->GetItem(0).Text(), std::to_string(b));
    QVERIFY(sink->messages.empty());
  }

  void refusalsKeepTheEditorsOpenWithWhatWasTyped() {
    TQExpression query;
    query.Text = "FIND TOP 2 OBJECTS WITHIN LIST OF OBJECT('C') CONDITION X > 6";
    QVERIFY(query.Parse());
    bool checked = false;
    WhenModal("vandro::TQueryEditDlg", [&](QWidget* widget) {
      auto* editor = static_cast<TQueryEditDlg*>(widget);
      QCOMPARE(editor->Number()->text(), QStringLiteral("2"));
      QVERIFY(editor->ForAllStates()->isVisible());

      // Only states and objects are kinds.
      editor->Kind()->setCurrentText(QStringLiteral("Groups"));
      editor->Kind()->lineEdit()->editingFinished();
      QCOMPARE(sink->Last(), std::string("You can find either states or objects"));
      QCOMPARE(editor->Kind()->currentText(), QStringLiteral("States"));
      QVERIFY(!editor->ForAllStates()->isVisible());
      editor->Kind()->setCurrentText(QStringLiteral("Objects"));

      // "History of" shows its window.
      editor->Scope()->setCurrentIndex(qcHistory);
      QVERIFY(editor->Start()->isVisible());
      QCOMPARE(editor->FinishLabel()->text(), QStringLiteral("Until:"));
      editor->Scope()->setCurrentIndex(qcList);

      // The filter editor refuses "=>" and keeps the row.
      WhenModal("vandro::TFilterDlg", [&](QWidget* widget) {
        auto* filter = static_cast<TFilterDlg*>(widget);
        filter->Parameter()->setCurrentText(QStringLiteral("X"));
        filter->Comparison()->setCurrentText(QStringLiteral("=>"));
        QTest::keyClicks(filter->Value(), QStringLiteral("3"));
        filter->AddButton()->click();
        QCOMPARE(sink->Last(), std::string("Invalid comparison operation"));
        filter->InsertButton()->click();
        QCOMPARE(sink->Last(), std::string("Row not selected"));
        QVERIFY(filter->isVisible());
        QCOMPARE(filter->Items()->count(), 0);
        QCOMPARE(filter->Parameter()->currentText(), QStringLiteral("X"));
        QCOMPARE(filter->Comparison()->currentText(), QStringLiteral("=>"));
        QCOMPARE(filter->Value()->text(), QStringLiteral("3"));
        filter->reject();
      });
      editor->DefineButton()->click();
      QCOMPARE(editor->Condition()->toPlainText(), QStringLiteral("X > 6"));

      // "Edit" takes formulas only; its constructor builds no query.
      WhenModal("vandro::TValueConstructorDlg", [&](QWidget* widget) {
        auto* constructor = static_cast<TValueConstructorDlg*>(widget);
        QVERIFY(constructor->BuildQueryButton()->isHidden());
        QCOMPARE(constructor->Source()->toPlainText(), QStringLiteral("X > 6"));
        constructor->Tabs()->setCurrentIndex(0);
        constructor->PlainType()->setCurrentIndex(static_cast<int>(TPlainType::String));
        constructor->StringValue()->setText(QStringLiteral("heavy"));
        constructor->accept();
      });
      editor->EditButton()->click();
      QCOMPARE(sink->Last(), std::string("Search condition should be a formula"));
      QCOMPARE(editor->Condition()->toPlainText(), QStringLiteral("X > 6"));

      // A kind typed and not yet left is checked by OK, which stays open.
      editor->Number()->setText(QStringLiteral("4"));
      editor->Kind()->setCurrentText(QStringLiteral("Things"));
      editor->OkButton()->click();
      QCOMPARE(sink->Last(), std::string("You can find either states or objects"));
      QVERIFY(editor->isVisible());
      QCOMPARE(editor->Number()->text(), QStringLiteral("4"));

      // An empty number: Yes goes on editing, No cancels.
      editor->Number()->clear();
      sink->Answer(true);
      editor->OkButton()->click();
      QCOMPARE(sink->questions.back(), std::string("The number of objects to find is empty.\r\nDo "
                                                   "you want to continue editing?"));
      QVERIFY(editor->isVisible());
      QCOMPARE(editor->Selection()->currentText(), QStringLiteral("TOP"));
      QCOMPARE(editor->Condition()->toPlainText(), QStringLiteral("X > 6"));
      QCOMPARE(Lines(editor->ScopeList()), QStringList{QStringLiteral("OBJECT ('C' )")});
      checked = true;
      sink->Answer(false);
      editor->OkButton()->click();
    });
    TQueryEditDlg dialog(query);
    QCOMPARE(dialog.exec(), int(QDialog::Rejected));
    QVERIFY(checked);
    // Cancelled: the query is as it was read.
    QCOMPARE(query.NumberExpression, std::string("2"));
    QCOMPARE(query.Condition, std::string("X > 6"));
    QCOMPARE(sink->unanswered, 0);
  }

  void everyControlIsNamedByItsCaption() {
    TQExpression query;
    TQueryEditDlg editor(query);
    TFilter filter;
    TFilterDlg filterDlg(filter);
    // Every field, a combo box's own line edit included.
    for (QDialog* dialog : std::initializer_list<QDialog*>{&editor, &filterDlg})
      for (QWidget* control : dialog->findChildren<QWidget*>()) {
        const bool field = control->inherits("QLineEdit") || control->inherits("QComboBox") ||
                           control->inherits("QPlainTextEdit") || control->inherits("QListWidget");
        if (field)
          QVERIFY2(!control->accessibleName().isEmpty(), control->metaObject()->className());
      }
    const std::pair<QWidget*, const char*> named[] = {
        {editor.Selection(), "FIND:"},
        {editor.Scope(), "SCOPE:"},
        {editor.Start(), "Starting from:"},
        {editor.Finish(), "Actual"},
        {editor.Condition(), "CONDITION:"},
        {editor.ScopeList(), "Object list"},
        {filterDlg.Parameter(), "Parameter Name"},
        {filterDlg.Value(), "Value"},
        // The only button without a word on it.
        {filterDlg.ValueButton(), "Value ..."},
        {filterDlg.Items(), "Filter"},
    };
    for (const auto& [control, name] : named)
      QCOMPARE(control->accessibleName(), QString::fromLatin1(name));
    QCOMPARE(filterDlg.AddButton()->toolTip(), QStringLiteral("Add the condition to the filter"));
  }
};

VANDRO_APP_TEST(QueryEditorTest);

} // namespace vandro::apptest

#include "query_editor_test.moc"
