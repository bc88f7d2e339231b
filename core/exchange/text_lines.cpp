#include "exchange/text_lines.h"

#include "shell/messages.h"
#include "shell/text.h"

#include <fstream>

namespace vandro {

namespace {

constexpr size_t kBlockSize = 1 << 16;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Length of the well-formed UTF-8 sequence at text[i], 0 when there is none
// (overlong forms, surrogates and code points above U+10FFFF included).
size_t SequenceLength(std::string_view text, size_t i) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  if (lead < 0x80) return 1;
  size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  if (byte(i + 1) < low || byte(i + 1) > high) return 0;
  for (size_t k = 2; k < length; ++k)
    if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) return 0;
  return length;
}

bool HasHighBytes(std::string_view text) {
  for (const char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) return true;
  return false;
}

std::string TooLong() {
  return "it is longer than " + std::to_string(kMaxLineLength) + " characters";
}

// Fills line from raw as the encoding reads it.
void Decode(TTextEncoding encoding, std::string& raw, TSourceLine& line) {
  line.Problem.clear();
  if (encoding == TTextEncoding::Cp1251 || !HasHighBytes(raw)) {
    line.Text.swap(raw);
    return;
  }
  std::string error;
  if (!Utf8ToCp1251(raw, line.Text, &error)) {
    line.Text.clear();
    line.Problem = error;
  }
}

} // namespace

bool IsValidUtf8(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    const size_t length = SequenceLength(text, i);
    if (length == 0) return false;
    i += length;
  }
  return true;
}

TTextLines::TTextLines(std::istream& in) : in_(in), block_(kBlockSize) {
  in_.seekg(0, std::ios::end);
  size_ = std::max<int64_t>(0, static_cast<int64_t>(in_.tellg()));
  in_.seekg(0);
  // First pass: the encoding. Lines that are the same in both (plain ASCII)
  // do not count; the longest lines count by their first kMaxLineLength
  // bytes.
  char mark[3] = {};
  in_.read(mark, 3);
  const bool byteOrderMark = in_.gcount() == 3 && std::string_view(mark, 3) == kByteOrderMark;
  in_.clear();
  in_.seekg(0);
  int64_t valid = 0, invalid = 0;
  if (!byteOrderMark) {
    TSourceLine line;
    encoding_ = TTextEncoding::Cp1251;
    while (Next(line)) {
      if (!HasHighBytes(line.Text)) continue;
      if (IsValidUtf8(line.Text))
        ++valid;
      else
        ++invalid;
    }
  }
  encoding_ = byteOrderMark || valid > invalid ? TTextEncoding::Utf8 : TTextEncoding::Cp1251;
  in_.clear();
  in_.seekg(byteOrderMark ? 3 : 0);
  consumed_ = byteOrderMark ? 3 : 0;
  number_ = 0;
  at_ = end_ = 0;
}

bool TTextLines::Fill() {
  in_.read(block_.data(), static_cast<std::streamsize>(block_.size()));
  end_ = static_cast<size_t>(std::max<std::streamsize>(0, in_.gcount()));
  at_ = 0;
  return end_ > 0;
}

int TTextLines::Get() {
  if (at_ == end_ && !Fill()) return -1;
  ++consumed_;
  return static_cast<unsigned char>(block_[at_++]);
}

bool TTextLines::Next(TSourceLine& line) {
  raw_.clear();
  bool tooLong = false;
  int c = Get();
  if (c < 0) return false;
  for (; c >= 0 && c != '\n' && c != '\r'; c = Get()) {
    if (raw_.size() < kMaxLineLength)
      raw_ += static_cast<char>(c);
    else
      tooLong = true;
  }
  if (c == '\r') {
    // CR LF is one line end; a CR alone is one too.
    if (at_ == end_) Fill();
    if (at_ < end_ && block_[at_] == '\n') Get();
  }
  line.Number = ++number_;
  if (tooLong) {
    line.Text.clear();
    line.Problem = TooLong();
    return true;
  }
  Decode(encoding_, raw_, line);
  return true;
}

double TTextLines::ShareRead() const {
  return size_ > 0 ? std::min(1.0, static_cast<double>(consumed_) / static_cast<double>(size_))
                   : 1.0;
}

bool TTextFileLines::Open(const std::string& path) {
  auto file = std::make_unique<std::ifstream>(OsPath(path), std::ios::binary);
  if (!*file) {
    ShowMsg("Can't open file " + path);
    return false;
  }
  file_ = std::move(file);
  lines_ = std::make_unique<TTextLines>(*file_);
  return true;
}

bool TUtf8Lines::Next(TSourceLine& line) {
  if (next_ >= lines_.size()) return false;
  line.Number = static_cast<int64_t>(next_) + 1;
  std::string& raw = lines_[next_++];
  if (raw.size() > kMaxLineLength) {
    line.Text.clear();
    line.Problem = TooLong();
  } else {
    Decode(TTextEncoding::Utf8, raw, line);
  }
  return true;
}

double TUtf8Lines::ShareRead() const {
  return lines_.empty() ? 1.0 : static_cast<double>(next_) / static_cast<double>(lines_.size());
}

} // namespace vandro
