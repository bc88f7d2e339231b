// "Browse Database": the objects page by page in name order beside a scroll
// bar, the states of the selected object at the picked moment, and the
// values of the selected state. TDatabaseBrowser has the rules.
#pragma once

#include "editing/database_browser.h"
#include "editing/records_follow.h"

#include <QDialog>

class QPushButton;
class QScrollBar;
class QTableWidget;

namespace vandro {

class TMomentPicker;

class TDatabaseBrowserForm final : public QDialog {
  Q_OBJECT
public:
  explicit TDatabaseBrowserForm(QWidget* parent = nullptr);

  TDatabaseBrowser& Browser() { return browser_; }
  QTableWidget* ObjectsGrid() const { return objects_; }
  QScrollBar* ScrollBar() const { return scroll_; }
  QTableWidget* StatesGrid() const { return states_; }
  QTableWidget* ValuesGrid() const { return values_; }
  TMomentPicker* Moment() const { return moment_; }
  // "Known at:": the states as the project knew them then; the moment the
  // window opened (its default) shows everything.
  TMomentPicker* KnownAt() const { return knownAt_; }
  QPushButton* RefreshButton() const { return refresh_; }
  QPushButton* ViewObjectButton() const { return viewObject_; }
  QPushButton* DbShowButton() const { return dbShow_; }

  void ScrollTo(int position);
  void SelectObject(int row);
  void SelectState(int row);
  void Refresh();
  void ViewObject();
  void ShowTables();

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  // Rows that fit the objects grid, 1 to 64.
  int FittingRows() const;
  // Pages anew when the grid holds another number of whole rows.
  void FitPage();
  void ShowPage();
  void ShowStatesOfObject();
  // The page and the selected object's states read again, the selection
  // kept while its object is on the page.
  void Reread();

  TDatabaseBrowser browser_;
  TRecordsFollower follower_;
  QTableWidget* objects_;
  QScrollBar* scroll_;
  TMomentPicker* moment_;
  TMomentPicker* knownAt_;
  double opened_ = 0; // when the window opened: a "Known at:" from then on is everything
  QPushButton* refresh_;
  QPushButton* viewObject_;
  QPushButton* dbShow_;
  QTableWidget* states_;
  QTableWidget* values_;
};

} // namespace vandro
