// Lexed sources kept by their text, so that a formula evaluated for many
// records (a calculated column, a query condition, a parameter's formula in
// every state) is lexed once.
//
// Lexing depends on the text and on the fixed vocabulary tables alone: names
// are not resolved here but by the parser on every run, so a parameter
// created after a text was cached is still found. The cache is per thread,
// holds at most kMaxEntries texts of at most kMaxTextLength characters
// (longer ones are lexed every time) and forgets the oldest beyond that.
#pragma once

#include "language/custom_code.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vandro {

// The lexer's state after one step, as the parser reads it.
struct TLexeme {
  TLexemeKind Kind = lkEnd;
  std::string Text;
  int32_t Line = 0;
  int32_t Position = 1;
};

// Every lexeme of a source up to and including its end, or up to its first
// lexical error, whose message is kept.
struct TLexedSource {
  std::vector<TLexeme> Lexemes;
  std::string Error;
};

class TLexemeCache {
public:
  static constexpr size_t kMaxEntries = 256;
  static constexpr size_t kMaxTextLength = 4096;

  // nullptr when the text has not been lexed (or was forgotten).
  std::shared_ptr<const TLexedSource> Find(std::string_view text) const;
  // Keeps nothing for a text longer than kMaxTextLength.
  void Add(std::string text, std::shared_ptr<const TLexedSource> lexed);
  void Clear();
  size_t Size() const { return entries_.size(); }

private:
  struct THash {
    using is_transparent = void;
    size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
  };
  std::unordered_map<std::string, std::shared_ptr<const TLexedSource>, THash, std::equal_to<>>
      entries_;
  std::deque<std::string> order_; // oldest first
};

// This thread's cache.
TLexemeCache& LexemeCache();

} // namespace vandro
