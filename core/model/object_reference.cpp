#include "model/object_reference.h"

#include "model/object_set.h"
#include "model/state_track.h"
#include "shell/clock.h"
#include "shell/messages.h"

#include <charconv>

namespace vandro {

namespace {

// A reference's text is written by the system, but a value can come from a
// damaged row or from user text: anything but a plain identifier is refused.
bool ReadIdentifier(const std::string& text, int32_t& id) {
  const char* end = text.data() + text.size();
  const auto [at, error] = std::from_chars(text.data(), end, id);
  return error == std::errc() && at == end && id >= 0;
}

// The track a reference names, built without showing anything: the
// processor turns a failure into an error value, GetStateTrack into a
// raised error.
std::unique_ptr<TStateTrack> BuildTrack(const TValue& value, std::string& message) {
  int32_t id = 0;
  if (!ReadIdentifier(value.Text(), id)) {
    message = "Invalid object reference: " + value.Text();
    return nullptr;
  }
  auto set = std::make_shared<TObjectSet>();
  auto track = std::make_unique<TStateTrack>();
  track->KeepSet(set);
  const double now = Now();
  if (id == 0) {
    track->SetRootPath(*set, now);
  } else if (id % 32 == 0) {
    if (!set->Load(id)) {
      message = "Object doesn't exist. Id=" + std::to_string(id);
      return nullptr;
    }
    if (!track->FirstStateTrack(*set, now)) track->SetRootPath(*set, now);
  } else {
    TDataRecord record;
    if (!record.Load(id) || !set->Load(record.ObjIdtor)) {
      message = "Can't find an DataRecord with id = " + std::to_string(id);
      return nullptr;
    }
    if (!track->SetPath(*set, id, now)) track->SetRootPath(*set, now);
  }
  track->ConstructState();
  return track;
}

} // namespace

TStateTrack* FindStateTrack(TValue& value, std::string& message) {
  if (!value.IsObject()) {
    message = "Invalid value type. An object expected.";
    return nullptr;
  }
  if (!value.TrackSlot()) {
    auto track = BuildTrack(value, message);
    if (!track) return nullptr;
    value.SetTrackSlot(std::move(track));
  }
  auto* track = dynamic_cast<TStateTrack*>(value.TrackSlot());
  if (!track) message = "Invalid value type. An object expected.";
  return track;
}

TStateTrack& GetStateTrack(TValue& value) {
  std::string message;
  TStateTrack* track = FindStateTrack(value, message);
  if (!track) RaiseError(message);
  return *track;
}

void UnpackObject(TValue& value) {
  std::string message;
  auto track = BuildTrack(value, message);
  if (!track) RaiseError(message);
  value.SetTrackSlot(std::move(track));
}

} // namespace vandro
