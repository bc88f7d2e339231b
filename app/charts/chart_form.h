// TChartForm: one open chart, a non-modal child of the main window counted
// against its dialog limit. The rules are the chart document's
// (charts/chart_document.h); this window draws the definition with Qt Charts
// and redraws it after every edit of the properties window.
#pragma once

#include "app/shell/child_form.h"
#include "charts/chart_document.h"
#include "editing/records_follow.h"

#include <QString>

#include <string>

class QAction;
class QChart;
class QChartView;
class QMenu;

namespace vandro {

enum class TChartPropsPage;

class TChartForm final : public TChildForm {
  Q_OBJECT
public:
  TChartForm();
  ~TChartForm() override;

  // Opens the chart of that name, already marked in use (the chart list's
  // rules mark it); false when the window must not open. The mark goes with
  // the window.
  bool Open(const std::string& name, bool isNew);

  TChartDocument& Document() { return document_; }
  QChartView* View() const { return view_; }
  QMenu* PopupMenu() const { return menu_; }

  // Draws the definition again.
  void Redraw();
  // "Chart Properties" at page (a series page on series); OK keeps the
  // edits, Cancel takes them back.
  void ShowProperties(TChartPropsPage page, int series = -1);
  // The chart as a picture: PNG, SVG or PDF by the name's end; false after
  // a message.
  bool SavePicture(const QString& path);
  // "Save Picture As..." with its file dialog.
  void SavePictureAs();
  // The chart on the clipboard as a picture.
  void CopyPicture();

  void Print(QPrinter& printer) override;
  void CloseForProject() override;

signals:
  // A new chart was stored: the chart names changed.
  void chartStored();

protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  // The window's size and place into the definition, which stores them.
  void TakeGeometry();
  bool CloseDocument();

  TChartDocument document_;
  TRecordsFollower follower_;
  QChart* chart_;
  QChartView* view_;
  QMenu* menu_;
  QAction* resetZoom_ = nullptr;
  bool closed_ = false; // the document has closed: the window goes as it is
};

} // namespace vandro
