#include "editing/object_states.h"

#include "shell/datetime.h"
#include "shell/messages.h"
#include "storage/objects.h"
#include "storage/record_rows.h"
#include "values/value_text.h"

#include <charconv>

namespace vandro {

void TObjectStates::Load(int32_t objectId) {
  Clear();
  auto set = std::make_shared<TObjectSet>();
  if (!set->Load(objectId)) RaiseError("Can't get object state. Id=" + std::to_string(objectId));
  set_ = std::move(set);
  objectId_ = objectId;
}

void TObjectStates::Clear() {
  tracks_.clear();
  set_.reset();
  objectId_ = 0;
}

std::string TObjectStates::ObjectName() const {
  return set_ ? set_->ObjName : std::string();
}

bool CurrentStateTracks(const std::shared_ptr<TObjectSet>& set, double moment,
                        std::vector<std::unique_ptr<TStateTrack>>& tracks) {
  auto track = std::make_unique<TStateTrack>();
  track->KeepSet(set);
  if (!track->FirstStateTrack(*set, moment)) return false;
  tracks.push_back(std::move(track));
  for (;;) {
    // A plain copy of the path: CopyFrom would replay a state that the step
    // makes stale at once.
    const TStateTrack& last = *tracks.back();
    auto next = std::make_unique<TStateTrack>();
    next->KeepSet(set);
    next->Path = last.Path;
    next->Time = last.Time;
    next->Continues = last.Continues;
    if (!next->NextStateTrack()) break;
    tracks.push_back(std::move(next));
  }
  return true;
}

int TObjectStates::StatesAt(double moment, bool quiet) {
  tracks_.clear();
  moment_ = moment;
  if (!set_) return 0;
  CurrentStateTracks(set_, moment, tracks_);
  if (tracks_.empty() && !quiet)
    ShowMsg("States for the object aren't found. Id=" + std::to_string(objectId_));
  return Count();
}

std::vector<TStateRow> TObjectStates::Rows() const {
  std::vector<TStateRow> rows;
  for (const auto& track : tracks_) {
    const TDataRecord* last = track->Last();
    rows.push_back({last->Idtor, last->RealTime, DateTimeToText(last->RealTime)});
  }
  return rows;
}

int TObjectStates::RowOfRecord(int32_t recordId) const {
  for (size_t row = 0; row < tracks_.size(); ++row)
    if (tracks_[row]->Last()->Idtor == recordId) return static_cast<int>(row);
  return -1;
}

int TObjectStates::RowForRecord(int32_t recordId) {
  const int row = RowOfRecord(recordId);
  if (row >= 0 || !set_) return row;
  auto track = std::make_unique<TStateTrack>();
  track->KeepSet(set_);
  if (!track->SetPath(*set_, recordId, moment_)) return -1;
  tracks_.push_back(std::move(track));
  return Count() - 1;
}

TStateTrack* TObjectStates::Track(int row) const {
  if (row < 0 || row >= Count()) return nullptr;
  return tracks_[static_cast<size_t>(row)].get();
}

std::vector<TValueRow> TObjectStates::Values(int row) {
  TStateTrack* track = Track(row);
  if (!track) return {};
  track->ConstructState();
  std::vector<TValueRow> rows;
  for (const TPVRelation* pair : track->State->VisiblePVs)
    rows.push_back({pair->Parameter ? pair->Parameter->ParamName : std::string(),
                    ToDisplayText(&pair->Value)});
  if (rows.empty()) rows.emplace_back();
  return rows;
}

std::optional<std::vector<TMemberRow>> TObjectStates::Members(int row) {
  TStateTrack* track = Track(row);
  if (!track) return std::nullopt;
  track->ConstructState();
  if (!track->State->Content) return std::nullopt;
  std::vector<TMemberRow> members;
  for (const TValue::Ptr& member : *track->State->Content) {
    int32_t id = 0;
    const std::string& text = member->Text();
    std::from_chars(text.data(), text.data() + text.size(), id);
    // A member may name one of its records: the object's name is shown.
    const int32_t object = id % 32 == 0 ? id : APSRecordObject(id);
    std::string name = object > 0 ? APSObjectName(object) : std::string();
    members.push_back({id, name.empty() ? ToDisplayText(member.get()) : std::move(name)});
  }
  return members;
}

std::unique_ptr<TStateTrack> TObjectStates::CopyTrack(int row) const {
  const TStateTrack* track = Track(row);
  if (!track) return nullptr;
  auto copy = std::make_unique<TStateTrack>();
  copy->CopyFrom(*track);
  return copy;
}

} // namespace vandro
