#include "storage/schema.h"

#include "storage/database.h"

#include <cstring>

namespace vandro {

namespace {

// Each table's statement and its index statements, in creation order.
constexpr TTableSchema kSchema[] = {
    {"VD_Rpt_Frm_Chrt",
     "CREATE TABLE VD_Rpt_Frm_Chrt (O_TYPE INTEGER, O_NAME TEXT, "
     "O_DESCRIPTOR TEXT)",
     {"CREATE UNIQUE INDEX VD_Rpt_Frm_Chrt_NameTypeX ON VD_Rpt_Frm_Chrt(O_Name,O_Type)"}},
    {"VD_Objects",
     "CREATE TABLE VD_Objects (ObjIdtor INTEGER, GroupTag INTEGER, "
     "ObjName TEXT)",
     {"CREATE UNIQUE INDEX VD_Objects_ObjIdX ON VD_Objects(ObjIdtor)",
      "CREATE UNIQUE INDEX VD_Objects_ObjNameX ON VD_Objects(ObjName)"}},
    {"VD_Records",
     "CREATE TABLE VD_Records (Idtor INTEGER, RecName TEXT, ObjIdtor INTEGER, "
     "Terminator INTEGER, PrevRecord INTEGER, PtrArrTag INTEGER, PtrArr TEXT, RealTime REAL, "
     "SysTime REAL, Type INTEGER, CntAdded BLOB, CntDeleted BLOB, PVs BLOB)",
     {"CREATE UNIQUE INDEX VD_Records_RecordIdX ON VD_Records(Idtor)",
      "CREATE INDEX VD_Records_ObjIdX ON VD_Records(ObjIdtor)"}},
    {"VD_Param_Templ",
     "CREATE TABLE VD_Param_Templ (Idtor INTEGER, SerialNum INTEGER, ParamId INTEGER, "
     "TemplateId INTEGER, DefValue BLOB, Constr BLOB, Optional INTEGER, Invisible INTEGER)",
     {"CREATE UNIQUE INDEX VD_Param_Templ_IdtorX ON VD_Param_Templ(Idtor)"}},
    {"VD_Act_Templ",
     "CREATE TABLE VD_Act_Templ (Idtor INTEGER, SerialNum INTEGER, ActionType INTEGER, "
     "TemplateId INTEGER, Condition BLOB, Argument BLOB, Launch INTEGER, ApplyTo INTEGER)",
     {"CREATE UNIQUE INDEX VD_Act_Templ_IdtorX ON VD_Act_Templ(Idtor)"}},
    {"VD_Templates",
     "CREATE TABLE VD_Templates (Idtor INTEGER, Name TEXT, Naming BLOB, "
     "ReserveId INTEGER)",
     {"CREATE UNIQUE INDEX VD_Templates_IdtorX ON VD_Templates(Idtor)",
      "CREATE UNIQUE INDEX VD_Templates_NameX ON VD_Templates(Name)"}},
    {"VD_Object_NDX",
     "CREATE TABLE VD_Object_NDX (SCRule INTEGER, EntryName TEXT, "
     "ObjIdtor INTEGER, Comment TEXT)",
     {"CREATE UNIQUE INDEX VD_Object_NDX_EntryNameX ON VD_Object_NDX(EntryName)",
      "CREATE UNIQUE INDEX VD_Object_NDX_ObjIdX ON VD_Object_NDX(ObjIdtor)"}},
    {"VD_Params",
     "CREATE TABLE VD_Params (Idtor INTEGER, ParamName TEXT, ShortName TEXT, "
     "Category TEXT, ParamType INTEGER, DefValue BLOB, Descript TEXT, ValidTime INTEGER)",
     {"CREATE UNIQUE INDEX VD_Params_ParamIdX ON VD_Params(Idtor)",
      "CREATE UNIQUE INDEX VD_Params_ParamNmX ON VD_Params(ParamName)"}},
    {"VD_Units",
     "CREATE TABLE VD_Units (UntIdtor INTEGER, UntName TEXT, "
     "UntShrtNm TEXT, UntCatgry TEXT, UntBasic INTEGER, "
     "UntCoeff REAL, UntDelta REAL, UntGeneric INTEGER, UntFormula TEXT, UntDescr TEXT)",
     {"CREATE UNIQUE INDEX VD_Units_UnitIdX ON VD_Units(UntIdtor)"}},
};

// A corrected record's earlier row, the moment it stopped being the record
// (Superseded, system time) added; looked up by record and by object, each
// in the order the versions were superseded.
constexpr TTableSchema kVersionsSchema = {
    "VD_RecordVersions",
    "CREATE TABLE VD_RecordVersions (Idtor INTEGER, Superseded REAL, RecName TEXT, "
    "ObjIdtor INTEGER, Terminator INTEGER, PrevRecord INTEGER, PtrArrTag INTEGER, PtrArr TEXT, "
    "RealTime REAL, SysTime REAL, Type INTEGER, CntAdded BLOB, CntDeleted BLOB, PVs BLOB)",
    {"CREATE INDEX VD_RecordVersions_RecordIdX ON VD_RecordVersions(Idtor, Superseded)",
     "CREATE INDEX VD_RecordVersions_ObjIdX ON VD_RecordVersions(ObjIdtor, Superseded)"}};

const TTableSchema& SchemaOf(const std::string& table) {
  for (const TTableSchema& schema : kSchema)
    if (table == schema.table) return schema;
  throw TDatabaseFailure("No table " + table + " in the project's schema");
}

std::vector<std::string> ColumnsOf(TDatabase& database, const std::string& table) {
  // Table names come from kSchema, never from the user.
  std::vector<std::string> columns;
  auto query = database.Query("SELECT name FROM pragma_table_info(?) ORDER BY cid");
  query.Bind(table);
  while (query.Step())
    columns.push_back(query.Text(0));
  return columns;
}

int64_t RowCount(TDatabase& database, const std::string& table) {
  const std::string sql = "SELECT count(*) FROM " + table;
  auto query = database.Query(sql.c_str());
  return query.Step() ? query.Int(0) : 0;
}

void ConvertTable(TDatabase& database, const TTableSchema& schema) {
  const std::string table = schema.table;
  const std::string staging = table + "_converted";
  database.Execute(("DROP TABLE IF EXISTS " + staging).c_str());
  // The statement reads "CREATE TABLE <table> (...)": the same columns under
  // the staging name.
  const std::string create =
      "CREATE TABLE " + staging + (schema.create + std::strlen("CREATE TABLE ") + table.size());
  database.Execute(create.c_str());
  const std::vector<std::string> columns = ColumnsOf(database, table);
  if (columns != ColumnsOf(database, staging))
    throw TDatabaseFailure("The table " + table + " has columns this program does not know");
  std::string list;
  for (const auto& column : columns)
    list += ", \"" + column + "\"";
  const int64_t rows = RowCount(database, table);
  database.Execute(("INSERT INTO " + staging + " (rowid" + list + ") SELECT rowid" + list +
                    " FROM " + table + " ORDER BY rowid")
                       .c_str());
  if (RowCount(database, staging) != rows)
    throw TDatabaseFailure("The rows of " + table + " could not all be copied");
  database.Execute(("DROP TABLE " + table).c_str());
  database.Execute(("ALTER TABLE " + staging + " RENAME TO " + table).c_str());
  for (const char* index : schema.indexes)
    if (index) database.Execute(index);
}

} // namespace

std::string IndexName(const std::string& table, const std::string& index) {
  return table + "_" + index;
}

const TTableSchema& VersionsSchema() {
  return kVersionsSchema;
}

void CreateSchema(TDatabase& database) {
  TTransaction transaction(database);
  for (const TTableSchema& table : kSchema) {
    database.Execute(table.create);
    for (const char* index : table.indexes)
      if (index) database.Execute(index);
  }
  database.Execute(kVersionsSchema.create);
  for (const char* index : kVersionsSchema.indexes)
    database.Execute(index);
  transaction.Commit();
}

bool HasTable(TDatabase& database, const char* table) {
  auto query =
      database.Query("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = ?");
  query.Bind(table);
  return query.Step() && query.Int(0) != 0;
}

void AddVersionsTable(TDatabase& database) {
  if (HasTable(database, kVersionsSchema.table)) return;
  TTransaction transaction(database);
  database.Execute(kVersionsSchema.create);
  for (const char* index : kVersionsSchema.indexes)
    database.Execute(index);
  transaction.Commit();
}

std::string MissingTable(TDatabase& database) {
  for (const char* table : kTableNames)
    if (!HasTable(database, table)) return table;
  return {};
}

std::vector<std::string> TablesToConvert(TDatabase& database) {
  std::vector<std::string> tables;
  for (const char* table : kTableNames) {
    auto query = database.Query(
        "SELECT sql FROM sqlite_master WHERE type = 'table' AND name = ? AND sql LIKE ?");
    query.Bind(table, std::string("%COLLATE ") + kLegacyNameCollation + "%");
    if (query.Step()) tables.push_back(table);
  }
  return tables;
}

void ConvertTables(TDatabase& database, const std::vector<std::string>& tables) {
  TTransaction transaction(database);
  for (const auto& table : tables)
    ConvertTable(database, SchemaOf(table));
  transaction.Commit();
}

} // namespace vandro
