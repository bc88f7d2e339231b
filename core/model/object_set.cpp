#include "model/object_set.h"

#include "model/known_at.h"
#include "model/project.h"
#include "model/record_packing.h"
#include "model/record_store.h"
#include "model/state_track.h"
#include "shell/messages.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vandro {

namespace {

// A damaged row could hold anything; NaN would break the sort's ordering.
double SortKey(double time) {
  return std::isnan(time) ? -std::numeric_limits<double>::infinity() : time;
}

} // namespace

TObjectSet::TObjectSet() = default;

void TObjectSet::Clear() {
  byId_.clear();
  for (auto& record : Records)
    spare_.push_back(std::move(record));
  Records.clear();
  // The root is no record: it has no time of its own.
  Root.Clear(0);
  KnownAt.reset();
  ObjIdtor = 0;
  ObjName.clear();
}

namespace {

// The records behind the open project, or nullptr. The object counter always
// moves in steps of 32; anything else means the project file was damaged,
// and identifiers read against it cannot be trusted.
TRecordStore* TrustedRecordStore() {
  const TProject* project = CurrentProject();
  if (!project || project->ObjectCounter() % 32 != 0) return nullptr;
  return OpenRecordStore();
}

} // namespace

bool TObjectSet::Load(int32_t objectId) {
  Clear();
  TRecordStore* store = TrustedRecordStore();
  if (!store) return false;
  try {
    if (!store->GetObject(objectId, *this)) {
      Clear();
      return false;
    }
    Link();
  } catch (...) {
    Clear();
    throw;
  }
  return true;
}

void TObjectSet::AddRecord(std::unique_ptr<TDataRecord> record) {
  Records.push_back(std::move(record));
}

std::unique_ptr<TDataRecord> TObjectSet::NewRecord() {
  if (spare_.empty()) return std::make_unique<TDataRecord>(0.0);
  std::unique_ptr<TDataRecord> record = std::move(spare_.back());
  spare_.pop_back();
  record->Clear(0);
  return record;
}

void TObjectSet::Unlink() {
  byId_.clear();
  Root.Next.clear();
  Root.Previous.clear();
  for (const auto& record : Records) {
    record->Previous.clear();
    record->Next.clear();
  }
}

TDataRecord* TObjectSet::FindRecord(int32_t id) const {
  const auto at =
      std::lower_bound(byId_.begin(), byId_.end(), id,
                       [](const auto& entry, int32_t key) { return entry.first < key; });
  return at != byId_.end() && at->first == id ? at->second : nullptr;
}

void TObjectSet::Link() {
  Unlink();
  Root.ObjIdtor = ObjIdtor;
  try {
    CutToKnownAt(*this);
    const auto earlier = [](const auto& a, const auto& b) {
      return SortKey(a->RealTime) < SortKey(b->RealTime);
    };
    // Rows mostly come in time order already.
    if (!std::is_sorted(Records.begin(), Records.end(), earlier))
      std::stable_sort(Records.begin(), Records.end(), earlier);
    byId_.reserve(Records.size());
    for (const auto& record : Records)
      byId_.emplace_back(record->Idtor, record.get());
    std::sort(byId_.begin(), byId_.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    for (size_t i = 1; i < byId_.size(); ++i)
      if (byId_[i].first == byId_[i - 1].first)
        RaiseSystemError("Two records of object " + std::to_string(ObjIdtor) +
                         " have the identifier " + std::to_string(byId_[i].first));

    std::vector<int32_t> ids;
    for (const auto& record : Records) {
      ids.clear();
      if (record->PtrArrTag) {
        if (!ParsePtrArr(record->PtrArr, ids) || ids.empty())
          RaiseSystemError("Record " + std::to_string(record->Idtor) + " of object " +
                           std::to_string(ObjIdtor) +
                           " follows several records, but its list of them is damaged: \"" +
                           record->PtrArr + "\"");
      } else if (record->PrevRecord != 0) {
        ids.push_back(record->PrevRecord);
      }
      if (ids.empty()) {
        record->Previous.push_back(&Root);
        Root.Next.push_back(record.get());
        continue;
      }
      for (int32_t id : ids) {
        TDataRecord* previous = FindRecord(id);
        if (!previous)
          RaiseSystemError("DataRecord not found in the list" + std::string(kLineBreak) +
                           "Record " + std::to_string(record->Idtor) + " of object " +
                           std::to_string(ObjIdtor) + " follows record " + std::to_string(id) +
                           ", which is not one of the object's records");
        if (std::find(record->Previous.begin(), record->Previous.end(), previous) ==
            record->Previous.end())
          record->Previous.push_back(previous);
      }
    }
    for (const auto& record : Records)
      for (TDataRecord* previous : record->Previous)
        if (previous != &Root) previous->Next.push_back(record.get());
    CheckForCycles();
  } catch (...) {
    Unlink();
    throw;
  }
}

// Every walk over the history goes from Root along Next, or back along the
// first of Previous; a cycle would make either endless. Records are taken
// off in the order their predecessors are (Kahn's algorithm): whatever is
// left over lies on or behind a cycle.
void TObjectSet::CheckForCycles() const {
  const auto position = [this](const TDataRecord* record) {
    return static_cast<size_t>(
        std::lower_bound(byId_.begin(), byId_.end(), record->Idtor,
                         [](const auto& entry, int32_t key) { return entry.first < key; }) -
        byId_.begin());
  };
  std::vector<size_t> waiting(byId_.size(), 0);
  std::vector<const TDataRecord*> ready;
  for (const auto& [id, record] : byId_) {
    if (record->Previous.front() == &Root)
      ready.push_back(record);
    else
      waiting[position(record)] = record->Previous.size();
  }
  size_t done = 0;
  while (!ready.empty()) {
    const TDataRecord* record = ready.back();
    ready.pop_back();
    ++done;
    for (const TDataRecord* next : record->Next)
      if (--waiting[position(next)] == 0) ready.push_back(next);
  }
  if (done == byId_.size()) return;
  for (const auto& [id, record] : byId_) {
    if (waiting[position(record)] > 0)
      RaiseSystemError("The history of object " + std::to_string(ObjIdtor) +
                       " has a cycle of predecessor links through record " + std::to_string(id));
  }
}

void TObjectSet::StatesAt(double time, std::vector<std::unique_ptr<TStateTrack>>& tracks) {
  for (const auto& record : Records) {
    if (record->RealTime > time || record->Terminator) continue;
    const bool current = record->Next.empty() ||
                         std::any_of(record->Next.begin(), record->Next.end(),
                                     [time](const auto* next) { return next->RealTime > time; });
    if (!current) continue;
    auto track = std::make_unique<TStateTrack>();
    track->SetPath(*this, record->Idtor, time);
    tracks.push_back(std::move(track));
  }
}

const TDataRecord* TObjectSet::LatestRecordAt(double time) const {
  // The states StatesAt would list, without making a track for each.
  const TDataRecord* latest = nullptr;
  for (const auto& record : Records) {
    if (record->RealTime > time || record->Terminator) continue;
    if (latest && !(record->RealTime > latest->RealTime)) continue;
    const bool current = record->Next.empty() ||
                         std::any_of(record->Next.begin(), record->Next.end(),
                                     [time](const auto* next) { return next->RealTime > time; });
    if (current) latest = record.get();
  }
  return latest;
}

bool TObjectSet::LatestStateAt(double time, TStateTrack& track) {
  const TDataRecord* latest = LatestRecordAt(time);
  if (!latest) {
    track.SetRootPath(*this, time);
    return false;
  }
  return track.SetPath(*this, latest->Idtor, time);
}

void ForEachObjectHistory(TObjectSet& set, const std::function<bool(TObjectSet&)>& visit) {
  TRecordStore* store = TrustedRecordStore();
  if (!store) return;
  store->WalkObjects([&](int32_t id, const std::string& name) {
    set.Clear();
    try {
      set.ObjIdtor = id;
      set.ObjName = name;
      store->GetRecords(id, set);
      set.Link();
    } catch (...) {
      set.Clear();
      throw;
    }
    return visit(set);
  });
}

} // namespace vandro
