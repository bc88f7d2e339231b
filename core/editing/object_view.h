// The rules of the object view: one object's states at a moment and the
// values of the chosen state, opened on an object or on one of its records.
// The Create New State and Edit commands take the state it shows
// (SelectedTrack, SelectedRecord) and then close it with OK.
#pragma once

#include "editing/object_states.h"

#include <cstdint>
#include <memory>
#include <string>

namespace vandro {

class TObjectView {
public:
  // id names an object (a multiple of 32) or a record. An object opens at
  // now with its first state chosen; a record opens at its own time with its
  // state chosen. "Object doesn't exist. Id=" or "Record doesn't exist.
  // Id=" + id, and false, when there is none; a history that cannot be read
  // raises.
  bool Open(int32_t id, double now);
  int32_t ObjectId() const { return states_.ObjectId(); }
  std::string Caption() const;
  // Whether the object is a group: its states have a content (Members).
  bool IsGroup() const { return group_; }

  // Lists the states at a new moment; the state of the same record stays
  // chosen when it is still current, else the first.
  void SetMoment(double moment);
  double Moment() const { return states_.Moment(); }

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
};

} // namespace vandro
