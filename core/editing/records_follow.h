// How an open window follows what is stored. Told that an object's records
// changed (model/record_events.h), a window that shows that object (or any
// object, after a rollback or an import) refreshes; one that holds what the
// user typed and has not applied, which a refresh would throw away, says
// kDataChanged in its status line instead and refreshes when asked.
#pragma once

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

namespace vandro {

inline constexpr const char* kDataChanged = "The data changed; Refresh";

enum class TRecordsAction {
  None,       // the window shows nothing of what changed
  Refresh,    // it reads its states again now
  SayChanged, // it shows kDataChanged until it is refreshed
};

// The moment a window shows once it reads its states again: one that showed
// the present (its moment not moved before the moment it opened) goes on
// showing it, so that a record stored now appears; one the user moved into
// the past stays there.
double FollowedMoment(double shown, double opened, double now);

class TRecordsFollower {
public:
  // What the window shows: the states of these objects, or of any object
  // (formulas and queries may read every one).
  void Shows(std::vector<int32_t> objects);
  void Shows(std::function<bool(int32_t objectId)> shows) { shows_ = std::move(shows); }
  void ShowsAnyObject() { anyObject_ = true; }

  // A notice that objectId's records changed (kManyObjects: any object's),
  // with typed telling whether the window holds unapplied input.
  TRecordsAction Heard(int32_t objectId, bool typed);
  // Whether kDataChanged is to be shown.
  bool Stale() const { return stale_; }
  // The window read its states again (by itself or by the user's Refresh).
  void Refreshed() { stale_ = false; }

private:
  bool Concerns(int32_t objectId) const;

  std::function<bool(int32_t)> shows_;
  bool anyObject_ = false;
  bool stale_ = false;
};

} // namespace vandro
