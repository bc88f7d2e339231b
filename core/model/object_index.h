// The object index and the group index: two named, commented lists of
// bookmarks onto objects and groups, kept by the open project and shown by
// the project manager.
//
// Entry names are unique across both lists and stored upper-cased; an object
// has at most one entry. Each list is sorted by entry name in byte order. The
// rows live in VD_Object_NDX, whose SCRule says the list (TIndexKind).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vandro {

enum TIndexKind : uint8_t {
  ikObjects = 0,
  ikGroups = 1,
};

inline constexpr size_t kEntryNameCapacity = 32;
inline constexpr size_t kEntryCommentCapacity = 128;

struct TIndexEntry {
  std::string EntryName; // upper case, at most 32 characters
  std::string ObjName;   // the object's name, looked up when loaded
  int32_t ObjIdtor = 0;
  std::string Comment; // at most 128 characters
};

// Where the entries are kept: the storage layer implements it for a project
// backed by files (storage/index_rows.h). Names are compared upper-cased.
class TIndexStore {
public:
  virtual ~TIndexStore() = default;
  // False after a message when the row cannot be stored; nothing is left.
  virtual bool AddIndexEntry(const TIndexEntry& entry, TIndexKind kind) = 0;
  // Deletes the row named oldName and stores entry, as one unit of work.
  virtual bool ReplaceIndexEntry(std::string_view oldName, const TIndexEntry& entry,
                                 TIndexKind kind) = 0;
  virtual bool HasIndexEntry(int32_t objectId) = 0;
  virtual bool IndexNameFree(std::string_view name) = 0;
  // "Can't delete the key " + name when there is no such row.
  virtual bool DeleteIndexEntry(std::string_view name) = 0;
};

// The operations of the project manager's index tabs on the open project's
// list of the kind. Names and comments are trimmed and cut to their
// capacities.
//
// Adds an entry for the object; "Can't create index entry. Duplicate Names."
// when the name is taken (in either list) or the object has an entry.
bool AddEntry(TIndexKind kind, std::string_view name, std::string_view comment, int32_t objectId);
// Changes the entry at row; "Index entry not found" is raised for a row the
// list does not have. Refused with "Can't change index entry. Duplicate
// Names." when the name belongs to another entry, or the object is changed
// to one that has an entry; the entry is then as it was.
bool EditEntry(TIndexKind kind, int row, std::string_view name, std::string_view comment,
               int32_t objectId);
// Asks "You are about to delete " + name + CR LF + "Are you sure?" (default
// No) and deletes the entry at row; "Index Entry not found" is raised for a
// row the list does not have.
bool DeleteEntry(TIndexKind kind, int row);

} // namespace vandro
