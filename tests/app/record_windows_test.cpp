// The record dialog end to end on a copy of the sample project: a new object
// from a template, a new state through "Select Object", a record edited in
// place, each as the main window's commands open them.
#include "app/editing/create_record_dlg.h"
#include "app/editing/record_commands.h"
#include "app/editing/select_object_dlg.h"
#include "app/model/moment_picker.h"
#include "app/model/object_view_dlg.h"
#include "app/shell/main_form.h"
#include "app/storage/parameter_edit_dlg.h"
#include "app_test_support.h"
#include "language/executor.h"
#include "language/record_evaluation.h"
#include "model/object_set.h"
#include "model/project.h"
#include "model/state_track.h"
#include "shell/child_windows.h"
#include "shell/settings.h"
#include "storage/objects.h"
#include "storage/project_lifecycle.h"
#include "storage/session.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFileInfo>
#include <QLineEdit>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QStyleOptionViewItem>
#include <QTableWidget>
#include <QTest>
#include <QTextEdit>
#include <QToolButton>
#include <QTreeWidget>

#include <cmath>
#include <memory>

namespace vandro::apptest {

class RecordWindowsTest : public TSampleProjectTest {
  Q_OBJECT

  int32_t pump = 0;
  int32_t firstRecord = 0;

  static int RowNamed(QTableWidget* grid, int column, const QString& name) {
    for (int row = 0; row < grid->rowCount(); ++row)
      if (grid->item(row, column) && grid->item(row, column)->text() == name) return row;
    return -1;
  }

  // Chooses the object by name and its first state, then OK.
  void ChooseState(const QString& name) {
    WhenModal("vandro::TSelectObjectDlg", [name](QWidget* widget) {
      auto* dialog = static_cast<TSelectObjectDlg*>(widget);
      const int row = RowNamed(dialog->Objects(), 1, name);
      QVERIFY(row >= 0);
      dialog->Objects()->setCurrentCell(row, 1);
      dialog->OkButton()->click();
      QTableWidget* states = dialog->States();
      QVERIFY(states->rowCount() > 0);
      const QRect cell = states->visualRect(states->model()->index(0, 1));
      QTest::mouseClick(states->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
      dialog->OkButton()->click();
    });
  }

  // Types into a cell of the record dialog's grid as the in-place editor does.
  static void TypeCell(TCreateRecordDlg* dialog, const QString& parameter, const QString& text) {
    QTableWidget* grid = dialog->Grid();
    const int row = RowNamed(grid, rcParameter, parameter);
    QVERIFY(row >= 0);
    grid->setCurrentCell(row, rcValue);
    QCoreApplication::processEvents();
    grid->item(row, rcValue)->setText(text);
    QCoreApplication::processEvents();
  }

  int RecordDialogs() const { return form->Children().Count(TChildKind::RecordDialog); }

private slots:
  void init() {
    QVERIFY(OpenSample());
    // An object that sorts first in the object list, with one state.
    pump = APSCreateObject("AAA_PUMP");
    TObjectSet set;
    QVERIFY(set.Load(pump));
    TStateTrack track;
    track.SetRootPath(set, 0);
    std::vector<std::unique_ptr<TPVRelation>> pairs;
    auto pair = std::make_unique<TPVRelation>();
    pair->Parameter = CurrentProject()->FindParameter("Pulse");
    pair->Value.SetPlain("70 [bpm]");
    pair->Modified = true;
    pairs.push_back(std::move(pair));
    firstRecord = track.ModifyRecord(std::move(pairs), 40000);
    QVERIFY(firstRecord != 0);
  }

  void cleanup() { CloseSample(); }

  void aNewObjectFromTheVitalsTemplateIsInTheHistory() {
    WhenModal("vandro::TSelectObjectDlg", [](QWidget* widget) {
      auto* dialog = static_cast<TSelectObjectDlg*>(widget);
      QVERIFY(dialog->CreateNew()->isVisible());
      dialog->CreateNew()->click();
    });
    TCreateRecordDlg* dialog = OpenTemplateRecord(*form, "VITALS");
    QVERIFY(dialog);
    QCOMPARE(RecordDialogs(), 1);
    QVERIFY(dialog->windowTitle().startsWith(QStringLiteral("New Object: OBJECT_")));
    QVERIFY(RowNamed(dialog->Grid(), rcParameter, QStringLiteral("Temperature")) >= 0);
    dialog->NameEdit()->clear();
    QTest::keyClicks(dialog->NameEdit(), QStringLiteral("Mr Test"));
    QCOMPARE(dialog->windowTitle(), QStringLiteral("New Object: Mr Test"));
    TypeCell(dialog, QStringLiteral("Temperature"), QStringLiteral("37.2 [C]"));
    sink->Answer(true); // store the record
    sink->Answer(true); // SpO2, optional and left empty, is outside its constraint: store anyway
    dialog->PressOk();
    QCoreApplication::processEvents();
    QVERIFY2(RecordDialogs() == 0, sink->questions.empty() ? "" : sink->questions.back().c_str());
    QVERIFY(APSFindObject("MR TEST") != 0);

    const QString cli = BuildDir() + QStringLiteral("/../cli/vandro-cli");
    if (!QFileInfo::exists(cli)) QSKIP("vandro-cli is not built");
    form.reset();
    CloseProject();
    QProcess run;
    run.start(cli, {QStringLiteral("history"), project, QStringLiteral("MR TEST")});
    QVERIFY(run.waitForFinished(20000));
    const QString out = QString::fromUtf8(run.readAllStandardOutput());
    QVERIFY2(out.contains(QStringLiteral("37.2")), qPrintable(out));
    QVERIFY2(out.contains(QStringLiteral("120")), qPrintable(out)); // a template default
  }

  void aNewStateThroughSelectObject() {
    ChooseState(QStringLiteral("AAA_PUMP"));
    TCreateRecordDlg* dialog = OpenNewState(*form);
    QVERIFY(dialog);
    QCOMPARE(dialog->windowTitle(), QStringLiteral("New State: AAA_PUMP"));
    // The previous state's value is beside the new one.
    QCOMPARE(dialog->Grid()->columnCount(), 4);
    TypeCell(dialog, QStringLiteral("Pulse"), QStringLiteral("80 [bpm]"));
    sink->Answer(true);
    dialog->PressOk();
    QCoreApplication::processEvents();
    QCOMPARE(RecordDialogs(), 0);
    TObjectSet set;
    QVERIFY(set.Load(pump));
    QCOMPARE(set.Records.size(), size_t(2));
    QCOMPARE(set.Records[1]->PrevRecord, firstRecord);
  }

  // CHICK_1 viewed on 11 January, a new state dated the 12th while the 13th
  // follows: "Insert" puts it between them (one branch, the diet's mean of
  // the current weights as R gives it: mean(c(110, 120)) = 115); "New
  // branch" makes a second current state (mean(c(99, 110, 120)) = 109.6667).
  void aNewStateFromThePastGoesWhereTheUserSays_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("states");
    QTest::addColumn<double>("mean");
    QTest::newRow("insert") << QStringLiteral("Insert") << 1 << 115.0;
    QTest::newRow("new branch") << QStringLiteral("New branch") << 2 << 109.666667;
  }

  void aNewStateFromThePastGoesWhereTheUserSays() {
    QFETCH(QString, button);
    QFETCH(int, states);
    QFETCH(double, mean);
    const auto day = [](int d) { return 45658.0 + d; }; // day 0: 1 January 2025
    const auto weigh = [](int32_t object, double time, const char* grams) {
      TObjectSet set;
      QVERIFY(set.Load(object));
      TStateTrack track;
      set.LatestStateAt(time, track);
      std::vector<std::unique_ptr<TPVRelation>> pairs;
      pairs.push_back(std::make_unique<TPVRelation>());
      pairs.back()->Parameter = CurrentProject()->FindParameter("Weight");
      pairs.back()->Value.SetPlain(std::string(grams) + " [g]");
      pairs.back()->Modified = true;
      QVERIFY(track.ModifyRecord(std::move(pairs), time, TPlacement::BetweenNeighbours) != 0);
    };
    const int32_t chick1 = APSCreateObject("CHICK_1");
    const int32_t chick2 = APSCreateObject("CHICK_2");
    weigh(chick1, day(10), "93");
    weigh(chick1, day(12), "110");
    weigh(chick2, day(10), "90");
    weigh(chick2, day(12), "120");

    TObjectViewDlg view(form.get());
    QVERIFY(view.Open(chick1));
    view.Moment()->SetMoment(day(10) + 0.5);
    view.RefreshButton()->click();
    view.show();
    view.SelectState(0);
    TCreateRecordDlg* dialog = OpenNewState(*form);
    QVERIFY(dialog);
    dialog->Moment()->SetMoment(day(11));
    emit dialog->Moment()->DateEdit()->editingFinished();
    TypeCell(dialog, QStringLiteral("Weight"), QStringLiteral("99 [g]"));
    sink->Answer(true); // store the record
    sink->Press(button.toStdString());
    dialog->PressOk();
    QCoreApplication::processEvents();
    QCOMPARE(RecordDialogs(), 0);
    QVERIFY(sink->questions.back().starts_with("A later state exists ("));

    std::vector<double> weights;
    for (const int32_t chick : {chick1, chick2}) {
      TObjectSet set;
      QVERIFY(set.Load(chick));
      std::vector<std::unique_ptr<TStateTrack>> current;
      set.StatesAt(day(30), current);
      if (chick == chick1) QCOMPARE(static_cast<int>(current.size()), states);
      for (const auto& track : current) {
        track->ConstructState();
        TValue value;
        track->State->GetSystemValue("Weight", value);
        weights.push_back(std::stod(value.Text()));
      }
    }
    double sum = 0;
    for (const double weight : weights)
      sum += weight;
    QVERIFY(std::abs(sum / static_cast<double>(weights.size()) - mean) < 1e-6);
  }

  void editRecordRewritesInPlace() {
    ChooseState(QStringLiteral("AAA_PUMP"));
    TCreateRecordDlg* dialog = OpenEditRecord(*form);
    QVERIFY(dialog);
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Edit Record: AAA_PUMP"));
    // The object is in use: renaming it is refused while the dialog is open.
    QVERIFY(form->Children().ObjectInUse(pump));
    TypeCell(dialog, QStringLiteral("Pulse"), QStringLiteral("75 [bpm]"));
    sink->Answer(true);
    dialog->PressOk();
    QCoreApplication::processEvents();
    TObjectSet set;
    QVERIFY(set.Load(pump));
    QCOMPARE(set.Records.size(), size_t(1));
    QCOMPARE(set.Records[0]->Idtor, firstRecord);
    QCOMPARE(QString::fromStdString(set.Records[0]->PVs[0]->Value.Text()),
             QStringLiteral("75 [bpm]"));
  }

  void cancelStoresNothingAndReleasesTheObject() {
    TCreateRecordDlg* dialog = OpenNewObject(*form);
    QVERIFY(dialog);
    const int32_t objects = APSObjectCount();
    dialog->PressCancel();
    QCoreApplication::processEvents();
    QCOMPARE(RecordDialogs(), 0);
    QCOMPARE(APSObjectCount(), objects);
  }

  void aRowIsDraggedByItsFirstCell() {
    TCreateRecordDlg* dialog = OpenNewObject(*form, "VITALS");
    QVERIFY(dialog);
    QTableWidget* grid = dialog->Grid();
    const QString first = grid->item(0, rcParameter)->text();
    const QString third = grid->item(2, rcParameter)->text();
    const auto cell = [&](int row) {
      return grid->visualRect(grid->model()->index(row, 0)).center();
    };
    QTest::mousePress(grid->viewport(), Qt::LeftButton, Qt::NoModifier, cell(0));
    QTest::mouseRelease(grid->viewport(), Qt::LeftButton, Qt::NoModifier, cell(2));
    QCOMPARE(grid->item(2, rcParameter)->text(), first);
    QCOMPARE(grid->item(1, rcParameter)->text(), third);
    // The blank last row stays last.
    const int blank = grid->rowCount() - 1;
    QTest::mousePress(grid->viewport(), Qt::LeftButton, Qt::NoModifier, cell(0));
    QTest::mouseRelease(grid->viewport(), Qt::LeftButton, Qt::NoModifier, cell(blank));
    QVERIFY(grid->item(blank, rcParameter)->text().isEmpty());
    QCOMPARE(grid->item(2, rcParameter)->text(), first);
  }

  void aParameterTypedIntoTheGridIsMadeInTheParameterEditor() {
    TCreateRecordDlg* dialog = OpenNewObject(*form);
    QVERIFY(dialog);
    QTableWidget* grid = dialog->Grid();
    const int blank = grid->rowCount() - 1;
    bool edited = false;
    WhenModal("vandro::TParameterEditDlg", [&](QWidget* widget) {
      auto* editor = static_cast<TParameterEditDlg*>(widget);
      QCOMPARE(editor->NameEdit()->text(), QStringLiteral("Glucose"));
      editor->CategoryEdit()->setCurrentText(QStringLiteral("Lab"));
      editor->DefaultEdit()->setText(QStringLiteral("5.5 [mmol/l]"));
      editor->DescriptionEdit()->setText(QStringLiteral("Blood sugar"));
      edited = true;
      editor->accept();
    });
    sink->Answer(true); // "Parameter Glucose doesn't exist ... create it?"
    grid->setCurrentCell(blank, rcParameter);
    QCoreApplication::processEvents();
    grid->item(blank, rcParameter)->setText(QStringLiteral("Glucose"));
    QCoreApplication::processEvents();
    QVERIFY(edited);
    QCOMPARE(sink->questions.back(), std::string("Parameter Glucose doesn't exist") + kLineBreak +
                                         "Do you want to create it?");
    const TParameter* added = CurrentProject()->FindParameter("Glucose");
    QVERIFY(added);
    QCOMPARE(added->Category, std::string("Lab"));
    QCOMPARE(added->Descript, std::string("Blood sugar"));
    QCOMPARE(added->DefValue.Text(), std::string("5.5 [mmol/l]"));
    QCOMPARE(RowNamed(grid, rcParameter, QStringLiteral("Glucose")), blank);
  }

  // The picker lists the parameters under their categories; the one picked
  // fills the current row. Typing a name is helped by a drop-down list.
  void parametersArePickedByCategoryOrFromTheDropDown() {
    TCreateRecordDlg* dialog = OpenNewObject(*form);
    QVERIFY(dialog);
    QTableWidget* grid = dialog->Grid();
    const int blank = grid->rowCount() - 1;
    grid->setCurrentCell(blank, rcParameter);
    QCoreApplication::processEvents();
    QStringList categories;
    WhenModal("QDialog", [&](QWidget* widget) {
      QCOMPARE(widget->windowTitle(), QStringLiteral("Select parameter"));
      auto* tree = widget->findChild<QTreeWidget*>();
      QVERIFY(tree);
      QTreeWidgetItem* pulse = nullptr;
      for (int c = 0; c < tree->topLevelItemCount(); ++c) {
        QTreeWidgetItem* category = tree->topLevelItem(c);
        categories << category->text(0);
        for (int p = 0; p < category->childCount(); ++p)
          if (category->child(p)->text(0) == QStringLiteral("Pulse")) pulse = category->child(p);
      }
      QVERIFY(pulse);
      QPushButton* ok = nullptr;
      for (QPushButton* button : widget->findChildren<QPushButton*>())
        if (button->accessibleName() == QStringLiteral("OK")) ok = button;
      QVERIFY(ok);
      tree->setCurrentItem(tree->topLevelItem(0));
      QVERIFY(!ok->isEnabled()); // a category is no parameter
      tree->setCurrentItem(pulse);
      ok->click();
    });
    QToolButton* pick = nullptr;
    for (QToolButton* button : grid->viewport()->findChildren<QToolButton*>())
      if (button->accessibleName() == QStringLiteral("Select parameter")) pick = button;
    QVERIFY(pick);
    pick->click();
    QVERIFY2(categories.size() > 1, qPrintable(categories.join(QLatin1Char(','))));
    QVERIFY(!categories.contains(QStringLiteral("System")));
    QCOMPARE(grid->item(blank, rcParameter)->text(), QStringLiteral("Pulse"));

    const QModelIndex next = grid->model()->index(grid->rowCount() - 1, rcParameter);
    QStyleOptionViewItem option;
    std::unique_ptr<QWidget> editor(grid->itemDelegate()->createEditor(grid, option, next));
    auto* list = qobject_cast<QComboBox*>(editor.get());
    QVERIFY(list);
    QVERIFY(list->isEditable());
    QVERIFY(list->findText(QStringLiteral("Temperature")) >= 0);
    QCOMPARE(list->findText(QStringLiteral("RecName")), -1);
  }

  void theFormulaButtonShowsTheFormulaWhole() {
    TCreateRecordDlg* dialog = OpenNewObject(*form, "VITALS");
    QVERIFY(dialog);
    QTableWidget* grid = dialog->Grid();
    const int pulse = RowNamed(grid, rcParameter, QStringLiteral("Pulse"));
    const int other = RowNamed(grid, rcParameter, QStringLiteral("Temperature"));
    QVERIFY(pulse >= 0 && other >= 0);
    // A formula of two lines, as the value constructor would give it.
    grid->setCurrentCell(pulse, rcValue);
    QCoreApplication::processEvents();
    TValue formula;
    formula.SetText(vkCalculated, "Temperature * 2\r\n+ 1");
    QVERIFY(dialog->Editor().AcceptValue(formula));
    grid->setCurrentCell(other, rcValue);
    QCoreApplication::processEvents();
    grid->setCurrentCell(pulse, rcValue);
    QCoreApplication::processEvents();

    dialog->ShowFormula();
    QTextEdit* window = dialog->FormulaWindow();
    QVERIFY(window->isVisible());
    QVERIFY(window->isReadOnly());
    QCOMPARE(window->toPlainText(), QStringLiteral("Temperature * 2\n+ 1"));
    QCOMPARE(window->height(), (window->fontMetrics().height() + 5) * 3);
    // Within the grid, as wide as the value column at most.
    const QRect shown(grid->mapFrom(dialog, window->geometry().topLeft()), window->size());
    QVERIFY(shown.width() <= grid->columnWidth(rcValue));
    QVERIFY(grid->viewport()->geometry().right() >= shown.right());
    // Another cell hides it; a value that is not a formula shows none.
    grid->setCurrentCell(other, rcValue);
    QCoreApplication::processEvents();
    QVERIFY(!window->isVisible());
    dialog->ShowFormula();
    QVERIFY(!window->isVisible());
  }

  void closingTheProjectClosesTheRecordDialogFirst() {
    const int32_t objects = APSObjectCount();
    QPointer<TCreateRecordDlg> dialog = OpenNewObject(*form, "VITALS");
    QVERIFY(dialog);
    TypeCell(dialog, QStringLiteral("Temperature"), QStringLiteral("38.1 [C]"));
    const std::string question = std::string("You should close all the Record Dialogs") +
                                 kLineBreak + "before closing the project." + kLineBreak +
                                 "Do you want to close all of them?";
    sink->Answer(false);
    QVERIFY(!form->CloseProjectCommand());
    QCOMPARE(sink->questions.back(), question);
    QVERIFY(CurrentProject());
    QVERIFY(dialog);
    QCOMPARE(RecordDialogs(), 1);
    // What was typed is still there.
    const int row = RowNamed(dialog->Grid(), rcParameter, QStringLiteral("Temperature"));
    QCOMPARE(dialog->Grid()->item(row, rcValue)->text(), QStringLiteral("38.1 [C]"));

    sink->Answer(true);
    QVERIFY(form->CloseProjectCommand());
    QCOMPARE(sink->questions.back(), question);
    QCOMPARE(RecordDialogs(), 0);
    QVERIFY(!CurrentProject());
    QCoreApplication::processEvents();
    QVERIFY(!dialog);
    // Cancelled, not stored: the project opens again as it was.
    QVERIFY(form->OpenProjectAt(project));
    QCOMPARE(APSObjectCount(), objects);
  }

  void aDamagedRecordInTheChosenHistoryIsReported() {
    const std::string row = " WHERE Idtor = " + std::to_string(firstRecord);
    APSDatabase().Execute(("UPDATE VD_Records SET PVs = x'0000'" + row).c_str());
    bool chosen = false;
    WhenModal("vandro::TSelectObjectDlg", [&](QWidget* widget) {
      auto* dialog = static_cast<TSelectObjectDlg*>(widget);
      const int object = RowNamed(dialog->Objects(), 1, QStringLiteral("AAA_PUMP"));
      QVERIFY(object >= 0);
      dialog->Objects()->setCurrentCell(object, 1);
      chosen = true;
      // The object is still chosen, without states to pick.
      QCOMPARE(dialog->SelectedObject()->text(), QStringLiteral("AAA_PUMP"));
      QCOMPARE(dialog->States()->rowCount(), 0);
      dialog->OkButton()->click();
      dialog->reject();
    });
    QVERIFY(!OpenNewState(*form));
    QVERIFY(chosen);
    QCOMPARE(RecordDialogs(), 0);
    QVERIFY2(sink->Last().find("Damaged record " + std::to_string(firstRecord)) !=
                 std::string::npos,
             sink->Last().c_str());
    // The record is as it was: nothing wrote over it or removed it.
    TQuery query = APSDatabase().Query(("SELECT hex(PVs), ObjIdtor FROM VD_Records" + row).c_str());
    QVERIFY(query.Step());
    QCOMPARE(query.Text(0), std::string("0000"));
    QCOMPARE(static_cast<int32_t>(query.Int(1)), pump);
  }

  void theDialogLimitCountsRecordDialogs() {
    std::vector<TCreateRecordDlg*> open;
    while (form->Children().Count() < TChildWindows::kMaxOpen) {
      TCreateRecordDlg* dialog = OpenNewObject(*form);
      QVERIFY(dialog);
      open.push_back(dialog);
    }
    QCOMPARE(RecordDialogs(), static_cast<int>(open.size()));
    const size_t messages = sink->messages.size();
    QVERIFY(!OpenNewObject(*form));
    QVERIFY(!OpenNewState(*form)); // refused before "Select Object" opens
    QCOMPARE(sink->messages.size(), messages + 2);
    QCOMPARE(sink->Last(), std::string("Too many dialogs opened"));
    QCOMPARE(RecordDialogs(), static_cast<int>(open.size()));
    // One closed makes room for one more.
    open.back()->PressCancel();
    QCoreApplication::processEvents();
    QVERIFY(OpenNewObject(*form));
  }
};

VANDRO_APP_TEST(RecordWindowsTest);

} // namespace vandro::apptest

#include "record_windows_test.moc"
