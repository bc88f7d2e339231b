// The project manager, the database browser, DB Show and the object view are
// wired to the main window and to their rules.
#include "app/editing/select_object_dlg.h"
#include "app/model/moment_picker.h"
#include "app/model/object_view_dlg.h"
#include "app/shell/main_form.h"
#include "app/shell/text_edge.h"
#include "app/storage/database_browser_form.h"
#include "app/storage/db_show_form.h"
#include "app/storage/index_entry_dlg.h"
#include "app/storage/parameter_edit_dlg.h"
#include "app/storage/project_manager_form.h"
#include "app_test_support.h"
#include "model/data_record.h"
#include "model/object_set.h"
#include "model/project.h"
#include "model/state_track.h"
#include "shell/clock.h"
#include "shell/datetime.h"
#include "shell/settings.h"
#include "storage/objects.h"
#include "storage/project_lifecycle.h"

#include <QAction>
#include <QCheckBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
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
#include <QTreeWidget>
#include <QWheelEvent>

#include <memory>

namespace vandro::apptest {

// Notes each message with a count taken from the windows as it is shown.
class TWatchingSink final : public TMessageSink {
public:
  explicit TWatchingSink(std::function<int()> count) : count_(std::move(count)) {}
  void Show(const std::string& text) override { shown.emplace_back(text, count_()); }
  void ShowList(const std::vector<std::string>&) override {}
  bool Ask(const std::string&, bool yesDefault) override { return yesDefault; }
  std::vector<std::pair<std::string, int>> shown;

private:
  std::function<int()> count_;
};

class ProjectWindowsTest : public QObject {
  Q_OBJECT

  std::unique_ptr<QTemporaryDir> dir;
  std::unique_ptr<TSettings> settings;
  std::unique_ptr<TMainForm> form;
  std::unique_ptr<TRecordingSink> sink;

  // Opens a new project "Ward" through the main window, with a parameter
  // Pulse and the given number of objects O00, O01, ...
  void OpenProject(int objects = 0) {
    const QString file = dir->filePath(QStringLiteral("Ward.vdp"));
    QVERIFY(APSCreateProject(file.toStdString(), "", NewProjectInfo("Ward")));
    QVERIFY(form->OpenProjectAt(file));
    auto pulse = std::make_unique<TParameter>();
    pulse->ParamName = "Pulse";
    pulse->Category = "Vitals";
    CurrentProject()->AddParameter(std::move(pulse));
    for (int i = 0; i < objects; ++i)
      QVERIFY(APSCreateObject(QStringLiteral("O%1").arg(i, 2, 10, QLatin1Char('0')).toStdString()));
    Manager()->RefreshAll();
  }
  TProjectManagerForm* Manager() const { return form->ProjectManager(); }
  // A state of object with Pulse = pulse at time.
  static void StoreRecord(int32_t object, double time, const char* pulse) {
    TDataRecord record;
    record.ObjIdtor = object;
    record.RealTime = time;
    record.AddPV(*CurrentProject()->FindParameter("Pulse"), TValue::Null()).Value.SetPlain(pulse);
    record.Store(nullptr, false);
  }
  // A new group with these members since yesterday.
  static int32_t AddGroup(const QString& name, std::initializer_list<int32_t> members) {
    const int32_t group = APSCreateObject(name.toStdString());
    std::vector<TValue::Ptr> added;
    for (const int32_t member : members) {
      added.push_back(TValue::Create("test"));
      added.back()->SetText(vkObject, std::to_string(member));
    }
    TObjectSet set;
    set.Load(group);
    TStateTrack track;
    set.LatestStateAt(Now() - 1, track);
    track.ModifyGroup(added, {}, Now() - 1);
    return group;
  }
  static QStringList Children(const QTreeWidgetItem* item) {
    QStringList captions;
    for (int i = 0; i < item->childCount(); ++i)
      captions << item->child(i)->text(0);
    return captions;
  }
  void DoubleClick(QTreeWidget* tree, QTreeWidgetItem* item) {
    for (QTreeWidgetItem* up = item->parent(); up; up = up->parent())
      up->setExpanded(true);
    tree->scrollToItem(item);
    const QPoint at = tree->visualItemRect(item).center();
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, at);
  }
  static QStringList Column(const QTableWidget* grid, int column) {
    QStringList cells;
    for (int row = 0; row < grid->rowCount(); ++row)
      cells << (grid->item(row, column) ? grid->item(row, column)->text() : QString());
    return cells;
  }

private slots:
  void init() {
    dir = std::make_unique<QTemporaryDir>();
    sink = std::make_unique<TRecordingSink>();
    settings = std::make_unique<TSettings>();
    settings->Load(dir->filePath(QStringLiteral("config.vd")).toStdString());
    form = std::make_unique<TMainForm>(*settings);
    form->resize(1000, 700);
    form->show();
  }

  void cleanup() {
    form.reset();
    CloseProject();
    settings.reset();
    sink.reset();
    dir.reset();
  }

  void managerOpensWithTheProjectAndClosesIt() {
    for (const char* command : {"projManager", "projBrowse", "recViewObject"})
      QVERIFY2(!form->Command(QString::fromLatin1(command))->isEnabled(), command);
    settings->SetStartWithExplorer(true);
    OpenProject();
    for (const char* command : {"projManager", "projBrowse", "recViewObject"})
      QVERIFY2(form->Command(QString::fromLatin1(command))->isEnabled(), command);

    TProjectManagerForm* manager = Manager();
    QVERIFY(manager);
    QCOMPARE(form->Area()->subWindowList().size(), 1);
    QStringList tabs;
    for (int i = 0; i < manager->Tabs()->count(); ++i)
      tabs << manager->Tabs()->tabText(i);
    QCOMPARE(tabs,
             (QStringList{"General Info", "Explore", "Object Index", "Group Index", "Variables"}));
    QCOMPARE(manager->Tabs()->currentIndex(), int(TProjectManagerForm::ExplorePage));
    QCOMPARE(manager->Tree()->topLevelItemCount(), 1);
    QTreeWidgetItem* root = manager->Tree()->topLevelItem(0);
    QCOMPARE(root->text(0), QStringLiteral("Ward"));
    QCOMPARE(Children(root), (QStringList{"Parameters", "Units", "Templates", "Charts",
                                          "Object Index", "Group Index"}));
    QCOMPARE(Children(root->child(0)), (QStringList{"Vitals", "System"}));
    // Empty branches offer no expansion.
    QCOMPARE(root->child(2)->childCount(), 0);
    QCOMPARE(Children(root->child(5)), QStringList{"All Objects"});

    // The menu command brings it back after it was minimized.
    manager->parentWidget()->showMinimized();
    form->Command(QStringLiteral("projManager"))->trigger();
    QVERIFY(!manager->parentWidget()->isMinimized());

    // Closing it closes the project.
    manager->parentWidget()->close();
    QVERIFY(!CurrentProject());
    QVERIFY(!form->Command(QStringLiteral("projManager"))->isEnabled());
    QTRY_VERIFY(form->Area()->subWindowList().isEmpty());
  }

  void doubleClickOpensTheEditorTheNodeAsksFor() {
    OpenProject();
    TProjectManagerForm* manager = Manager();
    manager->Tabs()->setCurrentIndex(TProjectManagerForm::ExplorePage);
    QTreeWidget* tree = manager->Tree();

    // A user parameter: the parameter editor, whose OK renames it in place.
    QTreeWidgetItem* pulse =
        manager->FindItem(TManagerNodeKind::Parameter, QStringLiteral("Pulse"));
    QVERIFY(pulse);
    bool opened = false;
    WhenModal("vandro::TParameterEditDlg", [&](QWidget* dialog) {
      opened = true;
      auto* editor = static_cast<TParameterEditDlg*>(dialog);
      QCOMPARE(editor->NameEdit()->text(), QStringLiteral("Pulse"));
      editor->NameEdit()->setText(QStringLiteral("Heart"));
      editor->accept();
    });
    DoubleClick(tree, pulse);
    QVERIFY(opened);
    QVERIFY(CurrentProject()->FindParameter("Heart"));
    QVERIFY(manager->FindItem(TManagerNodeKind::Parameter, QStringLiteral("Heart")));
    QCOMPARE(tree->currentItem()->text(0), QStringLiteral("Heart"));
    QCOMPARE(manager->Details()->item(0, 1)->text(), QStringLiteral("Heart"));

    // A unit the system supplies: refused, nothing opens.
    QTreeWidgetItem* kilogram =
        manager->FindItem(TManagerNodeKind::Unit, QStringLiteral("kilogram"));
    QVERIFY(kilogram);
    sink->messages.clear();
    DoubleClick(tree, kilogram);
    QCOMPARE(sink->Last(), std::string("This unit can't be modified"));
    QVERIFY(!QApplication::activeModalWidget());
  }

  void variableButtonsNeedARow() {
    OpenProject();
    TProjectManagerForm* manager = Manager();
    manager->Tabs()->setCurrentIndex(TProjectManagerForm::VariablesPage);
    QCOMPARE(manager->VariablesGrid()->rowCount(), 1);
    for (const char* button : {"Edit", "View", "Delete Variable"}) {
      sink->messages.clear();
      QPushButton* pushed = manager->Button(QString::fromLatin1(button));
      QVERIFY2(pushed, button);
      pushed->click();
      QCOMPARE(sink->Last(), std::string("Select variable"));
    }
    WhenModal("vandro::TVariableDlg", [](QWidget* dialog) {
      auto edits = dialog->findChildren<QLineEdit*>();
      edits.at(0)->setText(QStringLiteral("limit"));
      edits.at(1)->setText(QStringLiteral("120"));
      static_cast<QDialog*>(dialog)->accept();
    });
    manager->Button(QStringLiteral("Add Variable"))->click();
    QCOMPARE(Column(manager->VariablesGrid(), 0), QStringList{"LIMIT"});
    QCOMPARE(Column(manager->VariablesGrid(), 1), QStringList{"120"});
  }

  void indexPageAndInformationEditReachTheProject() {
    OpenProject(2);
    TProjectManagerForm* manager = Manager();
    manager->Tabs()->setCurrentIndex(TProjectManagerForm::ObjectIndexPage);
    const int32_t first = APSFindObject("O00");
    int shown = 0;
    // A refusal keeps the dialog open; the second try is stored.
    WhenModal("vandro::TIndexEntryDlg", [&](QWidget* dialog) {
      auto* entry = static_cast<TIndexEntryDlg*>(dialog);
      entry->NameEdit()->setText(QStringLiteral("front"));
      entry->accept();
      QVERIFY(entry->isVisible());
      QCOMPARE(sink->Last(), std::string("Select an object"));
      entry->SetObject(first);
      entry->accept();
      ++shown;
    });
    manager->Button(QStringLiteral("Add Entry"))->click();
    QCOMPARE(shown, 1);
    QCOMPARE(Column(manager->IndexGrid(ikObjects), 0), QStringList{"FRONT"});
    QVERIFY(manager->FindItem(TManagerNodeKind::ObjectEntry, QStringLiteral("FRONT")));

    // "General Info": the edited name reaches the file and the status bar.
    manager->Tabs()->setCurrentIndex(TProjectManagerForm::GeneralInfoPage);
    manager->InfoEditButton()->click();
    QVERIFY(manager->InfoGrid()->isVisible());
    // The dates are shown, not changed.
    for (const int row : {5, 6}) {
      QCOMPARE(manager->InfoGrid()->item(row, 1)->text(),
               FromCore(DateTimeToText(row == 5 ? CurrentProject()->Info().StartDate
                                                : CurrentProject()->Info().LastOpened)));
      QVERIFY(!(manager->InfoGrid()->item(row, 1)->flags() & Qt::ItemIsEditable));
    }
    manager->InfoGrid()->item(0, 1)->setText(QStringLiteral("Clinic"));
    manager->InfoOkButton()->click();
    QVERIFY(!manager->InfoGrid()->isVisible());
    QCOMPARE(CurrentProject()->Info().Name, std::string("Clinic"));
    QVERIFY(manager->InfoText()->toPlainText().contains(QStringLiteral("Clinic")));
    QCOMPARE(form->StatusPanel(0)->text(), QStringLiteral("Project: Clinic"));
  }

  void browserPagesAndListsStates() {
    OpenProject();
    form->Command(QStringLiteral("projBrowse"))->trigger();
    QCOMPARE(sink->Last(), std::string("Database is empty"));

    for (int i = 0; i < 70; ++i)
      QVERIFY(APSCreateObject(QStringLiteral("O%1").arg(i, 2, 10, QLatin1Char('0')).toStdString()));
    bool checked = false;
    WhenModal("vandro::TDatabaseBrowserForm", [&](QWidget* dialog) {
      auto* browser = static_cast<TDatabaseBrowserForm*>(dialog);
      const int page = browser->Browser().PageSize();
      QVERIFY(page >= 1 && page <= 64);
      QCOMPARE(browser->ObjectsGrid()->rowCount(), page);
      QCOMPARE(browser->ObjectsGrid()->item(0, 1)->text(), QStringLiteral("O00"));
      QCOMPARE(browser->ScrollBar()->maximum(), 70 - page);
      browser->ScrollBar()->setValue(browser->ScrollBar()->maximum());
      QCOMPARE(browser->ObjectsGrid()->rowCount(), page);
      QCOMPARE(browser->ObjectsGrid()->item(page - 1, 1)->text(), QStringLiteral("O69"));
      // An object without records: the message, no state rows.
      sink->messages.clear();
      browser->ObjectsGrid()->selectRow(0);
      QVERIFY(sink->Last().starts_with("States for the object aren't found. Id="));
      QCOMPARE(browser->StatesGrid()->rowCount(), 0);
      checked = true;
      browser->reject();
    });
    form->Command(QStringLiteral("projBrowse"))->trigger();
    QVERIFY(checked);
  }

  // Choosing an object shows its states with the first one's values.
  void browserShowsTheFirstStatesValues() {
    OpenProject(1);
    TDataRecord record;
    record.ObjIdtor = APSFindObject("O00");
    record.RecName = "O00[1]";
    record.RealTime = Now() - 1;
    record.AddPV(*CurrentProject()->FindParameter("Pulse"), TValue::Null()).Value.SetPlain("72");
    record.Store(nullptr, false);
    bool checked = false;
    WhenModal("vandro::TDatabaseBrowserForm", [&](QWidget* dialog) {
      auto* browser = static_cast<TDatabaseBrowserForm*>(dialog);
      browser->ObjectsGrid()->selectRow(0);
      QCOMPARE(browser->StatesGrid()->rowCount(), 1);
      QCOMPARE(browser->StatesGrid()->currentRow(), 0);
      QCOMPARE(browser->ValuesGrid()->item(0, 0)->text(), QStringLiteral("Pulse"));
      QCOMPARE(browser->ValuesGrid()->item(0, 1)->text(), QStringLiteral("72"));
      checked = true;
      browser->reject();
    });
    form->Command(QStringLiteral("projBrowse"))->trigger();
    QVERIFY(checked);
  }

  void dbShowListsTheNineTables() {
    OpenProject(3);
    TDbShowForm tables;
    QCOMPARE(tables.Tabs()->count(), 9);
    QCOMPARE(tables.Tabs()->tabText(0), QStringLiteral("VD_Objects"));
    QAbstractItemModel* objects = tables.Grid(0)->model();
    QCOMPARE(objects->rowCount(), 3);
    QCOMPARE(objects->headerData(2, Qt::Horizontal).toString(), QStringLiteral("ObjName"));
    QCOMPARE(objects->index(0, 2).data().toString(), QStringLiteral("O00"));
    // The units table is read a slice at a time.
    QAbstractItemModel* units = tables.Grid(1)->model();
    while (units->canFetchMore({}))
      units->fetchMore({});
    QCOMPARE(units->rowCount(), CurrentProject()->Units().Count());
  }

  void objectViewOpensOnAnObject() {
    OpenProject(2);
    const int32_t id = APSFindObject("O01");
    bool checked = false;
    WhenModal("vandro::TSelectObjectDlg", [&](QWidget* dialog) {
      auto* pick = static_cast<TSelectObjectDlg*>(dialog);
      pick->Objects()->setCurrentCell(0, 1); // the first object, O00
      pick->OkButton()->click();
    });
    WhenModal("vandro::TObjectViewDlg", [&](QWidget* dialog) {
      auto* view = static_cast<TObjectViewDlg*>(dialog);
      QCOMPARE(TObjectViewDlg::Showing(), view);
      QCOMPARE(view->ObjectId(), APSFindObject("O00"));
      QCOMPARE(view->SelectedRecord(), 0);
      QVERIFY(view->NewStateButton() && view->EditRecordButton());
      QCOMPARE(view->NewStateButton()->text(), QStringLiteral("Create New State"));
      QCOMPARE(view->NewStateButton()->isEnabled(),
               form->Command(QStringLiteral("recNewState"))->isEnabled());
      checked = true;
      view->CloseWithOk();
    });
    form->Command(QStringLiteral("recViewObject"))->trigger();
    QTRY_VERIFY(checked);
    QVERIFY(!TObjectViewDlg::Showing());

    TObjectViewDlg view;
    QVERIFY(!view.NewStateButton());
    QVERIFY(view.Open(id));
    QVERIFY(!view.Open(id + 32 * 10));
    QCOMPARE(sink->Last(), "Object doesn't exist. Id=" + std::to_string(id + 32 * 10));
  }

  void theGroupIndexTakesGroupsAndShowsTheirNamesAfterARename() {
    OpenProject(2);
    const int32_t ward = AddGroup(QStringLiteral("WARD"), {APSFindObject("O00")});
    TProjectManagerForm* manager = Manager();
    manager->Tabs()->setCurrentIndex(TProjectManagerForm::GroupIndexPage);
    int shown = 0;
    WhenModal("vandro::TIndexEntryDlg", [&](QWidget* dialog) {
      auto* entry = static_cast<TIndexEntryDlg*>(dialog);
      entry->NameEdit()->setText(QStringLiteral("east"));
      // The chooser offers the groups only.
      WhenModal("vandro::TSelectObjectDlg", [&](QWidget* picker) {
        auto* pick = static_cast<TSelectObjectDlg*>(picker);
        QVERIFY(!pick->ShowDataObjects()->isChecked());
        QCOMPARE(pick->Objects()->rowCount(), 1);
        pick->Objects()->setCurrentCell(0, 1);
        pick->OkButton()->click();
      });
      entry->ChooseButton()->click();
      QCOMPARE(entry->ObjectId(), ward);
      // An object that is not a group is refused.
      entry->SetObject(APSFindObject("O01"));
      entry->accept();
      QVERIFY(entry->isVisible());
      QCOMPARE(sink->Last(), std::string("Select a group"));
      entry->SetObject(ward);
      entry->accept();
      ++shown;
    });
    manager->Button(QStringLiteral("Add Entry"))->click();
    QCOMPARE(shown, 1);
    QCOMPARE(Column(manager->IndexGrid(ikGroups), 1), QStringList{"WARD"});

    // Renamed from the Records menu: the index page shows the new name.
    WhenModal("vandro::TSelectObjectDlg", [&](QWidget* picker) {
      auto* pick = static_cast<TSelectObjectDlg*>(picker);
      // The last page of the list ends with WARD.
      pick->ObjectScroll()->setValue(pick->ObjectScroll()->maximum());
      const int last = pick->Objects()->rowCount() - 1;
      QCOMPARE(pick->Objects()->item(last, 1)->text(), QStringLiteral("WARD"));
      pick->Objects()->setCurrentCell(last, 1);
      pick->OkButton()->click();
    });
    WhenModal("QInputDialog", [](QWidget* input) {
      static_cast<QInputDialog*>(input)->setTextValue(QStringLiteral("hall"));
      static_cast<QInputDialog*>(input)->accept();
    });
    sink->Answer(true); // the warning about formulas
    form->Command(QStringLiteral("recRename"))->trigger();
    QCOMPARE(APSObjectName(ward), std::string("HALL"));
    QCOMPARE(Column(manager->IndexGrid(ikGroups), 1), QStringList{"HALL"});
  }

  void theObjectViewOfAGroupShowsItsMembersEachOpenable() {
    OpenProject(2);
    const int32_t first = APSFindObject("O00");
    StoreRecord(first, Now() - 2, "72");
    const int32_t ward = AddGroup(QStringLiteral("WARD"), {first, APSFindObject("O01")});
    TObjectViewDlg view;
    QVERIFY(view.Open(ward));
    QVERIFY(view.ContentGrid()->isVisibleTo(&view));
    QCOMPARE(Column(view.ContentGrid(), 0), (QStringList{"O00", "O01"}));
    QCOMPARE(Column(view.ContentGrid(), 1),
             (QStringList{QString::number(first), QString::number(APSFindObject("O01"))}));
    bool opened = false;
    WhenModal("vandro::TObjectViewDlg", [&](QWidget* dialog) {
      auto* member = static_cast<TObjectViewDlg*>(dialog);
      if (member == &view) return;
      opened = true;
      QCOMPARE(member->ObjectId(), first);
      QCOMPARE(TObjectViewDlg::Showing(), member);
      QVERIFY(!member->ContentGrid()->isVisibleTo(member)); // no group
      QCOMPARE(Column(member->ValuesGrid(), 1), QStringList{"72"});
      member->reject();
    });
    view.ViewMember(0);
    QVERIFY(opened);

    // A moment without a state: nothing of the state shown before is left,
    // neither behind the message that says so nor after it.
    TObjectViewDlg object;
    QVERIFY(object.Open(first));
    QCOMPARE(Column(object.ValuesGrid(), 1), QStringList{"72"});
    object.Moment()->SetMoment(Now() - 30);
    TWatchingSink watching(
        [&] { return object.StatesGrid()->rowCount() + object.ValuesGrid()->rowCount(); });
    {
      const ScopedMessageSink scope(watching);
      object.Refresh();
    }
    QCOMPARE(watching.shown,
             (std::vector<std::pair<std::string, int>>{
                 {"States for the object aren't found. Id=" + std::to_string(first), 0}}));
    QCOMPARE(object.StatesGrid()->rowCount(), 0);
    QCOMPARE(object.ValuesGrid()->rowCount(), 0);
    QVERIFY(!object.SelectedTrack());

    // The same in "Browse Database".
    bool checked = false;
    WhenModal("vandro::TDatabaseBrowserForm", [&](QWidget* dialog) {
      auto* browser = static_cast<TDatabaseBrowserForm*>(dialog);
      browser->ObjectsGrid()->selectRow(0);
      QCOMPARE(Column(browser->ValuesGrid(), 1), QStringList{"72"});
      browser->Moment()->SetMoment(Now() - 30);
      TWatchingSink behind(
          [&] { return browser->StatesGrid()->rowCount() + browser->ValuesGrid()->rowCount(); });
      {
        const ScopedMessageSink scope(behind);
        browser->RefreshButton()->click();
      }
      QCOMPARE(behind.shown.size(), size_t{1});
      QCOMPARE(behind.shown[0].second, 0);
      QCOMPARE(browser->ValuesGrid()->rowCount(), 0);
      checked = true;
      browser->reject();
    });
    form->Command(QStringLiteral("projBrowse"))->trigger();
    QVERIFY(checked);
  }

  void theBrowserShowsWholeRowsAndPagesWithTheWheelAndKeys() {
    OpenProject(90);
    bool checked = false;
    WhenModal("vandro::TDatabaseBrowserForm", [&](QWidget* dialog) {
      auto* browser = static_cast<TDatabaseBrowserForm*>(dialog);
      QTableWidget* grid = browser->ObjectsGrid();
      for (const QSize size : {QSize(820, 520), QSize(700, 431), QSize(900, 613)}) {
        browser->resize(size);
        QCoreApplication::processEvents();
        const int page = browser->Browser().PageSize();
        QCOMPARE(grid->rowCount(), page);
        // The last row of the page is whole, and one more would not fit.
        const int last = grid->rowViewportPosition(page - 1) + grid->rowHeight(page - 1);
        QVERIFY2(last <= grid->viewport()->height(), qPrintable(QString::number(size.height())));
        QVERIFY(last + grid->rowHeight(0) > grid->viewport()->height());
      }
      const int page = browser->Browser().PageSize();
      QTest::keyClick(grid, Qt::Key_PageDown);
      QCOMPARE(browser->ScrollBar()->value(), page);
      QCOMPARE(grid->item(0, 1)->text(), QStringLiteral("O%1").arg(page, 2, 10, QLatin1Char('0')));
      QTest::keyClick(grid, Qt::Key_PageUp);
      QCOMPARE(browser->ScrollBar()->value(), 0);
      QWheelEvent down(QPointF(5, 5), grid->viewport()->mapToGlobal(QPointF(5, 5)), QPoint(),
                       QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
      QApplication::sendEvent(grid->viewport(), &down);
      QVERIFY(browser->ScrollBar()->value() > 0);
      QCOMPARE(grid->item(0, 1)->text(),
               QStringLiteral("O%1").arg(browser->ScrollBar()->value(), 2, 10, QLatin1Char('0')));
      checked = true;
      browser->reject();
    });
    form->Command(QStringLiteral("projBrowse"))->trigger();
    QVERIFY(checked);
  }
};

VANDRO_APP_TEST(ProjectWindowsTest);

} // namespace vandro::apptest

#include "project_windows_test.moc"
