// vandro-shots: the documentation's pictures of the windows that keys reach
// only through many fields (the group table view sorted, the regression with
// its scatter plot, the cluster tree, the statistics window with a test and
// a histogram, the template editor). It opens the project as the program
// does, fills each window through its own buttons and lists as a user would,
// and grabs the screen with the window manager's frames, so it must run on
// a real display (scripts/screenshots.sh starts one).
//
//   vandro-shots PROJECT FOLDER
//
// Writes FOLDER/<shot>.png and names each on stdout; any message a window
// showed on the way is printed and makes the exit status 1.
#include "app/charts/chart_form.h"
#include "app/charts/chart_props_dlg.h"
#include "app/charts/sel_chart_dlg.h"
#include "app/editing/template_edit_dlg.h"
#include "app/exchange/exchange_windows.h"
#include "app/groups/view_group_dlg.h"
#include "app/model/compare_dlg.h"
#include "app/shell/main_form.h"
#include "app/stats/analysis_dlg.h"
#include "app/stats/cluster_dlg.h"
#include "app/stats/histogram_view.h"
#include "app/stats/lregress_dlg.h"
#include "app/stats/plot_dlg.h"
#include "app/stats/stat_dlg.h"
#include "editing/state_compare.h"
#include "editing/template_editor.h"
#include "language/executor.h"
#include "language/record_evaluation.h"
#include "model/object_set.h"
#include "model/state_track.h"
#include "shell/clock.h"
#include "shell/messages.h"
#include "shell/settings.h"
#include "storage/objects.h"
#include "storage/project_lifecycle.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QSlider>
#include <QSplitter>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace vandro {
namespace {

// Nothing may ask or tell along the way: a message means a shot shows
// something else than intended. Printed, counted, answered with the default.
class TShotSink final : public TMessageSink {
public:
  void Show(const std::string& text) override {
    if (quiet) return;
    std::fprintf(stderr, "vandro-shots: message: %s\n", text.c_str());
    ++count;
  }
  void ShowList(const std::vector<std::string>& lines) override {
    for (const std::string& line : lines)
      Show(line);
  }
  bool Ask(const std::string& text, bool yesDefault) override {
    Show(text);
    return yesDefault;
  }
  int count = 0;
  bool quiet = false; // while the expected messages come
};

TShotSink* shotSink = nullptr;

bool failed = false;

void Fail(const QString& what) {
  std::fprintf(stderr, "vandro-shots: %s\n", qPrintable(what));
  failed = true;
}

// Lets the window manager frame and place the windows and Qt paint them.
void Settle(int ms = 800) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

// The screen as the user sees it, title bars included, cut to the frames of
// windows (all of it when none is given).
void Shoot(const QString& folder, const QString& name, std::initializer_list<QWidget*> windows) {
  Settle();
  QScreen* screen = QGuiApplication::primaryScreen();
  QRect area;
  for (QWidget* window : windows)
    area |= window->frameGeometry();
  const QPixmap all = screen->grabWindow(0);
  const QPixmap shot = area.isNull() ? all : all.copy(area.intersected(all.rect()));
  const QString path = QDir(folder).filePath(name);
  if (!shot.save(path, "PNG")) return Fail(QStringLiteral("cannot write ") + path);
  std::printf("%s\n", qPrintable(path));
  std::fflush(stdout);
}

// Puts two windows side by side in the middle of the screen, the right one
// as tall as the left, so that a shot of both shows nothing behind them.
void SideBySide(QWidget* left, QWidget* right) {
  right->resize(right->width(), left->height());
  Settle(300);
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  const int width = left->frameGeometry().width() + right->frameGeometry().width();
  const int x = std::max(0, (screen.width() - width) / 2);
  left->move(x, 40);
  right->move(x + left->frameGeometry().width(), 40);
  left->raise();
  right->raise();
  right->activateWindow();
}

// Runs act on the modal dialog of className once its exec() has started.
void WhenModal(const char* className, std::function<void(QWidget*)> act) {
  auto* poll = new QTimer;
  auto tries = std::make_shared<int>(0);
  QObject::connect(poll, &QTimer::timeout, poll, [poll, tries, className, act] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal->inherits(className)) {
      poll->deleteLater();
      poll->stop();
      act(modal);
    } else if (++*tries > 100) {
      poll->deleteLater();
      poll->stop();
      Fail(QStringLiteral("%1 did not open").arg(QString::fromLatin1(className)));
      if (modal) modal->close();
    }
  });
  poll->start(100);
}

int ItemNamed(QListWidget* list, const QString& name) {
  for (int row = 0; row < list->count(); ++row)
    if (list->item(row)->text() == name) return row;
  return -1;
}

int ColumnNamed(QTableView* grid, const QString& name) {
  for (int column = 0; column < grid->model()->columnCount(); ++column)
    if (grid->model()->headerData(column, Qt::Horizontal).toString() == name) return column;
  return -1;
}

// The group's table view, at the group record with the most members (the
// track bar of its "Advanced" page), sorted by weight, heaviest first.
TViewGroupDlg* OpenGroupView(TMainForm& main, const char* group) {
  auto* view = new TViewGroupDlg;
  if (!main.OpenChild(view)) return nullptr;
  if (!view->Start(APSFindObject(group), false)) return nullptr;
  view->Pages()->setCurrentIndex(1);
  // Some of the group's records leave it empty, which the view says.
  shotSink->quiet = true;
  auto* track = view->findChild<QSlider*>();
  int best = track->value(), most = view->Grid()->model()->rowCount();
  for (int index = track->minimum(); index <= track->maximum(); ++index) {
    track->setValue(index);
    if (view->Grid()->model()->rowCount() > most) {
      most = view->Grid()->model()->rowCount();
      best = index;
    }
  }
  track->setValue(best);
  shotSink->quiet = false;
  const int weight = ItemNamed(view->AvailableList(), QStringLiteral("Weight"));
  if (weight >= 0) {
    view->AvailableList()->setCurrentRow(weight);
    view->SortList()->setCurrentRow(-1);
    view->PressSortIn();
    view->SortList()->item(view->SortList()->count() - 1)->setCheckState(Qt::Unchecked);
  } else {
    Fail(QStringLiteral("no Weight to sort by"));
  }
  view->Pages()->setCurrentIndex(0);
  return view;
}

void ShootGroupView(TMainForm& main, TViewGroupDlg* view, const QString& folder) {
  view->parentWidget()->resize(main.Area()->width() - 40, main.Area()->height() - 40);
  view->Grid()->setFocus();
  view->Grid()->setCurrentIndex(view->Grid()->model()->index(0, 1));
  Shoot(folder, QStringLiteral("group-table-view.png"), {});
}

// The Statistics command of the view over its Systolic and Diastolic
// columns: a t-Test on the two, and the histogram of the first beside it.
void ShootStatistics(TViewGroupDlg* view, const QString& folder) {
  QTableView* grid = view->Grid();
  const int rows = grid->model()->rowCount();
  QItemSelection columns;
  for (const char* name : {"Systolic", "Diastolic"}) {
    const int column = ColumnNamed(grid, QString::fromLatin1(name));
    if (column < 0) return Fail(QStringLiteral("no column ") + QString::fromLatin1(name));
    columns.select(grid->model()->index(0, column), grid->model()->index(rows - 1, column));
  }
  grid->selectionModel()->select(columns, QItemSelectionModel::ClearAndSelect);
  WhenModal("vandro::TStatDlg", [folder](QWidget* widget) {
    auto* dialog = static_cast<TStatDlg*>(widget);
    dialog->TestType()->setCurrentIndex(0);
    dialog->TestButton()->click();
    if (!dialog->Statistic()->isVisible()) Fail(QStringLiteral("the t-Test shows no result"));
    dialog->SeriesGrid()->selectRow(0);
    WhenModal("vandro::THistogramDlg", [folder, dialog](QWidget* histogram) {
      SideBySide(dialog, histogram);
      Shoot(folder, QStringLiteral("statistics.png"), {dialog, histogram});
      static_cast<QDialog*>(histogram)->reject();
      dialog->reject();
    });
    dialog->HistogramButton()->click();
  });
  if (!view->HandToStatistics(false)) Fail(QStringLiteral("the view handed nothing on"));
}

// Data Mining Tools over the group: Weight from Height, then the clusters of
// both. The analysis window stays non-modal here so that this code goes on
// while it is open.
void ShootDataMining(TMainForm& main, const char* group, const QString& folder) {
  TAnalysisDlg dialog(&main);
  dialog.show();
  if (!dialog.SelectGroup(APSFindObject(group)))
    return Fail(QStringLiteral("Select Group refused ") + QString::fromLatin1(group));
  for (const char* name : {"Weight", "Height"}) {
    const int row = ItemNamed(dialog.AllParameters(), QString::fromLatin1(name));
    if (row < 0) return Fail(QStringLiteral("no parameter ") + QString::fromLatin1(name));
    dialog.AllParameters()->setCurrentRow(row);
    dialog.PressAdd();
  }
  dialog.Pages()->setCurrentIndex(2);
  dialog.Dependent()->setCurrentText(QStringLiteral("Weight"));
  dialog.PressRegression();
  TLRegressDlg* regression = dialog.RegressionWindow();
  if (!regression) return Fail(QStringLiteral("Linear Regression opened no window"));
  regression->ScatterPlotButton()->click();
  TPlotDlg* plot = regression->Plot();
  if (!plot) return Fail(QStringLiteral("Scatter Plot opened no window"));
  plot->XList()->setCurrentText(QStringLiteral("Height"));
  SideBySide(regression, plot);
  Shoot(folder, QStringLiteral("regression.png"), {regression, plot});
  plot->close();
  regression->close();

  dialog.PressCluster();
  TClusterDlg* cluster = dialog.ClusterWindow();
  if (!cluster) return Fail(QStringLiteral("Cluster Analysis opened no window"));
  // Room for every branch open and each leaf's whole name, as a user would
  // widen the window and drag the splitter.
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  QTreeWidget* tree = cluster->TreeView();
  cluster->resize(std::min(screen.width() - 40, 1160), std::min(screen.height() - 80, 780));
  cluster->move(std::max(0, (screen.width() - cluster->frameGeometry().width()) / 2), 20);
  tree->expandAll();
  // The root's first branch, marked in the dendrogram too.
  if (QTreeWidgetItem* root = tree->topLevelItem(0); root && root->childCount())
    tree->setCurrentItem(root->child(0));
  tree->scrollToTop();
  Settle();
  if (auto* splitter = cluster->findChild<QSplitter*>()) {
    const int total = splitter->sizes().value(0) + splitter->sizes().value(1);
    const int wanted = tree->columnWidth(0) + tree->verticalScrollBar()->sizeHint().width() +
                       2 * tree->frameWidth() + 8;
    splitter->setSizes({wanted, total - wanted});
  }
  cluster->raise();
  cluster->activateWindow();
  Shoot(folder, QStringLiteral("cluster-tree.png"), {cluster});
  cluster->close();
}

// A patient's first state beside the latest one: the comparison window as
// the object view's "Compare..." opens it.
void ShootComparison(const char* patient, const QString& folder) {
  TObjectSet set;
  if (!set.Load(APSFindObject(patient)) || set.Records.empty())
    return Fail(QStringLiteral("no history of ") + QString::fromLatin1(patient));
  const std::unique_ptr<TStateTrack> first = CompareSide(set.Records.front()->Idtor, 0);
  const std::unique_ptr<TStateTrack> latest = CompareSide(set.ObjIdtor, Now());
  if (!first || !latest) return Fail(QStringLiteral("no states to compare"));
  TCompareDlg dialog;
  dialog.Compare(*first, *latest);
  dialog.show();
  dialog.raise();
  dialog.activateWindow();
  Shoot(folder, QStringLiteral("compare.png"), {&dialog});
  dialog.close();
}

// "Edit Template" on one of the project's templates (Project, Templates,
// Edit), its first parameter line marked.
void ShootTemplateEditor(TMainForm& main, const char* name, const QString& folder) {
  std::unique_ptr<TTemplateEditor> editor;
  try {
    editor = TTemplateEditor::ForTemplate(name);
  } catch (const std::exception& error) {
    return Fail(QStringLiteral("the template %1 did not load: %2")
                    .arg(QString::fromLatin1(name), QString::fromUtf8(error.what())));
  }
  TTemplateEditDlg dialog(std::move(editor), &main);
  if (dialog.LinesGrid()->rowCount() == 0)
    return Fail(QStringLiteral("the template %1 has no lines").arg(QString::fromLatin1(name)));
  // Wide enough for each constraint and condition on one line, as a user
  // would widen the window and its columns.
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  dialog.resize(std::min(screen.width() - 40, 900), std::min(screen.height() - 80, 600));
  dialog.show();
  Settle(300);
  dialog.ActionsGrid()->resizeColumnToContents(0);
  dialog.move(std::max(0, (screen.width() - dialog.frameGeometry().width()) / 2), 40);
  dialog.raise();
  dialog.activateWindow();
  dialog.LinesGrid()->setFocus();
  dialog.LinesGrid()->selectRow(0);
  Shoot(folder, QStringLiteral("template-editor.png"), {&dialog});
  dialog.reject();
}

// File: Import, Data on a semicolon-separated file with a Cyrillic header:
// the preview with the name and time columns chosen.
void ShootImport(const QString& folder) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("vitals.txt"));
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return Fail(QStringLiteral("cannot write ") + path);
  file.write("Пациент;Пульс;Температура;Когда\n"
             "IVANOV_PETR;72 [1/min];36.6 [C];01.12.2026 08:00\n"
             "IVANOV_PETR;88 [1/min];37.4 [C];01.12.2026 20:00\n"
             "SIDOROVA_ANNA;64 [1/min];36.8 [C];02.12.2026 09:30\n"
             "SIDOROVA_ANNA;70 [1/min];38.1 [C];03.12.2026 09:15\n");
  file.close();
  TImportDlg dialog(nullptr);
  dialog.Open(path.toStdString()); // a folder of ASCII names
  dialog.Separator()->Button(skSemicolon)->click();
  dialog.NameColumn()->setCurrentIndex(dialog.NameColumn()->findText(QStringLiteral("Пациент")));
  dialog.TimeColumn()->setCurrentIndex(dialog.TimeColumn()->findText(QStringLiteral("Когда")));
  dialog.show();
  dialog.raise();
  dialog.activateWindow();
  Shoot(folder, QStringLiteral("import-dialog.png"), {&dialog});
  dialog.close();
}

// The sample's temperature curve in its window, then "Chart Properties" on
// the details of its series.
void ShootChart(TMainForm& main, const QString& folder) {
  TChartForm* chart = OpenStoredChart(main, "TemperatureCurve");
  if (!chart) return Fail(QStringLiteral("the chart TemperatureCurve did not open"));
  main.showNormal();
  main.resize(1000, 700);
  chart->SubWindow()->resize(760, 520);
  chart->SubWindow()->move(20, 20);
  Shoot(folder, QStringLiteral("chart.png"), {&main});
  {
    TChartPropsDlg properties(chart->Document().Chart(), &main);
    properties.ShowPage(TChartPropsPage::SeriesDetails, 0);
    properties.show();
    properties.raise();
    properties.activateWindow();
    Shoot(folder, QStringLiteral("chart-properties.png"), {&properties});
  }
  chart->SubWindow()->close();
}

int Run(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Vandro"));
  QApplication::setDesktopFileName(QStringLiteral("vandro"));
  const QStringList arguments = QApplication::arguments();
  if (arguments.size() != 3) {
    std::fprintf(stderr, "Usage: vandro-shots PROJECT FOLDER\n");
    return 2;
  }
  const QString folder = arguments.at(2);
  if (!QDir().mkpath(folder)) {
    std::fprintf(stderr, "vandro-shots: cannot make %s\n", qPrintable(folder));
    return 1;
  }

  const ScopedLanguage language;
  const ScopedRecords records;
  TSettings settings;
  settings.Load(SettingsPath());
  TShotSink sink;
  shotSink = &sink;
  const ScopedMessageSink scopedSink(sink);
  {
    TMainForm main(settings);
    main.showMaximized();
    Settle(1500);
    if (!main.OpenProjectAt(arguments.at(1))) {
      std::fprintf(stderr, "vandro-shots: cannot open %s\n", qPrintable(arguments.at(1)));
      CloseProject();
      return 1;
    }
    QTimer::singleShot(0, &main, [&main, folder] {
      Settle(1500);
      if (TViewGroupDlg* view = OpenGroupView(main, "INPATIENTS")) {
        ShootGroupView(main, view, folder);
        ShootStatistics(view, folder);
      } else {
        Fail(QStringLiteral("the group table view of INPATIENTS did not open"));
      }
      ShootDataMining(main, "DISCHARGED", folder);
      ShootComparison("BERG_ANNA", folder);
      ShootTemplateEditor(main, "VITALS", folder);
      ShootImport(folder);
      ShootChart(main, folder);
      // Closed as a user closes them; QApplication::quit would ask the same
      // of every window and stop at the first that stays open. The view
      // leaves the main window's list once deleted, back in the main loop.
      for (QMdiSubWindow* frame : main.Area()->subWindowList())
        if (frame->widget() && frame->widget()->inherits("vandro::TViewGroupDlg")) frame->close();
      QTimer::singleShot(300, &main, [&main] {
        if (!main.close()) Fail(QStringLiteral("the main window stayed open"));
        QCoreApplication::exit(0);
      });
    });
    QApplication::exec();
  }
  CloseProject();
  return failed || sink.count ? 1 : 0;
}

} // namespace
} // namespace vandro

int main(int argc, char** argv) {
  return vandro::Run(argc, argv);
}
