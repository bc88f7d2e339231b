#include "storage/schema.h"

#include "storage/database.h"

namespace vandro {

namespace {

// Each table's statement and its index statements, in creation order. The
// collation name is kNameCollation.
constexpr const char* kSchema[] = {
    "CREATE TABLE VD_Rpt_Frm_Chrt (O_TYPE INTEGER, O_NAME TEXT COLLATE VD_NOCASE, "
    "O_DESCRIPTOR TEXT)",
    "CREATE UNIQUE INDEX VD_Rpt_Frm_Chrt_NameTypeX ON VD_Rpt_Frm_Chrt(O_Name,O_Type)",

    "CREATE TABLE VD_Objects (ObjIdtor INTEGER, GroupTag INTEGER, "
    "ObjName TEXT COLLATE VD_NOCASE)",
    "CREATE UNIQUE INDEX VD_Objects_ObjIdX ON VD_Objects(ObjIdtor)",
    "CREATE UNIQUE INDEX VD_Objects_ObjNameX ON VD_Objects(ObjName)",

    "CREATE TABLE VD_Records (Idtor INTEGER, RecName TEXT, ObjIdtor INTEGER, "
    "Terminator INTEGER, PrevRecord INTEGER, PtrArrTag INTEGER, PtrArr TEXT, RealTime REAL, "
    "SysTime REAL, Type INTEGER, CntAdded BLOB, CntDeleted BLOB, PVs BLOB)",
    "CREATE UNIQUE INDEX VD_Records_RecordIdX ON VD_Records(Idtor)",
    "CREATE INDEX VD_Records_ObjIdX ON VD_Records(ObjIdtor)",

    "CREATE TABLE VD_Param_Templ (Idtor INTEGER, SerialNum INTEGER, ParamId INTEGER, "
    "TemplateId INTEGER, DefValue BLOB, Constr BLOB, Optional INTEGER, Invisible INTEGER)",
    "CREATE UNIQUE INDEX VD_Param_Templ_IdtorX ON VD_Param_Templ(Idtor)",

    "CREATE TABLE VD_Act_Templ (Idtor INTEGER, SerialNum INTEGER, ActionType INTEGER, "
    "TemplateId INTEGER, Condition BLOB, Argument BLOB, Launch INTEGER, ApplyTo INTEGER)",
    "CREATE UNIQUE INDEX VD_Act_Templ_IdtorX ON VD_Act_Templ(Idtor)",

    "CREATE TABLE VD_Templates (Idtor INTEGER, Name TEXT COLLATE VD_NOCASE, Naming BLOB, "
    "ReserveId INTEGER)",
    "CREATE UNIQUE INDEX VD_Templates_IdtorX ON VD_Templates(Idtor)",
    "CREATE UNIQUE INDEX VD_Templates_NameX ON VD_Templates(Name)",

    "CREATE TABLE VD_Object_NDX (SCRule INTEGER, EntryName TEXT COLLATE VD_NOCASE, "
    "ObjIdtor INTEGER, Comment TEXT)",
    "CREATE UNIQUE INDEX VD_Object_NDX_EntryNameX ON VD_Object_NDX(EntryName)",
    "CREATE UNIQUE INDEX VD_Object_NDX_ObjIdX ON VD_Object_NDX(ObjIdtor)",

    "CREATE TABLE VD_Params (Idtor INTEGER, ParamName TEXT COLLATE VD_NOCASE, ShortName TEXT, "
    "Category TEXT, ParamType INTEGER, DefValue BLOB, Descript TEXT, ValidTime INTEGER)",
    "CREATE UNIQUE INDEX VD_Params_ParamIdX ON VD_Params(Idtor)",
    "CREATE UNIQUE INDEX VD_Params_ParamNmX ON VD_Params(ParamName)",

    "CREATE TABLE VD_Units (UntIdtor INTEGER, UntName TEXT COLLATE VD_NOCASE, "
    "UntShrtNm TEXT COLLATE VD_NOCASE, UntCatgry TEXT COLLATE VD_NOCASE, UntBasic INTEGER, "
    "UntCoeff REAL, UntDelta REAL, UntGeneric INTEGER, UntFormula TEXT, UntDescr TEXT)",
    "CREATE UNIQUE INDEX VD_Units_UnitIdX ON VD_Units(UntIdtor)",
};

} // namespace

std::string IndexName(const std::string& table, const std::string& index) {
  return table + "_" + index;
}

void CreateSchema(TDatabase& database) {
  TTransaction transaction(database);
  for (const char* statement : kSchema)
    database.Execute(statement);
  transaction.Commit();
}

std::string MissingTable(TDatabase& database) {
  for (const char* table : kTableNames) {
    auto query =
        database.Query("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = ?");
    query.Bind(table);
    if (!query.Step() || query.Int(0) == 0) return table;
  }
  return {};
}

} // namespace vandro
