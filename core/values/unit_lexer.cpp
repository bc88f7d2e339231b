#include "values/unit_lexer.h"

namespace vandro {

TUnitLexeme TUnitLexer::Next() {
  while (position_ < text_.size() && text_[position_] == ' ')
    ++position_;
  if (position_ >= text_.size()) return {TUnitLexemeKind::End, {}};

  const size_t start = position_;
  const char c = text_[position_];
  if (IsNameLetter(c)) {
    while (position_ < text_.size() &&
           (IsNameLetter(text_[position_]) || IsDigit(text_[position_])))
      ++position_;
    return {TUnitLexemeKind::Name, std::string(text_.substr(start, position_ - start))};
  }
  if (IsDigit(c) || (c == '-' && position_ + 1 < text_.size() && IsDigit(text_[position_ + 1]))) {
    ++position_;
    while (position_ < text_.size() && IsDigit(text_[position_]))
      ++position_;
    return {TUnitLexemeKind::Integer, std::string(text_.substr(start, position_ - start))};
  }
  ++position_;
  if (c == '*' || c == '/' || c == '^') return {TUnitLexemeKind::Operator, std::string(1, c)};
  if (c == '(' || c == ')') return {TUnitLexemeKind::Bracket, std::string(1, c)};
  return {TUnitLexemeKind::Error, "Invalid symbol" + std::string(1, c)};
}

} // namespace vandro
