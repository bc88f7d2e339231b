// The peak memory of reading a worksheet for the import, which holds the
// lines it keeps and one row, never the sheet's XML: a sheet of 100,000
// rows read in a process of its own beside one of 10,000 rows, and the
// two hostile workbooks (a first row reaching column XFD above one-cell
// rows; 500 MB of empty cells packed into 487 KB) with their time.
//
//   bench_sheet_memory [rows]     (100000 by default)
//
// Each sheet has a name column of shared strings, a time column with a date
// style and 8 numbers per row. The figure "over the lines" is the peak
// resident memory beyond the process's own before the read, over the bytes
// of the lines kept (with their strings' own size): near 1 means memory
// holds the lines and little else.
#include "bench_support.h"
#include "exchange/spreadsheet.h"
#include "exchange/workbook_writer.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

using namespace vandro;
using namespace vandro::bench;

namespace {

void WriteSheet(const std::string& path, int rows) {
  std::string xml = "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\" t=\"s\"><v>1</v></c>";
  for (int v = 0; v < 8; ++v)
    xml += "<c t=\"inlineStr\"><is><t>P" + std::to_string(v + 1) + "</t></is></c>";
  xml += "</row>";
  std::vector<std::string> shared = {"_Object_Name", "_Real_Time"};
  for (int r = 0; r < rows; ++r) {
    const std::string row = std::to_string(r + 2);
    xml += "<row r=\"" + row + "\"><c r=\"A" + row + "\" t=\"s\"><v>" +
           std::to_string(shared.size()) + "</v></c><c r=\"B" + row + "\" s=\"1\"><v>" +
           std::to_string(40000 + r / 10) + ".25</v></c>";
    shared.push_back("OBJECT" + std::to_string(r / 10));
    for (int v = 0; v < 8; ++v)
      xml += "<c><v>" + std::to_string(r * 8 + v) + ".5</v></c>";
    xml += "</row>";
  }
  testing::WriteZip(path, testing::XlsxParts(xml, shared));
}

// In a process of its own (--read PATH, or --seed PATH for a fuzz seed,
// whose first byte chooses the reader): reads the workbook and prints
// seconds, the resident memory before, the peak (kB), the lines' bytes (kB),
// their count and whether it was read.
int ReadAlone(const std::string& path, bool seed) {
  const long before = StatusKb("VmRSS:");
  std::vector<std::string> lines;
  const auto start = std::chrono::steady_clock::now();
  std::string tooLarge;
  bool read = false;
  if (seed) {
    std::ifstream in(path, std::ios::binary);
    const std::string bytes(std::istreambuf_iterator<char>(in), {});
    read = ReadXlsxBytes(std::string_view(bytes).substr(1), lines, &tooLarge);
  } else {
    read = ReadSpreadsheet(path, lines);
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  size_t bytes = lines.capacity() * sizeof(std::string);
  for (const std::string& line : lines)
    bytes += line.capacity() > 15 ? line.capacity() + 1 : 0;
  std::printf("%.3f %ld %ld %zu %zu %d\n", seconds, before, StatusKb("VmHWM:"), bytes / 1024,
              lines.size(), read ? 1 : 0);
  if (!tooLarge.empty()) std::fprintf(stderr, "refused: %s\n", tooLarge.c_str());
  return 0;
}

struct TFigures {
  double seconds = 0;
  long before = 0, peak = 0;
  size_t linesKb = 0, lines = 0;
  int read = 0;
};

TFigures ReadInChild(const char* program, const std::string& path, bool seed = false) {
  const std::string command =
      "\"" + std::string(program) + (seed ? "\" --seed \"" : "\" --read \"") + path + "\"";
  FILE* child = popen(command.c_str(), "r");
  TFigures f;
  if (!child || std::fscanf(child, "%lf %ld %ld %zu %zu %d", &f.seconds, &f.before, &f.peak,
                            &f.linesKb, &f.lines, &f.read) != 6)
    std::exit(1);
  pclose(child);
  return f;
}

void Print(const char* what, const TFigures& f) {
  const double grown = (f.peak - f.before) / 1024.0;
  std::printf("%s: %s, %zu lines in %.2f s; lines %.1f MB, peak %.1f MB (%.1f MB over the "
              "process before), %.2f over the lines\n",
              what, f.read ? "read" : "refused", f.lines, f.seconds, f.linesKb / 1024.0,
              f.peak / 1024.0, grown, f.linesKb ? grown * 1024.0 / double(f.linesKb) : 0.0);
}

} // namespace

int main(int argc, char** argv) {
  if (argc == 3 && (std::string(argv[1]) == "--read" || std::string(argv[1]) == "--seed"))
    return ReadAlone(argv[2], std::string(argv[1]) == "--seed");
  const int rows = argc > 1 ? std::atoi(argv[1]) : 100000;
  if (rows < 10) {
    std::fprintf(stderr, "usage: %s [rows (at least 10)]\n", argv[0]);
    return 2;
  }
  const std::string dir = TemporaryDirectory();
  WriteSheet(dir + "/small.xlsx", rows / 10);
  WriteSheet(dir + "/large.xlsx", rows);
  const TFigures small = ReadInChild(argv[0], dir + "/small.xlsx");
  const TFigures large = ReadInChild(argv[0], dir + "/large.xlsx");
  Print(("sheet of " + std::to_string(rows / 10) + " rows").c_str(), small);
  Print(("sheet of " + std::to_string(rows) + " rows").c_str(), large);

  // The first row reaches XFD; a million one-cell rows below it.
  std::string wide = "<row><c r=\"A1\"><v>1</v></c><c r=\"XFD1\"><v>2</v></c></row>";
  for (int r = 0; r < 1000000; ++r)
    wide += "<row><c><v>1</v></c></row>";
  testing::WriteZip(dir + "/wide.xlsx", testing::XlsxParts(wide, {}));
  wide = {};
  Print("first row to XFD, 1,000,000 one-cell rows", ReadInChild(argv[0], dir + "/wide.xlsx"));
  Print("500 MB of <c/> packed in 546 KB",
        ReadInChild(argv[0],
                    VANDRO_SOURCE_DIR "/fuzz/seeds/fuzz_spreadsheet/"
                                      "xlsx_500mb_of_empty_cells",
                    true));
  RemoveUnlessKept(dir);
  return 0;
}
