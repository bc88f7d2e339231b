// Filters: a list of simple comparisons of parameters with values, from which
// the text of a query condition is built.
//
//   WEIGHT > 70 OR  NOT NAME = 'O''Brien'
//
// is the text of two items: WEIGHT > 70, and NAME = 'O'Brien' joined by OR
// and negated. The blanks are exactly those BuildText writes (the query
// language does not mind them).
#pragma once

#include "model/parameter.h"
#include "values/value.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vandro {

enum TFilterConnective : uint8_t {
  fcAnd = 0,
  fcOr = 1,
  fcNone = 2,
};

enum TFilterOperator : uint8_t {
  foGreater = 0,
  foLess = 1,
  foEqual = 2,
  foNotEqual = 3,
  foGreaterEqual = 4,
  foLessEqual = 5,
};

class TFilterItem {
public:
  TFilterItem();
  TFilterItem(const TFilterItem&) = delete;
  TFilterItem& operator=(const TFilterItem&) = delete;

  uint8_t Connective = fcNone; // how the item joins the one before it
  uint8_t Operator = foEqual;
  bool Negated = false;
  const TParameter* Parameter = nullptr; // not owned
  TValue Value;
};

class TFilter {
public:
  TFilter();
  TFilter(const TFilter&) = delete;
  TFilter& operator=(const TFilter&) = delete;

  std::vector<std::unique_ptr<TFilterItem>> Items;
  std::string Text; // the condition BuildText built

  int Count() const { return static_cast<int>(Items.size()); }
  // Index-checked: "Index out of range:" + index is raised outside the list.
  TFilterItem& Item(int index) const;
  // Puts item at index (0..Count; Count appends).
  void SetItem(int index, std::unique_ptr<TFilterItem> item);

  // Builds Text from the items and returns it. An item without a parameter
  // raises "Parameter name not defined", one with an unknown operator
  // "Invalid comparison operation"; Text is then left empty.
  const std::string& BuildText();
};

// The value as a query condition writes it: numbers, boolean words and the
// empty text as they are, anything else in single quotes with each quote
// doubled.
std::string FilterValueText(const TValue& value);

} // namespace vandro
