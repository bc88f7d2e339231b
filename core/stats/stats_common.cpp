#include "stats/stats_common.h"

#include "shell/numbers.h"
#include "shell/text.h"
#include "values/units.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace vandro {

long double Mean(const std::vector<long double>& numbers) {
  if (numbers.empty()) return 0;
  long double sum = 0;
  for (long double number : numbers)
    sum += number;
  return sum / static_cast<long double>(numbers.size());
}

long double SumOfSquares(const std::vector<long double>& numbers, long double mean) {
  long double sum = 0;
  for (long double number : numbers)
    sum += (number - mean) * (number - mean);
  return sum;
}

size_t MissingCount(const TSample& sample) {
  if (sample.kind == TSampleKind::Text)
    return static_cast<size_t>(std::count(sample.texts.begin(), sample.texts.end(), ""));
  return static_cast<size_t>(std::count_if(sample.numbers.begin(), sample.numbers.end(),
                                           [](long double x) { return std::isnan(x); }));
}

TSample WithoutMissing(const TSample& sample) {
  TSample present = sample;
  std::erase(present.texts, "");
  std::erase_if(present.numbers, [](long double x) { return std::isnan(x); });
  return present;
}

std::string BareUnit(std::string_view unit) {
  unit = TrimView(unit);
  if (unit.size() >= 2 && unit.front() == '[' && unit.back() == ']')
    unit = TrimView(unit.substr(1, unit.size() - 2));
  return std::string(unit);
}

bool UnitConversion(std::string_view from, std::string_view to, TUnitConversion& conversion) {
  const std::string a = BareUnit(from), b = BareUnit(to);
  if (SameText(a, b)) {
    conversion = {};
    return true;
  }
  return ActiveUnits().Conversion(a, b, conversion);
}

long double RoundTo(long double value, int decimals) {
  const long double scale = std::pow(10.0L, decimals);
  const long double scaled = value * scale;
  // Beyond 2^64 a long double has no fraction left to round.
  if (!std::isfinite(scaled) || std::fabs(scaled) >= 0x1p64L) return value;
  return std::round(scaled) / scale;
}

std::string RoundedText(long double value, int decimals) {
  if (std::isnan(value)) return "n/a";
  if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
  return FloatToText(RoundTo(value, decimals));
}

std::string GeneralText(long double value, int precision, int exponentDigits) {
  if (!std::isfinite(value)) return std::isnan(value) ? "n/a" : (value > 0 ? "INF" : "-INF");
  precision = std::clamp(precision, 1, 18);
  exponentDigits = std::clamp(exponentDigits, 0, 4);
  if (value == 0) return "0";
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*Le", precision - 1, value);
  std::string text(buffer);
  const size_t e = text.find('e');
  const int exponent = std::atoi(text.c_str() + e + 1);
  std::string digits = text.substr(0, e);
  const bool negative = digits[0] == '-';
  if (negative) digits.erase(0, 1);
  if (digits.size() > 1) digits.erase(1, 1); // the point
  while (digits.size() > 1 && digits.back() == '0')
    digits.pop_back();

  std::string out = negative ? "-" : "";
  if (exponent < precision && std::fabs(value) >= 0.00001L) {
    if (exponent < 0) {
      out.append("0.");
      out.append(static_cast<size_t>(-exponent - 1), '0');
      out.append(digits);
    } else if (static_cast<size_t>(exponent) + 1 >= digits.size()) {
      out.append(digits);
      out.append(static_cast<size_t>(exponent) + 1 - digits.size(), '0');
    } else {
      out.append(digits, 0, static_cast<size_t>(exponent) + 1);
      out.push_back('.');
      out.append(digits, static_cast<size_t>(exponent) + 1, std::string::npos);
    }
    return out;
  }
  out.push_back(digits[0]);
  if (digits.size() > 1) {
    out.push_back('.');
    out.append(digits, 1, std::string::npos);
  }
  std::string power = std::to_string(std::abs(exponent));
  if (power.size() < static_cast<size_t>(exponentDigits))
    power.insert(0, static_cast<size_t>(exponentDigits) - power.size(), '0');
  out.append(exponent < 0 ? "E-" : "E+");
  out.append(power);
  return out;
}

std::string PValueText(long double p) {
  if (std::isnan(p)) return "n/a";
  if (p >= 0.0001L) return RoundedText(p, 6);
  if (p < 1e-300L) return "< 1E-300";
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.2Le", p);
  std::string text(buffer);
  const size_t e = text.find('e');
  std::string mantissa = text.substr(0, e);
  while (mantissa.back() == '0')
    mantissa.pop_back();
  if (mantissa.back() == '.') mantissa.pop_back();
  return mantissa + "E-" + std::to_string(std::abs(std::atoi(text.c_str() + e + 1)));
}

} // namespace vandro
