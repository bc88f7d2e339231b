#include "language/custom_code.h"
#include "language/vocabulary.h"
#include "support/cp.h"

#include <gtest/gtest.h>

#include <ostream>

namespace vandro {
namespace {

using testing::Cp;

// One lexeme as a test sees it; for an error the text is the message.
struct Lexeme {
  TLexemeKind kind;
  std::string text;
  bool operator==(const Lexeme&) const = default;
};

void PrintTo(const Lexeme& lexeme, std::ostream* os) {
  *os << "{" << static_cast<int>(lexeme.kind) << ", \"" << lexeme.text << "\"}";
}

std::vector<Lexeme> LexAll(TCustomCode& code) {
  std::vector<Lexeme> lexemes;
  for (int guard = 0; guard < 1000; ++guard) {
    code.NextLexeme();
    if (code.Kind() == lkEnd) return lexemes;
    lexemes.push_back({code.Kind(), code.Kind() == lkError ? code.Error() : code.Text()});
  }
  ADD_FAILURE() << "the lexer never reached the end";
  return lexemes;
}

// Both the source and the expected texts are written in UTF-8 here.
std::vector<Lexeme> LexUtf8(std::string_view line) {
  TLinesCode code({Cp(line)});
  return LexAll(code);
}

struct Case {
  const char* source;
  std::vector<Lexeme> expected;
};

void ExpectCases(const std::vector<Case>& cases) {
  for (const Case& c : cases) {
    SCOPED_TRACE(c.source);
    std::vector<Lexeme> expected = c.expected;
    for (Lexeme& lexeme : expected)
      lexeme.text = Cp(lexeme.text);
    EXPECT_EQ(expected, LexUtf8(c.source));
  }
}

TEST(Lexer, SymbolsJoinOnlyIntoTheirTwoCharacterForms) {
  ExpectCases({
      {"a<>b", {{lkIdentifier, "A"}, {lkRelation, "<>"}, {lkIdentifier, "B"}}},
      {"a&&b", {{lkIdentifier, "A"}, {lkOperator, "&&"}, {lkIdentifier, "B"}}},
      {"a&b", {{lkIdentifier, "A"}, {lkDelimiter, "&"}, {lkIdentifier, "B"}}},
      {"a &", {{lkIdentifier, "A"}, {lkDelimiter, "&"}}},
      {"x := 1", {{lkIdentifier, "X"}, {lkDelimiter, ":"}, {lkRelation, "="}, {lkNumber, "1"}}},
      {"<=>===<>",
       {{lkRelation, "<="}, {lkRelation, ">="}, {lkRelation, "=="}, {lkRelation, "<>"}}},
      {"=< => < >",
       {{lkRelation, "="},
        {lkRelation, "<"},
        {lkRelation, "="},
        {lkRelation, ">"},
        {lkRelation, "<"},
        {lkRelation, ">"}}},
      {"+-*/%/:",
       {{lkOperator, "+"},
        {lkOperator, "-"},
        {lkOperator, "*"},
        {lkOperator, "/"},
        {lkOperator, "%"},
        {lkOperator, "/:"}}},
      {".,:?\\()[]{}±^",
       {{lkDelimiter, "."},
        {lkDelimiter, ","},
        {lkDelimiter, ":"},
        {lkDelimiter, "?"},
        {lkDelimiter, "\\"},
        {lkDelimiter, "("},
        {lkDelimiter, ")"},
        {lkDelimiter, "["},
        {lkDelimiter, "]"},
        {lkDelimiter, "{"},
        {lkDelimiter, "}"},
        {lkDelimiter, "±"},
        {lkDelimiter, "^"}}},
  });
}

TEST(Lexer, WordsAreUpperCasedAndClassifiedByTable) {
  ExpectCases({
      {"in div Mod", {{lkOperator, "IN"}, {lkOperator, "DIV"}, {lkOperator, "MOD"}}},
      {"and or not и или не",
       {{lkLogical, "AND"},
        {lkLogical, "OR"},
        {lkLogical, "NOT"},
        {lkLogical, "И"},
        {lkLogical, "ИЛИ"},
        {lkLogical, "НЕ"}}},
      {"true False истина ЛОЖЬ yes да нет no",
       {{lkBoolean, "TRUE"},
        {lkBoolean, "FALSE"},
        {lkBoolean, "ИСТИНА"},
        {lkBoolean, "ЛОЖЬ"},
        {lkBoolean, "YES"},
        {lkBoolean, "ДА"},
        {lkBoolean, "НЕТ"},
        {lkBoolean, "NO"}}},
      {"sum(a)",
       {{lkStdFunction, "SUM"}, {lkDelimiter, "("}, {lkIdentifier, "A"}, {lkDelimiter, ")"}}},
      {"SUM pi IsUnit switch",
       {{lkStdFunction, "SUM"},
        {lkStdFunction, "PI"},
        {lkStdFunction, "ISUNIT"},
        {lkStdFunction, "SWITCH"}}},
      {"object objects actualstate actual",
       {{lkStdFunction, "OBJECT"},
        {lkKeyword, "OBJECTS"},
        {lkStdFunction, "ACTUALSTATE"},
        {lkKeyword, "ACTUAL"}}},
      {"begin Find for_all_states NonBoolean of",
       {{lkKeyword, "BEGIN"},
        {lkKeyword, "FIND"},
        {lkKeyword, "FOR_ALL_STATES"},
        {lkKeyword, "NONBOOLEAN"},
        {lkKeyword, "OF"}}},
      // Parts of table words are not table words.
      {"su sums ob", {{lkIdentifier, "SU"}, {lkIdentifier, "SUMS"}, {lkIdentifier, "OB"}}},
      {"_a1 вес2 x_Y", {{lkIdentifier, "_A1"}, {lkIdentifier, "ВЕС2"}, {lkIdentifier, "X_Y"}}},
      {"2x", {{lkNumber, "2"}, {lkIdentifier, "X"}}},
  });
}

TEST(Lexer, IdentifiersHoldAtMost32Characters) {
  const std::string longest(32, 'A');
  EXPECT_EQ((std::vector<Lexeme>{{lkIdentifier, longest}}), LexUtf8(longest));
  EXPECT_EQ((std::vector<Lexeme>{{lkError, "Identifier is too long"}, {lkIdentifier, "B"}}),
            LexUtf8(longest + "a b"));
}

TEST(Lexer, NumberLiteralsDropTheBlanksBetweenTheirParts) {
  ExpectCases({
      {"12.5", {{lkNumber, "12.5"}}},
      {"12.", {{lkNumber, "12."}}},
      {"1.5E+3 1.5e-3 2е5 2Е05",
       {{lkNumber, "1.5E+3"}, {lkNumber, "1.5E-3"}, {lkNumber, "2E5"}, {lkNumber, "2E05"}}},
      // An exponent with a single digit at the end of the line is complete.
      {"1E5", {{lkNumber, "1E5"}}},
      {"12.5 ± 0.3 [kg]", {{lkNumber, "12.5±0.3[kg]"}}},
      {"7 ±(0.5;1)", {{lkNumber, "7±(0.5;1)"}}},
      {"7± ( 0.5e1 ; 1 ) [m / s]x", {{lkNumber, "7±(0.5E1;1)[m / s]"}, {lkIdentifier, "X"}}},
      {"3[]", {{lkNumber, "3[]"}}},
      {"5 + 1[м]", {{lkNumber, "5"}, {lkOperator, "+"}, {lkNumber, "1[м]"}}},
      {"1 . 5", {{lkNumber, "1"}, {lkDelimiter, "."}, {lkNumber, "5"}}},
      {"2 ]", {{lkNumber, "2"}, {lkDelimiter, "]"}}},
  });
}

TEST(Lexer, MalformedNumberLiteralsFail) {
  for (const char* source : {"1E", "1E+", "1E x", "1Ex", "1e-", "1 ±", "1 ± x", "1 ±-1", "1 ±(1;)",
                             "1 ±(;1)", "1 ±(1 2)", "1 ±(1;2", "1 [kg", "1 ±2 [kg"}) {
    SCOPED_TRACE(source);
    TLinesCode code({Cp(source)});
    code.NextLexeme();
    EXPECT_EQ(lkError, code.Kind());
    EXPECT_EQ("Invalid numeric syntax", code.Error());
  }
}

TEST(Lexer, StringsKeepTheirCaseAndUndoubleTheirQuote) {
  ExpectCases({
      {"'it''s'", {{lkString, "it's"}}},
      {"\"say \"\"Hi\"\"\" x", {{lkString, "say \"Hi\""}, {lkIdentifier, "X"}}},
      {"'a\"b' \"c'd\"", {{lkString, "a\"b"}, {lkString, "c'd"}}},
      {"'' 'Вес'", {{lkString, ""}, {lkString, "Вес"}}},
  });
}

TEST(Lexer, ErrorsGiveTheirMessageAndLexingGoesOn) {
  ExpectCases({
      {"$", {{lkError, "Unknown symbol:$"}}},
      {"#", {{lkError, "Unknown symbol:#"}}},
      {"a ; ё",
       {{lkIdentifier, "A"}, {lkError, "Unknown symbol:;"}, {lkError, "Unknown symbol:ё"}}},
      {"'abc", {{lkError, "Unterminated string"}}},
      {"x 'it'' s", {{lkIdentifier, "X"}, {lkError, "Unterminated string"}}},
  });
  // An unterminated string ends its line only.
  TLinesCode code({"'abc + d", "e"});
  EXPECT_EQ((std::vector<Lexeme>{{lkError, "Unterminated string"}, {lkIdentifier, "E"}}),
            LexAll(code));
}

TEST(Lexer, BlankAndEmptyLinesAreSkipped) {
  TLinesCode empty({"", "   ", "\t"});
  empty.NextLexeme();
  EXPECT_EQ(lkEnd, empty.Kind());
  EXPECT_EQ("", empty.Text());

  TLinesCode none;
  none.NextLexeme();
  EXPECT_EQ(lkEnd, none.Kind());

  TLinesCode code({"", "  a\tb  ", "", "c"});
  EXPECT_EQ((std::vector<Lexeme>{{lkIdentifier, "A"}, {lkIdentifier, "B"}, {lkIdentifier, "C"}}),
            LexAll(code));
  code.NextLexeme();
  EXPECT_EQ(lkEnd, code.Kind());
}

// The executor marks the place of an error by the line and the position just
// after the lexeme read last.
TEST(Lexer, PositionFollowsTheLexemeJustRead) {
  TLinesCode code({Cp("ab  + 12.5 ±1"), "", " 'x''y'"});
  const std::vector<std::pair<int32_t, int32_t>> expected = {{0, 3}, {0, 6}, {0, 14}, {2, 8}};
  for (const auto& [line, position] : expected) {
    code.NextLexeme();
    EXPECT_EQ(line, code.LineIndex());
    EXPECT_EQ(position, code.Position());
  }
  code.NextLexeme();
  EXPECT_EQ(lkEnd, code.Kind());
  EXPECT_EQ(3, code.LineIndex());

  TLinesCode unterminated({"a 'bc"});
  unterminated.NextLexeme();
  unterminated.NextLexeme();
  EXPECT_EQ(6, unterminated.Position());
}

TEST(Lexer, ListingEchoesConsumedLexemesPerSourceLine) {
  TLinesCode code({Cp("a+ 'it''s' 1 ± 2"), "", "  \"q\" $ b", "c"});
  code.SetListingOn(true);
  LexAll(code);
  // Errors and the end are not echoed; strings are re-quoted with
  // apostrophes and follow without a blank.
  EXPECT_EQ((std::vector<std::string>{Cp("  A +'it''s' 1±2"), " 'q' B", "  C"}), code.Listing());
  EXPECT_EQ(Cp("  A +'it''s' 1±2\r\n 'q' B\r\n  C"), code.ListingText());

  code.ClearListing();
  EXPECT_TRUE(code.Listing().empty());
  EXPECT_TRUE(code.NewLine());

  code.Reset();
  EXPECT_FALSE(code.ListingOn());
  LexAll(code);
  EXPECT_TRUE(code.Listing().empty());
}

TEST(Lexer, ResetStartsAgainFromTheFirstLine) {
  TLinesCode code({"a $", "b"});
  code.NextLexeme();
  code.NextLexeme();
  ASSERT_EQ(lkError, code.Kind());
  code.Reset();
  EXPECT_EQ(0, code.LineIndex());
  EXPECT_EQ(1, code.Position());
  EXPECT_EQ(lkError, code.Kind());
  EXPECT_EQ("", code.Text());
  EXPECT_EQ("", code.Error());
  EXPECT_EQ((std::vector<Lexeme>{
                {lkIdentifier, "A"}, {lkError, "Unknown symbol:$"}, {lkIdentifier, "B"}}),
            LexAll(code));

  // A new source is read afresh, even where the line index stays the same.
  code.SetLines({"c"});
  EXPECT_EQ((std::vector<Lexeme>{{lkIdentifier, "C"}}), LexAll(code));
}

TEST(Lexer, IsNameAcceptsALetterFollowedByLettersAndDigits) {
  for (const char* name : {"", "a", "_", "A1_b", "вес", "Ж2"})
    EXPECT_TRUE(TCustomCode::IsName(Cp(name))) << name;
  for (const char* text : {"1a", "a b", "a-b", "ё", "a.b", "±"})
    EXPECT_FALSE(TCustomCode::IsName(Cp(text))) << text;
}

TEST(Lexer, TableMembershipIsByWholeWord) {
  EXPECT_TRUE(InTable("IN", kRelationTable));
  EXPECT_TRUE(InTable("=", kRelationTable));
  EXPECT_TRUE(InTable("+", kBooleanTable));
  EXPECT_TRUE(InTable(Cp("ИСТИНА"), kKeywordTable));
  EXPECT_FALSE(InTable("I", kRelationTable));
  EXPECT_FALSE(InTable("DI", kOperatorTable));
  // The double blanks of the tables hold no word.
  EXPECT_FALSE(InTable("", kRelationTable));
  EXPECT_FALSE(InTable("", kKeywordTable));
  EXPECT_FALSE(InTable("= ==", kRelationTable));
}

} // namespace
} // namespace vandro
