#include "app/charts/chart_form.h"

#include "app/charts/chart_builder.h"
#include "app/charts/chart_props_dlg.h"
#include "app/exchange/save_target.h"
#include "app/shell/guard.h"
#include "app/shell/records_bridge.h"
#include "app/shell/text_edge.h"
#include "charts/chart_fill.h"
#include "shell/messages.h"

#include <QAction>
#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPainter>
#include <QPrinter>
#include <QVBoxLayout>

namespace vandro {

namespace {

constexpr const char* kPictureFilter =
    "PNG image (*.png);;SVG drawing (*.svg);;PDF document (*.pdf)";

} // namespace

TChartForm::TChartForm()
    : TChildForm(TChildKind::ChartWindow), chart_(new QChart), view_(new QChartView(chart_)),
      menu_(new QMenu(this)) {
  view_->setRenderHint(QPainter::Antialiasing);
  view_->setAccessibleName(QStringLiteral("Chart"));
  view_->viewport()->installEventFilter(this);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(view_);

  // The pop-up menu: the properties window at the page of the item.
  const struct {
    const char* caption;
    TChartPropsPage page;
  } pages[] = {
      {"Properties...", TChartPropsPage::General}, {"Series...", TChartPropsPage::Series},
      {"Axis...", TChartPropsPage::Axis},          {"Titles...", TChartPropsPage::Titles},
      {"Legend...", TChartPropsPage::Legend},
  };
  for (const auto& item : pages) {
    const TChartPropsPage page = item.page;
    connect(menu_->addAction(QString::fromLatin1(item.caption)), &QAction::triggered, this,
            [this, page] { ShowProperties(page); });
  }
  menu_->addSeparator();
  resetZoom_ = menu_->addAction(QStringLiteral("Undo Zoom"));
  connect(resetZoom_, &QAction::triggered, this, [this] { chart_->zoomReset(); });
  menu_->addSeparator();
  connect(menu_->addAction(QStringLiteral("Save Picture As...")), &QAction::triggered, this,
          [this] { SavePictureAs(); });
  QAction* copy = menu_->addAction(QStringLiteral("Copy"));
  copy->setShortcut(QKeySequence::Copy);
  copy->setShortcutContext(Qt::WidgetWithChildrenShortcut);
  addAction(copy);
  connect(copy, &QAction::triggered, this, [this] { CopyPicture(); });
  menu_->addSeparator();
  connect(menu_->addAction(QStringLiteral("Close")), &QAction::triggered, this, [this] {
    if (SubWindow())
      SubWindow()->close();
    else
      close();
  });
  view_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(view_, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { menu_->popup(view_->mapToGlobal(at)); });

  // The series' sources are formulas and queries that may read any object;
  // filling them again keeps every edit of the definition.
  follower_.ShowsAnyObject();
  connect(new TRecordsBridge(this), &TRecordsBridge::recordsChanged, this, [this](int objectId) {
    if (follower_.Heard(objectId, false) != TRecordsAction::Refresh) return;
    RunCommand([this] {
      FillChart(document_.Chart());
      Redraw();
    });
  });
}

TChartForm::~TChartForm() = default;

bool TChartForm::Open(const std::string& name, bool isNew) {
  bool opened = false;
  RunCommand([&] { opened = document_.Open(name, isNew); });
  if (!opened) return false;
  setWindowTitle(FromCore(name));
  const TChartDefinition& chart = document_.Chart();
  if (chart.Width > 0 && chart.Height > 0) resize(chart.Width, chart.Height);
  Redraw();
  return true;
}

void TChartForm::Redraw() {
  BuildChart(document_.Chart(), *chart_);
  // "On Resize" Zoom: a rectangle drawn with the mouse zooms into it;
  // Scroll leaves the chart as drawn.
  view_->setRubberBand(document_.Chart().AllowZoom ? QChartView::RectangleRubberBand
                                                   : QChartView::NoRubberBand);
  resetZoom_->setEnabled(document_.Chart().AllowZoom);
}

void TChartForm::ShowProperties(TChartPropsPage page, int series) {
  TChartPropsDlg dialog(document_.Chart(), this);
  connect(&dialog, &TChartPropsDlg::Edited, this, [this] { Redraw(); });
  dialog.ShowPage(page, series);
  const bool accepted = dialog.exec() == QDialog::Accepted;
  RunCommand([&] {
    if (accepted)
      document_.Accept(dialog.Changed());
    else
      document_.Revert();
  });
  Redraw();
}

bool TChartForm::SavePicture(const QString& path) {
  if (!MayWriteFile(path)) return false;
  std::string error;
  const QSize size = view_->size().isEmpty() ? QSize(800, 600) : view_->size();
  if (RenderChartFile(document_.Chart(), QFile::encodeName(path).toStdString(), size, &error))
    return true;
  ShowMsg(error);
  return false;
}

void TChartForm::SavePictureAs() {
  QString filter;
  QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Save Picture As"),
                                              windowTitle() + QStringLiteral(".png"),
                                              QString::fromLatin1(kPictureFilter), &filter);
  if (path.isEmpty()) return;
  // A name without an ending takes the chosen filter's.
  if (QFileInfo(path).suffix().isEmpty())
    path += filter.contains(QStringLiteral("svg"))   ? QStringLiteral(".svg")
            : filter.contains(QStringLiteral("pdf")) ? QStringLiteral(".pdf")
                                                     : QStringLiteral(".png");
  RunCommand([&] { SavePicture(path); });
}

void TChartForm::CopyPicture() {
  QApplication::clipboard()->setPixmap(view_->grab());
}

void TChartForm::Print(QPrinter& printer) {
  QPainter painter(&printer);
  const QRect page = painter.viewport();
  QSize size = view_->size();
  size.scale(page.size(), Qt::KeepAspectRatio);
  // Drawn at the printer's resolution, not copied from the screen.
  view_->render(&painter, QRectF(page.topLeft(), size));
}

void TChartForm::TakeGeometry() {
  TChartDefinition& chart = document_.Chart();
  const QWidget* shown = SubWindow() ? static_cast<const QWidget*>(SubWindow()) : this;
  chart.Width = width();
  chart.Height = height();
  chart.Left = shown->x();
  chart.Top = shown->y();
}

bool TChartForm::CloseDocument() {
  if (closed_) return true;
  bool mayClose = true;
  const bool wasNew = document_.IsNew();
  RunCommand([&] {
    if (document_.Changed()) TakeGeometry();
    mayClose = document_.Close();
  });
  if (!mayClose) return false;
  closed_ = true;
  if (wasNew && !document_.IsNew()) emit chartStored();
  return true;
}

void TChartForm::closeEvent(QCloseEvent* event) {
  if (!CloseDocument()) {
    event->ignore();
    return;
  }
  event->accept();
}

void TChartForm::CloseForProject() {
  // The project goes whatever the answer: a store that failed cannot keep
  // the window.
  CloseDocument();
  closed_ = true;
  TChildForm::CloseForProject();
}

bool TChartForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == view_->viewport() && event->type() == QEvent::MouseButtonDblClick) {
    ShowProperties(TChartPropsPage::General);
    return true;
  }
  return TChildForm::eventFilter(watched, event);
}

} // namespace vandro
