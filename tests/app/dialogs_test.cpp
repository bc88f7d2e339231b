#include "app/shell/main_form.h"
#include "app/shell/text_edge.h"
#include "app/shell/welcome_form.h"
#include "app/storage/new_project_dlg.h"
#include "app/values/unit_edit_dlg.h"
#include "app/values/unit_list_dlg.h"
#include "app_test_support.h"
#include "editing/unit_list.h"
#include "model/project.h"
#include "shell/settings.h"
#include "storage/project_lifecycle.h"
#include "values/units.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>

#include <memory>

namespace vandro::apptest {

class DialogsTest : public QObject {
  Q_OBJECT

  std::unique_ptr<QTemporaryDir> dir;
  std::unique_ptr<TRecordingSink> sink;

  QString Path(const QString& relative) const { return dir->filePath(relative); }
  void OpenTestProject() {
    const std::string file = Path(QStringLiteral("Units.vdp")).toStdString();
    QVERIFY(APSCreateProject(file, "", NewProjectInfo("Units")));
    QVERIFY(OpenProject(file));
  }
  // Types text as key presses; QTest::keyClicks knows only ASCII.
  static void Type(QWidget* widget, const QString& text) {
    for (const char32_t character : text.toUcs4())
      QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString::fromUcs4(&character, 1),
                          Qt::NoModifier);
  }
  static QStringList Column(const QTableWidget* table, int column) {
    QStringList cells;
    for (int row = 0; row < table->rowCount(); ++row)
      cells << table->item(row, column)->text();
    return cells;
  }
  static int RowOf(const QTableWidget* table, const QString& unitName) {
    const QStringList names = Column(table, ulName);
    return static_cast<int>(names.indexOf(unitName));
  }

private slots:
  void init() {
    dir = std::make_unique<QTemporaryDir>();
    sink = std::make_unique<TRecordingSink>();
  }
  void cleanup() {
    CloseProject();
    sink.reset();
    dir.reset();
  }

  void charactersOutsideCodePage1251AreRefusedAtInput() {
    QLineEdit edit;
    GuardCp1251(&edit);
    edit.show();
    Type(&edit, QStringLiteral("\u0416\u0443\u043A \u00B1 1"));
    QCOMPARE(edit.text(), QStringLiteral("\u0416\u0443\u043A \u00B1 1"));
    Type(&edit, QStringLiteral("\u4E2D"));
    edit.insert(QStringLiteral("x\u2603")); // a paste holding a snowman
    QCOMPARE(edit.text(), QStringLiteral("\u0416\u0443\u043A \u00B1 1"));

    std::string core;
    QVERIFY(ToCore(QStringLiteral("\u0416"), core));
    QCOMPARE(core, std::string("\xC6"));
    QVERIFY(!ToCore(QStringLiteral("a\u4E2Db"), core));
    QVERIFY(QString::fromStdString(sink->Last()).contains(QStringLiteral("U+4E2D")));
    QVERIFY(Cp1251Refusal(QStringLiteral("ok")).isEmpty());
  }

  void newProjectTakesTheGridAndChecksTheBaseProject() {
    const QString file = Path(QStringLiteral("clinic/Clinic.north.vdp"));
    TSettings settings;
    settings.Load(Path(QStringLiteral("config.vd")).toStdString());
    TMainForm form(settings);
    WhenModal("vandro::TNewProjectDlg", [this](QWidget* widget) {
      auto* dialog = static_cast<TNewProjectDlg*>(widget);
      QTableWidget* grid = dialog->Grid();
      QCOMPARE(dialog->windowTitle(), QStringLiteral("New Project"));
      QCOMPARE(grid->item(0, 0)->text(), QStringLiteral("Project Name"));
      QCOMPARE(grid->item(0, 1)->text(), QStringLiteral("Clinic"));
      QCOMPARE(grid->item(dialog->GridRow(irVersion), 1)->text(), QStringLiteral("1.0"));
      QVERIFY(!grid->item(dialog->GridRow(irAuthor), 1)->text().isEmpty());
      QCOMPARE(grid->item(dialog->GridRow(irComments), 0)->text(), QStringLiteral("Comments"));
      grid->item(dialog->GridRow(irDescription), 1)
          ->setText(QStringLiteral("\u041F\u0430\u043B\u0430\u0442\u044B"));

      // A base project that is not there keeps the dialog open.
      const QString missing = Path(QStringLiteral("nowhere.vdp"));
      dialog->BaseEdit()->setText(missing);
      dialog->accept();
      QVERIFY(dialog->isVisible());
      QCOMPARE(QString::fromStdString(sink->Last()),
               QStringLiteral("File doesn't exist: ") + missing);
      dialog->BaseEdit()->clear();
      dialog->accept();
    });
    QVERIFY(form.NewProjectAt(file));
    QVERIFY(CurrentProject());
    QCOMPARE(CurrentProject()->Info().Name, std::string("Clinic"));
    QCOMPARE(CurrentProject()->Info().Description, std::string("\xCF\xE0\xEB\xE0\xF2\xFB"));
    QCOMPARE(form.windowTitle(), QStringLiteral("Vandro: ") + file + QLatin1Char(' '));
  }

  void unitListShowsTheCatalogueByCategory() {
    OpenTestProject();
    TUnitListDlg list(true);
    QTableWidget* table = list.Table();
    QStringList titles;
    for (int column = 0; column < table->columnCount(); ++column)
      titles << table->horizontalHeaderItem(column)->text();
    QCOMPARE(titles, QStringList({"Item No", "Unit Name", "UntNm", "Category", "Factor", "Offset",
                                  "Formula", "Basic", "Dimension", "Dim.Factor", "Generic",
                                  "Description"}));
    QCOMPARE(list.OkButton()->text(), QStringLiteral("Close"));
    for (QPushButton* button :
         {list.RefreshButton(), list.AddButton(), list.DeleteButton(), list.EditButton()})
      QVERIFY(button->isVisibleTo(&list));
    QCOMPARE(table->rowCount(), CurrentProject()->Units().Count());
    QCOMPARE(list.CategoryFilter()->itemText(0), QStringLiteral("(AllCategories)"));

    list.CategoryFilter()->setCurrentText(QStringLiteral("Distance"));
    QVERIFY(table->rowCount() > 1);
    QVERIFY(Column(table, ulCategory).filter(QStringLiteral("Distance")).size() ==
            table->rowCount());
    const int km = RowOf(table, QStringLiteral("kilometer"));
    QCOMPARE(table->item(km, ulFactor)->text(), QStringLiteral("1000"));
    QCOMPARE(table->item(km, ulDimension)->text(), QStringLiteral("(meter)"));
    QCOMPARE(table->item(km, ulBasic)->text(), QStringLiteral("No"));
    QCOMPARE(table->item(km, ulItemNo)->text(), QString::number(km + 1));

    // A generic unit can be neither edited nor deleted; nothing selected is
    // refused too.
    table->selectRow(km);
    list.EditSelected();
    QCOMPARE(sink->Last(), std::string("This unit can't be modified"));
    list.DeleteSelected();
    QCOMPARE(sink->Last(), std::string("You can't delete a generic unit."));
    table->clearSelection();
    list.EditSelected();
    QCOMPARE(sink->Last(), std::string("Select a unit"));
  }

  void unitEditorAddsAndTheListDeletesWithTheQuestion() {
    OpenTestProject();
    TUnitListDlg list(true);
    list.CategoryFilter()->setCurrentText(QStringLiteral("Distance"));
    const int before = list.Table()->rowCount();
    WhenModal("vandro::TUnitEditDlg", [this](QWidget* widget) {
      auto* editor = static_cast<TUnitEditDlg*>(widget);
      QCOMPARE(editor->CategoryEdit()->currentText(), QStringLiteral("Distance"));
      editor->accept();
      QCOMPARE(sink->Last(), std::string("Unit Name can't be empty"));
      // Ticking "basic" where the category has one is refused.
      editor->BasicBox()->click();
      QCOMPARE(sink->Last(), std::string("The basic unit for the category already exists."));
      QVERIFY(!editor->BasicBox()->isChecked());
      editor->NameEdit()->setText(QStringLiteral("verst"));
      editor->ShortNameEdit()->setText(QStringLiteral("vr"));
      editor->FactorEdit()->setText(QStringLiteral("-3"));
      editor->accept();
      QCOMPARE(sink->Last(), std::string("The value of Factor should be positive"));
      QVERIFY(editor->isVisible());
      editor->FactorEdit()->setText(QStringLiteral("1066.8"));
      editor->accept();
    });
    list.AddUnit();
    QCOMPARE(list.Table()->rowCount(), before + 1);
    const int verst = RowOf(list.Table(), QStringLiteral("verst"));
    QVERIFY(verst >= 0);
    QCOMPARE(list.SelectedUnitId(),
             list.Table()->item(verst, ulItemNo)->data(Qt::UserRole).toInt());
    QCOMPARE(list.Table()->item(verst, ulDimFactor)->text(), QStringLiteral("1066.8"));

    sink->Answer(false);
    list.DeleteSelected();
    QCOMPARE(sink->questions.back(),
             std::string("You're about to delete the unit verst.\r\n Are you sure?"));
    QCOMPARE(list.Table()->rowCount(), before + 1);
    sink->Answer(true);
    list.DeleteSelected();
    QCOMPARE(list.Table()->rowCount(), before);
    QCOMPARE(sink->unanswered, 0);
  }

  void welcomeOffersRecentProjectsOnlyWhenThereAreAny() {
    TSettings settings;
    settings.Load(Path(QStringLiteral("config.vd")).toStdString());
    {
      TWelcomeForm welcome(settings);
      QVERIFY(!welcome.Option(TWelcomeForm::TChoice::OpenRecent)->isVisibleTo(&welcome));
      QVERIFY(welcome.Option(TWelcomeForm::TChoice::NoProject)->isChecked());
      welcome.Option(TWelcomeForm::TChoice::SampleProject)->setChecked(true);
      welcome.reject(); // closing the window chooses nothing
      QCOMPARE(welcome.Choice(), TWelcomeForm::TChoice::NoProject);
    }
    settings.AddRecentProject("/tmp/one.vdp");
    settings.AddRecentProject("/tmp/two.vdp");
    TWelcomeForm welcome(settings);
    QVERIFY(welcome.Option(TWelcomeForm::TChoice::OpenRecent)->isChecked());
    QCOMPARE(welcome.RecentList()->count(), 2);
    QCOMPARE(welcome.RecentList()->currentText(), QStringLiteral("/tmp/two.vdp"));
    welcome.RecentList()->setCurrentIndex(1);
    welcome.accept();
    QCOMPARE(welcome.Choice(), TWelcomeForm::TChoice::OpenRecent);
    QCOMPARE(welcome.RecentIndex(), 1);
    QVERIFY(settings.WelcomeWindow());
  }
};

VANDRO_APP_TEST(DialogsTest);

} // namespace vandro::apptest

#include "dialogs_test.moc"
