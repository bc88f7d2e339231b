#include "model/object_index.h"

#include "model/project.h"
#include "shell/messages.h"
#include "shell/names.h"
#include "shell/text.h"

#include <algorithm>

namespace vandro {

namespace {

constexpr const char* kDuplicateOnCreate = "Can't create index entry. Duplicate Names.";
constexpr const char* kDuplicateOnChange = "Can't change index entry. Duplicate Names.";

TProject& RequireOpenProject() {
  TProject* project = CurrentProject();
  if (!project) RaiseSystemError("No project is open");
  return *project;
}

TIndexStore* StoreOf(const TProject& project) {
  return project.Store() ? project.Store()->IndexEntries() : nullptr;
}

TIndexEntry MakeEntry(const TProject& project, std::string_view name, std::string_view comment,
                      int32_t objectId) {
  TIndexEntry entry;
  entry.EntryName = UpperCase(TrimView(name));
  entry.Comment = std::string(TrimView(comment).substr(0, kEntryCommentCapacity));
  entry.ObjIdtor = objectId;
  entry.ObjName = project.ObjectName(objectId);
  return entry;
}

// Whether an entry of either list other than skip matches; for a project in
// memory the lists are all there is.
template <class Match>
bool ListsHave(const TProject& project, const TIndexEntry* skip, Match matches) {
  for (const TIndexKind kind : {ikObjects, ikGroups})
    for (const TIndexEntry& entry : project.IndexEntries(kind))
      if (&entry != skip && matches(entry)) return true;
  return false;
}

// The table decides when there is one: it also holds rows of neither list.
bool NameTaken(const TProject& project, const TIndexEntry* skip, const std::string& name) {
  if (TIndexStore* store = StoreOf(project)) return !store->IndexNameFree(name);
  return ListsHave(project, skip,
                   [&](const TIndexEntry& entry) { return entry.EntryName == name; });
}

bool ObjectTaken(const TProject& project, const TIndexEntry* skip, int32_t objectId) {
  if (TIndexStore* store = StoreOf(project)) return store->HasIndexEntry(objectId);
  return ListsHave(project, skip,
                   [&](const TIndexEntry& entry) { return entry.ObjIdtor == objectId; });
}

TIndexEntry& EntryAt(TProject& project, TIndexKind kind, int row, const char* missing) {
  auto& list = project.IndexEntries(kind);
  if (row < 0 || static_cast<size_t>(row) >= list.size()) RaiseError(missing);
  return list[static_cast<size_t>(row)];
}

} // namespace

bool AddEntry(TIndexKind kind, std::string_view name, std::string_view comment, int32_t objectId) {
  TProject& project = RequireOpenProject();
  if (!CheckStorableName(TrimView(name), kEntryNameCapacity)) return false;
  TIndexEntry entry = MakeEntry(project, name, comment, objectId);
  if (NameTaken(project, nullptr, entry.EntryName) || ObjectTaken(project, nullptr, objectId)) {
    ShowMsg(kDuplicateOnCreate);
    return false;
  }
  if (TIndexStore* store = StoreOf(project); store && !store->AddIndexEntry(entry, kind))
    return false;
  project.InsertIndexEntry(kind, std::move(entry));
  return true;
}

bool EditEntry(TIndexKind kind, int row, std::string_view name, std::string_view comment,
               int32_t objectId) {
  TProject& project = RequireOpenProject();
  TIndexEntry& old = EntryAt(project, kind, row, "Index entry not found");
  if (!CheckStorableName(TrimView(name), kEntryNameCapacity)) return false;
  TIndexEntry entry = MakeEntry(project, name, comment, objectId);
  const bool renamed = entry.EntryName != old.EntryName;
  const bool moved = objectId != old.ObjIdtor;
  if ((renamed && NameTaken(project, &old, entry.EntryName)) ||
      (moved && ObjectTaken(project, &old, objectId))) {
    ShowMsg(kDuplicateOnChange);
    return false;
  }
  if (TIndexStore* store = StoreOf(project);
      store && !store->ReplaceIndexEntry(old.EntryName, entry, kind))
    return false;
  auto& list = project.IndexEntries(kind);
  list.erase(list.begin() + row);
  project.InsertIndexEntry(kind, std::move(entry));
  return true;
}

bool DeleteEntry(TIndexKind kind, int row) {
  TProject& project = RequireOpenProject();
  const std::string name = EntryAt(project, kind, row, "Index Entry not found").EntryName;
  if (!Ask("You are about to delete " + name + kLineBreak + "Are you sure?", false)) return false;
  if (TIndexStore* store = StoreOf(project); store && !store->DeleteIndexEntry(name)) return false;
  auto& list = project.IndexEntries(kind);
  const auto it = std::find_if(list.begin(), list.end(),
                               [&](const TIndexEntry& entry) { return entry.EntryName == name; });
  if (it == list.end()) RaiseError("Index Entry not found");
  list.erase(it);
  return true;
}

} // namespace vandro
