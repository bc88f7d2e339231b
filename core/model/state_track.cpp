#include "model/state_track.h"

#include "model/known_at.h"
#include "model/object_set.h"
#include "shell/clock.h"
#include "shell/diagnostics.h"
#include "shell/messages.h"

#include <algorithm>
#include <unordered_set>

namespace vandro {

namespace {

constexpr size_t kRecordNameCapacity = 32;

bool HasMember(const std::vector<TValue::Ptr>& content, const TValue& member) {
  return std::any_of(content.begin(), content.end(),
                     [&](const TValue::Ptr& item) { return item->Equals(member); });
}

// The group members of state after record's additions and removals.
void FollowMembers(TDataRecord& state, const TDataRecord& record) {
  for (const auto& member : record.Added) {
    if (!state.Content) state.Content.emplace();
    if (!HasMember(*state.Content, *member))
      state.Content->push_back(member->Clone("TStateTrack.ConstructState"));
  }
  if (state.Content)
    for (const auto& member : record.Deleted)
      std::erase_if(*state.Content, [&](const TValue::Ptr& item) { return item->Equals(*member); });
}

bool HasMemberText(const std::optional<std::vector<TValue::Ptr>>& content,
                   const std::string& text) {
  return content && std::any_of(content->begin(), content->end(),
                                [&](const TValue::Ptr& item) { return item->Text() == text; });
}

} // namespace

std::string NumberedName(const TObjectSet& set, size_t storedMeanwhile) {
  std::string name =
      set.ObjName + "[" + std::to_string(set.Records.size() + storedMeanwhile + 1) + "]";
  if (name.size() > kRecordNameCapacity) name.resize(kRecordNameCapacity);
  return name;
}

TStateTrack::TStateTrack() : State(std::make_unique<TDataRecord>(0.0)) {
  NoteCreation("TStateTrack", "TStateTrack.Create");
}

TStateTrack::~TStateTrack() = default;

void TStateTrack::Reset() {
  Path.clear();
  Set = nullptr;
  keptSet_.reset();
  State->Clear();
  Time = 0;
  Constructed = false;
  Continues = false;
}

void TStateTrack::Attach(TObjectSet& set) {
  if (keptSet_.get() != &set) keptSet_.reset();
  Set = &set;
}

void TStateTrack::KeepSet(std::shared_ptr<TObjectSet> set) {
  Set = set.get();
  keptSet_ = std::move(set);
  Path.assign(1, &Set->Root);
  Constructed = false;
  Continues = false;
}

bool TStateTrack::SetPath(TObjectSet& set, int32_t recordId, double time) {
  if (recordId == 0)
    RaiseError("Data record id = 0 for the state of the object with id = " +
               std::to_string(set.ObjIdtor));
  TDataRecord* record = set.FindRecord(recordId);
  if (!record) RaiseError("Can't find an DataRecord with id = " + std::to_string(recordId));
  if (record->Terminator) return false;
  std::vector<TDataRecord*> path;
  // Linking has ruled out cycles; the bound only guards a set that was
  // never linked.
  for (TDataRecord* step = record; step;
       step = step->Previous.empty() ? nullptr : step->Previous.front()) {
    path.push_back(step);
    if (step == &set.Root) break;
    if (path.size() > set.Records.size() + 1) RaiseSystemError("incorrect path");
  }
  std::reverse(path.begin(), path.end());
  Attach(set);
  Path = std::move(path);
  Time = time;
  Constructed = false;
  Continues = HasLater(*record);
  return true;
}

void TStateTrack::SetRootPath(TObjectSet& set, double time) {
  Attach(set);
  Path.assign(1, &set.Root);
  Time = time;
  Constructed = false;
  Continues = false;
}

void TStateTrack::Replay(const TDataRecord& record) {
  State->RecName = record.RecName;
  State->RealTime = record.RealTime;
  State->SysTime = record.SysTime;
  State->Idtor = record.Idtor;
  State->ObjIdtor = record.ObjIdtor;
  for (const auto& source : record.PVs) {
    // A value whose parameter was deleted can no longer be named.
    if (!source->Parameter) continue;
    const auto at = std::find_if(State->PVs.begin(), State->PVs.end(), [&](const auto& pair) {
      return pair->Parameter == source->Parameter;
    });
    if (at != State->PVs.end()) {
      if (source->Value.IsNull()) {
        State->PVs.erase(at);
      } else {
        (*at)->Value.Assign(source->Value);
        (*at)->Invisible = source->Invisible;
      }
    } else if (!source->Value.IsNull()) {
      // An empty value removes its parameter; where there is none to
      // remove it adds nothing.
      NoteCreation("TPVRelation", "TStateTrack.ConstructState");
      auto copy = std::make_unique<TPVRelation>();
      copy->Parameter = source->Parameter;
      copy->Value.Assign(source->Value);
      copy->Modified = source->Modified;
      copy->Invisible = source->Invisible;
      State->PVs.push_back(std::move(copy));
    }
  }
  FollowMembers(*State, record);
}

void TStateTrack::ConstructState() {
  if (Constructed) return;
  NoteCreation("TDataRecord", "TStateTrack.ConstructState");
  // Every field is taken from the path (its root at least).
  State->Clear(0);
  if (Set) State->ObjIdtor = Set->ObjIdtor;
  // The same state as replaying each record in turn (Replay), but each
  // value is copied once, from the last record that sets it: a parameter is
  // in the state when its last pair on the path is not empty; it keeps the
  // Modified flag of the pair that (re)created it after its last removal,
  // and the state lists parameters in the order they were (re)created.
  struct TLatest {
    const TParameter* parameter;
    const TPVRelation* created; // the pair that began the current run
    const TPVRelation* last;    // the pair that set the value
    size_t order;               // when `created` came, over the whole path
    bool present;
  };
  std::vector<TLatest> latest;
  size_t order = 0;
  for (const TDataRecord* record : Path) {
    for (const auto& source : record->PVs) {
      if (!source->Parameter) continue;
      const bool empty = source->Value.IsNull();
      auto at = std::find_if(latest.begin(), latest.end(), [&](const TLatest& entry) {
        return entry.parameter == source->Parameter;
      });
      if (at == latest.end()) {
        if (empty) continue;
        latest.push_back({source->Parameter, source.get(), source.get(), order++, true});
      } else if (empty) {
        at->present = false;
      } else if (!at->present) {
        *at = {source->Parameter, source.get(), source.get(), order++, true};
      } else {
        at->last = source.get();
      }
    }
    FollowMembers(*State, *record);
  }
  std::stable_sort(latest.begin(), latest.end(),
                   [](const TLatest& a, const TLatest& b) { return a.order < b.order; });
  State->PVs.reserve(latest.size());
  for (const TLatest& entry : latest) {
    if (!entry.present) continue;
    NoteCreation("TPVRelation", "TStateTrack.ConstructState");
    auto copy = std::make_unique<TPVRelation>();
    copy->Parameter = entry.parameter;
    copy->Value.Assign(entry.last->Value);
    copy->Modified = entry.created->Modified;
    copy->Invisible = entry.last->Invisible;
    State->PVs.push_back(std::move(copy));
  }
  if (!Path.empty()) {
    const TDataRecord& last = *Path.back();
    State->RecName = last.RecName;
    State->RealTime = last.RealTime;
    State->SysTime = last.SysTime;
    State->Idtor = last.Idtor;
    State->ObjIdtor = last.ObjIdtor;
  }
  State->RebuildVisiblePVs();
  if (!Path.empty()) State->Previous = Path.back()->Previous;
  Constructed = true;
}

void TStateTrack::Advance(TDataRecord& record) {
  if (Path.empty()) RaiseSystemError("The state track has no history");
  Path.push_back(&record);
  Time = std::max(Time, record.RealTime);
  Continues = false;
  if (!Constructed) return;
  NoteCreation("TDataRecord", "TStateTrack.Advance");
  Replay(record);
  State->RebuildVisiblePVs();
  State->Previous = record.Previous;
}

bool TStateTrack::HasLater(const TDataRecord& record) const {
  return std::any_of(record.Next.begin(), record.Next.end(),
                     [this](const TDataRecord* next) { return next->RealTime > Time; });
}

// The walks go from a record only to the records it is the first
// predecessor of, so each record is met once; terminators end a branch.
bool TStateTrack::Eligible(const TDataRecord& parent, const TDataRecord& child) const {
  return child.RealTime <= Time && !child.Terminator && !child.Previous.empty() &&
         child.Previous.front() == &parent;
}

size_t TStateTrack::PositionInParent() const {
  const TDataRecord* child = Path.back();
  const TDataRecord* parent = Path[Path.size() - 2];
  const auto at = std::find(parent->Next.begin(), parent->Next.end(), child);
  if (at == parent->Next.end()) RaiseSystemError("incorrect path");
  return static_cast<size_t>(at - parent->Next.begin());
}

// Depth first, each record before its followers. With descend, the search
// looks at the followers of the path's last record from index from on;
// without, it first climbs back from that record to its next sibling.
bool TStateTrack::Forward(bool descend, size_t from) {
  Constructed = false;
  for (;;) {
    if (descend) {
      TDataRecord* current = Path.back();
      TDataRecord* found = nullptr;
      for (size_t i = from; i < current->Next.size() && !found; ++i)
        if (Eligible(*current, *current->Next[i])) found = current->Next[i];
      if (found) {
        Path.push_back(found);
        const bool later = HasLater(*found);
        if (later || found->Next.empty()) {
          Continues = later;
          return true;
        }
        from = 0;
        continue;
      }
    }
    if (Path.size() <= 1) {
      Continues = false;
      return false;
    }
    from = PositionInParent() + 1;
    Path.pop_back();
    descend = true;
  }
}

// The exact reverse of Forward: each record after its followers, the
// followers last first. With descend, the search goes into the followers of
// the path's last record below index below; without, it climbs back from
// that record. climbed says whether the last record's followers have been
// searched already: stopping there leaves Continues set, as a forward step
// from it goes into those followers.
bool TStateTrack::Backward(bool descend, size_t below, bool climbed) {
  Constructed = false;
  for (;;) {
    if (descend) {
      TDataRecord* current = Path.back();
      TDataRecord* found = nullptr;
      for (size_t i = below; i-- > 0 && !found;)
        if (Eligible(*current, *current->Next[i])) found = current->Next[i];
      if (found) {
        Path.push_back(found);
        below = found->Next.size();
        climbed = false;
        continue;
      }
      if (Path.size() > 1 && (current->Next.empty() || HasLater(*current))) {
        Continues = climbed;
        return true;
      }
    }
    if (Path.size() <= 1) {
      Continues = false;
      return false;
    }
    below = PositionInParent();
    Path.pop_back();
    descend = true;
    climbed = true;
  }
}

bool TStateTrack::FirstStateTrack(TObjectSet& set, double time) {
  SetRootPath(set, time);
  return Forward(true, 0);
}

bool TStateTrack::LastStateTrack(TObjectSet& set, double time) {
  SetRootPath(set, time);
  const bool found = Backward(true, set.Root.Next.size(), false);
  Continues = false;
  return found;
}

bool TStateTrack::NextStateTrack() {
  if (Path.size() <= 1) return false;
  if (Continues) {
    Continues = false;
    return Forward(true, 0);
  }
  return Forward(false, 0);
}

bool TStateTrack::PreviousStateTrack() {
  if (Path.size() <= 1) return false;
  return Backward(false, 0, false);
}

void TStateTrack::CopyFrom(const TStateTrack& track) {
  if (&track == this) return;
  // A track that already keeps the same set goes on keeping it.
  if (track.keptSet_)
    keptSet_ = track.keptSet_;
  else if (keptSet_.get() != track.Set)
    keptSet_.reset();
  Set = track.Set;
  Path = track.Path;
  Time = track.Time;
  Continues = track.Continues;
  Constructed = false;
  ConstructState();
}

bool TStateTrack::GetState(int32_t recordId) {
  TDataRecord record;
  if (!record.Load(recordId))
    RaiseError("Can't find an DataRecord with id = " + std::to_string(recordId));
  auto set = std::make_shared<TObjectSet>();
  if (!set->Load(record.ObjIdtor))
    RaiseSystemError("Object doesn't exist. Id=" + std::to_string(record.ObjIdtor));
  KeepSet(set);
  if (!SetPath(*set, recordId, Now())) return false;
  ConstructState();
  return true;
}

void TStateTrack::DescendantStatesAt(double time,
                                     std::vector<std::unique_ptr<TStateTrack>>& tracks) const {
  if (!Set || Path.empty()) return;
  std::vector<int32_t> found;
  std::unordered_set<const TDataRecord*> seen;
  std::vector<const TDataRecord*> pending{Path.back()};
  while (!pending.empty()) {
    const TDataRecord* record = pending.back();
    pending.pop_back();
    if (!seen.insert(record).second) continue;
    const bool later =
        std::any_of(record->Next.begin(), record->Next.end(),
                    [time](const TDataRecord* next) { return next->RealTime > time; });
    if (record != &Set->Root && !record->Terminator && record->RealTime <= time &&
        (record->Next.empty() || later))
      found.push_back(record->Idtor);
    for (auto next = record->Next.rbegin(); next != record->Next.rend(); ++next)
      if (!(*next)->Terminator && (*next)->RealTime <= time) pending.push_back(*next);
  }
  for (int32_t id : found) {
    const bool known = std::any_of(tracks.begin(), tracks.end(), [&](const auto& track) {
      return track->Set == Set && track->Last() && track->Last()->Idtor == id;
    });
    if (known) continue;
    auto track = std::make_unique<TStateTrack>();
    track->keptSet_ = keptSet_;
    if (track->SetPath(*Set, id, time)) tracks.push_back(std::move(track));
  }
}

TDataRecord* TStateTrack::FollowingAfter(double time) const {
  const TDataRecord* last = Last();
  if (!last) return nullptr;
  TDataRecord* first = nullptr;
  for (TDataRecord* next : last->Next)
    if (next->RealTime > time && (!first || next->RealTime < first->RealTime)) first = next;
  return first;
}

int32_t TStateTrack::Place(std::unique_ptr<TDataRecord> record, TDataRecord* successor,
                           std::unique_ptr<TDataRecord>* stored) {
  if (!Set || Path.empty()) RaiseSystemError("The state track has no history");
  if (Set->KnownAt) RaiseError(kNothingStoredInThePast);
  ConstructState();
  record->ObjIdtor = Set->ObjIdtor;
  record->Previous.assign(1, State.get());
  record->StoreBetween(State.get(), Path.back(), successor);
  const int32_t id = record->Idtor;
  if (stored) *stored = std::move(record);
  return id;
}

std::unique_ptr<TDataRecord> TStateTrack::NewRecord(std::vector<std::unique_ptr<TPVRelation>> pairs,
                                                    double time) {
  if (time == 0) time = Now();
  ConstructState();
  // Before an object's first record there is no state whose time could be
  // reached again.
  if (Path.size() > 1 && !(time > State->RealTime)) return nullptr;
  NoteCreation("TDataRecord", "TStateTrack.ModifyRecord");
  auto record = std::make_unique<TDataRecord>();
  record->RecName = NumberedName(*Set);
  record->RealTime = time;
  for (auto& pair : pairs)
    record->AddPV(std::move(pair));
  return record;
}

std::unique_ptr<TDataRecord> TStateTrack::NewTerminator(double time) {
  if (time == 0) time = Now();
  ConstructState();
  if (Path.size() > 1 && State->RealTime > time) return nullptr;
  NoteCreation("TDataRecord", "TStateTrack.Terminate");
  auto record = std::make_unique<TDataRecord>();
  record->RecName = "Terminator";
  record->Terminator = true;
  record->RealTime = time;
  return record;
}

std::unique_ptr<TDataRecord> TStateTrack::NewGroupRecord(const std::vector<TValue::Ptr>& added,
                                                         const std::vector<TValue::Ptr>& deleted,
                                                         double time) {
  if (time == 0) time = Now();
  ConstructState();
  if (Path.size() > 1 && State->RealTime > time) return nullptr;
  NoteCreation("TDataRecord", "TStateTrack.ModifyGroup");
  auto record = std::make_unique<TDataRecord>();
  record->RecName = NumberedName(*Set);
  record->RealTime = time;
  for (const auto& member : added)
    if (!HasMemberText(State->Content, member->Text()))
      record->Added.push_back(member->Clone("TStateTrack.ModifyGroup"));
  for (const auto& member : deleted)
    if (HasMemberText(State->Content, member->Text()))
      record->Deleted.push_back(member->Clone("TStateTrack.ModifyGroup"));
  return record;
}

TDataRecord* TStateTrack::SuccessorFor(TPlacement placement, double time) const {
  return placement == TPlacement::BetweenNeighbours ? FollowingAfter(time) : nullptr;
}

int32_t TStateTrack::ModifyRecord(std::vector<std::unique_ptr<TPVRelation>> pairs, double time,
                                  TPlacement placement, std::unique_ptr<TDataRecord>* stored) {
  auto record = NewRecord(std::move(pairs), time);
  if (!record) return 0;
  TDataRecord* successor = SuccessorFor(placement, record->RealTime);
  return Place(std::move(record), successor, stored);
}

int32_t TStateTrack::Terminate(double time) {
  auto record = NewTerminator(time);
  return record ? Place(std::move(record), nullptr, nullptr) : 0;
}

int32_t TStateTrack::ModifyGroup(const std::vector<TValue::Ptr>& added,
                                 const std::vector<TValue::Ptr>& deleted, double time,
                                 TPlacement placement) {
  auto record = NewGroupRecord(added, deleted, time);
  if (!record) return 0;
  TDataRecord* successor = SuccessorFor(placement, record->RealTime);
  return Place(std::move(record), successor, nullptr);
}

} // namespace vandro
