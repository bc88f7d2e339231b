// Text in code page 1251.
//
// Inside the core every text is an 8-bit std::string in code page 1251: one
// byte is one character, the deviation sign is 0xB1 and the Cyrillic capitals
// are 0xC0-0xDF. Conversion to and from UTF-8 happens only at the edges
// (widgets, files the user reads, database text columns).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vandro {

char UpperChar(char c);
char LowerChar(char c);
std::string UpperCase(std::string_view text);
std::string LowerCase(std::string_view text);

// The lines of a text: they end at CR LF, LF or CR; a break at the very end
// opens no further line, so an empty text has none.
std::vector<std::string> SplitLines(std::string_view text);

// Bytes as hexadecimal text: two upper-case digits a byte, high half first.
std::string BytesToHex(std::string_view bytes);
// The bytes such text stands for (digits of either case); false for an odd
// count of characters or one that is no hexadecimal digit.
bool HexToBytes(std::string_view hex, std::string& bytes);

// Trimming drops control characters and blanks (codes up to 32) at the ends.
std::string_view TrimView(std::string_view text);
std::string_view TrimLeftView(std::string_view text);
std::string_view TrimRightView(std::string_view text);
inline std::string Trim(std::string_view text) {
  return std::string(TrimView(text));
}
inline std::string TrimLeft(std::string_view text) {
  return std::string(TrimLeftView(text));
}
inline std::string TrimRight(std::string_view text) {
  return std::string(TrimRightView(text));
}

// Equal without regard to case (code-page aware).
bool SameText(std::string_view a, std::string_view b);
// Byte-order comparison of the upper-cased texts: <0, 0 or >0.
int CompareText(std::string_view a, std::string_view b);
// Sorts texts[from..] as CompareText orders them, equal ones kept in order.
void SortTexts(std::vector<std::string>& texts, size_t from = 0);

std::string Cp1251ToUtf8(std::string_view text);

// File names inside the program are code page 1251 like every other text;
// the file system's are UTF-8. OsPath is the name to hand to the system;
// PathFromOs reads one back (false when code page 1251 cannot hold it).
inline std::string OsPath(std::string_view path) {
  return Cp1251ToUtf8(path);
}
bool PathFromOs(std::string_view osPath, std::string& path);

// Converts UTF-8 to code page 1251. Returns false, with a message naming the
// first offending character in error, when the text is not valid UTF-8 or
// holds a character code page 1251 cannot store; out is then unspecified.
bool Utf8ToCp1251(std::string_view utf8, std::string& out, std::string* error = nullptr);

// The same, raising ErrorException (after showing the message) on failure.
std::string Utf8ToCp1251OrRaise(std::string_view utf8);

} // namespace vandro
