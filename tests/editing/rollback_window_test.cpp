#include "editing/rollback_window.h"

#include "model/record_events.h"
#include "shell/datetime.h"
#include "storage/records_fixture.h"
#include "storage/rollback.h"
#include "support/file_size_limit.h"
#include "support/recording_progress.h"

#include <gtest/gtest.h>

#include <filesystem>
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

  // Yes to the question, whatever copy it names.
  void Sure() { sink.Answer(true); }

  int32_t pump = 0, valve = 0;
  double start = 0, middle = 0;
  TRecordingHost host;
  testing::TRecordingProgress progress;
  // What the open windows were told.
  std::vector<int32_t> heard;
  TRecordsListener listener{[this](int32_t objectId) { heard.push_back(objectId); }};
};

TEST_F(RollbackWindow, StartsAtNowAndAsksBeforeDeleting) {
  TRollbackWindow window;
  window.Prepare();
  EXPECT_EQ(clock.Now(), window.Moment());
  EXPECT_EQ("No record was created after this moment", window.CountText());
  window.SetMoment(start);
  EXPECT_EQ("3 records of 2 objects will be deleted\r\n2 objects will be left without any record",
            window.CountText());
  sink.Answer(false, "All the records created after " + DateTimeToText(start) +
                         "\r\nwill be deleted. Are you sure?\r\n"
                         "Before deleting, the database is copied to\r\n" +
                         DatabaseFile() + ".before-rollback-20090706-100000");
  EXPECT_FALSE(window.Run(host, &progress).has_value());
  EXPECT_EQ(3, RowCount());
  EXPECT_TRUE(host.events.empty());
  EXPECT_TRUE(progress.events.empty());
  EXPECT_TRUE(sink.Messages().empty());
  EXPECT_TRUE(heard.empty());
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
  const std::string copy = DatabaseFile() + ".before-rollback-20090706-100000";
  // Rollbacks in one second: the second copy does not replace the first.
  const std::string copies[] = {"", copy, copy + "-2"};
  const std::vector<std::string> copying = {"start Writing a copy of the database ...", "end"};
  const std::vector<std::string> scanning = {"start Scanning database ...", "end"};
  for (size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    host.events.clear();
    heard.clear();
    progress = {};
    TRollbackWindow window;
    window.SetMoment(moments[i]);
    Sure();
    EXPECT_EQ(c.deleted, window.Run(host, &progress)) << c.what;
    if (copies[i].empty()) {
      EXPECT_EQ("0 records were deleted", sink.Last()) << c.what;
      EXPECT_EQ(scanning, progress.events) << c.what;
    } else {
      EXPECT_EQ(std::to_string(c.deleted) +
                    " records were deleted\r\nThe database as it was before is kept in\r\n" +
                    copies[i],
                sink.Last())
          << c.what;
      std::vector<std::string> both = copying;
      both.insert(both.end(), scanning.begin(), scanning.end());
      EXPECT_EQ(both, progress.events) << c.what;
      EXPECT_TRUE(std::filesystem::exists(copies[i])) << c.what;
    }
    EXPECT_EQ((std::vector<std::string>{"Wait", "Ready"}), host.events) << c.what;
    ASSERT_FALSE(progress.shares.empty()) << c.what;
    EXPECT_EQ(1.0, progress.shares.back()) << c.what;
    EXPECT_EQ(c.pumpStates, Current(pump, Day(10)).size()) << c.what;
    EXPECT_EQ(c.valveStates, Current(valve, Day(10)).size()) << c.what;
    // The windows hear of a rollback that deleted anything, of any object.
    EXPECT_EQ(c.deleted > 0 ? std::vector<int32_t>{kManyObjects} : std::vector<int32_t>{}, heard)
        << c.what;
  }
  // The objects stay listed with empty histories.
  EXPECT_EQ(0, RowCount());
  EXPECT_EQ(2, APSObjectCount());
  EXPECT_EQ(pump, APSFindObject("PUMP"));
}

TEST_F(RollbackWindow, AStorageErrorTakesBackWaitAndTheProgressWindow) {
  APSDatabase().Execute("CREATE TRIGGER kept BEFORE DELETE ON VD_Records "
                        "BEGIN SELECT RAISE(ABORT, 'the records are kept'); END");
  TRollbackWindow window;
  window.SetMoment(start);
  Sure();
  EXPECT_THROW(window.Run(host, &progress), ErrorException);
  EXPECT_EQ((std::vector<std::string>{"Wait", "Ready"}), host.events);
  EXPECT_EQ((std::vector<std::string>{"start Writing a copy of the database ...", "end",
                                      "start Scanning database ...", "end"}),
            progress.events);
  EXPECT_NE(std::string::npos, sink.Last().find("the records are kept"));
}

TEST_F(RollbackWindow, ACopyThatCannotBeWrittenEndsTheRunWithNothingDeleted) {
  TRollbackWindow window;
  window.SetMoment(start);
  Sure();
  {
    testing::TFileSizeLimit full(4096);
    EXPECT_FALSE(window.Run(host, &progress).has_value());
  }
  const std::string copy = DatabaseFile() + ".before-rollback-20090706-100000";
  EXPECT_EQ("The rollback was stopped before anything was deleted:\r\nthe copy " + copy +
                " could not be written: disk I/O error",
            sink.Last());
  EXPECT_EQ(3, RowCount());
  EXPECT_FALSE(std::filesystem::exists(copy));
  EXPECT_EQ((std::vector<std::string>{"Wait", "Ready"}), host.events);
  EXPECT_EQ((std::vector<std::string>{"start Writing a copy of the database ...", "end"}),
            progress.events);
}

} // namespace
} // namespace vandro
