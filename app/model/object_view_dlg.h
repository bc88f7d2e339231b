// The object view: one object's states at a moment and the values of the
// chosen state, shown modally. It opens on an object or on a record
// (TObjectView has the rules). The Create New State and Edit commands take
// the state it shows (SelectedTrack, SelectedRecord) and close it with OK.
#pragma once

#include "editing/object_view.h"
#include "editing/records_follow.h"

#include <QDialog>

#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class QAction;
class QDialogButtonBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace vandro {

class TMomentPicker;

// The states grid ("Last Rec.Id", "Date and Time") and the values grid
// ("Parameter", "Value") of the database browser and the object view.
QTableWidget* MakeStatesGrid();
QTableWidget* MakeValuesGrid();
void ShowStates(QTableWidget* grid, const TObjectStates& states);
// The values of the state of row; an unknown row empties the grid.
void ShowValues(QTableWidget* grid, TObjectStates& states, int row);

class TObjectViewDlg final : public QDialog {
  Q_OBJECT
public:
  explicit TObjectViewDlg(QWidget* parent = nullptr);
  ~TObjectViewDlg() override;

  // Opens on an object or a record identifier at now, as known at knownAt
  // (nothing: everything); false, after the message, when there is none
  // (the dialog is then not to be shown).
  bool Open(int32_t id, std::optional<double> knownAt = std::nullopt);

  int32_t ObjectId() const { return view_.ObjectId(); }
  int32_t SelectedRecord() const { return view_.SelectedRecord(); }
  std::unique_ptr<TStateTrack> SelectedTrack() const { return view_.SelectedTrack(); }
  // The commands that take the shown state end the view this way.
  void CloseWithOk() { accept(); }

  // The view being shown modally, or nullptr.
  static TObjectViewDlg* Showing();

  TMomentPicker* Moment() const { return moment_; }
  // "Known at:": the states as the project knew them then; the moment the
  // view opened (its default) shows everything.
  TMomentPicker* KnownAt() const { return knownAt_; }
  bool ShowsThePast() const { return view_.ShowsThePast(); }
  QTableWidget* StatesGrid() const { return states_; }
  QTableWidget* ValuesGrid() const { return values_; }
  // A group's members in the chosen state ("Member", "Id"), shown only for
  // a group; each opens in an object view of its own.
  QTableWidget* ContentGrid() const { return content_; }
  void ViewMember(int row);
  QPushButton* RefreshButton() const { return refresh_; }

  void Refresh();
  void SelectState(int row);
  // The main window's Create New State and Edit Record commands, as buttons
  // (absent when the view is not opened from the main window).
  QPushButton* NewStateButton() const { return newState_; }
  QPushButton* EditRecordButton() const { return editRecord_; }
  // Compares the chosen state with one picked through "Select Object".
  QPushButton* CompareButton() const { return compare_; }

protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

private:
  void ShowAll();
  // The values and, for a group, the content of the chosen state; none
  // without one.
  void ShowState();
  QPushButton* AddCommandButton(QDialogButtonBox* buttons, const QString& command);
  void EnableCommands();

  TObjectView view_;
  TRecordsFollower follower_;
  QLabel* caption_;
  TMomentPicker* moment_;
  TMomentPicker* knownAt_;
  double opened_ = 0; // when the view opened: a "Known at:" from then on is everything
  QPushButton* refresh_;
  QTableWidget* states_;
  QTableWidget* values_;
  QLabel* contentCaption_;
  QTableWidget* content_;
  std::vector<int32_t> members_;       // the identifiers of content_'s rows
  TObjectViewDlg* previous_ = nullptr; // the view shown when this one opened
  QPushButton* newState_ = nullptr;
  QPushButton* editRecord_ = nullptr;
  QPushButton* compare_ = nullptr;
  std::vector<std::pair<QPushButton*, QAction*>> commands_; // buttons of main-window commands
};

} // namespace vandro
