// Opening a project written by an earlier version, whose name columns
// declared a collation of ours: the database is copied beside itself and
// its name tables rebuilt (storage/schema.h). Prints the time and the peak
// memory of that open beside an open of the same project already converted.
//
//   bench_convert [objects]     (100000 objects x 10 states x 8 values)
//
// The records are written with raw SQLite, byte for byte as the program
// writes them (records_baseline.cpp), so building the project is quick.
#include "bench_support.h"
#include "records_baseline.h"
#include "storage/project_lifecycle.h"
#include "support/earlier_schema.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

using namespace vandro;
using namespace vandro::bench;

namespace {

// Opens the project in this process and prints the seconds and the peak
// resident memory (kB) of the process.
int OpenAlone(const std::string& project) {
  const auto start = std::chrono::steady_clock::now();
  const bool opened = OpenProject(project);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (!opened) return 1;
  CloseProject();
  std::printf("%.6f %ld\n", seconds, StatusKb("VmHWM:"));
  return 0;
}

bool OpenInChild(const char* program, const std::string& project, double& seconds, long& kb) {
  const std::string command = "\"" + std::string(program) + "\" --open \"" + project + "\"";
  FILE* child = popen(command.c_str(), "r");
  const bool read = child && std::fscanf(child, "%lf %ld", &seconds, &kb) == 2;
  if (child) pclose(child);
  return read;
}

} // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--open") return OpenAlone(argv[2]);
  TShape shape;
  if (!ReadObjectCount(argc, argv, shape)) return 2;
  const std::string dir = TemporaryDirectory();
  const std::string project = dir + "/Bench.vdp";
  const std::string database = dir + "/Bench.vdb";
  StoredBenchProject(project, shape);
  testing::MakeEarlierSchema(database);
  const double megabytes = double(std::filesystem::file_size(database)) / (1024.0 * 1024.0);

  double convertSeconds = 0, openSeconds = 0;
  long convertKb = 0, openKb = 0;
  if (!OpenInChild(argv[0], project, convertSeconds, convertKb) ||
      !OpenInChild(argv[0], project, openSeconds, openKb)) {
    std::fprintf(stderr, "the project could not be opened\n");
    return 1;
  }
  std::printf("%d objects x %d states x %d values = %.0f records, database %.0f MB\n",
              shape.objects, shape.states, shape.values, double(shape.objects) * shape.states,
              megabytes);
  std::printf("open with conversion: %.2f s, peak memory %.1f MB\n", convertSeconds,
              convertKb / 1024.0);
  std::printf("open once converted:  %.2f s, peak memory %.1f MB\n", openSeconds, openKb / 1024.0);
  RemoveUnlessKept(dir);
  return 0;
}
