// The states one object has at a moment, and the values of one of them: what
// the database browser and the object view list. The object's history is
// loaded once; each state is a track through it that keeps the history
// alive, so a track handed out lives on after the list moves to another
// object or moment.
#pragma once

#include "model/object_set.h"
#include "model/state_track.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vandro {

struct TStateRow {
  int32_t RecordId = 0; // the last record of the state's path
  double RealTime = 0;
  std::string Time; // RealTime as text in the current date style
};

struct TValueRow {
  std::string Parameter;
  std::string Value; // display text
};

struct TMemberRow {
  int32_t Id = 0;   // the member: an object, or the record of one it names
  std::string Name; // the object's name
};

// Appends one track per state of set current at moment, in the order the
// state enumeration gives (FirstStateTrack / NextStateTrack), each keeping
// the set alive; false when there is none.
bool CurrentStateTracks(const std::shared_ptr<TObjectSet>& set, double moment,
                        std::vector<std::unique_ptr<TStateTrack>>& tracks);

class TObjectStates {
public:
  // Loads the object's history and forgets the states listed before.
  // Raises "Can't get object state. Id=" + id when it cannot be loaded.
  void Load(int32_t objectId);
  // Forgets the history and the states.
  void Clear();
  int32_t ObjectId() const { return objectId_; }
  std::string ObjectName() const;
  bool Loaded() const { return set_ != nullptr; }

  // Lists the states current at moment, one per branch of the history: the
  // first track, then each further one from a copy of the last. None shows
  // "States for the object aren't found. Id=" + id unless quiet. Returns the
  // count.
  int StatesAt(double moment, bool quiet = false);
  double Moment() const { return moment_; }
  int Count() const { return static_cast<int>(tracks_.size()); }
  std::vector<TStateRow> Rows() const;
  // The row whose state ends at the record, or -1.
  int RowOfRecord(int32_t recordId) const;
  // The row of the state that ends at the record, appended when the record
  // is not current at the moment (a later record at the same time follows
  // it); -1 for a terminator. Raises for a record of another object.
  int RowForRecord(int32_t recordId);

  // The visible values of the state of row, replayed on first use, as
  // parameter name and display text; an empty state gives one empty row.
  // An unknown row gives none.
  std::vector<TValueRow> Values(int row);
  // The group content of the state of row, replayed on first use: its
  // members in order. nullopt when the state is not a group's (the object
  // never had members) or the row is unknown; a group emptied of its members
  // gives none.
  std::optional<std::vector<TMemberRow>> Members(int row);
  // The track of row, or nullptr.
  TStateTrack* Track(int row) const;
  // A copy of the track of row with its state replayed, that keeps the
  // history alive by itself; nullptr for an unknown row.
  std::unique_ptr<TStateTrack> CopyTrack(int row) const;

private:
  int32_t objectId_ = 0;
  double moment_ = 0;
  std::shared_ptr<TObjectSet> set_;
  std::vector<std::unique_ptr<TStateTrack>> tracks_;
};

} // namespace vandro
