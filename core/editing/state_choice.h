// What a record or group command does with what "Select Object" gave it:
// go on with a state, start a new branch of an object chosen without one,
// make a new object, or show the window again. The window is shown by the
// caller in a loop until the decision is not to show it again.
#pragma once

#include "model/object_set.h"
#include "model/state_track.h"

#include <cstdint>
#include <memory>

namespace vandro {

// What a command asks for: a new state, a record to edit (a state is
// required), or a template item (with "Create New Object"; an object
// without a state answered No ends the command).
enum class TStatePurpose { NewState, EditRecord, TemplateItem };

// How "Select Object" is shown for a purpose; a state is always required.
struct TStateRequest {
  bool Quiet = false;
  bool AllowCreateObject = false;
};
TStateRequest StateRequestFor(TStatePurpose purpose);

// What the user chose in "Select Object" (after its OK).
struct TSelectedState {
  bool CreateNewObject = false;
  int32_t ObjectId = 0; // 0 when nothing was chosen
  int32_t StateId = 0;  // the chosen state's record; 0 when none
};

// The decision: nothing (the command ends), a state (its track, the state
// constructed, owning the history), an object without a state (its
// history, to start a new branch), "Create New Object", or Again: the
// window is shown once more.
enum class TStateChoice { Cancel, Track, Set, NewObject, Again };
struct TChosenState {
  TStateChoice Choice = TStateChoice::Cancel;
  std::unique_ptr<TStateTrack> Track;
  std::shared_ptr<TObjectSet> Set;
};

// Without a state an edit shows "You didn't select any state." CR LF
// "There's no record to edit"; the others ask "You didn't select any
// state." CR LF "Do you want to create new one?" (default No), Yes taking
// the object's history. A history that cannot be read shows "Object
// doesn't exist. Id=" + id and the window is shown again.
TChosenState DecideChosenState(TStatePurpose purpose, const TSelectedState& selected);

} // namespace vandro
