// The command set of the main window: every menu item and tool bar button,
// with its caption, hint, shortcut and whether it needs an open project, and
// the handlers of the commands the main window carries out itself.
#include "app/shell/main_form.h"

#include "app/charts/sel_chart_dlg.h"
#include "app/editing/record_commands.h"
#include "app/editing/selection_api.h"
#include "app/editing/structure_commands.h"
#include "app/exchange/exchange_windows.h"
#include "app/exchange/print_window.h"
#include "app/groups/group_commands.h"
#include "app/groups/group_view_commands.h"
#include "app/model/object_view_dlg.h"
#include "app/shell/about_box.h"
#include "app/shell/app_icon.h"
#include "app/shell/child_form.h"
#include "app/shell/date_pickers.h"
#include "app/shell/guard.h"
#include "app/shell/help.h"
#include "app/shell/text_edge.h"
#include "app/stats/mining_commands.h"
#include "app/stats/stat_commands.h"
#include "app/storage/database_browser_form.h"
#include "app/storage/project_manager_form.h"
#include "app/values/unit_list_dlg.h"
#include "model/project.h"
#include "shell/datetime.h"
#include "shell/main_menu.h"
#include "shell/messages.h"
#include "shell/settings.h"
#include "storage/access.h"
#include "storage/objects.h"
#include "storage/project_commands.h"
#include "storage/project_lifecycle.h"
#include "storage/project_paths.h"

#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPageSetupDialog>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

#include <optional>

namespace vandro {

struct TMainForm::TCommand {
  const char* name;
  const char* caption;
  const char* hint;
  QKeySequence shortcut;
  bool needsProject;
  // False for commands whose windows are not part of the program yet: they
  // are shown, disabled.
  bool available;
  std::function<void(bool checked)> run;
  std::optional<TGlyph> glyph = std::nullopt;
  bool checkable = false;
};

namespace {

constexpr bool kNeedsProject = true;
constexpr bool kAlways = false;
constexpr bool kAvailable = true;
constexpr int kToolTipMs = 10000;

const QString kProjectFilter = QStringLiteral("Vandro project (*.vdp);;All files (*)");
const QString kNewProjectFilter = QStringLiteral("Vandro files (*.vdp);;All files (*)");

} // namespace

QAction* TMainForm::AddCommand(const TCommand& command) {
  auto* action = new QAction(QString::fromLatin1(command.caption), this);
  action->setObjectName(QString::fromLatin1(command.name));
  action->setStatusTip(QString::fromLatin1(command.hint));
  action->setToolTip(QString::fromLatin1(command.hint));
  action->setShortcut(command.shortcut);
  action->setCheckable(command.checkable);
  action->setProperty("needsProject", command.needsProject);
  action->setProperty("available", command.available);
  if (command.glyph) action->setIcon(GlyphIcon(*command.glyph));
  if (command.run) {
    const auto run = command.run;
    connect(action, &QAction::triggered, this,
            [run](bool checked) { RunCommand([&] { run(checked); }); });
  }
  return action;
}

void TMainForm::CreateCommands() {
  const auto no = QKeySequence();
  const TCommand commands[] = {
      // File
      {"fileNew", "&New Project...", "Create a new project", QKeySequence::New, kAlways, kAvailable,
       [this](bool) { OnNewProject(); }, TGlyph::NewProject},
      {"fileOpen", "&Open Project...", "Open a project", QKeySequence::Open, kAlways, kAvailable,
       [this](bool) { OnOpenProject(); }, TGlyph::OpenProject},
      {"fileClose", "&Close Project", "Close the project", no, kNeedsProject, kAvailable,
       [this](bool) { OnCloseProject(); }, TGlyph::CloseProject},
      {"fileImportUnits", "&Units...", "Import unit definitions from a text file", no,
       kNeedsProject, kAvailable, [this](bool) { ImportUnitsCommand(*this); }},
      {"fileImportData", "&Data...", "Import objects and records", no, kNeedsProject, kAvailable,
       [this](bool) { ImportDataCommand(*this); }},
      {"fileExport", "&Export...", "Export units, objects or groups", no, kNeedsProject, kAvailable,
       [this](bool) { ExportCommand(*this); }},
      {"filePrintSetup", "P&rint Setup...", "Choose and set up the printer", no, kAlways,
       kAvailable, [this](bool) { OnPrintSetup(); }},
      {"filePrint", "&Print...", "Print the active window", QKeySequence::Print, kNeedsProject,
       kAvailable, [this](bool) { OnPrint(); }},
      {"fileExit", "E&xit", "Leave Vandro", QKeySequence(Qt::CTRL | Qt::Key_Q), kAlways, kAvailable,
       [this](bool) { OnExit(); }},
      // Edit
      {"editUndo", "&Undo", "Undo the last change of the text", QKeySequence::Undo, kAlways,
       kAvailable, [this](bool) { OnEdit("undo"); }},
      {"editCut", "Cu&t", "Cut the selected text", QKeySequence::Cut, kAlways, kAvailable,
       [this](bool) { OnEdit("cut"); }},
      {"editCopy", "&Copy", "Copy the selected text", QKeySequence::Copy, kAlways, kAvailable,
       [this](bool) { OnEdit("copy"); }},
      {"editPaste", "&Paste", "Paste the text", QKeySequence::Paste, kAlways, kAvailable,
       [this](bool) { OnEdit("paste"); }},
      // View
      {"viewToolBar", "&Tool Bar", "Show or hide the tool bar", no, kAlways, kAvailable,
       [this](bool on) { OnToolBar(on); }, std::nullopt, true},
      {"viewStatusBar", "&Status Bar", "Show or hide the status bar", no, kAlways, kAvailable,
       [this](bool on) { OnStatusBar(on); }, std::nullopt, true},
      {"viewShowHidden", "Always Show &Hidden",
       "Record dialogs opened from now on show the invisible parameters", no, kAlways, kAvailable,
       [this](bool on) { OnShowHidden(on); }, std::nullopt, true},
      {"viewExplorer", "Start &with Explorer",
       "An opened project shows its Explore page instead of General Info", no, kAlways, kAvailable,
       [this](bool on) { OnStartWithExplorer(on); }, std::nullopt, true},
      {"viewEuropean", "&European Date Style", "Dates as dd.MM.yyyy; otherwise MM/dd/yyyy", no,
       kAlways, kAvailable, [this](bool on) { OnEuropeanDates(on); }, std::nullopt, true},
      {"viewWelcome", "Welcome Window on Start", "Offer the welcome window when Vandro starts", no,
       kAlways, kAvailable, [this](bool on) { OnWelcomeOnStart(on); }, std::nullopt, true},
      // Records
      {"recNewObject", "New &Object...", "Create new object ", no, kNeedsProject, kAvailable,
       [this](bool) { OpenNewObject(*this); }, TGlyph::NewObject},
      {"recNewGroup", "New &Group...", "Create new object as group ", no, kNeedsProject, kAvailable,
       [this](bool) { OpenNewGroup(*this); }, TGlyph::NewGroup},
      {"recNewState", "Create New &State...", "Create new state of an object", no, kNeedsProject,
       kAvailable, [this](bool) { OpenNewState(*this); }, TGlyph::NewState},
      {"recNewGroupState", "Create New State of G&roup...", "Create new state of a group", no,
       kNeedsProject, kAvailable, [this](bool) { OpenNewGroupState(*this); },
       TGlyph::NewGroupState},
      {"recEditRecord", "&Edit Record...", "Edit a stored state of an object", no, kNeedsProject,
       kAvailable, [this](bool) { OpenEditRecord(*this); }},
      {"recEditGroupRecord", "Edit Group Recor&d...", "Edit a stored state of a group", no,
       kNeedsProject, kAvailable, [this](bool) { OpenEditGroupRecord(*this); }},
      {"recRename", "Re&name Object...", "Give an object a new name", no, kNeedsProject, kAvailable,
       [this](bool) { OnRenameObject(); }},
      {"recRollback", "Roll&back...", "Remove every record made after a moment", no, kNeedsProject,
       kAvailable, [this](bool) { RunRollback(*this); }},
      {"recViewObject", "&View Object...", "View the states of an object", no, kNeedsProject,
       kAvailable, [this](bool) { OnViewObject(); }, TGlyph::ViewObject},
      {"recViewGroup", "View Group as &Table...", "View the content of a group as a table", no,
       kNeedsProject, kAvailable, [this](bool) { OpenViewGroup(*this); }, TGlyph::ViewGroup},
      // Project
      {"projParams", "&Parameters...", "Define parameters", no, kNeedsProject, kAvailable,
       [this](bool) { RunParameterList(*this); }, TGlyph::Parameter},
      {"projUnits", "&Units...", "Define units of measurement", no, kNeedsProject, kAvailable,
       [this](bool) { OnUnits(); }, TGlyph::Unit},
      {"projTemplates", "&Templates...", "Edit templates", no, kNeedsProject, kAvailable,
       [this](bool) { RunTemplates(*this); }, TGlyph::Templates},
      {"projCharts", "&Charts...", "Select a chart", no, kNeedsProject, kAvailable,
       [this](bool) { RunChartList(*this); }, TGlyph::Chart},
      {"projManager", "Project &Manager", "Show the project's information and content", no,
       kNeedsProject, kAvailable, [this](bool) { OnProjectManager(); }},
      {"projBrowse", "&Browse Project Database", "Page through the stored objects and states",
       QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_V), kNeedsProject, kAvailable,
       [this](bool) { OnBrowseDatabase(); }},
      // Statistics
      {"statBasic", "&Basic Statistics...", "Basic statistics of a series", no, kNeedsProject,
       kAvailable, [this](bool) { OpenBasicStatistics(*this); }},
      {"statDialog", "&Stat Dialog...", "Tests, histograms and correlation", no, kNeedsProject,
       kAvailable, [this](bool) { OpenStatistics(*this); }, TGlyph::Statistics},
      {"statMining", "&Data Mining Tools...", "Regression and cluster analysis", no, kNeedsProject,
       kAvailable, [this](bool) { OpenDataMiningTools(*this); }, TGlyph::DataMining},
      {"statDistributions", "D&istributions...", "Values and quantiles of distributions", no,
       kAlways, kAvailable, [this](bool) { OpenDistributions(*this); }},
      // Window
      {"winTile", "&Tile", "Arrange the windows side by side", no, kAlways, kAvailable,
       [this](bool) { OnTile(); }},
      {"winCascade", "&Cascade", "Arrange the windows one over another", no, kAlways, kAvailable,
       [this](bool) { OnCascade(); }},
      // Help
      {"helpContents", "&Contents", "Open the manual", QKeySequence::HelpContents, kAlways,
       kAvailable, [this](bool) { OnHelpContents(); }},
      {"helpHome", "&Home Page", "Open Vandro's home page", no, kAlways, kAvailable,
       [this](bool) { OnHomePage(); }},
      {"helpAbout", "&About Vandro...", "Version and purpose of the program", no, kAlways,
       kAvailable, [this](bool) { OnAbout(); }},
  };
  for (const TCommand& command : commands)
    AddCommand(command);
  // The template items of the Records menu; an empty name is "More ...".
  connect(this, &TMainForm::templateChosen, this, [this](const QString& name) {
    RunCommand([&] {
      std::string text;
      if (name.isEmpty())
        ChooseTemplate(*this);
      else if (ToCore(name, text))
        OpenTemplateRecord(*this, text);
    });
  });
}

void TMainForm::CreateMenus() {
  auto add = [this](QMenu* menu, const char* name) { menu->addAction(Command(name)); };
  fileMenu_ = menuBar()->addMenu(QStringLiteral("&File"));
  add(fileMenu_, "fileNew");
  add(fileMenu_, "fileOpen");
  add(fileMenu_, "fileClose");
  fileMenu_->addSeparator();
  QMenu* import = fileMenu_->addMenu(QStringLiteral("&Import"));
  add(import, "fileImportUnits");
  add(import, "fileImportData");
  add(fileMenu_, "fileExport");
  fileMenu_->addSeparator();
  add(fileMenu_, "filePrintSetup");
  add(fileMenu_, "filePrint");
  fileMenu_->addSeparator();
  recentSeparator_ = fileMenu_->addSeparator();
  add(fileMenu_, "fileExit");

  QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
  for (const char* name : {"editUndo", "editCut", "editCopy", "editPaste"})
    add(edit, name);

  QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
  add(view, "viewToolBar");
  add(view, "viewStatusBar");
  view->addSeparator();
  for (const char* name : {"viewShowHidden", "viewExplorer", "viewEuropean", "viewWelcome"})
    add(view, name);

  recordsMenu_ = menuBar()->addMenu(QStringLiteral("&Records"));
  add(recordsMenu_, "recNewObject");
  add(recordsMenu_, "recNewGroup");
  recordsMenu_->addSeparator();
  for (const char* name :
       {"recNewState", "recNewGroupState", "recEditRecord", "recEditGroupRecord"})
    add(recordsMenu_, name);
  recordsMenu_->addSeparator();
  add(recordsMenu_, "recRename");
  add(recordsMenu_, "recRollback");
  recordsMenu_->addSeparator();
  add(recordsMenu_, "recViewObject");
  add(recordsMenu_, "recViewGroup");

  QMenu* project = menuBar()->addMenu(QStringLiteral("&Project"));
  for (const char* name : {"projParams", "projUnits", "projTemplates", "projCharts"})
    add(project, name);
  project->addSeparator();
  add(project, "projManager");
  add(project, "projBrowse");

  QMenu* statistics = menuBar()->addMenu(QStringLiteral("&Statistics"));
  for (const char* name : {"statBasic", "statDialog", "statMining"})
    add(statistics, name);
  statistics->addSeparator();
  add(statistics, "statDistributions");

  QMenu* window = menuBar()->addMenu(QStringLiteral("&Window"));
  add(window, "winTile");
  add(window, "winCascade");

  QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
  add(help, "helpContents");
  add(help, "helpHome");
  help->addSeparator();
  add(help, "helpAbout");
}

void TMainForm::CreateToolBar() {
  toolBar_ = addToolBar(QStringLiteral("Tool Bar"));
  toolBar_->setObjectName(QStringLiteral("toolBar"));
  toolBar_->setMovable(false);
  toolBar_->setFloatable(false);
  toolBar_->setIconSize(QSize(24, 24));
  const char* const groups[][4] = {
      {"fileNew", "fileOpen", "fileClose", nullptr},
      {"projParams", "projUnits", nullptr, nullptr},
      {"recNewObject", "recNewGroup", "recNewState", "recNewGroupState"},
      {"recViewObject", "recViewGroup", nullptr, nullptr},
      {"projTemplates", "projCharts", nullptr, nullptr},
      {"statDialog", "statMining", nullptr, nullptr},
  };
  bool first = true;
  for (const auto& group : groups) {
    if (!first) toolBar_->addSeparator();
    first = false;
    for (const char* name : group) {
      if (!name) continue;
      QAction* action = Command(QString::fromLatin1(name));
      toolBar_->addAction(action);
      if (QWidget* button = toolBar_->widgetForAction(action))
        button->setToolTipDuration(kToolTipMs);
    }
  }
}

void TMainForm::UpdateCommands() {
  const bool open = CurrentProject() != nullptr;
  const bool readOnly = ProjectIsReadOnly();
  for (QAction* action : findChildren<QAction*>()) {
    if (!action->property("available").isValid()) continue;
    action->setEnabled(action->property("available").toBool() &&
                       (open || !action->property("needsProject").toBool()) &&
                       !(readOnly && CommandChangesProject(action->objectName().toStdString())));
  }
}

// --- File ------------------------------------------------------------------

void TMainForm::OnNewProject() {
  QFileDialog dialog(this, QStringLiteral("New Project"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setNameFilter(kNewProjectFilter);
  dialog.setDefaultSuffix(QStringLiteral("vdp"));
  dialog.setOption(QFileDialog::DontConfirmOverwrite); // the creation asks about what it replaces
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  NewProjectAt(dialog.selectedFiles().constFirst());
}

void TMainForm::OnOpenProject() {
  QFileDialog dialog(this, QStringLiteral("Open Project"));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  // A name that is not there yet may be typed: it is offered for creation.
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilter(kProjectFilter);
  dialog.setDefaultSuffix(QStringLiteral("vdp"));
  const std::vector<std::string> recent = settings_.RecentProjects();
  if (!recent.empty()) dialog.setDirectory(QFileInfo(FromCore(recent.front())).absolutePath());
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  OpenProjectAt(dialog.selectedFiles().constFirst());
}

void TMainForm::OnCloseProject() {
  CloseProjectCommand();
}

void TMainForm::OnPrintSetup() {
  QPageSetupDialog dialog(&AppPrinter(), this);
  dialog.exec();
}

void TMainForm::OnPrint() {
  QMdiSubWindow* active = area_->activeSubWindow();
  QWidget* window = WindowToPrint(active ? active->widget() : nullptr);
  if (!window) {
    ShowMsg("Nothing to print");
    return;
  }
  PrintWithDialog(window);
}

void TMainForm::OnExit() {
  settings_.Save();
  close();
}

// --- Edit ------------------------------------------------------------------

void TMainForm::OnEdit(const char* slot) {
  QWidget* focused = QApplication::focusWidget();
  if (auto* combo = qobject_cast<QComboBox*>(focused); combo && combo->lineEdit())
    focused = combo->lineEdit();
  if (focused && focused->metaObject()->indexOfMethod(
                     QMetaObject::normalizedSignature((std::string(slot) + "()").c_str())) >= 0)
    QMetaObject::invokeMethod(focused, slot);
}

// --- View ------------------------------------------------------------------

void TMainForm::OnToolBar(bool on) {
  toolBar_->setVisible(on);
  settings_.SetToolBar(on);
}

void TMainForm::OnStatusBar(bool on) {
  statusBar()->setVisible(on);
  settings_.SetStatusBar(on);
}

bool TMainForm::AlwaysShowHidden() const {
  return settings_.AlwaysShowHidden();
}

void TMainForm::OnShowHidden(bool on) {
  settings_.SetAlwaysShowHidden(on);
}

void TMainForm::OnStartWithExplorer(bool on) {
  settings_.SetStartWithExplorer(on);
}

void TMainForm::OnEuropeanDates(bool on) {
  settings_.SetDateStyle(on);
  // Dates shown as text are rewritten by their windows.
  RestyleDatePickers();
  ShowDate();
  emit dateStyleChanged(on);
}

void TMainForm::OnWelcomeOnStart(bool on) {
  settings_.SetWelcomeWindow(on);
}

// --- Records, Project --------------------------------------------------------

void TMainForm::OnRenameObject() {
  app::TSelectRequest request;
  request.Caption = "Rename Object";
  app::TSelectResult chosen;
  if (!app::SelectObject(this, request, chosen)) return;
  const int32_t id = chosen.ObjectId;
  if (id == 0) return;
  std::string name = APSObjectName(id);
  if (!AskText(this, QStringLiteral("Rename Object"), QStringLiteral("Input new object name"),
               name))
    return;
  // The index pages show the object's name.
  if (RenameObjectCommand(id, name, children_.ObjectInUse(id)) && manager_) manager_->RefreshAll();
}

void TMainForm::OnViewObject() {
  app::TSelectRequest request;
  request.Caption = "View Object";
  app::TSelectResult chosen;
  if (!app::SelectObject(this, request, chosen) || chosen.ObjectId == 0) return;
  TObjectViewDlg view(this);
  if (view.Open(chosen.StateIds.empty() ? chosen.ObjectId : chosen.StateIds.front())) view.exec();
}

void TMainForm::OnUnits() {
  TUnitListDlg units(true, this);
  units.exec();
  // The unit list may have changed the catalogue the tree shows.
  if (manager_) manager_->RefreshAll();
}

void TMainForm::OnProjectManager() {
  if (!manager_) SyncProjectManager();
  if (!manager_) return;
  auto* frame = qobject_cast<QMdiSubWindow*>(manager_->parentWidget());
  if (!frame) return;
  frame->showNormal();
  area_->setActiveSubWindow(frame);
}

void TMainForm::OnBrowseDatabase() {
  if (APSObjectCount() == 0) {
    ShowMsg("Database is empty");
    return;
  }
  TDatabaseBrowserForm browser(this);
  browser.exec();
}

// --- Window ----------------------------------------------------------------

void TMainForm::OnTile() {
  const QList<QMdiSubWindow*> windows = area_->subWindowList(QMdiArea::CreationOrder);
  const QSize size = area_->viewport()->size();
  const std::vector<TTileRect> rects =
      TileVertically(static_cast<int>(windows.size()), size.width(), size.height());
  for (size_t i = 0; i < rects.size(); ++i) {
    QMdiSubWindow* window = windows[static_cast<qsizetype>(i)];
    window->showNormal();
    window->setGeometry(rects[i].left, rects[i].top, rects[i].width, rects[i].height);
  }
}

void TMainForm::OnCascade() {
  area_->cascadeSubWindows();
}

// --- Help ------------------------------------------------------------------

void TMainForm::OnHelpContents() {
  if (!OpenManualPage(QStringLiteral("index.html")))
    ShowMsg("Can't open the manual" + (ManualDirectory().isEmpty()
                                           ? std::string(": it is not installed beside the program")
                                           : std::string()));
}

void TMainForm::OnHomePage() {
  if (!OpenManualPage(QStringLiteral("about.html"))) ShowMsg("Can't open the home page");
}

void TMainForm::OnAbout() {
  TAboutBox about(this);
  about.exec();
}

} // namespace vandro
