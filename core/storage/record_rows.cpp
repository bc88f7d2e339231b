#include "storage/record_rows.h"

#include "model/data_record.h"
#include "model/object_set.h"
#include "model/record_packing.h"
#include "model/record_store.h"
#include "shell/messages.h"
#include "storage/access.h"
#include "storage/objects.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace vandro {

namespace {

constexpr size_t kRecordNameCapacity = 32;

constexpr const char* kSelectColumns =
    "SELECT Idtor, RecName, ObjIdtor, Terminator, PrevRecord, PtrArrTag, PtrArr, RealTime, "
    "SysTime, Type, CntAdded, CntDeleted, PVs FROM VD_Records ";

std::string Columns(const char* condition) {
  return std::string(kSelectColumns) + condition;
}

int32_t Identifier(const TQuery& query, int column) {
  const int64_t value = query.Int(column);
  if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max())
    RaiseSystemError("Damaged record row: the identifier " + std::to_string(value) +
                     " is out of range");
  return static_cast<int32_t>(value);
}

// One row of kSelectColumns into record, memos unpacked.
void ReadRow(const TQuery& query, TDataRecord& record, const TParameterIndex& parameters) {
  record.Clear();
  record.Idtor = Identifier(query, 0);
  record.RecName = query.Text(1);
  if (record.RecName.size() > kRecordNameCapacity) record.RecName.resize(kRecordNameCapacity);
  record.ObjIdtor = Identifier(query, 2);
  record.Terminator = query.Int(3) == 1;
  record.PrevRecord = Identifier(query, 4);
  record.PtrArrTag = query.Int(5) == 1;
  record.PtrArr = query.Text(6);
  record.RealTime = query.Real(7);
  record.SysTime = query.Real(8);
  record.Type = Identifier(query, 9);
  record.PackedAdded = query.Blob(10);
  record.PackedDeleted = query.Blob(11);
  record.PackedPVs = query.Blob(12);
  record.UnpackPVs(parameters);
}

// The stored identifiers of the records in a Previous list, each once; the
// root (identifier 0) is no record.
std::vector<int32_t> PredecessorIds(const std::vector<TDataRecord*>& previous) {
  std::vector<int32_t> ids;
  for (const TDataRecord* record : previous)
    if (record->Idtor != 0 && std::find(ids.begin(), ids.end(), record->Idtor) == ids.end())
      ids.push_back(record->Idtor);
  return ids;
}

bool ObjectExists(TDatabase& database, int32_t id) {
  auto query = database.Query("SELECT 1 FROM VD_Objects WHERE ObjIdtor = ?");
  query.Bind(id);
  return query.Step();
}

bool RecordExists(TDatabase& database, int32_t id) {
  auto query = database.Query("SELECT 1 FROM VD_Records WHERE Idtor = ?");
  query.Bind(id);
  return query.Step();
}

void InsertRow(TDatabase& database, const TDataRecord& record, const std::string& name) {
  database
      .Query("INSERT INTO VD_Records (Idtor, RecName, ObjIdtor, Terminator, PrevRecord, PtrArrTag, "
             "PtrArr, RealTime, SysTime, Type, CntAdded, CntDeleted, PVs) "
             "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
      .Bind(record.Idtor, name, record.ObjIdtor, record.Terminator, record.PrevRecord,
            record.PtrArrTag, record.PtrArr, record.RealTime, record.SysTime, record.Type,
            TBlob{record.PackedAdded}, TBlob{record.PackedDeleted}, TBlob{record.PackedPVs})
      .Run();
}

void UpdateRow(TDatabase& database, const TDataRecord& record, const std::string& name) {
  database
      .Query("UPDATE VD_Records SET RecName = ?, ObjIdtor = ?, Terminator = ?, PrevRecord = ?, "
             "PtrArrTag = ?, PtrArr = ?, RealTime = ?, SysTime = ?, Type = ?, CntAdded = ?, "
             "CntDeleted = ?, PVs = ? WHERE Idtor = ?")
      .Bind(name, record.ObjIdtor, record.Terminator, record.PrevRecord, record.PtrArrTag,
            record.PtrArr, record.RealTime, record.SysTime, record.Type, TBlob{record.PackedAdded},
            TBlob{record.PackedDeleted}, TBlob{record.PackedPVs}, record.Idtor)
      .Run();
}

// A record inserted before following: following now comes after the new
// record instead of the one the new record follows. links receives what to
// keep in memory once the write is committed.
void RelinkFollowing(TDatabase& database, const TDataRecord& inserted, const TDataRecord& following,
                     TDataRecord& links) {
  if (following.PtrArrTag)
    SetPredecessors(links, PredecessorIds(following.Previous));
  else
    SetPredecessors(links, {inserted.Idtor});
  database
      .Query("UPDATE VD_Records SET PrevRecord = ?, PtrArrTag = ?, PtrArr = ? "
             "WHERE Idtor = ? AND ObjIdtor = ?")
      .Bind(links.PrevRecord, links.PtrArrTag, links.PtrArr, following.Idtor, inserted.ObjIdtor)
      .Run();
  if (database.Changes() != 1)
    RaiseSystemError("Record doesn't exist. Id=" + std::to_string(following.Idtor));
}

class TRecordRows final : public TRecordStore {
public:
  bool GetRecord(TDataRecord& record, int32_t id) override { return APSGetRecord(record, id); }
  bool GetObject(int32_t objectId, TObjectSet& set) override { return APSGetObject(objectId, set); }
  void PutRecord(TDataRecord& record, bool update) override { APSPutRecord(record, update); }
  int32_t RecordObject(int32_t recordId) override { return APSRecordObject(recordId); }
  bool FirstObject(int32_t& id) override { return APSFirstObject(id); }
  bool NextObject(int32_t& id) override { return APSNextObject(id); }
};

} // namespace

// The session's records are these rows (declared with the session).
TRecordStore* TStorageSession::Records() {
  static TRecordRows rows;
  return &rows;
}

bool APSGetRecord(TDataRecord& record, int32_t id) {
  TDatabase& database = APSDatabase();
  const TParameterIndex parameters(CurrentProject());
  static const std::string sql = Columns("WHERE Idtor = ?");
  return Guarded([&] {
    auto query = database.Query(sql.c_str());
    query.Bind(id);
    if (!query.Step()) return false;
    ReadRow(query, record, parameters);
    return true;
  });
}

std::string APSRecordName(int32_t id) {
  TDatabase& database = APSDatabase();
  return Guarded([&] {
    auto query = database.Query("SELECT RecName FROM VD_Records WHERE Idtor = ?");
    query.Bind(id);
    return query.Step() ? query.Text(0).substr(0, kRecordNameCapacity) : std::string();
  });
}

int32_t APSRecordObject(int32_t id) {
  TDatabase& database = APSDatabase();
  return Guarded([&] {
    auto query = database.Query("SELECT ObjIdtor FROM VD_Records WHERE Idtor = ?");
    query.Bind(id);
    return query.Step() ? Identifier(query, 0) : 0;
  });
}

bool APSGetObject(int32_t id, TObjectSet& set) {
  TDatabase& database = APSDatabase();
  const std::string name = APSObjectName(id);
  if (name.empty()) return false;
  set.ObjIdtor = id;
  set.ObjName = name;
  const TParameterIndex parameters(CurrentProject());
  static const std::string sql = Columns("WHERE ObjIdtor = ?");
  Guarded([&] {
    auto query = database.Query(sql.c_str());
    query.Bind(id);
    while (query.Step()) {
      auto record = std::make_unique<TDataRecord>();
      ReadRow(query, *record, parameters);
      set.AddRecord(std::move(record));
    }
  });
  return true;
}

void APSPutRecord(TDataRecord& record, bool update) {
  TStorageSession& session = RequireSession();
  TDatabase& database = session.Database;
  // A record read alone (not through its history) has no Previous list and
  // keeps the links it was read with.
  if (!record.Previous.empty()) SetPredecessors(record, PredecessorIds(record.Previous));
  // Packing first: a value that cannot be stored uses up no identifier.
  record.PackPVs();
  std::string name = record.RecName.substr(0, kRecordNameCapacity);
  TDataRecord* following = !update && !record.Next.empty() ? record.Next.front() : nullptr;
  const int32_t givenId = record.Idtor;
  try {
    Guarded([&] {
      TTransaction transaction(database);
      if (!ObjectExists(database, record.ObjIdtor))
        RaiseSystemError("Object doesn't exist. Id=" + std::to_string(record.ObjIdtor));
      if (update) {
        if (!RecordExists(database, record.Idtor))
          RaiseSystemError("Record doesn't exist. Id=" + std::to_string(record.Idtor));
        UpdateRow(database, record, name);
      } else {
        record.Idtor = APSNewId();
        InsertRow(database, record, name);
      }
      if (!record.Added.empty())
        database.Query("UPDATE VD_Objects SET GroupTag = 1 WHERE ObjIdtor = ?")
            .Bind(record.ObjIdtor)
            .Run();
      TDataRecord links;
      if (following) RelinkFollowing(database, record, *following, links);
      transaction.Commit();
      if (following) {
        following->PrevRecord = links.PrevRecord;
        following->PtrArrTag = links.PtrArrTag;
        following->PtrArr = links.PtrArr;
      }
    });
  } catch (...) {
    record.Idtor = givenId;
    throw;
  }
  session.Project->NoteRecordTime(record.RealTime);
}

TRecordBatch::TRecordBatch(int rowsPerCommit)
    : session_(RequireSession()), deferred_(session_), rowsPerCommit_(std::max(rowsPerCommit, 1)) {
  Guarded([&] { transaction_ = std::make_unique<TTransaction>(session_.Database, false); });
}

TRecordBatch::~TRecordBatch() {
  // TTransaction keeps and commits what was written (a batch).
  try {
    transaction_.reset();
  } catch (...) {
    // Nothing is left to do: the engine has rolled back on its own.
  }
}

void TRecordBatch::Stored() {
  if (++pending_ < rowsPerCommit_) return;
  pending_ = 0;
  Guarded([&] {
    transaction_->Commit();
    transaction_ = std::make_unique<TTransaction>(session_.Database, false);
  });
}

void TRecordBatch::Finish() {
  if (transaction_) {
    Guarded([&] { transaction_->Commit(); });
    transaction_.reset();
  }
  deferred_.Finish();
}

} // namespace vandro
