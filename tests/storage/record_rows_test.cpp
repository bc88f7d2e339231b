#include "storage/record_rows.h"

#include "model/record_export.h"
#include "records_fixture.h"
#include "shell/datetime.h"
#include "storage/project_file.h"

#include <gtest/gtest.h>

namespace vandro {
namespace {

using Ids = std::vector<int32_t>;

class RecordRows : public testing::RecordsTest {};

TEST_F(RecordRows, RecordsAreStoredAndReadBack) {
  const int32_t pump = APSCreateObject("Pump");
  const int32_t first = Record(pump, Day(1), {{"X", "1"}, {"Y", "2 [m]"}});
  const int32_t second = Record(pump, Day(2), {{"Y", ""}});
  ASSERT_NE(0, first);
  EXPECT_EQ("0/0/", Links(first));
  EXPECT_EQ(std::to_string(first) + "/0/", Links(second));

  TDataRecord record;
  ASSERT_TRUE(APSGetRecord(record, first));
  EXPECT_EQ(first, record.Idtor);
  EXPECT_EQ(pump, record.ObjIdtor);
  EXPECT_EQ("PUMP[1]", record.RecName);
  EXPECT_EQ(Day(1), record.RealTime);
  EXPECT_EQ(clock.Now(), record.SysTime);
  ASSERT_EQ(2u, record.PVs.size());
  EXPECT_EQ("2 [m]", record.FindPV("Y")->Value.Text());
  EXPECT_EQ("PUMP[2]", APSRecordName(second));
  EXPECT_EQ(pump, APSRecordObject(second));
  EXPECT_FALSE(APSGetRecord(record, 7777));
  EXPECT_EQ("", APSRecordName(7777));
  EXPECT_EQ(0, APSRecordObject(7777));
  EXPECT_EQ("X=1", StateAt(pump, second));

  // Two predecessors: PrevRecord 0, PtrArrTag 1, both in PtrArr.
  const int32_t branch = Record(pump, Day(1.5), {{"Z", "3"}});
  TObjectSet set;
  ASSERT_TRUE(set.Load(pump));
  TDataRecord merged;
  merged.ObjIdtor = pump;
  merged.RealTime = Day(3);
  merged.Previous = {set.FindRecord(second), set.FindRecord(branch)};
  merged.Store(nullptr, false);
  EXPECT_EQ("0/1/" + std::to_string(second) + ";" + std::to_string(branch) + ";",
            Links(merged.Idtor));
  ASSERT_TRUE(set.Load(pump));
  EXPECT_EQ(2u, set.FindRecord(merged.Idtor)->Previous.size());
  EXPECT_EQ(Ids{merged.Idtor}, Current(pump, Day(4)));

  // Rewriting in place keeps the identifier, and a record read alone keeps
  // its links.
  ASSERT_TRUE(record.Load(second));
  record.RecName = std::string(40, 'n');
  record.Store(nullptr, true);
  EXPECT_EQ(second, record.Idtor);
  EXPECT_EQ(std::string(32, 'n'), APSRecordName(second));
  EXPECT_EQ(std::to_string(first) + "/0/", Links(second));
}

TEST_F(RecordRows, TimeRulesOfAppendingRecords) {
  const int32_t pump = APSCreateObject("Pump");
  Record(pump, Day(1), {{"X", "1"}});
  const double second = 1.0 / 86400;
  struct Case {
    const char* what;
    double time;
    bool stored;
  };
  const Case cases[] = {
      {"modify at the state's time", Day(1), false},
      {"modify before it", Day(1) - second, false},
      {"modify a second later", Day(1) + second, true},
      {"group before the state", Day(1), false},
      {"group at its time", Day(1) + second, true},
      {"terminate before it", Day(1), false},
      {"terminate at its time", Day(1) + second, true},
  };
  for (const auto& c : cases) {
    TObjectSet set;
    ASSERT_TRUE(set.Load(pump));
    TStateTrack track;
    ASSERT_TRUE(set.LatestStateAt(Day(100), track));
    const int64_t rows = RowCount();
    const std::string what = c.what;
    int32_t id = 0;
    if (what.rfind("modify", 0) == 0)
      id = track.ModifyRecord(Pairs({{"X", "2"}}), c.time);
    else if (what.rfind("group", 0) == 0)
      id = track.ModifyGroup({}, {}, c.time);
    else
      id = track.Terminate(c.time);
    EXPECT_EQ(c.stored, id != 0) << what;
    EXPECT_EQ(rows + (c.stored ? 1 : 0), RowCount()) << what;
  }
  // The terminator ended the only branch.
  EXPECT_EQ(Ids{}, Current(pump, Day(5)));
}

TEST_F(RecordRows, GroupRecordsAddWhatIsNewAndRemoveWhatIsThere) {
  const int32_t group = APSCreateObject("Team");
  const int32_t a = APSCreateObject("A");
  const int32_t b = APSCreateObject("B");
  const auto refs = [](std::initializer_list<int32_t> ids) {
    std::vector<TValue::Ptr> values;
    for (int32_t id : ids) {
      values.push_back(TValue::Create("test"));
      values.back()->SetText(vkObject, std::to_string(id));
    }
    return values;
  };
  const auto groupTag = [&] {
    auto query = APSDatabase().Query("SELECT GroupTag FROM VD_Objects WHERE ObjIdtor = ?");
    query.Bind(group);
    query.Step();
    return query.Int(0);
  };
  const auto modify = [&](double day, std::initializer_list<int32_t> added,
                          std::initializer_list<int32_t> deleted) {
    TObjectSet set;
    EXPECT_TRUE(set.Load(group));
    TStateTrack track;
    set.LatestStateAt(Day(day), track);
    return track.ModifyGroup(refs(added), refs(deleted), Day(day));
  };
  EXPECT_EQ(0, groupTag());
  const int32_t first = modify(1, {a, b}, {});
  EXPECT_EQ("TEAM[1]", APSRecordName(first));
  EXPECT_EQ(1, groupTag());
  const int32_t second = modify(2, {a}, {b, 4000});
  TDataRecord stored;
  ASSERT_TRUE(stored.Load(second));
  EXPECT_TRUE(stored.Added.empty());
  ASSERT_EQ(1u, stored.Deleted.size());
  EXPECT_EQ(std::to_string(b), stored.Deleted[0]->Text());

  TObjectSet set;
  ASSERT_TRUE(set.Load(group));
  TStateTrack track;
  ASSERT_TRUE(set.LatestStateAt(Day(3), track));
  track.ConstructState();
  ASSERT_TRUE(track.State->Content);
  ASSERT_EQ(1u, track.State->Content->size());
  EXPECT_EQ(std::to_string(a), track.State->Content->front()->Text());
}

TEST_F(RecordRows, BackDatedRecordsAreLinkedBetweenTheirNeighbours) {
  const int32_t pump = APSCreateObject("Pump");
  const int32_t a = Record(pump, Day(1), {{"X", "1"}});
  const int32_t b = Record(pump, Day(3), {{"Y", "2"}});
  const int32_t c = Record(pump, Day(2), {{"X", "5"}}, TPlacement::BetweenNeighbours);
  EXPECT_EQ(std::to_string(a) + "/0/", Links(c));
  EXPECT_EQ(std::to_string(c) + "/0/", Links(b));
  EXPECT_EQ(Ids{b}, Current(pump, Day(4)));
  EXPECT_EQ("X=5 Y=2", StateAt(pump, b));

  // Before a record that follows two: its PtrArr names the new record in
  // place of the one it was inserted after.
  const int32_t e = Record(pump, Day(2.5), {{"Z", "e"}}); // after c, beside b
  TObjectSet set;
  ASSERT_TRUE(set.Load(pump));
  TDataRecord merged;
  merged.ObjIdtor = pump;
  merged.RealTime = Day(5);
  merged.Previous = {set.FindRecord(b), set.FindRecord(e)};
  merged.Store(nullptr, false);
  const int32_t d = merged.Idtor;
  ASSERT_TRUE(set.Load(pump));
  TStateTrack atB;
  ASSERT_TRUE(atB.SetPath(set, b, Day(4)));
  const int32_t f = atB.ModifyRecord(Pairs({{"Z", "f"}}), Day(4), TPlacement::BetweenNeighbours);
  EXPECT_EQ(std::to_string(b) + "/0/", Links(f));
  EXPECT_EQ("0/1/" + std::to_string(f) + ";" + std::to_string(e) + ";", Links(d));
  // The loaded set is as it was: the new record joins at the next load.
  EXPECT_EQ(b, set.FindRecord(d)->Previous.front()->Idtor);
  EXPECT_EQ(nullptr, set.FindRecord(f));
  EXPECT_EQ("X=5 Y=2 Z=f", StateAt(pump, d));

  // A record dated before the first one goes in front of it.
  const int32_t zero = Record(pump, Day(0), {{"Y", "0"}}, TPlacement::BetweenNeighbours);
  EXPECT_EQ(std::to_string(zero) + "/0/", Links(a));
  EXPECT_EQ("Y=2 X=5 Z=f", StateAt(pump, d));
}

TEST_F(RecordRows, AutoFormulasAreStoredAsTheirResults) {
  const int32_t pump = APSCreateObject("Pump");
  Record(pump, Day(1), {{"X", "5"}});
  const int32_t id = Record(pump, Day(2), {{"Y", "=X*2"}, {"Z", "=Y+1"}});
  EXPECT_EQ("X=5 Y=10 Z=11", StateAt(pump, id));

  for (const char* formula : {"=Nothing+1", "=Y+1"}) {
    const int64_t rows = RowCount();
    sink.Reset();
    EXPECT_THROW(Record(pump, Day(3), {{"X", "1"}, {"Y", formula}}), ErrorException) << formula;
    EXPECT_EQ(rows, RowCount());
    EXPECT_EQ(0u, sink.Last().rfind("Can't evaluate the value of Y:\r\n### Error ###", 0))
        << sink.Last();
  }
}

TEST_F(RecordRows, WritesThatCannotBeDoneChangeNothing) {
  const int32_t pump = APSCreateObject("Pump");
  TDataRecord orphan;
  orphan.ObjIdtor = 32 * 1000;
  orphan.RealTime = Day(1);
  EXPECT_THROW(orphan.Store(nullptr, false), ErrorException);
  EXPECT_EQ("System Error: Something wrong.\r\nObject doesn't exist. Id=32000", sink.Last());
  EXPECT_EQ(0, orphan.Idtor);

  TDataRecord missing;
  missing.Idtor = 4001;
  missing.ObjIdtor = pump;
  EXPECT_THROW(missing.Store(nullptr, true), ErrorException);
  EXPECT_EQ("System Error: Something wrong.\r\nRecord doesn't exist. Id=4001", sink.Last());
  EXPECT_EQ(0, RowCount());

  // A group record of a missing object writes neither row nor group flag.
  TDataRecord group;
  group.ObjIdtor = 32 * 1000;
  group.Added.push_back(TValue::Create("test"));
  group.Added.back()->SetText(vkObject, std::to_string(pump));
  EXPECT_THROW(group.Store(nullptr, false), ErrorException);
  EXPECT_EQ(0, RowCount());

  // A record dated before every other lowers the project's earliest time.
  Record(pump, Day(-10), {{"X", "1"}});
  EXPECT_EQ(Day(-10), CurrentProject()->Info().EarliestRecordTime);
  TProjectFileContent content;
  ASSERT_TRUE(ReadProjectFile(ProjectFile(), content));
  EXPECT_EQ(Day(-10), content.Info.EarliestRecordTime);
}

TEST_F(RecordRows, DamagedRowsAreReportedWhenTheHistoryIsLoaded) {
  const int32_t pump = APSCreateObject("Pump");
  const int32_t a = Record(pump, Day(1), {{"X", "1"}});
  const int32_t b = Record(pump, Day(2), {{"X", "2"}});
  struct Case {
    std::string damage;
    std::string message;
  };
  const std::string prefix = "System Error: Something wrong.\r\n";
  const std::string rowA = " WHERE Idtor = " + std::to_string(a);
  const Case cases[] = {
      {"UPDATE VD_Records SET PVs = x'0000'" + rowA,
       "Damaged record " + std::to_string(a) +
           ": memo PVs at position 1: the memo is 2 bytes long, shorter than its header"},
      {"UPDATE VD_Records SET CntAdded = NULL" + rowA,
       "Damaged record " + std::to_string(a) +
           ": memo CntAdded at position 1: the memo is 0 bytes long, shorter than its header"},
      {"UPDATE VD_Records SET PrevRecord = 9999" + rowA,
       "DataRecord not found in the list\r\nRecord " + std::to_string(a) +
           " of object 64 follows record 9999, which is not one of the object's records"},
      {"UPDATE VD_Records SET PrevRecord = " + std::to_string(b) + rowA,
       "The history of object 64 has a cycle of predecessor links through record " +
           std::to_string(a)},
  };
  for (const auto& c : cases) {
    APSDatabase().Execute("SAVEPOINT damage");
    APSDatabase().Execute(c.damage.c_str());
    TObjectSet set;
    sink.Reset();
    EXPECT_THROW(set.Load(pump), ErrorException) << c.damage;
    EXPECT_EQ(prefix + c.message, sink.Last());
    EXPECT_TRUE(set.Records.empty());
    APSDatabase().Execute("ROLLBACK TO damage");
    APSDatabase().Execute("RELEASE damage");
  }
  TObjectSet set;
  EXPECT_TRUE(set.Load(pump));
  EXPECT_FALSE(set.Load(96));
}

TEST_F(RecordRows, ObjectReferencesReachTheStatesTheyName) {
  const int32_t pump = APSCreateObject("Pump");
  const int32_t old = Record(pump, Day(1), {{"X", "1"}});
  Record(pump, Day(2), {{"X", "2"}});
  const int32_t valve = APSCreateObject("Valve");
  const int32_t link = Record(valve, Day(3), {{"Y", "@" + std::to_string(pump)}});
  Record(valve, Day(4), {{"Z", "@" + std::to_string(old)}});

  TValue object;
  object.SetText(vkObject, std::to_string(pump));
  EXPECT_EQ("2", GetStateTrack(object).State->FindPV("X")->Value.Text());
  TValue state;
  state.SetText(vkObject, std::to_string(old));
  EXPECT_EQ("1", GetStateTrack(state).State->FindPV("X")->Value.Text());

  // "object.parameter" goes through the references' tracks.
  TObjectSet set;
  ASSERT_TRUE(set.Load(valve));
  TStateTrack track;
  ASSERT_TRUE(set.LatestStateAt(Day(10), track));
  track.ConstructState();
  TExecutor executor;
  struct Case {
    const char* formula;
    const char* result;
  };
  for (const auto& c : {Case{"Y.X + Z.X", "3"}, Case{"Y._OBJECT_NAME", "PUMP"},
                        Case{"Z._RECORD_ID", nullptr}, Case{"Y.Z", ""}}) {
    const TValue& result = executor.Run(nullptr, track.State.get(), c.formula);
    EXPECT_EQ(c.result ? c.result : std::to_string(old), result.Text()) << c.formula;
  }

  TValue text;
  text.SetPlain("64");
  EXPECT_THROW(GetStateTrack(text), ErrorException);
  EXPECT_EQ("Invalid value type. An object expected.", sink.Last());
  for (const char* id : {"96000", "97", "x"}) {
    TValue unknown;
    unknown.SetText(vkObject, id);
    EXPECT_THROW(GetStateTrack(unknown), ErrorException) << id;
  }
  EXPECT_EQ("Invalid object reference: x", sink.Last());
  // In a formula the failure is an error value, not a raised error.
  TValue missing;
  missing.SetText(vkObject, "96000");
  CurrentProject()->SetVariable("GONE", missing);
  const TValue& result = executor.Run(nullptr, track.State.get(), "PROJECT.GONE.X");
  EXPECT_TRUE(result.IsError());
  EXPECT_NE(std::string::npos, result.Text().find("Object doesn't exist. Id=96000"));
  (void)link;
}

TEST_F(RecordRows, ExportTexts) {
  const int32_t pump = APSCreateObject("Pump");
  const int32_t first = Record(pump, Day(1), {{"X", "1"}, {"Y", "=X+1"}});
  Record(pump, Day(1.5), {{"Z", "@" + std::to_string(first)}});
  Record(pump, Day(1.2), {{"X", ""}, {"Z", "@" + std::to_string(pump)}}); // a second branch

  TObjectSet set;
  ASSERT_TRUE(set.Load(pump));
  std::vector<std::unique_ptr<TStateTrack>> tracks;
  set.StatesAt(Day(3), tracks);
  ASSERT_EQ(2u, tracks.size());
  const std::string created = "; Created: " + DateTimeToText(clock.Now());
  const auto value = [](const char* name, const char* text) {
    std::string line = "        " + std::string(name);
    return line + std::string(40 - line.size(), ' ') + " : " + text + "\r\n";
  };
  EXPECT_EQ("Object PUMP\r\n"
            "    Record: PUMP[1]; Time: " +
                DateTimeToText(Day(1)) + created + "\r\n" + value("X", "1") + value("Y", "2") +
                "    Record: PUMP[3]; Time: " + DateTimeToText(Day(1.2)) + created + "\r\n" +
                value("X", "Null") + value("Z", "@PUMP") + "End of PUMP\r\n",
            tracks[0]->ExportState(true));
  // A reference to a record names that record's object.
  EXPECT_EQ("Object PUMP (version 2)\r\n"
            "    State: PUMP[2]; Time: " +
                DateTimeToText(Day(1.5)) + created +
                ".\r\n"
                "    X : 1\r\n"
                "    Y : 2\r\n"
                "    Z : @PUMP\r\n"
                "End of PUMP\r\n",
            tracks[1]->ExportState(false, 2));

  std::vector<std::string> columns{"Z"};
  const TDataRecord& branch = *tracks[0]->State;
  const TDataRecord& main = *tracks[1]->State;
  EXPECT_EQ("PUMP(1);" + DateTimeToText(Day(1.2)) + ";@PUMP;2",
            branch.ExportAsTblStr(columns, ";", "PUMP", 1));
  EXPECT_EQ("PUMP(2)\t" + DateTimeToText(Day(1.5)) + "\t@PUMP\t2\t1",
            main.ExportAsTblStr(columns, "\t", "PUMP", 2));
  EXPECT_EQ("PUMP;" + DateTimeToText(Day(1.2)) + ";@PUMP;2;",
            branch.ExportAsTblStr(columns, ";", "PUMP"));
  EXPECT_EQ("_Object_Name;_Real_Time;Z;Y;X", ExportTableHeader(columns, ";"));

  TValue calculated;
  calculated.SetText(vkCalculated, "X+1");
  EXPECT_EQ("=X+1", ExportValueText(calculated));
}

TEST_F(RecordRows, EveryHistoryIsVisitedInIdentifierOrder) {
  // More objects than one page of the walk holds.
  const int count = 300;
  {
    TRecordBatch batch;
    for (int i = 0; i < count; ++i) {
      const int32_t id = APSCreateObject("Object" + std::to_string(i));
      if (i % 7 == 0) {
        TDataRecord record;
        record.ObjIdtor = id;
        record.RealTime = Day(i);
        record.Store(nullptr, false);
      }
    }
    batch.Finish();
  }
  std::vector<int32_t> ids;
  int withRecords = 0;
  TObjectSet set;
  ForEachObjectHistory(set, [&](TObjectSet& history) {
    ids.push_back(history.ObjIdtor);
    if (!history.Records.empty()) {
      ++withRecords;
      EXPECT_EQ(Day((history.ObjIdtor - 64) / 32), history.Records.front()->RealTime);
      EXPECT_EQ(history.Records.front().get(), history.Root.Next.front());
    }
    return true;
  });
  ASSERT_EQ(static_cast<size_t>(count), ids.size());
  for (int i = 0; i < count; ++i)
    EXPECT_EQ(64 + 32 * i, ids[static_cast<size_t>(i)]);
  EXPECT_EQ((count + 6) / 7, withRecords);

  int visited = 0;
  ForEachObjectHistory(set, [&](TObjectSet&) { return ++visited < 5; });
  EXPECT_EQ(5, visited);
}

TEST_F(RecordRows, GetStateLoadsTheHistoryBehindARecord) {
  const int32_t pump = APSCreateObject("Pump");
  const int32_t first = Record(pump, Day(1), {{"X", "1"}});
  Record(pump, Day(2), {{"X", "2"}});
  TStateTrack track;
  ASSERT_TRUE(track.GetState(first));
  EXPECT_TRUE(track.Constructed);
  EXPECT_EQ("1", track.State->FindPV("X")->Value.Text());
  // The track keeps the history it loaded, and so do its copies.
  TStateTrack copy;
  copy.CopyFrom(track);
  track.Reset();
  EXPECT_EQ(2u, copy.Set->Records.size());
  EXPECT_EQ(first, copy.Last()->Idtor);

  TObjectSet set;
  ASSERT_TRUE(set.Load(pump));
  TStateTrack current;
  ASSERT_TRUE(set.LatestStateAt(Day(3), current));
  const int32_t end = current.Terminate(Day(3));
  EXPECT_FALSE(track.GetState(end));
  EXPECT_THROW(track.GetState(7777), ErrorException);
  EXPECT_EQ("Can't find an DataRecord with id = 7777", sink.Last());
}

TEST_F(RecordRows, BatchesCommitAsTheyGoAndWriteTheProjectFileOnce) {
  const int32_t pump = APSCreateObject("Pump");
  TObjectSet set;
  ASSERT_TRUE(set.Load(pump));
  int32_t last = 0;
  {
    TRecordBatch batch(10);
    std::unique_ptr<TDataRecord> previous;
    for (int i = 0; i < 25; ++i) {
      auto record = std::make_unique<TDataRecord>();
      record->ObjIdtor = pump;
      record->RealTime = Day(i);
      if (previous) record->Previous = {previous.get()};
      record->Store(nullptr, false);
      batch.Stored();
      previous = std::move(record);
    }
    last = previous->Idtor;
    batch.Finish();
  }
  TProjectFileContent content;
  ASSERT_TRUE(ReadProjectFile(ProjectFile(), content));
  EXPECT_EQ(last, content.IdCounter);
  Reopen();
  EXPECT_EQ(Ids{last}, Current(pump, Day(100)));
}

} // namespace
} // namespace vandro
