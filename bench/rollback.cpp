// A rollback on a large project: the copy of the database it writes first,
// then the deletion of the records created after the moment, in its one
// transaction. Prints the seconds of each and the peak memory.
//
//   bench_rollback [objects]     (100000 objects x 10 states = 1,000,000 records;
//                                 the last 4 states of each object are deleted)
//
// The records are written with raw SQLite, byte for byte as the program
// writes them (records_baseline.cpp), so building the project is quick.
#include "storage/rollback.h"
#include "bench_support.h"
#include "records_baseline.h"
#include "storage/project_lifecycle.h"

#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

using namespace vandro;
using namespace vandro::bench;

namespace {

constexpr int kStatesKept = 6;

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The states from kStatesKept on were stored a day after the rest.
bool StoreLaterStatesLater(const std::string& database, const TShape& shape) {
  sqlite3* handle = nullptr;
  bool done = sqlite3_open(database.c_str(), &handle) == SQLITE_OK;
  const std::string sql = "UPDATE VD_Records SET SysTime = " + std::to_string(shape.sysTime + 1) +
                          " WHERE RealTime >= " + std::to_string(shape.firstRealTime + kStatesKept);
  done = done && sqlite3_exec(handle, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
  sqlite3_close(handle);
  return done;
}

} // namespace

int main(int argc, char** argv) {
  TShape shape;
  if (!ReadObjectCount(argc, argv, shape)) return 2;
  const std::string dir = TemporaryDirectory();
  const std::string project = dir + "/Bench.vdp";
  const std::string database = dir + "/Bench.vdb";
  StoredBenchProject(project, shape);
  if (!StoreLaterStatesLater(database, shape) || !OpenProject(project)) {
    std::fprintf(stderr, "the project could not be prepared\n");
    return 1;
  }
  const double megabytes = double(std::filesystem::file_size(database)) / (1024.0 * 1024.0);

  TRollback rollback(shape.sysTime + 0.5);
  auto start = std::chrono::steady_clock::now();
  if (!rollback.WriteCopy()) {
    std::fprintf(stderr, "%s\n", rollback.FailureText().c_str());
    return 1;
  }
  const double copySeconds = SecondsSince(start);
  start = std::chrono::steady_clock::now();
  const int32_t deleted = rollback.Delete();
  const double deleteSeconds = SecondsSince(start);
  const int64_t expected = int64_t{shape.objects} * (shape.states - kStatesKept);
  CloseProject();

  std::printf("%d objects x %d states = %.0f records, database %.0f MB\n", shape.objects,
              shape.states, double(shape.objects) * shape.states, megabytes);
  std::printf("copy of the database:       %.2f s\n", copySeconds);
  std::printf("deleting %d records:    %.2f s (one transaction)\n", deleted, deleteSeconds);
  std::printf("rollback in all:            %.2f s, peak memory %.1f MB\n",
              copySeconds + deleteSeconds, StatusKb("VmHWM:") / 1024.0);
  RemoveUnlessKept(dir);
  if (deleted != expected) {
    std::fprintf(stderr, "deleted %d records, expected %lld\n", deleted,
                 static_cast<long long>(expected));
    return 1;
  }
  return 0;
}
