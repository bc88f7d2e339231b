#include "editing/rollback_window.h"

#include "shell/datetime.h"
#include "storage/records_fixture.h"
#include "storage/rollback.h"
#include "support/recording_progress.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vandro {
namespace {

struct TRecordingHost final : TRollbackHost {
  void SetWaiting(bool waiting) override { events.push_back(waiting ? "Wait" : "Ready"); }
  std::vector<std::string> events;
};

class RollbackWindow : public testing::RecordsTest {
protected:
  RollbackWindow() {
    pump = APSCreateObject("Pump");
    valve = APSCreateObject("Valve");
    start = clock.Now();
    clock.Advance(1.0 / 24);
    Record(pump, Day(1), {{"X", "1"}});
    Record(valve, Day(1), {{"X", "2"}});
    clock.Advance(1.0 / 24);
    middle = clock.Now();
    clock.Advance(1.0 / 24);
    Record(pump, Day(2), {{"X", "3"}});
    clock.Advance(1.0 / 24);
  }

  void Sure(double moment) { sink.Answer(true, RollbackQuestion(moment)); }

  int32_t pump = 0, valve = 0;
  double start = 0, middle = 0;
  TRecordingHost host;
  testing::TRecordingProgress progress;
};

TEST_F(RollbackWindow, StartsAtNowAndAsksBeforeDeleting) {
  TRollbackWindow window;
  window.Prepare();
  EXPECT_EQ(clock.Now(), window.Moment());
  window.SetMoment(start);
  sink.Answer(false, "All the records created after " + DateTimeToText(start) +
                         "\r\nwill be deleted. Are you sure?");
  EXPECT_FALSE(window.Run(host, &progress).has_value());
  EXPECT_EQ(3, RowCount());
  EXPECT_TRUE(host.events.empty());
  EXPECT_TRUE(progress.events.empty());
}

TEST_F(RollbackWindow, DeletesWithWaitAndTheScanningProgressAndReportsTheCount) {
  struct Case {
    const char* what;
    double moment;
    int32_t deleted;
    size_t pumpStates, valveStates; // current after the rollback
  };
  // Run in this order: each case works on what the one before left.
  const Case cases[] = {
      {"later than every record", 0, 0, 1, 1},
      {"between the records", 0, 1, 1, 1},
      {"before the first record", 0, 2, 0, 0},
  };
  const double moments[] = {clock.Now() + 1, middle, start};
  for (size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    host.events.clear();
    progress = {};
    TRollbackWindow window;
    window.SetMoment(moments[i]);
    Sure(moments[i]);
    EXPECT_EQ(c.deleted, window.Run(host, &progress)) << c.what;
    EXPECT_EQ(std::to_string(c.deleted) + " records were deleted", sink.Last()) << c.what;
    EXPECT_EQ((std::vector<std::string>{"Wait", "Ready"}), host.events) << c.what;
    EXPECT_EQ((std::vector<std::string>{"start Scanning database ...", "end"}), progress.events)
        << c.what;
    ASSERT_FALSE(progress.shares.empty()) << c.what;
    EXPECT_EQ(1.0, progress.shares.back()) << c.what;
    EXPECT_EQ(c.pumpStates, Current(pump, Day(10)).size()) << c.what;
    EXPECT_EQ(c.valveStates, Current(valve, Day(10)).size()) << c.what;
  }
  // The objects stay listed with empty histories.
  EXPECT_EQ(0, RowCount());
  EXPECT_EQ(2, APSObjectCount());
  EXPECT_EQ(pump, APSFindObject("PUMP"));
}

TEST_F(RollbackWindow, AStorageErrorTakesBackWaitAndTheProgressWindow) {
  APSDatabase().Execute("DROP TABLE VD_Records");
  TRollbackWindow window;
  window.SetMoment(start);
  Sure(start);
  EXPECT_THROW(window.Run(host, &progress), ErrorException);
  EXPECT_EQ((std::vector<std::string>{"Wait", "Ready"}), host.events);
  EXPECT_EQ((std::vector<std::string>{"start Scanning database ...", "end"}), progress.events);
  EXPECT_FALSE(sink.Messages().empty());
}

} // namespace
} // namespace vandro
