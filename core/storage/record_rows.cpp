#include "storage/record_rows.h"

#include "model/data_record.h"
#include "model/known_at.h"
#include "model/object_set.h"
#include "model/record_packing.h"
#include "model/record_store.h"
#include "shell/clock.h"
#include "shell/datetime.h"
#include "shell/messages.h"
#include "storage/access.h"
#include "storage/database.h"
#include "storage/objects.h"
#include "storage/schema.h"
#include "storage/session.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <unordered_map>
#include <vector>

namespace vandro {

namespace {

constexpr size_t kRecordNameCapacity = 32;
constexpr size_t kObjectNameCapacity = 32;

constexpr const char* kSelectColumns =
    "SELECT Idtor, RecName, ObjIdtor, Terminator, PrevRecord, PtrArrTag, PtrArr, RealTime, "
    "SysTime, Type, CntAdded, CntDeleted, PVs FROM VD_Records ";

// The same columns of a version, in the same places, and when it was
// superseded after them.
constexpr const char* kSelectVersionColumns =
    "SELECT Idtor, RecName, ObjIdtor, Terminator, PrevRecord, PtrArrTag, PtrArr, RealTime, "
    "SysTime, Type, CntAdded, CntDeleted, PVs, Superseded FROM VD_RecordVersions ";
constexpr int kSupersededColumn = 13;

std::string Columns(const char* condition) {
  return std::string(kSelectColumns) + condition;
}

std::string VersionColumns(const char* condition) {
  return std::string(kSelectVersionColumns) + condition;
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
  record.Clear(0);
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
  // A time no date text can show (another tool's write, a damaged file)
  // would place the record anywhere in its history and print as nonsense.
  if (!HasDateText(record.RealTime) || !HasDateText(record.SysTime))
    RaiseError("Record " + std::to_string(record.Idtor) + " has an invalid time");
  record.Type = Identifier(query, 9);
  // Unpacked where SQLite holds the row: a loaded record keeps its values,
  // not the memos they came in.
  record.UnpackPVs(query.BlobView(12), query.BlobView(10), query.BlobView(11), parameters);
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

// Whether the object has a row. The program never deletes objects, so an
// object once found stays found until written rows are undone (its row may
// have been one of them): records stored one after another for the same
// object look it up once.
bool ObjectKnown(TStorageSession& session, int32_t id) {
  TStorageSession::TFoundObject& found = session.LastObjectFound;
  if (id != 0 && id == found.id && found.rollbacks == session.Database.Rollbacks()) return true;
  if (!ObjectExists(session.Database, id)) return false;
  found = {id, session.Database.Rollbacks()};
  return true;
}

// One statement, so that a record written alone needs no savepoint of its
// own.
void InsertRow(TDatabase& database, const TDataRecord& record, const std::string& name) {
  database
      .Query("INSERT INTO VD_Records (Idtor, RecName, ObjIdtor, Terminator, PrevRecord, PtrArrTag, "
             "PtrArr, RealTime, SysTime, Type, CntAdded, CntDeleted, PVs) "
             "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
      .Bind(record.Idtor, TLastingText{name}, record.ObjIdtor, record.Terminator, record.PrevRecord,
            record.PtrArrTag, TLastingText{record.PtrArr}, record.RealTime, record.SysTime,
            record.Type, TBlob{record.PackedAdded, true}, TBlob{record.PackedDeleted, true},
            TBlob{record.PackedPVs, true})
      .Run();
}

// A correction: the record keeps its identifier, its object and SysTime,
// the moment it was first stored.
void UpdateRow(TDatabase& database, const TDataRecord& record, const std::string& name) {
  database
      .Query("UPDATE VD_Records SET RecName = ?, Terminator = ?, PrevRecord = ?, "
             "PtrArrTag = ?, PtrArr = ?, RealTime = ?, Type = ?, CntAdded = ?, "
             "CntDeleted = ?, PVs = ? WHERE Idtor = ?")
      .Bind(TLastingText{name}, record.Terminator, record.PrevRecord, record.PtrArrTag,
            TLastingText{record.PtrArr}, record.RealTime, record.Type,
            TBlob{record.PackedAdded, true}, TBlob{record.PackedDeleted, true},
            TBlob{record.PackedPVs, true}, record.Idtor)
      .Run();
}

// Before a correction: copies the row as it is into VD_RecordVersions,
// superseded now, unless the correction changes nothing of it or completes
// a record just stored (TCompletingRecords). Returns the row's SysTime.
// Raises when the row is missing or belongs to another object.
double KeepVersion(TStorageSession& session, const TDataRecord& record, const std::string& name) {
  TDatabase& database = session.Database;
  auto row = database.Query(
      "SELECT SysTime, ObjIdtor, (RecName IS ? AND Terminator IS ? AND PrevRecord IS ? AND "
      "PtrArrTag IS ? AND PtrArr IS ? AND RealTime IS ? AND Type IS ? AND CntAdded IS ? AND "
      "CntDeleted IS ? AND PVs IS ?) FROM VD_Records WHERE Idtor = ?");
  row.Bind(TLastingText{name}, record.Terminator, record.PrevRecord, record.PtrArrTag,
           TLastingText{record.PtrArr}, record.RealTime, record.Type,
           TBlob{record.PackedAdded, true}, TBlob{record.PackedDeleted, true},
           TBlob{record.PackedPVs, true}, record.Idtor);
  if (!row.Step()) RaiseSystemError("Record doesn't exist. Id=" + std::to_string(record.Idtor));
  const double sysTime = row.Real(0);
  if (row.Int(1) != record.ObjIdtor)
    RaiseSystemError("Record " + std::to_string(record.Idtor) + " belongs to object " +
                     std::to_string(row.Int(1)) + ", not to object " +
                     std::to_string(record.ObjIdtor));
  if (row.Int(2) == 1 || session.CompletingRecords > 0) return sysTime;
  database
      .Query("INSERT INTO VD_RecordVersions (Idtor, Superseded, RecName, ObjIdtor, Terminator, "
             "PrevRecord, PtrArrTag, PtrArr, RealTime, SysTime, Type, CntAdded, CntDeleted, PVs) "
             "SELECT Idtor, ?, RecName, ObjIdtor, Terminator, PrevRecord, PtrArrTag, PtrArr, "
             "RealTime, SysTime, Type, CntAdded, CntDeleted, PVs FROM VD_Records WHERE Idtor = ?")
      .Bind(Now(), record.Idtor)
      .Run();
  session.VersionRows = true;
  return sysTime;
}

// A record inserted before following: following now comes after the new
// record instead of the one the new record follows. links receives what to
// keep in memory once the write is committed. No version is kept of the
// links rewritten here: the inserted record names the ones they replace, so
// the project known before it and a rollback past it restore them from it
// (model/known_at.h, rollback.h).
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

// One record's unit of work. The same as a TTransaction, but its
// statements are prepared once and kept: bulk writing stores records by the
// million, and parsing the savepoint statements anew for each would cost as
// much as writing the row.
class TRecordSavepoint {
public:
  explicit TRecordSavepoint(TDatabase& database) : database_(database) {
    database_.Query("SAVEPOINT vd_record").Run();
  }
  ~TRecordSavepoint() {
    if (done_) return;
    database_.NoteRollback();
    try {
      database_.Query("ROLLBACK TO vd_record").Run();
      database_.Query("RELEASE vd_record").Run();
    } catch (const TDatabaseFailure&) {
      // The engine has rolled the whole transaction back on its own.
    }
  }
  TRecordSavepoint(const TRecordSavepoint&) = delete;
  TRecordSavepoint& operator=(const TRecordSavepoint&) = delete;
  void Commit() {
    database_.Query("RELEASE vd_record").Run();
    done_ = true;
  }

private:
  TDatabase& database_;
  bool done_ = false;
};

class TRecordRows final : public TRecordStore {
public:
  bool GetRecord(TDataRecord& record, int32_t id) override { return APSGetRecord(record, id); }
  bool GetObject(int32_t objectId, TObjectSet& set) override { return APSGetObject(objectId, set); }
  void PutRecord(TDataRecord& record, bool update) override { APSPutRecord(record, update); }
  int32_t RecordObject(int32_t recordId) override { return APSRecordObject(recordId); }
  int32_t FindObject(const std::string& name) override { return APSFindObject(name); }
  void GetRecords(int32_t objectId, TObjectSet& set) override { APSGetRecords(objectId, set); }
  int64_t ObjectCount() override { return APSObjectCount(); }
  bool FirstObject(int32_t& id) override { return APSFirstObject(id); }
  bool NextObject(int32_t& id) override { return APSNextObject(id); }
  void WalkObjects(const std::function<bool(int32_t, const std::string&)>& visit) override {
    APSWalkObjects(visit);
  }
  void GetVersions(int32_t recordId, std::vector<TRecordVersion>& versions) override {
    APSGetVersions(recordId, versions);
  }
};

} // namespace

bool VersionsMayExist(TStorageSession& session) {
  if (!session.VersionRows) {
    bool rows = false;
    if (HasTable(session.Database, kRecordVersionsTable)) {
      auto query = session.Database.Query("SELECT EXISTS (SELECT 1 FROM VD_RecordVersions)");
      rows = query.Step() && query.Int(0) != 0;
    }
    session.VersionRows = rows;
  }
  return *session.VersionRows;
}

// The session's records are these rows (declared with the session).
TRecordStore* TStorageSession::Records() {
  static TRecordRows rows;
  return &rows;
}

bool APSGetRecord(TDataRecord& record, int32_t id) {
  TStorageSession& session = RequireSession();
  TDatabase& database = session.Database;
  const TParameterIndex parameters(CurrentProject());
  static const std::string sql = Columns("WHERE Idtor = ?");
  static const std::string versionSql =
      VersionColumns("WHERE Idtor = ? AND Superseded > ? ORDER BY Superseded, rowid LIMIT 1");
  const std::optional<double> knownAt = KnownAt();
  return Guarded([&] {
    auto query = database.Query(sql.c_str());
    query.Bind(id);
    if (!query.Step()) return false;
    // Known at a moment before a correction, the record is the version
    // that was current then.
    if (knownAt && VersionsMayExist(session)) {
      auto version = database.Query(versionSql.c_str());
      version.Bind(id, *knownAt);
      if (version.Step()) {
        ReadRow(version, record, parameters);
        return true;
      }
    }
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
  const std::string name = APSObjectName(id);
  if (name.empty()) return false;
  set.ObjIdtor = id;
  set.ObjName = name;
  APSGetRecords(id, set);
  return true;
}

void APSGetRecords(int32_t objectId, TObjectSet& set) {
  TStorageSession& session = RequireSession();
  TDatabase& database = session.Database;
  const TParameterIndex parameters(CurrentProject());
  static const std::string sql = Columns("WHERE ObjIdtor = ?");
  static const std::string versionSql =
      VersionColumns("WHERE ObjIdtor = ? AND Superseded > ? ORDER BY Idtor, Superseded, rowid");
  const std::optional<double> knownAt = KnownAt();
  Guarded([&] {
    // Known at a moment, a record corrected after it is read as the
    // earliest version superseded after it: the one current then.
    std::unordered_map<int32_t, std::unique_ptr<TDataRecord>> earlier;
    if (knownAt && VersionsMayExist(session)) {
      auto versions = database.Query(versionSql.c_str());
      versions.Bind(objectId, *knownAt);
      while (versions.Step()) {
        const int32_t id = Identifier(versions, 0);
        if (earlier.contains(id)) continue;
        std::unique_ptr<TDataRecord> record = set.NewRecord();
        ReadRow(versions, *record, parameters);
        earlier.emplace(id, std::move(record));
      }
    }
    auto query = database.Query(sql.c_str());
    query.Bind(objectId);
    while (query.Step()) {
      if (!earlier.empty()) {
        const auto version = earlier.find(Identifier(query, 0));
        if (version != earlier.end()) {
          set.AddRecord(std::move(version->second));
          earlier.erase(version);
          continue;
        }
      }
      std::unique_ptr<TDataRecord> record = set.NewRecord();
      ReadRow(query, *record, parameters);
      set.AddRecord(std::move(record));
    }
  });
}

void APSGetVersions(int32_t recordId, std::vector<TRecordVersion>& versions) {
  TStorageSession& session = RequireSession();
  if (!VersionsMayExist(session)) return;
  const TParameterIndex parameters(CurrentProject());
  // The latest first; known at a moment, only the corrections stored by then.
  static const std::string sql =
      VersionColumns("WHERE Idtor = ? AND Superseded <= ? ORDER BY Superseded DESC, rowid DESC");
  const double until = KnownAt().value_or(std::numeric_limits<double>::infinity());
  Guarded([&] {
    auto query = session.Database.Query(sql.c_str());
    query.Bind(recordId, until);
    while (query.Step()) {
      TRecordVersion version;
      version.superseded = query.Real(kSupersededColumn);
      version.record = std::make_unique<TDataRecord>();
      ReadRow(query, *version.record, parameters);
      versions.push_back(std::move(version));
    }
  });
}

// Objects a page at a time: no statement stays open while a page is
// visited, and memory does not grow with the number of objects.
void APSWalkObjects(const std::function<bool(int32_t, const std::string&)>& visit) {
  constexpr int kPage = 256;
  TDatabase& database = APSDatabase();
  const TReadTogether together(database);
  std::vector<std::pair<int32_t, std::string>> page;
  int64_t after = std::numeric_limits<int64_t>::min();
  for (;;) {
    page.clear();
    Guarded([&] {
      auto query = database.Query(
          "SELECT ObjIdtor, ObjName FROM VD_Objects WHERE ObjIdtor > ? ORDER BY ObjIdtor LIMIT ?");
      query.Bind(after, kPage);
      while (query.Step())
        page.emplace_back(Identifier(query, 0), query.Text(1).substr(0, kObjectNameCapacity));
    });
    for (const auto& [id, name] : page)
      if (!visit(id, name)) return;
    if (page.size() < static_cast<size_t>(kPage)) return;
    after = page.back().first;
  }
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
  // A new record with nothing else to write is one statement; anything more
  // goes in a savepoint, so that the record is written whole or not at all.
  const bool alone = !update && !following && record.Added.empty();
  const auto missingObject = [&] {
    RaiseSystemError("Object doesn't exist. Id=" + std::to_string(record.ObjIdtor));
  };
  std::optional<double> storedSysTime;
  try {
    Guarded([&] {
      std::optional<TRecordSavepoint> transaction;
      if (!alone) transaction.emplace(database);
      if (update) {
        if (!ObjectExists(database, record.ObjIdtor)) missingObject();
        storedSysTime = KeepVersion(session, record, name);
        UpdateRow(database, record, name);
      } else {
        // Checked before an identifier is used up.
        if (!ObjectKnown(session, record.ObjIdtor)) missingObject();
        record.Idtor = APSNewId();
        InsertRow(database, record, name);
      }
      if (!record.Added.empty())
        database.Query("UPDATE VD_Objects SET GroupTag = 1 WHERE ObjIdtor = ?")
            .Bind(record.ObjIdtor)
            .Run();
      TDataRecord links;
      if (following) RelinkFollowing(database, record, *following, links);
      if (transaction) transaction->Commit();
      if (following) {
        following->PrevRecord = links.PrevRecord;
        following->PtrArrTag = links.PtrArrTag;
        following->PtrArr = links.PtrArr;
      }
      if (storedSysTime) record.SysTime = *storedSysTime;
    });
  } catch (...) {
    record.Idtor = givenId;
    throw;
  }
  session.Project->NoteRecordTime(record.RealTime);
}

TCompletingRecords::TCompletingRecords() : session_(&RequireSession()) {
  ++session_->CompletingRecords;
}

TCompletingRecords::~TCompletingRecords() {
  // The project may have been closed meanwhile.
  if (Session() == session_) --session_->CompletingRecords;
}

struct TRecordBatch::TOpen {
  explicit TOpen(TStorageSession& session) : session(session), deferred(session) {}
  TStorageSession& session;
  TDeferredProjectFile deferred;
  std::unique_ptr<TTransaction> transaction;
};

TRecordBatch::TRecordBatch(int rowsPerCommit)
    : open_(std::make_unique<TOpen>(RequireSession())), rowsPerCommit_(std::max(rowsPerCommit, 1)) {
  Guarded([&] { open_->transaction = std::make_unique<TTransaction>(open_->session.Database); });
}

// A batch keeps what was written (it is a batch); the deferred project file
// is written as the batch goes.
TRecordBatch::~TRecordBatch() {
  if (!open_->transaction) return;
  try {
    open_->transaction->Commit();
  } catch (const TDatabaseFailure&) {
    // Nothing can be kept: the transaction's end undoes the rest.
  }
}

bool TRecordBatch::Stored() {
  if (++pending_ < rowsPerCommit_) return false;
  pending_ = 0;
  Guarded([&] {
    open_->transaction->Commit();
    open_->transaction.reset();
    open_->transaction = std::make_unique<TTransaction>(open_->session.Database);
  });
  return true;
}

void TRecordBatch::Finish() {
  if (open_->transaction) {
    Guarded([&] { open_->transaction->Commit(); });
    open_->transaction.reset();
  }
  open_->deferred.Finish();
}

void TRecordBatch::Abandon() {
  open_->transaction.reset();
  pending_ = 0;
}

} // namespace vandro
