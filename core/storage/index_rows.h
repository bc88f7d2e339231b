// Rows of VD_Object_NDX: the entries of the object index (SCRule 0) and the
// group index (SCRule 1). Entry names are stored upper-cased and cut to 32
// characters, comments cut to 128; a name and an object each have at most
// one row.
#pragma once

#include "model/object_index.h"

#include <cstdint>
#include <string_view>

namespace vandro {

// Appends the row. False after a message when the name or the object has a
// row already, or the table refuses; nothing is left then.
bool APSAddIndexEntry(const TIndexEntry& entry, TIndexKind kind);
// Deletes the row named oldName and appends entry's, as one transaction, so
// that a refused change leaves the old row in place.
bool APSReplaceIndexEntry(std::string_view oldName, const TIndexEntry& entry, TIndexKind kind);
// Renames the object's entry (and the open project's list follows). False
// when the object has none; "Can't change index entry. Duplicate Names." and
// false when another entry has the name.
bool APSRenameIndexEntry(int32_t objectId, std::string_view newName);
bool APSHasIndexEntry(int32_t objectId);
// No row has upper(name).
bool APSIndexNameFree(std::string_view name);
// "Can't delete the key " + name, and false, when there is no such row or
// it cannot be deleted.
bool APSDeleteIndexEntry(std::string_view name);

// Replaces the open project's two lists with the table's rows: each row with
// its object's name, SCRule 0 into the object index and 1 into the group
// index; rows with other rules are in neither.
void LoadIndexEntries();

} // namespace vandro
