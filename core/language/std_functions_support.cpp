#include "language/std_functions_support.h"

#include "shell/numbers.h"
#include "values/units.h"
#include "values/value_text.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace vandro::stdfn {

void TNumber::Scale(long double factor) {
  value *= factor;
  const long double magnitude = std::fabs(factor);
  plus *= magnitude;
  minus *= magnitude;
  if (factor < 0) std::swap(plus, minus);
}

bool ReadNumber(const TValue& value, TNumber& number) {
  if (!value.IsNumeric()) return false;
  double v = 0, plus = 0, minus = 0;
  std::string unit;
  try {
    DecodeNumber(value.Text(), v, plus, minus, unit);
  } catch (const EConvertError&) {
    return false;
  }
  number = {v, plus, minus, std::move(unit)};
  return true;
}

bool ReadWhole(const TValue& value, int64_t& number) {
  return value.IsInteger() && TextToInt(value.Text(), number);
}

bool WriteNumber(TValue& result, std::string_view unit, long double value, long double plus,
                 long double minus, std::string& message) {
  const double v = static_cast<double>(value);
  const double p = static_cast<double>(plus);
  const double m = static_cast<double>(minus);
  // The writer would leave out a NaN deviation silently; none may pass.
  if (!std::isfinite(v) || !std::isfinite(p) || !std::isfinite(m)) {
    message = "The number is out of range";
    return false;
  }
  result.SetNumber(unit, m, p, v);
  return true;
}

bool WriteCount(TValue& result, long double count, std::string& message) {
  return WriteNumber(result, "", count, 0, 0, message);
}

const TUnitNF* NormalForm(std::string_view unit) {
  return ActiveUnits().NormalFormOf(unit);
}

bool WriteRange(TValue& result, std::string_view unit, long double fv, long double lowest,
                long double highest, std::string& message) {
  if (!std::isfinite(fv) || !std::isfinite(lowest) || !std::isfinite(highest)) {
    message = "The number is out of range";
    return false;
  }
  // Rounding may leave a bound a hair inside the value; a deviation is never
  // negative.
  return WriteNumber(result, unit, fv, std::max<long double>(0, highest - fv),
                     std::max<long double>(0, fv - lowest), message);
}

} // namespace vandro::stdfn
