#include "exchange/export_objects.h"

#include "exchange/export_file.h"
#include "model/data_record.h"
#include "model/object_set.h"
#include "model/record_export.h"
#include "model/state_track.h"
#include "shell/clock.h"
#include "shell/messages.h"
#include "storage/objects.h"
#include "storage/record_rows.h"

#include <charconv>
#include <functional>
#include <memory>
#include <set>
#include <vector>

namespace vandro {

namespace {

using TTracks = std::vector<std::unique_ptr<TStateTrack>>;

// Where the states of one export go: rows of a table gathered until the
// header can be written above them, or the lines of a report.
class TStateWriter {
public:
  TStateWriter(const TExportSettings& settings, TExportFile& file)
      : settings_(settings), separator_(settings.Separator.empty() ? "\t" : settings.Separator),
        file_(file) {}

  bool Open(const std::string& path) { return !settings_.AsTable || rows_.CreateBeside(path); }

  // The states of a track: its state, or with history one per record
  // (a terminator gives none).
  void Write(TStateTrack& track, int version) {
    if (track.Set) objects_.insert(track.Set->ObjIdtor);
    if (!settings_.History) {
      ++states_;
    } else {
      for (size_t i = 1; i < track.Path.size(); ++i)
        if (!track.Path[i]->Terminator) ++states_;
    }
    if (!settings_.AsTable) {
      file_.Write(track.ExportState(settings_.History, version));
      return;
    }
    const std::string name = track.Set ? track.Set->ObjName : std::string();
    if (!settings_.History) {
      track.ConstructState();
      Row(*track.State, name, version);
      return;
    }
    TStateTrack step;
    step.SetRootPath(*track.Set, track.Time);
    step.ConstructState();
    for (size_t i = 1; i < track.Path.size(); ++i) {
      step.Advance(*track.Path[i]);
      // After a terminator there is no state a row could give back.
      if (!track.Path[i]->Terminator) Row(*step.State, name, version);
    }
  }

  void Line(const std::string& text) {
    if (settings_.AsTable)
      rows_.Write(text + kLineBreak);
    else
      file_.Write(text + kLineBreak);
  }

  void Finish() {
    if (!settings_.AsTable) return;
    file_.Write(ExportTableHeader(columns_, separator_) + kLineBreak);
    rows_.CopyTo(file_);
  }

  int64_t States() const { return states_; }
  int64_t Objects() const { return static_cast<int64_t>(objects_.size()); }

private:
  void Row(const TDataRecord& state, const std::string& name, int version) {
    rows_.Write(state.ExportAsTblStr(columns_, separator_, name, version) + kLineBreak);
  }

  const TExportSettings& settings_;
  const std::string separator_;
  TExportFile& file_;
  TScratchFile rows_;
  std::vector<std::string> columns_;
  std::set<int32_t> objects_; // an object met in several versions counts once
  int64_t states_ = 0;
};

// The states of an object's history an export writes: with history every
// branch, ended ones included; else the states current now.
void ObjectTracks(TObjectSet& set, bool history, TTracks& tracks) {
  if (history)
    HistoryBranches(set, tracks);
  else
    set.StatesAt(Now(), tracks);
}

// The tracks target stands for: an object's states (ObjectTracks), or the
// state that ends at a record (with descendants, those current now that
// descend from it). False when target names neither.
bool TracksOf(int32_t target, TObjectSet& set, TTracks& tracks, bool descendants,
              bool history = false) {
  const double now = Now();
  if (target <= 0) return false;
  if (target % 32 == 0) {
    if (!set.Load(target)) return false;
    ObjectTracks(set, history, tracks);
    return true;
  }
  const int32_t object = APSRecordObject(target);
  if (object == 0 || !set.Load(object)) return false;
  // A group member with history is its object's whole history: the state
  // the group names may have been followed by others, or ended since.
  if (descendants && history) {
    HistoryBranches(set, tracks);
    return true;
  }
  auto track = std::make_unique<TStateTrack>();
  if (!track->SetPath(set, target, now)) return descendants;
  if (descendants)
    track->DescendantStatesAt(now, tracks);
  else
    tracks.push_back(std::move(track));
  return true;
}

void WriteTracks(TStateWriter& writer, TTracks& tracks) {
  const bool several = tracks.size() > 1;
  for (size_t i = 0; i < tracks.size(); ++i)
    writer.Write(*tracks[i], several ? static_cast<int>(i) + 1 : 0);
}

bool Finish(TStateWriter& writer, TExportFile& file, TExportResult& result) {
  writer.Finish();
  if (!file.Commit()) return false;
  result.States = writer.States();
  result.Objects = writer.Objects();
  result.Summary = std::to_string(result.Objects) + " objects, " + std::to_string(result.States) +
                   " states exported";
  return true;
}

int32_t MemberId(const TValue& member) {
  int32_t id = 0;
  const std::string& text = member.Text();
  const auto [at, error] = std::from_chars(text.data(), text.data() + text.size(), id);
  return error == std::errc() && at == text.data() + text.size() ? id : 0;
}

// The export of the states target names, written by write; with history,
// an object's every branch rather than its current states.
bool ExportTracksOf(const std::string& path, int32_t target, const TExportSettings& settings,
                    TExportResult& result,
                    const std::function<void(TStateWriter&, TTracks&)>& write,
                    bool history = false) {
  result = TExportResult();
  TObjectSet set;
  TTracks tracks;
  if (!TracksOf(target, set, tracks, false, history)) RaiseError("Error selecting object");
  TExportFile file;
  TStateWriter writer(settings, file);
  if (!file.Create(path) || !writer.Open(path)) return false;
  write(writer, tracks);
  return Finish(writer, file, result);
}

} // namespace

bool ExportObject(const std::string& path, int32_t target, const TExportSettings& settings,
                  TExportResult& result) {
  return ExportTracksOf(path, target, settings, result, WriteTracks, settings.History);
}

bool ExportGroup(const std::string& path, int32_t target, const TExportSettings& settings,
                 TExportResult& result) {
  // A group is written at its current states whatever the history setting:
  // its members are what it holds now. With history each member is written
  // with its whole history, ended branches included.
  const bool history = settings.History;
  return ExportTracksOf(
      path, target, settings, result, [history](TStateWriter& writer, TTracks& states) {
        for (size_t n = 0; n < states.size(); ++n) {
          TStateTrack& state = *states[n];
          if (states.size() > 1) writer.Line("Version " + std::to_string(n + 1));
          state.ConstructState();
          if (!state.State->Content || state.State->Content->empty()) {
            writer.Line("Empty");
          } else {
            for (const TValue::Ptr& member : *state.State->Content) {
              TObjectSet set;
              TTracks tracks;
              if (member->IsObject() && TracksOf(MemberId(*member), set, tracks, true, history))
                WriteTracks(writer, tracks);
            }
          }
          writer.Line("");
        }
      });
}

bool ExportAllObjects(const std::string& path, const TExportSettings& settings, TProgress* progress,
                      TExportResult& result) {
  result = TExportResult();
  const int32_t count = APSObjectCount();
  if (count == 0) {
    ShowMsg("Project is empty");
    return false;
  }
  TExportFile file;
  TStateWriter writer(settings, file);
  if (!file.Create(path) || !writer.Open(path)) return false;
  int64_t done = 0;
  bool stopped = false;
  {
    TProgressScope scope(progress, "Export progress");
    TObjectSet set;
    ForEachObjectHistory(set, [&](TObjectSet& history) {
      TTracks tracks;
      ObjectTracks(history, settings.History, tracks);
      WriteTracks(writer, tracks);
      return scope.Update(++done, count);
    });
    stopped = scope.Stopped();
  }
  if (stopped) {
    ShowMsg("Export stopped");
    return false;
  }
  return Finish(writer, file, result);
}

} // namespace vandro
