// The units every new project starts with: 121 units in 33 categories.
#pragma once

#include <cstdint>
#include <span>

namespace vandro {

class TUnitCatalogue;
struct TUnit;

struct TDefaultUnit {
  const char* category;
  const char* name;
  const char* shortName;
  bool basic;
  long double coefficient;
  long double offset;
  const char* formula;
  const char* description;
};

// In the order a new project writes them (categories, then units).
std::span<const TDefaultUnit> DefaultUnits();

// Identifier of the n-th default unit (from 0): a new project hands out 2..11
// to its system parameters and then 12, 13, ... to the units, skipping the
// multiples of 32 that belong to objects.
int32_t DefaultUnitId(int index);

// The catalogue entry of a default row (generic; identifier 0).
TUnit MakeDefaultUnit(const TDefaultUnit& row);

// Fills an in-memory catalogue with the default units (generic, with the
// identifiers above), for work without a project file.
void LoadDefaultUnits(TUnitCatalogue& catalogue);

} // namespace vandro
