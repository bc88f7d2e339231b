// The spreadsheet readers on damaged workbooks: they must refuse what they
// cannot read, never crash, and give only lines an import can take (no line
// ends or control characters but tab, no empty rows).
//
// Input: the first byte chooses what the rest is.
//   0  an .xlsx file as it is
//   1  an .xls file as it is
//   2  the parts of an .xlsx separated by NUL bytes: the first worksheet,
//      the shared strings, the styles and the workbook, zipped here so that
//      the XML itself is what varies
#include "exchange/spreadsheet.h"
#include "fuzz/quiet_sink.h"

#include <zip.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

using namespace vandro;

namespace {

void Check(const std::vector<std::string>& lines) {
  for (const auto& line : lines) {
    if (line.find_first_not_of('\t') == std::string::npos) std::abort();
    for (const char c : line)
      if (static_cast<unsigned char>(c) < 0x20 && c != '\t') std::abort();
  }
}

// The parts zipped in memory; empty when libzip refuses.
std::string Zipped(std::string_view parts) {
  static const char* const names[] = {"xl/worksheets/sheet1.xml", "xl/sharedStrings.xml",
                                      "xl/styles.xml", "xl/workbook.xml"};
  std::vector<std::string> contents;
  for (size_t start = 0; contents.size() < 4;) {
    const size_t end = parts.find('\0', start);
    contents.emplace_back(parts.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
  zip_t* archive = buffer ? zip_open_from_source(buffer, ZIP_TRUNCATE, &error) : nullptr;
  zip_error_fini(&error);
  if (!archive) {
    if (buffer) zip_source_free(buffer);
    return {};
  }
  zip_source_keep(buffer);
  for (size_t i = 0; i < contents.size(); ++i) {
    zip_source_t* part = zip_source_buffer(archive, contents[i].data(), contents[i].size(), 0);
    if (!part || zip_file_add(archive, names[i], part, 0) < 0) zip_source_free(part);
  }
  std::string bytes;
  if (zip_close(archive) == 0 && zip_source_open(buffer) == 0) {
    char block[4096];
    for (zip_int64_t read; (read = zip_source_read(buffer, block, sizeof block)) > 0;)
      bytes.append(block, static_cast<size_t>(read));
    zip_source_close(buffer);
  } else {
    zip_discard(archive);
  }
  zip_source_free(buffer);
  return bytes;
}

// The bytes as an .xls file for FreeXL, which reads files only; removed
// again at once.
bool ReadXls(std::string_view bytes, std::vector<std::string>& lines) {
  const std::string base = std::filesystem::exists("/dev/shm") ? "/dev/shm" : "/tmp";
  std::string path = base + "/vandro-fuzz-xls-XXXXXX";
  const int descriptor = mkstemp(path.data());
  if (descriptor < 0) std::abort();
  const bool written =
      write(descriptor, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
  close(descriptor);
  const bool read = written && ReadXlsFile(path, lines);
  unlink(path.c_str());
  return read;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static fuzzing::QuietSink sink;
  static const bool installed = (SetMessageSink(&sink), true);
  (void)installed;
  if (size == 0) return 0;
  const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  std::vector<std::string> lines;
  switch (data[0] % 3) {
  case 0:
    if (ReadXlsxBytes(rest, lines)) Check(lines);
    break;
  case 1:
    if (ReadXls(rest, lines)) Check(lines);
    break;
  default: {
    const std::string bytes = Zipped(rest);
    if (!bytes.empty() && ReadXlsxBytes(bytes, lines)) Check(lines);
    break;
  }
  }
  return 0;
}
