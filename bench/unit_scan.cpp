// Deleting a unit first looks for it in every value the project stores, the
// memos of all its records included (storage/unit_rows.h). Prints the time
// of that look on a project of many records whose unit is nowhere, so that
// every row is read to the end: once with plain numbers, once with every
// value carrying a unit (each "[" then opens an expression to read).
//
//   bench_unit_scan [objects]     (100000 objects x 10 states x 8 values)
//
// The records are written with raw SQLite, byte for byte as the program
// writes them (records_baseline.cpp), so building the project is quick.
#include "bench_support.h"
#include "records_baseline.h"
#include "storage/project_lifecycle.h"
#include "storage/unit_rows.h"

#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

using namespace vandro;
using namespace vandro::bench;

namespace {

// The PVs memo with " [kg]" after every value's text: per pair the
// parameter's identifier, ":", the 16-bit length (header included), the
// kind byte and the text; the memo's 24-bit length in front.
void WithUnits(sqlite3_context* context, int, sqlite3_value** arguments) {
  const auto* bytes = static_cast<const char*>(sqlite3_value_blob(arguments[0]));
  const std::string memo(bytes, static_cast<size_t>(sqlite3_value_bytes(arguments[0])));
  static const std::string kUnit = " [kg]";
  std::string out(3, '\0');
  for (size_t at = 3; at < memo.size();) {
    const size_t colon = memo.find(':', at);
    out.append(memo, at, colon + 1 - at);
    const size_t length = static_cast<unsigned char>(memo[colon + 1]) * 256u +
                          static_cast<unsigned char>(memo[colon + 2]);
    const size_t longer = length + kUnit.size();
    out += static_cast<char>(longer >> 8);
    out += static_cast<char>(longer & 0xFF);
    out.append(memo, colon + 3, length - 2);
    out += kUnit;
    at = colon + 1 + length;
  }
  out[0] = static_cast<char>(out.size() >> 16);
  out[1] = static_cast<char>((out.size() >> 8) & 0xFF);
  out[2] = static_cast<char>(out.size() & 0xFF);
  sqlite3_result_blob(context, out.data(), static_cast<int>(out.size()), SQLITE_TRANSIENT);
}

bool AddUnitsToEveryValue(const std::string& database) {
  sqlite3* db = nullptr;
  bool done = sqlite3_open(database.c_str(), &db) == SQLITE_OK &&
              sqlite3_create_function(db, "with_units", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC,
                                      nullptr, WithUnits, nullptr, nullptr) == SQLITE_OK &&
              sqlite3_exec(db, "UPDATE VD_Records SET PVs = with_units(PVs)", nullptr, nullptr,
                           nullptr) == SQLITE_OK;
  if (!done) std::fprintf(stderr, "%s\n", sqlite3_errmsg(db));
  sqlite3_close(db);
  return done;
}

// Opens the project and times the look for a unit no value is in.
bool TimeScan(const std::string& project, const char* what) {
  if (!OpenProject(project)) return false;
  TUnit unit;
  unit.name = "beats_per_minute";
  unit.shortName = "bpm";
  const auto start = std::chrono::steady_clock::now();
  const bool found = APSStoredValuesNameUnit(unit);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  CloseProject();
  std::printf("%-28s %.2f s%s\n", what, seconds, found ? " (found: wrong)" : "");
  return !found;
}

} // namespace

int main(int argc, char** argv) {
  TShape shape;
  if (!ReadObjectCount(argc, argv, shape)) return 2;
  const std::string dir = TemporaryDirectory();
  const std::string project = dir + "/Bench.vdp";
  const std::string database = dir + "/Bench.vdb";
  StoredBenchProject(project, shape);
  std::printf("%d objects x %d states x %d values = %.0f records\n", shape.objects, shape.states,
              shape.values, double(shape.objects) * shape.states);
  bool ok = TimeScan(project, "values without units:");
  ok = ok && AddUnitsToEveryValue(database) && TimeScan(project, "every value with a unit:");
  RemoveUnlessKept(dir);
  return ok ? 0 : 1;
}
