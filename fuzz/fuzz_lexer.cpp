// The lexer reads formulas and queries typed by the user: any bytes, cut into
// lines, must lex to the end without a crash, a hang or a read out of bounds,
// and the listing must not change what is lexed.
#include "language/custom_code.h"
#include "language/vocabulary.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

using namespace vandro;

struct Lexeme {
  TLexemeKind kind;
  std::string text;
  bool operator==(const Lexeme&) const = default;
};

std::vector<Lexeme> LexToEnd(TLinesCode& code, size_t inputSize, size_t lineCount, bool listing) {
  code.Reset();
  code.SetListingOn(listing);
  // Every lexeme consumes at least one character, and every line is left at
  // most once: more calls than that mean the lexer is stuck.
  const size_t limit = inputSize + lineCount + 2;
  std::vector<Lexeme> lexemes;
  for (size_t calls = 0;; ++calls) {
    if (calls > limit) __builtin_trap();
    code.NextLexeme();
    if (code.Kind() == lkEnd) break;
    if (code.LineIndex() < 0 || code.LineIndex() >= code.SourceLineCount() || code.Position() < 1 ||
        static_cast<size_t>(code.Position()) > code.SourceLine(code.LineIndex()).size() + 1)
      __builtin_trap();
    if (code.Kind() == lkError && code.Error().empty()) __builtin_trap();
    (void)InTable(code.Text(), kKeywordTable);
    lexemes.push_back({code.Kind(), code.Text()});
  }
  code.NextLexeme();
  if (code.Kind() != lkEnd) __builtin_trap();
  (void)code.ListingText();
  return lexemes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> lines(1);
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == '\n')
      lines.emplace_back();
    else
      lines.back() += static_cast<char>(data[i]);
  }
  for (const std::string& line : lines)
    (void)TCustomCode::IsName(line);
  const size_t lineCount = lines.size();
  TLinesCode code(std::move(lines));
  const std::vector<Lexeme> plain = LexToEnd(code, size, lineCount, false);
  const std::vector<Lexeme> listed = LexToEnd(code, size, lineCount, true);
  if (plain != listed) __builtin_trap();
  return 0;
}
