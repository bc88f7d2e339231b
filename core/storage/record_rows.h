// Rows of VD_Records: one data record each (model/data_record.h), its three
// memos packed as model/record_packing.h lays out.
//
// A record is written as one unit of work: its row, its object's group flag
// and the rewritten links of the record it was inserted before are in the
// file together or not at all.
//
// A correction (an update) leaves a trace: the row as it was is copied into
// VD_RecordVersions, with the moment of the correction, in the same unit of
// work, and the record keeps its identifier, its object and its SysTime.
// Read as known at a moment before the correction (model/known_at.h), the
// record is the version current then; a rollback to such a moment brings
// that version back (rollback.h). Bulk writers open a TRecordBatch, which
// commits every so many records and writes the project file once.
#pragma once

#include "model/record_store.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vandro {

class TDataRecord;
class TObjectSet;
class TStorageSession;

// Reads the row into record (cleared first: RecName cut to 32 characters,
// no links, the memos unpacked); false when there is no such row. A damaged
// row raises after a system error. Known at a moment, a record corrected
// after it is read as it was then.
bool APSGetRecord(TDataRecord& record, int32_t id);
// The record's name; empty when there is none.
std::string APSRecordName(int32_t id);
// The object the record belongs to; 0 when there is none.
int32_t APSRecordObject(int32_t id);
// Writes the record: PrevRecord, PtrArrTag and PtrArr from Previous (the
// entries with identifier 0 stand for the root and are left out; a record
// with no Previous list, read alone, keeps the links it has); a new
// identifier unless update; the earliest record time of the project; the
// group flag of its object when it adds members; for a new record that has
// Next entries, the links of the first of them. An update first keeps the
// row as it was (unless nothing changes), leaves the row's SysTime as it is
// and gives it to record. Raises "Object doesn't exist. Id=" when the
// object row is missing and "Record doesn't exist. Id=" when an updated (or
// relinked) row is, or a system error when an updated row belongs to
// another object; nothing is written then.
void APSPutRecord(TDataRecord& record, bool update);
// Sets the set's identifier and name and adds every record of the object in
// storage order, unlinked. False when the object does not exist.
bool APSGetObject(int32_t id, TObjectSet& set);
// Adds the records alone (known at a moment, as they were then).
void APSGetRecords(int32_t objectId, TObjectSet& set);
// Appends the versions a record's corrections superseded, the latest first;
// known at a moment, those of the corrections stored by then.
void APSGetVersions(int32_t recordId, std::vector<TRecordVersion>& versions);
// Calls visit with the identifier and name of every object in ascending
// identifier order until it returns false, a page of objects at a time.
void APSWalkObjects(const std::function<bool(int32_t id, const std::string& name)>& visit);

// While one is open, updates complete records that the same work stored
// moments before (an import setting the references to objects of its later
// lines): they are part of storing those records, not corrections, and keep
// no version.
class TCompletingRecords {
public:
  TCompletingRecords();
  ~TCompletingRecords();
  TCompletingRecords(const TCompletingRecords&) = delete;
  TCompletingRecords& operator=(const TCompletingRecords&) = delete;

private:
  TStorageSession* session_;
};

// Bulk work (many records, and the objects they belong to) in a row:
// everything written while the batch is open is committed every
// rowsPerCommit calls of Stored (and at the end), and the project file is
// written once. A batch left without Finish or Abandon keeps what was
// written; the failing record itself is not written.
class TRecordBatch {
public:
  explicit TRecordBatch(int rowsPerCommit = 10000);
  ~TRecordBatch();
  TRecordBatch(const TRecordBatch&) = delete;
  TRecordBatch& operator=(const TRecordBatch&) = delete;

  // Call after each stored unit (a record, or a line of records that go
  // together); true when this call committed. Raises TStorageFailure when
  // the commit fails.
  bool Stored();
  // Commits and writes the project file now (raises on failure).
  void Finish();
  // Undoes everything written since the last commit and ends the batch:
  // after a failure nothing of the open part is kept half. The project file
  // is still written (its counters only rise).
  void Abandon();

private:
  struct TOpen;
  std::unique_ptr<TOpen> open_;
  int rowsPerCommit_;
  int pending_ = 0;
};

} // namespace vandro
