#include "records_baseline.h"

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

namespace vandro::bench {

namespace {

using Clock = std::chrono::steady_clock;

void Check(sqlite3* db, int code) {
  if (code != SQLITE_OK && code != SQLITE_ROW && code != SQLITE_DONE)
    throw std::runtime_error(sqlite3_errmsg(db));
}

sqlite3* Open(const std::string& path) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
    throw std::runtime_error("can't open " + path);
  return db;
}

sqlite3_stmt* Prepare(sqlite3* db, const char* sql) {
  sqlite3_stmt* statement = nullptr;
  Check(db, sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &statement, nullptr));
  return statement;
}

void Exec(sqlite3* db, const char* sql) {
  Check(db, sqlite3_exec(db, sql, nullptr, nullptr, nullptr));
}

// The PVs memo: 3-byte length, then per value its parameter id, ":", and the
// value packed as a plain text (2-byte length, kind 0, the text).
std::string PackedValues(const TShape& shape, int object, int state) {
  std::string memo(3, '\0');
  for (int v = 0; v < shape.values; ++v) {
    memo += std::to_string(shape.firstParameterId + v);
    memo += ':';
    const std::string text = ValueText(object, state, v);
    const size_t length = text.size() + 3;
    memo += static_cast<char>(length >> 8);
    memo += static_cast<char>(length & 0xFF);
    memo += '\0';
    memo += text;
  }
  memo[0] = static_cast<char>(memo.size() >> 16);
  memo[1] = static_cast<char>((memo.size() >> 8) & 0xFF);
  memo[2] = static_cast<char>(memo.size() & 0xFF);
  return memo;
}

} // namespace

std::string ObjectName(int object) {
  return "OBJECT" + std::to_string(object);
}

std::string ValueText(int object, int state, int value) {
  return std::to_string((object * 31 + state * 7 + value * 3) % 1000) + ".25";
}

int32_t ObjectId(int object) {
  return 64 + 32 * object;
}

int32_t NextRecordId(int32_t id) {
  ++id;
  return id % 32 == 0 ? id + 1 : id;
}

double BaselineStore(const std::string& path, const TShape& shape, int32_t lastRecordId) {
  BaselineAddObjects(path, shape);
  int32_t id = lastRecordId;
  return BaselineStoreRecords(path, shape, 0, shape.objects, id);
}

void BaselineAddObjects(const std::string& path, const TShape& shape) {
  sqlite3* db = Open(path);
  sqlite3_stmt* object =
      Prepare(db, "INSERT INTO VD_Objects (ObjIdtor, GroupTag, ObjName) VALUES (?, 0, ?)");
  Exec(db, "BEGIN");
  for (int o = 0; o < shape.objects; ++o) {
    const std::string name = ObjectName(o);
    sqlite3_bind_int64(object, 1, ObjectId(o));
    sqlite3_bind_text(object, 2, name.c_str(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
    Check(db, sqlite3_step(object));
    sqlite3_reset(object);
  }
  Exec(db, "COMMIT");
  sqlite3_finalize(object);
  sqlite3_close(db);
}

double BaselineStoreRecords(const std::string& path, const TShape& shape, int first, int end,
                            int32_t& id) {
  sqlite3* db = Open(path);
  sqlite3_stmt* insert = Prepare(
      db, "INSERT INTO VD_Records (Idtor, RecName, ObjIdtor, Terminator, PrevRecord, PtrArrTag, "
          "PtrArr, RealTime, SysTime, Type, CntAdded, CntDeleted, PVs) "
          "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
  const std::string empty("\0\0\x03", 3);
  const auto start = Clock::now();
  int pending = 0;
  Exec(db, "BEGIN");
  for (int o = first; o < end; ++o) {
    int32_t previous = 0;
    for (int s = 0; s < shape.states; ++s) {
      id = NextRecordId(id);
      const std::string name = ObjectName(o) + "[" + std::to_string(s + 1) + "]";
      const std::string values = PackedValues(shape, o, s);
      sqlite3_bind_int64(insert, 1, id);
      sqlite3_bind_text(insert, 2, name.c_str(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
      sqlite3_bind_int64(insert, 3, ObjectId(o));
      sqlite3_bind_int64(insert, 4, 0);
      sqlite3_bind_int64(insert, 5, previous);
      sqlite3_bind_int64(insert, 6, 0);
      sqlite3_bind_text(insert, 7, "", 0, SQLITE_STATIC);
      sqlite3_bind_double(insert, 8, shape.firstRealTime + s);
      sqlite3_bind_double(insert, 9, shape.sysTime);
      sqlite3_bind_int64(insert, 10, 0);
      sqlite3_bind_blob(insert, 11, empty.data(), 3, SQLITE_STATIC);
      sqlite3_bind_blob(insert, 12, empty.data(), 3, SQLITE_STATIC);
      sqlite3_bind_blob(insert, 13, values.data(), static_cast<int>(values.size()),
                        SQLITE_TRANSIENT);
      Check(db, sqlite3_step(insert));
      sqlite3_reset(insert);
      previous = id;
      if (++pending == shape.rowsPerCommit) {
        Exec(db, "COMMIT");
        Exec(db, "BEGIN");
        pending = 0;
      }
    }
  }
  Exec(db, "COMMIT");
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  sqlite3_finalize(insert);
  sqlite3_close(db);
  return seconds;
}

double BaselineLoad(const std::string& path, const TShape&, uint64_t& checksum) {
  sqlite3* db = Open(path);
  sqlite3_stmt* objects = Prepare(db, "SELECT ObjIdtor, ObjName FROM VD_Objects ORDER BY ObjIdtor");
  sqlite3_stmt* records = Prepare(
      db, "SELECT Idtor, RecName, ObjIdtor, Terminator, PrevRecord, PtrArrTag, PtrArr, RealTime, "
          "SysTime, Type, CntAdded, CntDeleted, PVs FROM VD_Records WHERE ObjIdtor = ?");
  const auto start = Clock::now();
  // One read transaction around the whole walk, as Vandro's walks take:
  // SQLite takes its file lock and checks its journal once, not per statement.
  Exec(db, "BEGIN");
  while (sqlite3_step(objects) == SQLITE_ROW) {
    const std::string name(reinterpret_cast<const char*>(sqlite3_column_text(objects, 1)),
                           static_cast<size_t>(sqlite3_column_bytes(objects, 1)));
    checksum += name.size();
    sqlite3_bind_int64(records, 1, sqlite3_column_int64(objects, 0));
    while (sqlite3_step(records) == SQLITE_ROW) {
      for (int column : {0, 2, 3, 4, 5, 9})
        checksum += static_cast<uint64_t>(sqlite3_column_int64(records, column));
      checksum += static_cast<uint64_t>(sqlite3_column_double(records, 7));
      checksum += static_cast<uint64_t>(sqlite3_column_double(records, 8));
      for (int column : {1, 6}) {
        const std::string text(reinterpret_cast<const char*>(sqlite3_column_text(records, column)),
                               static_cast<size_t>(sqlite3_column_bytes(records, column)));
        checksum += text.size();
      }
      for (int column : {10, 11, 12}) {
        const auto* data = static_cast<const char*>(sqlite3_column_blob(records, column));
        const std::string blob(data, static_cast<size_t>(sqlite3_column_bytes(records, column)));
        checksum += blob.size();
      }
    }
    sqlite3_reset(records);
  }
  sqlite3_reset(objects);
  Exec(db, "COMMIT");
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  sqlite3_finalize(objects);
  sqlite3_finalize(records);
  sqlite3_close(db);
  return seconds;
}

uint64_t RowsHash(const std::string& path) {
  sqlite3* db = Open(path);
  sqlite3_stmt* rows = Prepare(db, "SELECT Idtor, RecName, ObjIdtor, Terminator, PrevRecord, "
                                   "PtrArrTag, PtrArr, RealTime, SysTime, Type, CntAdded, "
                                   "CntDeleted, PVs FROM VD_Records ORDER BY Idtor");
  uint64_t hash = 1469598103934665603ull;
  const auto mix = [&](const void* data, size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < size; ++i)
      hash = (hash ^ bytes[i]) * 1099511628211ull;
  };
  while (sqlite3_step(rows) == SQLITE_ROW) {
    for (int column = 0; column < 13; ++column) {
      const int type = sqlite3_column_type(rows, column);
      mix(&type, sizeof type);
      mix(sqlite3_column_blob(rows, column),
          static_cast<size_t>(sqlite3_column_bytes(rows, column)));
    }
  }
  sqlite3_finalize(rows);
  sqlite3_close(db);
  return hash;
}

} // namespace vandro::bench

#ifdef VANDRO_BASELINE_MAIN
// On its own: records_baseline DATABASE [objects [states [values]]] stores
// into and then reads from DATABASE, a copy of the database of a new project
// holding the parameters P1..Pn (identifiers 137...) and nothing else.
int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s DATABASE [objects [states [values]]]\n", argv[0]);
    return 2;
  }
  vandro::bench::TShape shape;
  if (argc > 2) shape.objects = std::atoi(argv[2]);
  if (argc > 3) shape.states = std::atoi(argv[3]);
  if (argc > 4) shape.values = std::atoi(argv[4]);
  const double store = vandro::bench::BaselineStore(argv[1], shape, 144);
  uint64_t checksum = 0;
  const double load = vandro::bench::BaselineLoad(argv[1], shape, checksum);
  const double records = double(shape.objects) * shape.states;
  std::printf("raw store: %.0f records/s\nraw load:  %.0f records/s\n", records / store,
              records / load);
  return 0;
}
#endif
