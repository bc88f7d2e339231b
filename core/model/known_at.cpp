#include "model/known_at.h"

#include "model/object_set.h"
#include "model/record_packing.h"
#include "shell/datetime.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace vandro {

namespace {

std::optional<double> knownAt;

std::vector<int32_t> PredecessorIds(const TDataRecord& record) {
  std::vector<int32_t> ids;
  if (record.PtrArrTag) {
    // A damaged list is reported by the linking that follows, not here.
    if (!ParsePtrArr(record.PtrArr, ids)) ids.clear();
  } else if (record.PrevRecord != 0) {
    ids.push_back(record.PrevRecord);
  }
  return ids;
}

using TLeftOut = std::unordered_map<int32_t, std::vector<int32_t>>;

// The predecessors id stands for once the left-out records are gone: itself
// when it is kept, else (depth first) what the left-out record followed.
// seen keeps a damaged loop among left-out records from going on forever.
void KeptPredecessors(int32_t id, const TLeftOut& leftOut, std::unordered_set<int32_t>& seen,
                      std::vector<int32_t>& ids) {
  const auto found = leftOut.find(id);
  if (found == leftOut.end()) {
    if (std::find(ids.begin(), ids.end(), id) == ids.end()) ids.push_back(id);
    return;
  }
  if (!seen.insert(id).second) return;
  for (int32_t previous : found->second)
    KeptPredecessors(previous, leftOut, seen, ids);
}

} // namespace

std::optional<double> KnownAt() {
  return knownAt;
}

TKnownAtScope::TKnownAtScope(std::optional<double> moment) : previous_(knownAt) {
  knownAt = moment;
}

TKnownAtScope::~TKnownAtScope() {
  knownAt = previous_;
}

bool KnownNow(double sysTime) {
  return !knownAt || !(sysTime > *knownAt);
}

std::optional<double> PastMoment(double picked, double now) {
  // The picker shows whole seconds, and a moment read back from it may fall
  // a hair short of the second it shows: within the second of now is now.
  constexpr double kSecondsPerDay = 86400;
  if (std::llround(picked * kSecondsPerDay) >=
      std::llround(std::floor(now * kSecondsPerDay + 1e-3)))
    return std::nullopt;
  return picked;
}

std::string AsKnownAtText(std::optional<double> moment) {
  return moment ? ", as known at " + DateTimeToText(*moment) : std::string();
}

void CutToKnownAt(TObjectSet& set) {
  set.KnownAt = knownAt;
  if (!knownAt) return;
  auto& records = set.Records;
  // Most histories were complete long before any moment one asks about.
  if (std::all_of(records.begin(), records.end(),
                  [](const auto& record) { return KnownNow(record->SysTime); }))
    return;
  TLeftOut leftOut;
  for (const auto& record : records)
    if (!KnownNow(record->SysTime)) leftOut.emplace(record->Idtor, PredecessorIds(*record));
  std::erase_if(records, [](const auto& record) { return !KnownNow(record->SysTime); });
  std::vector<int32_t> ids;
  for (const auto& record : records) {
    const std::vector<int32_t> named = PredecessorIds(*record);
    if (std::none_of(named.begin(), named.end(), [&](int32_t id) { return leftOut.contains(id); }))
      continue;
    ids.clear();
    std::unordered_set<int32_t> seen;
    for (int32_t id : named)
      KeptPredecessors(id, leftOut, seen, ids);
    SetPredecessors(*record, ids);
  }
}

} // namespace vandro
