// Hand-built histories in an in-memory project: records are added with
// their identifier, real time, predecessors and values, then linked, with no
// database behind them.
#pragma once

#include "model/data_record.h"
#include "model/object_set.h"
#include "model/project.h"
#include "model/state_track.h"
#include "support/scripted_sink.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace vandro::testing {

class HistoryTest : public ::testing::Test {
protected:
  HistoryTest() {
    for (const char* name : {"X", "Y", "Z"}) {
      auto parameter = std::make_unique<TParameter>();
      parameter->ParamName = name;
      parameter->Category = "Data";
      project->AddParameter(std::move(parameter));
    }
    set.ObjIdtor = 64;
    set.ObjName = "PUMP";
  }

  using Values = std::initializer_list<std::pair<const char*, const char*>>;

  // A record following the records with the given identifiers (none: the
  // root), stored as the loader would find it.
  TDataRecord& Add(int32_t id, double time, std::vector<int32_t> previous, Values values = {},
                   bool terminator = false) {
    auto record = std::make_unique<TDataRecord>();
    record->Idtor = id;
    record->ObjIdtor = set.ObjIdtor;
    record->RecName = "R" + std::to_string(id);
    record->RealTime = time;
    record->Terminator = terminator;
    if (previous.size() == 1) record->PrevRecord = previous.front();
    if (previous.size() > 1) {
      record->PtrArrTag = true;
      for (int32_t p : previous)
        record->PtrArr += std::to_string(p) + ";";
    }
    for (const auto& [name, text] : values) {
      TValue value;
      value.SetPlain(text);
      record->AddPV(*project->FindParameter(name), value);
    }
    TDataRecord& added = *record;
    set.AddRecord(std::move(record));
    return added;
  }

  // The last record of every track FirstStateTrack / NextStateTrack (or
  // LastStateTrack / PreviousStateTrack) gives at time.
  std::vector<int32_t> Forward(double time) {
    std::vector<int32_t> ids;
    TStateTrack track;
    for (bool more = track.FirstStateTrack(set, time); more; more = track.NextStateTrack())
      ids.push_back(track.Last()->Idtor);
    return ids;
  }
  std::vector<int32_t> Backward(double time) {
    std::vector<int32_t> ids;
    TStateTrack track;
    for (bool more = track.LastStateTrack(set, time); more; more = track.PreviousStateTrack())
      ids.push_back(track.Last()->Idtor);
    return ids;
  }
  std::vector<int32_t> Current(double time) {
    std::vector<std::unique_ptr<TStateTrack>> tracks;
    set.StatesAt(time, tracks);
    std::vector<int32_t> ids;
    for (const auto& track : tracks)
      ids.push_back(track->Last()->Idtor);
    return ids;
  }

  // name=value pairs of a replayed state, in its order.
  static std::string Describe(const TDataRecord& state) {
    std::string text;
    for (const auto& pair : state.PVs)
      text += (text.empty() ? "" : " ") + pair->Parameter->ParamName + "=" + pair->Value.Text();
    return text;
  }

  std::string StateAt(int32_t id, double time = 100) {
    TStateTrack track;
    EXPECT_TRUE(track.SetPath(set, id, time));
    track.ConstructState();
    return Describe(*track.State);
  }

  ScriptedSink sink;
  std::unique_ptr<TProject> project = TProject::CreateInMemory();
  ScopedProject open{*project};
  TObjectSet set;
};

} // namespace vandro::testing
