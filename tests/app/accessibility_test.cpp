// Every control of the windows is announced by a screen reader with a name
// of its own: its accessible name, or the caption of the label that is its
// buddy. A combo box is read by its value on Linux whatever label stands
// beside it, so it carries its caption as its accessible name.
#include "app/charts/chart_props_dlg.h"
#include "app/editing/filter_dlg.h"
#include "app/editing/query_edit_dlg.h"
#include "app/editing/select_object_dlg.h"
#include "app/model/object_view_dlg.h"
#include "app/shell/message_box.h"
#include "app/shell/welcome_form.h"
#include "app/stats/analysis_dlg.h"
#include "app/stats/stat_calc_dlg.h"
#include "app/stats/stat_dlg.h"
#include "app/storage/database_browser_form.h"
#include "app/storage/db_show_form.h"
#include "app/storage/index_entry_dlg.h"
#include "app/storage/new_project_dlg.h"
#include "app/storage/parameter_edit_dlg.h"
#include "app/storage/project_manager_form.h"
#include "app/storage/variable_dlg.h"
#include "app/values/unit_edit_dlg.h"
#include "app/values/unit_list_dlg.h"
#include "app_test_support.h"
#include "editing/unit_list.h"
#include "model/project.h"
#include "shell/settings.h"
#include "storage/objects.h"
#include "storage/project_lifecycle.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>

#include <functional>
#include <memory>

namespace vandro::apptest {

namespace {

bool Inside(const QWidget* widget, const QWidget* window, const char* className) {
  for (const QWidget* up = widget->parentWidget(); up && up != window; up = up->parentWidget())
    if (up->inherits(className)) return true;
  return false;
}

QString BuddyCaption(const QWidget* widget, const QWidget* window) {
  for (const QLabel* label : window->findChildren<QLabel*>())
    if (label->buddy() == widget) return label->text();
  return {};
}

// The controls a user reaches in window: item views, text fields, combo
// boxes, spin boxes and stand-alone scroll bars, not the parts Qt builds
// inside them (headers, a spin box's field, a scroll area's bars, a combo
// box's list).
QList<QWidget*> Controls(QWidget* window) {
  QList<QWidget*> controls;
  for (QWidget* widget : window->findChildren<QWidget*>()) {
    const bool control =
        (widget->inherits("QAbstractItemView") && !widget->inherits("QHeaderView")) ||
        widget->inherits("QPlainTextEdit") || widget->inherits("QLineEdit") ||
        widget->inherits("QComboBox") || widget->inherits("QAbstractSpinBox") ||
        widget->inherits("QScrollBar");
    if (!control || Inside(widget, window, "QAbstractSpinBox") ||
        (widget->inherits("QAbstractItemView") && Inside(widget, window, "QComboBox")) ||
        (widget->inherits("QScrollBar") && widget->parentWidget() &&
         widget->parentWidget()->objectName().startsWith(QStringLiteral("qt_scrollarea"))))
      continue;
    controls << widget;
  }
  return controls;
}

} // namespace

class AccessibilityTest : public QObject {
  Q_OBJECT

  std::unique_ptr<QTemporaryDir> dir;
  std::unique_ptr<TRecordingSink> sink;

  // Each control of the window has a name; those listed have these names.
  void Check(QWidget* window, const std::vector<std::pair<QWidget*, QString>>& named) {
    const QList<QWidget*> controls = Controls(window);
    QVERIFY(!controls.isEmpty());
    for (QWidget* control : controls) {
      const QString name = control->accessibleName();
      const bool combo = control->inherits("QComboBox");
      QVERIFY2(!name.isEmpty() || (!combo && !BuddyCaption(control, window).isEmpty()),
               qPrintable(QString::fromLatin1(window->metaObject()->className()) +
                          QStringLiteral(": a ") +
                          QString::fromLatin1(control->metaObject()->className()) +
                          QStringLiteral(" without a name")));
    }
    for (const auto& [control, name] : named) {
      QVERIFY(control);
      QCOMPARE(control->accessibleName(), name);
    }
  }

private slots:
  void init() {
    dir = std::make_unique<QTemporaryDir>();
    sink = std::make_unique<TRecordingSink>();
    const std::string file = dir->filePath(QStringLiteral("Ward.vdp")).toStdString();
    QVERIFY(APSCreateProject(file, "", NewProjectInfo("Ward")));
    QVERIFY(OpenProject(file));
    QVERIFY(APSCreateObject("ann"));
  }
  void cleanup() {
    CloseProject();
    sink.reset();
    dir.reset();
  }

  void everyControlIsAnnouncedByItsCaption() {
    TProjectManagerForm manager(false);
    Check(&manager, {{manager.InfoText(), QStringLiteral("General Info")},
                     {manager.Tree(), QStringLiteral("Explore")},
                     {manager.Details(), QStringLiteral("Details")},
                     {manager.IndexGrid(ikObjects), QStringLiteral("Object Index")},
                     {manager.IndexGrid(ikGroups), QStringLiteral("Group Index")},
                     {manager.VariablesGrid(), QStringLiteral("Variables")}});

    TUnitListDlg units(true);
    Check(&units, {{units.Table(), QStringLiteral("Units")},
                   {units.CategoryFilter(), QStringLiteral("Category")}});
    TUnitEditDlg unit(NewUnitForm(kAllUnitCategories));
    auto* category = unit.findChild<QComboBox*>();
    Check(&unit, {{category, QStringLiteral("Category")},
                  {category->lineEdit(), QStringLiteral("Category")}});

    TNewProjectDlg newProject(NewProjectInfo("Ward"));
    Check(&newProject,
          {{newProject.findChild<QTableWidget*>(), QStringLiteral("Project information")},
           {newProject.findChild<QLineEdit*>(), QStringLiteral("Project is based upon")}});

    TSelectObjectDlg picker;
    Check(&picker, {{picker.Objects(), QStringLiteral("Objects")},
                    {picker.ObjectScroll(), QStringLiteral("Object pages")},
                    {picker.SelectedObject(), QStringLiteral("Selected Object:")},
                    {picker.States(), QStringLiteral("States")},
                    {picker.Values(), QStringLiteral("Values")},
                    {picker.SelectedStates(), QStringLiteral("Selected States:")}});

    TObjectViewDlg view;
    QVERIFY(view.Open(APSFindObject("ANN")));
    Check(&view, {{view.StatesGrid(), QStringLiteral("States")},
                  {view.ValuesGrid(), QStringLiteral("Parameter Values")},
                  {view.ContentGrid(), QStringLiteral("Group Content")}});

    TDatabaseBrowserForm browser;
    Check(&browser, {{browser.ObjectsGrid(), QStringLiteral("Objects")},
                     {browser.ScrollBar(), QStringLiteral("Object pages")},
                     {browser.StatesGrid(), QStringLiteral("States")},
                     {browser.ValuesGrid(), QStringLiteral("Parameter Values")}});
    for (QAbstractSpinBox* field : browser.findChildren<QAbstractSpinBox*>())
      QVERIFY(field->accessibleName() == QStringLiteral("Date") ||
              field->accessibleName() == QStringLiteral("Time"));

    TDbShowForm tables;
    Check(&tables, {{tables.Grid(0), QStringLiteral("VD_Objects")}});

    TMessageBoxDlg box(TWindowPlacement{0, 0, 800, 600});
    box.Prepare(TMessageBoxKind::List, QStringLiteral("a\nb"));
    Check(&box, {{box.ListArea(), QStringLiteral("Message")}});

    TSettings settings;
    settings.AddRecentProject("/tmp/one.vdp");
    TWelcomeForm welcome(settings);
    Check(&welcome, {{welcome.RecentList(), QStringLiteral("Open project")}});

    TParameterEditDlg parameter(*CurrentProject()->Parameters().front());
    Check(&parameter, {{parameter.findChild<QComboBox*>(), QStringLiteral("Category")}});

    TIndexEntryDlg entry(ikObjects, -1);
    Check(&entry, {});
    TVariableDlg variable(nullptr);
    Check(&variable, {});

    TQExpression query;
    TQueryEditDlg queryEditor(query);
    Check(&queryEditor, {{queryEditor.Selection(), QStringLiteral("FIND:")},
                         {queryEditor.Scope(), QStringLiteral("SCOPE:")},
                         {queryEditor.Condition(), QStringLiteral("CONDITION:")}});
    TFilter filter;
    TFilterDlg filterEditor(filter);
    Check(&filterEditor, {{filterEditor.Parameter(), QStringLiteral("Parameter Name")},
                          {filterEditor.Items(), QStringLiteral("Filter")}});

    TStatDlg statistics;
    Check(&statistics, {{statistics.SeriesGrid(), QStringLiteral("Series")}});
    TStatCalcDlg calculator;
    Check(&calculator, {});
    TAnalysisDlg analysis;
    Check(&analysis, {});

    TChartDefinition chart;
    chart.Series.emplace_back().Name = "Pulse";
    TChartPropsDlg chartProperties(chart);
    Check(&chartProperties, {{chartProperties.SeriesList(), QStringLiteral("Select Series:")}});
  }
};

VANDRO_APP_TEST(AccessibilityTest);

} // namespace vandro::apptest

#include "accessibility_test.moc"
