// The memos of a record row: PVs, CntAdded and CntDeleted.
//
// Each memo starts with a 3-byte header holding its whole length L (header
// included) as a 24-bit big-endian number, so an empty memo is the three
// bytes 0 0 3. After the header:
//   PVs                    per pair: the parameter's Idtor in decimal, ":",
//                          then the value's packed form (value_text.h),
//                          which carries its own 16-bit length
//   CntAdded, CntDeleted   per member: its identifier in decimal, then ";"
// Rows come from a file that may be damaged: every read is bounded by the
// memo, and anything that does not fit the layout is reported with the
// system-error prefix, naming the record, the memo and the position.
#pragma once

#include "values/value.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vandro {

class TDataRecord;
class TPVRelation;
class TProject;
struct TParameter;

inline constexpr size_t kMemoHeaderSize = 3;
inline constexpr size_t kMaxMemoLength = 0xFFFFFF;

// The project's parameters by identifier, for unpacking many rows.
class TParameterIndex {
public:
  explicit TParameterIndex(const TProject* project);
  // nullptr when no parameter has the identifier (it was deleted).
  const TParameter* Find(int32_t id) const;

private:
  std::vector<std::pair<int32_t, const TParameter*>> byId_;
};

// Raise "Record is too long to store" (shown first) past kMaxMemoLength, and
// for a member that is not an object reference "Invalid value type. An
// object expected.".
std::string PackPairs(const std::vector<std::unique_ptr<TPVRelation>>& pairs);
std::string PackMembers(const std::vector<TValue::Ptr>& members);

// Append to record.PVs (without touching what is there) and to members. A
// pair whose parameter no longer exists keeps a null Parameter. recordId
// and memoName only name the place of a fault in its message.
void UnpackPairs(std::string_view memo, int32_t recordId, const TParameterIndex& parameters,
                 TDataRecord& record);
void UnpackMembers(std::string_view memo, int32_t recordId, std::string_view memoName,
                   std::vector<TValue::Ptr>& members);

// PtrArr: identifiers each followed by ";". The invariant of predecessors
// (none, one in PrevRecord, or two and more in PtrArr) is kept by
// SetPredecessors.
std::string PtrArrText(const std::vector<int32_t>& ids);
// False when the text is not such a list (ids is then unspecified).
bool ParsePtrArr(std::string_view text, std::vector<int32_t>& ids);
void SetPredecessors(TDataRecord& record, const std::vector<int32_t>& ids);

} // namespace vandro
