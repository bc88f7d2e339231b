#include "shell/numbers.h"

#include "shell/text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace vandro {

std::string FloatToText(long double value) {
  if (!std::isfinite(value)) throw EConvertError("The number is out of range");
  if (value == 0) return "0";
  // %.14Le gives exactly 15 significant digits, rounded once.
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.14Le", value);
  std::string text(buffer);
  const size_t e = text.find('e');
  const int exponent = std::atoi(text.c_str() + e + 1);
  std::string mantissa = text.substr(0, e);
  const bool negative = mantissa[0] == '-';
  if (negative) mantissa.erase(0, 1);
  std::string digits = mantissa; // 15 digits, without the point
  digits.erase(1, 1);
  while (digits.size() > 1 && digits.back() == '0')
    digits.pop_back();

  // Appends rather than concatenates: g++ 12 warns falsely on chains of + here.
  std::string out;
  if (negative) out.push_back('-');
  if (exponent >= -5 && exponent < 15) {
    const auto whole = static_cast<size_t>(exponent) + 1;
    if (exponent < 0) {
      out.append("0.");
      out.append(static_cast<size_t>(-exponent - 1), '0');
      out.append(digits);
    } else if (whole >= digits.size()) {
      out.append(digits);
      out.append(whole - digits.size(), '0');
    } else {
      out.append(digits, 0, whole);
      out.push_back('.');
      out.append(digits, whole, std::string::npos);
    }
  } else {
    out.push_back(digits[0]);
    if (digits.size() > 1) {
      out.push_back('.');
      out.append(digits, 1, std::string::npos);
    }
    out.append(exponent < 0 ? "E-" : "E+");
    out.append(std::to_string(std::abs(exponent)));
  }
  return out;
}

std::string ShownNumber(long double value, std::string_view none) {
  if (!std::isfinite(value)) return std::string(none);
  return FloatToText(value);
}

std::string ShownYesNo(bool value) {
  return value ? "Yes" : "No";
}

bool TextToFloat(std::string_view text, double& value) {
  text = TrimView(text);
  size_t i = 0;
  const auto isDigit = [&](size_t k) {
    return k < text.size() && text[k] >= '0' && text[k] <= '9';
  };
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  size_t digits = 0;
  while (isDigit(i))
    ++i, ++digits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (isDigit(i))
      ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    if (!isDigit(i)) return false;
    while (isDigit(i))
      ++i;
  }
  if (i != text.size()) return false;
  // strtod wants a terminated buffer and reads only the validated form here.
  const std::string copy(text);
  char* end = nullptr;
  const double result = std::strtod(copy.c_str(), &end);
  if (end != copy.c_str() + copy.size() || !std::isfinite(result)) return false;
  value = result;
  return true;
}

bool TextToInt(std::string_view text, int64_t& value) {
  text = TrimView(text);
  if (!text.empty() && text[0] == '+') {
    text.remove_prefix(1);
    if (!text.empty() && text[0] == '-') return false;
  }
  int64_t result = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), result);
  if (error != std::errc() || end != text.data() + text.size()) return false;
  value = result;
  return true;
}

double StrToFloat(std::string_view text) {
  double value = 0;
  if (!TextToFloat(text, value))
    throw EConvertError("'" + std::string(text) + "' is not a valid floating point value");
  return value;
}

int64_t StrToInt(std::string_view text) {
  int64_t value = 0;
  if (!TextToInt(text, value))
    throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
  return value;
}

} // namespace vandro
