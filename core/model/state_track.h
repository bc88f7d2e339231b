// TStateTrack: one path through an object's history, and the state replayed
// along it.
//
// The path runs from the set's Root, through each record's first
// predecessor, to the record whose state the track stands for. Replaying
// (ConstructState) applies the records of the path in order: a value sets or
// replaces its parameter, an empty value removes it, and group records add
// and remove members.
//
// The states current at a moment t are the records with RealTime <= t, not
// terminators, that have no following record or one later than t. The
// tracks enumerate them depth first, in the order of each record's Next
// list, through the records that are the first predecessor of the next one
// (a record with several predecessors is reached from its first only, and a
// terminator ends its branch). FirstStateTrack / NextStateTrack go forward
// through that order and LastStateTrack / PreviousStateTrack backward, each
// the exact reverse of the other.
//
// Ownership: the track owns its State; the set and the records on the path
// belong to the set. A track that must keep its set alive by itself (an
// object reference's, GetState's) holds shared ownership of it, and so do
// its copies.
#pragma once

#include "model/data_record.h"
#include "values/value.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vandro {

class TObjectSet;

// The name of the object's next record, "NAME[n]", n counting the set's
// records and those stored meanwhile that the set does not hold yet; cut to
// the stored width.
std::string NumberedName(const TObjectSet& set, size_t storedMeanwhile = 0);

// Where a record appended to a track goes when the track's record already
// has following records later than the new one's time.
enum class TPlacement {
  NewVersion,        // one more following record of the track's record
  BetweenNeighbours, // before the first of those later records (back-dating)
};

class TStateTrack : public TTrackSlot {
public:
  TStateTrack();
  ~TStateTrack() override;
  TStateTrack(const TStateTrack&) = delete;
  TStateTrack& operator=(const TStateTrack&) = delete;

  TObjectSet* Set = nullptr;      // not owned (but see KeepSet)
  std::vector<TDataRecord*> Path; // Root first; records of Set
  std::unique_ptr<TDataRecord> State;
  double Time = 0;          // the moment the path was taken at (days)
  bool Constructed = false; // State is up to date with Path
  // The path stopped at a record that has following records later than
  // Time: a forward step goes into that record's followers first.
  bool Continues = false;

  // Forgets the set (and any ownership of it), the path and the state.
  void Reset();
  // Shares ownership of set and puts the track on it (path: Root only).
  void KeepSet(std::shared_ptr<TObjectSet> set);

  // The path to the record with this identifier. Raises "Data record id = 0
  // for the state of the object with id = " for 0 and "Can't find an
  // DataRecord with id = " for an unknown record; false, with nothing
  // changed, for a terminator.
  bool SetPath(TObjectSet& set, int32_t recordId, double time);
  // The path of Root alone: the empty state that precedes an object's first
  // record.
  void SetRootPath(TObjectSet& set, double time);
  // Replays Path into State (nothing while Constructed).
  void ConstructState();
  // Moves the path on to record, which follows its last record (a record
  // just appended and linked into the set), and replays that one record onto
  // a constructed state instead of the whole path again.
  void Advance(TDataRecord& record);
  // The record the path ends at (Root when it holds only Root); nullptr
  // without a path.
  TDataRecord* Last() const { return Path.empty() ? nullptr : Path.back(); }

  // The first / last state current at time; false (path: Root only) when
  // there is none.
  bool FirstStateTrack(TObjectSet& set, double time);
  bool LastStateTrack(TObjectSet& set, double time);
  // The next / previous state current at Time; false when there is none,
  // and the path is then Root only.
  bool NextStateTrack();
  bool PreviousStateTrack();

  // Set, its ownership, Path, Time and Continues of track; the state is then
  // replayed anew.
  void CopyFrom(const TStateTrack& track);
  // Loads the record's object and puts the track, which then owns the set,
  // on the record at the current time with the state constructed. Raises
  // when the record or its object cannot be found; false for a terminator.
  bool GetState(int32_t recordId);
  // Appends one track per state current at time that descends from the
  // record the path ends at (that record included), each record once.
  void DescendantStatesAt(double time, std::vector<std::unique_ptr<TStateTrack>>& tracks) const;

  // New records after State (time 0 means now), built but not stored:
  // nullptr when time is not allowed. NewRecord: time strictly later than
  // the state's, the pairs become the record's values. NewTerminator and
  // NewGroupRecord: time not earlier than the state's; additions already in
  // the content and removals not in it are dropped. Records of a project
  // with files are stored by StoreDraft (storage/record_writer.h), which
  // stamps them and keeps the work whole.
  std::unique_ptr<TDataRecord> NewRecord(std::vector<std::unique_ptr<TPVRelation>> pairs,
                                         double time);
  std::unique_ptr<TDataRecord> NewTerminator(double time);
  std::unique_ptr<TDataRecord> NewGroupRecord(const std::vector<TValue::Ptr>& added,
                                              const std::vector<TValue::Ptr>& deleted, double time);
  // Stores record after State, before successor when given (one of the
  // records following the track's record), and returns its identifier.
  // Storage failures raise, and so does a set read as known at a moment
  // (model/known_at.h). The set is not changed: load it again to see the
  // new record. stored, when given, receives the record as written (its
  // links in PrevRecord/PtrArr), for a caller that keeps the set up to date
  // itself.
  int32_t Place(std::unique_ptr<TDataRecord> record, TDataRecord* successor,
                std::unique_ptr<TDataRecord>* stored);
  // The successor a placement gives a record at time.
  TDataRecord* SuccessorFor(TPlacement placement, double time) const;

  // Build and Place in one step, for histories built in memory and tests:
  // 0 when time is not allowed and nothing was stored.
  int32_t ModifyRecord(std::vector<std::unique_ptr<TPVRelation>> pairs, double time,
                       TPlacement placement = TPlacement::NewVersion,
                       std::unique_ptr<TDataRecord>* stored = nullptr);
  int32_t Terminate(double time);
  int32_t ModifyGroup(const std::vector<TValue::Ptr>& added,
                      const std::vector<TValue::Ptr>& deleted, double time,
                      TPlacement placement = TPlacement::NewVersion);

  // The first (earliest) of the records following the track's record that
  // is later than time: where a record at time goes between neighbours;
  // nullptr when there is none.
  TDataRecord* FollowingAfter(double time) const;

  // The plain-text export of this track's state: with history, each record
  // of the path and its own values; without, the replayed state. version > 0
  // is named in the first line. Lines end with CR LF.
  std::string ExportState(bool history, int version = 0);

private:
  void Attach(TObjectSet& set);
  bool Forward(bool descend, size_t from);
  bool Backward(bool descend, size_t below, bool climbed);
  bool HasLater(const TDataRecord& record) const;
  bool Eligible(const TDataRecord& parent, const TDataRecord& child) const;
  size_t PositionInParent() const;
  void Replay(const TDataRecord& record);

  std::shared_ptr<TObjectSet> keptSet_;
};

} // namespace vandro
