// Where the records of a project backed by files are read and written.
//
// The model does not know how rows are kept: the storage layer implements
// this interface (storage/record_rows.h) and hands it out through
// TProjectStore::Records(). A project in memory has none, so its records can
// be built and replayed but not loaded or stored.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vandro {

class TDataRecord;
class TObjectSet;
class TProject;

// A record as it was before a correction replaced it, and the moment
// (system time) the correction was stored.
struct TRecordVersion {
  double superseded = 0;
  std::unique_ptr<TDataRecord> record; // unpacked, unlinked
};

class TRecordStore {
public:
  virtual ~TRecordStore() = default;

  // Reads the row with this identifier into record and unpacks its memos;
  // false when there is none.
  virtual bool GetRecord(TDataRecord& record, int32_t id) = 0;
  // Sets the set's ObjIdtor and ObjName and appends every record of the
  // object, unpacked but not yet linked; false when the object does not
  // exist.
  virtual bool GetObject(int32_t objectId, TObjectSet& set) = 0;
  // Writes the record as one unit of work: links from Previous, a new
  // identifier unless update, the packed memos, the object's group flag, and
  // the links of the first following record of a record inserted before
  // others.
  virtual void PutRecord(TDataRecord& record, bool update) = 0;
  // The object a record belongs to; 0 when there is no such record.
  virtual int32_t RecordObject(int32_t recordId) = 0;
  // The object of that name, without regard to case; 0 when there is none.
  virtual int32_t FindObject(const std::string& name) = 0;
  // Appends every record of the object to the set, unpacked, unlinked.
  virtual void GetRecords(int32_t objectId, TObjectSet& set) = 0;
  // How many objects (and groups) there are.
  virtual int64_t ObjectCount() = 0;
  // Object identifiers in ascending order: false at either end.
  virtual bool FirstObject(int32_t& id) = 0;
  virtual bool NextObject(int32_t& id) = 0;
  // Calls visit with the identifier and name of every object, in ascending
  // identifier order, until it returns false. No statement is left open
  // while visit runs, so it may read and write the project.
  virtual void
  WalkObjects(const std::function<bool(int32_t id, const std::string& name)>& visit) = 0;
  // The earlier versions of a record known at the moment set
  // (model/known_at.h), the latest correction first; none where
  // corrections keep no versions.
  virtual void GetVersions(int32_t recordId, std::vector<TRecordVersion>& versions) {
    (void)recordId;
    (void)versions;
  }
};

// The record store of the open project; nullptr when none is open or it has
// no files behind it.
TRecordStore* OpenRecordStore();
// The same, raising a system error when there is none.
TRecordStore& RequireRecordStore();

} // namespace vandro
