#include "model/data_record.h"

#include "model/known_at.h"
#include "model/project.h"
#include "model/record_packing.h"
#include "model/record_store.h"
#include "shell/clock.h"
#include "shell/datetime.h"
#include "shell/diagnostics.h"
#include "shell/messages.h"
#include "shell/text.h"

#include <algorithm>
#include <unordered_set>
#include <utility>

namespace vandro {

namespace {

TStoreEvaluator* storeEvaluator = nullptr;

// Depth first over the predecessors, each record once (a damaged history may
// join or even loop), the root of the history left out.
void CollectHistory(const TDataRecord& record, std::unordered_set<const TDataRecord*>& seen,
                    TValue& list) {
  if (!seen.insert(&record).second) return;
  for (const TDataRecord* previous : record.Previous)
    CollectHistory(*previous, seen, list);
  if (record.Idtor != 0) {
    auto item = TValue::Create("TDataRecord.GetSystemValue");
    item->SetText(vkObject, std::to_string(record.Idtor));
    list.AddItem(std::move(item));
  }
}

} // namespace

TDataRecord::TDataRecord() : SysTime(Now()) {}

TDataRecord::TDataRecord(double sysTime) : SysTime(sysTime) {}

void TDataRecord::Clear() {
  Clear(Now());
}

void TDataRecord::Clear(double sysTime) {
  Idtor = 0;
  RecName.clear();
  ObjIdtor = 0;
  Terminator = false;
  PrevRecord = 0;
  PtrArrTag = false;
  PtrArr.clear();
  RealTime = 0;
  SysTime = sysTime;
  Type = 0;
  VisiblePVs.clear();
  PVs.clear();
  Previous.clear();
  Next.clear();
  Content.reset();
  Added.clear();
  Deleted.clear();
  PackedPVs.clear();
  PackedAdded.clear();
  PackedDeleted.clear();
}

void TDataRecord::AddPV(std::unique_ptr<TPVRelation> relation) {
  // Records are built a pair at a time by the million (stores, imports):
  // room for a typical record at once instead of growing 1, 2, 4, 8.
  constexpr size_t kTypicalPairs = 8;
  if (PVs.capacity() == 0) PVs.reserve(kTypicalPairs);
  if (VisiblePVs.capacity() == 0) VisiblePVs.reserve(kTypicalPairs);
  if (!relation->Invisible) VisiblePVs.push_back(relation.get());
  PVs.push_back(std::move(relation));
}

TPVRelation& TDataRecord::AddPV(const TParameter& parameter, const TValue& value, bool modified) {
  NoteCreation("TPVRelation", "TDataRecord.AddPV");
  auto relation = std::make_unique<TPVRelation>();
  relation->Parameter = &parameter;
  relation->Value.Assign(value);
  relation->Modified = modified;
  TPVRelation& added = *relation;
  AddPV(std::move(relation));
  return added;
}

TPVRelation* TDataRecord::FindPV(std::string_view name, int* index) const {
  for (size_t i = 0; i < PVs.size(); ++i) {
    const TParameter* parameter = PVs[i]->Parameter;
    if (parameter &&
        (SameText(parameter->ParamName, name) || SameText(parameter->ShortName, name))) {
      if (index) *index = static_cast<int>(i);
      return PVs[i].get();
    }
  }
  if (index) *index = -1;
  return nullptr;
}

void TDataRecord::RemovePV(size_t index) {
  if (index >= PVs.size()) return;
  const TPVRelation* removed = PVs[index].get();
  std::erase(VisiblePVs, removed);
  PVs.erase(PVs.begin() + static_cast<std::ptrdiff_t>(index));
}

void TDataRecord::RebuildVisiblePVs() {
  VisiblePVs.clear();
  for (const auto& pair : PVs)
    if (!pair->Invisible) VisiblePVs.push_back(pair.get());
}

void TDataRecord::Assign(const TDataRecord& source) {
  if (&source == this) return;
  Clear();
  Idtor = source.Idtor;
  RecName = source.RecName;
  ObjIdtor = source.ObjIdtor;
  Terminator = source.Terminator;
  PrevRecord = source.PrevRecord;
  PtrArrTag = source.PtrArrTag;
  PtrArr = source.PtrArr;
  RealTime = source.RealTime;
  SysTime = source.SysTime;
  Type = source.Type;
  for (const auto& pair : source.PVs) {
    NoteCreation("TPVRelation", "TDataRecord.Assign");
    auto copy = std::make_unique<TPVRelation>();
    copy->Parameter = pair->Parameter;
    copy->Value.Assign(pair->Value);
    copy->Modified = pair->Modified;
    copy->Invisible = pair->Invisible;
    AddPV(std::move(copy));
  }
}

bool TDataRecord::GetSystemValue(std::string_view name, TValue& value) const {
  const std::string upper = UpperCase(name);
  if (!IsSystemName(upper)) {
    const TParameter* parameter =
        CurrentProject() ? CurrentProject()->FindParameter(upper) : nullptr;
    const TPVRelation* pair = parameter ? FindPV(parameter->ParamName) : nullptr;
    if (!pair) {
      value.Clear();
      return false;
    }
    value.Assign(pair->Value);
    return true;
  }
  if (upper == "PROJECT") return true;
  value.Clear();
  if (upper == "_OBJECT_ID") {
    value.SetPlain(std::to_string(ObjIdtor));
  } else if (upper == "_OBJECT_NAME") {
    value.SetPlain(CurrentProject() ? CurrentProject()->ObjectName(ObjIdtor) : std::string());
  } else if (upper == "_RECORD_ID") {
    value.SetPlain(std::to_string(Idtor));
  } else if (upper == "_RECORD_NAME") {
    value.SetPlain(RecName);
  } else if (upper == "_REAL_TIME") {
    value.SetPlain(DateTimeToText(RealTime));
  } else if (upper == "_SYSTEM_TIME") {
    value.SetPlain(DateTimeToText(SysTime));
  } else if (upper == "_PARAM_COUNT") {
    value.SetPlain(std::to_string(PVs.size()));
  } else if (upper == "_HISTORY") {
    value.SetArray();
    std::unordered_set<const TDataRecord*> seen;
    CollectHistory(*this, seen, value);
  } else if (upper == "_CONTENT") {
    if (Content) {
      value.SetArray();
      for (const auto& member : *Content)
        value.AddItem(member->Clone("TDataRecord.GetSystemValue"));
    }
  } else if (upper == "_CONTENT_COUNT") {
    value.SetPlain(std::to_string(Content ? Content->size() : 0));
  }
  return true;
}

bool TDataRecord::Load(int32_t id) {
  TRecordStore* store = OpenRecordStore();
  if (!store || !store->GetRecord(*this, id)) return false;
  if (KnownNow(SysTime)) return true;
  Clear(0);
  return false;
}

void TDataRecord::Store(TDataRecord* previousState, bool update) {
  TRecordStore& store = RequireRecordStore();
  if (KnownAt()) RaiseError(kNothingStoredInThePast);
  // Every auto formula is evaluated before any is replaced, so that a failure
  // leaves the record as the caller built it.
  std::vector<std::pair<TPVRelation*, TValue::Ptr>> results;
  for (const auto& pair : PVs) {
    if (!pair->Parameter || !pair->Modified || !pair->Value.IsAutoFormula()) continue;
    if (!storeEvaluator) RaiseError(kNoStoreEvaluator);
    auto result = TValue::Create("TDataRecord.Store");
    if (!storeEvaluator->Evaluate(*pair, previousState, *this, *result) || result->IsError())
      RaiseError("Can't evaluate the value of " + pair->Parameter->ParamName + ":" + kLineBreak +
                 result->Text());
    results.emplace_back(pair.get(), std::move(result));
  }
  for (auto& [pair, result] : results)
    pair->Value.Assign(*result);
  for (size_t i = PVs.size(); i-- > 0;)
    if (!PVs[i]->Parameter || !PVs[i]->Modified) RemovePV(i);
  store.PutRecord(*this, update);
}

void TDataRecord::StoreBetween(TDataRecord* previousState, TDataRecord* predecessor,
                               TDataRecord* successor) {
  Next.clear();
  if (!successor) {
    Store(previousState, false);
    return;
  }
  // The successor's links are written from its Previous list, where this
  // record stands in for the predecessor while it is stored.
  const auto slot = std::find(successor->Previous.begin(), successor->Previous.end(), predecessor);
  if (!predecessor || slot == successor->Previous.end()) RaiseSystemError("incorrect path");
  Next.assign(1, successor);
  struct TRestore {
    TDataRecord*& slot;
    TDataRecord* was;
    ~TRestore() { slot = was; }
  } restore{*slot, predecessor};
  *slot = this;
  Store(previousState, false);
}

TStoreEvaluator* SetStoreEvaluator(TStoreEvaluator* evaluator) {
  return std::exchange(storeEvaluator, evaluator);
}

void TDataRecord::PackPVs() {
  std::string pairs = PackPairs(PVs);
  std::string added = PackMembers(Added);
  std::string deleted = PackMembers(Deleted);
  PackedPVs = std::move(pairs);
  PackedAdded = std::move(added);
  PackedDeleted = std::move(deleted);
}

void TDataRecord::UnpackPVs() {
  UnpackPVs(PackedPVs, PackedAdded, PackedDeleted, TParameterIndex(CurrentProject()));
}

void TDataRecord::UnpackPVs(std::string_view pvs, std::string_view added, std::string_view deleted,
                            const TParameterIndex& index) {
  VisiblePVs.clear();
  PVs.clear();
  Added.clear();
  Deleted.clear();
  try {
    UnpackPairs(pvs, Idtor, index, *this);
    UnpackMembers(added, Idtor, "CntAdded", Added);
    UnpackMembers(deleted, Idtor, "CntDeleted", Deleted);
  } catch (...) {
    VisiblePVs.clear();
    PVs.clear();
    Added.clear();
    Deleted.clear();
    throw;
  }
}

} // namespace vandro
