#include "stats/domain.h"

#include "shell/messages.h"
#include "shell/numbers.h"
#include "shell/text.h"
#include "stats/stats_common.h"
#include "values/value_text.h"

#include <cmath>
#include <utility>

namespace vandro {

const std::array<const char*, 3>& DomainTypeNames() {
  static const std::array<const char*, 3> names = {"Numeric", "Ordered", "Unordered"};
  return names;
}

const std::array<const char*, 3>& NullModeNames() {
  static const std::array<const char*, 3> names = {"Mean", "Median", "Value:"};
  return names;
}

bool NumberAndUnit(const TValue& value, long double& number, std::string& unit) {
  if (value.IsDateTime()) {
    number = DecodeDateTime(value.Text());
    unit = "day";
    return true;
  }
  if (!value.IsNumeric()) return false;
  double decoded = 0, plus = 0, minus = 0;
  try {
    DecodeNumber(value.Text(), decoded, plus, minus, unit);
  } catch (const EConvertError&) {
    return false;
  }
  number = decoded;
  return true;
}

void TDomain::Clear() {
  HasNulls = NonNumeric = false;
  Type = dtNumeric;
  Values.clear();
  Numbers.clear();
  UnitText.clear();
  NullValue.reset();
  NullMode = nmMean;
}

int TDomain::Add(const TValue& value) {
  Values.push_back(value.Clone("TDomain.Add"));
  Numbers.push_back(static_cast<long double>(Values.size() - 1));
  return Count() - 1;
}

int TDomain::Find(const TValue& value) const {
  for (size_t i = 0; i < Values.size(); ++i)
    if (Values[i]->Equals(value)) return static_cast<int>(i);
  return -1;
}

long double TDomain::Number(int index) const {
  return index >= 0 && index < Count() ? Numbers[static_cast<size_t>(index)] : -1;
}

bool TDomain::SetNumberText(int index, std::string_view text) {
  double number = 0;
  if (index < 0 || index >= Count() || !TextToFloat(Trim(text), number) || !std::isfinite(number)) {
    ShowMsg("Invalid real number:" + std::string(text));
    return false;
  }
  Numbers[static_cast<size_t>(index)] = number;
  return true;
}

void TDomain::MoveValue(int from, int to) {
  if (from < 0 || to < 0 || from >= Count() || to >= Count() || from == to) return;
  TValue::Ptr value = std::move(Values[static_cast<size_t>(from)]);
  const long double number = Numbers[static_cast<size_t>(from)];
  Values.erase(Values.begin() + from);
  Numbers.erase(Numbers.begin() + from);
  Values.insert(Values.begin() + to, std::move(value));
  Numbers.insert(Numbers.begin() + to, number);
}

void TDomain::SetMappingAutomatically() {
  for (size_t i = 0; i < Numbers.size(); ++i)
    Numbers[i] = static_cast<long double>(i);
}

bool TDomain::SetType(uint8_t type) {
  if (type > dtUnordered) return false;
  if (type == dtNumeric && NonNumeric) {
    ShowMsg(std::string("Domain contains non-numeric values.") + kLineBreak +
            "Type of the domain can't be changed.");
    return false;
  }
  // A numeric domain's unit is its first value's; the others map values, so
  // no unit applies to their numbers.
  if (type == dtNumeric && Type != dtNumeric) {
    long double number = 0;
    UnitText.clear();
    if (!Values.empty()) NumberAndUnit(*Values.front(), number, UnitText);
  } else if (type != dtNumeric) {
    UnitText.clear();
  }
  Type = type;
  return true;
}

bool TDomain::SetNullValue(const TValue& value) {
  long double number = 0;
  std::string unit;
  if (value.IsDateTime() || !NumberAndUnit(value, number, unit)) {
    ShowMsg("Value should be numeric");
    return false;
  }
  TUnitConversion conversion;
  if (!UnitConversion(unit, UnitText, conversion)) {
    ShowMsg("Value units should comply with domain units");
    return false;
  }
  NullValue = value.Clone("TDomain.SetNullValue");
  NullMode = nmValue;
  return true;
}

bool TDomain::NumberOf(const TValue& value, long double& number, std::string& error) const {
  if (Type != dtNumeric) {
    const int index = Find(value);
    if (index < 0) {
      error = "Value isn't in the domain";
      return false;
    }
    number = Numbers[static_cast<size_t>(index)];
    return true;
  }
  std::string unit;
  TUnitConversion conversion;
  if (!NumberAndUnit(value, number, unit)) {
    error = "Numeric expected";
    return false;
  }
  if (!UnitConversion(unit, UnitText, conversion)) {
    error = "Incompatible units. [" + UnitText + "] expected";
    return false;
  }
  number = number * conversion.factor + conversion.shift;
  return true;
}

} // namespace vandro
