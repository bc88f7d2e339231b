// What the benchmark programs share besides the raw-SQLite baseline: the
// project they store into, their temporary folder and the process's memory
// figures.
#pragma once

#include "records_baseline.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vandro {
class TParameter;
}

namespace vandro::bench {

// The project both benchmarks store into: a new project at path with the
// parameters P1..Pn of the shape, left open (the program ends when it cannot
// be made). Sets shape.firstParameterId; lastId is the general counter
// before the first record.
std::vector<const TParameter*> NewBenchProject(const std::string& path, TShape& shape,
                                               int32_t& lastId);

// A closed project at path (".vdp") holding the shape's objects and records,
// written with raw SQLite byte for byte as the program writes them
// (BaselineStore), so that a large project is made quickly. Opening it
// raises the project file's counters to the identifiers stored.
void StoredBenchProject(const std::string& path, TShape& shape);

// The number of objects given as the program's only argument, into shape;
// false after the usage line when it is not a positive number.
bool ReadObjectCount(int argc, char** argv, TShape& shape);

// A new folder under the system's temporary directory; ends the program
// when none can be made.
std::string TemporaryDirectory();
// Removes the folder, unless VANDRO_BENCH_KEEP=1 asks to keep it for a look
// afterwards (then says where it is).
void RemoveUnlessKept(const std::string& dir);
// A line of /proc/self/status in kB ("VmHWM:", "VmRSS:"); -1 when missing.
long StatusKb(const char* field);

} // namespace vandro::bench
