// A project database as earlier versions wrote it: the name columns declare
// the collation only those versions (and this one, for reading) register.
// The tests and the benchmark of the conversion on open build one from a new
// project with MakeEarlierSchema.
#pragma once

#include "storage/database.h"

#include <string>

namespace vandro::testing {

struct TEarlierTable {
  const char* table;
  const char* create; // with the collation
  const char* indexes[2];
};

inline constexpr TEarlierTable kEarlierTables[] = {
    {"VD_Rpt_Frm_Chrt",
     "CREATE TABLE VD_Rpt_Frm_Chrt (O_TYPE INTEGER, O_NAME TEXT COLLATE VD_NOCASE, "
     "O_DESCRIPTOR TEXT)",
     {"CREATE UNIQUE INDEX VD_Rpt_Frm_Chrt_NameTypeX ON VD_Rpt_Frm_Chrt(O_Name,O_Type)"}},
    {"VD_Objects",
     "CREATE TABLE VD_Objects (ObjIdtor INTEGER, GroupTag INTEGER, "
     "ObjName TEXT COLLATE VD_NOCASE)",
     {"CREATE UNIQUE INDEX VD_Objects_ObjIdX ON VD_Objects(ObjIdtor)",
      "CREATE UNIQUE INDEX VD_Objects_ObjNameX ON VD_Objects(ObjName)"}},
    {"VD_Templates",
     "CREATE TABLE VD_Templates (Idtor INTEGER, Name TEXT COLLATE VD_NOCASE, Naming BLOB, "
     "ReserveId INTEGER)",
     {"CREATE UNIQUE INDEX VD_Templates_IdtorX ON VD_Templates(Idtor)",
      "CREATE UNIQUE INDEX VD_Templates_NameX ON VD_Templates(Name)"}},
    {"VD_Object_NDX",
     "CREATE TABLE VD_Object_NDX (SCRule INTEGER, EntryName TEXT COLLATE VD_NOCASE, "
     "ObjIdtor INTEGER, Comment TEXT)",
     {"CREATE UNIQUE INDEX VD_Object_NDX_EntryNameX ON VD_Object_NDX(EntryName)",
      "CREATE UNIQUE INDEX VD_Object_NDX_ObjIdX ON VD_Object_NDX(ObjIdtor)"}},
    {"VD_Params",
     "CREATE TABLE VD_Params (Idtor INTEGER, ParamName TEXT COLLATE VD_NOCASE, ShortName TEXT, "
     "Category TEXT, ParamType INTEGER, DefValue BLOB, Descript TEXT, ValidTime INTEGER)",
     {"CREATE UNIQUE INDEX VD_Params_ParamIdX ON VD_Params(Idtor)",
      "CREATE UNIQUE INDEX VD_Params_ParamNmX ON VD_Params(ParamName)"}},
    {"VD_Units",
     "CREATE TABLE VD_Units (UntIdtor INTEGER, UntName TEXT COLLATE VD_NOCASE, "
     "UntShrtNm TEXT COLLATE VD_NOCASE, UntCatgry TEXT COLLATE VD_NOCASE, UntBasic INTEGER, "
     "UntCoeff REAL, UntDelta REAL, UntGeneric INTEGER, UntFormula TEXT, UntDescr TEXT)",
     {"CREATE UNIQUE INDEX VD_Units_UnitIdX ON VD_Units(UntIdtor)"}},
};

// Rewrites the name tables of the database file at path (not open
// elsewhere) with the earlier declarations, every row and rowid kept.
inline void MakeEarlierSchema(const std::string& path) {
  TDatabase database;
  if (!database.Open(path, TDatabase::TMode::ReadWrite))
    throw TDatabaseFailure("can't open " + path);
  TTransaction transaction(database);
  for (const auto& earlier : kEarlierTables) {
    const std::string table = earlier.table;
    database.Execute(("ALTER TABLE " + table + " RENAME TO current_table").c_str());
    database.Execute(earlier.create);
    database.Execute(
        ("INSERT INTO " + table + " SELECT * FROM current_table ORDER BY rowid").c_str());
    database.Execute("DROP TABLE current_table");
    for (const char* index : earlier.indexes)
      if (index) database.Execute(index);
  }
  transaction.Commit();
}

} // namespace vandro::testing
