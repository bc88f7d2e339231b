// The project manager, the database browser, DB Show and the object view are
// wired to the main window and to their rules.
#include "app/model/object_view_dlg.h"
#include "app/shell/main_form.h"
#include "app/storage/database_browser_form.h"
#include "app/storage/db_show_form.h"
#include "app/storage/index_entry_dlg.h"
#include "app/storage/parameter_edit_dlg.h"
#include "app/storage/project_manager_form.h"
#include "app_test_support.h"
#include "model/data_record.h"
#include "model/project.h"
#include "shell/clock.h"
#include "shell/settings.h"
#include "storage/objects.h"
#include "storage/project_lifecycle.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
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

#include <memory>

namespace vandro::apptest {

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
    QCOMPARE(manager->InfoGrid()->item(5, 1)->text(), QStringLiteral("n/a"));
    QVERIFY(!(manager->InfoGrid()->item(5, 1)->flags() & Qt::ItemIsEditable));
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
    WhenModal("vandro::TObjectPickDlg", [&](QWidget* dialog) {
      static_cast<QDialog*>(dialog)->accept(); // the first object, O00
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
};

VANDRO_APP_TEST(ProjectWindowsTest);

} // namespace vandro::apptest

#include "project_windows_test.moc"
