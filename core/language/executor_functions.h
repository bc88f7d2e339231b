// The standard functions as the parser sees them: code, name and how many
// arguments a call may pass.
//
// The parser checks every call against this table before the processor runs
// operation 8 with the code; the functions themselves live elsewhere and are
// reached through the processor's function table. The codes are stored in
// nothing but are fixed all the same: the function table dispatches on them.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace vandro {

// No upper limit on the number of arguments.
inline constexpr uint8_t kAnyArgumentCount = 255;

struct TFunctionSignature {
  std::string_view name; // upper case, as the lexer yields it
  uint8_t code;
  uint8_t minArguments;
  uint8_t maxArguments; // kAnyArgumentCount: no limit
  // The call may be written without "(" (PI, NOW, ORIGIN, ACTUALSTATE).
  bool withoutBrackets;
};

// Every standard function, in code order.
std::span<const TFunctionSignature> FunctionSignatures();

// The signature of the function with this name (any case); nullptr when there
// is none.
const TFunctionSignature* FindFunctionSignature(std::string_view name);

} // namespace vandro
