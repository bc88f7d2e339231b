// Rows of VD_Objects: objects and groups, their names and the pages of the
// object list.
//
// Names are stored upper-cased, at most 32 characters without control
// characters (a longer one is refused, never cut), and are unique without
// regard to case. Walking (First/Next/Last/Prior) goes in identifier
// order; pages go in name order and may keep to objects or to groups.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace vandro {

// Takes a new object identifier, then appends the object, a plain object
// (GroupTag 0), unless one with that name exists: then 0, and the identifier
// stays used. A name that cannot be stored (see NameFault) is shown and
// raised before an identifier is taken.
int32_t APSCreateObject(std::string_view name);

// Renames; an unchanged name gives true. "Object named ... already exists"
// and false when another object has the name, the name's fault and false when
// it cannot be stored; raises "Object doesn't exist.
// Id=" for an unknown identifier.
bool APSRenameObject(int32_t id, std::string_view newName);

// A name no object has and no earlier call handed out: upper(base) followed
// by a number (and "(k)" on a clash), cut so that it fits 32 characters. The
// name stays reserved until APSReleaseObjectName, or while the program runs.
std::string APSUniqueObjectName(std::string_view base);
void APSReleaseObjectName(std::string_view name);

// An automatic name a window holds while it is open: reserved by Reserve,
// released by Release or when the holder goes.
class TReservedObjectName {
public:
  TReservedObjectName() = default;
  TReservedObjectName(const TReservedObjectName&) = delete;
  TReservedObjectName& operator=(const TReservedObjectName&) = delete;
  ~TReservedObjectName() { Release(); }
  // Releases the name held, then reserves and gives a new one.
  const std::string& Reserve(std::string_view base);
  void Release();

private:
  std::string name_;
};

int32_t APSFindObject(std::string_view name); // 0 when none
std::string APSObjectName(int32_t id);        // empty when none
int32_t APSObjectCount();

// Walk object identifiers in ascending order: false at either end. Next and
// Prior start from id, which must be an object ("Cant find object with id =
// " + id is raised otherwise), and move id on.
bool APSFirstObject(int32_t& id);
bool APSNextObject(int32_t& id);
bool APSLastObject(int32_t& id);
bool APSPriorObject(int32_t& id);

// A page of the object list.
inline constexpr int kMaxObjectPageSize = 64;

struct TAPSObjTableRec {
  int32_t RowNo = 0; // 1-based position in name order under the page filter
  int32_t ObjIdtor = 0;
  std::string ObjName;
  bool Selected = false; // for the list view; cleared when filled
  bool Group = false;    // GroupTag 1
};

struct TAPSObjTablePage {
  std::array<TAPSObjTableRec, kMaxObjectPageSize> Entries;
  int Count = 0;
  int PageSize = kMaxObjectPageSize; // the rows asked for, at most 64
};

// Sets the page filter (groups only when objects are left out, objects only
// when groups are left out, the former when both are) and fills the page from
// the first row in name order.
void APSFillPageFiltered(TAPSObjTablePage& page, bool withObjects, bool withGroups);
// Fills the page from the row offset rows after the first, under the filter
// in force.
void APSFillPageAt(TAPSObjTablePage& page, int offset);
// Rows under the page filter.
int32_t APSPageRowCount();
void APSClearObjectFilter();

} // namespace vandro
