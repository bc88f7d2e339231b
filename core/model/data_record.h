// Data records: one change of one object, and the carrier of a replayed state.
//
// A record holds only the parameter values that changed, its real-world and
// system times, and the identifiers of the records it follows. Loading,
// storing and replaying histories build on these fields: object_set.h loads
// an object's records and links them into a graph, state_track.h replays a
// path through that graph, record_packing.h has the layout of the memos.
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

class TParameterIndex;

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
  // A record whose SysTime is given: one about to receive a stored row (or a
  // replayed state) needs no reading of the clock.
  explicit TDataRecord(double sysTime);
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
  // The memos PVs, CntAdded and CntDeleted as written (record_packing.h):
  // filled by PackPVs, read by UnpackPVs().
  std::string PackedPVs, PackedAdded, PackedDeleted;

  // Resets every field (SysTime becomes now again).
  void Clear();
  // The same with SysTime given.
  void Clear(double sysTime);
  void AddPV(std::unique_ptr<TPVRelation> relation);
  // A new pair for parameter holding a copy of value, appended.
  TPVRelation& AddPV(const TParameter& parameter, const TValue& value, bool modified = true);
  // The first pair whose parameter's name or short name equals name without
  // regard to case; index -1 when none.
  TPVRelation* FindPV(std::string_view name, int* index = nullptr) const;
  // Removes the pair at index from PVs and VisiblePVs.
  void RemovePV(size_t index);
  // VisiblePVs again from PVs: every pair that is not Invisible.
  void RebuildVisiblePVs();
  // Copies identifiers, times, flags and links, and deep copies of the pairs.
  void Assign(const TDataRecord& source);

  // Reads the stored record with this identifier; false when there is none
  // (or the project has no records behind it, or the record was stored
  // after the moment the project is read as known at). A damaged row raises.
  bool Load(int32_t id);
  // Evaluates the modified auto formulas (previousState as the context, this
  // record as the one being built), drops the pairs that are not to be
  // stored, and writes the record: a new one with a new identifier, or the
  // row with this Idtor when update is set. An auto formula that fails to
  // evaluate raises and nothing is written: its error would otherwise be
  // stored as if it were the value. While the project is read as known at a
  // moment (model/known_at.h) it raises and writes nothing.
  void Store(TDataRecord* previousState, bool update);
  // Stores this new record after predecessor (a record of a loaded history,
  // named first in Previous) and, when successor is one of predecessor's
  // following records, before it: the successor's stored links then name
  // this record. The loaded history is left as it was. The one placement
  // every writer uses.
  void StoreBetween(TDataRecord* previousState, TDataRecord* predecessor, TDataRecord* successor);
  // The three memos from PVs, Added and Deleted; raises (nothing changed)
  // when a value or a member cannot be stored.
  void PackPVs();
  // PVs, Added and Deleted from the three memos. A damaged memo is reported
  // with the system-error prefix and raises; the record is then left without
  // pairs and members.
  void UnpackPVs();
  // The same from the memos given (a row as it is read, which need not be
  // kept), with the parameters looked up in index (loading many rows).
  void UnpackPVs(std::string_view pvs, std::string_view added, std::string_view deleted,
                 const TParameterIndex& index);

  // One row of a table export: the object name (with "(version)" when
  // version > 0), the real time, and the value of each column in this
  // state. Parameters not yet among columns are appended to it.
  std::string ExportAsTblStr(std::vector<std::string>& columns, std::string_view separator,
                             std::string_view objectName, int version = 0) const;

  // The value of a parameter of this record, or of a system name computed
  // from its fields. False (and an empty value) for a parameter the record
  // does not hold; true for every system name.
  bool GetSystemValue(std::string_view name, TValue& value) const;
};

// What evaluates the auto formulas of a record being stored: the language
// sits above the records, so it installs this (language/record_evaluation.h).
// Without one, storing a record that holds a modified auto formula fails.
class TStoreEvaluator {
public:
  virtual ~TStoreEvaluator() = default;
  // The value of the pair's auto formula, with previousState as the context
  // and record as the record being built. False, with the error value in
  // result, when it fails.
  virtual bool Evaluate(const TPVRelation& pair, TDataRecord* previousState, TDataRecord& record,
                        TValue& result) = 0;
};

// Installs evaluator (nullptr uninstalls); returns the previous one.
TStoreEvaluator* SetStoreEvaluator(TStoreEvaluator* evaluator);

inline constexpr const char* kNoStoreEvaluator =
    "Formulas can't be evaluated: the language is not loaded";

} // namespace vandro
