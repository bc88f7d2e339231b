#include "exchange/import_objects.h"
#include "exchange/text_lines.h"
#include "shell/delimited_text.h"
#include "support/cp.h"

#include <gtest/gtest.h>

#include <sstream>

namespace vandro {
namespace {

using testing::Cp;

struct TRecord {
  int64_t Number;
  std::vector<std::string> Fields; // empty with Problem
  std::string Problem;
  bool operator==(const TRecord&) const = default;
};

std::ostream& operator<<(std::ostream& out, const TRecord& record) {
  out << record.Number << ":";
  for (const auto& field : record.Fields)
    out << " [" << field << "]";
  return out << (record.Problem.empty() ? "" : " problem: ") << record.Problem;
}

// The records of a file as the import reads them.
std::vector<TRecord> Records(const std::string& file, const std::string& separator) {
  std::istringstream in(file);
  TTextLines lines(in);
  TDelimitedRecords records(lines, separator);
  std::vector<TRecord> read;
  TSourceLine record;
  while (records.Next(record))
    read.push_back({record.Number,
                    record.Problem.empty() ? SplitImportLine(record.Text, separator)
                                           : std::vector<std::string>{},
                    record.Problem});
  return read;
}

TEST(DelimitedText, RecordsAreReadAsSpreadsheetsWriteThem) {
  const std::string unclosed = "a quoted field that starts on it is not closed";
  struct Case {
    const char* behaviour;
    std::string file, separator;
    std::vector<TRecord> records;
  } cases[] = {
      {"an unquoted file reads as before: trimmed, quotes inside a field are text",
       "a , b\t,c,\n 12\" pipe,x\"y\"\n",
       ",",
       {{1, {"a", "b", "c"}, ""}, {2, {"12\" pipe", "x\"y\""}, ""}}},
      {"separator inside", "PUMP,\"Smith, John\",\n", ",", {{1, {"PUMP", "Smith, John"}, ""}}},
      {"quote inside", "\"say \"\"hi\"\"\",\"\"\"\"\n", ",", {{1, {"say \"hi\"", "\""}, ""}}},
      {"line break inside, the record numbered by its first line",
       "a,\"one\r\ntwo\nthree\",b\r\nc,d\n",
       ",",
       {{1, {"a", "one\r\ntwo\nthree", "b"}, ""}, {4, {"c", "d"}, ""}}},
      {"empty quoted field", "\"\",x,\"\"\n", ",", {{1, {"", "x", ""}, ""}}},
      {"blanks around quotes dropped, inside them kept",
       " \"  a  \" ,\tb\n",
       ",",
       {{1, {"  a  ", "b"}, ""}}},
      {"text after the closing quote is kept", "\"ab\"cd,e\n", ",", {{1, {"abcd", "e"}, ""}}},
      {"a separator of several characters",
       "a||\"b||c\"||d\n",
       "||",
       {{1, {"a", "b||c", "d"}, ""}}},
      {"Cyrillic in code page 1251",
       Cp("Иванов;\"Пётр; Сидоров\"\n"),
       ";",
       {{1, {Cp("Иванов"), Cp("Пётр; Сидоров")}, ""}}},
      {"Cyrillic in UTF-8",
       "\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD;\"\xD0\x9F\xD1\x91\xD1\x82\xD1\x80;\"\n",
       ";",
       {{1, {Cp("Иван"), Cp("Пётр;")}, ""}}},
      // As a spreadsheet saves "CSV UTF-8" with the semicolon of European
      // settings: a byte order mark, CR LF rows, a line break typed in a
      // cell as LF, quotes only where needed.
      {"a file saved by a spreadsheet program",
       "\xEF\xBB\xBFName;Note;Weight\r\nPump;\"first\nsecond\";72\r\n\"Valve \"\"B\"\"\";;\r\n",
       ";",
       {{1, {"Name", "Note", "Weight"}, ""},
        {2, {"Pump", "first\nsecond", "72"}, ""},
        {4, {"Valve \"B\"", ""}, ""}}},
      {"a quote never closed loses its own line only",
       "a,\"open\nb,c\n",
       ",",
       {{1, {}, unclosed}, {2, {"b", "c"}, ""}}},
  };
  for (const Case& test : cases)
    EXPECT_EQ(test.records, Records(test.file, test.separator)) << test.behaviour;
}

TEST(DelimitedText, AFieldIsQuotedOnlyWhenReadingItBackNeedsIt) {
  struct Case {
    const char* behaviour;
    std::string field, separator, written;
  } cases[] = {
      {"plain", "72 [g]", ",", "72 [g]"},
      {"empty", "", ",", ""},
      {"separator inside", "Smith, John", ",", "\"Smith, John\""},
      {"another separator's character is plain", "Smith, John", ";", "Smith, John"},
      {"separator of several characters", "a||b", "||", "\"a||b\""},
      {"an end that would begin the separator", "a:", "::", "\"a:\""},
      {"quote inside", "say \"hi\"", "\t", "\"say \"\"hi\"\"\""},
      {"line break inside", "a\r\nb", ";", "\"a\r\nb\""},
      {"blank at the start", " a", ";", "\" a\""},
      {"tab at the end", "a\t", ";", "\"a\t\""},
  };
  for (const Case& test : cases)
    EXPECT_EQ(test.written, QuoteField(test.field, test.separator)) << test.behaviour;
}

TEST(DelimitedText, HostileValuesReadBackExactlyWithAnySeparator) {
  const std::vector<std::string> values = {
      "Smith, John", "say \"hi\"", "\"", "first\r\nsecond\nthird\r", "  padded  ", "",
      "a;b\tc||d e", Cp("Пётр"),   "=1", "\"quoted\", twice \"\""};
  for (const std::string separator : {",", ";", "\t", "||", " "}) {
    const std::string file = JoinFields(values, separator) + "\r\n" + "next\r\n";
    // The CR that ends a value ends a line of its own.
    const std::vector<TRecord> expected = {{1, values, ""}, {5, {"next"}, ""}};
    EXPECT_EQ(expected, Records(file, separator)) << "[" << separator << "] " << file;
  }
}

} // namespace
} // namespace vandro
