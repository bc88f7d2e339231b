// Units and numbers, and mathematics on interval numbers.
//
// A number stands for the interval [v - minus, v + plus]. A function f gives
// f(v) as the value, and deviations that reach from there to the lowest and
// the highest f takes on the interval, so the result still holds every value
// the argument could have been.
#include "language/std_functions.h"
#include "language/std_functions_support.h"

#include "shell/text.h"
#include "values/units.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <tuple>
#include <utility>

namespace vandro::stdfn {

namespace {

constexpr long double kPi = 3.1415926535897932385L;
constexpr const char* kPeculiarity = "Interval contains pecularity";

// The lower and the higher of two values, by value (std::minmax would hand
// back references to the temporaries).
std::pair<long double, long double> Bounds(long double a, long double b) {
  return a <= b ? std::pair(a, b) : std::pair(b, a);
}

// The interval rule for a function monotonic on [lo, hi] (either way).
template <typename F>
bool Monotonic(F f, const TNumber& x, std::string_view unit, TValue& result, std::string& message) {
  const auto [lowest, highest] = Bounds(f(x.Low()), f(x.High()));
  return WriteRange(result, unit, f(x.value), lowest, highest, message);
}

// The normal-form text of a unit raised to p/q: every exponent multiplied by
// p/q and reduced. False when an exponent leaves 16 bits.
bool RaisedUnit(const TUnitNF& form, int64_t p, int64_t q, std::string& text) {
  TUnitNF raised;
  if (p != 0 && !form.entries.empty()) {
    constexpr int64_t kLimit = int64_t{1} << 32; // keeps the products within 64 bits
    if (p > kLimit || p < -kLimit || q > kLimit || q < -kLimit) return false;
    if (q < 0) p = -p, q = -q;
    const uint64_t magnitude = static_cast<uint64_t>(p < 0 ? -p : p);
    for (const TUnitNFEntry& entry : form.entries) {
      uint64_t numerator = entry.numerator * magnitude;
      uint64_t denominator = entry.denominator * static_cast<uint64_t>(q);
      const uint64_t divisor = std::gcd(numerator, denominator);
      numerator /= divisor;
      denominator /= divisor;
      if (numerator > 0xFFFF || denominator > 0xFFFF) return false;
      TUnitNFEntry power = entry;
      power.numerator = static_cast<uint16_t>(numerator);
      power.denominator = static_cast<uint16_t>(denominator);
      power.positive = entry.positive == (p > 0);
      raised.entries.push_back(power);
    }
  }
  text = NormalFormText(raised);
  return true;
}

// Rounds to d decimals, ties to even. More decimals than the number holds
// leave it as it is.
long double RoundTo(long double value, int64_t decimals) {
  // Beyond these the power of ten leaves the range of long double anyway.
  if (decimals > 5000) return value;
  if (decimals < -5000) return 0;
  const long double scale = std::pow(10.0L, static_cast<long double>(decimals));
  const long double scaled = value * scale;
  if (scale == 0) return 0;
  if (!std::isfinite(scaled)) return value;
  return std::nearbyint(scaled) / scale;
}

// sin or cos over [lo, hi]: the ends, and +1 or -1 at every turning point
// between them.
void PeriodicRange(bool sine, long double lo, long double hi, long double& lowest,
                   long double& highest) {
  const auto f = [sine](long double t) { return sine ? std::sin(t) : std::cos(t); };
  std::tie(lowest, highest) = Bounds(f(lo), f(hi));
  if (hi - lo >= 2 * kPi) {
    lowest = -1;
    highest = 1;
    return;
  }
  // The turning points are first + k*pi, where the function is (-1)^k.
  const long double first = sine ? kPi / 2 : 0;
  long double k = std::ceil((lo - first) / kPi);
  // Narrower than two periods: at most two turning points inside; the bound
  // also keeps a huge argument, where k + 1 == k, from looping.
  for (int i = 0; i < 3; ++i, k += 1) {
    const long double turn = first + k * kPi;
    if (turn > hi) break;
    if (turn < lo) continue;
    if (std::fmod(k, 2.0L) == 0)
      highest = 1;
    else
      lowest = -1;
  }
}

// True when a pole first + k*pi lies in [lo, hi].
bool ReachesPole(long double first, long double lo, long double hi) {
  return first + std::ceil((lo - first) / kPi) * kPi <= hi;
}

} // namespace

bool SetUnits(const TArgs& args, TValue& result, std::string& message) {
  TNumber x;
  if (!ReadNumber(*args[0], x)) {
    message = "First operand is to be Numeric.";
    return false;
  }
  const TUnitNF* from = NormalForm(x.unit);
  if (!from) {
    message = "Invalid value unit";
    return false;
  }
  const std::string fromText = NormalFormText(*from);
  if (!args[1]->IsPlain()) {
    message = "Second operand should be a string";
    return false;
  }
  std::string_view unit = TrimView(args[1]->Text());
  if (!unit.empty() && unit.front() == '[') unit.remove_prefix(1);
  if (!unit.empty() && unit.back() == ']') unit.remove_suffix(1);
  const TUnitNF* to = NormalForm(unit);
  if (!to) {
    message = "Invalid result unit";
    return false;
  }
  if (x.unit.empty()) return WriteNumber(result, unit, x.value, x.plus, x.minus, message);
  const std::string toText = NormalFormText(*to);
  if (fromText != toText) {
    message = "Incompatible units:" + fromText + " and " + toText;
    return false;
  }
  result.Assign(*args[0]);
  if (!result.ConvertToUnit(unit)) {
    message = "The number is out of range";
    return false;
  }
  return true;
}

bool CompareUnits(const TArgs& args, TValue& result, std::string& message) {
  TNumber x, y;
  if (!ReadNumber(*args[0], x) || !ReadNumber(*args[1], y)) {
    message = "Parameters should be numeric";
    return false;
  }
  result.SetPlain(ActiveUnits().SameUnits(x.unit, y.unit) ? "TRUE" : "FALSE");
  return true;
}

bool GetUnits(const TArgs& args, TValue& result, std::string& message) {
  TNumber x;
  if (!ReadNumber(*args[0], x)) {
    message = kInvalidType;
    return false;
  }
  result.SetPlain(x.unit);
  return true;
}

bool GetNumber(const TArgs& args, TValue& result, std::string& message) {
  if (!args[0]->IsNumeric()) {
    message = kInvalidType;
    return false;
  }
  const std::string& text = args[0]->Text();
  result.SetPlain(Trim(std::string_view(text).substr(0, text.find('['))));
  return true;
}

bool Sign(const TArgs& args, TValue& result, std::string& message) {
  TNumber x;
  if (!ReadNumber(*args[0], x)) {
    message = kInvalidType;
    return false;
  }
  const long double lo = x.Low(), hi = x.High();
  if (lo > 0 || hi < 0) return WriteNumber(result, x.unit, hi < 0 ? -1 : 1, 0, 0, message);
  // The interval touches or holds 0: the sign is 0, reaching to the signs
  // the interval holds besides.
  return WriteNumber(result, x.unit, 0, hi > 0 ? 1 : 0, lo < 0 ? 1 : 0, message);
}

bool Abs(const TArgs& args, TValue& result, std::string& message) {
  TNumber x;
  if (!ReadNumber(*args[0], x)) {
    message = kInvalidType;
    return false;
  }
  const long double lo = x.Low(), hi = x.High();
  long double lowest = 0, highest = 0;
  if (lo >= 0)
    lowest = lo, highest = hi;
  else if (hi <= 0)
    lowest = -hi, highest = -lo;
  else
    highest = std::max(-lo, hi);
  return WriteRange(result, x.unit, std::fabs(x.value), lowest, highest, message);
}

bool Round(const TArgs& args, TValue& result, std::string& message) {
  TNumber x;
  if (!ReadNumber(*args[0], x)) {
    message = "First parameter should be numeric";
    return false;
  }
  int64_t decimals = 0;
  if (args.size() > 1 && !ReadWhole(*args[1], decimals)) {
    message = "Second parameter should be an integer";
    return false;
  }
  return WriteNumber(result, x.unit, RoundTo(x.value, decimals), RoundTo(x.plus, decimals),
                     RoundTo(x.minus, decimals), message);
}

bool Trunc(const TArgs& args, TValue& result, std::string& message) {
  TNumber x;
  if (!ReadNumber(*args[0], x)) {
    message = kInvalidType;
    return false;
  }
  return WriteNumber(result, x.unit, std::trunc(x.value), std::trunc(x.plus), std::trunc(x.minus),
                     message);
}

bool Sqrt(const TArgs& args, TValue& result, std::string& message) {
  TNumber x;
  if (!ReadNumber(*args[0], x)) {
    message = kInvalidType;
    return false;
  }
  const TUnitNF* form = NormalForm(x.unit);
  if (!form) {
    message = "Invalid value unit";
    return false;
  }
  std::string unit;
  if (!RaisedUnit(*form, 1, 2, unit)) {
    message = "Can't normalize the result unit: (" + x.unit + ")^1/2";
    return false;
  }
  x.Scale(form->factor);
  if (x.Low() < 0) {
    message = kNegativeNotAllowed;
    return false;
  }
  return Monotonic([](long double t) { return std::sqrt(t); }, x, unit, result, message);
}

bool Power(const TArgs& args, TValue& result, std::string& message) {
  TNumber x;
  if (!args[0]->IsPlain() || !ReadNumber(*args[0], x)) {
    message = "First operand should be a plain value";
    return false;
  }
  const TUnitNF* form = NormalForm(x.unit);
  if (!form) {
    message = "Invalid units of the first operand";
    return false;
  }
  if (!args[1]->IsPlain()) {
    message = "Second operand should be a plain value";
    return false;
  }
  TNumber y;
  if (!ReadNumber(*args[1], y) || !y.unit.empty() || y.plus != 0 || y.minus != 0) {
    message = "Second operand should be a  numeric\r\n without units or deviations";
    return false;
  }
  const long double e = y.value;
  const auto f = [e](long double t) { return std::pow(t, e); };
  if (e != std::nearbyint(e)) {
    // A root of a negative number has no value, and of a unit no unit.
    if (!x.unit.empty() || x.Low() <= 0) {
      message = "First operand should be a positive numeric\r\nwithout units";
      return false;
    }
    return Monotonic(f, x, "", result, message);
  }

  std::string unit;
  constexpr long double kLargestExponent = 4294967296.0L;
  if (!form->entries.empty() &&
      (std::fabs(e) > kLargestExponent || !RaisedUnit(*form, static_cast<int64_t>(e), 1, unit))) {
    message = "Can't normalize the result unit: (" + x.unit + ")^" + args[1]->Text();
    return false;
  }
  x.Scale(form->factor);
  const long double lo = x.Low(), hi = x.High();
  if (e < 0 && lo <= 0 && hi >= 0) {
    message = kDivisionByZero;
    return false;
  }
  auto [lowest, highest] = Bounds(f(lo), f(hi));
  // An even power of an interval around 0 comes down to 0 inside it.
  if (e > 0 && lo < 0 && hi > 0) lowest = std::min<long double>(lowest, 0);
  return WriteRange(result, unit, f(x.value), lowest, highest, message);
}

bool RPower(const TArgs& args, TValue& result, std::string& message) {
  TNumber x;
  if (!ReadNumber(*args[0], x)) {
    message = "First parameter should be a numeric value";
    return false;
  }
  int64_t numerator = 0, denominator = 0;
  if (!ReadWhole(*args[1], numerator)) {
    message = "Numerator should be an integer";
    return false;
  }
  if (!ReadWhole(*args[2], denominator)) {
    message = "Denominator should be an integer";
    return false;
  }
  if (denominator == 0) {
    message = "Denominator should not be equal 0";
    return false;
  }
  const TUnitNF* form = NormalForm(x.unit);
  if (!form) {
    message = "Invalid value unit";
    return false;
  }
  std::string unit;
  if (!RaisedUnit(*form, numerator, denominator, unit)) {
    message = "Can't normalize the result unit: (" + x.unit + ")^" + std::to_string(numerator) +
              "/" + std::to_string(denominator);
    return false;
  }
  x.Scale(form->factor);
  if (x.Low() < 0) {
    message = kNegativeNotAllowed;
    return false;
  }
  const long double e = static_cast<long double>(numerator) / static_cast<long double>(denominator);
  if (e < 0 && x.Low() == 0) {
    message = kDivisionByZero;
    return false;
  }
  return Monotonic([e](long double t) { return std::pow(t, e); }, x, unit, result, message);
}

bool LogN(const TArgs& args, TValue& result, std::string& message) {
  TNumber x, base;
  if (!ReadNumber(*args[0], x) || !x.unit.empty() || x.Low() <= 0) {
    message = "First operand should be a positive numeric";
    return false;
  }
  if (!ReadNumber(*args[1], base)) {
    message = "Second operand should be a numeric";
    return false;
  }
  if (!base.unit.empty() || base.plus != 0 || base.minus != 0) {
    message = "Second operand should be a  numeric\r\n without units or deviations";
    return false;
  }
  if (base.value <= 0) {
    message = "Base of LogN should be a positive numeric \r\nwithout units and deviations";
    return false;
  }
  // Base 1 divides by log 1 = 0: the result is out of range, and says so.
  const long double logBase = std::log(base.value);
  return Monotonic([logBase](long double t) { return std::log(t) / logBase; }, x, "", result,
                   message);
}

bool Pi(const TArgs&, TValue& result, std::string& message) {
  return WriteNumber(result, "", kPi, 0, 0, message);
}

bool Transcendental(uint8_t code, const TValue& argument, TValue& result, std::string& message) {
  TNumber x;
  if (!ReadNumber(argument, x)) {
    message = kInvalidType;
    return false;
  }
  // A unit without dimension (a percentage, say) counts by its factor.
  const TUnitNF* form = NormalForm(x.unit);
  if (!form || !form->entries.empty()) {
    message = "Parameter should be dimensionless";
    return false;
  }
  x.Scale(form->factor);
  const long double lo = x.Low(), hi = x.High();
  long double lowest = 0, highest = 0;
  switch (code) {
  case sfExp:
    return Monotonic([](long double t) { return std::exp(t); }, x, "", result, message);
  case sfLn:
    // An interval that reaches zero without going below it has no negative
    // value to blame.
    if (lo <= 0) {
      message = lo < 0 ? kNegativeNotAllowed : "Logarithm of zero";
      return false;
    }
    return Monotonic([](long double t) { return std::log(t); }, x, "", result, message);
  case sfSin:
  case sfCos:
    PeriodicRange(code == sfSin, lo, hi, lowest, highest);
    return WriteRange(result, "", code == sfSin ? std::sin(x.value) : std::cos(x.value), lowest,
                      highest, message);
  case sfTan:
    if (ReachesPole(kPi / 2, lo, hi)) {
      message = kPeculiarity;
      return false;
    }
    return Monotonic([](long double t) { return std::tan(t); }, x, "", result, message);
  case sfCotan:
    if (ReachesPole(0, lo, hi)) {
      message = kPeculiarity;
      return false;
    }
    return Monotonic([](long double t) { return std::cos(t) / std::sin(t); }, x, "", result,
                     message);
  case sfArcSin:
  case sfArcCos:
    if (lo < -1 || hi > 1) {
      message = "Parameter should be between -1 and 1";
      return false;
    }
    if (code == sfArcSin)
      return Monotonic([](long double t) { return std::asin(t); }, x, "", result, message);
    return Monotonic([](long double t) { return std::acos(t); }, x, "", result, message);
  case sfArcTan:
    return Monotonic([](long double t) { return std::atan(t); }, x, "", result, message);
  case sfSinh:
    return Monotonic([](long double t) { return std::sinh(t); }, x, "", result, message);
  case sfCosh:
    std::tie(lowest, highest) = Bounds(std::cosh(lo), std::cosh(hi));
    if (lo < 0 && hi > 0) lowest = 1;
    return WriteRange(result, "", std::cosh(x.value), lowest, highest, message);
  case sfTanh:
    return Monotonic([](long double t) { return std::tanh(t); }, x, "", result, message);
  default:
    message = "Unknown standard function code: " + std::to_string(code);
    return false;
  }
}

} // namespace vandro::stdfn
