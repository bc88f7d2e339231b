#include "language/custom_code.h"

#include "language/vocabulary.h"
#include "shell/messages.h"
#include "shell/text.h"
#include "values/unit_lexer.h"
#include "values/value_text.h"

#include <array>
#include <utility>

namespace vandro {

namespace {

// Tabs and other control characters separate lexemes like blanks do.
bool IsBlank(char c) {
  return static_cast<unsigned char>(c) <= ' ';
}

bool IsOperatorChar(char c) {
  return std::string_view("+-*/%><=&").find(c) != std::string_view::npos;
}

// The apostrophe and the double quote open strings and "&" is read with the
// operators; the rest stand alone.
bool IsDelimiterChar(char c) {
  return std::string_view(".,:?\\()[]{}\xB1^").find(c) != std::string_view::npos;
}

// On an upper-cased line: "E", or the Cyrillic capital "Е" (0xC5).
bool IsExponentMarker(char c) {
  return c == 'E' || c == '\xC5';
}

constexpr std::array<std::string_view, 6> kTwoCharacterSymbols = {
    "<=", "<>", ">=", "==", "/:", "&&"};

size_t SkipBlanks(std::string_view line, size_t i) {
  while (i < line.size() && IsBlank(line[i]))
    ++i;
  return i;
}

void AppendDigits(std::string_view line, size_t& i, std::string& out) {
  while (i < line.size() && IsDigit(line[i]))
    out += line[i++];
}

// Digits [ "." digits ] [ exponent ], appended to out with the exponent
// marker written "E". False when there is no leading digit or the exponent
// has no digits.
bool ReadUnsignedNumber(std::string_view line, size_t& i, std::string& out) {
  if (i >= line.size() || !IsDigit(line[i])) return false;
  AppendDigits(line, i, out);
  if (i < line.size() && line[i] == '.') {
    out += line[i++];
    AppendDigits(line, i, out);
  }
  if (i < line.size() && IsExponentMarker(line[i])) {
    out += 'E';
    ++i;
    if (i < line.size() && (line[i] == '+' || line[i] == '-')) out += line[i++];
    if (i >= line.size() || !IsDigit(line[i])) return false;
    AppendDigits(line, i, out);
  }
  return true;
}

// "±" has been read: a number, or "(" number ";" number ")".
bool ReadDeviation(std::string_view line, size_t& i, std::string& out) {
  i = SkipBlanks(line, i);
  if (i >= line.size() || line[i] != '(') return ReadUnsignedNumber(line, i, out);
  out += line[i++];
  for (const char closing : {';', ')'}) {
    i = SkipBlanks(line, i);
    if (!ReadUnsignedNumber(line, i, out)) return false;
    i = SkipBlanks(line, i);
    if (i >= line.size() || line[i] != closing) return false;
    out += line[i++];
  }
  return true;
}

} // namespace

void TCustomCode::NextLexeme() {
  if (listingOn_ && kind_ != lkError && kind_ != lkEnd) EchoLexeme();
  if (!FindLexemeStart()) {
    kind_ = lkEnd;
    text_.clear();
    return;
  }
  const char first = upperLine_[static_cast<size_t>(position_) - 1];
  if (IsNameLetter(first)) {
    ReadWord();
  } else if (IsDigit(first)) {
    ReadNumber();
  } else if (IsOperatorChar(first)) {
    ReadOperator();
  } else if (first == '\'' || first == '"') {
    ReadString();
  } else if (IsDelimiterChar(first)) {
    kind_ = lkDelimiter;
    text_.assign(1, first);
    ++position_;
  } else {
    // The message shows the character as the user wrote it.
    text_.assign(1, line_[static_cast<size_t>(position_) - 1]);
    ++position_;
    Fail("Unknown symbol:" + text_);
  }
}

void TCustomCode::Reset() {
  lineIndex_ = 0;
  position_ = 1;
  kind_ = lkError;
  text_.clear();
  error_.clear();
  listingOn_ = false;
  ClearListing();
  cachedIndex_ = -1;
  line_.clear();
  upperLine_.clear();
}

void TCustomCode::ClearListing() {
  listing_.clear();
  newLine_ = true;
}

std::string TCustomCode::ListingText() const {
  std::string text;
  for (size_t i = 0; i < listing_.size(); ++i) {
    if (i > 0) text += kLineBreak;
    text += listing_[i];
  }
  return text;
}

bool TCustomCode::IsName(std::string_view text) {
  return vandro::IsName(text);
}

void TCustomCode::EchoLexeme() {
  if (newLine_ || listing_.empty()) {
    listing_.emplace_back(" ");
    newLine_ = false;
  }
  std::string& entry = listing_.back();
  if (kind_ != lkString) {
    entry += ' ';
    entry += text_;
    return;
  }
  entry += '\'';
  for (const char c : text_) {
    if (c == '\'') entry += '\'';
    entry += c;
  }
  entry += '\'';
}

bool TCustomCode::FindLexemeStart() {
  while (lineIndex_ >= 0 && lineIndex_ < SourceLineCount()) {
    LoadLine();
    const size_t from = position_ < 1 ? 0 : static_cast<size_t>(position_) - 1;
    const size_t start = SkipBlanks(upperLine_, from);
    if (start < upperLine_.size()) {
      position_ = static_cast<int32_t>(start + 1);
      return true;
    }
    ++lineIndex_;
    position_ = 1;
    newLine_ = true;
  }
  return false;
}

void TCustomCode::LoadLine() {
  if (cachedIndex_ == lineIndex_) return;
  line_ = SourceLine(lineIndex_);
  upperLine_ = UpperCase(line_);
  cachedIndex_ = lineIndex_;
}

void TCustomCode::Fail(std::string message) {
  kind_ = lkError;
  error_ = std::move(message);
}

void TCustomCode::ReadWord() {
  const size_t start = static_cast<size_t>(position_) - 1;
  size_t end = start;
  while (end < upperLine_.size() && (IsNameLetter(upperLine_[end]) || IsDigit(upperLine_[end])))
    ++end;
  text_ = upperLine_.substr(start, end - start);
  position_ = static_cast<int32_t>(end + 1);
  // The order matters where tables overlap: "IN", "DIV" and "MOD" are
  // operators and "AND", "OR", "NOT" logical, though the keyword table also
  // holds them.
  if (InTable(text_, kOperatorTable))
    kind_ = lkOperator;
  else if (InTable(text_, kRelationTable))
    kind_ = lkRelation;
  else if (InTable(text_, kLogicalTable))
    kind_ = lkLogical;
  else if (InTable(text_, kStdFunctionTable))
    kind_ = lkStdFunction;
  else if (InTable(text_, kBooleanTable))
    kind_ = lkBoolean;
  else if (InTable(text_, kKeywordTable))
    kind_ = lkKeyword;
  else if (text_.size() > kMaxIdentifierLength)
    Fail("Identifier is too long");
  else
    kind_ = lkIdentifier;
}

// The lexeme text is the literal without the blanks that may separate its
// parts, and with the unit as written, so the value code can read it back.
void TCustomCode::ReadNumber() {
  const std::string_view line = upperLine_;
  size_t i = static_cast<size_t>(position_) - 1;
  std::string literal;
  bool ok = ReadUnsignedNumber(line, i, literal);
  if (ok) {
    const size_t sign = SkipBlanks(line, i);
    if (sign < line.size() && line[sign] == kDeviationSign) {
      literal += kDeviationSign;
      i = sign + 1;
      ok = ReadDeviation(line, i, literal);
    }
  }
  if (ok) {
    const size_t open = SkipBlanks(line, i);
    if (open < line.size() && line[open] == '[') {
      const size_t close = line_.find(']', open + 1);
      if (close == std::string::npos) {
        i = line.size();
        ok = false;
      } else {
        literal.append(line_, open, close - open + 1);
        i = close + 1;
      }
    }
  }
  text_ = std::move(literal);
  position_ = static_cast<int32_t>(i + 1);
  if (ok)
    kind_ = lkNumber;
  else
    Fail("Invalid numeric syntax");
}

void TCustomCode::ReadOperator() {
  const std::string_view line = upperLine_;
  const size_t start = static_cast<size_t>(position_) - 1;
  size_t length = 1;
  if (start + 1 < line.size()) {
    const std::string_view pair = line.substr(start, 2);
    for (const std::string_view symbol : kTwoCharacterSymbols)
      if (pair == symbol) length = 2;
  }
  text_ = line.substr(start, length);
  position_ = static_cast<int32_t>(start + length + 1);
  // A lone "&" is a delimiter wherever it stands, the end of a line included.
  if (text_ == "&")
    kind_ = lkDelimiter;
  else
    kind_ = InTable(text_, kRelationTable) ? lkRelation : lkOperator;
}

void TCustomCode::ReadString() {
  const size_t start = static_cast<size_t>(position_) - 1;
  const char quote = line_[start];
  std::string content;
  for (size_t i = start + 1; i < line_.size(); ++i) {
    if (line_[i] != quote) {
      content += line_[i];
    } else if (i + 1 < line_.size() && line_[i + 1] == quote) {
      content += quote;
      ++i;
    } else {
      kind_ = lkString;
      text_ = std::move(content);
      position_ = static_cast<int32_t>(i + 2);
      return;
    }
  }
  text_ = std::move(content);
  position_ = static_cast<int32_t>(line_.size() + 1);
  Fail("Unterminated string");
}

std::string TLinesCode::SourceLine(int32_t index) const {
  if (index < 0 || static_cast<size_t>(index) >= lines_.size()) return {};
  return lines_[static_cast<size_t>(index)];
}

void TLinesCode::SetLines(std::vector<std::string> lines) {
  lines_ = std::move(lines);
  Reset();
}

} // namespace vandro
