#include "storage/index_rows.h"

#include "model/project.h"
#include "shell/messages.h"
#include "shell/names.h"
#include "shell/text.h"
#include "storage/session.h"

#include <algorithm>
#include <vector>

namespace vandro {

namespace {

constexpr size_t kObjectNameCapacity = 32;

std::string StoredName(std::string_view name) {
  return UpperCase(name);
}

bool NameFree(TDatabase& database, const std::string& storedName) {
  auto query = database.Query("SELECT 1 FROM VD_Object_NDX WHERE EntryName = ?");
  query.Bind(storedName);
  return !query.Step();
}

bool HasEntry(TDatabase& database, int32_t objectId) {
  auto query = database.Query("SELECT 1 FROM VD_Object_NDX WHERE ObjIdtor = ?");
  query.Bind(objectId);
  return query.Step();
}

void Insert(TDatabase& database, const TIndexEntry& entry, TIndexKind kind) {
  database
      .Query("INSERT INTO VD_Object_NDX (SCRule, EntryName, ObjIdtor, Comment) "
             "VALUES (?, ?, ?, ?)")
      .Bind(int32_t{kind}, StoredName(entry.EntryName), entry.ObjIdtor,
            entry.Comment.substr(0, kEntryCommentCapacity))
      .Run();
}

// Runs a write; an engine failure has been shown (system error) and gives
// false, the transaction in body having undone its part.
template <class Body> bool Attempt(Body&& body) {
  try {
    return Guarded(body);
  } catch (const ErrorException&) {
    return false;
  }
}

class TIndexRows final : public TIndexStore {
public:
  bool AddIndexEntry(const TIndexEntry& entry, TIndexKind kind) override {
    return APSAddIndexEntry(entry, kind);
  }
  bool ReplaceIndexEntry(std::string_view oldName, const TIndexEntry& entry,
                         TIndexKind kind) override {
    return APSReplaceIndexEntry(oldName, entry, kind);
  }
  bool HasIndexEntry(int32_t objectId) override { return APSHasIndexEntry(objectId); }
  bool IndexNameFree(std::string_view name) override { return APSIndexNameFree(name); }
  bool DeleteIndexEntry(std::string_view name) override { return APSDeleteIndexEntry(name); }
};

} // namespace

bool APSAddIndexEntry(const TIndexEntry& entry, TIndexKind kind) {
  TDatabase& database = APSDatabase();
  return Attempt([&] {
    if (!NameFree(database, StoredName(entry.EntryName)) || HasEntry(database, entry.ObjIdtor)) {
      ShowMsg("Can't create index entry. Duplicate Names.");
      return false;
    }
    Insert(database, entry, kind);
    return true;
  });
}

bool APSReplaceIndexEntry(std::string_view oldName, const TIndexEntry& entry, TIndexKind kind) {
  TDatabase& database = APSDatabase();
  return Attempt([&] {
    TTransaction transaction(database);
    database.Query("DELETE FROM VD_Object_NDX WHERE EntryName = ?").Bind(StoredName(oldName)).Run();
    if (database.Changes() == 0) {
      ShowMsg("Can't delete the key " + std::string(oldName));
      return false;
    }
    if (!NameFree(database, StoredName(entry.EntryName)) || HasEntry(database, entry.ObjIdtor)) {
      ShowMsg("Can't change index entry. Duplicate Names.");
      return false;
    }
    Insert(database, entry, kind);
    transaction.Commit();
    return true;
  });
}

bool APSRenameIndexEntry(int32_t objectId, std::string_view newName) {
  if (!CheckStorableName(newName, kEntryNameCapacity)) return false;
  TStorageSession& session = RequireSession();
  TDatabase& database = session.Database;
  const std::string stored = StoredName(newName);
  std::string oldName;
  const bool renamed = Attempt([&] {
    auto current = database.Query("SELECT EntryName FROM VD_Object_NDX WHERE ObjIdtor = ?");
    current.Bind(objectId);
    if (!current.Step()) return false;
    oldName = current.Text(0);
    if (oldName != stored && !NameFree(database, stored)) {
      ShowMsg("Can't change index entry. Duplicate Names.");
      return false;
    }
    database.Query("UPDATE VD_Object_NDX SET EntryName = ? WHERE ObjIdtor = ?")
        .Bind(stored, objectId)
        .Run();
    return true;
  });
  if (!renamed) return false;
  TProject& project = *session.Project;
  for (const TIndexKind kind : {ikObjects, ikGroups}) {
    auto& list = project.IndexEntries(kind);
    const auto it = std::find_if(list.begin(), list.end(), [&](const TIndexEntry& entry) {
      return entry.ObjIdtor == objectId;
    });
    if (it == list.end()) continue;
    TIndexEntry entry = std::move(*it);
    list.erase(it);
    entry.EntryName = stored;
    project.InsertIndexEntry(kind, std::move(entry));
  }
  return true;
}

bool APSHasIndexEntry(int32_t objectId) {
  TDatabase& database = APSDatabase();
  return Guarded([&] { return HasEntry(database, objectId); });
}

bool APSIndexNameFree(std::string_view name) {
  TDatabase& database = APSDatabase();
  return Guarded([&] { return NameFree(database, StoredName(name)); });
}

bool APSDeleteIndexEntry(std::string_view name) {
  TDatabase& database = APSDatabase();
  bool deleted = false;
  try {
    database.Query("DELETE FROM VD_Object_NDX WHERE EntryName = ?").Bind(StoredName(name)).Run();
    deleted = database.Changes() > 0;
  } catch (const TDatabaseFailure&) {
    deleted = false;
  }
  if (!deleted) ShowMsg("Can't delete the key " + std::string(name));
  return deleted;
}

void LoadIndexEntries() {
  TStorageSession& session = RequireSession();
  std::vector<std::pair<int64_t, TIndexEntry>> rows;
  Guarded([&] {
    auto query = session.Database.Query(
        "SELECT n.SCRule, n.EntryName, n.ObjIdtor, n.Comment, o.ObjName FROM VD_Object_NDX n "
        "LEFT JOIN VD_Objects o ON o.ObjIdtor = n.ObjIdtor ORDER BY n.EntryName");
    while (query.Step()) {
      TIndexEntry entry;
      entry.EntryName = StoredName(query.Text(1));
      entry.ObjIdtor = static_cast<int32_t>(query.Int(2));
      entry.Comment = query.Text(3).substr(0, kEntryCommentCapacity);
      entry.ObjName = query.Text(4).substr(0, kObjectNameCapacity);
      rows.emplace_back(query.Int(0), std::move(entry));
    }
  });
  TProject& project = *session.Project;
  for (const TIndexKind kind : {ikObjects, ikGroups})
    project.IndexEntries(kind).clear();
  // Inserted one by one: the lists keep byte order even when a foreign
  // table's names were not upper-cased.
  for (auto& [rule, entry] : rows)
    if (rule == ikObjects || rule == ikGroups)
      project.InsertIndexEntry(static_cast<TIndexKind>(rule), std::move(entry));
}

TIndexStore* TStorageSession::IndexEntries() {
  static TIndexRows rows;
  return &rows;
}

} // namespace vandro
