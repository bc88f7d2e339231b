// The rules of the filter editor ("Define Filter"), without its widgets: a
// row of inputs (connective, negation, parameter, comparison, value) that
// "Add" and "Insert" turn into an item of the filter edited, and the list of
// the filter's items. The boxes are editable, so what they hold is checked
// as text; a refusal shows its message and changes neither the filter nor
// the inputs.
#pragma once

#include "model/filter.h"
#include "values/value.h"

#include <string>
#include <vector>

namespace vandro {

inline constexpr const char* kDefineFilterCaption = "Define Filter";

// The entries of the boxes, in order; the first is where a box returns
// after an item was added.
const std::vector<std::string>& FilterConnectiveEntries(); // "AND", "OR"
const std::vector<std::string>& FilterNegationEntries();   // "", "NOT"
const std::vector<std::string>& FilterComparisonEntries(); // " =", " >", ...
// The open project's parameter names, in name order (none without a
// project).
std::vector<std::string> FilterParameterEntries();

// The inputs as typed.
struct TFilterInputs {
  std::string Connective;
  std::string Negation;
  std::string Parameter;
  std::string Comparison;
  TValue Value;
};

class TFilterEditor {
public:
  // filter is edited in place; it must outlive the editor.
  explicit TFilterEditor(TFilter& filter);
  TFilterEditor(const TFilterEditor&) = delete;
  TFilterEditor& operator=(const TFilterEditor&) = delete;

  TFilterInputs Inputs;

  // "Add": appends the item the inputs describe; then the value is cleared
  // and the boxes return to their first entries.
  bool Add();
  // "Insert": as Add, the item going before row; "Row not selected" when
  // row is not one of the list's.
  bool Insert(int row);
  // "Remove": drops the item of row; nothing when row is none.
  void Remove(int row);

  int Count() const { return filter_.Count(); }
  // The item as the list shows it: the part of the condition it builds.
  std::string ItemText(int row) const;

private:
  bool Place(int index);
  void ResetInputs();

  TFilter& filter_;
  std::vector<std::string> parameters_;
};

} // namespace vandro
