#include "editing/state_compare.h"

#include "language/processor_operations.h"
#include "model/data_record.h"
#include "model/object_set.h"
#include "model/parameter.h"
#include "model/state_track.h"
#include "shell/datetime.h"
#include "shell/messages.h"
#include "shell/numbers.h"
#include "shell/text.h"
#include "storage/objects.h"
#include "storage/record_rows.h"
#include "values/units.h"
#include "values/value.h"
#include "values/value_text.h"

#include <cmath>
#include <cstdio>
#include <utility>

namespace vandro {

namespace {

// Kind, text and items alike: "abc" and "ABC" are a change here, although
// the language finds them equal.
bool SameValue(const TValue& a, const TValue& b) {
  if (a.Kind() != b.Kind()) return false;
  if (!a.IsArray()) return a.Text() == b.Text();
  if (a.ItemCount() != b.ItemCount()) return false;
  for (int i = 0; i < a.ItemCount(); ++i)
    if (!SameValue(a.GetItem(i), b.GetItem(i))) return false;
  return true;
}

struct TNumber {
  double value = 0, plus = 0, minus = 0;
  std::string unit;
};

bool ReadNumber(const TValue& value, TNumber& number) {
  if (!value.IsNumeric()) return false;
  try {
    DecodeNumber(value.Text(), number.value, number.plus, number.minus, number.unit);
  } catch (const EConvertError&) {
    return false;
  }
  return true;
}

// The unit of a number text as written: what stands between its last "["
// and the closing "]".
std::string WrittenUnit(const std::string& text) {
  const size_t open = text.rfind('[');
  const size_t close = text.rfind(']');
  if (open == std::string::npos || close == std::string::npos || close < open) return {};
  return Trim(std::string_view(text).substr(open + 1, close - open - 1));
}

std::string Percent(long double share) {
  char text[32];
  std::snprintf(text, sizeof text, "%+.4g %%", static_cast<double>(share * 100));
  return text;
}

// The number row, or false when the pair is not two numbers in units that
// convert into each other.
bool CompareNumbers(const TValue& firstValue, const TValue& secondValue, TCompareRow& row) {
  TNumber first, second;
  if (!ReadNumber(firstValue, first) || !ReadNumber(secondValue, second)) return false;
  TUnitConversion conversion;
  if (!ActiveUnits().Conversion(second.unit, first.unit, conversion)) return false;

  long double value = second.value * conversion.factor + conversion.shift;
  long double plus = second.plus * std::fabs(conversion.factor);
  long double minus = second.minus * std::fabs(conversion.factor);
  if (conversion.factor < 0) std::swap(plus, minus);
  TValue::Ptr converted = TValue::Create("CompareNumbers");
  TValue::Ptr difference = TValue::Create("CompareNumbers");
  std::string message;
  try {
    converted->SetNumber(first.unit, static_cast<double>(minus), static_cast<double>(plus),
                         static_cast<double>(value));
  } catch (const EConvertError&) {
    return false;
  }
  if (!ApplyBinaryOperation(ocSubtract, *converted, firstValue, *difference, message)) return false;

  // Written alike at 15 digits in one unit, the two are the same quantity.
  TValue::Ptr original = TValue::Create("CompareNumbers");
  original->SetNumber(first.unit, first.minus, first.plus, first.value);
  row.Changed = converted->Text() != original->Text();
  TNumber change;
  if (!ReadNumber(*difference, change)) return false;
  // In the unit as the first value spells it ("kg"), not as decoded ("KG").
  difference->SetNumber(WrittenUnit(firstValue.Text()), change.minus, change.plus, change.value);
  row.Difference = ToDisplayText(difference.get());
  row.Relative = first.value == 0 ? (change.value == 0 ? Percent(0) : std::string("n/a"))
                                  : Percent(static_cast<long double>(change.value) /
                                            std::fabs(static_cast<long double>(first.value)));
  return true;
}

} // namespace

TCompareRow CompareValues(const std::string& parameter, const TValue* first, const TValue* second) {
  TCompareRow row;
  row.Parameter = parameter;
  if (first) row.First = ToDisplayText(first);
  if (second) row.Second = ToDisplayText(second);
  if (first && second && CompareNumbers(*first, *second, row)) return row;
  row.Relative.clear();
  const bool firstMissing = !first || first->IsNull();
  const bool secondMissing = !second || second->IsNull();
  row.Changed = firstMissing != secondMissing || (!firstMissing && !SameValue(*first, *second));
  row.Difference = row.Changed ? kChanged : kUnchanged;
  return row;
}

std::vector<TCompareRow> CompareStates(const TDataRecord& first, const TDataRecord& second) {
  const auto name = [](const TPVRelation& pair) {
    return pair.Parameter ? pair.Parameter->ParamName : std::string();
  };
  std::vector<TCompareRow> rows;
  for (const auto& pair : first.PVs) {
    const TPVRelation* other = second.FindPV(name(*pair));
    rows.push_back(CompareValues(name(*pair), &pair->Value, other ? &other->Value : nullptr));
  }
  for (const auto& pair : second.PVs)
    if (!first.FindPV(name(*pair)))
      rows.push_back(CompareValues(name(*pair), nullptr, &pair->Value));
  return rows;
}

int ChangedCount(const std::vector<TCompareRow>& rows) {
  int count = 0;
  for (const TCompareRow& row : rows)
    count += row.Changed ? 1 : 0;
  return count;
}

std::unique_ptr<TStateTrack> CompareSide(int32_t id, double moment) {
  const bool record = id % 32 != 0;
  const int32_t object = id <= 0 ? 0 : record ? APSRecordObject(id) : id;
  if (object == 0 || APSObjectName(object).empty()) {
    ShowMsg((record ? "Record doesn't exist. Id=" : "Object doesn't exist. Id=") +
            std::to_string(id));
    return nullptr;
  }
  auto set = std::make_shared<TObjectSet>();
  if (!set->Load(object)) RaiseError("Can't get object state. Id=" + std::to_string(object));
  auto track = std::make_unique<TStateTrack>();
  track->KeepSet(set);
  const bool found =
      record ? track->SetPath(*set, id, moment) : track->FirstStateTrack(*set, moment);
  if (!found) {
    if (record)
      ShowMsg("Record " + std::to_string(id) + " ends its object's history: it has no state");
    else
      ShowMsg("Object hasn't any actual state (Id=" + std::to_string(object) + ")." + kLineBreak +
              "Make sure that date and time are valid.");
    return nullptr;
  }
  track->ConstructState();
  return track;
}

std::string SideCaption(const TStateTrack& side) {
  const TDataRecord* last = side.Last();
  if (!side.Set || !last) return std::string();
  return side.Set->ObjName + ", #" + std::to_string(last->Idtor) + " of " +
         DateTimeToText(last->RealTime);
}

std::vector<std::string> CompareColumns(const std::string& firstCaption,
                                        const std::string& secondCaption) {
  return {"Parameter", firstCaption, secondCaption, "Difference", "Relative Change", "Changed"};
}

std::vector<std::string> CompareCells(const TCompareRow& row) {
  return {row.Parameter,  row.First,    row.Second,
          row.Difference, row.Relative, ShownYesNo(row.Changed)};
}

} // namespace vandro
