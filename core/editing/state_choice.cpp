#include "editing/state_choice.h"

#include "shell/messages.h"

#include <string>

namespace vandro {

TStateRequest StateRequestFor(TStatePurpose purpose) {
  TStateRequest request;
  // An edit explains why a choice without a state is refused.
  request.Quiet = purpose != TStatePurpose::EditRecord;
  request.AllowCreateObject = purpose == TStatePurpose::TemplateItem;
  return request;
}

TChosenState DecideChosenState(TStatePurpose purpose, const TSelectedState& selected) {
  TChosenState chosen;
  if (selected.CreateNewObject) {
    chosen.Choice = TStateChoice::NewObject;
    return chosen;
  }
  if (selected.StateId != 0) {
    auto track = std::make_unique<TStateTrack>();
    // A terminator is no state to work on: it counts as none chosen.
    if (track->GetState(selected.StateId)) {
      chosen.Track = std::move(track);
      chosen.Choice = TStateChoice::Track;
      return chosen;
    }
  }
  chosen.Choice = TStateChoice::Again;
  if (selected.ObjectId == 0) return chosen;
  if (purpose == TStatePurpose::EditRecord) {
    ShowMsg(std::string("You didn't select any state.") + kLineBreak + "There's no record to edit");
    return chosen;
  }
  if (!Ask(std::string("You didn't select any state.") + kLineBreak +
               "Do you want to create new one?",
           false)) {
    if (purpose == TStatePurpose::TemplateItem) chosen.Choice = TStateChoice::Cancel;
    return chosen;
  }
  auto set = std::make_shared<TObjectSet>();
  if (!set->Load(selected.ObjectId)) {
    ShowMsg("Object doesn't exist. Id=" + std::to_string(selected.ObjectId));
    return chosen;
  }
  chosen.Set = std::move(set);
  chosen.Choice = TStateChoice::Set;
  return chosen;
}

} // namespace vandro
