#include "values/unknown_unit.h"

#include "shell/messages.h"
#include "shell/text.h"
#include "values/value.h"
#include "values/value_text.h"

namespace vandro {

std::string UnknownUnitOf(std::string_view text) {
  // Only a bracketed unit at the end can be what keeps a number text from
  // being one: the text before it must be a number (with its deviation).
  const std::string_view body = TrimRightView(text);
  if (body.empty() || body.back() != ']') return {};
  const size_t open = body.rfind('[');
  if (open == std::string_view::npos) return {};
  const std::string_view unit = TrimView(body.substr(open + 1, body.size() - open - 2));
  if (unit.empty() || unit.find('[') != std::string_view::npos) return {};
  if (IsNumberText(text, TNumberCheck::Numeric) ||
      !IsNumberText(TrimRightView(body.substr(0, open)), TNumberCheck::Numeric))
    return {};
  return std::string(unit);
}

std::string UnknownUnitMessage(std::string_view unit) {
  return "Unknown unit " + std::string(unit) + ": the value is kept as text";
}

bool WarnOfUnknownUnit(const TValue& value, std::string_view prefix) {
  if (value.Kind() != vkPlain) return false;
  const std::string unit = UnknownUnitOf(value.Text());
  if (unit.empty()) return false;
  ShowMsg(std::string(prefix) + UnknownUnitMessage(unit));
  return true;
}

} // namespace vandro
