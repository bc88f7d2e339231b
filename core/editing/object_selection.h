// The rules of "Select Object": a page of the object list (objects and
// groups, filtered by kind) moved by a scroll position, the chosen object's
// states at a moment, one per branch alive then, the states marked for the
// caller, the values of the current state, and what OK does on each page.
//
// The object list is never read whole: the page holds at most 64 rows of the
// objects table, refilled from the storage layer's page cursor at every move.
// The chosen object's history is loaded once per choice; the state tracks
// share it and live until the next choice, Refresh or Prepare.
#pragma once

#include "model/object_set.h"
#include "model/state_track.h"
#include "storage/objects.h"
#include "values/value.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vandro {

struct TSelectObjectRow {
  int32_t Id = 0; // 0 for the empty row of an empty page
  std::string Name;
  bool Group = false; // drawn bold green
};

struct TSelectStateRow {
  int32_t RecordId = 0; // the last record of the state's path
  std::string Name;     // that record's name
};

struct TSelectValueRow {
  std::string Parameter;
  std::string Value; // display text
  TValueKind Kind = vkPlain;
};

// The two pages of the window, as OK sees them.
enum class TSelectPage { Objects, States };

// What OK asks the window to do.
enum class TSelectOutcome {
  Stay,       // the dialog stays open where it is
  ShowStates, // the dialog stays open and turns to the "States" page
  Accept,     // closes with OK
  Cancel,     // closes as Cancel does
};

inline constexpr const char* kObjectNotSelected =
    "Object is not selected. Do you want to continue?";
inline constexpr const char* kNoStateSelected =
    "You didn't select any state.\r\nDo you want to continue?";
inline constexpr const char* kLostStateRow = "Lost object in StGrid";

class TObjectSelection {
public:
  TObjectSelection() = default;
  TObjectSelection(const TObjectSelection&) = delete;
  TObjectSelection& operator=(const TObjectSelection&) = delete;

  // Before every showing: the page of pageSize rows (1 to 64) from the top
  // of the list under the "Show" options, the moment, the caller's wishes,
  // and every output cleared. requireState starts "Use Link to Object"
  // unchecked; quiet keeps back the messages about an object's history.
  void Prepare(int pageSize, double moment, bool requireState, bool quiet, bool showHidden);
  // After every showing: the storage layer's page cursor is let go.
  void Release();

  // The object list. The scroll bar runs over 0..ScrollMaximum() with a
  // page step of PageSize().
  int RowCount() const { return rowCount_; }
  int PageSize() const { return page_.PageSize; }
  int ScrollMaximum() const;
  int Position() const { return position_; }
  void ScrollTo(int position);
  // A new page size keeps the position (within the new range).
  void SetPageSize(int pageSize);
  // The page's rows; an empty page gives one empty row.
  std::vector<TSelectObjectRow> ObjectRows() const;

  // "Show Groups" / "Show Data Objects": at least one stays checked (the
  // other is checked again); either change returns to the top of the list.
  bool ShowGroups() const { return showGroups_; }
  bool ShowDataObjects() const { return showObjects_; }
  void SetShowGroups(bool on);
  void SetShowDataObjects(bool on);

  bool UseLink() const { return useLink_; }
  void SetUseLink(bool on) { useLink_ = on; }
  bool Quiet() const { return quiet_; }
  double Moment() const { return moment_; }

  // Choosing the object of a page row: its history is loaded and every
  // state at the moment listed. Raises "Can't get object states. Object
  // id=" when the history cannot be loaded (unless "Use Link to Object" or
  // quiet), and "Object hasn't any actual state ..." when no state holds at
  // the moment (unless quiet). Without "Use Link to Object" the first state
  // becomes the current and only marked state. A row without an object
  // chooses nothing.
  void ChooseRow(int row);
  void ChooseObject(int32_t objectId);
  int32_t ObjectId() const { return objectId_; }
  const std::string& ObjectName() const { return objectName_; }
  // The loaded history, shared with the state tracks; nullptr when none.
  std::shared_ptr<TObjectSet> Set() const { return set_; }

  // The states list.
  int StateCount() const { return static_cast<int>(tracks_.size()); }
  std::vector<TSelectStateRow> StateRows() const;
  // A click on a state row: without several (Ctrl) the marked list is
  // emptied first; the row becomes the current state and is marked. Raises
  // "Lost object in StGrid" for a row without a state.
  void ClickState(int row, bool several);
  int CurrentState() const { return current_; } // -1 when none
  const std::vector<int>& Marked() const { return marked_; }
  // The names listed under "Selected States:".
  std::vector<std::string> MarkedNames() const;
  // The visible values of the current state (all of them with show-hidden),
  // replayed on first use; none without a current state.
  std::vector<TSelectValueRow> Values();
  bool ShowHidden() const { return showHidden_; }
  void SetShowHidden(bool on) { showHidden_ = on; }

  // "Refresh": the states are forgotten, the moment taken anew and the
  // object list refilled at its position. The object stays chosen.
  void Refresh(double moment);

  // "OK" on page; asks its questions unless quiet (then a question's
  // answer is to stay).
  TSelectOutcome Ok(TSelectPage page);
  // "Create New Object": the flag is set and the dialog closes with OK.
  void CreateNewObject() { createNew_ = true; }
  bool CreateNew() const { return createNew_; }

  // The outputs. The current state's record, 0 when none; the marked
  // states' records in the order they were marked.
  int32_t CurrentStateId() const;
  std::vector<int32_t> MarkedStateIds() const;
  // A copy of the current state's track, with its state replayed, that
  // keeps the history alive by itself; nullptr when no state is current.
  std::unique_ptr<TStateTrack> CopyCurrentTrack() const;

private:
  void FillPage();
  void ClearStates();

  TAPSObjTablePage page_;
  int rowCount_ = 0;
  int position_ = 0;
  bool showGroups_ = true;
  bool showObjects_ = true;
  bool useLink_ = true;
  bool quiet_ = false;
  bool showHidden_ = false;
  bool createNew_ = false;
  double moment_ = 0;

  int32_t objectId_ = 0;
  std::string objectName_;
  std::shared_ptr<TObjectSet> set_;
  std::vector<std::unique_ptr<TStateTrack>> tracks_;
  int current_ = -1;
  std::vector<int> marked_;
};

} // namespace vandro
