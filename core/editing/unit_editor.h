// The rules of the unit editor ("New Unit", "Edit Unit") on the open
// project's catalogue, without its widgets: the form it starts from, which
// fields a basic unit fixes, the note on the category's basic unit, the
// checks as fields are left and on OK, and storing the unit. Each refusal
// shows its message and gives false (0 for StoreUnitForm); each change is
// written to the units table and the catalogue is reloaded.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vandro {

struct TUnit;

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

// The form of an existing unit. A factor or offset without a number text
// (NaN, infinity) starts empty, so OK asks for a number.
TUnitForm UnitFormOf(const TUnit& unit);

// A basic unit is its category's measure: its factor is fixed at 1, and only
// a basic unit carries a dimension formula.
struct TUnitFieldRules {
  bool FactorEditable = true;
  bool FormulaEditable = false;
  // What the factor field shows while it is fixed; empty while editable.
  std::string_view FixedFactor;
};
TUnitFieldRules UnitFieldRules(bool basic);

// The note beside the factor: this unit is the category's basic unit, or
// its factor counts BasicUnit, or the category has no basic unit yet. The
// window words it.
enum class TBasicUnitNote { ThisIsBasic, MeasuredIn, NoBasicUnit };
struct TBasicUnitHint {
  TBasicUnitNote Note = TBasicUnitNote::NoBasicUnit;
  std::string BasicUnit; // the name, for MeasuredIn
};
// For the category as typed; without an open project no category has one.
TBasicUnitHint BasicUnitHint(std::string_view category, bool basic);

// Whether the editor may open on the unit: "Select a unit" for none, "This
// unit can't be modified" for a supplied one.
bool CanEditUnit(int32_t id);

// Checks made as the editor's fields change, each against the units other
// than the one edited (id).
bool CheckUnitNameFree(const std::string& name, int32_t id);      // leaving the name field
bool CheckUnitShortNameFree(const std::string& name, int32_t id); // leaving the short name
bool CheckBasicTick(const std::string& category, int32_t id);     // ticking "basic"
bool CheckBasicClear(int32_t id);                                 // clearing "basic"

// The checks on OK, in order; the first failure is shown.
bool CheckUnitForm(const TUnitForm& form);

// CheckUnitForm, then the catalogue's own rules (a supplied unit is never
// modified, a new category is confirmed, one basic unit per category and a
// basic unit stays basic, a category gets its basic unit first, a basic
// unit does not leave a category that has other units), then adds or
// rewrites the unit. Gives the unit's identifier, 0 when refused.
int32_t StoreUnitForm(const TUnitForm& form);

// Whether units other than this one share its category: a basic unit is
// then neither deleted nor moved to another category.
bool CategoryHasOtherUnits(const TUnit& unit);

} // namespace vandro
