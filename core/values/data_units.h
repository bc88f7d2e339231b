// Units written from the units of the data.
//
// The language gives products and quotients in basic units ("(kilogram)*
// (second^-1)"); a reader of grams and days wants "g/d". These helpers write
// a unit from the data's own unit texts and find, among the products and
// quotients of those texts, the one with a given dimension. The conversion
// into it is TValue::ConvertToUnit (what SETUNITS does).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vandro {

// A unit text raised to a whole power.
struct TUnitPower {
  std::string unit;
  int power = 1;
};

// The product of the powers as the unit parser reads it and a reader would
// write it: "g/d", "g*d", "mm^2", "d^-1", "mm/(m*s)". Equal unit texts
// (without regard to case) are merged; empty texts and powers of 0 drop out.
// A unit that is itself an expression is bracketed wherever it is not the
// first factor or takes a power. Empty when nothing is left.
std::string ComposeUnit(const std::vector<TUnitPower>& powers);

// The most units ExpressibleIn combines: each of them takes one of three
// powers, so the candidates grow as 3^n.
inline constexpr size_t kMaxDataUnits = 5;

// Among the units composed from dataUnits, each taken to the power -1, 0 or
// 1, the first with the dimension of `unit`: fewer factors first, then the
// earlier data units, a power of 1 before -1. A unit given twice may come
// out squared ("mm^2"). Data units without a dimension or that do not parse
// are left out, and so is everything after the first kMaxDataUnits. Empty
// when none has that dimension, when `unit` does not parse or has no
// dimension. Works against ActiveUnits().
std::string ExpressibleIn(std::string_view unit, const std::vector<std::string>& dataUnits);

// The unit of a number text as written between its brackets, or empty when
// it has none (or names "NONE"). The text is known to be a number.
std::string WrittenUnit(std::string_view text);

// True when `unit` is written as its own normal form, as the language writes
// the unit of a product or a quotient ("(kilogram)*(second^-1)", "(meter)").
bool IsNormalFormUnit(std::string_view unit);

} // namespace vandro
