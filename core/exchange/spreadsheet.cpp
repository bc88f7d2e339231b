#include "exchange/spreadsheet.h"

#include "shell/datetime.h"
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

// An entry of a workbook larger than this is not read: no real worksheet
// comes near it, a zip bomb does.
constexpr zip_uint64_t kMaxEntrySize = zip_uint64_t{512} << 20;
constexpr uint32_t kMaxRows = 1048576;
constexpr uint32_t kMaxColumns = 16384;

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

// The used region as lines: empty rows are left out.
void Lines(std::vector<TCell>& cells, std::vector<std::string>& lines) {
  lines.clear();
  std::erase_if(cells, [](const TCell& cell) { return cell.Text.empty(); });
  if (cells.empty()) return;
  std::stable_sort(cells.begin(), cells.end(), [](const TCell& a, const TCell& b) {
    return std::tie(a.Row, a.Column) < std::tie(b.Row, b.Column);
  });
  uint32_t first = kMaxColumns, last = 0;
  for (const TCell& cell : cells) {
    first = std::min(first, cell.Column);
    last = std::max(last, cell.Column);
  }
  for (size_t i = 0; i < cells.size();) {
    std::string line;
    uint32_t column = first;
    const uint32_t row = cells[i].Row;
    for (; i < cells.size() && cells[i].Row == row; ++i) {
      if (cells[i].Column < column) continue; // a cell given twice: the first counts
      line.append(cells[i].Column - column, '\t');
      line += cells[i].Text;
      column = cells[i].Column;
    }
    line.append(last - column, '\t');
    lines.push_back(std::move(line));
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

class TZip {
public:
  explicit TZip(zip_t* archive) : archive_(archive) {}
  ~TZip() {
    if (archive_) zip_discard(archive_);
  }
  TZip(const TZip&) = delete;
  TZip& operator=(const TZip&) = delete;
  bool IsOpen() const { return archive_ != nullptr; }

  // The entry's bytes; false when there is none or it cannot be read.
  bool Read(const std::string& name, std::string& bytes) {
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat(archive_, name.c_str(), 0, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE) ||
        stat.size > kMaxEntrySize)
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

bool ParseXml(const std::string& bytes, pugi::xml_document& document) {
  return document.load_buffer(bytes.data(), bytes.size(), pugi::parse_default, pugi::encoding_utf8);
}

// The text of a shared string or an inline string: every <t> but those of
// phonetic runs.
std::string RunText(const pugi::xml_node& node) {
  std::string text;
  for (const pugi::xml_node& child : node.children()) {
    const std::string_view name = child.name();
    if (name == "t")
      text += child.text().get();
    else if (name == "r")
      text += child.child("t").text().get();
  }
  return text;
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

bool ReadXlsxZip(TZip& zip, std::vector<std::string>& lines) {
  bool date1904 = false;
  const std::string sheetPath = FirstSheetPath(zip, date1904);
  std::string bytes;
  pugi::xml_document sheet;
  if (!zip.Read(sheetPath, bytes) || !ParseXml(bytes, sheet)) return false;
  const pugi::xml_node data = sheet.child("worksheet").child("sheetData");
  if (!sheet.child("worksheet")) return false;

  std::vector<std::string> shared;
  pugi::xml_document strings;
  if (zip.Read("xl/sharedStrings.xml", bytes) && ParseXml(bytes, strings))
    for (const pugi::xml_node& item : strings.child("sst").children("si"))
      shared.push_back(RunText(item));
  const std::vector<bool> dateStyles = DateStyles(zip);

  std::vector<TCell> cells;
  uint32_t row = 0;
  for (const pugi::xml_node& rowNode : data.children("row")) {
    const uint32_t numbered = rowNode.attribute("r").as_uint();
    row = numbered >= 1 && numbered <= kMaxRows ? numbered : row + 1;
    if (row > kMaxRows) return false;
    uint32_t column = 0;
    for (const pugi::xml_node& cell : rowNode.children("c")) {
      uint32_t cellRow = row, cellColumn = column + 1;
      if (!ReadReference(cell.attribute("r").value(), cellRow, cellColumn)) cellColumn = column + 1;
      if (cellColumn > kMaxColumns) return false;
      column = cellColumn;
      const std::string_view type = cell.attribute("t").value();
      const char* value = cell.child("v").text().get();
      std::string text;
      if (type == "s") {
        const unsigned index = cell.child("v").text().as_uint(UINT32_MAX);
        if (index < shared.size()) text = shared[index];
      } else if (type == "inlineStr") {
        text = RunText(cell.child("is"));
      } else if (type == "b") {
        text = std::string_view(value) == "1" ? "TRUE" : "FALSE";
      } else if (type == "str" || type == "e" || type == "d") {
        text = value;
      } else if (*value) {
        double number = 0;
        const unsigned style = cell.attribute("s").as_uint();
        if (!TextToFloat(value, number))
          text = value;
        else if (style < dateStyles.size() && dateStyles[style])
          text = DateText(number + (date1904 ? 1462 : 0));
        else
          text = NumberText(number);
      }
      cells.push_back({cellRow, cellColumn, CellText(text)});
    }
  }
  Lines(cells, lines);
  return true;
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

bool ReadXlsxBytes(std::string_view bytes, std::vector<std::string>& lines) {
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
  return ReadXlsxZip(zip, lines);
}

bool ReadSpreadsheet(const std::string& path, std::vector<std::string>& lines) {
  const std::string file = OsPath(path);
  bool read = false;
  if (IsXlsxPath(path)) {
    int error = 0;
    TZip zip(zip_open(file.c_str(), ZIP_RDONLY, &error));
    read = zip.IsOpen() && ReadXlsxZip(zip, lines);
  } else {
    read = ReadXlsFile(file, lines);
  }
  if (!read) ShowMsg("Can't read Excel document: " + path);
  return read;
}

} // namespace vandro
