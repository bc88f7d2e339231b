#include "storage/record_writer.h"

#include "model/object_set.h"
#include "model/project.h"
#include "model/record_events.h"
#include "shell/clock.h"
#include "shell/messages.h"
#include "shell/text.h"
#include "storage/access.h"
#include "storage/objects.h"
#include "storage/record_rows.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace vandro {

namespace {

// The member joins each group state current now. Returns the group's
// object, 0 when the group is gone (it is then skipped, as a group deleted
// while the dialog was open).
int32_t JoinGroup(const TGroupJoin& join, int32_t objectId, int32_t recordId, double now) {
  if (join.Group == 0) return 0;
  const bool stateOfGroup = join.Group % 32 != 0;
  TObjectSet set;
  if (!set.Load(stateOfGroup ? APSRecordObject(join.Group) : join.Group)) return 0;
  std::vector<std::unique_ptr<TStateTrack>> tracks;
  if (stateOfGroup) {
    TStateTrack track;
    if (!track.SetPath(set, join.Group, now)) return 0;
    track.DescendantStatesAt(now, tracks);
  } else {
    set.StatesAt(now, tracks);
    if (tracks.empty()) {
      tracks.push_back(std::make_unique<TStateTrack>());
      tracks.back()->SetRootPath(set, now);
    }
  }
  std::vector<TValue::Ptr> added;
  added.push_back(TValue::Create("StoreDraft"));
  added.back()->SetText(vkObject, std::to_string(join.MemberIsState ? recordId : objectId));
  for (const auto& track : tracks)
    if (auto record = track->NewGroupRecord(added, {}, now); record && !record->Added.empty()) {
      record->SysTime = now;
      track->Place(std::move(record), nullptr, nullptr);
    }
  return set.ObjIdtor;
}

// An index entry added to the open project's list is taken out again when
// the work it belongs to is not kept.
void ForgetEntry(TIndexKind kind, int32_t objectId) {
  if (TProject* project = CurrentProject())
    std::erase_if(project->IndexEntries(kind),
                  [objectId](const TIndexEntry& entry) { return entry.ObjIdtor == objectId; });
}

} // namespace

TStoredDraft StoreDraft(TRecordDraft& draft) {
  TStoredDraft result;
  if (!draft.Record) RaiseSystemError("A record to store is missing");
  // A plain record is one statement, whole by itself; anything more is one
  // unit of work.
  const bool alone = draft.NewObjectName.empty() && draft.Rename.empty() && !draft.Successor &&
                     !draft.IndexEntry && draft.Groups.empty() &&
                     draft.Placement == TPlacement::NewVersion && !draft.Correction;
  std::optional<TProjectWork> work;
  if (!alone) work.emplace();
  bool entryAdded = false;
  std::vector<int32_t> changed;
  int32_t object = draft.ObjectId;
  try {
    if (!draft.NewObjectName.empty()) {
      object = APSCreateObject(draft.NewObjectName);
      if (object == 0) {
        ShowMsg("Object named " + UpperCase(draft.NewObjectName) +
                " already exists. Change the name and try again");
        return result;
      }
    }
    if (!draft.Rename.empty() && !APSRenameObject(object, draft.Rename)) return result;
    const double now = Now();
    TDataRecord& record = *draft.Record;
    int32_t id = 0;
    if (draft.Correction) {
      record.Store(draft.PreviousState, true);
      id = record.Idtor;
      result.Record = std::move(draft.Record);
    } else {
      record.SysTime = now;
      // Without a track the record starts the object's history (a new
      // object, or one chosen without a state).
      std::optional<TObjectSet> set;
      std::optional<TStateTrack> root;
      TStateTrack* track = draft.Track;
      if (!track) {
        set.emplace();
        if (!set->Load(object))
          RaiseSystemError("Object doesn't exist. Id=" + std::to_string(object));
        track = &root.emplace();
        track->SetRootPath(*set, record.RealTime);
      }
      TDataRecord* successor =
          draft.Successor ? draft.Successor : track->SuccessorFor(draft.Placement, record.RealTime);
      id = track->Place(std::move(draft.Record), successor, &result.Record);
      object = track->Set->ObjIdtor;
      // The links into a history that goes away with this call.
      if (!draft.Track) {
        result.Record->Previous.clear();
        result.Record->Next.clear();
      }
    }
    for (const TGroupJoin& join : draft.Groups)
      if (const int32_t group = JoinGroup(join, object, id, now); group != 0)
        changed.push_back(group);
    if (draft.IndexEntry) {
      if (!AddEntry(draft.IndexKind, Trim(draft.IndexName), draft.IndexComment, object))
        return TStoredDraft{};
      entryAdded = true;
    }
    if (work) work->Commit();
    result.Stored = true;
    result.ObjectId = object;
    result.RecordId = id;
  } catch (...) {
    if (entryAdded) ForgetEntry(draft.IndexKind, object);
    throw;
  }
  if (draft.Quiet) return result;
  NotifyRecordsChanged(object);
  std::sort(changed.begin(), changed.end());
  changed.erase(std::unique(changed.begin(), changed.end()), changed.end());
  for (const int32_t group : changed)
    if (group != object) NotifyRecordsChanged(group);
  return result;
}

} // namespace vandro
