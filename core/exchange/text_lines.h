// The lines of a file being imported, in code page 1251.
//
// A text file is read as UTF-8 when it starts with the UTF-8 byte order mark
// or when its lines with bytes above 127 are mostly valid UTF-8; as UTF-16
// (little or big endian) when it starts with that byte order mark; otherwise
// it is read as code page 1251. A UTF-32 file (by its byte order mark) is
// refused: nobody saves import files so on purpose, and read as UTF-16 it
// would give lines of NUL characters. Lines may end in CR LF, LF or CR. The
// file is read a block at a time, so memory does not grow with its size.
//
// A line that cannot be taken is handed out with a problem instead of its
// text (not valid UTF-8 or not storable in code page 1251, longer than
// kMaxLineLength): the importer reports it and goes on with the next one.
#pragma once

#include <cstdint>
#include <deque>
#include <istream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vandro {

inline constexpr size_t kMaxLineLength = size_t{1} << 20;

struct TSourceLine {
  int64_t Number = 0;  // 1-based line number in the file
  std::string Text;    // code page 1251, without the line end
  std::string Problem; // why the line cannot be used ("it is longer than ..."); empty when it can
  // The line end that followed it: "\r\n", "\n", "\r", or "" at the end of
  // the input. A line break inside a quoted field is kept as it was.
  const char* Ending = "";
};

class TLineSource {
public:
  virtual ~TLineSource() = default;
  // The next line; false at the end.
  virtual bool Next(TSourceLine& line) = 0;
  // How much of the input has been read, as a share from 0 to 1.
  virtual double ShareRead() const = 0;
};

enum class TTextEncoding { Cp1251, Utf8, Utf16LE, Utf16BE, Utf32 };

inline constexpr std::string_view kUtf32Refused = "The file is UTF-32 encoded; save it as UTF-8";

// "<path> is not a file" when path names a folder, a FIFO, a device or
// anything else but a regular file (symbolic links followed): one has no
// lines, one waits for a writer before it even opens, one never ends.
// Empty for a regular file and for a path with nothing there, which the
// open itself reports.
std::string NotAFileProblem(const std::string& path);

// Why path cannot be offered as a text file, or empty: NotAFileProblem,
// "Can't open file <path>", kUtf32Refused, or "Not a text file: <path>"
// when its first 64 KiB hold a NUL byte (UTF-16 text, by its byte order
// mark, may).
std::string TextFileProblem(const std::string& path);

// The lines of a stream (a file, or text in memory). Without a byte order
// mark the stream is read once to settle the encoding and then again from
// its start. A UTF-32 stream has no lines; Problem says why.
class TTextLines final : public TLineSource {
public:
  explicit TTextLines(std::istream& in);
  bool Next(TSourceLine& line) override;
  double ShareRead() const override;
  TTextEncoding Encoding() const { return encoding_; }
  // Why the stream gives no lines at all (kUtf32Refused); empty otherwise.
  const std::string& Problem() const { return problem_; }

private:
  bool Fill();
  size_t ReadUtf16(size_t want);
  int Get();

  std::istream& in_;
  TTextEncoding encoding_ = TTextEncoding::Cp1251;
  std::string problem_;
  int64_t size_ = 0;
  int64_t number_ = 0;
  // The block being split into lines (UTF-16 already turned into UTF-8):
  // blockStart_ bytes of the stream lie before it and blockInput_ of them
  // were read for it, so that progress follows the stream's bytes.
  std::vector<char> block_;
  size_t at_ = 0, end_ = 0;
  int64_t blockStart_ = 0, blockInput_ = 0;
  std::vector<char> units_;  // UTF-16 bytes as read
  int pendingByte_ = -1;     // the first byte of a code unit split by a block end
  char32_t pendingHigh_ = 0; // a high surrogate waiting for its low one
  std::string raw_;
};

// The same over a file; Open shows "Can't open file " + path, "<path> is not
// a file" or kUtf32Refused and gives false when it cannot be read.
class TTextFileLines final : public TLineSource {
public:
  bool Open(const std::string& path);
  bool Next(TSourceLine& line) override { return lines_->Next(line); }
  double ShareRead() const override { return lines_->ShareRead(); }

private:
  std::unique_ptr<std::istream> file_;
  std::unique_ptr<TTextLines> lines_;
};

// Lines already split, in UTF-8 (the rows of a spreadsheet).
class TUtf8Lines final : public TLineSource {
public:
  explicit TUtf8Lines(std::vector<std::string> lines) : lines_(std::move(lines)) {}
  bool Next(TSourceLine& line) override;
  double ShareRead() const override;

private:
  std::vector<std::string> lines_;
  size_t next_ = 0;
};

// The records of delimited text (shell/delimited_text.h): a line whose
// quoted field is still open at its end goes on with the next line, joined
// with its line end, and the record is numbered by the line it starts on.
// A quoted field that is not closed by the end of the input, or within
// kMaxLineLength characters, gives its first line with a problem, and the
// lines after it are read again as records of their own: only that line is
// lost. Lines without a double quote pass as they are; memory holds one
// record.
class TDelimitedRecords final : public TLineSource {
public:
  TDelimitedRecords(TLineSource& lines, std::string separator)
      : lines_(lines), separator_(std::move(separator)) {}
  bool Next(TSourceLine& record) override;
  double ShareRead() const override { return lines_.ShareRead(); }

private:
  bool NextLine(TSourceLine& line);

  TLineSource& lines_;
  const std::string separator_;
  std::deque<TSourceLine> again_; // lines to read again after an unclosed quote
};

// Whether text is well-formed UTF-8 (any code point, code page or not).
bool IsValidUtf8(std::string_view text);

} // namespace vandro
