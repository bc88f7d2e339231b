// Strings and multi-line texts. Lines are separated by CR LF.
#include "language/std_functions.h"
#include "language/std_functions_support.h"

#include "shell/text.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace vandro::stdfn {

namespace {

constexpr std::string_view kLineBreak = "\r\n";

// The lines of a text; a line break at the very end starts no further line.
std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const size_t end = text.find(kLineBreak);
    lines.push_back(text.substr(0, end));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + kLineBreak.size());
  }
  return lines;
}

// The two operands of a function joining texts must both be plain.
bool PlainOperands(const TArgs& args, std::string& message) {
  if (!args[0]->IsPlain()) {
    message = "First operand should be a plain value";
    return false;
  }
  if (!args[1]->IsPlain()) {
    message = "Second operand should be a plain value";
    return false;
  }
  return true;
}

// A position or length of SUBSTR: a whole number without unit or deviation.
bool ReadPosition(const TValue& value, const char* what, long double& number,
                  std::string& message) {
  TNumber n;
  if (!ReadNumber(value, n)) {
    message = std::string(what) + " should be numeric";
    return false;
  }
  if (!n.unit.empty() || n.plus != 0 || n.minus != 0 || n.value != std::nearbyint(n.value)) {
    message = std::string(what) + " should be integer without units";
    return false;
  }
  number = n.value;
  return true;
}

} // namespace

bool Len(const TArgs& args, TValue& result, std::string& message) {
  const TValue& value = *args[0];
  return WriteCount(result, value.IsArray() ? value.ItemCount() : value.Text().size(), message);
}

bool ChangeText(uint8_t code, const TValue& argument, TValue& result, std::string& message) {
  if (!argument.IsPlain()) {
    message = "Parameter should be plain value";
    return false;
  }
  const std::string& text = argument.Text();
  switch (code) {
  case sfUpper:
    result.SetPlain(UpperCase(text));
    return true;
  case sfLower:
    result.SetPlain(LowerCase(text));
    return true;
  case sfTrim:
    result.SetPlain(Trim(text));
    return true;
  case sfLTrim:
    result.SetPlain(TrimLeft(text));
    return true;
  case sfRTrim:
    result.SetPlain(TrimRight(text));
    return true;
  default:
    message = "Unknown standard function code: " + std::to_string(code);
    return false;
  }
}

bool Substr(const TArgs& args, TValue& result, std::string& message) {
  if (!args[0]->IsPlain()) {
    message = "First parameter should be a string";
    return false;
  }
  const std::string& text = args[0]->Text();
  const long double size = static_cast<long double>(text.size());
  long double position = 0, length = size;
  if (!ReadPosition(*args[1], "Index", position, message)) return false;
  if (args.size() > 2 && !ReadPosition(*args[2], "Length", length, message)) return false;
  // Positions before the first character count from it; a part beyond the
  // end, or of no length, is empty.
  const long double first = std::max<long double>(position, 1) - 1;
  if (first >= size || length <= 0) {
    result.SetPlain({});
    return true;
  }
  const size_t start = static_cast<size_t>(first);
  const size_t count = static_cast<size_t>(std::min(length, size - first));
  result.SetPlain(text.substr(start, count));
  return true;
}

bool At(const TArgs& args, TValue& result, std::string& message) {
  if (!PlainOperands(args, message)) return false;
  const std::string& part = args[0]->Text();
  const size_t at = part.empty() ? std::string::npos : args[1]->Text().find(part);
  return WriteCount(result, at == std::string::npos ? 0 : at + 1, message);
}

bool LineCount(const TArgs& args, TValue& result, std::string& message) {
  const TValue& value = *args[0];
  if (!value.IsPlain()) {
    message = "Parameter should be plain value";
    return false;
  }
  size_t count = value.IsNull() ? 0 : 1;
  if (value.IsText()) count = SplitLines(value.Text()).size();
  return WriteCount(result, count, message);
}

bool AddLines(const TArgs& args, TValue& result, std::string& message) {
  if (!PlainOperands(args, message)) return false;
  result.SetPlain(args[0]->Text() + std::string(kLineBreak) + args[1]->Text());
  return true;
}

bool InsertLines(const TArgs& args, TValue& result, std::string& message) {
  if (!PlainOperands(args, message)) return false;
  result.SetPlain(args[1]->Text() + std::string(kLineBreak) + args[0]->Text());
  return true;
}

bool DeleteLines(const TArgs& args, TValue& result, std::string& message) {
  if (!PlainOperands(args, message)) return false;
  int64_t index = 0;
  if (!ReadWhole(*args[1], index) || index < 0) {
    message = "Second operand should be a positive integer";
    return false;
  }
  const std::vector<std::string_view> lines = SplitLines(args[0]->Text());
  if (static_cast<uint64_t>(index) >= lines.size()) {
    result.Assign(*args[0]);
    return true;
  }
  std::string text;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i == static_cast<size_t>(index)) continue;
    text.append(lines[i]).append(kLineBreak);
  }
  result.SetPlain(std::move(text));
  return true;
}

} // namespace vandro::stdfn
