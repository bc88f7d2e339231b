#include "editing/records_follow.h"

#include "model/known_at.h"
#include "model/record_events.h"

#include <algorithm>
#include <utility>

namespace vandro {

void TRecordsFollower::Shows(std::vector<int32_t> objects) {
  shows_ = [objects = std::move(objects)](int32_t objectId) {
    return std::find(objects.begin(), objects.end(), objectId) != objects.end();
  };
}

bool TRecordsFollower::Concerns(int32_t objectId) const {
  return anyObject_ || objectId == kManyObjects || (shows_ && shows_(objectId));
}

double FollowedMoment(double shown, double opened, double now) {
  // Within the second the pickers show of the opening is not the past.
  return PastMoment(shown, opened) ? shown : std::max(shown, now);
}

TRecordsAction TRecordsFollower::Heard(int32_t objectId, bool typed) {
  if (!Concerns(objectId)) return TRecordsAction::None;
  if (typed) {
    stale_ = true;
    return TRecordsAction::SayChanged;
  }
  stale_ = false;
  return TRecordsAction::Refresh;
}

} // namespace vandro
