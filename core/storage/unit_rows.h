// Rows of VD_Units and the open project's unit catalogue loaded from them.
#pragma once

#include "values/units.h"

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

// Builds every unit's normal form, which also marks the units that formulas
// name as referenced. Each unit that fails shows "Can't normalize unit " +
// its name; the rest go on.
void NormalizeAllUnits(TUnitCatalogue& catalogue);

} // namespace vandro
