// The lexer of unit expressions ("m^2*kg/s"). It reads upper-cased text.
#pragma once

#include <string>
#include <string_view>

namespace vandro {

enum class TUnitLexemeKind { End, Name, Integer, Operator, Bracket, Error };

struct TUnitLexeme {
  TUnitLexemeKind kind = TUnitLexemeKind::End;
  std::string text; // for Error: the message
};

class TUnitLexer {
public:
  explicit TUnitLexer(std::string_view upperText) : text_(upperText) {}
  TUnitLexeme Next();
  // 1-based position of the next character to read.
  size_t Position() const { return position_ + 1; }

private:
  std::string_view text_;
  size_t position_ = 0;
};

// A letter of unit and language names: "_", "A".."Z" and the Cyrillic
// capitals of code page 1251 (0xC0..0xDF).
inline bool IsNameLetter(char c) {
  const auto b = static_cast<unsigned char>(c);
  return c == '_' || (c >= 'A' && c <= 'Z') || b >= 0xC0;
}
inline bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

} // namespace vandro
