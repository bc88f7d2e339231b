// The rules of the object view: one object's states at a moment and the
// values of the chosen state, opened on an object or on one of its records.
// The Create New State and Edit commands take the state it shows
// (SelectedTrack, SelectedRecord) and then close it with OK.
//
// The view may show the object as it was known at an earlier moment of
// system time (model/known_at.h): the history then leaves out the records
// stored after it, the caption says so, and nothing can be stored from the
// states shown.
#pragma once

#include "editing/object_states.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace vandro {

class TObjectView {
public:
  // id names an object (a multiple of 32) or a record. An object opens at
  // now with its first state chosen; a record opens at its own time with its
  // state chosen. "Object doesn't exist. Id=" or "Record doesn't exist.
  // Id=" + id, and false, when there is none; a history that cannot be read
  // raises.
  bool Open(int32_t id, double now, std::optional<double> knownAt = std::nullopt);
  int32_t ObjectId() const { return states_.ObjectId(); }
  // "PUMP (Id=64)", with ", as known at " and the moment for the past.
  std::string Caption() const;
  // Whether the object is a group: its states have a content (Members).
  bool IsGroup() const { return group_; }

  // Lists the states at a new moment; the state of the same record stays
  // chosen when it is still current, else the first.
  void SetMoment(double moment);
  double Moment() const { return states_.Moment(); }
  // The same, the history read again first when it is to be known at
  // another moment (nothing: every record).
  void SetMoment(double moment, std::optional<double> knownAt);
  std::optional<double> KnownAt() const { return knownAt_; }
  // Reads the history again, after records were stored, and lists the
  // states at moment; the past it is known at and the chosen state (while
  // it is current) stay.
  void Reload(double moment);
  // Whether the view shows the past: the commands that store a record after
  // the shown state are then not offered.
  bool ShowsThePast() const { return knownAt_.has_value(); }

  TObjectStates& States() { return states_; }
  int SelectedRow() const { return selected_; }
  // Chooses a state row; an unknown row chooses none.
  void Select(int row);
  // The record the chosen state ends at, 0 without one.
  int32_t SelectedRecord() const;
  // A copy of the chosen state's track, its state replayed, keeping the
  // history alive by itself; nullptr without a chosen state.
  std::unique_ptr<TStateTrack> SelectedTrack() const;

private:
  TObjectStates states_;
  int selected_ = -1;
  bool group_ = false;
  std::optional<double> knownAt_;
};

} // namespace vandro
