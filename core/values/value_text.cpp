#include "values/value_text.h"

#include "shell/datetime.h"
#include "shell/numbers.h"
#include "shell/text.h"
#include "values/units.h"
#include "values/value.h"

#include <array>
#include <cmath>
#include <cstdlib>

namespace vandro {

namespace {

// A number text cut into its parts; views into the text, not yet converted.
struct NumberParts {
  std::string number;
  std::string deviation; // empty when there is none
  bool hasDeviation = false;
  std::string unit; // trimmed, without brackets; empty when there is none
};

bool IsNoUnit(std::string_view unit) {
  const std::string upper = UpperCase(TrimView(unit));
  return upper == "NONE" || upper == "(NONE)";
}

void CommasToPoints(std::string& text, int count) {
  for (char& c : text) {
    if (count == 0) break;
    if (c == ',') {
      c = '.';
      --count;
    }
  }
}

// Cuts the text by the number grammar. False when its shape is not a number
// (the parts themselves are converted afterwards).
bool SplitNumber(std::string_view text, TNumberCheck mode, NumberParts& parts) {
  if (text.empty() || !(IsDigit(text[0]) || text[0] == '-')) return false;
  const size_t sign = text.find(kDeviationSign);
  std::string_view rest;
  if (sign == std::string_view::npos) {
    const size_t dot = text.find('.');
    if (dot != std::string_view::npos && text.find('.', dot + 1) != std::string_view::npos)
      return false; // a date, not a number
    const size_t bracket = text.find('[');
    if (bracket == std::string_view::npos) {
      parts.number = text;
    } else {
      parts.number = TrimView(text.substr(0, bracket));
      rest = text.substr(bracket);
    }
  } else {
    if (mode != TNumberCheck::Numeric) return false;
    parts.number = text.substr(0, sign);
    parts.hasDeviation = true;
    const std::string_view after = TrimView(text.substr(sign + 1));
    const size_t bracket = after.find('[');
    parts.deviation = TrimView(after.substr(0, bracket));
    if (bracket != std::string_view::npos) rest = after.substr(bracket);
  }
  if (!rest.empty()) {
    if (mode != TNumberCheck::Numeric) return false;
    // The unit ends the text; a bracket inside it would let text after the
    // unit pass for part of it.
    const std::string_view unit = TrimView(rest.substr(1));
    if (unit.empty() || unit.back() != ']') return false;
    parts.unit = TrimView(unit.substr(0, unit.size() - 1));
    if (parts.unit.find_first_of("[]") != std::string::npos) return false;
  }
  CommasToPoints(parts.number, 1);
  CommasToPoints(parts.deviation, 2);
  return true;
}

bool ConvertDeviation(std::string_view text, double& value) {
  if (TrimView(text).empty()) {
    value = 0;
    return true;
  }
  return TextToFloat(text, value) && value >= 0;
}

// The deviation part: "d" or "(plus;minus)", both non-negative.
bool ReadDeviation(std::string_view text, double& plus, double& minus) {
  if (!text.empty() && text[0] == '(') {
    const size_t semicolon = text.find(';');
    if (text.back() != ')' || semicolon == std::string_view::npos) return false;
    return ConvertDeviation(text.substr(1, semicolon - 1), plus) &&
           ConvertDeviation(text.substr(semicolon + 1, text.size() - semicolon - 2), minus);
  }
  if (!TextToFloat(text, plus) || plus < 0) return false;
  minus = plus;
  return true;
}

bool UnitIsValid(std::string_view unit) {
  if (unit.empty() || IsNoUnit(unit)) return true;
  TUnitNF unused;
  return ActiveUnits().ParseUnit(unit, true, unused);
}

constexpr std::array<std::string_view, 8> kTrueWords = {
    "YES", "\xC4\xC0", "\xC4", "Y", "+", "\xC8\xD1\xD2\xC8\xCD\xC0", "T", "TRUE"};
constexpr std::array<std::string_view, 8> kFalseWords = {"NO", "\xCD\xC5\xD2",     "\xCD", "N",
                                                         "-",  "\xCB\xCE\xC6\xDC", "F",    "FALSE"};

bool IsOneOf(std::string_view word, const std::array<std::string_view, 8>& words) {
  for (auto w : words)
    if (w == word) return true;
  return false;
}

const TValueNames* valueNames = nullptr;

} // namespace

bool IsNumberText(std::string_view text, TNumberCheck mode) {
  NumberParts parts;
  if (!SplitNumber(text, mode, parts)) return false;
  double number = 0, plus = 0, minus = 0;
  if (!TextToFloat(parts.number, number)) return false;
  int64_t whole = 0;
  if (mode == TNumberCheck::Integer && !TextToInt(parts.number, whole)) return false;
  if (parts.hasDeviation && !ReadDeviation(parts.deviation, plus, minus)) return false;
  return UnitIsValid(parts.unit);
}

void DecodeNumber(std::string_view text, double& number, double& plusDeviation,
                  double& minusDeviation, std::string& unit) {
  NumberParts parts;
  if (!SplitNumber(text, TNumberCheck::Numeric, parts))
    throw EConvertError("'" + std::string(text) + "' is not a valid number");
  double value = StrToFloat(parts.number);
  double plus = 0, minus = 0;
  if (parts.hasDeviation && !ReadDeviation(parts.deviation, plus, minus))
    throw EConvertError("'" + parts.deviation + "' is not a valid deviation");
  if (!UnitIsValid(parts.unit)) throw EConvertError("'" + parts.unit + "' is not a valid unit");
  number = value;
  plusDeviation = plus;
  minusDeviation = minus;
  unit = IsNoUnit(parts.unit) ? std::string() : UpperCase(parts.unit);
}

std::string NumberText(std::string_view unit, double minusDeviation, double plusDeviation,
                       double number) {
  // A NaN deviation would compare false below and vanish without a word.
  if (!std::isfinite(plusDeviation) || !std::isfinite(minusDeviation))
    throw EConvertError("The number is out of range");
  std::string text = FloatToText(number);
  if (plusDeviation > 0 || minusDeviation > 0) {
    text += " ";
    text += kDeviationSign;
    if (plusDeviation == minusDeviation)
      text += FloatToText(plusDeviation);
    else
      text += "(" + FloatToText(plusDeviation) + ";" + FloatToText(minusDeviation) + ")";
  }
  if (!unit.empty()) text += " [" + std::string(unit) + "]";
  return text;
}

bool IsDateTimeText(std::string_view text) {
  // The text's own first separator fixes the order of day and month.
  text = TrimView(text);
  if (text.empty() || !IsDigit(text[0])) return false;
  size_t i = 0;
  while (i < text.size() && IsDigit(text[i]))
    ++i;
  if (i == text.size() || (text[i] != '.' && text[i] != '/')) return false;
  double moment = 0;
  return TryTextToDateTime(text, text[i] == '/' ? TDateStyle::US : TDateStyle::European, moment);
}

double DecodeDateTime(std::string_view text) {
  text = TrimView(text);
  const TDateStyle style = DateStyle();
  const TDateStyle other = style == TDateStyle::European ? TDateStyle::US : TDateStyle::European;
  double moment = 0;
  if (TryTextToDateTime(text, style, moment) || TryTextToDateTime(text, other, moment))
    return moment;
  return 0;
}

bool IsBooleanText(std::string_view text) {
  const std::string upper = UpperCase(text);
  return IsOneOf(upper, kTrueWords) || IsOneOf(upper, kFalseWords);
}

bool DecodeBoolean(std::string_view text, bool& flag) {
  const std::string upper = UpperCase(TrimView(text));
  if (upper == "1" || IsOneOf(upper, kTrueWords)) {
    flag = true;
    return true;
  }
  if (upper == "0" || IsOneOf(upper, kFalseWords)) {
    flag = false;
    return true;
  }
  return false;
}

bool IsName(std::string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = UpperChar(text[i]);
    if (!IsNameLetter(c) && (i == 0 || !IsDigit(c))) return false;
  }
  return true;
}

const TValueNames* SetValueNames(const TValueNames* names) {
  const TValueNames* previous = valueNames;
  valueNames = names;
  return previous;
}

std::string ToDisplayText(const TValue* value) {
  if (!value) return "NULL";
  const std::string& text = value->Text();
  switch (value->Kind()) {
  case vkPlain:
    return text.empty() ? "Null" : text;
  case vkObject: {
    if (text == "0") return "<Null Object; ID:0>";
    const int32_t id = static_cast<int32_t>(std::strtol(text.c_str(), nullptr, 10));
    std::string name;
    if (valueNames)
      name = value->IsStateRef() ? valueNames->RecordName(id) : valueNames->ObjectName(id);
    return "<" + name + "; ID:" + text + ">";
  }
  case vkLink:
  case vkCalculated:
    return "<" + text + ">";
  case vkArray: {
    const int count = value->ItemCount();
    if (count == 0) return "[empty]";
    std::string out = "[" + std::to_string(count) + "](" + ToDisplayText(&value->GetItem(0));
    int shown = 1;
    while (shown < count && out.size() <= 64)
      out += "," + ToDisplayText(&value->GetItem(shown++));
    if (shown < count) out += ",...";
    return out + ")";
  }
  case vkFuncMarker:
    return {};
  }
  return text;
}

} // namespace vandro
