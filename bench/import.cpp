// Importing a table of objects and states through Vandro beside raw SQLite
// storing the same records (records_baseline.cpp), measured in one run, and
// the peak memory of the import at two file sizes.
//
//   bench_import [objects]     (100000 by default: 1,000,000 lines)
//   bench_import --columns [n] (only the wide import: n new columns, 20000)
//
// The file has a header "_Object_Name", "_Real_Time", P1..P8 and one line per
// state: every object's 10 states in a row, each holding 8 plain numbers.
// The import reads it into a new project holding the parameters P1..P8; the
// baseline inserts the same rows, byte for byte, with a prepared statement
// in batches of the same size. The time figure is Vandro's time over the
// baseline's (3 means three times as slow); the memory figure is the peak
// resident memory of a process that imports the whole file over that of one
// importing a tenth of it (1 means memory does not grow with the file).
//
// A wide table follows: 10 lines of one object under 20,000 columns none of
// which is a parameter yet, so that the import makes 20,000 parameters; the
// figure is its time in seconds.
#include "bench_support.h"
#include "exchange/import_objects.h"
#include "language/executor.h"
#include "language/record_evaluation.h"
#include "model/project.h"
#include "records_baseline.h"
#include "shell/clock.h"
#include "shell/datetime.h"
#include "storage/project_lifecycle.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

using namespace vandro;
using namespace vandro::bench;

namespace {

using Clock = std::chrono::steady_clock;

void WriteFile(const std::string& path, const TShape& shape) {
  std::ofstream file(path, std::ios::binary);
  file << "_Object_Name\t_Real_Time";
  for (int v = 0; v < shape.values; ++v)
    file << "\tP" << v + 1;
  file << "\n";
  std::string line;
  for (int o = 0; o < shape.objects; ++o) {
    for (int s = 0; s < shape.states; ++s) {
      line = ObjectName(o) + "\t" + DateTimeToText(shape.firstRealTime + s);
      for (int v = 0; v < shape.values; ++v)
        line += "\t" + ValueText(o, s, v);
      line += "\n";
      file << line;
    }
  }
}

// Seconds the import took; exits on failure.
double Import(const std::string& path, const TShape& shape) {
  TImportSettings settings;
  settings.RowsPerCommit = shape.rowsPerCommit;
  TImportResult result;
  const auto start = Clock::now();
  if (!ImportObjectsFromFile(path, settings, nullptr, result)) std::exit(1);
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  if (result.ModifiedStates != static_cast<int64_t>(shape.objects) * shape.states ||
      result.SkippedLines != 0) {
    std::fprintf(stderr, "import: %s, %lld skipped\n", result.Summary.c_str(),
                 static_cast<long long>(result.SkippedLines));
    std::exit(1);
  }
  return seconds;
}

// In a process of its own (bench_import --memory OBJECTS): imports a file
// of that many objects into a new project; prints the peak resident memory.
int MemoryAlone(int objects) {
  TShape shape;
  shape.objects = objects;
  const std::string dir = TemporaryDirectory();
  int32_t lastId = 0;
  NewBenchProject(dir + "/Bench.vdp", shape, lastId);
  WriteFile(dir + "/import.txt", shape);
  Import(dir + "/import.txt", shape);
  CloseProject();
  std::printf("%ld\n", StatusKb("VmHWM:"));
  std::error_code ignored;
  std::filesystem::remove_all(dir, ignored);
  return 0;
}

// Seconds for importing 10 lines under `columns` new columns into a new
// project; exits when a line or a parameter is missing.
double WideImport(int columns) {
  constexpr int kLines = 10;
  TShape shape;
  const std::string dir = TemporaryDirectory();
  int32_t lastId = 0;
  NewBenchProject(dir + "/Wide.vdp", shape, lastId);
  {
    std::ofstream file(dir + "/wide.txt", std::ios::binary);
    file << "_Object_Name\t_Real_Time";
    for (int c = 0; c < columns; ++c)
      file << "\tW" << c + 1;
    file << "\n";
    for (int l = 0; l < kLines; ++l) {
      file << "Wide\t" << DateTimeToText(shape.firstRealTime + l);
      for (int c = 0; c < columns; ++c)
        file << "\t" << c + l;
      file << "\n";
    }
  }
  const size_t before = CurrentProject()->Parameters().size();
  TImportSettings settings;
  TImportResult result;
  const auto start = Clock::now();
  const bool imported = ImportObjectsFromFile(dir + "/wide.txt", settings, nullptr, result);
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  const size_t made = CurrentProject()->Parameters().size() - before;
  CloseProject();
  RemoveUnlessKept(dir);
  if (!imported || result.ModifiedStates != kLines || made != static_cast<size_t>(columns)) {
    std::fprintf(stderr, "wide import: %s, %zu parameters made\n", result.Summary.c_str(), made);
    std::exit(1);
  }
  return seconds;
}

void PrintWideImport(int columns) {
  const double seconds = WideImport(columns);
  std::printf("wide import: %d new columns x 10 lines in %.2f s (at most 10)\n", columns, seconds);
}

long PeakKb(const char* program, int objects) {
  const std::string command =
      "\"" + std::string(program) + "\" --memory " + std::to_string(objects);
  FILE* child = popen(command.c_str(), "r");
  long peak = 0;
  if (!child || std::fscanf(child, "%ld", &peak) != 1) std::exit(1);
  pclose(child);
  return peak;
}

} // namespace

int main(int argc, char** argv) {
  InstallLanguage();
  InstallRecords();
  TShape shape;
  TFixedClock clock(shape.sysTime);
  SetClock(&clock);
  SetDateStyle(TDateStyle::European);
  if (argc == 3 && std::string(argv[1]) == "--memory") return MemoryAlone(std::atoi(argv[2]));
  if (argc >= 2 && std::string(argv[1]) == "--columns") {
    PrintWideImport(argc == 3 ? std::atoi(argv[2]) : 20000);
    return 0;
  }
  if (argc > 1) shape.objects = std::atoi(argv[1]);
  if (shape.objects < 10) {
    std::fprintf(stderr, "usage: %s [objects (at least 10)]\n", argv[0]);
    return 2;
  }

  const std::string dir = TemporaryDirectory();
  int32_t lastId = 0;
  NewBenchProject(dir + "/Bench.vdp", shape, lastId);
  const std::string baseline = dir + "/Baseline.vdb";
  std::filesystem::copy_file(dir + "/Bench.vdb", baseline);
  WriteFile(dir + "/import.txt", shape);
  const double lines = double(shape.objects) * shape.states;
  std::printf("%d objects x %d states x %d values = %.0f lines, with a time column\n",
              shape.objects, shape.states, shape.values, lines);

  const double raw = BaselineStore(baseline, shape, lastId);
  const double own = Import(dir + "/import.txt", shape);
  CloseProject();
  const bool same = RowsHash(baseline) == RowsHash(dir + "/Bench.vdb");
  std::printf("rows written by both are identical: %s\n", same ? "yes" : "NO");
  std::printf(
      "import: raw store %.0f records/s, Vandro import %.0f lines/s, ratio %.2f (at most 3)\n",
      lines / raw, lines / own, own / raw);

  const long small = PeakKb(argv[0], shape.objects / 10);
  const long large = PeakKb(argv[0], shape.objects);
  std::printf("peak memory: %.0f lines %.1f MB, %.0f lines %.1f MB, ratio %.2f (at most 1.5)\n",
              lines / 10, small / 1024.0, lines, large / 1024.0, double(large) / double(small));
  RemoveUnlessKept(dir);
  PrintWideImport(20000);
  return same ? 0 : 1;
}
