#include "editing/object_view.h"

#include "editing/project_manager.h"
#include "model/data_record.h"
#include "model/known_at.h"
#include "shell/messages.h"
#include "storage/objects.h"

namespace vandro {

bool TObjectView::Open(int32_t id, double now, std::optional<double> knownAt) {
  states_.Clear();
  selected_ = -1;
  group_ = false;
  knownAt_ = knownAt;
  const TKnownAtScope past(knownAt_);
  if (id <= 0) {
    ShowMsg("Object doesn't exist. Id=" + std::to_string(id));
    return false;
  }
  if (id % 32 == 0) {
    if (APSObjectName(id).empty()) {
      ShowMsg("Object doesn't exist. Id=" + std::to_string(id));
      return false;
    }
    states_.Load(id);
    group_ = vandro::IsGroup(id);
    states_.StatesAt(now);
    Select(0);
    return true;
  }
  // A record stored after the moment is not found.
  TDataRecord record(0.0);
  if (!record.Load(id)) {
    ShowMsg("Record doesn't exist. Id=" + std::to_string(id));
    return false;
  }
  states_.Load(record.ObjIdtor);
  group_ = vandro::IsGroup(record.ObjIdtor);
  // The record's own state is listed whether or not it is current then.
  states_.StatesAt(record.RealTime, true);
  Select(states_.RowForRecord(id));
  return true;
}

std::string TObjectView::Caption() const {
  return states_.ObjectName() + " (Id=" + std::to_string(states_.ObjectId()) + ")" +
         AsKnownAtText(knownAt_);
}

void TObjectView::SetMoment(double moment, std::optional<double> knownAt) {
  const int32_t record = SelectedRecord();
  if (knownAt != knownAt_ && states_.Loaded()) {
    const TKnownAtScope past(knownAt);
    states_.Load(states_.ObjectId());
  }
  knownAt_ = knownAt;
  states_.StatesAt(moment);
  const int row = states_.RowOfRecord(record);
  Select(row >= 0 ? row : 0);
}

void TObjectView::Reload(double moment) {
  if (!states_.Loaded()) return;
  const int32_t record = SelectedRecord();
  {
    const TKnownAtScope past(knownAt_);
    states_.Load(states_.ObjectId());
  }
  states_.StatesAt(moment, true);
  const int row = states_.RowOfRecord(record);
  Select(row >= 0 ? row : 0);
}

void TObjectView::SetMoment(double moment) {
  SetMoment(moment, knownAt_);
}

void TObjectView::Select(int row) {
  selected_ = row >= 0 && row < states_.Count() ? row : -1;
}

int32_t TObjectView::SelectedRecord() const {
  const TStateTrack* track = states_.Track(selected_);
  return track ? track->Last()->Idtor : 0;
}

std::unique_ptr<TStateTrack> TObjectView::SelectedTrack() const {
  return states_.CopyTrack(selected_);
}

} // namespace vandro
