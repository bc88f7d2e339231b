#include "app/shell/main_form.h"

#include "app/charts/sel_chart_dlg.h"

#include "app/shell/app_icon.h"
#include "app/shell/child_form.h"
#include "app/shell/guard.h"
#include "app/shell/help.h"
#include "app/shell/text_edge.h"
#include "app/shell/welcome_form.h"
#include "app/storage/new_project_dlg.h"
#include "app/storage/project_manager_form.h"
#include "model/project.h"
#include "shell/clock.h"
#include "shell/datetime.h"
#include "shell/main_menu.h"
#include "shell/messages.h"
#include "shell/settings.h"
#include "storage/access.h"
#include "storage/project_commands.h"
#include "storage/project_lifecycle.h"
#include "storage/sample_copy.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>

namespace vandro {

namespace {

constexpr int kProjectNameShown = 40;
// Moving or resizing sends many events; the settings file is written once
// they stop.
constexpr int kPlacementDelayMs = 300;

} // namespace

TMainForm::TMainForm(TSettings& settings, QWidget* parent)
    : QMainWindow(parent), settings_(settings) {
  setObjectName(QStringLiteral("TMainForm"));
  setWindowIcon(AppIcon());
  setContextMenuPolicy(Qt::NoContextMenu); // the tool bar is shown from the View menu only
  area_ = new QMdiArea;
  area_->setBackground(palette().dark());
  area_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  area_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setCentralWidget(area_);
  templateNames_ = [] {
    const TProject* project = CurrentProject();
    return project ? project->TemplateNames() : std::vector<std::string>();
  };

  CreateCommands();
  CreateMenus();
  CreateToolBar();
  CreateStatusBar();

  // Today's date in the status bar follows midnight.
  auto* dateTimer = new QTimer(this);
  connect(dateTimer, &QTimer::timeout, this, &TMainForm::ShowDate);
  dateTimer->start(60 * 1000);

  placementTimer_.setSingleShot(true);
  placementTimer_.setInterval(kPlacementDelayMs);
  connect(&placementTimer_, &QTimer::timeout, this, &TMainForm::StorePlacement);

  resize(std::max(320, settings_.WindowWidth()), std::max(240, settings_.WindowHeight()));
  // A placement saved on a screen that is no longer there would hide the
  // window; it then opens on the primary screen.
  const QPoint saved(settings_.WindowLeft(), settings_.WindowTop());
  const QScreen* primary = QGuiApplication::primaryScreen();
  if (QGuiApplication::screenAt(saved + QPoint(width() / 2, height() / 2)) || !primary)
    move(saved);
  else
    move(primary->availableGeometry().topLeft());
  ApplyViewSettings();
  RebuildRecentMenu();
  ProjectChanged();
  settings_.Save();
  ready_ = true;
}

TMainForm::~TMainForm() {
  placementTimer_.stop();
  // The children leave their lists as they go, and the lists go with this
  // form: they are closed while the lists still exist.
  ready_ = false;
  for (QMdiSubWindow* window : area_->subWindowList())
    delete window;
}

QLabel* TMainForm::StatusPanel(int panel) const {
  return panels_[panel];
}

QAction* TMainForm::Command(const QString& name) const {
  return findChild<QAction*>(name);
}

void TMainForm::CreateStatusBar() {
  for (int i = 0; i < 3; ++i) {
    panels_[i] = new QLabel;
    panels_[i]->setContentsMargins(6, 0, 6, 0);
  }
  panels_[0]->setMinimumWidth(260);
  panels_[1]->setMinimumWidth(60);
  statusBar()->addWidget(panels_[0], 1);
  statusBar()->addWidget(panels_[1]);
  statusBar()->addWidget(panels_[2]);
  panels_[1]->setText(QStringLiteral("Ready"));
  ShowDate();
}

void TMainForm::ShowDate() {
  panels_[2]->setText(FromCore(DateToText(Now())));
}

void TMainForm::SetWaiting(bool waiting) {
  panels_[1]->setText(waiting ? QStringLiteral("Wait") : QStringLiteral("Ready"));
  if (waiting) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    statusBar()->repaint();
  } else {
    QApplication::restoreOverrideCursor();
  }
}

namespace {

// "Wait" for the length of a scope.
class TWaiting {
public:
  explicit TWaiting(TMainForm& form) : form_(form) { form_.SetWaiting(true); }
  ~TWaiting() { form_.SetWaiting(false); }
  TWaiting(const TWaiting&) = delete;
  TWaiting& operator=(const TWaiting&) = delete;

private:
  TMainForm& form_;
};

} // namespace

void TMainForm::ApplyViewSettings() {
  toolBar_->setVisible(settings_.ToolBar());
  statusBar()->setVisible(settings_.StatusBar());
  Command(QStringLiteral("viewToolBar"))->setChecked(settings_.ToolBar());
  Command(QStringLiteral("viewStatusBar"))->setChecked(settings_.StatusBar());
  Command(QStringLiteral("viewShowHidden"))->setChecked(settings_.AlwaysShowHidden());
  Command(QStringLiteral("viewExplorer"))->setChecked(settings_.StartWithExplorer());
  Command(QStringLiteral("viewEuropean"))->setChecked(settings_.EuropeanDateStyle());
  Command(QStringLiteral("viewWelcome"))->setChecked(settings_.WelcomeWindow());
}

void TMainForm::StorePlacement() {
  // The maximized flag has no place in the settings file: a maximized or
  // minimized window keeps the placement it had before.
  if (!ready_ || !isVisible() ||
      (windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen)))
    return;
  const QPoint at = pos();
  const QSize size = this->size();
  if (at.x() == settings_.WindowLeft() && at.y() == settings_.WindowTop() &&
      size.width() == settings_.WindowWidth() && size.height() == settings_.WindowHeight())
    return;
  settings_.SetWindow(at.x(), at.y(), size.width(), size.height());
}

void TMainForm::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  if (ready_) placementTimer_.start();
}

void TMainForm::moveEvent(QMoveEvent* event) {
  QMainWindow::moveEvent(event);
  if (ready_) placementTimer_.start();
}

void TMainForm::closeEvent(QCloseEvent* event) {
  if (CurrentProject() && !CloseProjectCommand()) {
    event->ignore();
    return;
  }
  StorePlacement();
  settings_.Save();
  event->accept();
}

// --- child windows ---------------------------------------------------------

bool TMainForm::OpenChild(TChildForm* child) {
  std::unique_ptr<TChildForm> owned(child);
  if (!children_.CheckLimit()) return false;
  // The MDI area starts below the tool bar, so the tool bar area ends at its
  // top edge.
  const TChildPlace place = children_.PlaceFor(child->Kind(), 0);
  // A child that chose its size keeps it; the frame grows around it.
  const QSize wanted = child->testAttribute(Qt::WA_Resized) ? child->size() : QSize();
  QMdiSubWindow* frame = area_->addSubWindow(owned.release());
  frame->setAttribute(Qt::WA_DeleteOnClose);
  child->Attach(children_, children_.Count(child->Kind()), frame);
  children_.Add(*child);
  frame->move(place.left, place.top);
  frame->show();
  if (wanted.isValid()) frame->resize(frame->size() + (wanted - child->size()));
  return true;
}

void TMainForm::RefreshParameterLists() {
  children_.ParametersChanged();
}

// --- projects -------------------------------------------------------------

void TMainForm::UpdateCaption() {
  setWindowTitle(FromCore(
      MainWindowCaption(CurrentProject() != nullptr, APSProjectPath(), ProjectIsReadOnly())));
  if (TProject* project = CurrentProject()) {
    std::string name = project->Info().Name;
    if (name.empty()) name = APSProjectName();
    panels_[0]->setText(QStringLiteral("Project: ") + FromCore(name.substr(0, kProjectNameShown)));
  } else {
    panels_[0]->clear();
  }
}

void TMainForm::ProjectChanged() {
  SyncProjectManager();
  UpdateCommands();
  UpdateCaption();
  ClearTemplMenu();
  SetTemplMenu();
}

TProjectManagerForm* TMainForm::ProjectManager() const {
  return manager_;
}

void TMainForm::SyncProjectManager() {
  const TProject* project = CurrentProject();
  if (manager_ && (!project || managerProject_ != project)) {
    // This may run inside the window's own close: it goes once that is over.
    manager_->SetCloseHandler({});
    QWidget* frame = manager_->parentWidget() ? manager_->parentWidget() : manager_.data();
    frame->hide();
    frame->deleteLater();
    manager_ = nullptr;
    managerProject_ = nullptr;
  }
  if (!project || manager_) return;
  auto* manager = new TProjectManagerForm(settings_.StartWithExplorer());
  manager->SetCloseHandler([this] { return CloseProjectCommand(); });
  connect(manager, &TProjectManagerForm::projectInfoChanged, this, [this] { UpdateCaption(); });
  connect(this, &TMainForm::dateStyleChanged, manager, &TProjectManagerForm::DatesChanged);
  connect(manager, &TProjectManagerForm::chartOpenRequested, this, [this](const QString& name) {
    std::string chart;
    if (TryToCore(name, chart)) RunCommand([&] { OpenStoredChart(*this, chart); });
  });
  QMdiSubWindow* frame = area_->addSubWindow(manager);
  frame->setWindowIcon(windowIcon());
  manager_ = manager;
  managerProject_ = project;
  frame->move(0, 0);
  frame->resize(760, 480);
  frame->show();
}

std::function<bool()> TMainForm::CloseFirst() {
  return [this] { return !CurrentProject() || CloseProjectCommand(); };
}

bool TMainForm::NewProjectAt(const QString& path) {
  std::string corePath;
  if (!ToCore(path, corePath)) return false;
  bool opened = false;
  RunCommand([&] {
    if (!NewProject(corePath, this, CloseFirst())) return;
    const TWaiting wait(*this);
    opened = OpenProjectAndRemember(corePath, settings_);
  });
  ProjectChanged();
  RebuildRecentMenu();
  return opened;
}

bool TMainForm::OpenProjectAt(const QString& path) {
  std::string corePath;
  if (!ToCore(path, corePath)) return false;
  bool opened = false;
  RunCommand([&] {
    opened = OpenProjectCommand(
        corePath,
        [this](const std::string& newPath) { return NewProject(newPath, this, CloseFirst()); },
        settings_, CloseFirst());
  });
  ProjectChanged();
  RebuildRecentMenu();
  return opened;
}

bool TMainForm::OpenRecentProject(int index) {
  const std::vector<std::string> recent = settings_.RecentProjects();
  if (index < 0 || index >= static_cast<int>(recent.size())) return false;
  bool opened = false;
  RunCommand([&] {
    if (CurrentProject() && !CloseProjectCommand()) return;
    const TWaiting wait(*this);
    opened = OpenProjectAndRemember(recent[static_cast<size_t>(index)], settings_);
  });
  ProjectChanged();
  RebuildRecentMenu();
  return opened;
}

bool TMainForm::CloseProjectCommand() {
  bool closed = false;
  RunCommand([&] {
    if (!children_.CloseAllForProject()) return;
    CloseProject();
    closed = true;
  });
  ProjectChanged();
  return closed;
}

// --- menus that follow the data ------------------------------------------

void TMainForm::SetTemplateNameSource(std::function<std::vector<std::string>()> source) {
  templateNames_ = std::move(source);
  ClearTemplMenu();
  SetTemplMenu();
}

void TMainForm::ClearTemplMenu() {
  for (QAction* item : templateItems_) {
    recordsMenu_->removeAction(item);
    delete item;
  }
  templateItems_.clear();
}

void TMainForm::SetTemplMenu() {
  if (!CurrentProject()) return;
  const TTemplateMenu menu = TemplateMenu(templateNames_());
  if (menu.names.empty()) return;
  QAction* before = recordsMenu_->actions().value(0);
  // A template item makes a record dialog from its template; "More ..."
  // lists the templates to choose from.
  auto add = [&](QAction* item) {
    item->setEnabled(!ProjectIsReadOnly());
    recordsMenu_->insertAction(before, item);
    templateItems_.push_back(item);
  };
  for (const std::string& name : menu.names) {
    auto* item = new QAction(FromCore(EscapeMenuCaption(name)), this);
    const QString shown = FromCore(name);
    item->setData(shown);
    item->setStatusTip(QStringLiteral("A new record from the template ") + shown);
    connect(item, &QAction::triggered, this, [this, shown] { emit templateChosen(shown); });
    add(item);
  }
  if (menu.more) {
    auto* more = new QAction(QString::fromLatin1(kMoreTemplates), this);
    connect(more, &QAction::triggered, this, [this] { emit templateChosen(QString()); });
    add(more);
  }
  auto* separator = new QAction(this);
  separator->setSeparator(true);
  add(separator);
}

void TMainForm::RebuildRecentMenu() {
  for (QAction* item : recentItems_) {
    fileMenu_->removeAction(item);
    delete item;
  }
  recentItems_.clear();
  const std::vector<std::string> recent = settings_.RecentProjects();
  for (size_t i = 0; i < recent.size(); ++i) {
    const int index = static_cast<int>(i);
    auto* item = new QAction(FromCore(RecentProjectCaption(index, recent[i])), this);
    item->setStatusTip(FromCore(recent[i]));
    connect(item, &QAction::triggered, this, [this, index] { OpenRecentProject(index); });
    fileMenu_->insertAction(recentSeparator_, item);
    recentItems_.push_back(item);
  }
  recentSeparator_->setVisible(!recent.empty());
}

// --- start-up --------------------------------------------------------------

void TMainForm::StartUp(const QString& projectArgument) {
  RunCommand([&] {
    std::string path;
    if (!projectArgument.isEmpty() && ToCore(projectArgument, path)) {
      if (!QFileInfo(projectArgument).isFile()) {
        ShowMsg("Can't open the project " + path);
      } else {
        const TWaiting wait(*this);
        if (OpenProjectAndRemember(path, settings_)) return;
      }
    }
    ProjectChanged();
    RebuildRecentMenu();
    if (settings_.WelcomeWindow()) ShowWelcome();
  });
  ProjectChanged();
  RebuildRecentMenu();
  panels_[1]->setText(QStringLiteral("Ready"));
}

void TMainForm::ShowWelcome() {
  TWelcomeForm welcome(settings_, this);
  welcome.exec();
  Command(QStringLiteral("viewWelcome"))->setChecked(settings_.WelcomeWindow());
  switch (welcome.Choice()) {
  case TWelcomeForm::TChoice::NewProject:
    OnNewProject();
    break;
  case TWelcomeForm::TChoice::OpenRecent:
    OpenRecentProject(welcome.RecentIndex());
    break;
  case TWelcomeForm::TChoice::SampleProject: {
    std::string shipped, directory;
    if (!ToCore(SampleProjectPath(), shipped) || !ToCore(SampleCopyDirectory(), directory)) break;
    const TWaiting wait(*this);
    const std::string path = UserSampleProject(shipped, directory);
    if (!path.empty()) OpenProjectAndRemember(path, settings_);
    break;
  }
  case TWelcomeForm::TChoice::NoProject:
    break;
  }
}

void TMainForm::Activate(const QString& projectPath) {
  if (isMinimized()) showNormal();
  show();
  raise();
  activateWindow();
  if (!projectPath.isEmpty()) OpenHandedOver(projectPath);
}

void TMainForm::OpenHandedOver(QString projectPath) {
  // A dialog here is in the middle of something: the project waits for it
  // to close (the latest one handed over wins).
  if (QWidget* modal = QApplication::activeModalWidget()) {
    pendingProject_ = projectPath;
    if (pendingModal_ != modal) {
      if (pendingModal_) pendingModal_->removeEventFilter(this);
      pendingModal_ = modal;
      modal->installEventFilter(this);
      connect(modal, &QObject::destroyed, this, &TMainForm::ModalClosed, Qt::UniqueConnection);
    }
    return;
  }
  pendingProject_.clear();
  RunCommand([&] {
    std::string path;
    if (!ToCore(projectPath, path)) return;
    if (CurrentProject() && !CloseProjectCommand()) return;
    const TWaiting wait(*this);
    OpenProjectAndRemember(path, settings_);
  });
  ProjectChanged();
  RebuildRecentMenu();
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == pendingModal_ && event->type() == QEvent::Hide) ModalClosed();
  return QMainWindow::eventFilter(watched, event);
}

void TMainForm::ModalClosed() {
  if (pendingModal_) {
    pendingModal_->removeEventFilter(this);
    disconnect(pendingModal_, &QObject::destroyed, this, &TMainForm::ModalClosed);
  }
  pendingModal_ = nullptr;
  // Once the closing is over: a modal window below it keeps the project
  // waiting again.
  QTimer::singleShot(0, this, [this] {
    if (!pendingProject_.isEmpty() && !pendingModal_) OpenHandedOver(pendingProject_);
  });
}

} // namespace vandro
