// "Select Object": the one dialog through which an object, a group, or one or
// more states of an object at a moment are picked. The rules are in
// editing/object_selection.h; this window draws the page of the object list,
// the states and the values they give, and closes as OK says.
#pragma once

#include "editing/object_selection.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QScrollBar;
class QTableWidget;
class QTabWidget;

namespace vandro {

class TMomentPicker;

class TSelectObjectDlg final : public QDialog {
  Q_OBJECT
public:
  explicit TSelectObjectDlg(QWidget* parent = nullptr);
  ~TSelectObjectDlg() override;

  // Before every showing: the moment, whether a state is wanted, quiet, and
  // whether "Create New Object" is offered.
  void Prepare(double moment, bool requireState, bool quiet, bool allowCreate, bool showHidden);
  // Whether Ctrl marks several states (else a click marks one).
  void SetAllowSeveral(bool on) { allowSeveral_ = on; }
  // After every showing.
  void Release();

  TObjectSelection& Selection() { return selection_; }

  QTabWidget* Tabs() const { return tabs_; }
  QTableWidget* Objects() const { return objects_; }
  QScrollBar* ObjectScroll() const { return scroll_; }
  QTableWidget* States() const { return states_; }
  QTableWidget* Values() const { return values_; }
  QListWidget* SelectedStates() const { return marked_; }
  QLineEdit* SelectedObject() const { return selectedName_; }
  QCheckBox* UseLink() const { return useLink_; }
  QCheckBox* ShowGroups() const { return showGroups_; }
  QCheckBox* ShowDataObjects() const { return showObjects_; }
  QPushButton* CreateNew() const { return createNew_; }
  QPushButton* OkButton() const { return ok_; }
  QPushButton* RefreshButton() const { return refresh_; }
  TMomentPicker* MomentPicker() const { return moment_; }

  // The window's own actions, as its buttons and clicks run them.
  void ChooseObjectRow(int row);
  void ClickState(int row, bool several);
  void Ok();

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  int FittingRows() const;
  void FitPage();
  void ShowKinds();
  void ShowPage();
  void ShowStates();
  void ShowMarks();
  void ShowValues();
  void Refresh();
  void ViewObject();

  TObjectSelection selection_;
  bool prepared_ = false;
  bool allowSeveral_ = true;
  // The modifiers of the mouse press on the states list: Ctrl marks several.
  Qt::KeyboardModifiers pressModifiers_;
  bool pressing_ = false;

  QTabWidget* tabs_ = nullptr;
  QTableWidget* objects_ = nullptr;
  QScrollBar* scroll_ = nullptr;
  QLineEdit* selectedName_ = nullptr;
  QPushButton* viewObject_ = nullptr;
  QPushButton* createNew_ = nullptr;
  QCheckBox* useLink_ = nullptr;
  QCheckBox* showGroups_ = nullptr;
  QCheckBox* showObjects_ = nullptr;
  QTableWidget* states_ = nullptr;
  QTableWidget* values_ = nullptr;
  TMomentPicker* moment_ = nullptr;
  QPushButton* refresh_ = nullptr;
  QListWidget* marked_ = nullptr;
  QAction* showHidden_ = nullptr;
  QPushButton* ok_ = nullptr;
};

} // namespace vandro
