#include "editing/filter_editor.h"

#include "model/project.h"
#include "shell/messages.h"
#include "shell/text.h"

#include <algorithm>
#include <memory>

namespace vandro {
namespace {

// The comparisons as typed (trimmed) and the operator each stands for.
struct TComparison {
  const char* text;
  uint8_t code;
};
constexpr TComparison kComparisons[] = {
    {"=", foEqual},         {">", foGreater},    {"<", foLess},
    {">=", foGreaterEqual}, {"<=", foLessEqual}, {"<>", foNotEqual},
};

} // namespace

const std::vector<std::string>& FilterConnectiveEntries() {
  static const std::vector<std::string> entries{"AND", "OR"};
  return entries;
}

const std::vector<std::string>& FilterNegationEntries() {
  static const std::vector<std::string> entries{"", "NOT"};
  return entries;
}

const std::vector<std::string>& FilterComparisonEntries() {
  // Shown with a leading blank, read trimmed.
  static const std::vector<std::string> entries{" =", " >", " <", " >=", " <=", " <>"};
  return entries;
}

std::vector<std::string> FilterParameterEntries() {
  std::vector<std::string> names;
  if (const TProject* project = CurrentProject())
    for (const auto& parameter : project->Parameters())
      names.push_back(parameter->ParamName);
  return names;
}

TFilterEditor::TFilterEditor(TFilter& filter)
    : filter_(filter), parameters_(FilterParameterEntries()) {
  ResetInputs();
}

void TFilterEditor::ResetInputs() {
  Inputs.Connective = FilterConnectiveEntries().front();
  Inputs.Negation = FilterNegationEntries().front();
  Inputs.Parameter = parameters_.empty() ? std::string() : parameters_.front();
  Inputs.Comparison = FilterComparisonEntries().front();
  Inputs.Value.Clear();
}

bool TFilterEditor::Place(int index) {
  // A blank name is refused before the lookup, which would match a
  // parameter without a short name.
  const std::string name = Trim(Inputs.Parameter);
  const TProject* project = CurrentProject();
  const TParameter* parameter = project && !name.empty() ? project->FindParameter(name) : nullptr;
  if (!parameter) {
    ShowMsg("Parameter name not defined");
    return false;
  }
  const std::string connective = UpperCase(Trim(Inputs.Connective));
  if (connective != "AND" && connective != "OR") {
    ShowMsg("Invalid boolean operation");
    return false;
  }
  const std::string comparison = Trim(Inputs.Comparison);
  const auto found = std::find_if(std::begin(kComparisons), std::end(kComparisons),
                                  [&](const TComparison& c) { return comparison == c.text; });
  if (found == std::end(kComparisons)) {
    ShowMsg("Invalid comparison operation");
    return false;
  }
  auto item = std::make_unique<TFilterItem>();
  item->Parameter = parameter;
  item->Value.Assign(Inputs.Value);
  item->Connective = connective == "AND" ? fcAnd : fcOr;
  item->Negated = UpperCase(Trim(Inputs.Negation)) == "NOT";
  item->Operator = found->code;
  filter_.Items.insert(filter_.Items.begin() + index, std::move(item));
  ResetInputs();
  return true;
}

bool TFilterEditor::Add() {
  return Place(Count());
}

bool TFilterEditor::Insert(int row) {
  if (row < 0 || row >= Count()) {
    ShowMsg("Row not selected");
    return false;
  }
  return Place(row);
}

void TFilterEditor::Remove(int row) {
  if (row < 0 || row >= Count()) return;
  filter_.Items.erase(filter_.Items.begin() + row);
}

std::string TFilterEditor::ItemText(int row) const {
  // The item's own piece of the condition, built by a filter of that item
  // alone; the connective is shown from the second row on, as the condition
  // joins the items.
  const TFilterItem& item = filter_.Item(row);
  TFilter one;
  auto copy = std::make_unique<TFilterItem>();
  copy->Parameter = item.Parameter;
  copy->Operator = item.Operator;
  copy->Negated = item.Negated;
  copy->Value.Assign(item.Value);
  one.SetItem(0, std::move(copy));
  std::string text = Trim(one.BuildText());
  if (row > 0 && item.Connective < fcNone)
    text = (item.Connective == fcAnd ? "AND " : "OR ") + text;
  return text;
}

} // namespace vandro
