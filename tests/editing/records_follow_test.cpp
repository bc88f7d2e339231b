#include "editing/records_follow.h"

#include "model/record_events.h"

#include <gtest/gtest.h>

namespace vandro {
namespace {

TEST(RecordsFollower, RefreshesWhatItShowsAndSaysSoOverTypedInput) {
  struct Case {
    const char* what;
    std::vector<int32_t> shows;
    bool anyObject;
    int32_t changed;
    bool typed;
    TRecordsAction action;
  };
  const Case cases[] = {
      {"its object", {64, 96}, false, 96, false, TRecordsAction::Refresh},
      {"another object", {64, 96}, false, 128, false, TRecordsAction::None},
      {"a rollback or an import", {64}, false, kManyObjects, false, TRecordsAction::Refresh},
      {"a window of formulas", {}, true, 128, false, TRecordsAction::Refresh},
      {"nothing shown yet", {}, false, 64, false, TRecordsAction::None},
      {"its object over typed input", {64}, false, 64, true, TRecordsAction::SayChanged},
      {"any over typed input", {}, false, kManyObjects, true, TRecordsAction::SayChanged},
      {"another object over typed input", {64}, false, 96, true, TRecordsAction::None},
  };
  for (const Case& c : cases) {
    TRecordsFollower follower;
    follower.Shows(c.shows);
    if (c.anyObject) follower.ShowsAnyObject();
    EXPECT_EQ(c.action, follower.Heard(c.changed, c.typed)) << c.what;
    EXPECT_EQ(c.action == TRecordsAction::SayChanged, follower.Stale()) << c.what;
  }
}

TEST(RecordsFollower, AWindowShowingThePresentGoesOnShowingIt) {
  struct Case {
    const char* what;
    double shown, opened, now, followed;
  };
  const Case cases[] = {
      {"opened at now", 100, 100, 101, 101},
      {"read back a hair short of the second", 100 - 1e-9, 100.000001, 101, 101},
      {"moved later than now", 105, 100, 101, 105},
      {"moved into the past", 99, 100, 101, 99},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.followed, FollowedMoment(c.shown, c.opened, c.now)) << c.what;
}

// The status line stays until the window reads its states again, by itself
// once the typed input is gone or by the user's Refresh.
TEST(RecordsFollower, StaysStaleUntilRefreshed) {
  TRecordsFollower follower;
  follower.Shows({64});
  EXPECT_EQ(TRecordsAction::SayChanged, follower.Heard(64, true));
  EXPECT_EQ(TRecordsAction::None, follower.Heard(96, false));
  EXPECT_TRUE(follower.Stale());
  follower.Refreshed();
  EXPECT_FALSE(follower.Stale());
  EXPECT_EQ(TRecordsAction::SayChanged, follower.Heard(64, true));
  EXPECT_EQ(TRecordsAction::Refresh, follower.Heard(64, false));
  EXPECT_FALSE(follower.Stale());
}

} // namespace
} // namespace vandro
