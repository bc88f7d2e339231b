#include "shell/text.h"

#include "shell/messages.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>

namespace vandro {

namespace {

// Unicode code points of bytes 0x80..0xFF. Byte 0x98 has no character in the
// code page; it maps to U+0098 so that every byte survives a round trip.
constexpr std::array<char16_t, 128> kHighHalf = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039,
    0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408,
    0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB,
    0x0458, 0x0405, 0x0455, 0x0457, 0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423,
    0x0424, 0x0425, 0x0426, 0x0427, 0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437, 0x0438, 0x0439, 0x043A, 0x043B,
    0x043C, 0x043D, 0x043E, 0x043F, 0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F};

struct CaseTables {
  std::array<unsigned char, 256> upper{};
  std::array<unsigned char, 256> lower{};
};

// Lower-case letters of the upper half whose capitals are not simply 0x20
// below them (the Cyrillic alphabet proper is 0xE0..0xFF -> 0xC0..0xDF).
constexpr std::array<std::pair<unsigned char, unsigned char>, 15> kIrregularPairs = {{
    {0x83, 0x81},
    {0x90, 0x80},
    {0x9A, 0x8A},
    {0x9C, 0x8C},
    {0x9D, 0x8D},
    {0x9E, 0x8E},
    {0x9F, 0x8F},
    {0xA2, 0xA1},
    {0xB3, 0xB2},
    {0xB4, 0xA5},
    {0xB8, 0xA8},
    {0xBA, 0xAA},
    {0xBC, 0xA3},
    {0xBE, 0xBD},
    {0xBF, 0xAF},
}};

const CaseTables& Tables() {
  static const CaseTables tables = [] {
    CaseTables t;
    for (int i = 0; i < 256; ++i)
      t.upper[i] = t.lower[i] = static_cast<unsigned char>(i);
    auto pair = [&t](int lower, int upper) {
      t.upper[lower] = static_cast<unsigned char>(upper);
      t.lower[upper] = static_cast<unsigned char>(lower);
    };
    for (int c = 'a'; c <= 'z'; ++c)
      pair(c, c - 32);
    for (int c = 0xE0; c <= 0xFF; ++c)
      pair(c, c - 32);
    for (auto [lower, upper] : kIrregularPairs)
      pair(lower, upper);
    return t;
  }();
  return tables;
}

bool IsTrimmed(char c) {
  return static_cast<unsigned char>(c) <= ' ';
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Decodes one UTF-8 sequence at text[i]; returns its length, or 0 when the
// bytes there are not a valid, shortest-form sequence.
size_t DecodeUtf8(std::string_view text, size_t i, char32_t& cp) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char b0 = byte(i);
  size_t length;
  char32_t min;
  if (b0 < 0x80) {
    cp = b0;
    return 1;
  } else if ((b0 & 0xE0) == 0xC0) {
    length = 2, cp = b0 & 0x1F, min = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    length = 3, cp = b0 & 0x0F, min = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    length = 4, cp = b0 & 0x07, min = 0x10000;
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  for (size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (byte(i + k) & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return length;
}

int EncodeCp1251(char32_t cp) {
  if (cp < 0x80) return static_cast<int>(cp);
  for (size_t k = 0; k < kHighHalf.size(); ++k)
    if (kHighHalf[k] == cp) return static_cast<int>(0x80 + k);
  return -1;
}

} // namespace

char UpperChar(char c) {
  return static_cast<char>(Tables().upper[static_cast<unsigned char>(c)]);
}
char LowerChar(char c) {
  return static_cast<char>(Tables().lower[static_cast<unsigned char>(c)]);
}

std::string UpperCase(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    c = UpperChar(c);
  return out;
}

std::string LowerCase(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    c = LowerChar(c);
  return out;
}

std::string_view TrimLeftView(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && IsTrimmed(text[i]))
    ++i;
  return text.substr(i);
}

std::string_view TrimRightView(std::string_view text) {
  size_t n = text.size();
  while (n > 0 && IsTrimmed(text[n - 1]))
    --n;
  return text.substr(0, n);
}

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.emplace_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

std::string BytesToHex(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  hex.reserve(bytes.size() * 2);
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 0x0F];
  }
  return hex;
}

bool HexToBytes(std::string_view hex, std::string& bytes) {
  const auto digit = [](char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
  };
  if (hex.size() % 2 != 0) return false;
  std::string read;
  read.reserve(hex.size() / 2);
  for (size_t i = 0; i < hex.size(); i += 2) {
    const int high = digit(hex[i]);
    const int low = digit(hex[i + 1]);
    if (high < 0 || low < 0) return false;
    read += static_cast<char>(high * 16 + low);
  }
  bytes = std::move(read);
  return true;
}

std::string_view TrimView(std::string_view text) {
  return TrimRightView(TrimLeftView(text));
}

int CompareText(std::string_view a, std::string_view b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const int ca = static_cast<unsigned char>(UpperChar(a[i]));
    const int cb = static_cast<unsigned char>(UpperChar(b[i]));
    if (ca != cb) return ca - cb;
  }
  return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

void SortTexts(std::vector<std::string>& texts, size_t from) {
  if (from >= texts.size()) return;
  std::stable_sort(
      texts.begin() + static_cast<std::ptrdiff_t>(from), texts.end(),
      [](const std::string& a, const std::string& b) { return CompareText(a, b) < 0; });
}

bool SameText(std::string_view a, std::string_view b) {
  return a.size() == b.size() && CompareText(a, b) == 0;
}

std::string Cp1251ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size() * 2);
  for (char c : text) {
    const auto b = static_cast<unsigned char>(c);
    AppendUtf8(out, b < 0x80 ? char32_t(b) : char32_t(kHighHalf[b - 0x80]));
  }
  return out;
}

bool Utf8ToCp1251(std::string_view utf8, std::string& out, std::string* error) {
  out.clear();
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    char32_t cp = 0;
    const size_t length = DecodeUtf8(utf8, i, cp);
    if (length == 0) {
      if (error) {
        char buffer[80];
        std::snprintf(buffer, sizeof buffer, "The text is not valid UTF-8 at byte %zu", i + 1);
        *error = buffer;
      }
      return false;
    }
    const int b = EncodeCp1251(cp);
    if (b < 0) {
      if (error) {
        char buffer[160];
        std::snprintf(buffer, sizeof buffer,
                      "The character U+%04X at byte %zu can't be stored: only code page 1251 "
                      "characters are allowed",
                      static_cast<unsigned>(cp), i + 1);
        *error = buffer;
      }
      return false;
    }
    out += static_cast<char>(b);
    i += length;
  }
  return true;
}

std::string Utf8ToCp1251OrRaise(std::string_view utf8) {
  std::string out, error;
  if (!Utf8ToCp1251(utf8, out, &error)) RaiseError(error);
  return out;
}

bool PathFromOs(std::string_view osPath, std::string& path) {
  return Utf8ToCp1251(osPath, path);
}

} // namespace vandro
