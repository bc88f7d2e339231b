// TMainForm: the frame window. A QMdiArea holds the non-modal children
// (record dialogs, group dialogs, chart windows, group table views) listed in
// TChildWindows; the form owns the command set (menus, tool bar), the
// recent-project and template menus, the status bar, the view options kept in
// the settings, and the project commands. It only wires commands to the
// windows and core functions that do the work.
#pragma once

#include "shell/child_windows.h"

#include <QMainWindow>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QLabel;
class QMdiArea;
class QMenu;
class QToolBar;

namespace vandro {

class TChildForm;
class TProject;
class TProjectManagerForm;
class TSettings;

class TMainForm final : public QMainWindow {
  Q_OBJECT
public:
  explicit TMainForm(TSettings& settings, QWidget* parent = nullptr);
  ~TMainForm() override;

  TSettings& Settings() { return settings_; }
  QMdiArea* Area() const { return area_; }
  QToolBar* ToolBar() const { return toolBar_; }
  QMenu* FileMenu() const { return fileMenu_; }
  QMenu* RecordsMenu() const { return recordsMenu_; }
  // Status bar panels: 0 the project, 1 "Ready" or "Wait", 2 today's date.
  QLabel* StatusPanel(int panel) const;
  // View: Always Show Hidden, which record dialogs read as they open.
  bool AlwaysShowHidden() const;
  // A command by its object name ("fileOpen", "viewEuropean", ...).
  QAction* Command(const QString& name) const;

  // Child windows. OpenChild checks the dialog limit, places the child below
  // the last of its kind, lists it and shows it; a refused child is deleted.
  TChildWindows& Children() { return children_; }
  bool OpenChild(TChildForm* child);
  // Tells the open record dialogs that a parameter was created.
  void RefreshParameterLists();

  // Project commands after their file dialogs. Each shows its own failures.
  bool NewProjectAt(const QString& path);
  bool OpenProjectAt(const QString& path);
  bool OpenRecentProject(int index);
  // Asks to close the open editing windows first; false when the user keeps
  // them (the project stays open).
  bool CloseProjectCommand();
  // Enables the project commands, captions and the template menu after a
  // project opened or closed anywhere; opens the project manager window of
  // a project that opened and closes that of one that closed.
  void ProjectChanged();
  // The open project's "Project Manager" window, or nullptr.
  TProjectManagerForm* ProjectManager() const;

  // The template menu, driven by the open project's template names.
  void SetTemplateNameSource(std::function<std::vector<std::string>()> source);
  void ClearTemplMenu();
  void SetTemplMenu();
  void RebuildRecentMenu();

  // Start-up once the window shows: the project named on the command line,
  // else the welcome window when the settings ask for it.
  void StartUp(const QString& projectArgument);
  // Another start of the program asked this one to come to the front. A
  // project it hands over while a modal window is open here opens once that
  // window (and any opened over it) has closed.
  void Activate(const QString& projectPath);
  // The project waiting for a modal window to close; empty when none.
  const QString& PendingProject() const { return pendingProject_; }
  // "Wait" in status panel 1 while a long operation runs.
  void SetWaiting(bool waiting);

signals:
  // The European date style was switched; every date shown follows at once.
  void dateStyleChanged(bool european);
  // A template item of the Records menu was chosen.
  void templateChosen(const QString& name);

protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void moveEvent(QMoveEvent* event) override;

private:
  struct TCommand;
  void CreateCommands();
  void CreateMenus();
  void CreateToolBar();
  void CreateStatusBar();
  QAction* AddCommand(const TCommand& command);
  void UpdateCommands();
  void UpdateCaption();
  void ApplyViewSettings();
  void StorePlacement();
  // Closes the open project, after the questions about open windows, just
  // before another is created or opened; false when the user keeps it.
  std::function<bool()> CloseFirst();
  void ShowDate();

  // Command handlers.
  void OnNewProject();
  void OnOpenProject();
  void OnCloseProject();
  void OnPrintSetup();
  void OnPrint();
  void OnExit();
  void OnEdit(const char* slot);
  void OnToolBar(bool on);
  void OnStatusBar(bool on);
  void OnShowHidden(bool on);
  void OnStartWithExplorer(bool on);
  void OnEuropeanDates(bool on);
  void OnWelcomeOnStart(bool on);
  void OnRenameObject();
  void OnViewObject();
  void OnUnits();
  void OnProjectManager();
  void OnBrowseDatabase();
  void SyncProjectManager();
  void OnTile();
  void OnCascade();
  void OnHelpContents();
  void OnHomePage();
  void OnAbout();
  void ShowWelcome();
  // By value: it may be pendingProject_, which is cleared on the way.
  void OpenHandedOver(QString projectPath);
  // Waits for the modal window to close before opening pendingProject_.
  bool eventFilter(QObject* watched, QEvent* event) override;
  void ModalClosed();

  TSettings& settings_;
  TChildWindows children_;
  QMdiArea* area_;
  QToolBar* toolBar_ = nullptr;
  QMenu* fileMenu_ = nullptr;
  QMenu* recordsMenu_ = nullptr;
  QLabel* panels_[3] = {};
  QAction* recentSeparator_ = nullptr;
  std::vector<QAction*> recentItems_;
  std::vector<QAction*> templateItems_;
  std::function<std::vector<std::string>()> templateNames_;
  QString pendingProject_;
  QPointer<QWidget> pendingModal_;
  bool ready_ = false;
  QTimer placementTimer_;
  // The project manager window lives while its project is open.
  QPointer<TProjectManagerForm> manager_;
  const TProject* managerProject_ = nullptr;
};

} // namespace vandro
