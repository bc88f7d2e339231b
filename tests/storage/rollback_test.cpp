#include "storage/rollback.h"

#include "model/record_packing.h"
#include "records_fixture.h"
#include "shell/datetime.h"
#include "storage/record_rows.h"
#include "support/file_size_limit.h"
#include "support/recording_progress.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace vandro {
namespace {

using namespace std::string_literals;
using Ids = std::vector<int32_t>;

class Rollback : public testing::RecordsTest {
protected:
  Rollback() { pump = APSCreateObject("Pump"); }

  // A row written directly, in rowid order, created at sysTime, following
  // previous.
  void Row(int32_t id, double sysTime, const Ids& previous) {
    TDataRecord links;
    SetPredecessors(links, previous);
    const std::string empty = "\0\0\x03"s;
    APSDatabase()
        .Query("INSERT INTO VD_Records (Idtor, RecName, ObjIdtor, Terminator, PrevRecord, "
               "PtrArrTag, PtrArr, RealTime, SysTime, Type, CntAdded, CntDeleted, PVs) "
               "VALUES (?, 'R', ?, 0, ?, ?, ?, ?, ?, 0, ?, ?, ?)")
        .Bind(id, pump, links.PrevRecord, links.PtrArrTag, links.PtrArr, Day(id), sysTime,
              TBlob{empty}, TBlob{empty}, TBlob{empty})
        .Run();
  }

  int32_t pump = 0;
};

TEST_F(Rollback, FollowersTakeOverThePredecessorsOfDeletedRecords) {
  constexpr double kOld = 100, kNew = 300, kMoment = 200;
  struct RowSpec {
    int32_t id;
    bool created_after;
    Ids previous;
  };
  struct Case {
    const char* what;
    std::vector<RowSpec> rows;                          // in the order they were written
    std::vector<std::pair<int32_t, std::string>> links; // of the rows that remain
  };
  const Case cases[] = {
      {"a chain", {{1, false, {}}, {3, true, {1}}, {5, false, {3}}}, {{5, "1/0/"}}},
      {"the first record", {{3, true, {}}, {5, false, {3}}}, {{5, "0/0/"}}},
      {"a record that followed two",
       {{1, false, {}}, {3, false, {}}, {5, true, {1, 3}}, {7, false, {5}}},
       {{7, "0/1/1;3;"}}},
      {"one of two in a PtrArr",
       {{1, false, {}}, {3, true, {1}}, {5, false, {}}, {7, false, {3, 5}}},
       {{7, "0/1/1;5;"}}},
      {"a PtrArr that comes down to one",
       {{1, false, {}}, {3, true, {1}}, {7, false, {3, 1}}},
       {{7, "1/0/"}}},
      {"two in a row",
       {{1, false, {}}, {3, true, {1}}, {5, true, {3}}, {7, false, {5}}},
       {{7, "1/0/"}, {1, "0/0/"}}},
      // Stamped when made, written later: the newest row is not the last.
      {"rows out of order",
       {{3, true, {}}, {1, false, {}}, {5, false, {3}}},
       {{5, "0/0/"}, {1, "0/0/"}}},
  };
  for (const auto& c : cases) {
    APSDatabase().Execute("DELETE FROM VD_Records");
    int deleted = 0;
    for (const auto& row : c.rows) {
      Row(row.id, row.created_after ? kNew : kOld, row.previous);
      deleted += row.created_after;
    }
    EXPECT_EQ(deleted, DeleteRecordsAfter(kMoment)) << c.what;
    EXPECT_EQ(static_cast<int64_t>(c.rows.size()) - deleted, RowCount()) << c.what;
    for (const auto& [id, links] : c.links)
      EXPECT_EQ(links, Links(id)) << c.what << ": " << id;
    TObjectSet set;
    EXPECT_TRUE(set.Load(pump)) << c.what;
  }
}

TEST_F(Rollback, UndoesTheRecordWorkDoneSinceTheMoment) {
  const double start = clock.Now();
  const int32_t a = Record(pump, Day(1), {{"X", "1"}});
  const int32_t b = Record(pump, Day(3), {{"Y", "2"}});
  const int32_t valve = APSCreateObject("Valve");
  clock.Advance(1.0 / 24);
  const double moment = clock.Now();
  clock.Advance(1.0 / 24);
  // Stored after the moment between two older records.
  const int32_t c = Record(pump, Day(2), {{"X", "5"}}, TPlacement::BetweenNeighbours);
  Record(valve, Day(1), {{"Z", "9"}});
  ASSERT_EQ(std::to_string(c) + "/0/", Links(b));

  // Later than every record: nothing.
  EXPECT_EQ(0, APSDeleteRecordsAfter(clock.Now()));
  EXPECT_EQ("0 records were deleted", sink.Last());

  // The progress moves on to the end; asked to stop, a rollback goes on.
  testing::TRecordingProgress progress;
  progress.stopAfter = 1;
  EXPECT_EQ(2, APSDeleteRecordsAfter(moment, &progress));
  EXPECT_EQ("2 records were deleted", sink.Last());
  EXPECT_EQ(std::to_string(a) + "/0/", Links(b));
  EXPECT_EQ("X=1 Y=2", StateAt(pump, b));
  EXPECT_EQ((std::vector<std::string>{"start Rollback progress", "end"}), progress.events);
  ASSERT_EQ(1u, progress.shares.size()); // the scope stops asking once told to stop

  // Before the first record: every history is empty, every object stays.
  testing::TRecordingProgress watched;
  EXPECT_EQ(2, APSDeleteRecordsAfter(start - 1, &watched));
  ASSERT_FALSE(watched.shares.empty());
  EXPECT_EQ(1.0, watched.shares.back());
  for (size_t i = 1; i < watched.shares.size(); ++i)
    EXPECT_LE(watched.shares[i - 1], watched.shares[i]);
  EXPECT_EQ(0, RowCount());
  EXPECT_EQ(2, APSObjectCount());
  EXPECT_EQ(Ids{}, Current(pump, Day(10)));
}

TEST_F(Rollback, AsksBeforeDeleting) {
  Record(pump, Day(1), {{"X", "1"}});
  const double moment = clock.Now() - 1;
  const std::string copy = DatabaseFile() + ".before-rollback-20090706-060000";
  const std::string question = "All the records created after " + DateTimeToText(moment) +
                               "\r\nwill be deleted. Are you sure?" +
                               "\r\nBefore deleting, the database is copied to\r\n" + copy;
  sink.Answer(false, question);
  EXPECT_FALSE(RollbackRecords(moment).has_value());
  EXPECT_EQ(1, RowCount());
  EXPECT_FALSE(std::filesystem::exists(copy));
  sink.Answer(true, question);
  EXPECT_EQ(1, RollbackRecords(moment));
  EXPECT_EQ(0, RowCount());
  EXPECT_EQ("1 records were deleted\r\nThe database as it was before is kept in\r\n" + copy,
            sink.Last());

  // Nothing to delete: no copy, and the question and the result say nothing of one.
  sink.Answer(true, RollbackQuestion(moment));
  EXPECT_EQ(0, RollbackRecords(moment));
  EXPECT_EQ("0 records were deleted", sink.Last());
}

TEST_F(Rollback, CountsWhatAMomentWouldDeleteWithoutDeleting) {
  const double start = clock.Now();
  clock.Advance(1.0 / 24);
  Record(pump, Day(1), {{"X", "1"}});
  const int32_t valve = APSCreateObject("Valve");
  Record(valve, Day(1), {{"X", "2"}});
  clock.Advance(1.0 / 24);
  const double middle = clock.Now();
  clock.Advance(1.0 / 24);
  Record(pump, Day(2), {{"X", "3"}});
  Record(APSCreateObject("Tank"), Day(1), {{"X", "4"}});
  struct Case {
    const char* what;
    double moment;
    TRollbackCount count;
    const char* text;
  };
  const Case cases[] = {
      {"after every record", clock.Now(), {0, 0, 0}, "No record was created after this moment"},
      {"between records",
       middle,
       {2, 2, 1},
       "2 records of 2 objects will be deleted\r\n1 objects will be left without any record"},
      {"before every record",
       start,
       {4, 3, 3},
       "4 records of 3 objects will be deleted\r\n3 objects will be left without any record"},
  };
  for (const Case& c : cases) {
    const TRollbackCount count = CountRecordsAfter(c.moment);
    EXPECT_EQ(c.count.records, count.records) << c.what;
    EXPECT_EQ(c.count.objects, count.objects) << c.what;
    EXPECT_EQ(c.count.emptied, count.emptied) << c.what;
    EXPECT_EQ(c.text, RollbackCountText(count)) << c.what;
  }
  EXPECT_EQ(4, RowCount());
}

// Every row as stored, in identifier order.
std::string Rows(TDatabase& database) {
  std::string rows;
  auto query = database.Query(
      "SELECT Idtor || '/' || ObjIdtor || '/' || PrevRecord || '/' || PtrArrTag || '/' || PtrArr "
      "|| '/' || RealTime || '/' || SysTime || '/' || hex(PVs) FROM VD_Records ORDER BY Idtor");
  while (query.Step())
    rows += query.Text(0) + "\n";
  return rows;
}

TEST_F(Rollback, ItsCopyOpensAsAProjectHoldingEveryDeletedRecord) {
  Record(pump, Day(1), {{"X", "1"}});
  clock.Set(40000.5);
  const double moment = clock.Now();
  clock.Advance(1.0 / 24);
  const int32_t b = Record(pump, Day(2), {{"Y", "2"}});
  const int32_t valve = APSCreateObject("Valve");
  const int32_t c = Record(valve, Day(1), {{"Z", "3"}});
  const std::string before = Rows(APSDatabase());

  TRollback rollback(moment);
  ASSERT_EQ(2, rollback.Count().records);
  const std::string copy = DatabaseFile() + ".before-rollback-20090706-130000";
  EXPECT_EQ(copy, rollback.CopyPath());
  testing::TRecordingProgress progress;
  ASSERT_TRUE(rollback.WriteCopy(&progress));
  EXPECT_EQ((std::vector<std::string>{"start Writing a copy of the database ...", "end"}),
            progress.events);
  ASSERT_FALSE(progress.shares.empty());
  EXPECT_EQ(1.0, progress.shares.back());
  EXPECT_EQ(2, rollback.Delete());
  EXPECT_EQ(1, RowCount());
  // A second rollback in the same second keeps the first one's copy.
  EXPECT_EQ(copy + "-2", RollbackCopyPath());

  CloseProject();
  std::filesystem::copy_file(ProjectFile(), Path("Before.vdp"));
  std::filesystem::rename(copy, Path("Before.vdb"));
  ASSERT_TRUE(OpenProject(Path("Before.vdp")));
  EXPECT_EQ(before, Rows(APSDatabase()));
  EXPECT_EQ("X=1 Y=2", StateAt(pump, b));
  EXPECT_EQ("Z=3", StateAt(valve, c));
}

TEST_F(Rollback, ACopyThatCannotBeWrittenStopsItBeforeAnythingIsDeleted) {
  clock.Advance(1.0 / 24);
  Record(pump, Day(1), {{"X", "1"}});
  Record(pump, Day(2), {{"X", "2"}});
  const double moment = clock.Now() - 1.0 / 48;
  const std::string before = Rows(APSDatabase());
  const std::string taken = Path("taken");
  WriteBytes(taken, "mine");
  struct Case {
    const char* what;
    std::string copy;
    bool diskFull;
    const char* reason;
  };
  const Case cases[] = {
      {"its folder is missing", Path("gone/copy"), false, "unable to open database file"},
      {"its name is taken", taken, false, "a file of that name exists already"},
      {"the disk is full", Path("full"), true, "disk I/O error"},
  };
  for (const Case& c : cases) {
    TRollback rollback(moment, c.copy);
    bool written = true;
    {
      std::optional<testing::TFileSizeLimit> limit;
      if (c.diskFull) limit.emplace(4096);
      written = rollback.WriteCopy();
    }
    EXPECT_FALSE(written) << c.what;
    EXPECT_EQ("The rollback was stopped before anything was deleted:\r\nthe copy " + c.copy +
                  " could not be written: " + c.reason,
              rollback.FailureText())
        << c.what;
    EXPECT_THROW(rollback.Delete(), ErrorException) << c.what;
    EXPECT_EQ(before, Rows(APSDatabase())) << c.what;
  }
  // Nothing of a failed copy is left behind; a file that was there stays.
  EXPECT_FALSE(std::filesystem::exists(Path("full")));
  EXPECT_FALSE(std::filesystem::exists(Path("full-journal")));
  EXPECT_FALSE(std::filesystem::exists(TDatabase::CopyingName(Path("full"))));
  EXPECT_EQ("mine", ReadBytes(taken));

  // The command: the question, then the failure shown, and nothing deleted.
  sink.Reset();
  sink.Answer(true);
  {
    testing::TFileSizeLimit limit(4096);
    EXPECT_FALSE(RollbackRecords(moment).has_value());
  }
  EXPECT_EQ(0u, sink.Last().find("The rollback was stopped before anything was deleted:"));
  EXPECT_EQ(before, Rows(APSDatabase()));
}

} // namespace
} // namespace vandro
