// The rules of the unit list ("Units", from Project: Units) on the open
// project's catalogue, without its widgets: the category filter, the grid
// of units as texts, the form "Add" starts the editor with, and the buttons
// that change the catalogue ("Delete", "Make Basic"). The window and
// vandro-cli's "units" listing show the same grid from UnitListGrid.
#pragma once

#include "editing/unit_editor.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vandro {

class TUnitCatalogue;

// The filter entry that shows every category; no category can be named so.
inline constexpr const char* kAllUnitCategories = "(AllCategories)";

// The grid's columns, in order.
enum TUnitListColumn : int {
  ulItemNo,
  ulName,
  ulShortName,
  ulCategory,
  ulFactor,
  ulOffset,
  ulFormula,
  ulBasic,
  ulDimension, // the normal form's text
  ulDimFactor, // the normal form's factor
  ulGeneric,
  ulDescription,
  ulColumnCount
};

struct TUnitListRow {
  int32_t UnitId = 0;
  std::vector<std::string> Cells; // one per column
};

struct TUnitListGrid {
  std::vector<std::string> Columns; // UnitListColumns()
  std::vector<TUnitListRow> Rows;
};

// The grid's column titles: "Item No", "Unit Name", "UntNm", ...
std::vector<std::string> UnitListColumns();

// The filter's entries: kAllUnitCategories, then the catalogue's categories.
std::vector<std::string> UnitListCategories(const TUnitCatalogue& catalogue);

// The units of the category (without regard to case; empty or
// kAllUnitCategories for all) in catalogue order, numbered from 1. Numbers
// without a text read "n/a"; flags "Yes" / "No". A unit whose normal form
// cannot be built shows an empty dimension and dimension factor, quietly:
// its messages come when it is used. Builds the normal forms it shows.
TUnitListGrid UnitListGrid(TUnitCatalogue& catalogue, std::string_view category);

// The form "Add" opens the editor with: the filtered category (none for
// kAllUnitCategories) and the factor 1.
TUnitForm NewUnitForm(std::string_view category);

// Deletes a user-defined unit after the user confirms. Refused for no unit
// ("Select a unit"), a supplied unit, a unit other units' formulas name, a
// unit the project's stored values are in (parameter defaults, variables,
// template lines, records: "You can't delete the unit because the project's
// values use it"), and a basic unit whose category still has other units.
bool DeleteUnit(int32_t id);

// Makes the unit the basic one of its category and converts the category's
// other units (and their offsets) to it, in one transaction.
bool MakeBasic(int32_t id);

} // namespace vandro
