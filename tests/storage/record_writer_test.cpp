#include "storage/record_writer.h"

#include "model/object_index.h"
#include "model/record_events.h"
#include "records_fixture.h"
#include "storage/access.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace vandro {
namespace {

constexpr double kMinute = 1.0 / 1440;

class RecordWriter : public testing::RecordsTest {
protected:
  // A group holding one object from day 1.
  int32_t MakeGroup(const std::string& name) {
    const int32_t group = APSCreateObject(name);
    const int32_t member = APSCreateObject(name + "_MEMBER");
    TObjectSet set;
    EXPECT_TRUE(set.Load(group));
    TStateTrack track;
    track.SetRootPath(set, Day(1));
    std::vector<TValue::Ptr> added;
    added.push_back(TValue::Create("test"));
    added.back()->SetText(vkObject, std::to_string(member));
    EXPECT_NE(0, track.ModifyGroup(added, {}, Day(1)));
    return group;
  }

  static int64_t Count(const std::string& sql) {
    auto query = APSDatabase().Query(sql.c_str());
    query.Step();
    return query.Int(0);
  }

  // A draft of everything at once: a new object PUMP with X, its index
  // entry, and the group joined.
  TRecordDraft FullDraft(int32_t group) {
    TRecordDraft draft;
    draft.NewObjectName = "PUMP";
    draft.Record = std::make_unique<TDataRecord>();
    draft.Record->RecName = "PUMP[1]";
    draft.Record->RealTime = Day(5);
    for (auto& pair : Pairs({{"X", "1"}}))
      draft.Record->AddPV(std::move(pair));
    draft.IndexEntry = true;
    draft.IndexName = "Pump entry";
    draft.Groups.push_back({group, false});
    return draft;
  }
};

TEST_F(RecordWriter, AFailureAtAnyStepLeavesNothingStored) {
  struct TCase {
    const char* step;
    const char* trigger; // makes that step fail
  };
  const TCase cases[] = {
      {"object", "BEFORE INSERT ON VD_Objects"},
      {"record", "BEFORE INSERT ON VD_Records WHEN NEW.RecName = 'PUMP[1]'"},
      {"group", "BEFORE INSERT ON VD_Records WHEN NEW.CntAdded IS NOT NULL AND "
                "length(NEW.CntAdded) > 0"},
      {"index", "BEFORE INSERT ON VD_Object_NDX"},
  };
  const int32_t group = MakeGroup("G");
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.step);
    const int64_t records = RowCount();
    const int64_t objects = Count("SELECT count(*) FROM VD_Objects");
    const size_t entries = CurrentProject()->IndexEntries(ikObjects).size();
    const std::string trigger = std::string("CREATE TRIGGER fail ") + c.trigger +
                                " BEGIN SELECT RAISE(ABORT, 'the disk is full'); END";
    APSDatabase().Execute(trigger.c_str());
    TRecordDraft draft = FullDraft(group);
    // A failure raises, or (the index entry's) is reported and refused.
    bool stored = false;
    try {
      stored = StoreDraft(draft).Stored;
    } catch (const ErrorException&) {
    }
    EXPECT_FALSE(stored);
    APSDatabase().Execute("DROP TRIGGER fail");
    EXPECT_EQ(records, RowCount());
    EXPECT_EQ(objects, Count("SELECT count(*) FROM VD_Objects"));
    EXPECT_EQ(0, Count("SELECT count(*) FROM VD_Object_NDX WHERE ObjIdtor <> 0 AND "
                       "EntryName = 'PUMP ENTRY'"));
    EXPECT_EQ(entries, CurrentProject()->IndexEntries(ikObjects).size());
    EXPECT_EQ(0, APSFindObject("PUMP"));
  }
  // And whole once nothing fails.
  TRecordDraft draft = FullDraft(group);
  const TStoredDraft stored = StoreDraft(draft);
  ASSERT_TRUE(stored.Stored);
  EXPECT_EQ(stored.ObjectId, APSFindObject("PUMP"));
  EXPECT_EQ("X=1", StateAt(stored.ObjectId, stored.RecordId));
  EXPECT_EQ(1, Count("SELECT count(*) FROM VD_Object_NDX WHERE EntryName = 'PUMP ENTRY'"));
  TObjectSet set;
  ASSERT_TRUE(set.Load(group));
  EXPECT_EQ(2u, set.Records.size()); // the member joined in a record of its own
}

TEST_F(RecordWriter, ATakenNameOrARefusedEntryStoresNothing) {
  APSCreateObject("PUMP");
  const int64_t records = RowCount();
  TRecordDraft taken = FullDraft(0);
  taken.Groups.clear();
  EXPECT_FALSE(StoreDraft(taken).Stored);
  EXPECT_EQ("Object named PUMP already exists. Change the name and try again", sink.Last());

  const int32_t other = APSCreateObject("OTHER");
  ASSERT_TRUE(AddEntry(ikObjects, "Pump entry", "", other));
  TRecordDraft refused = FullDraft(0);
  refused.Groups.clear();
  refused.NewObjectName = "PUMP2";
  EXPECT_FALSE(StoreDraft(refused).Stored);
  EXPECT_EQ(0, APSFindObject("PUMP2"));
  EXPECT_EQ(records, RowCount());
}

// The moment of storing is the record's SysTime, and rows in identifier
// order are in order of it.
TEST_F(RecordWriter, SysTimeIsTheMomentOfStoring) {
  const int32_t object = APSCreateObject("PUMP");
  TObjectSet set;
  ASSERT_TRUE(set.Load(object));
  TStateTrack track;
  set.LatestStateAt(Day(1), track);
  TRecordDraft draft;
  draft.ObjectId = object;
  draft.Track = &track;
  draft.Record = track.NewRecord(Pairs({{"X", "1"}}), Day(1));
  draft.Record->SysTime = clock.Now() - 1; // built a day before it is stored
  clock.Advance(kMinute);
  const TStoredDraft stored = StoreDraft(draft);
  ASSERT_TRUE(stored.Stored);
  TDataRecord row;
  ASSERT_TRUE(row.Load(stored.RecordId));
  EXPECT_DOUBLE_EQ(clock.Now(), row.SysTime);
}

TEST_F(RecordWriter, PlacementFollowsTheDraft) {
  // Day 1 and day 3; the new record is dated day 2 unless said otherwise.
  struct TCase {
    const char* name;
    TPlacement placement;
    bool terminator;
    const char* currentAtDay4; // the values of the states current on day 4
  };
  const TCase cases[] = {
      {"between neighbours", TPlacement::BetweenNeighbours, false, "X=3 Y=2"},
      {"new branch", TPlacement::NewVersion, false, "X=1 Y=2 | X=3"},
      {"terminator", TPlacement::NewVersion, true, "X=3"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    const int32_t object = APSCreateObject(std::string("OBJ_") + std::to_string(&c - cases));
    const int32_t first = Record(object, Day(1), {{"X", "1"}});
    Record(object, Day(3), {{"X", "3"}});
    TObjectSet set;
    ASSERT_TRUE(set.Load(object));
    TStateTrack track;
    ASSERT_TRUE(track.SetPath(set, first, Day(2)));
    TRecordDraft draft;
    draft.ObjectId = object;
    draft.Track = &track;
    draft.Placement = c.placement;
    draft.Record =
        c.terminator ? track.NewTerminator(Day(2)) : track.NewRecord(Pairs({{"Y", "2"}}), Day(2));
    ASSERT_TRUE(StoreDraft(draft).Stored);
    std::string current;
    for (const int32_t id : Current(object, Day(4)))
      current += (current.empty() ? "" : " | ") + StateAt(object, id);
    EXPECT_EQ(c.currentAtDay4, current);
  }
}

TEST_F(RecordWriter, EveryStoreIsHeardOnceWrittenForTheObjectAndItsGroups) {
  const int32_t group = MakeGroup("G");
  std::vector<int32_t> heard;
  const TRecordsListener listener([&](int32_t object) { heard.push_back(object); });
  TRecordDraft draft = FullDraft(group);
  const TStoredDraft stored = StoreDraft(draft);
  ASSERT_TRUE(stored.Stored);
  EXPECT_EQ((std::vector<int32_t>{stored.ObjectId, group}), heard);
}

} // namespace
} // namespace vandro
