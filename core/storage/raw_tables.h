// The nine tables as they are stored, for the "DB Show" window: column names
// and rows as text, read a slice at a time so that a large table is never in
// memory whole.
#pragma once

#include "storage/schema.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vandro {

// The tables in the order the window shows them.
inline constexpr std::array<const char*, 9> kShownTables = {
    kObjectsTable,   kUnitsTable,      kParamsTable,   kRecordsTable,     kTemplatesTable,
    kObjectNdxTable, kParamTemplTable, kActTemplTable, kDescriptorsTable,
};

struct TRawTable {
  std::vector<std::string> Columns;
  std::vector<std::vector<std::string>> Rows;
};

// The table's column names and its rows first..first+count-1 in stored
// order. Integers and reals are written as numbers, texts as they are, BLOBs
// (packed values and memos) with each byte that is not a printable character
// written as "\xHH", and NULL as an empty cell. A name that is not one of the
// nine raises a system error: no SQL is ever built from other text.
TRawTable APSReadRawTable(std::string_view table, int64_t first, int64_t count);
int64_t APSRawRowCount(std::string_view table);

} // namespace vandro
