// The project database: nine tables with fixed names, created in a fixed
// order, each followed by its indexes.
//
// Column types follow SQLite: 32-, 16- and 8-bit integers (flags are 1 or 0)
// are INTEGER, doubles (date-times are days since 30.12.1899) REAL, names and
// other texts TEXT in UTF-8, and the memos that hold packed values or packed
// record memos BLOB. Text widths are not declared to SQLite; the access layer
// cuts texts to them (names 32, short names 16, comments 128, formulas and
// descriptions 254).
//
// Index names in SQLite are global to the file while ours are per table
// (ObjIdX is on three tables), so every index is created as
// "<table>_<index>": VD_Objects_ObjIdX, VD_Records_ObjIdX, VD_Params_ParamNmX.
//
// No column or index declares a collation, so every SQLite tool can query a
// project and check it (pragma integrity_check). Names are unique and looked
// up without regard to case (code page 1251, Cyrillic included) by the
// program: the names of objects, templates, index entries and descriptors
// are stored upper-cased and looked up by their upper-cased form, so the
// plain unique indexes both enforce the rule and serve the look-ups (objects
// by name stay indexed however many there are); parameter and unit names are
// stored as typed and compared in the program, their tables being small.
//
// Earlier versions declared a collation of their own on the name columns;
// such databases are converted when opened (ConvertSchema).
//
// A tenth table, VD_RecordVersions, keeps the rows of corrected records as
// they were before each correction (record_versions.h). Projects written
// before it existed lack it and stay readable as they are: it is not one of
// the nine a database must hold, and it is added by the first correction.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace vandro {

class TDatabase;

inline constexpr const char* kParamsTable = "VD_Params";
inline constexpr const char* kObjectsTable = "VD_Objects";
inline constexpr const char* kRecordsTable = "VD_Records";
inline constexpr const char* kUnitsTable = "VD_Units";
inline constexpr const char* kParamTemplTable = "VD_Param_Templ";
inline constexpr const char* kActTemplTable = "VD_Act_Templ";
inline constexpr const char* kTemplatesTable = "VD_Templates";
inline constexpr const char* kObjectNdxTable = "VD_Object_NDX";
inline constexpr const char* kDescriptorsTable = "VD_Rpt_Frm_Chrt";

// One table: its CREATE TABLE statement and up to two index statements.
struct TTableSchema {
  const char* table;
  const char* create;
  const char* indexes[2];
};

inline constexpr const char* kRecordVersionsTable = "VD_RecordVersions";

// In the order they are created.
inline constexpr std::array<const char*, 9> kTableNames = {
    kDescriptorsTable, kObjectsTable,   kRecordsTable, kParamTemplTable, kActTemplTable,
    kTemplatesTable,   kObjectNdxTable, kParamsTable,  kUnitsTable,
};

// The SQLite name of a table's index: "VD_Objects" + "ObjIdX" gives
// "VD_Objects_ObjIdX".
std::string IndexName(const std::string& table, const std::string& index);

// Creates the nine tables and their indexes in an empty database, in order,
// then the table of record versions, as one transaction. Throws
// TDatabaseFailure.
void CreateSchema(TDatabase& database);

// The table of record versions with its indexes.
const TTableSchema& VersionsSchema();

// Whether the database holds the table.
bool HasTable(TDatabase& database, const char* table);

// Creates the table of record versions with its indexes, in one
// transaction, unless the database has it.
void AddVersionsTable(TDatabase& database);

// The first of the nine tables the database lacks, or empty when it has all.
std::string MissingTable(TDatabase& database);

// The tables whose stored statement declares the collation of earlier
// versions (kLegacyNameCollation).
std::vector<std::string> TablesToConvert(TDatabase& database);

// Rebuilds those tables without the collation, in one transaction: each is
// created anew, every row copied byte for byte with its rowid, the old table
// dropped and the indexes made again. Throws TDatabaseFailure (and changes
// nothing) when a table's columns are not the ones this program writes or
// a row count differs after the copy.
void ConvertTables(TDatabase& database, const std::vector<std::string>& tables);

} // namespace vandro
