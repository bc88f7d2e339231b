// TDomain: the values one analysed parameter takes over the objects of a
// data analysis, and the number each of them stands for in the numeric
// table.
//
// A numeric domain's values are numbers (or dates) in one unit; the table
// takes each value converted to UnitText and the value list only shows what
// occurs. An ordered or unordered domain maps each distinct value to the
// number in Numbers at the same index; ordered numbers keep their order in
// distances and regression, unordered ones are labels whose equality alone
// counts.
#pragma once

#include "values/value.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vandro {

// Stored with the analysis settings: the numbers must not change.
enum TDomainType : uint8_t { dtNumeric = 0, dtOrdered = 1, dtUnordered = 2 };
// What stands for a missing value.
enum TNullMode : uint8_t { nmMean = 0, nmMedian = 1, nmValue = 2 };

// "Numeric", "Ordered", "Unordered".
const std::array<const char*, 3>& DomainTypeNames();
// "Mean", "Median", "Value:".
const std::array<const char*, 3>& NullModeNames();

class TDomain {
public:
  TDomain() = default;
  TDomain(const TDomain&) = delete;
  TDomain& operator=(const TDomain&) = delete;

  bool HasNulls = false;   // some object has no value
  bool NonNumeric = false; // some value is not a number: the type cannot be Numeric
  uint8_t Type = dtNumeric;
  std::vector<TValue::Ptr> Values;  // distinct, in the order met
  std::vector<long double> Numbers; // index-aligned with Values
  std::string UnitText;             // common unit of a numeric domain, "" for none
  TValue::Ptr NullValue;            // used when NullMode is nmValue
  uint8_t NullMode = nmMean;

  int Count() const { return static_cast<int>(Values.size()); }
  // Empties the values and resets every field.
  void Clear();
  // Appends a copy of value; its number is its position. Returns the index.
  int Add(const TValue& value);
  // The index of the value equal to value (TValue::Equals), or -1.
  int Find(const TValue& value) const;
  // The number of the value at index; -1 for an index out of range.
  long double Number(int index) const;

  // An edited number of the grid: false, after "Invalid real number:" + text,
  // when the text is not a finite number.
  bool SetNumberText(int index, std::string_view text);
  // A grid row moved from one position to another; its number moves along.
  void MoveValue(int from, int to);
  // "Set Mapping Automatically": each value's number becomes its position.
  void SetMappingAutomatically();
  // "Domain type:". A domain with non-numeric values cannot become Numeric:
  // false after "Domain contains non-numeric values." + line break + "Type of
  // the domain can't be changed." A domain made Numeric takes its first
  // value's unit.
  bool SetType(uint8_t type);
  // "Replace Nulls with:" is offered for numeric domains with nulls only.
  bool NullsReplaceable() const { return Type == dtNumeric && HasNulls; }
  // The value chosen for "Value:": it must be a number ("Value should be
  // numeric") in a unit of the domain's dimension ("Value units should
  // comply with domain units"). Sets the null mode to nmValue.
  bool SetNullValue(const TValue& value);

  // The number of value in this domain: a numeric domain converts it to
  // UnitText (dates count days), the others map it. False when it does not
  // fit; error then says why ("Numeric expected", "Incompatible units. [kg]
  // expected", "Value isn't in the domain").
  bool NumberOf(const TValue& value, long double& number, std::string& error) const;
};

// The number and unit of a numeric value, or a date as days with the unit
// "day". False for any other value.
bool NumberAndUnit(const TValue& value, long double& number, std::string& unit);

} // namespace vandro
