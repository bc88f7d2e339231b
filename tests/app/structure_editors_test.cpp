// The parameter list, the templates dialog and the template, parameter-line
// and action editors driven as the user drives them, on a project with the
// parameters X and Y; what they store is read back by vandro-cli.
#include "app/editing/action_edit_dlg.h"
#include "app/editing/create_record_dlg.h"
#include "app/editing/param_list_dlg.h"
#include "app/editing/param_template_dlg.h"
#include "app/editing/record_commands.h"
#include "app/editing/structure_commands.h"
#include "app/editing/template_edit_dlg.h"
#include "app/editing/templates_dlg.h"
#include "app/editing/value_constructor_dlg.h"
#include "app/shell/main_form.h"
#include "app/storage/parameter_edit_dlg.h"
#include "app/storage/project_manager_form.h"
#include "app_test_support.h"
#include "editing/template_editor.h"
#include "editing/value_constructor.h"
#include "model/project.h"
#include "shell/settings.h"
#include "storage/objects.h"
#include "storage/project_lifecycle.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>

#include <memory>

namespace vandro::apptest {

class StructureEditorsTest : public QObject {
  Q_OBJECT

  std::unique_ptr<QTemporaryDir> dir;
  std::unique_ptr<TRecordingSink> sink;
  std::unique_ptr<TSettings> settings;
  std::unique_ptr<TMainForm> form;
  QString project;

  static QString BuildDir() { return QStringLiteral(QT_TESTCASE_BUILDDIR); }

  // vandro-cli's output for the arguments, the project closed first.
  QString Cli(const QStringList& arguments) {
    const QString cli = BuildDir() + QStringLiteral("/../cli/vandro-cli");
    if (!QFileInfo::exists(cli)) return {};
    form.reset();
    CloseProject();
    QProcess run;
    run.start(cli, arguments);
    if (!run.waitForFinished(20000)) return {};
    return QString::fromUtf8(run.readAllStandardOutput());
  }

  static void AddParameter(const char* name) {
    auto parameter = std::make_unique<TParameter>();
    parameter->ParamName = name;
    parameter->ShortName = name;
    parameter->Category = "Data";
    CurrentProject()->AddParameter(std::move(parameter));
  }

  static void StoreTemplate(const std::string& name, std::initializer_list<const char*> lines) {
    TTemplate tmpl;
    tmpl.Name = name;
    for (const char* parameter : lines) {
      auto line = std::make_unique<TParamTemplate>();
      line->Parameter = CurrentProject()->FindParameter(parameter);
      tmpl.ParamLines.push_back(std::move(line));
    }
    QVERIFY(tmpl.Save());
  }

  static QStringList MenuCaptions(QMenu* menu) {
    QStringList captions;
    for (QAction* action : menu->actions())
      captions << action->text();
    return captions;
  }

  // Fills the parameter-line editor and presses OK; the dialog is left
  // open when OK refuses.
  static void FillLine(const QString& parameter, bool optional) {
    WhenModal("vandro::TParamTemplateDlg", [parameter, optional](QWidget* widget) {
      auto* dialog = static_cast<TParamTemplateDlg*>(widget);
      dialog->ParameterEdit()->setCurrentText(parameter);
      dialog->OptionalCheck()->setChecked(optional);
      dialog->accept();
    });
  }

  // Two lines (the second dragged above the first, a third refused) and a
  // "Launch" action, then OK.
  void MakeVisit(TTemplateEditDlg& editor) {
    editor.NameEdit()->setText(QStringLiteral(" visit "));
    FillLine(QStringLiteral("y"), true);
    editor.AddLine();
    FillLine(QStringLiteral("X"), false);
    editor.AddLine();
    // The same parameter again: refused, the line editor stays open.
    WhenModal("vandro::TParamTemplateDlg", [this](QWidget* dialog) {
      static_cast<TParamTemplateDlg*>(dialog)->ParameterEdit()->setCurrentText(QStringLiteral("Y"));
      static_cast<TParamTemplateDlg*>(dialog)->accept();
      QCOMPARE(sink->Last(), std::string("Parameter template redeclared. See #0"));
      QVERIFY(dialog->isVisible());
      static_cast<QDialog*>(dialog)->reject();
    });
    editor.AddLine();
    QCOMPARE(editor.LinesGrid()->rowCount(), 2);
    // Dragging the second line above the first.
    QTableWidget* lines = editor.LinesGrid();
    const auto rowCentre = [lines](int row) {
      return lines->visualRect(lines->model()->index(row, 0)).center();
    };
    QTest::mousePress(lines->viewport(), Qt::LeftButton, Qt::NoModifier, rowCentre(1));
    QTest::mouseRelease(lines->viewport(), Qt::LeftButton, Qt::NoModifier, rowCentre(0));
    QCOMPARE(editor.LinesGrid()->item(0, 0)->text(), QStringLiteral("X"));

    WhenModal("vandro::TActionEditDlg", [](QWidget* widget) {
      auto* dialog = static_cast<TActionEditDlg*>(widget);
      QCOMPARE(dialog->ConditionEdit()->text(), QStringLiteral("true"));
      dialog->TypeBox()->setCurrentIndex(atLaunch);
      QCOMPARE(dialog->ArgumentLabel()->text(), QStringLiteral("Command:"));
      QVERIFY(dialog->LaunchBox()->isEnabled());
      QVERIFY(!dialog->ApplyToBox()->isEnabled());
      dialog->LaunchBox()->setCurrentIndex(lmBeforeSave);
      QTest::keyClicks(dialog->ArgumentLine(), QStringLiteral("notes.txt"));
      dialog->accept();
    });
    editor.AddAction();
    QCOMPARE(editor.ActionsGrid()->rowCount(), 1);
    QCOMPARE(editor.ActionsGrid()->item(0, 1)->text(), QStringLiteral("Launch"));

    const size_t shown = sink->messages.size();
    editor.accept();
    QCOMPARE(editor.result(), int(QDialog::Accepted));
    QCOMPARE(sink->messages.size(), shown);
  }

private slots:
  void init() {
    dir = std::make_unique<QTemporaryDir>();
    sink = std::make_unique<TRecordingSink>();
    settings = std::make_unique<TSettings>();
    settings->Load(dir->filePath(QStringLiteral("config.vd")).toStdString());
    form = std::make_unique<TMainForm>(*settings);
    project = dir->filePath(QStringLiteral("Ward.vdp"));
    QVERIFY(APSCreateProject(project.toStdString(), "", NewProjectInfo("Ward")));
    QVERIFY(form->OpenProjectAt(project));
    AddParameter("X");
    AddParameter("Y");
  }

  void cleanup() {
    form.reset();
    CloseProject();
    settings.reset();
    sink.reset();
    dir.reset();
  }

  void aTemplateMadeInEditTemplateIsWhatTheCliLists() {
    WhenModal("vandro::TTemplatesDlg", [this](QWidget* widget) {
      auto* templates = static_cast<TTemplatesDlg*>(widget);
      WhenModal("vandro::TTemplateEditDlg",
                [this](QWidget* editor) { MakeVisit(*static_cast<TTemplateEditDlg*>(editor)); });
      templates->Add();
      QVERIFY(templates->List()->currentItem());
      QCOMPARE(templates->List()->currentItem()->text(), QStringLiteral("VISIT"));
      templates->accept();
    });
    form->Command(QStringLiteral("projTemplates"))->trigger();
    QCoreApplication::processEvents();
    QVERIFY(MenuCaptions(form->RecordsMenu()).contains(QStringLiteral("VISIT")));
    TTemplate stored;
    stored.Name = "VISIT";
    stored.Load();
    QCOMPARE(stored.ActionCount(), 1);
    QCOMPARE(stored.Action(0).Argument.Text(), std::string("notes.txt"));
    QCOMPARE(int(stored.Action(0).Launch), int(lmBeforeSave));

    const QString out = Cli({QStringLiteral("templates"), project, QStringLiteral("visit")});
    if (out.isEmpty()) QSKIP("vandro-cli is not built");
    const QStringList lines = out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 3);
    QVERIFY2(lines[1].startsWith(QStringLiteral("X\t")) &&
                 lines[1].endsWith(QStringLiteral("\tNo\tNo")),
             qPrintable(out));
    QVERIFY2(lines[2].startsWith(QStringLiteral("Y\t")) &&
                 lines[2].endsWith(QStringLiteral("\tYes\tNo")),
             qPrintable(out));
  }

  void refusedNamesKeepTheEditorOpenAndStoreNothing() {
    StoreTemplate("DAILY", {"X"});
    TTemplateEditDlg editor(TTemplateEditor::ForNewTemplate(), form.get());
    editor.show();
    FillLine(QStringLiteral("X"), false);
    editor.AddLine();
    const std::pair<const char*, const char*> cases[] = {
        {"2nd", "The template name should be identifier"},
        {"", "The template name should be identifier"},
        {"daily", "The template name should be unique within project"},
    };
    for (const auto& [typed, message] : cases) {
      editor.NameEdit()->setText(QString::fromLatin1(typed));
      editor.accept();
      QCOMPARE(sink->Last(), std::string(message));
      QVERIFY(editor.isVisible());
      QCOMPARE(editor.NameEdit()->text(), QString::fromLatin1(typed));
      QCOMPARE(editor.LinesGrid()->rowCount(), 1);
    }
    QCOMPARE(CurrentProject()->TemplateNames(), std::vector<std::string>{"DAILY"});
  }

  void theProjectManagerOpensALineWhoseParameterWasDeleted() {
    StoreTemplate("DAILY", {"Y", "X"});
    form->ProjectChanged();
    // Y goes through the parameter list; its template line stays.
    WhenModal("vandro::TParamListDlg", [this](QWidget* widget) {
      auto* list = static_cast<TParamListDlg*>(widget);
      list->CategoryFilter()->setCurrentText(QStringLiteral("Data"));
      QCOMPARE(list->Table()->rowCount(), 2);
      list->Table()->setCurrentCell(1, 0);
      QCOMPARE(list->Table()->item(1, 0)->text(), QStringLiteral("Y"));
      sink->Answer(true);
      list->Delete();
      QCOMPARE(list->Table()->rowCount(), 1);
      list->accept();
    });
    form->Command(QStringLiteral("projParams"))->trigger();
    QCOMPARE(sink->questions.back(), std::string("Parameter Y will be deleted.\r\nAre you sure?"));

    TProjectManagerForm* manager = form->ProjectManager();
    QVERIFY(manager);
    QTreeWidgetItem* item = manager->FindItem(TManagerNodeKind::Template, QStringLiteral("DAILY"));
    QVERIFY(item);
    WhenModal("vandro::TTemplateEditDlg", [](QWidget* widget) {
      auto* editor = static_cast<TTemplateEditDlg*>(widget);
      QCOMPARE(editor->NameEdit()->text(), QStringLiteral("DAILY"));
      QCOMPARE(editor->LinesGrid()->rowCount(), 2);
      QCOMPARE(editor->LinesGrid()->item(0, 0)->text(), QString());
      QCOMPARE(editor->LinesGrid()->item(1, 0)->text(), QStringLiteral("X"));
      editor->reject();
    });
    manager->EditNode(item);
    QVERIFY(sink->messages.empty());
  }

  void aParameterAddedInParametersIsWhatTheCliLists() {
    WhenModal("vandro::TParamListDlg", [this](QWidget* widget) {
      auto* list = static_cast<TParamListDlg*>(widget);
      QCOMPARE(list->CategoryFilter()->itemText(0), QStringLiteral("(All Categories)"));
      QCOMPARE(list->Table()->rowCount(), 12);
      // A name in use is refused and the editor keeps what was typed.
      WhenModal("vandro::TParameterEditDlg", [this](QWidget* widget) {
        auto* editor = static_cast<TParameterEditDlg*>(widget);
        editor->NameEdit()->setText(QStringLiteral("Weight"));
        editor->ShortNameEdit()->setText(QStringLiteral("x"));
        editor->CategoryEdit()->setCurrentText(QStringLiteral("Vitals"));
        editor->DefaultEdit()->setText(QStringLiteral("70"));
        editor->accept();
        QCOMPARE(sink->Last(), std::string("Parameter short name is already in use:x"));
        QVERIFY(editor->isVisible());
        editor->ShortNameEdit()->setText(QStringLiteral("WT"));
        editor->accept();
      });
      list->Add();
      QCOMPARE(list->Table()->rowCount(), 13);
      QCOMPARE(list->Table()->item(list->Table()->currentRow(), 0)->text(),
               QStringLiteral("Weight"));
      list->CategoryFilter()->setCurrentText(QStringLiteral("Vitals"));
      QCOMPARE(list->Table()->rowCount(), 1);
      QCOMPARE(list->Table()->item(0, 2)->text(), QStringLiteral("70"));
      list->accept();
    });
    form->Command(QStringLiteral("projParams"))->trigger();
    QVERIFY(CurrentProject()->FindParameter("WT"));

    const QString out = Cli({QStringLiteral("params"), project});
    if (out.isEmpty()) QSKIP("vandro-cli is not built");
    QVERIFY2(out.contains(QStringLiteral("\nWeight\tWT\t70\t\tVitals\n")), qPrintable(out));
  }

  void moreRunsTheTemplatesDialogWhoseDeleteRebuildsTheMenu() {
    for (int i = 1; i <= 9; ++i)
      StoreTemplate("T" + std::to_string(i), {"X"});
    form->ProjectChanged();
    QVERIFY(MenuCaptions(form->RecordsMenu()).contains(QStringLiteral("More ...")));
    WhenModal("vandro::TTemplatesDlg", [this](QWidget* widget) {
      auto* dialog = static_cast<TTemplatesDlg*>(widget);
      QCOMPARE(dialog->List()->count(), 9);
      dialog->List()->setCurrentRow(8);
      sink->Answer(true);
      dialog->Delete();
      QCOMPARE(dialog->List()->count(), 8);
      dialog->accept();
    });
    QAction* more = nullptr;
    for (QAction* action : form->RecordsMenu()->actions())
      if (action->text() == QStringLiteral("More ...")) more = action;
    QVERIFY(more);
    more->trigger();
    QCoreApplication::processEvents();
    QCOMPARE(sink->questions.back(), std::string("Template T9 will be deleted.\r\nAre you sure?"));
    const QStringList captions = MenuCaptions(form->RecordsMenu());
    QVERIFY(!captions.contains(QStringLiteral("More ...")));
    QVERIFY(captions.contains(QStringLiteral("T8")));
  }

  void theRecordDialogSavesItsLinesAsATemplate() {
    StoreTemplate("DAILY", {"Y", "X"});
    {
      // An "Add to Group" action puts its group in the record dialog's list.
      TTemplate daily;
      daily.Name = "DAILY";
      daily.Load();
      auto action = std::make_unique<TActionTemplate>();
      action->Argument.SetText(vkObject, std::to_string(APSCreateObject("WARD")));
      daily.Actions.push_back(std::move(action));
      QVERIFY(daily.Save());
    }
    TCreateRecordDlg* dialog = OpenNewObject(*form, "DAILY");
    QVERIFY(dialog);
    QCOMPARE(dialog->GroupList()->count(), 1);
    dialog->GroupList()->setCurrentRow(0);
    WhenModal("vandro::TValueConstructorDlg", [](QWidget* widget) {
      auto* constructor = static_cast<TValueConstructorDlg*>(widget);
      QCOMPARE(constructor->Constructor().Page(), int(vpCalculated));
      constructor->reject();
    });
    for (QPushButton* button : dialog->findChildren<QPushButton*>())
      if (button->text() == QStringLiteral("Condition")) button->click();

    WhenModal("vandro::TTemplateEditDlg", [](QWidget* widget) {
      auto* editor = static_cast<TTemplateEditDlg*>(widget);
      QCOMPARE(editor->NameEdit()->text(), QString());
      QCOMPARE(editor->LinesGrid()->rowCount(), 2);
      QCOMPARE(editor->LinesGrid()->item(0, 0)->text(), QStringLiteral("Y"));
      editor->NameEdit()->setText(QStringLiteral("copy"));
      editor->accept();
    });
    for (QPushButton* button : dialog->findChildren<QPushButton*>())
      if (button->text() == QStringLiteral("Save as Template")) button->click();
    QCoreApplication::processEvents();
    QVERIFY(MenuCaptions(form->RecordsMenu()).contains(QStringLiteral("COPY")));
    // The dialog now works by the new template: its lines, its group, its name.
    QCOMPARE(dialog->TemplateLabel()->text(), QStringLiteral("COPY"));
    QCOMPARE(dialog->Grid()->rowCount(), 3);
    QCOMPARE(dialog->Grid()->item(0, rcParameter)->text(), QStringLiteral("Y"));
    QCOMPARE(dialog->GroupList()->count(), 1);
    dialog->PressCancel();
  }

  void theActionEditorChecksWhatTheValueConstructorGives() {
    TActionTemplate action;
    TActionEditDlg editor(action, form.get());
    editor.show();
    editor.TypeBox()->setCurrentIndex(atErrorMessage);
    QCOMPARE(editor.ArgumentLabel()->text(), QStringLiteral("Error Msg:"));
    QCOMPARE(editor.LaunchBox()->currentIndex(), int(lmBeforeSave));
    QVERIFY(!editor.LaunchBox()->isEnabled());
    // The condition opens on "Calculated"; an empty one is refused for an
    // "Error Message".
    WhenModal("vandro::TValueConstructorDlg", [](QWidget* widget) {
      auto* constructor = static_cast<TValueConstructorDlg*>(widget);
      QCOMPARE(constructor->windowTitle(), QStringLiteral("Value Details (Action condition)"));
      QCOMPARE(constructor->Constructor().Page(), int(vpCalculated));
      constructor->Tabs()->setCurrentIndex(0);
      constructor->accept();
    });
    editor.DefineCondition();
    QCOMPARE(sink->Last(), std::string("Condition should be a formula"));
    QCOMPARE(editor.ConditionEdit()->text(), QStringLiteral("true"));

    editor.TypeBox()->setCurrentIndex(atLaunch);
    WhenModal("vandro::TValueConstructorDlg", [](QWidget* widget) {
      auto* constructor = static_cast<TValueConstructorDlg*>(widget);
      QCOMPARE(constructor->windowTitle(), QStringLiteral("Value Details (Action argument)"));
      constructor->Tabs()->setCurrentIndex(0);
      constructor->PlainType()->setCurrentIndex(int(TPlainType::Text));
      constructor->TextValue()->setPlainText(QStringLiteral("one\ntwo"));
      constructor->accept();
    });
    editor.DefineArgument();
    QCOMPARE(sink->Last(), std::string("Argument should be a string"));
    QVERIFY(editor.Working().Argument.IsNull());
    editor.reject();
    QCOMPARE(int(action.ActionType), int(atAddToGroup)); // Cancel leaves the action
  }

  void everyControlAndButtonIsNamedByItsCaption() {
    StoreTemplate("DAILY", {"X"});
    TTemplate daily;
    daily.Name = "DAILY";
    daily.Load();
    TActionTemplate action;
    TParamListDlg list;
    TTemplatesDlg templates;
    TTemplateEditDlg editor(TTemplateEditor::ForTemplate("DAILY"));
    TParamTemplateDlg line(daily, 0, daily.ParamLine(0));
    TActionEditDlg actionEditor(action);
    TParameterEditDlg parameter(*CurrentProject()->FindParameter("X"));
    for (QWidget* window : std::initializer_list<QWidget*>{&list, &templates, &editor, &line,
                                                           &actionEditor, &parameter}) {
      for (QWidget* widget : window->findChildren<QWidget*>()) {
        // Not the parts Qt builds inside a grid or a combo box.
        bool inner = false;
        for (QWidget* up = widget->parentWidget(); up && up != window; up = up->parentWidget())
          inner = inner || up->inherits("QAbstractItemView") || up->inherits("QComboBox");
        const bool control =
            widget->inherits("QAbstractButton") || widget->inherits("QLineEdit") ||
            widget->inherits("QComboBox") || widget->inherits("QPlainTextEdit") ||
            (widget->inherits("QAbstractItemView") && !widget->inherits("QHeaderView"));
        if (!control || (inner && !widget->inherits("QLineEdit"))) continue;
        QVERIFY2(!widget->accessibleName().isEmpty(),
                 qPrintable(QString::fromLatin1(window->metaObject()->className()) +
                            QStringLiteral(": ") +
                            QString::fromLatin1(widget->metaObject()->className()) +
                            QStringLiteral(" without a name")));
      }
    }
    QCOMPARE(editor.LinesGrid()->accessibleName(), QStringLiteral("Parameters"));
    QCOMPARE(editor.NameEdit()->accessibleName(), QStringLiteral("Template Name"));
    QCOMPARE(list.CategoryFilter()->accessibleName(), QStringLiteral("Category"));
  }
};

VANDRO_APP_TEST(StructureEditorsTest);

} // namespace vandro::apptest

#include "structure_editors_test.moc"
