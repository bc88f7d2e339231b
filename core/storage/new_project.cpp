#include "storage/new_project.h"

#include "model/project.h"
#include "shell/messages.h"
#include "shell/text.h"
#include "storage/access.h"
#include "storage/parameter_rows.h"
#include "storage/project_paths.h"
#include "storage/schema.h"
#include "storage/session.h"
#include "storage/template_rows.h"
#include "storage/unit_rows.h"
#include "values/default_units.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <utility>
#include <vector>

namespace vandro {

namespace {

// The base project's side of a copy, shared by its steps.
struct TCopySource {
  TDatabase& base;
  // Base parameter identifiers and their names: template lines name their
  // parameter by identifier, and the copies have new ones.
  std::map<int32_t, std::string> parameterNames;
};

void CopyParameters(TCopySource& source, TProject& project) {
  // In name order, as the core compares names, so the copies' identifiers
  // follow the names whatever order the base's rows are in. A default that
  // cannot be unpacked ends the copy there, keeping the parameters before it.
  struct TRow {
    int32_t baseId;
    std::unique_ptr<TParameter> parameter;
    std::string packed;
  };
  std::vector<TRow> rows;
  auto query = source.base.Query(
      "SELECT Idtor, ParamName, ShortName, Category, ParamType, DefValue, Descript, ValidTime "
      "FROM VD_Params ORDER BY rowid");
  while (query.Step()) {
    if (UpperCase(query.Text(3)) == "SYSTEM") continue;
    TRow& row = rows.emplace_back();
    row.baseId = static_cast<int32_t>(query.Int(0));
    row.parameter = std::make_unique<TParameter>();
    row.parameter->ParamName = query.Text(1);
    row.parameter->ShortName = query.Text(2);
    row.parameter->Category = query.Text(3);
    row.parameter->ParamType = static_cast<int32_t>(query.Int(4));
    row.packed = query.Blob(5);
    row.parameter->Descript = query.Text(6);
    row.parameter->ValidTime = static_cast<int32_t>(query.Int(7));
  }
  std::stable_sort(rows.begin(), rows.end(), [](const TRow& a, const TRow& b) {
    return CompareText(a.parameter->ParamName, b.parameter->ParamName) < 0;
  });
  for (TRow& row : rows) {
    if (!row.packed.empty()) row.parameter->DefValue.UnpackValue(row.packed, 1);
    source.parameterNames[row.baseId] = row.parameter->ParamName;
    project.AddParameter(std::move(row.parameter));
  }
  LoadParameters();
}

void CopyUnits(TCopySource& source) {
  auto query = source.base.Query(
      "SELECT UntName, UntShrtNm, UntCatgry, UntBasic, UntCoeff, UntDelta, UntFormula, UntDescr "
      "FROM VD_Units WHERE UntGeneric = 0 ORDER BY rowid");
  while (query.Step()) {
    TUnit unit;
    unit.name = query.Text(0);
    unit.shortName = query.Text(1);
    unit.category = query.Text(2);
    unit.basic = query.Int(3) == 1;
    unit.coefficient = query.Real(4);
    unit.offset = query.Real(5);
    unit.generic = false;
    unit.formula = query.Text(6);
    unit.description = query.Text(7);
    APSAddUnit(unit);
  }
}

} // namespace

void WriteNewProjectContent() {
  TStorageSession& session = RequireSession();
  TProject& project = *session.Project;
  TDeferredProjectFile deferred(session);
  Guarded([&] {
    TTransaction transaction(session.Database);
    const TSystemParameterRow* rows = SystemParameterRows();
    for (int i = 0; i < kSystemParameterCount; ++i) {
      project.AddParameter(MakeSystemParameter(rows[i]));
    }
    for (const TDefaultUnit& row : DefaultUnits()) {
      TUnit unit = MakeDefaultUnit(row);
      APSAddUnit(unit);
    }
    transaction.Commit();
  });
  deferred.Finish();
}

bool APSCopyStructure(const std::string& basePath) {
  TStorageSession& session = RequireSession();
  const TProjectPaths paths = ResolveProjectPaths(basePath);
  std::error_code error;
  if (!std::filesystem::is_regular_file(OsPath(paths.file), error)) {
    ShowMsg("File not found:" + paths.file);
    return false;
  }
  const std::string databasePath = APSDatabasePath(paths.directory, paths.name);
  TDatabase base;
  bool usable = std::filesystem::is_regular_file(OsPath(databasePath), error) &&
                base.Open(databasePath, TDatabase::TMode::ReadOnly);
  std::string missing;
  if (usable) {
    try {
      missing = MissingTable(base);
    } catch (const TDatabaseFailure&) {
      usable = false;
    }
  }
  if (!usable || !missing.empty()) {
    ShowMsg("Can't connect to database:" + std::string(kLineBreak) + databasePath);
    return false;
  }

  TCopySource source{base, {}};
  TDeferredProjectFile deferred(session);
  Guarded([&] {
    // What is copied before a failure stays: the batch commits either way.
    TTransaction batch(session.Database, false);
    CopyParameters(source, *session.Project);
    CopyUnits(source);
    // After the parameters, whose new identifiers the lines need.
    CopyTemplates(source.base, source.parameterNames);
    batch.Commit();
  });
  deferred.Finish();
  return true;
}

} // namespace vandro
