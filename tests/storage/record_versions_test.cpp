// Corrections that leave a trace: a record corrected in place keeps the row
// it replaced, which the project known at an earlier moment reads, history
// lists and a rollback brings back.
#include "model/known_at.h"
#include "model/record_store.h"
#include "records_fixture.h"
#include "storage/access.h"
#include "storage/record_rows.h"
#include "storage/rollback.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <optional>
#include <string>
#include <vector>

namespace vandro {
namespace {

class RecordVersions : public testing::RecordsTest {
protected:
  RecordVersions() {
    pump = APSCreateObject("Pump");
    clock.Set(kMorning);
    first = Record(pump, Day(1), {{"X", "1"}, {"Y", "1"}});
    second = Record(pump, Day(2), {{"X", "2"}});
  }

  // Corrects the record of pump as the record dialog's Edit Record does:
  // its loaded history, the values changed, stored as an update.
  void Correct(int32_t record, Values values) {
    TObjectSet set;
    ASSERT_TRUE(set.Load(pump));
    TDataRecord* stored = set.FindRecord(record);
    ASSERT_NE(nullptr, stored);
    for (auto& pair : Pairs(values)) {
      if (TPVRelation* held = stored->FindPV(pair->Parameter->ParamName))
        held->Value.Assign(pair->Value);
      else
        stored->AddPV(std::move(pair));
    }
    stored->Store(nullptr, true);
  }

  int64_t Count(const char* sql) {
    auto query = APSDatabase().Query(sql);
    query.Step();
    return query.Int(0);
  }

  int64_t Versions() { return Count("SELECT count(*) FROM VD_RecordVersions"); }

  // "superseded:X" of each version of the record, the latest first.
  std::string VersionList(int32_t record) {
    std::vector<TRecordVersion> versions;
    APSGetVersions(record, versions);
    std::string text;
    for (const auto& version : versions)
      text += (text.empty() ? "" : " ") + std::to_string(version.superseded) + ":" +
              version.record->FindPV("X")->Value.Text();
    return text;
  }

  static constexpr double kMorning = 40100.375; // 15.10.2009 09:00
  static constexpr double kNoon = kMorning + 0.125;
  static constexpr double kEvening = kMorning + 0.375;
  int32_t pump = 0, first = 0, second = 0;
};

TEST_F(RecordVersions, ACorrectionKeepsTheRecordInPlaceAndTheRowItReplaced) {
  const std::string links = Links(second);
  clock.Set(kNoon);
  Correct(first, {{"X", "5"}});
  clock.Set(kEvening);
  Correct(first, {{"X", "7"}, {"Z", "z"}});
  // The same values again change nothing and keep nothing.
  clock.Advance(0.01);
  Correct(first, {{"X", "7"}});

  EXPECT_EQ(2, Versions());
  EXPECT_EQ(std::to_string(kEvening) + ":5 " + std::to_string(kNoon) + ":1", VersionList(first));
  EXPECT_EQ("", VersionList(second));
  // Identifier, place and the moment it was first stored stay.
  EXPECT_EQ(links, Links(second));
  TDataRecord record(0.0);
  ASSERT_TRUE(record.Load(first));
  EXPECT_EQ(kMorning, record.SysTime);
  EXPECT_EQ(Day(1), record.RealTime);
  EXPECT_EQ("X=2 Y=1 Z=z", StateAt(pump, second));

  // What each moment knew: the record itself, the state it leads to, and
  // the versions history lists then.
  struct Case {
    std::optional<double> knownAt;
    const char* state; // at the second record
    const char* x;     // of the first record read alone
    size_t versions;
  };
  const Case cases[] = {
      {kMorning, "X=2 Y=1", "1", 0},
      {kNoon - 1.0 / 86400, "X=2 Y=1", "1", 0},
      {kNoon, "X=2 Y=1", "5", 1},
      {kEvening, "X=2 Y=1 Z=z", "7", 2},
      {std::nullopt, "X=2 Y=1 Z=z", "7", 2},
  };
  for (const auto& c : cases) {
    const TKnownAtScope scope(c.knownAt);
    const std::string at = c.knownAt ? std::to_string(*c.knownAt) : "now";
    EXPECT_EQ(c.state, StateAt(pump, second)) << at;
    TObjectSet set;
    ASSERT_TRUE(set.Load(pump));
    ASSERT_NE(nullptr, set.FindRecord(first));
    EXPECT_EQ(c.x, set.FindRecord(first)->FindPV("X")->Value.Text()) << at;
    TDataRecord alone(0.0);
    ASSERT_TRUE(alone.Load(first)) << at;
    EXPECT_EQ(c.x, alone.FindPV("X")->Value.Text()) << at;
    std::vector<TRecordVersion> versions;
    APSGetVersions(first, versions);
    EXPECT_EQ(c.versions, versions.size()) << at;
  }
}

TEST_F(RecordVersions, AFailingCorrectionKeepsNeitherTheVersionNorTheChange) {
  // The row's update fails after its version is written.
  APSDatabase().Execute("CREATE TRIGGER Refuse BEFORE UPDATE ON VD_Records "
                        "BEGIN SELECT RAISE(ABORT, 'refused'); END");
  clock.Set(kNoon);
  EXPECT_THROW(Correct(first, {{"X", "5"}}), ErrorException);
  EXPECT_EQ(0, Versions());
  EXPECT_EQ("X=1 Y=1", StateAt(pump, first));

  // A record of another object, or one that is not there, is refused alike.
  APSDatabase().Execute("DROP TRIGGER Refuse");
  const int32_t valve = APSCreateObject("Valve");
  for (const auto& [object, id] : {std::pair{valve, first}, std::pair{pump, second + 2}}) {
    TDataRecord record(0.0);
    ASSERT_TRUE(record.Load(first));
    record.ObjIdtor = object;
    record.Idtor = id;
    EXPECT_THROW(record.Store(nullptr, true), ErrorException) << id;
    EXPECT_EQ(0, Versions());
  }
  EXPECT_EQ("X=1 Y=1", StateAt(pump, first));
}

TEST_F(RecordVersions, RollbackBringsBackTheVersionOfItsMoment) {
  clock.Set(kNoon);
  Correct(first, {{"X", "5"}});
  clock.Set(kEvening);
  Correct(first, {{"X", "7"}});
  // Stored and corrected after the evening: both go with the record.
  clock.Advance(0.01);
  const int32_t late = Record(pump, Day(3), {{"X", "3"}});
  clock.Advance(0.01);
  Correct(late, {{"X", "4"}});
  ASSERT_EQ(3, Versions());

  // Only corrections after the moment: nothing is deleted, still a copy is
  // written and the text says what happens.
  const double afternoon = kEvening - 0.1;
  {
    const TRollbackCount count = CountRecordsAfter(kEvening + 0.005);
    EXPECT_EQ(1, count.records);
    EXPECT_EQ(0, count.restored);
  }
  TRollback rollback(afternoon);
  EXPECT_EQ(1, rollback.Count().records);
  EXPECT_EQ(1, rollback.Count().restored);
  EXPECT_EQ("1 records of 1 objects will be deleted\r\n0 objects will be left without any "
            "record\r\n1 records corrected after this moment will get back their values",
            RollbackCountText(rollback.Count()));
  EXPECT_NE(std::string::npos,
            rollback.Question().find(
                "will be deleted\r\nand 1 records corrected after it get back the values "
                "they had then. Are you sure?"));
  ASSERT_TRUE(rollback.WriteCopy());
  EXPECT_EQ(1, rollback.Delete());
  EXPECT_EQ("1 records were deleted\r\n1 records got back their earlier values\r\nThe "
            "database as it was before is kept in\r\n" +
                rollback.CopyPath(),
            rollback.ResultText(1));
  EXPECT_EQ("X=5 Y=1", StateAt(pump, first));
  EXPECT_EQ(kMorning, [&] {
    TDataRecord record(0.0);
    EXPECT_TRUE(record.Load(first));
    return record.SysTime;
  }());
  EXPECT_EQ(std::to_string(kNoon) + ":1", VersionList(first));
  EXPECT_EQ(1, Versions());

  // Corrections alone: the rollback is still one with a copy.
  const TRollback before(kNoon - 0.01);
  EXPECT_EQ(0, before.Count().records);
  EXPECT_FALSE(before.CopyPath().empty());
  EXPECT_EQ("1 records corrected after this moment will get back their values",
            RollbackCountText(before.Count()));
  int64_t restored = 0;
  EXPECT_EQ(0, DeleteRecordsAfter(kNoon - 0.01, nullptr, &restored));
  EXPECT_EQ(1, restored);
  EXPECT_EQ("X=1 Y=1", StateAt(pump, first));
  EXPECT_EQ(0, Versions());
  EXPECT_EQ("No record was created after this moment",
            RollbackCountText(CountRecordsAfter(kNoon - 0.01)));
}

TEST_F(RecordVersions, ARecordInsertedBeforeACorrectedOneLeavesWithTheRollback) {
  const std::string links = Links(second);
  clock.Set(kNoon);
  Correct(second, {{"Y", "5"}});
  clock.Set(kEvening);
  const int32_t inserted = Record(pump, Day(1.5), {{"Z", "z"}}, TPlacement::BetweenNeighbours);
  ASSERT_EQ(std::to_string(inserted) + "/0/", Links(second));
  EXPECT_EQ("X=2 Y=5 Z=z", StateAt(pump, second));
  {
    const TKnownAtScope scope(kNoon);
    EXPECT_EQ("X=2 Y=5", StateAt(pump, second));
    const TKnownAtScope morning(kMorning);
    EXPECT_EQ("X=2 Y=1", StateAt(pump, second));
  }

  EXPECT_EQ(1, DeleteRecordsAfter(kMorning + 0.01));
  EXPECT_EQ(links, Links(second));
  EXPECT_EQ("X=2 Y=1", StateAt(pump, second));
  EXPECT_EQ(0, Versions());
}

TEST_F(RecordVersions, AProjectWrittenBeforeVersionsIsReadAsItIsAndGetsTheTableWhenChanged) {
  CloseProject();
  const auto tables = [&] {
    sqlite3* plain = nullptr;
    EXPECT_EQ(SQLITE_OK, sqlite3_open(DatabaseFile().c_str(), &plain));
    sqlite3_stmt* statement = nullptr;
    EXPECT_EQ(SQLITE_OK, sqlite3_prepare_v2(plain,
                                            "SELECT count(*) FROM sqlite_master WHERE name "
                                            "LIKE 'VD_RecordVersions%'",
                                            -1, &statement, nullptr));
    EXPECT_EQ(SQLITE_ROW, sqlite3_step(statement));
    const int count = sqlite3_column_int(statement, 0);
    sqlite3_finalize(statement);
    sqlite3_close(plain);
    return count;
  };
  {
    sqlite3* plain = nullptr;
    ASSERT_EQ(SQLITE_OK, sqlite3_open(DatabaseFile().c_str(), &plain));
    ASSERT_EQ(SQLITE_OK,
              sqlite3_exec(plain, "DROP TABLE VD_RecordVersions", nullptr, nullptr, nullptr));
    sqlite3_close(plain);
  }
  ASSERT_EQ(0, tables());

  ASSERT_TRUE(OpenProject(ProjectFile(), TOpenMode::Look));
  {
    const TKnownAtScope scope(kNoon);
    EXPECT_EQ("X=2 Y=1", StateAt(pump, second));
    EXPECT_EQ("", VersionList(first));
    EXPECT_EQ(0, CountRecordsAfter(kMorning - 1).restored);
  }
  CloseProject();
  EXPECT_EQ(0, tables());

  ASSERT_TRUE(OpenProject(ProjectFile()));
  EXPECT_EQ(3, tables());
  clock.Set(kNoon);
  Correct(first, {{"X", "5"}});
  EXPECT_EQ(std::to_string(kNoon) + ":1", VersionList(first));
  const TKnownAtScope scope(kMorning);
  EXPECT_EQ("X=2 Y=1", StateAt(pump, second));
  EXPECT_EQ("1", [&] {
    TDataRecord record(0.0);
    EXPECT_TRUE(record.Load(first));
    return record.FindPV("X")->Value.Text();
  }());
}

} // namespace
} // namespace vandro
