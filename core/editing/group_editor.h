// The rules of the group dialog ("Create New Group", "New Group State",
// "Edit Group"), without its widgets.
//
// A group record stores no values: it adds the references in Added and
// removes those in Deleted. The editor keeps what the user changes as two
// pending lists (additions and removals) over the members of the state the
// new record follows; Members() is that state's content with the pending
// changes applied, which is what the window lists. OK turns the pending
// lists into the record's Added and Deleted (merged with the edited
// record's own in edit mode) and stores it.
//
// The editor owns the given track (or the object set of a group chosen
// without a state), a working copy of the track cut at the record's real
// time, the record and both pending lists. Nothing reaches storage before
// Ok or TerminateState, apart from the in-memory reservation of an
// automatic group name.
#pragma once

#include "language/executor.h"
#include "model/data_record.h"
#include "model/object_set.h"
#include "model/state_track.h"
#include "storage/objects.h"
#include "storage/record_writer.h"
#include "values/value.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vandro {

enum class TGroupMode { NewGroup, NewState, Edit };

// The field a refused OK is about, which the window focuses.
enum class TGroupField { None, Name, Time };

struct TGroupLine {
  std::string Text; // the member's display text
  TValueKind Kind = vkObject;
};

inline constexpr const char* kAutomaticGroupBase = "Group_";
inline constexpr const char* kAlreadyInGroup = "Object is already in group";
inline constexpr const char* kOnlyReferences =
    "Only objects and states can be added to a group.\r\nAll other values are skipped.";
inline constexpr const char* kNotArrayOrQuery = "You can add only an array or a query result";
inline constexpr const char* kQueryFailed = "Error during query execution.";

class TGroupEditor {
public:
  TGroupEditor();
  ~TGroupEditor();
  TGroupEditor(const TGroupEditor&) = delete;
  TGroupEditor& operator=(const TGroupEditor&) = delete;

  // Inputs set before Start. The track ends at the chosen state, its state
  // constructed; the set is a group chosen without a state. Either keeps
  // the group's history alive while the editor lives.
  void SetTrack(std::unique_ptr<TStateTrack> track);
  void SetObjectSet(std::shared_ptr<TObjectSet> set);

  // Builds the record for the mode and fills everything the window shows.
  // False after "Object was not selected" (the window closes then).
  bool Start(bool newGroup, bool edit);

  TGroupMode Mode() const { return mode_; }
  std::string Caption() const;
  int32_t GroupId() const { return record_->ObjIdtor; }
  int StateNumber() const { return stateNumber_; }
  const TDataRecord& Record() const { return *record_; }
  TDataRecord& Record() { return *record_; }

  // "Group Name:"; leaving the field names the record and the index entry
  // after it.
  const std::string& GroupName() const { return groupName_; }
  void SetGroupName(std::string_view name);
  void LeaveGroupName();
  const std::string& RecordName() const { return recordName_; }
  void SetRecordName(std::string_view name);
  double SysTime() const { return record_->SysTime; }

  // The pickers: SetRealTime as they change, LeaveRealTime as one is left
  // (new state: the record moves in the working track and the pending
  // changes follow the content there; edit: the bounds are checked and a
  // refused time is taken back).
  double RealTime() const { return realTime_; }
  void SetRealTime(double time) { realTime_ = time; }
  void LeaveRealTime();

  bool TerminateVisible() const { return mode_ == TGroupMode::NewState; }
  bool IndexBoxVisible() const { return mode_ == TGroupMode::NewGroup; }
  bool IndexChecked = false;
  std::string IndexName;
  std::string IndexComment;

  // The content list.
  const std::vector<TValue::Ptr>& Members() const { return members_; }
  std::vector<TGroupLine> Lines() const;
  const std::vector<TValue::Ptr>& PendingAdditions() const { return added_; }
  const std::vector<TValue::Ptr>& PendingRemovals() const { return deleted_; }
  // A reference joins the group (or a pending removal of it is taken
  // back); false after "Object is already in group".
  bool AddMember(const TValue& reference);
  // "Add Object"'s choice: each marked state as a reference to that state,
  // or else the object itself.
  void AddChosen(int32_t objectId, const std::vector<int32_t>& stateIds);
  // "Remove Object" on a line; false for a line that is not there.
  bool RemoveMember(int index);
  // The identifier the line refers to; 0 for a line that is no reference.
  int32_t MemberIdentifier(int index) const;

  // "Fill Group with Array or Query". QueryValue is what "Define" edits;
  // AcceptQuery takes its result (a formula is evaluated at once) and shows
  // a query for "Execute" or an array's references for "Add".
  const TValue& QueryValue() const { return query_; }
  void AcceptQuery(const TValue& value);
  const std::string& FillText() const { return fillText_; }
  bool ExecuteEnabled() const { return executeEnabled_; }
  bool AddEnabled() const { return addEnabled_; }
  int ResultCount() const { return resultCount_; }
  // Runs the query; false after "Error during query execution.".
  bool Execute();
  // Every reference of the query result, or else of the array, through
  // AddMember; then the box is emptied.
  void AddResults();

  // "OK": true when the record was stored and the dialog is to close.
  // Storage failures raise; the dialog keeps what the user typed.
  bool Ok();
  // "Terminate" (new group state): true when the terminator was stored.
  bool TerminateState();
  // The identifier of the record stored last; 0 before.
  int32_t StoredRecord() const { return storedRecord_; }
  TGroupField Refused() const { return refused_; }

  // Releases the reserved automatic name (closing; also at destruction).
  void Close();

private:
  void ResetFill();
  void PlaceInTrack(double time);
  void ShowContent(const std::vector<TValue::Ptr>* content);
  void ReportMissingMembers() const;
  bool GroupStep();
  bool TimeAllowed();
  void SetChanges();
  bool StoreCopy(bool terminator, TDataRecord* successor);

  std::unique_ptr<TStateTrack> given_;
  std::shared_ptr<TObjectSet> set_;
  std::unique_ptr<TDataRecord> record_;
  TStateTrack working_;
  TDataRecord* predecessor_ = nullptr; // the record the new one follows
  TDataRecord* successor_ = nullptr;   // the record it goes before (back-dating)
  TDataRecord* edited_ = nullptr;      // the record edit mode rewrites
  bool hasLowerBound_ = false, hasUpperBound_ = false;
  double lowerBound_ = 0, upperBound_ = 0;
  TGroupMode mode_ = TGroupMode::NewGroup;
  int stateNumber_ = 1;
  double realTime_ = 0;
  double placedTime_ = 0; // the time the record was last placed at
  std::string groupName_;
  std::string storedName_; // the group's name in storage; empty for a new group
  std::string recordName_;
  TReservedObjectName reservedName_;
  std::string rename_; // the group's new name, stored with the record

  std::vector<TValue::Ptr> members_;
  std::vector<TValue::Ptr> added_;
  std::vector<TValue::Ptr> deleted_;

  TValue query_;
  TValue::Ptr result_; // the query's result; nullptr when none
  TExecutor executor_;
  std::string fillText_;
  bool executeEnabled_ = false;
  bool addEnabled_ = false;
  int resultCount_ = 0;
  int32_t storedRecord_ = 0;
  TGroupField refused_ = TGroupField::None;
};

} // namespace vandro
