#include "exchange/spreadsheet.h"

#include "exchange/text_lines.h"

#include "shell/datetime.h"
#include "shell/delimited_text.h"
#include "shell/messages.h"
#include "shell/numbers.h"
#include "shell/text.h"

#include <freexl.h>
#include <pugixml.hpp>
#include <zip.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <tuple>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

// Present only in builds with a sanitizer.
extern "C" void __sanitizer_set_death_callback(void (*callback)()) __attribute__((weak));

namespace vandro {

namespace {

// The small parts of a workbook (its list of sheets, their relations, the
// styles) are read whole; one larger than this is no workbook's.
constexpr zip_uint64_t kMaxSmallPartSize = zip_uint64_t{64} << 20;
constexpr uint32_t kMaxRows = 1048576;
constexpr uint32_t kMaxColumns = 16384;
// XML deeper than this is no worksheet's.
constexpr size_t kMaxXmlDepth = 256;
// A text in a cell longer than this makes a line the import refuses as too
// long; what lies beyond need not be kept.
constexpr size_t kMaxCellText = kMaxLineLength + 1;

struct TCell {
  uint32_t Row, Column;
  std::string Text;
};

// A cell's text as a line holds it: tabs and line ends would split it.
std::string CellText(std::string_view text) {
  std::string clean(text);
  for (char& c : clean)
    if (static_cast<unsigned char>(c) < 0x20) c = ' ';
  return std::string(TrimView(clean));
}

// A row's line from its cells sorted by column, starting at column first:
// the cells joined by tab, one tab more for each empty cell between them.
std::string RowLine(const TCell* cells, size_t count, uint32_t first) {
  std::string line;
  uint32_t column = first;
  for (size_t i = 0; i < count; ++i) {
    if (i > 0 && cells[i].Column <= column) continue; // a cell given twice: the first counts
    line.append(cells[i].Column - column, '\t');
    // The import reads quotes: a cell holding one is quoted, so that it reads
    // back as it is.
    if (cells[i].Text.find('"') == std::string::npos)
      line += cells[i].Text;
    else
      line += QuoteField(TrimView(cells[i].Text), "\t");
    column = cells[i].Column;
  }
  return line;
}

// The used region as lines: empty rows are left out, and a row ends with
// its last value (the import takes missing fields at the end as empty).
void Lines(std::vector<TCell>& cells, std::vector<std::string>& lines) {
  lines.clear();
  std::erase_if(cells, [](const TCell& cell) { return cell.Text.empty(); });
  if (cells.empty()) return;
  std::stable_sort(cells.begin(), cells.end(), [](const TCell& a, const TCell& b) {
    return std::tie(a.Row, a.Column) < std::tie(b.Row, b.Column);
  });
  uint32_t first = kMaxColumns;
  for (const TCell& cell : cells)
    first = std::min(first, cell.Column);
  for (size_t i = 0; i < cells.size();) {
    size_t end = i;
    while (end < cells.size() && cells[end].Row == cells[i].Row)
      ++end;
    lines.push_back(RowLine(cells.data() + i, end - i, first));
    i = end;
  }
}

std::string DateText(double serial) {
  return HasDateText(serial) ? Cp1251ToUtf8(DateTimeToText(serial)) : std::string();
}

std::string NumberText(double value) {
  try {
    return FloatToText(value);
  } catch (const EConvertError&) {
    return {};
  }
}

// --- .xls ------------------------------------------------------------------

// "YYYY-MM-DD" and "YYYY-MM-DD HH:MM:SS" as FreeXL gives dates.
std::string XlsDate(const char* text) {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  const int fields =
      std::sscanf(text, "%d-%d-%d %d:%d:%d", &year, &month, &day, &hour, &minute, &second);
  double date = 0, time = 0;
  if (fields < 3 || !TryEncodeDate(year, month, day, date) ||
      !TryEncodeTime(hour, minute, second, 0, time))
    return text;
  return DateText(ComposeDateTime(date, time));
}

class TXlsHandle {
public:
  ~TXlsHandle() {
    if (handle) freexl_close(handle);
  }
  const void* handle = nullptr;
};

// --- .xlsx -----------------------------------------------------------------

// Why a workbook was not read: unreadable (what the caller reports as such)
// or too large, with the reason.
struct TXlsxResult {
  bool Read = false;
  std::string TooLarge;
};

std::string SizeText(uint64_t bytes) {
  return bytes % (uint64_t{1} << 20) == 0 ? std::to_string(bytes >> 20) + " MB"
                                          : std::to_string(bytes) + " bytes";
}

class TZip {
public:
  explicit TZip(zip_t* archive) : archive_(archive) {}
  ~TZip() {
    if (archive_) zip_discard(archive_);
  }
  TZip(const TZip&) = delete;
  TZip& operator=(const TZip&) = delete;
  bool IsOpen() const { return archive_ != nullptr; }
  zip_t* Archive() const { return archive_; }

  // A small part's bytes; false when there is none, it is larger than
  // kMaxSmallPartSize or cannot be read.
  bool Read(const std::string& name, std::string& bytes) {
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat(archive_, name.c_str(), 0, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE) ||
        stat.size > kMaxSmallPartSize)
      return false;
    zip_file_t* file = zip_fopen(archive_, name.c_str(), 0);
    if (!file) return false;
    bytes.assign(static_cast<size_t>(stat.size), '\0');
    const zip_int64_t read = bytes.empty() ? 0 : zip_fread(file, bytes.data(), stat.size);
    zip_fclose(file);
    return read == static_cast<zip_int64_t>(stat.size);
  }

private:
  zip_t* archive_;
};

// A part of the workbook read a block at a time, its unpacked bytes counted
// against a limit whatever its entry claims.
class TPartStream {
public:
  TPartStream(TZip& zip, const std::string& name, uint64_t limit) : limit_(limit) {
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat(zip.Archive(), name.c_str(), 0, &stat) != 0) return;
    if ((stat.valid & ZIP_STAT_SIZE) && stat.size > limit_) {
      tooLarge_ = true;
      return;
    }
    file_ = zip_fopen(zip.Archive(), name.c_str(), 0);
  }
  ~TPartStream() {
    if (file_) zip_fclose(file_);
  }
  TPartStream(const TPartStream&) = delete;
  TPartStream& operator=(const TPartStream&) = delete;

  bool IsOpen() const { return file_ != nullptr; }
  bool TooLarge() const { return tooLarge_; }

  // The next byte; -1 at the end, after a read error or past the limit.
  int Get() {
    if (at_ == end_ && !Fill()) return -1;
    return static_cast<unsigned char>(block_[at_++]);
  }
  int Peek() {
    if (at_ == end_ && !Fill()) return -1;
    return static_cast<unsigned char>(block_[at_]);
  }

private:
  bool Fill() {
    at_ = end_ = 0;
    if (!file_ || tooLarge_) return false;
    const zip_int64_t got = zip_fread(file_, block_, sizeof block_);
    if (got <= 0) return false;
    total_ += static_cast<uint64_t>(got);
    if (total_ > limit_) {
      tooLarge_ = true;
      return false;
    }
    end_ = static_cast<size_t>(got);
    return true;
  }

  zip_file_t* file_ = nullptr;
  uint64_t limit_, total_ = 0;
  bool tooLarge_ = false;
  char block_[1 << 16];
  size_t at_ = 0, end_ = 0;
};

// A pull reader of XML, for the parts too large to hold as a tree: element
// starts (with their attributes), element ends and text, one at a time.
// Names are compared by their local part ("x:row" is a row). Entities are
// replaced as pugixml does (the five named ones and character references;
// others stay as written), line ends become LF, DOCTYPEs, comments and
// processing instructions are skipped. The document ends with its root
// element; malformed XML (a tag not closed, an end tag that does not match)
// is an error.
class TXmlReader {
public:
  enum TEvent { kStart, kEnd, kText, kDone, kError };

  explicit TXmlReader(TPartStream& in) : in_(in) {}

  TEvent Next();
  // The local name of the element started or ended.
  std::string_view Name() const { return LocalName(name_); }
  // The element's depth: 1 for the root.
  size_t Depth() const { return depth_; }
  // An attribute of the element started, by local name; "" when absent.
  std::string_view Attribute(std::string_view name) const {
    for (size_t i = 0; i < attributeCount_; ++i)
      if (LocalName(attributes_[i].first) == name) return attributes_[i].second;
    return {};
  }
  // The text read, up to kMaxCellText bytes of it.
  const std::string& Text() const { return text_; }

private:
  static std::string_view LocalName(std::string_view name) {
    const size_t colon = name.rfind(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
  }
  static bool IsSpace(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
  static bool IsNameChar(int c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == ':' || c == '-' || c == '.' || c >= 0x80;
  }

  TEvent Fail() { return event_ = kError; }
  int SkipSpace() {
    int c = in_.Get();
    while (IsSpace(c))
      c = in_.Get();
    return c;
  }
  // A name starting with first; false when there is none.
  bool ReadName(int first, std::string& name, int& after) {
    name.clear();
    if (first < 0 || !IsNameChar(first) || (first >= '0' && first <= '9') || first == '-' ||
        first == '.')
      return false;
    int c = first;
    for (; c >= 0 && IsNameChar(c); c = in_.Get())
      if (name.size() < 256) name += static_cast<char>(c);
    after = c;
    return true;
  }
  // Skips past terminator ("?>", "-->", ">"); false at the end of input.
  bool SkipPast(std::string_view terminator) {
    size_t matched = 0;
    for (int c; (c = in_.Get()) >= 0;) {
      if (c == terminator[matched]) {
        if (++matched == terminator.size()) return true;
      } else {
        matched = c == terminator[0] ? 1 : 0;
      }
    }
    return false;
  }
  void Append(std::string& out, char32_t cp) {
    if (out.size() >= kMaxCellText) return;
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (cp >> 18));
      out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  void AppendByte(std::string& out, int c) {
    if (out.size() < kMaxCellText) out += static_cast<char>(c);
  }
  // After '&': the entity's character, or what was written when it is none.
  void ReadEntity(std::string& out);
  // Text or an attribute value up to (not including) stop; false when the
  // input ends first.
  bool ReadCharacters(std::string& out, int stop);
  TEvent ReadStartTag(int first);

  TPartStream& in_;
  TEvent event_ = kDone;
  std::vector<std::string> open_; // the elements open, outermost first
  std::string name_;
  size_t depth_ = 0;
  std::vector<std::pair<std::string, std::string>> attributes_;
  size_t attributeCount_ = 0;
  std::string text_;
  bool pendingEnd_ = false, rootClosed_ = false;
};

void TXmlReader::ReadEntity(std::string& out) {
  std::string entity;
  int c = in_.Peek();
  while (c >= 0 && c != ';' && c != '<' && c != '&' && !IsSpace(c) && entity.size() < 12) {
    entity += static_cast<char>(in_.Get());
    c = in_.Peek();
  }
  if (c == ';') {
    static constexpr std::pair<std::string_view, char> kNamed[] = {
        {"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"quot", '"'}, {"apos", '\''}};
    for (const auto& [name, character] : kNamed)
      if (entity == name) {
        in_.Get();
        AppendByte(out, character);
        return;
      }
    if (entity.size() > 1 && entity[0] == '#') {
      const bool hex = entity[1] == 'x';
      uint32_t cp = 0;
      bool digits = entity.size() > (hex ? 2u : 1u);
      for (size_t i = hex ? 2 : 1; i < entity.size() && digits; ++i) {
        const char d = entity[i];
        const int value = d >= '0' && d <= '9'          ? d - '0'
                          : hex && d >= 'a' && d <= 'f' ? d - 'a' + 10
                          : hex && d >= 'A' && d <= 'F' ? d - 'A' + 10
                                                        : -1;
        if (value < 0) digits = false;
        cp = cp * (hex ? 16 : 10) + static_cast<uint32_t>(std::max(value, 0));
        if (cp > 0x10FFFF) digits = false;
      }
      if (digits && cp != 0 && !(cp >= 0xD800 && cp <= 0xDFFF)) {
        in_.Get();
        Append(out, cp);
        return;
      }
    }
  }
  AppendByte(out, '&');
  for (const char k : entity)
    AppendByte(out, static_cast<unsigned char>(k));
}

bool TXmlReader::ReadCharacters(std::string& out, int stop) {
  for (;;) {
    const int c = in_.Peek();
    if (c < 0) return false;
    if (c == stop) return true;
    in_.Get();
    if (c == '&') {
      ReadEntity(out);
    } else if (c == '\r') {
      if (in_.Peek() == '\n') in_.Get();
      AppendByte(out, '\n');
    } else {
      AppendByte(out, c);
    }
  }
}

TXmlReader::TEvent TXmlReader::ReadStartTag(int first) {
  int c = 0;
  if (!ReadName(first, name_, c)) return Fail();
  attributeCount_ = 0;
  for (;;) {
    const bool spaced = IsSpace(c);
    if (spaced) c = SkipSpace();
    if (c == '>' || c == '/') break;
    if (!spaced || attributeCount_ >= 64) return Fail();
    if (attributeCount_ == attributes_.size()) attributes_.emplace_back();
    auto& [name, value] = attributes_[attributeCount_++];
    if (!ReadName(c, name, c)) return Fail();
    if (IsSpace(c)) c = SkipSpace();
    if (c != '=') return Fail();
    const int quote = SkipSpace();
    if (quote != '"' && quote != '\'') return Fail();
    value.clear();
    if (!ReadCharacters(value, quote)) return Fail();
    in_.Get();
    c = in_.Get();
  }
  if (c == '/' && in_.Get() != '>') return Fail();
  if (open_.size() >= kMaxXmlDepth) return Fail();
  open_.push_back(name_);
  depth_ = open_.size();
  pendingEnd_ = c == '/';
  return event_ = kStart;
}

TXmlReader::TEvent TXmlReader::Next() {
  if (event_ == kError) return kError;
  if (pendingEnd_) {
    pendingEnd_ = false;
    depth_ = open_.size();
    open_.pop_back();
    rootClosed_ = open_.empty();
    return event_ = kEnd;
  }
  if (rootClosed_) return event_ = kDone;
  for (;;) {
    int c = in_.Get();
    if (c < 0) return Fail();
    if (c != '<') {
      if (open_.empty()) continue; // nothing but space belongs there; nothing of it is read
      text_.clear();
      if (c == '&')
        ReadEntity(text_);
      else if (c == '\r') {
        if (in_.Peek() == '\n') in_.Get();
        text_ += '\n';
      } else
        text_ += static_cast<char>(c);
      if (!ReadCharacters(text_, '<')) return Fail();
      return event_ = kText;
    }
    c = in_.Get();
    if (c == '?') {
      if (!SkipPast("?>")) return Fail();
    } else if (c == '!') {
      c = in_.Get();
      if (c == '-') {
        if (in_.Get() != '-' || !SkipPast("-->")) return Fail();
      } else if (c == '[') {
        for (const char k : std::string_view("CDATA["))
          if (in_.Get() != k) return Fail();
        if (open_.empty()) return Fail();
        text_.clear();
        // The text up to "]]>", as it stands.
        size_t brackets = 0;
        for (;;) {
          const int k = in_.Get();
          if (k < 0) return Fail();
          if (k == ']') {
            if (brackets == 2)
              AppendByte(text_, ']');
            else
              ++brackets;
            continue;
          }
          if (k == '>' && brackets == 2) break;
          for (; brackets > 0; --brackets)
            AppendByte(text_, ']');
          AppendByte(text_, k);
        }
        return event_ = kText;
      } else {
        // A DOCTYPE, with an internal subset in brackets perhaps.
        int brackets = 0;
        for (; c >= 0 && !(c == '>' && brackets == 0); c = in_.Get())
          brackets += c == '[' ? 1 : c == ']' ? -1 : 0;
        if (c < 0) return Fail();
      }
    } else if (c == '/') {
      int after = 0;
      if (!ReadName(in_.Get(), name_, after) || open_.empty() || name_ != open_.back())
        return Fail();
      if (IsSpace(after)) after = SkipSpace();
      if (after != '>') return Fail();
      depth_ = open_.size();
      open_.pop_back();
      rootClosed_ = open_.empty();
      return event_ = kEnd;
    } else {
      return ReadStartTag(c);
    }
  }
}

// The text of a shared string or an inline string: every <t> but those of
// phonetic runs. reader has just started the element (<si> or <is>); reads
// up to its end.
bool ReadRunText(TXmlReader& reader, std::string& text) {
  text.clear();
  const size_t top = reader.Depth();
  // Within <r>, its first <t> only.
  bool inText = false, runTextTaken = false;
  for (;;) {
    switch (reader.Next()) {
    case TXmlReader::kStart:
      if (reader.Depth() == top + 1 && reader.Name() == "t") {
        inText = true;
      } else if (reader.Depth() == top + 1 && reader.Name() == "r") {
        runTextTaken = false;
      } else if (reader.Depth() == top + 2 && reader.Name() == "t" && !runTextTaken) {
        inText = runTextTaken = true;
      }
      break;
    case TXmlReader::kEnd:
      if (reader.Depth() == top) return true;
      inText = false;
      break;
    case TXmlReader::kText:
      if (inText && text.size() < kMaxCellText) text += reader.Text();
      break;
    default:
      return false;
    }
  }
}

// The shared strings, one after another in one text, with where each ends.
class TSharedStrings {
public:
  size_t Size() const { return ends_.size(); }
  std::string_view At(size_t i) const {
    const size_t start = i == 0 ? 0 : ends_[i - 1];
    return std::string_view(text_).substr(start, ends_[i] - start);
  }
  void Add(std::string_view text) {
    text_ += text;
    ends_.push_back(text_.size());
  }

private:
  std::string text_;
  std::vector<size_t> ends_;
};

bool ParseXml(const std::string& bytes, pugi::xml_document& document) {
  return document.load_buffer(bytes.data(), bytes.size(), pugi::parse_default, pugi::encoding_utf8);
}

// Whether a number format shows a date or a time: the built-in ones, and
// codes with day, month, year, hour or second letters outside quotes and
// brackets ("[Red]") that are not an elapsed-time "[h]".
bool IsDateFormatCode(std::string_view code) {
  bool quoted = false, bracket = false;
  for (size_t i = 0; i < code.size(); ++i) {
    const char c = code[i];
    if (c == '"') quoted = !quoted;
    if (quoted) continue;
    if (c == '\\' || c == '_' || c == '*') {
      ++i;
      continue;
    }
    if (c == '[') bracket = true;
    if (c == ']') bracket = false;
    if (bracket) continue;
    if (std::string_view("dDmMyYhHsS").find(c) != std::string_view::npos) return true;
  }
  return false;
}

bool IsBuiltInDateFormat(unsigned id) {
  return (id >= 14 && id <= 22) || (id >= 45 && id <= 47);
}

// Which cell styles (indexes of cellXfs) show dates.
std::vector<bool> DateStyles(TZip& zip) {
  std::vector<bool> styles;
  std::string bytes;
  pugi::xml_document document;
  if (!zip.Read("xl/styles.xml", bytes) || !ParseXml(bytes, document)) return styles;
  const pugi::xml_node sheet = document.child("styleSheet");
  std::vector<std::pair<unsigned, bool>> custom;
  for (const pugi::xml_node& format : sheet.child("numFmts").children("numFmt"))
    custom.emplace_back(format.attribute("numFmtId").as_uint(),
                        IsDateFormatCode(format.attribute("formatCode").value()));
  for (const pugi::xml_node& xf : sheet.child("cellXfs").children("xf")) {
    const unsigned id = xf.attribute("numFmtId").as_uint();
    bool date = IsBuiltInDateFormat(id);
    for (const auto& [customId, customDate] : custom)
      if (customId == id) date = customDate;
    styles.push_back(date);
  }
  return styles;
}

// The path of the first worksheet: the first <sheet> of the workbook and
// the relationship it names.
std::string FirstSheetPath(TZip& zip, bool& date1904) {
  const std::string fallback = "xl/worksheets/sheet1.xml";
  std::string bytes;
  pugi::xml_document workbook, relations;
  if (!zip.Read("xl/workbook.xml", bytes) || !ParseXml(bytes, workbook)) return fallback;
  const pugi::xml_node root = workbook.child("workbook");
  date1904 = root.child("workbookPr").attribute("date1904").as_bool();
  const std::string id = root.child("sheets").child("sheet").attribute("r:id").value();
  if (id.empty() || !zip.Read("xl/_rels/workbook.xml.rels", bytes) || !ParseXml(bytes, relations))
    return fallback;
  for (const pugi::xml_node& relation : relations.child("Relationships").children("Relationship")) {
    if (id != relation.attribute("Id").value()) continue;
    std::string target = relation.attribute("Target").value();
    if (target.empty()) return fallback;
    return target[0] == '/' ? target.substr(1) : "xl/" + target;
  }
  return fallback;
}

// "BC12" into column 55 and row 12 (both from 1); false for anything else.
bool ReadReference(std::string_view reference, uint32_t& row, uint32_t& column) {
  size_t i = 0;
  uint64_t letters = 0, digits = 0;
  for (; i < reference.size() && UpperChar(reference[i]) >= 'A' && UpperChar(reference[i]) <= 'Z';
       ++i) {
    letters = letters * 26 + static_cast<uint64_t>(UpperChar(reference[i]) - 'A' + 1);
    if (letters > kMaxColumns) return false;
  }
  const size_t firstDigit = i;
  for (; i < reference.size() && reference[i] >= '0' && reference[i] <= '9'; ++i) {
    digits = digits * 10 + static_cast<uint64_t>(reference[i] - '0');
    if (digits > kMaxRows) return false;
  }
  if (letters == 0 || i != reference.size() || (firstDigit != i && digits == 0)) return false;
  column = static_cast<uint32_t>(letters);
  if (firstDigit != i) row = static_cast<uint32_t>(digits);
  return true;
}

// The leading digits of text as a number (saturating), or fallback when
// there are none: attributes are read as pugixml's as_uint reads them.
uint64_t LeadingNumber(std::string_view text, uint64_t fallback) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
    ++i;
  if (i == text.size() || text[i] < '0' || text[i] > '9') return fallback;
  uint64_t number = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
    number = std::min<uint64_t>(number * 10 + static_cast<uint64_t>(text[i] - '0'), UINT32_MAX);
  return number;
}

bool ReadSharedStrings(TZip& zip, const TSheetLimits& limits, TSharedStrings& shared,
                       TXlsxResult& result) {
  const std::string name = "xl/sharedStrings.xml";
  TPartStream part(zip, name, limits.PartBytes);
  const auto failed = [&] {
    if (part.TooLarge())
      result.TooLarge = name + " is larger than " + SizeText(limits.PartBytes) + " unpacked";
    return false;
  };
  if (part.TooLarge()) return failed();
  if (!part.IsOpen()) return true;
  TXmlReader reader(part);
  bool table = false;
  std::string text;
  for (;;) {
    switch (reader.Next()) {
    case TXmlReader::kDone:
      return true;
    case TXmlReader::kError:
      return failed();
    case TXmlReader::kStart:
      if (reader.Depth() == 1) table = reader.Name() == "sst";
      if (table && reader.Depth() == 2 && reader.Name() == "si") {
        if (!ReadRunText(reader, text)) return failed();
        if (shared.Size() >= limits.Cells) {
          result.TooLarge = "more than " + std::to_string(limits.Cells) + " shared strings";
          return false;
        }
        shared.Add(text);
      }
      break;
    default:
      break;
    }
  }
}

// A cell's type attribute: shared string ("s"), inline string, boolean,
// text as it stands (a formula's string, an error, an ISO date), or number
// (none, "n" and whatever else).
enum class TCellType { Number, Shared, Inline, Boolean, Text };

TCellType CellTypeOf(std::string_view type) {
  if (type == "s") return TCellType::Shared;
  if (type == "inlineStr") return TCellType::Inline;
  if (type == "b") return TCellType::Boolean;
  if (type == "str" || type == "e" || type == "d") return TCellType::Text;
  return TCellType::Number;
}

// The worksheet's rows as they are read: each kept row's line from its
// first value on and that value's column. The lines get their leading
// tabs at the end, when the used region's first column is known.
class TSheetRows {
public:
  explicit TSheetRows(uint64_t maxCells) : maxCells_(maxCells) {}

  // Adds the row of cells (emptied); false when the lines would hold more
  // than maxCells cells.
  bool Add(std::vector<TCell>& cells) {
    std::erase_if(cells, [](const TCell& cell) { return cell.Text.empty(); });
    if (cells.empty()) return true;
    std::stable_sort(cells.begin(), cells.end(),
                     [](const TCell& a, const TCell& b) { return a.Column < b.Column; });
    const uint32_t start = cells.front().Column;
    lines_.push_back(RowLine(cells.data(), cells.size(), start));
    starts_.push_back(start);
    first_ = std::min(first_, start);
    lastColumns_ += cells.back().Column;
    cells.clear();
    // Every line reaches from the first column to its last value.
    const uint64_t rows = lines_.size();
    return lastColumns_ + rows - rows * first_ <= maxCells_;
  }

  void Finish(std::vector<std::string>& lines) {
    for (size_t i = 0; i < lines_.size(); ++i)
      lines_[i].insert(0, starts_[i] - first_, '\t');
    lines = std::move(lines_);
  }

private:
  uint64_t maxCells_;
  std::vector<std::string> lines_;
  std::vector<uint32_t> starts_;
  uint32_t first_ = kMaxColumns;
  uint64_t lastColumns_ = 0;
};

// The first worksheet's lines; its XML is read as it is unpacked, so that
// memory holds the lines kept and one row.
TXlsxResult ReadXlsxZip(TZip& zip, std::vector<std::string>& lines, const TSheetLimits& limits) {
  TXlsxResult result;
  lines.clear();
  bool date1904 = false;
  const std::string sheetPath = FirstSheetPath(zip, date1904);
  TPartStream part(zip, sheetPath, limits.PartBytes);
  const auto failed = [&] {
    if (part.TooLarge())
      result.TooLarge = sheetPath + " is larger than " + SizeText(limits.PartBytes) + " unpacked";
    return result;
  };
  if (!part.IsOpen()) return failed();
  TSharedStrings shared;
  if (!ReadSharedStrings(zip, limits, shared, result)) return result;
  const std::vector<bool> dateStyles = DateStyles(zip);

  TXmlReader reader(part);
  TSheetRows rows(limits.Cells);
  std::vector<TCell> cells;
  bool inData = false, dataSeen = false, inRow = false, inCell = false, inValue = false;
  bool valueSeen = false, inlineSeen = false;
  uint32_t row = 0, column = 0, cellColumn = 0, style = 0;
  TCellType type = TCellType::Number;
  std::string value, inlineText;
  for (;;) {
    switch (reader.Next()) {
    case TXmlReader::kError:
      return failed();
    case TXmlReader::kDone:
      rows.Finish(lines);
      result.Read = true;
      return result;
    case TXmlReader::kText:
      if (inValue && value.size() < kMaxCellText) value += reader.Text();
      break;
    case TXmlReader::kStart: {
      const std::string_view name = reader.Name();
      switch (reader.Depth()) {
      case 1:
        if (name != "worksheet") return result;
        break;
      case 2:
        inData = name == "sheetData" && !dataSeen;
        dataSeen = dataSeen || inData;
        break;
      case 3:
        if (!inData || name != "row") break;
        if (const uint64_t numbered = LeadingNumber(reader.Attribute("r"), 0);
            numbered >= 1 && numbered <= kMaxRows)
          row = static_cast<uint32_t>(numbered);
        else
          ++row;
        if (row > kMaxRows) return result;
        inRow = true;
        column = 0;
        break;
      case 4: {
        if (!inRow || name != "c") break;
        uint32_t referencedRow = row;
        cellColumn = column + 1;
        if (!ReadReference(reader.Attribute("r"), referencedRow, cellColumn))
          cellColumn = column + 1;
        if (cellColumn > kMaxColumns) return result;
        column = cellColumn;
        type = CellTypeOf(reader.Attribute("t"));
        style = static_cast<uint32_t>(LeadingNumber(reader.Attribute("s"), 0));
        value.clear();
        inlineText.clear();
        inCell = true;
        valueSeen = inlineSeen = false;
        break;
      }
      case 5:
        if (!inCell) break;
        if (name == "v" && !valueSeen) {
          inValue = valueSeen = true;
        } else if (name == "is" && !inlineSeen) {
          inlineSeen = true;
          if (!ReadRunText(reader, inlineText)) return failed();
        }
        break;
      default:
        break;
      }
      break;
    }
    case TXmlReader::kEnd:
      switch (reader.Depth()) {
      case 2:
        inData = false;
        break;
      case 3:
        if (!inRow) break;
        inRow = false;
        if (!rows.Add(cells)) {
          result.TooLarge = "more than " + std::to_string(limits.Cells) + " cells";
          return result;
        }
        break;
      case 4: {
        if (!inCell) break;
        inCell = false;
        // Most cells of a large sheet are empty ones that only carry a style.
        if (!valueSeen && !inlineSeen && type != TCellType::Boolean) break;
        std::string text;
        if (type == TCellType::Shared) {
          const uint64_t index = LeadingNumber(value, UINT32_MAX);
          if (index < shared.Size()) text = shared.At(index);
        } else if (type == TCellType::Inline) {
          text = inlineText;
        } else if (type == TCellType::Boolean) {
          text = value == "1" ? "TRUE" : "FALSE";
        } else if (type == TCellType::Text) {
          text = value;
        } else if (!value.empty()) {
          double number = 0;
          if (!TextToFloat(value, number))
            text = value;
          else if (style < dateStyles.size() && dateStyles[style])
            text = DateText(number + (date1904 ? 1462 : 0));
          else
            text = NumberText(number);
        }
        if (!text.empty()) text = CellText(text);
        if (!text.empty()) cells.push_back({row, cellColumn, std::move(text)});
        break;
      }
      case 5:
        inValue = false;
        break;
      default:
        break;
      }
      break;
    }
  }
}

// FreeXL itself, in the process that reads.
bool ReadXlsInProcess(const std::string& path, std::vector<std::string>& lines) {
  TXlsHandle xls;
  unsigned int count = 0, password = 0;
  if (freexl_open(path.c_str(), &xls.handle) != FREEXL_OK) return false;
  if (freexl_get_info(xls.handle, FREEXL_BIFF_PASSWORD, &password) != FREEXL_OK ||
      password != FREEXL_BIFF_PLAIN)
    return false;
  if (freexl_get_info(xls.handle, FREEXL_BIFF_SHEET_COUNT, &count) != FREEXL_OK || count == 0)
    return false;
  unsigned int rows = 0;
  unsigned short columns = 0;
  if (freexl_select_active_worksheet(xls.handle, 0) != FREEXL_OK ||
      freexl_worksheet_dimensions(xls.handle, &rows, &columns) != FREEXL_OK)
    return false;
  std::vector<TCell> cells;
  for (unsigned int row = 0; row < rows; ++row) {
    for (unsigned short column = 0; column < columns; ++column) {
      FreeXL_CellValue value;
      if (freexl_get_cell_value(xls.handle, row, column, &value) != FREEXL_OK) return false;
      std::string text;
      switch (value.type) {
      case FREEXL_CELL_INT:
        text = std::to_string(value.value.int_value);
        break;
      case FREEXL_CELL_DOUBLE:
        text = NumberText(value.value.double_value);
        break;
      case FREEXL_CELL_TEXT:
      case FREEXL_CELL_SST_TEXT:
      case FREEXL_CELL_TIME:
        text = value.value.text_value ? value.value.text_value : "";
        break;
      case FREEXL_CELL_DATE:
      case FREEXL_CELL_DATETIME:
        text = value.value.text_value ? XlsDate(value.value.text_value) : "";
        break;
      default:
        break;
      }
      if (!text.empty()) cells.push_back({row + 1, column + 1u, CellText(text)});
    }
  }
  Lines(cells, lines);
  return true;
}

// FreeXL runs in a child process: on a damaged workbook it has been seen
// to read far past its buffers, and whatever it does there ends with the
// child, which the reader then takes as a workbook it cannot read. The
// child sends each line as a 4-byte length and its bytes, then kEndOfLines.
constexpr uint32_t kEndOfLines = 0xFFFFFFFF;

bool WriteAll(int descriptor, const void* data, size_t size) {
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t written = write(descriptor, bytes, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes += written;
    size -= static_cast<size_t>(written);
  }
  return true;
}

bool ReadAll(int descriptor, void* data, size_t size) {
  char* bytes = static_cast<char*>(data);
  while (size > 0) {
    const ssize_t got = read(descriptor, bytes, size);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    bytes += got;
    size -= static_cast<size_t>(got);
  }
  return true;
}

bool SendLine(int descriptor, const std::string& line) {
  const uint32_t size = static_cast<uint32_t>(std::min<size_t>(line.size(), kEndOfLines - 1));
  return WriteAll(descriptor, &size, sizeof size) && WriteAll(descriptor, line.data(), size);
}

bool SendEnd(int descriptor) {
  return WriteAll(descriptor, &kEndOfLines, sizeof kEndOfLines);
}

// True when the list ended as the child meant it to.
bool ReceiveLines(int descriptor, std::vector<std::string>& lines) {
  for (;;) {
    uint32_t size = 0;
    if (!ReadAll(descriptor, &size, sizeof size)) return false;
    if (size == kEndOfLines) return true;
    std::string line(size, '\0');
    if (!ReadAll(descriptor, line.data(), size)) return false;
    lines.push_back(std::move(line));
  }
}

// The child's faults are its own: no report of them on the program's
// stderr, no crash handler of the parent's run in it.
void QuietChild() {
  const int null = open("/dev/null", O_WRONLY);
  if (null >= 0) {
    dup2(null, STDERR_FILENO);
    close(null);
  }
  for (const int signal : {SIGSEGV, SIGBUS, SIGABRT, SIGFPE, SIGILL})
    std::signal(signal, SIG_DFL);
  if (__sanitizer_set_death_callback) __sanitizer_set_death_callback(nullptr);
}

bool EndsWith(std::string_view text, std::string_view ending) {
  return text.size() >= ending.size() && SameText(text.substr(text.size() - ending.size()), ending);
}

bool IsXlsxPath(std::string_view path) {
  return EndsWith(path, ".xlsx");
}

} // namespace

bool IsSpreadsheetPath(std::string_view path) {
  return EndsWith(path, ".xls") || IsXlsxPath(path);
}

bool ReadXlsFile(const std::string& path, std::vector<std::string>& lines) {
  lines.clear();
  int channel[2];
  if (pipe(channel) != 0) return false;
  const pid_t child = fork();
  if (child < 0) {
    close(channel[0]);
    close(channel[1]);
    return false;
  }
  if (child == 0) {
    close(channel[0]);
    QuietChild();
    std::vector<std::string> read;
    const bool ok = ReadXlsInProcess(path, read);
    bool sent = ok;
    for (const std::string& line : read)
      sent = sent && SendLine(channel[1], line);
    sent = sent && SendEnd(channel[1]);
    _exit(sent ? 0 : 1);
  }
  close(channel[1]);
  const bool complete = ReceiveLines(channel[0], lines);
  close(channel[0]);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  const bool read = complete && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  if (!read) lines.clear();
  return read;
}

bool ReadXlsxBytes(std::string_view bytes, std::vector<std::string>& lines, std::string* tooLarge,
                   const TSheetLimits& limits) {
  lines.clear();
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
  if (!source) {
    zip_error_fini(&error);
    return false;
  }
  zip_t* archive = zip_open_from_source(source, ZIP_RDONLY, &error);
  zip_error_fini(&error);
  if (!archive) {
    zip_source_free(source);
    return false;
  }
  TZip zip(archive);
  const TXlsxResult result = ReadXlsxZip(zip, lines, limits);
  if (tooLarge) *tooLarge = result.TooLarge;
  return result.Read;
}

bool ReadSpreadsheet(const std::string& path, std::vector<std::string>& lines) {
  lines.clear();
  if (const std::string problem = NotAFileProblem(path); !problem.empty()) {
    ShowMsg(problem);
    return false;
  }
  const std::string file = OsPath(path);
  TXlsxResult result;
  if (IsXlsxPath(path)) {
    int error = 0;
    TZip zip(zip_open(file.c_str(), ZIP_RDONLY, &error));
    if (zip.IsOpen()) result = ReadXlsxZip(zip, lines, {});
  } else {
    result.Read = ReadXlsFile(file, lines);
  }
  if (!result.TooLarge.empty())
    ShowMsg("The worksheet is too large: " + path + " (" + result.TooLarge + ")");
  else if (!result.Read)
    ShowMsg("Can't read Excel document: " + path);
  return result.Read;
}

} // namespace vandro
