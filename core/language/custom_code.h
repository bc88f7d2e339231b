// The lexer of the project language (formulas, auto formulas, queries).
//
// TCustomCode reads a source made of lines and yields one lexeme per
// NextLexeme() call; the source itself comes from a derived class, so the
// executor can lex its own list of lines. Lexical errors are not raised: the
// lexeme becomes lkError and the message is kept in Error() for the parser.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vandro {

// Stored and compared by number: the codes must not change (7 is unused).
enum TLexemeKind : uint8_t {
  lkError = 0,
  lkIdentifier = 1,
  lkKeyword = 2,
  lkOperator = 3,
  lkLogical = 4,
  lkRelation = 5,
  lkNumber = 6,
  lkBoolean = 8,
  lkString = 9,
  lkDelimiter = 10,
  lkStdFunction = 11,
  lkEnd = 12,
};

// Identifiers are names of parameters and variables, whose fields hold 32
// characters.
inline constexpr size_t kMaxIdentifierLength = 32;

class TCustomCode {
public:
  virtual ~TCustomCode() = default;

  // The source, in code page 1251. A line is read once when the lexer enters
  // it; after the source changes, Reset() makes the lexer read it afresh.
  virtual int32_t SourceLineCount() const = 0;
  virtual std::string SourceLine(int32_t index) const = 0;

  // Moves to the next lexeme. Past the last line every call gives lkEnd.
  void NextLexeme();
  // Back to the start of the source; also turns the listing off and clears it.
  void Reset();
  void ClearListing();
  // The listing lines joined by CR LF.
  std::string ListingText() const;

  // Empty, or a letter followed by letters and digits, without regard to case.
  static bool IsName(std::string_view text);

  // Current source line, from 0, and the 1-based position in it of the
  // character after the current lexeme.
  int32_t LineIndex() const { return lineIndex_; }
  int32_t Position() const { return position_; }
  TLexemeKind Kind() const { return kind_; }
  // Words and symbols upper-cased; strings and units as written.
  const std::string& Text() const { return text_; }
  // The message of the last lexical or syntax error.
  const std::string& Error() const { return error_; }

  // While on, every lexeme consumed is echoed into the listing, one entry per
  // source line started; queries recover the text of their expressions so.
  bool ListingOn() const { return listingOn_; }
  void SetListingOn(bool on) { listingOn_ = on; }
  const std::vector<std::string>& Listing() const { return listing_; }
  // A new source line was entered since the last echo.
  bool NewLine() const { return newLine_; }

protected:
  // The parser derived from the lexer records its own syntax errors here and
  // may move the reading point; the line cache follows the line index.
  int32_t lineIndex_ = 0;
  int32_t position_ = 1;
  TLexemeKind kind_ = lkError;
  std::string text_;
  std::string error_;
  bool listingOn_ = false;
  std::vector<std::string> listing_;
  bool newLine_ = true;

private:
  void EchoLexeme();
  // Skips blanks, blank lines and finished lines. False at the end of the
  // source; otherwise the current line is loaded and position_ is on a
  // character that is not a blank.
  bool FindLexemeStart();
  void LoadLine();
  void Fail(std::string message);
  void ReadWord();
  void ReadNumber();
  void ReadOperator();
  void ReadString();

  // The current line as written and upper-cased; cachedIndex_ names it.
  int32_t cachedIndex_ = -1;
  std::string line_;
  std::string upperLine_;
};

// A source held as a list of lines, for callers that have the text at hand.
class TLinesCode : public TCustomCode {
public:
  TLinesCode() = default;
  explicit TLinesCode(std::vector<std::string> lines) : lines_(std::move(lines)) {}

  int32_t SourceLineCount() const override { return static_cast<int32_t>(lines_.size()); }
  std::string SourceLine(int32_t index) const override;

  // Replaces the source and resets the lexer.
  void SetLines(std::vector<std::string> lines);

private:
  std::vector<std::string> lines_;
};

} // namespace vandro
