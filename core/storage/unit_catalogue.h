// The rules of the unit list and the unit editor on the open project's
// catalogue: deleting a unit, "Make Basic", and validating and storing what
// the editor holds. Each refusal shows its message and gives false; each
// change is written to the units table and the catalogue is reloaded.
#pragma once

#include <cstdint>
#include <string>

namespace vandro {

// Deletes a user-defined unit after the user confirms. Refused for no unit
// ("Select a unit"), a supplied unit, a unit other units' formulas name, and
// a basic unit whose category still has other units.
bool DeleteUnit(int32_t id);

// Makes the unit the basic one of its category and converts the category's
// other units (and their offsets) to it, in one transaction.
bool MakeBasic(int32_t id);

// The fields of the unit editor, as typed.
struct TUnitForm {
  int32_t Id = 0; // the unit edited, 0 for a new one
  std::string Name;
  std::string ShortName;
  std::string Category;
  std::string Factor; // a number: how many basic units make one of this unit
  std::string Offset; // a number; empty reads as 0
  std::string Formula;
  std::string Description;
  bool Basic = false;
};

// The checks on OK, in order; the first failure is shown.
bool CheckUnitForm(const TUnitForm& form);

// CheckUnitForm, then the catalogue's own rules (a supplied unit is never
// modified, one basic unit per category, a new category is confirmed), then
// adds or rewrites the unit. Gives the unit's identifier, 0 when refused.
int32_t StoreUnitForm(const TUnitForm& form);

// Checks made as the editor's fields change.
bool CanEditUnit(int32_t id);                                     // "Select a unit", ...
bool CheckUnitNameFree(const std::string& name, int32_t id);      // leaving the name field
bool CheckUnitShortNameFree(const std::string& name, int32_t id); // leaving the short name
bool CheckBasicTick(const std::string& category, int32_t id);     // ticking "basic"
bool CheckBasicClear(int32_t id);                                 // clearing "basic"

} // namespace vandro
