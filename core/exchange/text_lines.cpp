#include "exchange/text_lines.h"

#include "shell/delimited_text.h"
#include "shell/messages.h"
#include "shell/text.h"

#include <fstream>

#include <sys/stat.h>

namespace vandro {

namespace {

constexpr size_t kBlockSize = 1 << 16;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LEMark("\xFF\xFE", 2), kUtf16BEMark("\xFE\xFF", 2);
constexpr std::string_view kUtf32LEMark("\xFF\xFE\0\0", 4), kUtf32BEMark("\0\0\xFE\xFF", 4);
// What a UTF-16 unit that is no character (a lone surrogate, an odd last
// byte) becomes: not storable in code page 1251, so its line is reported.
constexpr char32_t kReplacement = 0xFFFD;

bool IsUtf16(TTextEncoding encoding) {
  return encoding == TTextEncoding::Utf16LE || encoding == TTextEncoding::Utf16BE;
}

// Writes cp as UTF-8 at out; the bytes written.
size_t PutUtf8(char32_t cp, char* out) {
  if (cp < 0x80) {
    out[0] = static_cast<char>(cp);
    return 1;
  }
  if (cp < 0x800) {
    out[0] = static_cast<char>(0xC0 | (cp >> 6));
    out[1] = static_cast<char>(0x80 | (cp & 0x3F));
    return 2;
  }
  if (cp < 0x10000) {
    out[0] = static_cast<char>(0xE0 | (cp >> 12));
    out[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out[2] = static_cast<char>(0x80 | (cp & 0x3F));
    return 3;
  }
  out[0] = static_cast<char>(0xF0 | (cp >> 18));
  out[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
  out[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
  out[3] = static_cast<char>(0x80 | (cp & 0x3F));
  return 4;
}

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

// Fills line from raw as the encoding reads it (UTF-16 has been turned into
// UTF-8 already).
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

std::string NotAFileProblem(const std::string& path) {
  struct stat info;
  if (::stat(OsPath(path).c_str(), &info) != 0 || S_ISREG(info.st_mode)) return {};
  return path + " is not a file";
}

std::string TextFileProblem(const std::string& path) {
  if (std::string problem = NotAFileProblem(path); !problem.empty()) return problem;
  std::ifstream in(OsPath(path), std::ios::binary);
  if (!in) return "Can't open file " + path;
  std::vector<char> block(kBlockSize);
  in.read(block.data(), static_cast<std::streamsize>(block.size()));
  const std::string_view start(block.data(), static_cast<size_t>(in.gcount()));
  if (start.starts_with(kUtf32LEMark) || start.starts_with(kUtf32BEMark))
    return std::string(kUtf32Refused);
  const bool utf16 = start.starts_with(kUtf16LEMark) || start.starts_with(kUtf16BEMark);
  if (!utf16 && start.find('\0') != std::string_view::npos) return "Not a text file: " + path;
  return {};
}

TTextLines::TTextLines(std::istream& in) : in_(in), block_(kBlockSize) {
  in_.seekg(0, std::ios::end);
  size_ = std::max<int64_t>(0, static_cast<int64_t>(in_.tellg()));
  in_.seekg(0);
  char mark[4] = {};
  in_.read(mark, 4);
  const std::string_view start(mark,
                               static_cast<size_t>(std::max<std::streamsize>(0, in_.gcount())));
  in_.clear();
  in_.seekg(0);
  size_t skip = 0;
  if (start.starts_with(kUtf32LEMark) || start.starts_with(kUtf32BEMark)) {
    encoding_ = TTextEncoding::Utf32;
    problem_ = kUtf32Refused;
    return;
  }
  if (start.starts_with(kByteOrderMark)) {
    encoding_ = TTextEncoding::Utf8;
    skip = kByteOrderMark.size();
  } else if (start.starts_with(kUtf16LEMark) || start.starts_with(kUtf16BEMark)) {
    encoding_ = start.starts_with(kUtf16LEMark) ? TTextEncoding::Utf16LE : TTextEncoding::Utf16BE;
    skip = kUtf16LEMark.size();
    block_.resize(kBlockSize / 2 * 3 + 8);
    units_.resize(kBlockSize);
  } else {
    // First pass: the encoding. Lines that are the same in both (plain
    // ASCII) do not count; the longest lines count by their first
    // kMaxLineLength bytes.
    int64_t valid = 0, invalid = 0;
    TSourceLine line;
    encoding_ = TTextEncoding::Cp1251;
    while (Next(line)) {
      if (!HasHighBytes(line.Text)) continue;
      if (IsValidUtf8(line.Text))
        ++valid;
      else
        ++invalid;
    }
    encoding_ = valid > invalid ? TTextEncoding::Utf8 : TTextEncoding::Cp1251;
  }
  in_.clear();
  in_.seekg(static_cast<std::streamoff>(skip));
  blockStart_ = static_cast<int64_t>(skip);
  blockInput_ = 0;
  number_ = 0;
  at_ = end_ = 0;
}

bool TTextLines::Fill() {
  blockStart_ += blockInput_;
  blockInput_ = 0;
  at_ = 0;
  if (IsUtf16(encoding_)) {
    end_ = ReadUtf16(units_.size());
  } else {
    in_.read(block_.data(), static_cast<std::streamsize>(block_.size()));
    end_ = static_cast<size_t>(std::max<std::streamsize>(0, in_.gcount()));
    blockInput_ = static_cast<int64_t>(end_);
  }
  return end_ > 0;
}

// Reads UTF-16 code units into block_ as UTF-8 until some text comes out or
// the stream ends; the bytes in block_.
size_t TTextLines::ReadUtf16(size_t want) {
  const bool little = encoding_ == TTextEncoding::Utf16LE;
  size_t out = 0;
  const auto put = [&](char32_t cp) { out += PutUtf8(cp, block_.data() + out); };
  while (out == 0) {
    in_.read(units_.data(), static_cast<std::streamsize>(want));
    const size_t got = static_cast<size_t>(std::max<std::streamsize>(0, in_.gcount()));
    blockInput_ += static_cast<int64_t>(got);
    if (got == 0) {
      // The stream ended inside a character.
      if (pendingHigh_ != 0 || pendingByte_ >= 0) put(kReplacement);
      pendingHigh_ = 0;
      pendingByte_ = -1;
      break;
    }
    for (size_t i = 0; i < got; ++i) {
      const auto byte = static_cast<unsigned char>(units_[i]);
      if (pendingByte_ < 0) {
        pendingByte_ = byte;
        continue;
      }
      const char32_t unit = little ? static_cast<char32_t>(pendingByte_ | (byte << 8))
                                   : static_cast<char32_t>((pendingByte_ << 8) | byte);
      pendingByte_ = -1;
      const bool high = unit >= 0xD800 && unit <= 0xDBFF, low = unit >= 0xDC00 && unit <= 0xDFFF;
      if (pendingHigh_ != 0) {
        const char32_t first = pendingHigh_;
        pendingHigh_ = 0;
        if (low) {
          put(0x10000 + ((first - 0xD800) << 10) + (unit - 0xDC00));
          continue;
        }
        put(kReplacement);
      }
      if (high)
        pendingHigh_ = unit;
      else
        put(low ? kReplacement : unit);
    }
  }
  return out;
}

int TTextLines::Get() {
  if (at_ == end_ && !Fill()) return -1;
  return static_cast<unsigned char>(block_[at_++]);
}

bool TTextLines::Next(TSourceLine& line) {
  if (!problem_.empty()) return false;
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
  line.Ending = c == '\n' ? "\n" : "";
  if (c == '\r') {
    // CR LF is one line end; a CR alone is one too.
    line.Ending = "\r";
    if (at_ == end_) Fill();
    if (at_ < end_ && block_[at_] == '\n') {
      Get();
      line.Ending = "\r\n";
    }
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
  if (!problem_.empty() || size_ <= 0) return 1.0;
  const int64_t read = blockStart_ + (end_ == 0 ? blockInput_
                                                : blockInput_ * static_cast<int64_t>(at_) /
                                                      static_cast<int64_t>(end_));
  return std::min(1.0, static_cast<double>(read) / static_cast<double>(size_));
}

bool TTextFileLines::Open(const std::string& path) {
  if (const std::string problem = NotAFileProblem(path); !problem.empty()) {
    ShowMsg(problem);
    return false;
  }
  auto file = std::make_unique<std::ifstream>(OsPath(path), std::ios::binary);
  if (!*file) {
    ShowMsg("Can't open file " + path);
    return false;
  }
  file_ = std::move(file);
  lines_ = std::make_unique<TTextLines>(*file_);
  if (!lines_->Problem().empty()) {
    ShowMsg(lines_->Problem());
    return false;
  }
  return true;
}

bool TUtf8Lines::Next(TSourceLine& line) {
  if (next_ >= lines_.size()) return false;
  line.Number = static_cast<int64_t>(next_) + 1;
  line.Ending = "";
  std::string& raw = lines_[next_++];
  if (raw.size() > kMaxLineLength) {
    line.Text.clear();
    line.Problem = TooLong();
  } else {
    Decode(TTextEncoding::Utf8, raw, line);
  }
  return true;
}

bool TDelimitedRecords::NextLine(TSourceLine& line) {
  if (again_.empty()) return lines_.Next(line);
  line = std::move(again_.front());
  again_.pop_front();
  return true;
}

bool TDelimitedRecords::Next(TSourceLine& record) {
  if (!NextLine(record)) return false;
  if (!record.Problem.empty() || record.Text.find('"') == std::string::npos ||
      !EndsInsideQuotes(record.Text, separator_, false))
    return true;
  // The lines the open field takes; given back when it is never closed.
  std::vector<TSourceLine> taken;
  size_t length = record.Text.size();
  std::string problem;
  for (;;) {
    TSourceLine line;
    if (!NextLine(line)) {
      problem = "a quoted field that starts on it is not closed";
      break;
    }
    length += std::string_view(taken.empty() ? record.Ending : taken.back().Ending).size() +
              line.Text.size();
    const bool usable = line.Problem.empty() && length <= kMaxLineLength;
    taken.push_back(std::move(line));
    if (!usable) {
      problem = taken.back().Problem.empty()
                    ? "a quoted field that starts on it is not closed within " +
                          std::to_string(kMaxLineLength) + " characters"
                    : "its quoted field runs into line " + std::to_string(taken.back().Number) +
                          ", which cannot be read";
      break;
    }
    if (!EndsInsideQuotes(taken.back().Text, separator_, true)) {
      for (const TSourceLine& part : taken) {
        record.Text += record.Ending;
        record.Text += part.Text;
        record.Ending = part.Ending;
      }
      return true;
    }
  }
  record.Text.clear();
  record.Problem = problem;
  for (auto line = taken.rbegin(); line != taken.rend(); ++line)
    again_.push_front(std::move(*line));
  return true;
}

double TUtf8Lines::ShareRead() const {
  return lines_.empty() ? 1.0 : static_cast<double>(next_) / static_cast<double>(lines_.size());
}

} // namespace vandro
