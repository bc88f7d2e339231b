// Type tests, IFF and SWITCH, project variables, and the aggregates.
#include "language/processor_operations.h"
#include "language/std_functions.h"
#include "language/std_functions_support.h"

#include "model/project.h"
#include "values/units.h"
#include "values/value_text.h"

namespace vandro::stdfn {

namespace {

// A name the project may know: an identifier, and not the empty one.
bool IsNameValue(const TValue& value) {
  return value.IsIdentifier() && !value.Text().empty();
}

bool IsParameterName(const TValue& value) {
  const TProject* project = CurrentProject();
  return IsNameValue(value) && project && project->FindParameter(value.Text());
}

bool IsUnitName(const TValue& value) {
  return IsNameValue(value) && ActiveUnits().FindUnit(value.Text());
}

// The items of a series: the arguments, an array contributing its items.
std::vector<const TValue*> SeriesItems(const TArgs& args) {
  std::vector<const TValue*> items;
  for (const TValue* argument : args) {
    if (!argument->IsArray()) {
      items.push_back(argument);
      continue;
    }
    for (int i = 0; i < argument->ItemCount(); ++i)
      items.push_back(&argument->GetItem(i));
  }
  return items;
}

// Adds the items with the processor's addition. The running sum starts from
// the last item, so the sum is written in that item's unit.
bool AddItems(const std::vector<const TValue*>& items, TValue& sum, std::string& message) {
  sum.Assign(*items.back());
  for (size_t i = items.size() - 1; i-- > 0;) {
    TValue::Ptr next = TValue::Create("TStdFunctions.Sum");
    if (!ApplyBinaryOperation(ocAdd, sum, *items[i], *next, message)) return false;
    sum.Assign(*next);
  }
  return true;
}

// The item that compares above (MAX) or below (MIN) all others by the
// processor's relations; of equal items, the last.
bool Extreme(uint8_t relation, const std::vector<const TValue*>& items, TValue& result,
             std::string& message) {
  const TValue* best = items.back();
  TValue::Ptr holds = TValue::Create("TStdFunctions.Extreme");
  for (size_t i = items.size() - 1; i-- > 0;) {
    if (!ApplyBinaryOperation(relation, *items[i], *best, *holds, message)) return false;
    if (holds->Text() == "True") best = items[i];
  }
  result.Assign(*best);
  return true;
}

} // namespace

bool TypeTest(uint8_t code, const TValue& value, TValue& result, std::string& message) {
  bool holds = false;
  switch (code) {
  case sfIsNull:
    holds = value.IsNull();
    break;
  case sfIsNumeric:
    holds = value.IsNumeric();
    break;
  case sfIsInteger:
    holds = value.IsInteger();
    break;
  case sfIsReal:
    holds = value.IsReal();
    break;
  case sfIsDateTime:
    holds = value.IsDateTime();
    break;
  case sfIsBoolean:
    holds = value.IsBoolean();
    break;
  case sfIsError:
    holds = value.IsError();
    break;
  case sfIsText:
    holds = value.IsText();
    break;
  case sfIsString:
    holds = value.IsString();
    break;
  case sfIsCalculated:
    holds = value.IsCalculated();
    break;
  case sfIsProcedure:
    holds = value.IsProcedure();
    break;
  case sfIsFunction:
    holds = value.IsFunction();
    break;
  case sfIsQuery:
    holds = value.IsQuery();
    break;
  case sfIsFormula:
    holds = value.IsFormula();
    break;
  case sfIsAutoFormula:
    holds = value.IsAutoFormula();
    break;
  case sfIsLink:
    holds = value.IsLink();
    break;
  case sfIsObject:
    holds = value.IsObject();
    break;
  case sfIsArray:
    holds = value.IsArray();
    break;
  case sfIsIdentifier:
    holds = value.IsIdentifier();
    break;
  case sfIsParameter:
    holds = IsParameterName(value);
    break;
  case sfIsUnit:
    holds = IsUnitName(value);
    break;
  default:
    message = "Unknown standard function code: " + std::to_string(code);
    return false;
  }
  result.SetBoolean(holds);
  return true;
}

bool Iff(const TArgs& args, TValue& result, std::string& message) {
  bool condition = false;
  if (!args[0]->IsBoolean() || !DecodeBoolean(args[0]->Text(), condition)) {
    message = "First parameter should be boolean";
    return false;
  }
  result.Assign(condition ? *args[1] : *args[2]);
  return true;
}

bool Switch(const TArgs& args, TValue& result, std::string& message) {
  if (!args[0]->IsPlain()) {
    message = "First parameter should be a plain value";
    return false;
  }
  for (size_t i = 1; i < args.size(); ++i) {
    if (!args[i]->IsPlain()) {
      message = std::to_string(i + 1) + "-th parameter should be a plain value";
      return false;
    }
  }
  // After the selector come pairs of a case and its result; an odd one out
  // at the end is the default.
  const size_t pairsEnd = 1 + (args.size() - 1) / 2 * 2;
  for (size_t i = 1; i < pairsEnd; i += 2) {
    bool equal = false;
    if (!ValuesEqual(*args[0], *args[i], equal, message)) return false;
    if (equal) {
      result.Assign(*args[i + 1]);
      return true;
    }
  }
  if (pairsEnd < args.size())
    result.Assign(*args.back());
  else
    result.Clear();
  return true;
}

bool GlobalVar(const TArgs& args, TValue& result, std::string& message) {
  const TValue& name = *args[0];
  if (!name.IsString()) {
    message = "Invalid parameter. A string expected";
    return false;
  }
  if (!IsNameValue(name)) {
    message = "Invalid parameter. An identifier expected";
    return false;
  }
  const TProject* project = CurrentProject();
  const TVariable* variable = project ? project->FindVariable(name.Text()) : nullptr;
  if (!variable) {
    message = "Invalid parameter. Variable " + name.Text() + " doesn't exist";
    return false;
  }
  result.Assign(variable->Value);
  return true;
}

bool Aggregate(uint8_t code, const TArgs& args, TValue& result, std::string& message) {
  const std::vector<const TValue*> items = SeriesItems(args);
  if (code == sfCount) return WriteCount(result, static_cast<long double>(items.size()), message);
  if (items.empty()) {
    message = "Series/array item should be numeric";
    return false;
  }
  for (const TValue* item : items) {
    if (!item->IsNumeric()) {
      message = "Series/array item should be numeric";
      return false;
    }
  }
  switch (code) {
  case sfSum:
    return AddItems(items, result, message);
  case sfMean: {
    TValue::Ptr sum = TValue::Create("TStdFunctions.Mean");
    TNumber total;
    if (!AddItems(items, *sum, message)) return false;
    if (!ReadNumber(*sum, total)) {
      message = "Series/array item should be numeric";
      return false;
    }
    const auto count = static_cast<long double>(items.size());
    return WriteNumber(result, total.unit, total.value / count, total.plus / count,
                       total.minus / count, message);
  }
  case sfMax:
    return Extreme(ocGreater, items, result, message);
  case sfMin:
    return Extreme(ocLess, items, result, message);
  default:
    message = "Unknown standard function code: " + std::to_string(code);
    return false;
  }
}

} // namespace vandro::stdfn
