#include "model/record_export.h"

#include "model/data_record.h"
#include "model/object_set.h"
#include "model/project.h"
#include "model/record_store.h"
#include "model/state_track.h"
#include "shell/datetime.h"
#include "shell/delimited_text.h"
#include "shell/messages.h"
#include "shell/text.h"
#include "values/value_text.h"

#include <algorithm>
#include <charconv>

namespace vandro {

namespace {

std::string Fitted(std::string text, size_t width, bool pad) {
  if (pad && text.size() < width) text.append(width - text.size(), ' ');
  if (text.size() > width) text.resize(width);
  return text;
}

std::string ParameterName(const TPVRelation& pair) {
  return pair.Parameter ? pair.Parameter->ParamName : std::string();
}

std::string ReferencedObjectName(const std::string& text) {
  int32_t id = 0;
  const auto [at, error] = std::from_chars(text.data(), text.data() + text.size(), id);
  if (error != std::errc() || id <= 0) return {};
  const TProject* project = CurrentProject();
  if (!project) return {};
  if (id % 32 != 0) {
    TRecordStore* store = OpenRecordStore();
    id = store ? store->RecordObject(id) : 0;
    if (id == 0) return {};
  }
  return project->ObjectName(id);
}

// The versions the record's corrections superseded, the latest first: when
// each was corrected and what it held until then.
void ExportVersions(const TDataRecord& record, std::string& out) {
  TRecordStore* store = OpenRecordStore();
  if (!store) return;
  std::vector<TRecordVersion> versions;
  store->GetVersions(record.Idtor, versions);
  for (const TRecordVersion& version : versions) {
    const TDataRecord& was = *version.record;
    out += "    Corrected: " + DateTimeToText(version.superseded) + "; before it: " + was.RecName +
           "; Time: " + DateTimeToText(was.RealTime) + kLineBreak;
    for (const auto& pair : was.PVs)
      out += Fitted("        " + ParameterName(*pair), 40, true) + " : " +
             ExportValueText(pair->Value) + kLineBreak;
  }
}

} // namespace

std::string ExportValueText(const TValue& value) {
  switch (value.Kind()) {
  case vkObject:
    return "@" + ReferencedObjectName(value.Text());
  case vkCalculated:
    return "=" + value.Text();
  default:
    return ToDisplayText(&value);
  }
}

std::string ExportTableHeader(const std::vector<std::string>& columns, std::string_view separator) {
  std::string line = "_Object_Name";
  line += separator;
  line += "_Real_Time";
  for (const auto& column : columns)
    AppendField(line, column, separator);
  return line;
}

void HistoryBranches(TObjectSet& set, std::vector<std::unique_ptr<TStateTrack>>& tracks) {
  for (const auto& owned : set.Records) {
    TDataRecord* end = owned.get();
    const bool continued = std::any_of(end->Next.begin(), end->Next.end(), [&](const auto* next) {
      return !next->Previous.empty() && next->Previous.front() == end;
    });
    if (continued) continue;
    // A terminator has no state of its own: the track is put on the state
    // it ended and then moved on through it.
    std::vector<TDataRecord*> terminators;
    TDataRecord* state = end;
    while (state != &set.Root && state->Terminator && !state->Previous.empty()) {
      terminators.push_back(state);
      state = state->Previous.front();
    }
    auto track = std::make_unique<TStateTrack>();
    if (state == &set.Root)
      track->SetRootPath(set, end->RealTime);
    else if (!track->SetPath(set, state->Idtor, end->RealTime))
      continue; // a terminator without predecessors: no state to show
    for (auto step = terminators.rbegin(); step != terminators.rend(); ++step)
      track->Advance(**step);
    tracks.push_back(std::move(track));
  }
}

std::string TDataRecord::ExportAsTblStr(std::vector<std::string>& columns,
                                        std::string_view separator, std::string_view objectName,
                                        int version) const {
  for (const auto& pair : PVs) {
    if (!pair->Parameter) continue;
    const bool known = std::any_of(columns.begin(), columns.end(), [&](const std::string& column) {
      return SameText(column, pair->Parameter->ParamName);
    });
    if (!known) columns.push_back(pair->Parameter->ParamName);
  }
  std::string name(objectName);
  if (version > 0) name += "(" + std::to_string(version) + ")";
  std::string row;
  AppendField(row, name, separator, true);
  AppendField(row, DateTimeToText(RealTime), separator);
  for (const auto& column : columns) {
    const auto pair = std::find_if(PVs.begin(), PVs.end(), [&](const auto& candidate) {
      return candidate->Parameter && SameText(candidate->Parameter->ParamName, column);
    });
    AppendField(row,
                pair != PVs.end() && !(*pair)->Value.IsNull() ? ExportValueText((*pair)->Value)
                                                              : std::string(),
                separator);
  }
  return row;
}

std::string TStateTrack::ExportState(bool history, int version) {
  ConstructState();
  const std::string name = Set ? Set->ObjName : std::string();
  std::string out = "Object " + name;
  if (version > 0) out += " (version " + std::to_string(version) + ")";
  out += kLineBreak;
  if (history) {
    for (size_t i = 1; i < Path.size(); ++i) {
      const TDataRecord& record = *Path[i];
      out += Fitted("    Record: " + record.RecName, 44, false) +
             "; Time: " + DateTimeToText(record.RealTime) +
             "; Created: " + DateTimeToText(record.SysTime) + kLineBreak;
      for (const auto& pair : record.PVs)
        out += Fitted("        " + ParameterName(*pair), 40, true) + " : " +
               ExportValueText(pair->Value) + kLineBreak;
      ExportVersions(record, out);
    }
  } else {
    out += Fitted("    State: " + State->RecName, 43, false) +
           "; Time: " + DateTimeToText(State->RealTime) +
           "; Created: " + DateTimeToText(State->SysTime) + "." + kLineBreak;
    for (const auto& pair : State->PVs)
      out += "    " + ParameterName(*pair) + " : " + ExportValueText(pair->Value) + kLineBreak;
    if (State->Content && !State->Content->empty())
      out += "    Content: " + std::to_string(State->Content->size()) + " objects" + kLineBreak;
  }
  out += "End of " + name + kLineBreak;
  return out;
}

} // namespace vandro
