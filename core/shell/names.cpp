#include "shell/names.h"

#include "shell/messages.h"

#include <algorithm>

namespace vandro {

namespace {

bool IsControl(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte < 0x20 || byte == 0x7F;
}

} // namespace

bool HasControlCharacter(std::string_view text) {
  return std::any_of(text.begin(), text.end(), IsControl);
}

std::string NameFault(std::string_view name, size_t capacity) {
  if (HasControlCharacter(name)) return "The name holds a control character";
  if (name.size() > capacity)
    return "The name is longer than " + std::to_string(capacity) +
           " characters: " + std::string(name);
  return {};
}

void RequireStorableName(std::string_view name, size_t capacity) {
  const std::string fault = NameFault(name, capacity);
  if (!fault.empty()) RaiseError(fault);
}

bool CheckStorableName(std::string_view name, size_t capacity) {
  const std::string fault = NameFault(name, capacity);
  if (fault.empty()) return true;
  ShowMsg(fault);
  return false;
}

std::string EscapeControls(std::string_view text, std::string_view keep) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    if (!IsControl(c) || keep.find(c) != std::string_view::npos) {
      out += c;
      continue;
    }
    const auto byte = static_cast<unsigned char>(c);
    out += "\\x";
    out += kHex[byte >> 4];
    out += kHex[byte & 0xF];
  }
  return out;
}

} // namespace vandro
