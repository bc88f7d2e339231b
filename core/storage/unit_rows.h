// Rows of VD_Units and the open project's unit catalogue loaded from them.
#pragma once

#include "values/units.h"

#include <string_view>

namespace vandro {

// The unit editor cuts short names to 16 characters.
inline constexpr size_t kUnitShortNameCapacity = 16;
inline constexpr size_t kUnitTextCapacity = 254; // formula and description

// Gives the unit a new identifier (APSNewId) and appends its row with every
// column; the unit's texts are cut to their capacities first.
void APSAddUnit(TUnit& unit);
// Rewrite and delete the row with the unit's identifier; both raise
// "Can't find Unit. Idtor = " + id when there is none.
void APSUpdateUnit(const TUnit& unit);
void APSDeleteUnit(const TUnit& unit);

// Rebuilds the open project's catalogue (and its sorted categories) from the
// table, in table order. Normal forms are built on demand afterwards.
void APSLoadUnits();

// Whether text names the unit, by its name or short name without regard to
// case, in a unit expression between "[" and "]" as values and formulas
// write them ("72 [bpm]", "[KM/H]"). Text may be a packed value or a whole
// record memo: the bytes between the brackets are read, whatever surrounds
// them.
bool TextNamesUnit(std::string_view text, const TUnit& unit);

// Whether the open project keeps a value in the unit anywhere it stores
// values: parameter defaults, variables, charts, template lines, actions
// and naming formulas, and the values of every record (a scan of every
// record's memo, in the order the rows lie in the file). Formulas of other
// units are not looked at: the catalogue marks the units they name.
bool APSStoredValuesNameUnit(const TUnit& unit);

// Builds every unit's normal form, which also marks the units that formulas
// name as referenced. Each unit that fails shows "Can't normalize unit " +
// its name; the rest go on.
void NormalizeAllUnits(TUnitCatalogue& catalogue);

} // namespace vandro
