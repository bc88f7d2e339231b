#include "storage/rollback.h"

#include "model/data_record.h"
#include "model/record_packing.h"
#include "shell/datetime.h"
#include "shell/messages.h"
#include "storage/database.h"
#include "storage/session.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace vandro {

namespace {

constexpr int kDeletionsPerCommit = 1000;

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
// object that followed it. False when the record is gone already.
bool DeleteOne(TDatabase& database, int32_t id) {
  TTransaction transaction(database);
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
  transaction.Commit();
  return true;
}

} // namespace

int32_t DeleteRecordsAfter(double moment, TProgress* progress) {
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
    int32_t deleted = 0;
    auto batch = std::make_unique<TTransaction>(database, false);
    for (size_t i = 0; i < doomed.size(); ++i) {
      if (DeleteOne(database, doomed[i])) ++deleted;
      scope.Update(0.1 + 0.9 * static_cast<double>(i + 1) / static_cast<double>(doomed.size()));
      if ((i + 1) % kDeletionsPerCommit == 0) {
        batch->Commit();
        batch = std::make_unique<TTransaction>(database, false);
      }
    }
    batch->Commit();
    scope.Update(1.0);
    return deleted;
  });
}

std::string RollbackQuestion(double moment) {
  return "All the records created after " + DateTimeToText(moment) + kLineBreak +
         "will be deleted. Are you sure?";
}

std::string DeletedRecordsText(int32_t count) {
  return std::to_string(count) + " records were deleted";
}

int32_t APSDeleteRecordsAfter(double moment, TProgress* progress) {
  const int32_t deleted = DeleteRecordsAfter(moment, progress);
  ShowMsg(DeletedRecordsText(deleted));
  return deleted;
}

std::optional<int32_t> RollbackRecords(double moment, TProgress* progress) {
  if (!Ask(RollbackQuestion(moment), false)) return std::nullopt;
  return APSDeleteRecordsAfter(moment, progress);
}

} // namespace vandro
