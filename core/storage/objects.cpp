#include "storage/objects.h"

#include "shell/messages.h"
#include "shell/names.h"
#include "shell/text.h"
#include "storage/access.h"
#include "storage/session.h"

#include <algorithm>
#include <vector>

namespace vandro {

namespace {

constexpr size_t kObjectNameCapacity = 32;

// Names handed out by APSUniqueObjectName and not yet released; they outlive
// any one project, as a name may be shown before the object is made.
std::vector<std::string>& ReservedNames() {
  static std::vector<std::string> names;
  return names;
}

// Not cut: a longer name is refused when stored, so looking one up finds none.
std::string StoredName(std::string_view name) {
  return UpperCase(name);
}

int32_t ObjectWithName(TDatabase& database, const std::string& storedName) {
  auto query = database.Query("SELECT ObjIdtor FROM VD_Objects WHERE ObjName = ?");
  query.Bind(storedName);
  return query.Step() ? static_cast<int32_t>(query.Int(0)) : 0;
}

bool ObjectExists(TDatabase& database, int32_t id) {
  auto query = database.Query("SELECT 1 FROM VD_Objects WHERE ObjIdtor = ?");
  query.Bind(id);
  return query.Step();
}

// base + suffix, base cut so that the whole stays within the name capacity
// (a longer candidate would be cut when stored and could clash after all).
std::string Candidate(const std::string& base, const std::string& suffix) {
  const size_t room = kObjectNameCapacity > suffix.size() ? kObjectNameCapacity - suffix.size() : 0;
  return base.substr(0, room) + suffix;
}

bool Step(const char* sql, int32_t& id, bool fromCurrent) {
  TDatabase& database = APSDatabase();
  return Guarded([&] {
    if (fromCurrent && !ObjectExists(database, id))
      RaiseSystemError("Cant find object with id = " + std::to_string(id));
    auto query = database.Query(sql);
    if (fromCurrent) query.Bind(id);
    if (!query.Step()) return false;
    id = static_cast<int32_t>(query.Int(0));
    return true;
  });
}

} // namespace

int32_t APSCreateObject(std::string_view name) {
  RequireStorableName(name, kObjectNameCapacity);
  TDatabase& database = APSDatabase();
  const int32_t id = APSNewObjectId();
  if (id == 0) RaiseError("Can't create new object");
  const std::string stored = StoredName(name);
  return Guarded([&]() -> int32_t {
    if (ObjectWithName(database, stored) != 0) return 0;
    database.Query("INSERT INTO VD_Objects (ObjIdtor, GroupTag, ObjName) VALUES (?, 0, ?)")
        .Bind(id, stored)
        .Run();
    return id;
  });
}

bool APSRenameObject(int32_t id, std::string_view newName) {
  if (!CheckStorableName(newName, kObjectNameCapacity)) return false;
  TDatabase& database = APSDatabase();
  const std::string stored = StoredName(newName);
  return Guarded([&] {
    auto current = database.Query("SELECT ObjName FROM VD_Objects WHERE ObjIdtor = ?");
    current.Bind(id);
    if (!current.Step()) RaiseSystemError("Object doesn't exist. Id=" + std::to_string(id));
    if (current.Text(0) == stored) return true;
    const int32_t holder = ObjectWithName(database, stored);
    if (holder != 0 && holder != id) {
      ShowMsg("Object named " + std::string(newName) +
              " already exists. Change the name and try again");
      return false;
    }
    database.Query("UPDATE VD_Objects SET ObjName = ? WHERE ObjIdtor = ?").Bind(stored, id).Run();
    return true;
  });
}

std::string APSUniqueObjectName(std::string_view base) {
  TDatabase& database = APSDatabase();
  const std::string upper = UpperCase(base);
  auto& reserved = ReservedNames();
  std::string candidate;
  Guarded([&] {
    int64_t i = APSObjectCount();
    do {
      ++i;
      const std::string number = std::to_string(i);
      candidate = Candidate(upper, number);
      for (int k = 2; ObjectWithName(database, candidate) != 0; ++k)
        candidate = Candidate(upper, number + "(" + std::to_string(k) + ")");
    } while (std::find(reserved.begin(), reserved.end(), candidate) != reserved.end());
  });
  reserved.push_back(candidate);
  return candidate;
}

void APSReleaseObjectName(std::string_view name) {
  auto& reserved = ReservedNames();
  const auto it = std::find(reserved.begin(), reserved.end(), UpperCase(name));
  if (it != reserved.end()) reserved.erase(it);
}

const std::string& TReservedObjectName::Reserve(std::string_view base) {
  Release();
  name_ = APSUniqueObjectName(base);
  return name_;
}

void TReservedObjectName::Release() {
  if (name_.empty()) return;
  APSReleaseObjectName(name_);
  name_.clear();
}

int32_t APSFindObject(std::string_view name) {
  TDatabase& database = APSDatabase();
  return Guarded([&] { return ObjectWithName(database, StoredName(name)); });
}

std::string APSObjectName(int32_t id) {
  TDatabase& database = APSDatabase();
  return Guarded([&] {
    auto query = database.Query("SELECT ObjName FROM VD_Objects WHERE ObjIdtor = ?");
    query.Bind(id);
    return query.Step() ? query.Text(0).substr(0, kObjectNameCapacity) : std::string();
  });
}

int32_t APSObjectCount() {
  TDatabase& database = APSDatabase();
  return Guarded([&] {
    auto query = database.Query("SELECT count(*) FROM VD_Objects");
    query.Step();
    return static_cast<int32_t>(query.Int(0));
  });
}

bool APSFirstObject(int32_t& id) {
  return Step("SELECT ObjIdtor FROM VD_Objects ORDER BY ObjIdtor LIMIT 1", id, false);
}

bool APSNextObject(int32_t& id) {
  return Step("SELECT ObjIdtor FROM VD_Objects WHERE ObjIdtor > ? ORDER BY ObjIdtor LIMIT 1", id,
              true);
}

bool APSLastObject(int32_t& id) {
  return Step("SELECT ObjIdtor FROM VD_Objects ORDER BY ObjIdtor DESC LIMIT 1", id, false);
}

bool APSPriorObject(int32_t& id) {
  return Step("SELECT ObjIdtor FROM VD_Objects WHERE ObjIdtor < ? ORDER BY ObjIdtor DESC LIMIT 1",
              id, true);
}

void APSFillPageFiltered(TAPSObjTablePage& page, bool withObjects, bool withGroups) {
  TStorageSession& session = RequireSession();
  session.ObjectFilter = -1;
  if (!withGroups) session.ObjectFilter = 0;
  if (!withObjects) session.ObjectFilter = 1;
  APSFillPageAt(page, 0);
}

void APSFillPageAt(TAPSObjTablePage& page, int offset) {
  TStorageSession& session = RequireSession();
  page.PageSize = std::clamp(page.PageSize, 0, kMaxObjectPageSize);
  offset = std::max(offset, 0);
  page.Count = 0;
  Guarded([&] {
    auto query = session.Database.Query(
        "SELECT ObjIdtor, ObjName, GroupTag FROM VD_Objects WHERE ?1 < 0 OR GroupTag = ?1 "
        "ORDER BY ObjName LIMIT ?2 OFFSET ?3");
    query.Bind(session.ObjectFilter, page.PageSize, offset);
    while (page.Count < page.PageSize && query.Step()) {
      TAPSObjTableRec& entry = page.Entries[static_cast<size_t>(page.Count)];
      entry.RowNo = offset + page.Count + 1;
      entry.ObjIdtor = static_cast<int32_t>(query.Int(0));
      entry.ObjName = query.Text(1).substr(0, kObjectNameCapacity);
      entry.Selected = false;
      entry.Group = query.Int(2) == 1;
      ++page.Count;
    }
  });
}

int32_t APSPageRowCount() {
  TStorageSession& session = RequireSession();
  return Guarded([&] {
    auto query =
        session.Database.Query("SELECT count(*) FROM VD_Objects WHERE ?1 < 0 OR GroupTag = ?1");
    query.Bind(session.ObjectFilter);
    query.Step();
    return static_cast<int32_t>(query.Int(0));
  });
}

void APSClearObjectFilter() {
  if (TStorageSession* session = Session()) session->ObjectFilter = -1;
}

} // namespace vandro
