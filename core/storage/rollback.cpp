#include "storage/rollback.h"

#include "model/data_record.h"
#include "model/record_packing.h"
#include "shell/clock.h"
#include "shell/datetime.h"
#include "shell/messages.h"
#include "shell/text.h"
#include "storage/database.h"
#include "storage/session.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace vandro {

namespace {

struct TLinks {
  int32_t id = 0;
  int32_t previousRecord = 0;
  bool many = false;
  std::string list;
};

TLinks ReadLinks(const TQuery& query) {
  TLinks links;
  links.id = static_cast<int32_t>(query.Int(0));
  links.previousRecord = static_cast<int32_t>(query.Int(1));
  links.many = query.Int(2) == 1;
  links.list = query.Text(3);
  return links;
}

// The predecessors the links name; false when a PtrArr list is damaged.
bool Predecessors(const TLinks& links, std::vector<int32_t>& ids) {
  ids.clear();
  if (links.many) return ParsePtrArr(links.list, ids);
  if (links.previousRecord != 0) ids.push_back(links.previousRecord);
  return true;
}

// Deletes the record and hands its predecessors to the records of its
// object that followed it. False when the record is gone already. Runs
// inside the rollback's one transaction, which undoes it on a failure.
bool DeleteOne(TDatabase& database, int32_t id) {
  auto own = database.Query(
      "SELECT Idtor, PrevRecord, PtrArrTag, PtrArr, ObjIdtor FROM VD_Records WHERE Idtor = ?");
  own.Bind(id);
  if (!own.Step()) return false;
  const TLinks removed = ReadLinks(own);
  const int32_t objectId = static_cast<int32_t>(own.Int(4));
  std::vector<int32_t> inherited;
  if (!Predecessors(removed, inherited))
    RaiseSystemError("Record " + std::to_string(id) +
                     " can't be deleted: its list of preceding records is damaged: \"" +
                     removed.list + "\"");

  std::vector<TLinks> followers;
  {
    auto query =
        database.Query("SELECT Idtor, PrevRecord, PtrArrTag, PtrArr FROM VD_Records "
                       "WHERE ObjIdtor = ? AND Idtor <> ? AND (PrevRecord = ? OR PtrArrTag = 1)");
    query.Bind(objectId, id, id);
    while (query.Step())
      followers.push_back(ReadLinks(query));
  }
  std::vector<int32_t> ids;
  for (const TLinks& follower : followers) {
    // A damaged list names nothing that could be repaired; loading that
    // history reports it.
    if (!Predecessors(follower, ids)) continue;
    const auto at = std::find(ids.begin(), ids.end(), id);
    if (at == ids.end()) continue;
    std::vector<int32_t> repaired(ids.begin(), at);
    repaired.insert(repaired.end(), inherited.begin(), inherited.end());
    repaired.insert(repaired.end(), at + 1, ids.end());
    std::vector<int32_t> distinct;
    for (int32_t previous : repaired)
      if (std::find(distinct.begin(), distinct.end(), previous) == distinct.end())
        distinct.push_back(previous);
    TDataRecord links;
    SetPredecessors(links, distinct);
    database
        .Query("UPDATE VD_Records SET PrevRecord = ?, PtrArrTag = ?, PtrArr = ? WHERE Idtor = ?")
        .Bind(links.PrevRecord, links.PtrArrTag, links.PtrArr, follower.id)
        .Run();
  }
  database.Query("DELETE FROM VD_Records WHERE Idtor = ?").Bind(id).Run();
  return true;
}

// The records kept by a rollback to the moment that were corrected after
// it: each brought back to its earliest version superseded after the
// moment, the one current then. Versions superseded after the moment go,
// and so do those of the records the rollback deletes. Returns how many
// records were brought back. Runs before the deleting, inside its
// transaction: the links a version brings back may name records stored
// after the moment, which the deleting then hands on as for any follower.
int64_t RestoreVersions(TDatabase& database, double moment) {
  std::vector<std::pair<int32_t, int64_t>> restored; // record, version's rowid
  {
    auto query = database.Query(
        "SELECT v.Idtor, v.rowid FROM VD_RecordVersions v JOIN VD_Records r ON r.Idtor = v.Idtor "
        "WHERE v.Superseded > ? AND r.SysTime <= ? ORDER BY v.Idtor, v.Superseded, v.rowid");
    query.Bind(moment, moment);
    while (query.Step()) {
      const auto id = static_cast<int32_t>(query.Int(0));
      if (restored.empty() || restored.back().first != id) restored.emplace_back(id, query.Int(1));
    }
  }
  for (const auto& [id, version] : restored)
    database
        .Query("UPDATE VD_Records SET (RecName, ObjIdtor, Terminator, PrevRecord, PtrArrTag, "
               "PtrArr, RealTime, SysTime, Type, CntAdded, CntDeleted, PVs) = (SELECT RecName, "
               "ObjIdtor, Terminator, PrevRecord, PtrArrTag, PtrArr, RealTime, SysTime, Type, "
               "CntAdded, CntDeleted, PVs FROM VD_RecordVersions WHERE rowid = ?) WHERE Idtor = ?")
        .Bind(version, id)
        .Run();
  database
      .Query("DELETE FROM VD_RecordVersions WHERE Superseded > ? OR Idtor IN "
             "(SELECT Idtor FROM VD_Records WHERE SysTime > ?)")
      .Bind(moment, moment)
      .Run();
  return static_cast<int64_t>(restored.size());
}

} // namespace

int32_t DeleteRecordsAfter(double moment, TProgress* progress, int64_t* restored) {
  TDatabase& database = APSDatabase();
  TProgressScope scope(progress, "Rollback progress");
  return Guarded([&] {
    int64_t total = 0;
    {
      auto count = database.Query("SELECT count(*) FROM VD_Records");
      if (count.Step()) total = count.Int(0);
    }
    // Every row is looked at: rows are not kept in order of SysTime (a
    // record is stamped when its dialog opens, not when it is stored), so
    // stopping at the first older row could leave newer ones behind.
    std::vector<int32_t> doomed;
    {
      auto rows = database.Query("SELECT Idtor, SysTime FROM VD_Records ORDER BY rowid DESC");
      int64_t visited = 0;
      while (rows.Step()) {
        if (rows.Real(1) > moment) doomed.push_back(static_cast<int32_t>(rows.Int(0)));
        // The scan, reading two columns, is the first tenth of the work.
        scope.Update(0.1 * static_cast<double>(++visited) / static_cast<double>(total));
      }
    }
    // One transaction: a rollback stopped by a failure or a crash leaves
    // every record in place, never a history cut at some arbitrary point.
    int32_t deleted = 0;
    TTransaction transaction(database);
    const int64_t brought =
        VersionsMayExist(RequireSession()) ? RestoreVersions(database, moment) : 0;
    for (size_t i = 0; i < doomed.size(); ++i) {
      if (DeleteOne(database, doomed[i])) ++deleted;
      scope.Update(0.1 + 0.9 * static_cast<double>(i + 1) / static_cast<double>(doomed.size()));
    }
    transaction.Commit();
    if (restored) *restored = brought;
    scope.Update(1.0);
    return deleted;
  });
}

std::string RollbackQuestion(double moment, int64_t restored) {
  std::string question =
      "All the records created after " + DateTimeToText(moment) + kLineBreak + "will be deleted";
  if (restored > 0)
    question += kLineBreak + std::string("and ") + std::to_string(restored) +
                " records corrected after it get back the values they had then";
  return question + ". Are you sure?";
}

std::string DeletedRecordsText(int32_t count, int64_t restored) {
  std::string text = std::to_string(count) + " records were deleted";
  if (restored > 0)
    text += kLineBreak + std::to_string(restored) + " records got back their earlier values";
  return text;
}

int32_t APSDeleteRecordsAfter(double moment, TProgress* progress) {
  int64_t restored = 0;
  const int32_t deleted = DeleteRecordsAfter(moment, progress, &restored);
  ShowMsg(DeletedRecordsText(deleted, restored));
  return deleted;
}

TRollbackCount CountRecordsAfter(double moment) {
  TStorageSession& session = RequireSession();
  return Guarded([&] {
    // One pass over the rows, object by object: how many of each object's
    // records are later than the moment, set against how many it has.
    auto query = APSDatabase().Query(
        "SELECT ifnull(sum(later), 0), count(*), ifnull(sum(later = total), 0) FROM "
        "(SELECT count(*) AS total, sum(SysTime > ?) AS later FROM VD_Records GROUP BY ObjIdtor) "
        "WHERE later > 0");
    query.Bind(moment);
    TRollbackCount count;
    if (query.Step()) {
      count.records = query.Int(0);
      count.objects = query.Int(1);
      count.emptied = query.Int(2);
    }
    if (VersionsMayExist(session)) {
      auto corrected = session.Database.Query(
          "SELECT count(DISTINCT v.Idtor) FROM VD_RecordVersions v JOIN VD_Records r "
          "ON r.Idtor = v.Idtor WHERE v.Superseded > ? AND r.SysTime <= ?");
      corrected.Bind(moment, moment);
      if (corrected.Step()) count.restored = corrected.Int(0);
    }
    return count;
  });
}

std::string RollbackCountText(const TRollbackCount& count) {
  const std::string restored = std::to_string(count.restored) +
                               " records corrected after this moment will get back their values";
  if (count.records == 0)
    return count.restored > 0 ? restored : "No record was created after this moment";
  std::string text = std::to_string(count.records) + " records of " +
                     std::to_string(count.objects) + " objects will be deleted" + kLineBreak +
                     std::to_string(count.emptied) + " objects will be left without any record";
  if (count.restored > 0) text += kLineBreak + restored;
  return text;
}

std::string RollbackCopyPath() {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millisecond = 0;
  const double now = Now();
  DecodeDate(now, year, month, day);
  DecodeTime(now, hour, minute, second, millisecond);
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%04d%02d%02d-%02d%02d%02d", year, month, day, hour, minute,
                second);
  const std::string base = APSDatabase().Path() + ".before-rollback-" + stamp;
  std::string path = base;
  std::error_code error;
  for (int n = 2; std::filesystem::exists(OsPath(path), error); ++n)
    path = base + "-" + std::to_string(n);
  return path;
}

TRollback::TRollback(double moment, std::string copyPath)
    : moment_(moment), count_(CountRecordsAfter(moment)) {
  if (count_.records > 0 || count_.restored > 0)
    copyPath_ = copyPath.empty() ? RollbackCopyPath() : std::move(copyPath);
}

std::string TRollback::Question() const {
  std::string question = RollbackQuestion(moment_, count_.restored);
  if (!copyPath_.empty())
    question += kLineBreak + std::string("Before deleting, the database is copied to") +
                kLineBreak + copyPath_;
  return question;
}

bool TRollback::WriteCopy(TProgress* progress) {
  if (copyPath_.empty() || copied_) return true;
  TProgressScope scope(progress, kRollbackCopying);
  std::string reason;
  std::error_code error;
  if (std::filesystem::exists(OsPath(copyPath_), error))
    reason = "a file of that name exists already";
  else
    copied_ = APSDatabase().CopyTo(copyPath_, reason, [&](double done) { scope.Update(done); });
  if (!copied_)
    failure_ = "The rollback was stopped before anything was deleted:" + std::string(kLineBreak) +
               "the copy " + copyPath_ + " could not be written: " + reason;
  return copied_;
}

int32_t TRollback::Delete(TProgress* progress) {
  if (!copyPath_.empty() && !copied_)
    RaiseSystemError("The rollback to " + DateTimeToText(moment_) +
                     " was not run: its copy of the database " + copyPath_ +
                     " has not been written");
  return DeleteRecordsAfter(moment_, progress, &restored_);
}

std::string TRollback::ResultText(int32_t deleted) const {
  std::string text = DeletedRecordsText(deleted, restored_);
  if (copied_)
    text += kLineBreak + std::string("The database as it was before is kept in") + kLineBreak +
            copyPath_;
  return text;
}

std::optional<int32_t> RollbackRecords(double moment, TProgress* progress) {
  TRollback rollback(moment);
  if (!Ask(rollback.Question(), false)) return std::nullopt;
  if (!rollback.WriteCopy(progress)) {
    ShowMsg(rollback.FailureText());
    return std::nullopt;
  }
  const int32_t deleted = rollback.Delete(progress);
  ShowMsg(rollback.ResultText(deleted));
  return deleted;
}

} // namespace vandro
