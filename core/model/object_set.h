// TObjectSet: the loaded history of one object.
//
// The records of an object form a graph: each record names the record or
// records it follows (PrevRecord, or the PtrArr list). Loading reads them,
// sorts them by RealTime and links them both ways through Previous and Next.
// Records without a predecessor follow Root, an empty record (Idtor 0) owned
// by the set, so every history is one graph with one entry point.
//
// After linking, the graph is known to be sound: every predecessor is a
// record of the object and no chain of predecessors comes back on itself, so
// walks over it (state_track.h) always end. A history that breaks either
// rule is reported with the system-error prefix instead of being linked.
#pragma once

#include "model/data_record.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vandro {

class TStateTrack;

class TObjectSet {
public:
  TObjectSet();
  TObjectSet(const TObjectSet&) = delete;
  TObjectSet& operator=(const TObjectSet&) = delete;

  int32_t ObjIdtor = 0;
  std::string ObjName; // at most 32 characters
  // Owned, sorted by ascending RealTime once linked (equal times keep the
  // order they were added in).
  std::vector<std::unique_ptr<TDataRecord>> Records;
  // Precedes every record without a predecessor; its Next lists them.
  TDataRecord Root{0.0};
  // The moment the history was read as known at (model/known_at.h); nothing
  // when every record counts. Nothing is appended to a history of the past.
  std::optional<double> KnownAt;

  // Empties every field. The records are kept aside, emptied, for NewRecord:
  // a walk over many histories then allocates little after the first.
  void Clear();
  // Loads the object's history from the open project: false when the object
  // does not exist, the project has no records behind it, or the object
  // identifier counter is not a multiple of 32 (a damaged project file). A
  // damaged history raises (system error); the set is then left empty.
  bool Load(int32_t objectId);

  // Building by hand (the loader, tests): records are added unlinked, then
  // Link sorts and links them, leaving out those stored after the moment
  // the project is read as known at (model/known_at.h). Link raises "DataRecord not found in the
  // list" for a predecessor that is not among the records, and reports
  // malformed links and cycles; the links are then left empty.
  void AddRecord(std::unique_ptr<TDataRecord> record);
  void Link();
  // An empty record to fill and add: one kept aside by Clear when there is
  // one, else a new one.
  std::unique_ptr<TDataRecord> NewRecord();

  // The record with this identifier, or nullptr.
  TDataRecord* FindRecord(int32_t id) const;

  // Appends to tracks one new track per state current at time: a record
  // with RealTime <= time, not a terminator, with no following record or
  // with one later than time. A branched history gives several.
  void StatesAt(double time, std::vector<std::unique_ptr<TStateTrack>>& tracks);
  // Puts track on the state current at time whose record is the latest by
  // RealTime (the first of equal ones): where a new record at time follows
  // on. False, with track on Root alone, when no state is current.
  bool LatestStateAt(double time, TStateTrack& track);
  // The record LatestStateAt would put a track on; nullptr when none.
  const TDataRecord* LatestRecordAt(double time) const;

private:
  void Unlink();
  void CheckForCycles() const;

  std::vector<std::pair<int32_t, TDataRecord*>> byId_; // sorted by identifier
  std::vector<std::unique_ptr<TDataRecord>> spare_;    // kept aside by Clear
};

// Loads the history of every object of the open project in turn, in
// ascending identifier order, into set and calls visit with it until visit
// returns false: one history is in memory at a time, however many objects
// there are. Nothing happens when the project has no records behind it or
// its object counter is damaged (as for Load); a damaged history raises.
void ForEachObjectHistory(TObjectSet& set, const std::function<bool(TObjectSet&)>& visit);

} // namespace vandro
