// The physical limit of bench_cli_query's query: a plain program that reads
// the same rows through the same indexes and does only what answering needs.
// It walks every object in identifier order, reads its records through the
// object index, walks every memo of pairs, and takes P1 from the object's
// latest record; it prints how many objects have P1 > limit.
//
//   query_plain DATABASE LIMIT
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s DATABASE LIMIT\n", argv[0]);
    return 2;
  }
  const double limit = std::atof(argv[2]);
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(argv[1], &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) return 1;
  sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
  sqlite3_stmt* parameter = nullptr;
  sqlite3_prepare_v2(db, "SELECT Idtor FROM VD_Params WHERE ParamName = 'P1'", -1, &parameter,
                     nullptr);
  if (sqlite3_step(parameter) != SQLITE_ROW) return 1;
  const long p1 = static_cast<long>(sqlite3_column_int64(parameter, 0));
  sqlite3_finalize(parameter);

  sqlite3_stmt* objects = nullptr;
  sqlite3_stmt* records = nullptr;
  sqlite3_prepare_v2(db, "SELECT ObjIdtor FROM VD_Objects ORDER BY ObjIdtor", -1, &objects,
                     nullptr);
  sqlite3_prepare_v2(db, "SELECT RealTime, Terminator, PVs FROM VD_Records WHERE ObjIdtor = ?", -1,
                     &records, nullptr);
  long hits = 0;
  char value[64];
  while (sqlite3_step(objects) == SQLITE_ROW) {
    sqlite3_bind_int64(records, 1, sqlite3_column_int64(objects, 0));
    double latest = -1e300;
    bool found = false;
    double number = 0;
    while (sqlite3_step(records) == SQLITE_ROW) {
      const double time = sqlite3_column_double(records, 0);
      const bool terminator = sqlite3_column_int(records, 1) == 1;
      const auto* memo = static_cast<const unsigned char*>(sqlite3_column_blob(records, 2));
      const int size = sqlite3_column_bytes(records, 2);
      const bool later = !terminator && time >= latest;
      if (later) latest = time, found = false;
      // 3-byte length, then pairs: identifier digits, ':', a packed value
      // (2-byte length including its own header, kind byte, text).
      for (int at = 3; memo && at < size;) {
        long id = 0;
        while (at < size && memo[at] != ':')
          id = id * 10 + (memo[at++] - '0');
        ++at;
        if (at + 3 > size) break;
        const int length = (memo[at] << 8) | memo[at + 1];
        if (length < 3 || at + length > size) break;
        if (later && id == p1 && length - 3 < static_cast<int>(sizeof value)) {
          std::memcpy(value, memo + at + 3, static_cast<size_t>(length - 3));
          value[length - 3] = '\0';
          number = std::strtod(value, nullptr);
          found = true;
        }
        at += length;
      }
    }
    sqlite3_reset(records);
    if (found && number > limit) ++hits;
  }
  sqlite3_finalize(objects);
  sqlite3_finalize(records);
  sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
  sqlite3_close(db);
  std::printf("%ld\n", hits);
  return 0;
}
