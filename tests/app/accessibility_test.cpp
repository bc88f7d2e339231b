// Every control of the windows is announced by a screen reader with a name
// of its own: its accessible name, or the caption of the label that is its
// buddy. A combo box is read by its value on Linux whatever label stands
// beside it, so it carries its caption as its accessible name.
#include "app/charts/chart_props_dlg.h"
#include "app/charts/sel_chart_dlg.h"
#include "app/editing/create_record_dlg.h"
#include "app/editing/filter_dlg.h"
#include "app/editing/query_edit_dlg.h"
#include "app/editing/select_object_dlg.h"
#include "app/editing/value_constructor_dlg.h"
#include "app/editing/value_viewer_dlg.h"
#include "app/exchange/exchange_windows.h"
#include "app/model/moment_picker.h"
#include "app/model/object_view_dlg.h"
#include "app/shell/main_form.h"
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

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTabBar>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QTimeEdit>
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
  // The window is polished first, as it is before it shows: some controls
  // take their names from the labels beside them then.
  void Check(QWidget* window, const std::vector<std::pair<QWidget*, QString>>& named) {
    window->ensurePolished();
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

  // Each button and check box of the window has a name, and one is found by
  // each caption listed. The parts Qt builds inside other controls (a tab
  // bar's arrows, a table's corner) are not the window's.
  static void CheckButtons(QWidget* window, const QStringList& captions) {
    QStringList names;
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
      const QWidget* parent = button->parentWidget();
      if (Inside(button, window, "QTabBar") || Inside(button, window, "QAbstractSpinBox") ||
          (parent && parent->inherits("QAbstractItemView")))
        continue;
      QVERIFY2(!button->accessibleName().isEmpty(),
               qPrintable(QString::fromLatin1(window->metaObject()->className()) +
                          QStringLiteral(": a button without a name: ") + button->text()));
      names << button->accessibleName();
    }
    for (const QString& caption : captions)
      QVERIFY2(names.contains(caption),
               qPrintable(QString::fromLatin1(window->metaObject()->className()) +
                          QStringLiteral(": no button named ") + caption));
  }

  static std::vector<std::pair<QWidget*, QString>>
  PickerNames(const TMomentPicker* picker, const QString& date, const QString& time) {
    return {{picker->DateEdit(), date}, {picker->TimeEdit(), time}};
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
    CheckButtons(&picker, {QStringLiteral("View Object"), QStringLiteral("Create New Object"),
                           QStringLiteral("Use Link to Object"), QStringLiteral("Show Groups"),
                           QStringLiteral("Show Data Objects"), QStringLiteral("Refresh"),
                           QStringLiteral("OK"), QStringLiteral("Cancel")});

    // Two pickers side by side are told apart by their captions.
    TObjectViewDlg view;
    QVERIFY(view.Open(APSFindObject("ANN")));
    auto viewNames = PickerNames(view.Moment(), QStringLiteral("States at date"),
                                 QStringLiteral("States at time"));
    for (auto& named : PickerNames(view.KnownAt(), QStringLiteral("Known at: date"),
                                   QStringLiteral("Known at: time")))
      viewNames.push_back(named);
    viewNames.insert(viewNames.end(), {{view.StatesGrid(), QStringLiteral("States")},
                                       {view.ValuesGrid(), QStringLiteral("Parameter Values")},
                                       {view.ContentGrid(), QStringLiteral("Group Content")}});
    Check(&view, viewNames);

    TDatabaseBrowserForm browser;
    auto browserNames =
        PickerNames(browser.Moment(), QStringLiteral("Date"), QStringLiteral("Time"));
    for (auto& named : PickerNames(browser.KnownAt(), QStringLiteral("Known at: date"),
                                   QStringLiteral("Known at: time")))
      browserNames.push_back(named);
    browserNames.insert(browserNames.end(),
                        {{browser.ObjectsGrid(), QStringLiteral("Objects")},
                         {browser.ScrollBar(), QStringLiteral("Object pages")},
                         {browser.StatesGrid(), QStringLiteral("States")},
                         {browser.ValuesGrid(), QStringLiteral("Parameter Values")}});
    Check(&browser, browserNames);

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

  void theRecordAndValueWindowsAnnounceEveryButton() {
    TCreateRecordDlg record;
    Check(&record, {{record.Grid(), QStringLiteral("Parameters")},
                    {record.NameEdit(), QStringLiteral("Object Name")},
                    {record.RecordNameEdit(), QStringLiteral("Record Name")},
                    {record.GroupList(), QStringLiteral("Include object into groups")},
                    {record.Moment()->DateEdit(), QStringLiteral("Date")},
                    {record.Moment()->TimeEdit(), QStringLiteral("Time")}});
    CheckButtons(
        &record,
        {QStringLiteral("Select parameter"), QStringLiteral("Define value"),
         QStringLiteral("Show formula"), QStringLiteral("Save and Create a New Version"),
         QStringLiteral("Terminate state"), QStringLiteral("Save and Create an Iterative Record"),
         QStringLiteral("Save as Template"), QStringLiteral("Add Index Entry for the Object"),
         QStringLiteral("Add Group"), QStringLiteral("Remove Group"), QStringLiteral("Clear"),
         QStringLiteral("Condition"), QStringLiteral("OK"), QStringLiteral("Cancel")});

    TValue value;
    TValueConstructorDlg constructor(value, nullptr, vpAll, vpPlain, QString());
    Check(&constructor, {{constructor.PlainType(), QStringLiteral("Type")},
                         {constructor.Unit()->lineEdit(), QStringLiteral("Unit")}});
    CheckButtons(&constructor,
                 {QStringLiteral("Check"), QStringLiteral("Evaluate"),
                  QStringLiteral("Build Query    >>"), QStringLiteral("Select Object..."),
                  QStringLiteral("Clear"), QStringLiteral("Browse..."), QStringLiteral("Add"),
                  QStringLiteral("Remove"), QStringLiteral("Up"), QStringLiteral("Down"),
                  QStringLiteral("Edit..."), QStringLiteral("OK"), QStringLiteral("Cancel")});

    value.SetPlain("36.6");
    TValueViewerDlg text(value);
    Check(&text, {{text.Text(), QStringLiteral("Value")}});
    CheckButtons(&text, {QStringLiteral("Close")});
    TValueViewerDlg items(*PlainArray({"1", "2"}));
    Check(&items, {{items.Items(), QStringLiteral("Items")}});
    CheckButtons(&items, {QStringLiteral("Close")});
  }

  void theExchangeAndChartListWindowsAnnounceEveryButton() {
    TImportDlg importer(nullptr);
    Check(&importer, {{importer.Preview(), QStringLiteral("Preview")},
                      {importer.NameColumn(), QStringLiteral("Object Name column")},
                      {importer.TimeColumn(), QStringLiteral("Real Time column")},
                      {importer.Mode(), QStringLiteral("If object already exists:")}});
    CheckButtons(&importer, {QStringLiteral("Add to group:"), QStringLiteral("Select"),
                             QStringLiteral("Continue"), QStringLiteral("Cancel")});

    TSeparatorDlg separator(nullptr);
    Check(&separator, {});
    CheckButtons(&separator, {QStringLiteral("OK"), QStringLiteral("Cancel")});

    TSettings settings;
    TMainForm main(settings);
    TSelChartDlg charts(main);
    Check(&charts, {{charts.List(), QStringLiteral("Charts")}});
    CheckButtons(&charts, {QStringLiteral("New"), QStringLiteral("Open"), QStringLiteral("Delete"),
                           QStringLiteral("Rename"), QStringLiteral("Close")});
  }
};

VANDRO_APP_TEST(AccessibilityTest);

} // namespace vandro::apptest

#include "accessibility_test.moc"
