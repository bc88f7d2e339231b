#include "app/editing/select_object_dlg.h"
#include "app/shell/child_form.h"
#include "app/shell/date_pickers.h"
#include "app/shell/main_form.h"
#include "app/storage/project_manager_form.h"
#include "app/values/unit_list_dlg.h"
#include "app_test_support.h"
#include "model/project.h"
#include "shell/datetime.h"
#include "shell/settings.h"
#include "storage/access.h"
#include "storage/objects.h"
#include "storage/project_lifecycle.h"
#include "support/unwritable.h"

#include <QAction>
#include <QCheckBox>
#include <QDateEdit>
#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <memory>

namespace vandro::apptest {

namespace {

// A child window that works on one object.
class TTestChild final : public TChildForm {
public:
  TTestChild(TChildKind kind, int32_t object = 0) : TChildForm(kind), object_(object) {
    resize(200, 120);
  }
  bool UsesObject(int32_t id) const override { return id != 0 && id == object_; }

private:
  int32_t object_;
};

QStringList Captions(const QMenu* menu) {
  QStringList captions;
  for (const QAction* action : menu->actions())
    captions << (action->isSeparator() ? QStringLiteral("-") : action->text());
  return captions;
}

} // namespace

class MainFormTest : public QObject {
  Q_OBJECT

  std::unique_ptr<QTemporaryDir> dir;
  std::unique_ptr<TSettings> settings;
  std::unique_ptr<TMainForm> form;
  std::unique_ptr<TRecordingSink> sink;

  QString Path(const QString& relative) const { return dir->filePath(relative); }
  // A closed project "name" in its own folder; returns its file.
  QString MakeProject(const QString& folder, const QString& name = QStringLiteral("Test")) {
    const QString file = Path(folder + QLatin1Char('/') + name + QStringLiteral(".vdp"));
    [&] {
      QVERIFY(APSCreateProject(file.toStdString(), "", NewProjectInfo(name.toStdString())));
    }();
    return file;
  }
  TSettings ReadSettingsFile() const {
    TSettings stored;
    stored.Load(settings->Path());
    return stored;
  }
  bool Enabled(const char* command) const {
    return form->Command(QString::fromLatin1(command))->isEnabled();
  }

private slots:
  void init() {
    dir = std::make_unique<QTemporaryDir>();
    sink = std::make_unique<TRecordingSink>();
    settings = std::make_unique<TSettings>();
    settings->Load(Path(QStringLiteral("config.vd")).toStdString());
    form = std::make_unique<TMainForm>(*settings);
  }

  void cleanup() {
    form.reset();
    CloseProject();
    settings.reset();
    SetDateStyle(TDateStyle::European);
    sink.reset();
    dir.reset();
  }

  void withoutAProjectOnlyTheGeneralCommandsWork() {
    QCOMPARE(form->windowTitle(), QStringLiteral("Vandro: None"));
    QCOMPARE(form->StatusPanel(1)->text(), QStringLiteral("Ready"));
    for (const char* command :
         {"fileNew", "fileOpen", "filePrintSetup", "fileExit", "editCopy", "viewToolBar",
          "viewEuropean", "winTile", "helpContents", "helpAbout", "statDistributions"})
      QVERIFY2(Enabled(command), command);
    for (const char* command : {"fileClose", "filePrint", "projUnits", "recRename", "recNewObject",
                                "statDialog", "projBrowse"})
      QVERIFY2(!Enabled(command), command);
    QCOMPARE(form->Command(QStringLiteral("projBrowse"))->shortcut(),
             QKeySequence(QStringLiteral("Ctrl+Alt+V")));

    // The tool bar's fifteen buttons, with the hints users see.
    QCOMPARE(form->ToolBar()->actions().size() - 5, 15); // five separators
    const std::pair<const char*, const char*> hints[] = {
        {"recNewObject", "Create new object "},
        {"recNewGroup", "Create new object as group "},
        {"recNewState", "Create new state of an object"},
        {"recNewGroupState", "Create new state of a group"}};
    for (const auto& [command, hint] : hints) {
      QAction* action = form->Command(QString::fromLatin1(command));
      QVERIFY(form->ToolBar()->actions().contains(action));
      QCOMPARE(form->ToolBar()->widgetForAction(action)->toolTip(), QString::fromLatin1(hint));
    }
    // No recent project: no separator of their own before "Exit".
    const QList<QAction*> file = form->FileMenu()->actions();
    QVERIFY(!file.at(file.size() - 2)->isVisible());
  }

  void openingAndClosingAProjectSwitchesCommandsAndCaption() {
    const QString file = MakeProject(QStringLiteral("a"), QStringLiteral("Clinic"));
    QVERIFY(form->OpenProjectAt(file));
    QCOMPARE(form->windowTitle(), QStringLiteral("Vandro: ") + file + QLatin1Char(' '));
    QCOMPARE(form->StatusPanel(0)->text(), QStringLiteral("Project: Clinic"));
    for (const char* command : {"fileClose", "filePrint", "projUnits", "projCharts", "recRename",
                                "recNewObject", "recNewState", "recEditRecord"})
      QVERIFY2(Enabled(command), command);
    QCOMPARE(ReadSettingsFile().RecentProjects(), std::vector<std::string>{file.toStdString()});

    form->Command(QStringLiteral("fileClose"))->trigger();
    QVERIFY(!CurrentProject());
    QCOMPARE(form->windowTitle(), QStringLiteral("Vandro: None"));
    QVERIFY(form->StatusPanel(0)->text().isEmpty());
    QVERIFY(!Enabled("projUnits"));
    QVERIFY(sink->messages.empty());
  }

  void recentProjectsAreMenuItemsThatOpenAndMoveToTheTop() {
    const QString first = MakeProject(QStringLiteral("a-folder-with-a-rather-long-name"));
    const QString second = MakeProject(QStringLiteral("b"));
    QVERIFY(form->OpenProjectAt(first));
    QVERIFY(form->OpenProjectAt(second));

    QStringList file = Captions(form->FileMenu());
    const qsizetype exit = file.size() - 1;
    QCOMPARE(file.at(exit), QStringLiteral("E&xit"));
    QCOMPARE(file.at(exit - 1), QStringLiteral("-"));
    QVERIFY(file.at(exit - 3).startsWith(QStringLiteral("&1 ")));
    // A long path: its first three characters, "..." and its last 23.
    const QString shown = file.at(exit - 2).mid(3);
    QCOMPARE(shown, first.left(3) + QStringLiteral("...") + first.right(23));

    // Choosing the second item opens it and puts it first.
    form->FileMenu()->actions().at(exit - 2)->trigger();
    QCOMPARE(QString::fromStdString(CurrentProject()->Info().Location), first);
    file = Captions(form->FileMenu());
    QCOMPARE(file.at(exit - 3).mid(3), shown);
    QCOMPARE(ReadSettingsFile().RecentProjects().size(), size_t{2});
  }

  void templateMenuShowsEightNamesThenMore() {
    std::vector<std::string> names;
    for (int i = 1; i <= 9; ++i)
      names.push_back("VISIT " + std::to_string(i));
    names[0] = "R&D";
    form->SetTemplateNameSource([&names] { return names; });
    const QStringList before = Captions(form->RecordsMenu());

    QVERIFY(form->OpenProjectAt(MakeProject(QStringLiteral("t"))));
    const QList<QAction*> items = form->RecordsMenu()->actions();
    QCOMPARE(items.size(), before.size() + 10);
    QCOMPARE(items.at(0)->text(), QStringLiteral("R&&D"));
    QCOMPARE(items.at(0)->data().toString(), QStringLiteral("R&D"));
    QCOMPARE(items.at(7)->text(), QStringLiteral("VISIT 8"));
    QCOMPARE(items.at(8)->text(), QStringLiteral("More ..."));
    QVERIFY(items.at(9)->isSeparator());

    // Closing the project takes them away again.
    QVERIFY(form->CloseProjectCommand());
    QCOMPARE(Captions(form->RecordsMenu()), before);
  }

  void childWindowsCascadeAndStopAt65() {
    QVERIFY(form->OpenChild(new TTestChild(TChildKind::RecordDialog)));
    QVERIFY(form->OpenChild(new TTestChild(TChildKind::RecordDialog)));
    QVERIFY(form->OpenChild(new TTestChild(TChildKind::GroupView)));
    const auto& records = form->Children().List(TChildKind::RecordDialog);
    const auto* first = static_cast<TTestChild*>(records[0]);
    const auto* second = static_cast<TTestChild*>(records[1]);
    QCOMPARE(first->SubWindow()->pos(), QPoint(10, 10));
    QCOMPARE(second->SubWindow()->pos(), QPoint(20, 20));
    QCOMPARE(second->Index(), 1);
    QCOMPARE(static_cast<TTestChild*>(form->Children().List(TChildKind::GroupView)[0])
                 ->SubWindow()
                 ->pos(),
             QPoint(10, 10));

    while (form->Children().Count() < 65)
      QVERIFY(form->OpenChild(new TTestChild(TChildKind::ChartWindow)));
    QVERIFY(sink->messages.empty());
    QVERIFY(!form->OpenChild(new TTestChild(TChildKind::RecordDialog)));
    QCOMPARE(sink->Last(), std::string("Too many dialogs opened"));
    QCOMPARE(form->Area()->subWindowList().size(), 65);

    // A closed child leaves its list, which makes room again.
    form->Area()->subWindowList().first()->close();
    QTRY_COMPARE(form->Children().Count(), 64);
    QVERIFY(form->OpenChild(new TTestChild(TChildKind::RecordDialog)));
  }

  void closingTheProjectAsksAboutOpenDialogs() {
    const QString other = MakeProject(QStringLiteral("d"));
    QVERIFY(form->OpenProjectAt(MakeProject(QStringLiteral("c"))));
    QVERIFY(form->OpenChild(new TTestChild(TChildKind::RecordDialog)));
    sink->Answer(false);
    QVERIFY(!form->CloseProjectCommand());
    QVERIFY(CurrentProject());
    QCOMPARE(form->Children().Count(), 1);
    QCOMPARE(sink->questions.back(),
             std::string("You should close all the Record Dialogs\r\nbefore closing the "
                         "project.\r\nDo you want to close all of them?"));
    // Opening another project asks the same; No keeps this one open.
    sink->Answer(false);
    QVERIFY(!form->OpenProjectAt(other));
    QVERIFY(form->windowTitle().contains(QStringLiteral("/c/Test.vdp")));
    QCOMPARE(form->Children().Count(), 1);

    sink->Answer(true);
    QVERIFY(form->CloseProjectCommand());
    QVERIFY(!CurrentProject());
    QCOMPARE(form->Children().Count(), 0);
    QTRY_COMPARE(form->Area()->subWindowList().size(), 0);
    QCOMPARE(sink->unanswered, 0);
  }

  void renamingAnObjectInUseIsRefused() {
    QVERIFY(form->OpenProjectAt(MakeProject(QStringLiteral("r"))));
    const int32_t ann = APSCreateObject("ANN");
    QVERIFY(form->OpenChild(new TTestChild(TChildKind::RecordDialog, ann)));
    WhenModal("vandro::TSelectObjectDlg", [](QWidget* picker) {
      auto* dialog = static_cast<TSelectObjectDlg*>(picker);
      QCOMPARE(dialog->Objects()->item(0, 1)->text(), QStringLiteral("ANN"));
      dialog->Objects()->setCurrentCell(0, 1);
      WhenModal("QInputDialog", [](QWidget* input) {
        auto* dialog = static_cast<QInputDialog*>(input);
        QCOMPARE(dialog->labelText(), QStringLiteral("Input new object name"));
        QCOMPARE(dialog->textValue(), QStringLiteral("ANN"));
        dialog->setTextValue(QStringLiteral("Anna"));
        dialog->accept();
      });
      dialog->OkButton()->click();
    });
    form->Command(QStringLiteral("recRename"))->trigger();
    QCOMPARE(sink->Last(), std::string("Can't change name: object is in use"));
    QCOMPARE(APSObjectName(ann), std::string("ANN"));
  }

  void viewOptionsAreStoredAtOnce() {
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    QVERIFY(form->ToolBar()->isVisible());
    form->Command(QStringLiteral("viewToolBar"))->trigger();
    QVERIFY(!form->ToolBar()->isVisible());
    form->Command(QStringLiteral("viewStatusBar"))->trigger();
    QVERIFY(!form->statusBar()->isVisible());
    form->Command(QStringLiteral("viewExplorer"))->trigger();
    form->Command(QStringLiteral("viewWelcome"))->trigger();
    TSettings stored = ReadSettingsFile();
    QVERIFY(!stored.ToolBar());
    QVERIFY(!stored.StatusBar());
    QVERIFY(stored.StartWithExplorer());
    QVERIFY(!stored.WelcomeWindow());

    // The date style changes every date picker and the dates shown at once.
    QDateEdit picker(QDate(2005, 4, 3));
    picker.setDisplayFormat(DatePickerFormat());
    picker.show();
    QCOMPARE(picker.text(), QStringLiteral("03.04.2005"));
    form->Command(QStringLiteral("viewEuropean"))->trigger();
    QVERIFY(!ReadSettingsFile().EuropeanDateStyle());
    QCOMPARE(DateStyle(), TDateStyle::US);
    QCOMPARE(picker.text(), QStringLiteral("04/03/2005"));
    QVERIFY(form->StatusPanel(2)->text().contains(QLatin1Char('/')));
  }

  void placementIsStoredWhenTheWindowChanges() {
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    form->resize(700, 500);
    QTRY_COMPARE(ReadSettingsFile().WindowWidth(), 700);
    QCOMPARE(ReadSettingsFile().WindowHeight(), 500);
  }

  void commandsThatHaveNothingToWorkOnSaySo() {
    QVERIFY(form->OpenProjectAt(MakeProject(QStringLiteral("p"))));
    form->Command(QStringLiteral("filePrint"))->trigger();
    QCOMPARE(sink->Last(), std::string("Nothing to print"));
    // The test program has no manual beside it.
    form->Command(QStringLiteral("helpHome"))->trigger();
    QCOMPARE(sink->Last(), std::string("Can't open the home page"));
  }

  void startUpOpensTheProjectNamedOrOffersTheWelcomeWindow() {
    const QString file = MakeProject(QStringLiteral("s"), QStringLiteral("Named"));
    form->StartUp(file);
    QCOMPARE(form->StatusPanel(0)->text(), QStringLiteral("Project: Named"));
    QVERIFY(form->CloseProjectCommand());

    // Nothing named: the welcome window, whose tick turns itself off.
    WhenModal("vandro::TWelcomeForm", [](QWidget* welcome) {
      auto* dialog = static_cast<QDialog*>(welcome);
      QCheckBox* dontShow = dialog->findChild<QCheckBox*>();
      dontShow->setChecked(true);
      dialog->reject();
    });
    form->StartUp(QString());
    QVERIFY(!CurrentProject());
    QVERIFY(!settings->WelcomeWindow());
    QVERIFY(!ReadSettingsFile().WelcomeWindow());
    QVERIFY(!form->Command(QStringLiteral("viewWelcome"))->isChecked());
  }

  void alwaysShowHiddenSurvivesARestart() {
    QVERIFY(!form->AlwaysShowHidden());
    form->Command(QStringLiteral("viewShowHidden"))->trigger();
    QVERIFY(form->AlwaysShowHidden());
    QVERIFY(ReadSettingsFile().AlwaysShowHidden());

    form.reset();
    settings = std::make_unique<TSettings>();
    settings->Load(Path(QStringLiteral("config.vd")).toStdString());
    form = std::make_unique<TMainForm>(*settings);
    QVERIFY(form->AlwaysShowHidden());
    QVERIFY(form->Command(QStringLiteral("viewShowHidden"))->isChecked());
  }

  void aProjectOpenedForLookingDisablesWhatWouldChangeIt() {
    const QString file = MakeProject(QStringLiteral("r"), QStringLiteral("Archive"));
    QVERIFY(OpenProject(file.toStdString(), TOpenMode::Look));
    form->ProjectChanged();
    QCOMPARE(form->windowTitle(),
             QStringLiteral("Vandro: ") + file + QStringLiteral(" (read-only)"));
    QVERIFY(!Enabled("recRename"));
    for (const char* command :
         {"fileClose", "filePrint", "projUnits", "projManager", "projBrowse", "recViewObject"})
      QVERIFY2(Enabled(command), command);

    // The windows it reaches show the project and keep their changing
    // buttons disabled.
    TProjectManagerForm* manager = form->ProjectManager();
    QVERIFY(manager);
    QVERIFY(!manager->InfoEditButton()->isEnabled());
    for (const int page :
         {int(TProjectManagerForm::ObjectIndexPage), int(TProjectManagerForm::VariablesPage)}) {
      manager->Tabs()->setCurrentIndex(page);
      for (QPushButton* button : manager->Tabs()->currentWidget()->findChildren<QPushButton*>()) {
        const bool changes = !button->text().startsWith(QStringLiteral("View")) &&
                             button->text() != QStringLiteral("Sort by Name");
        QVERIFY2(button->isEnabled() != changes, qPrintable(button->text()));
      }
    }
    TUnitListDlg units(true);
    QVERIFY(units.RefreshButton()->isEnabled());
    for (QPushButton* button :
         {units.AddButton(), units.DeleteButton(), units.EditButton(), units.MakeBasicButton()})
      QVERIFY2(!button->isEnabled(), qPrintable(button->text()));
    QVERIFY(units.Table()->rowCount() > 100);

    // Opened to be changed, the same project has them all again.
    QVERIFY(form->OpenProjectAt(file));
    QCOMPARE(form->windowTitle(), QStringLiteral("Vandro: ") + file + QLatin1Char(' '));
    QVERIFY(Enabled("recRename"));
    QVERIFY(form->ProjectManager()->InfoEditButton()->isEnabled());
    QVERIFY(TUnitListDlg(true).AddButton()->isEnabled());
  }

  void aProjectThatCannotBeWrittenIsSaidThenOpenedReadOnly() {
    const QString file = MakeProject(QStringLiteral("ro"), QStringLiteral("Archive"));
    const QString folder = QFileInfo(file).absolutePath();
    const QByteArray stored = [&] {
      QFile project(file);
      return project.open(QIODevice::ReadOnly) ? project.readAll() : QByteArray();
    }();
    const testing::TUnwritable unwritable(
        {QFile::encodeName(folder).toStdString(), QFile::encodeName(file).toStdString(),
         QFile::encodeName(folder).toStdString() + "/Archive.vdb"});
    if (!unwritable.Refused().empty())
      QSKIP(qPrintable(QStringLiteral("the files cannot be made unwritable here: ") +
                       QString::fromStdString(unwritable.Refused())));

    QVERIFY(form->OpenProjectAt(file));
    QCOMPARE(sink->messages, std::vector<std::string>{
                                 "The project " + file.toStdString() + " can't be changed:\r\n" +
                                 folder.toStdString() + ": " + testing::TUnwritable::Reason() +
                                 "\r\nIt is opened read-only."});
    QVERIFY(ProjectIsReadOnly());
    QCOMPARE(form->windowTitle(),
             QStringLiteral("Vandro: ") + file + QStringLiteral(" (read-only)"));
    for (const char* command :
         {"recNewObject", "recNewGroup", "recNewState", "recNewGroupState", "recEditRecord",
          "recEditGroupRecord", "recRename", "recRollback", "fileImportData", "fileImportUnits"})
      QVERIFY2(!Enabled(command), command);
    for (const char* command : {"fileClose", "fileExport", "projManager", "projBrowse",
                                "recViewObject", "recViewGroup", "statDialog"})
      QVERIFY2(Enabled(command), command);

    // Closed, it was not written to, not even its opening time.
    QVERIFY(form->CloseProjectCommand());
    QFile project(file);
    QVERIFY(project.open(QIODevice::ReadOnly));
    QCOMPARE(project.readAll(), stored);
  }

  void aNamedProjectThatIsNotThereIsSaidBeforeTheWelcomeWindow() {
    const QString missing = Path(QStringLiteral("gone/Nowhere.vdp"));
    bool welcomed = false;
    WhenModal("vandro::TWelcomeForm", [&](QWidget* welcome) {
      welcomed = true;
      QCOMPARE(sink->Last(), "Can't open the project " + missing.toStdString());
      static_cast<QDialog*>(welcome)->reject();
    });
    form->StartUp(missing);
    QVERIFY(welcomed);
    QVERIFY(!CurrentProject());
    QCOMPARE(sink->messages,
             std::vector<std::string>{"Can't open the project " + missing.toStdString()});
  }

  void aProjectHandedOverDuringAModalWindowOpensWhenItCloses() {
    form->show();
    const QString first = MakeProject(QStringLiteral("h1"), QStringLiteral("First"));
    const QString second = MakeProject(QStringLiteral("h2"), QStringLiteral("Second"));
    QDialog outer(form.get());
    QDialog inner(&outer);
    WhenModal("QDialog", [&](QWidget*) {
      form->Activate(first);
      WhenModal("QDialog", [&](QWidget* open) {
        // Nested modal windows: the project waits for the last to close,
        // and the latest handed over is the one that opens.
        form->Activate(second);
        QCOMPARE(form->PendingProject(), second);
        static_cast<QDialog*>(open)->accept();
      });
      inner.exec();
      QCoreApplication::processEvents();
      QVERIFY(!CurrentProject());
      outer.accept();
    });
    outer.exec();
    QTRY_VERIFY(CurrentProject());
    QCOMPARE(QString::fromStdString(APSProjectPath()), second);
    QVERIFY(form->PendingProject().isEmpty());
  }
};

VANDRO_APP_TEST(MainFormTest);

} // namespace vandro::apptest

#include "main_form_test.moc"
