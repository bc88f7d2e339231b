// A temporary project with the parameters X, Y and Z, and helpers that store
// records the way the program does (on the latest state current at their
// time) and read rows back as they are in the file.
#pragma once

#include "language/executor.h"
#include "language/record_evaluation.h"
#include "model/object_reference.h"
#include "model/object_set.h"
#include "model/state_track.h"
#include "storage/objects.h"
#include "storage/session.h"
#include "storage_fixture.h"

#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace vandro::testing {

class RecordsTest : public StorageTest {
protected:
  RecordsTest() {
    CreateAndOpen();
    for (const char* name : {"X", "Y", "Z"}) {
      auto parameter = std::make_unique<TParameter>();
      parameter->ParamName = name;
      parameter->Category = "Data";
      CurrentProject()->AddParameter(std::move(parameter));
    }
  }

  using Values = std::initializer_list<std::pair<const char*, std::string>>;

  // Day k of the test calendar (before the fixed clock's "now").
  static double Day(double k) { return 39000 + k; }

  static std::vector<std::unique_ptr<TPVRelation>> Pairs(Values values) {
    std::vector<std::unique_ptr<TPVRelation>> pairs;
    for (const auto& [name, text] : values) {
      auto pair = std::make_unique<TPVRelation>();
      pair->Parameter = CurrentProject()->FindParameter(name);
      if (!text.empty() && text[0] == '=')
        pair->Value.SetText(vkCalculated, text);
      else if (!text.empty() && text[0] == '@')
        pair->Value.SetText(vkObject, text.substr(1));
      else
        pair->Value.SetPlain(text);
      pair->Modified = true;
      pairs.push_back(std::move(pair));
    }
    return pairs;
  }

  // A record of object at time after its latest state current then.
  int32_t Record(int32_t object, double time, Values values,
                 TPlacement placement = TPlacement::NewVersion) {
    TObjectSet set;
    EXPECT_TRUE(set.Load(object));
    TStateTrack track;
    set.LatestStateAt(time, track);
    return track.ModifyRecord(Pairs(values), time, placement);
  }

  std::vector<int32_t> Current(int32_t object, double time) {
    TObjectSet set;
    EXPECT_TRUE(set.Load(object));
    std::vector<std::unique_ptr<TStateTrack>> tracks;
    set.StatesAt(time, tracks);
    std::vector<int32_t> ids;
    for (const auto& track : tracks)
      ids.push_back(track->Last()->Idtor);
    return ids;
  }

  // name=value of the state at the record, in state order.
  std::string StateAt(int32_t object, int32_t record) {
    TObjectSet set;
    EXPECT_TRUE(set.Load(object));
    TStateTrack track;
    EXPECT_TRUE(track.SetPath(set, record, Day(1000)));
    track.ConstructState();
    std::string text;
    for (const auto& pair : track.State->PVs)
      text += (text.empty() ? "" : " ") + pair->Parameter->ParamName + "=" + pair->Value.Text();
    return text;
  }

  // The links of a row as stored: "PrevRecord/PtrArrTag/PtrArr".
  std::string Links(int32_t record) {
    auto query =
        APSDatabase().Query("SELECT PrevRecord, PtrArrTag, PtrArr FROM VD_Records WHERE Idtor = ?");
    query.Bind(record);
    if (!query.Step()) return "missing";
    return std::to_string(query.Int(0)) + "/" + std::to_string(query.Int(1)) + "/" + query.Text(2);
  }

  int64_t RowCount() {
    auto query = APSDatabase().Query("SELECT count(*) FROM VD_Records");
    query.Step();
    return query.Int(0);
  }

  ScopedLanguage language;
  ScopedRecords records;
};

} // namespace vandro::testing
