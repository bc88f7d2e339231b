// Fields of delimited text as spreadsheets, R and Python write and read them
// (RFC 4180, with any separator of one or more characters).
//
// Writing: a field holding the separator, a double quote, a line break, or
// a blank at either end is put in double quotes, its quotes doubled; any
// other field is written as it is, so a file without such values looks as
// it always did.
//
// Reading: a field whose first character (after blanks) is a double quote
// is quoted: it runs to the next quote that is not doubled, separators and
// line breaks included, and keeps its blanks; blanks around the quotes are
// dropped, and text after the closing quote is added as it is (as Python's
// csv module does). Any other field is trimmed, quotes inside it are plain
// characters: a file without quoted fields reads as it always did. A line
// that ends in the separator has no empty last field.
//
// The text is bytes: code page 1251 and UTF-8 read and write alike, since
// quotes, blanks and line breaks are ASCII.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vandro {

// field as it is written between separators.
std::string QuoteField(std::string_view field, std::string_view separator);
// Appends field to row, after the separator unless it is the first.
void AppendField(std::string& row, std::string_view field, std::string_view separator,
                 bool first = false);
// The fields joined by separator, each quoted as it needs.
std::string JoinFields(const std::vector<std::string>& fields, std::string_view separator);

// Splits one record into fields. False when the record ends inside a
// quoted field (its line break belongs to the field: the record goes on
// on the next line); fields then hold what was read.
bool SplitFields(std::string_view record, std::string_view separator,
                 std::vector<std::string>& fields);

// Whether a record that is inside a quoted field (inQuotes) or not before
// text still is after it: text is the next piece of a record, read on from
// where the last piece ended.
bool EndsInsideQuotes(std::string_view text, std::string_view separator, bool inQuotes);

} // namespace vandro
