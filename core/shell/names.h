// What a name must be before it is stored: it fits the field that keeps it
// and holds no control character. A name that is too long is refused, never
// cut, because a cut name can be another object's name; a control character
// would reach a terminal or break a line of an export.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vandro {

inline constexpr size_t kStoredNameCapacity = 32;

// Whether the text holds a control character (below 0x20, or 0x7F).
bool HasControlCharacter(std::string_view text);

// Why the name cannot be stored: "The name holds a control character" or
// "The name is longer than N characters: NAME"; empty when it can.
std::string NameFault(std::string_view name, size_t capacity = kStoredNameCapacity);

// Shows the fault and raises ErrorException when there is one.
void RequireStorableName(std::string_view name, size_t capacity = kStoredNameCapacity);

// Shows the fault and gives false when there is one.
bool CheckStorableName(std::string_view name, size_t capacity = kStoredNameCapacity);

// The text with every control character (below 0x20, and 0x7F) but those in
// keep written as \xHH, so that a name read from a project never drives a
// terminal.
std::string EscapeControls(std::string_view text, std::string_view keep = {});

} // namespace vandro
