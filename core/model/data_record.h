// Data records: one change of one object, and the carrier of a replayed state.
//
// A record holds only the parameter values that changed, its real-world and
// system times, and the identifiers of the records it follows. Loading,
// storing and replaying histories build on these fields.
#pragma once

#include "model/parameter.h"
#include "shell/pool.h"
#include "values/value.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vandro {

// One parameter value inside a record.
class TPVRelation : public TPooled<TPVRelation> {
public:
  const TParameter* Parameter = nullptr; // not owned; none for a placeholder
  TValue Value;
  bool Modified = false;  // set in this record; only modified pairs are stored
  bool Invisible = false; // hidden in views
};

class TDataRecord : public TPooled<TDataRecord> {
public:
  TDataRecord();
  TDataRecord(const TDataRecord&) = delete;
  TDataRecord& operator=(const TDataRecord&) = delete;

  int32_t Idtor = 0; // 0 for the root of a history and for records not yet stored
  std::string RecName;
  int32_t ObjIdtor = 0; // the object's identifier, a multiple of 32
  bool Terminator = false;
  int32_t PrevRecord = 0; // the single preceding record, or 0
  bool PtrArrTag = false; // the record follows the several records in PtrArr
  std::string PtrArr;     // preceding identifiers, each followed by ";"
  double RealTime = 0;    // the real-world moment the record describes
  double SysTime = 0;     // when the record object was made
  int32_t Type = 0;       // the template the record was made with, 0 if none

  std::vector<std::unique_ptr<TPVRelation>> PVs;
  std::vector<TPVRelation*> VisiblePVs; // members of PVs that are not Invisible
  std::vector<TDataRecord*> Previous;   // in the loaded history; not owned
  std::vector<TDataRecord*> Next;       // in the loaded history; not owned
  // Group members of a replayed state; none when the object never had any.
  std::optional<std::vector<TValue::Ptr>> Content;
  std::vector<TValue::Ptr> Added;   // members this record adds to its group
  std::vector<TValue::Ptr> Deleted; // members this record removes

  // Resets every field (SysTime becomes now again).
  void Clear();
  void AddPV(std::unique_ptr<TPVRelation> relation);
  // A new pair for parameter holding a copy of value, appended.
  TPVRelation& AddPV(const TParameter& parameter, const TValue& value, bool modified = true);
  // The first pair whose parameter's name or short name equals name without
  // regard to case; index -1 when none.
  TPVRelation* FindPV(std::string_view name, int* index = nullptr) const;
  // Copies identifiers, times, flags and links, and deep copies of the pairs.
  void Assign(const TDataRecord& source);

  // The value of a parameter of this record, or of a system name computed
  // from its fields. False (and an empty value) for a parameter the record
  // does not hold; true for every system name.
  bool GetSystemValue(std::string_view name, TValue& value) const;
};

} // namespace vandro
