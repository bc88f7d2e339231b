#include "storage/raw_tables.h"

#include "shell/messages.h"
#include "shell/numbers.h"
#include "shell/text.h"
#include "storage/schema.h"
#include "storage/session.h"

#include <algorithm>
#include <cstdio>

namespace vandro {

namespace {

// One of the nine names, the stored constant itself.
const char* KnownTable(std::string_view table) {
  for (const char* name : kShownTables)
    if (table == name) return name;
  RaiseSystemError("Unknown table " + std::string(table));
}

std::string Escaped(const std::string& bytes) {
  std::string out;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte != 0x7F && c != '\\') {
      out += c;
    } else {
      char hex[5];
      std::snprintf(hex, sizeof hex, "\\x%02X", byte);
      out += hex;
    }
  }
  return out;
}

// A damaged text is still shown, byte by byte, rather than failing the read.
std::string TextCell(const TQuery& query, int column) {
  try {
    return query.Text(column);
  } catch (const TDatabaseFailure&) {
    return Escaped(query.Blob(column));
  }
}

struct TColumn {
  std::string name;
  std::string type;
};

std::vector<TColumn> ColumnsOf(TDatabase& database, const char* table) {
  // PRAGMA takes no bound table name; the name is one of the nine constants.
  const std::string sql = std::string("PRAGMA table_info(") + table + ")";
  auto query = database.Query(sql.c_str());
  std::vector<TColumn> columns;
  while (query.Step())
    columns.push_back({query.Text(1), UpperCase(query.Text(2))});
  return columns;
}

} // namespace

int64_t APSRawRowCount(std::string_view table) {
  const char* name = KnownTable(table);
  return Guarded([&] {
    const std::string sql = std::string("SELECT count(*) FROM ") + name;
    auto query = RequireSession().Database.Query(sql.c_str());
    return query.Step() ? query.Int(0) : int64_t{0};
  });
}

TRawTable APSReadRawTable(std::string_view table, int64_t first, int64_t count) {
  const char* name = KnownTable(table);
  return Guarded([&] {
    TDatabase& database = RequireSession().Database;
    const std::vector<TColumn> columns = ColumnsOf(database, name);
    TRawTable raw;
    for (const TColumn& column : columns)
      raw.Columns.push_back(column.name);
    const std::string sql =
        std::string("SELECT * FROM ") + name + " ORDER BY rowid LIMIT ? OFFSET ?";
    auto query = database.Query(sql.c_str());
    query.Bind(std::max<int64_t>(count, 0), std::max<int64_t>(first, 0));
    while (query.Step()) {
      std::vector<std::string> row;
      for (int i = 0; i < static_cast<int>(columns.size()); ++i) {
        const std::string& type = columns[static_cast<size_t>(i)].type;
        if (query.IsNull(i))
          row.emplace_back();
        else if (type == "INTEGER")
          row.push_back(std::to_string(query.Int(i)));
        else if (type == "REAL")
          row.push_back(FloatToText(query.Real(i)));
        else if (type == "TEXT")
          row.push_back(TextCell(query, i));
        else
          row.push_back(Escaped(query.Blob(i)));
      }
      raw.Rows.push_back(std::move(row));
    }
    return raw;
  });
}

} // namespace vandro
