// The database work of bench_records done with raw SQLite calls: the same
// schema (a copy of the project's database file), the same rows byte for
// byte, the same batches. bench_records runs it in the same process and
// prints its own figures as ratios to these.
#pragma once

#include <cstdint>
#include <string>

namespace vandro::bench {

struct TShape {
  int objects = 100000;
  int states = 10; // records per object
  int values = 8;  // values per record
  int rowsPerCommit = 10000;
  int32_t firstParameterId = 137; // the parameters P1..Pn of the project
  double firstRealTime = 40000;   // state s of every object is dated this + s
  double sysTime = 40400.5;       // the fixed clock of the run
};

// The texts both programs store.
std::string ObjectName(int object);
std::string ValueText(int object, int state, int value);
// The identifiers the project hands out, in order: objects are 64, 96, ...;
// records take the general counter from start, skipping multiples of 32.
int32_t ObjectId(int object);
int32_t NextRecordId(int32_t id);

// Adds the objects (untimed, in the database at path) and then the records;
// returns the seconds the records took. lastRecordId is the identifier the
// general counter stood at before the first record.
double BaselineStore(const std::string& path, const TShape& shape, int32_t lastRecordId);
// The same in parts: the objects, then the records of objects [first, end),
// which returns its seconds; id is the general counter before the first
// record and, afterwards, after the last.
void BaselineAddObjects(const std::string& path, const TShape& shape);
double BaselineStoreRecords(const std::string& path, const TShape& shape, int first, int end,
                            int32_t& id);
// Reads every object and every column of its records, object by object;
// returns the seconds it took. checksum adds up what was read.
double BaselineLoad(const std::string& path, const TShape& shape, uint64_t& checksum);
// A hash of every record row, in identifier order.
uint64_t RowsHash(const std::string& path);

} // namespace vandro::bench
