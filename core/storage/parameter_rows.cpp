#include "storage/parameter_rows.h"

#include "shell/messages.h"
#include "shell/text.h"
#include "storage/session.h"

#include <memory>
#include <unordered_set>
#include <vector>

namespace vandro {

namespace {

std::string PackedDefault(const TParameter& parameter) {
  return parameter.DefValue.IsNull() ? std::string() : parameter.DefValue.PackValue();
}

// Parameter names are unique without regard to case (Cyrillic included),
// which the column's plain index cannot tell; the table is small.
bool NameTaken(TDatabase& database, const TParameter& parameter) {
  auto query = database.Query("SELECT ParamName FROM VD_Params WHERE Idtor <> ?");
  query.Bind(parameter.Idtor);
  while (query.Step())
    if (SameText(query.Text(0), parameter.ParamName)) return true;
  return false;
}

} // namespace

void APSInsertParameter(const TParameter& parameter) {
  TDatabase& database = APSDatabase();
  const std::string packed = PackedDefault(parameter); // may refuse a value too long
  Guarded([&] {
    if (NameTaken(database, parameter)) RaiseError("Duplicate parameter name");
    database
        .Query("INSERT INTO VD_Params (Idtor, ParamName, ShortName, Category, ParamType, "
               "DefValue, Descript, ValidTime) VALUES (?, ?, ?, ?, ?, ?, ?, ?)")
        .Bind(parameter.Idtor, parameter.ParamName, parameter.ShortName, parameter.Category,
              parameter.ParamType, TBlob{packed}, parameter.Descript, parameter.ValidTime)
        .Run();
  });
}

std::vector<TParameter*> APSAddParameters(std::vector<std::unique_ptr<TParameter>> parameters) {
  TStorageSession& session = RequireSession();
  if (parameters.empty()) return {};
  TDeferredProjectFile deferred(session);
  std::vector<std::string> packed;
  packed.reserve(parameters.size());
  for (auto& parameter : parameters) {
    parameter->Fit();
    packed.push_back(PackedDefault(*parameter)); // may refuse a value too long
  }
  for (auto& parameter : parameters)
    parameter->Idtor = session.Project->NewId();
  Guarded([&] {
    // One look at the names instead of one per row: NameTaken's scan for
    // each of thousands of new rows would cost their square.
    std::unordered_set<std::string> taken;
    auto names = session.Database.Query("SELECT ParamName FROM VD_Params");
    while (names.Step())
      taken.insert(UpperCase(names.Text(0)));
    TTransaction work(session.Database);
    for (size_t i = 0; i < parameters.size(); ++i) {
      const TParameter& parameter = *parameters[i];
      if (!taken.insert(UpperCase(parameter.ParamName)).second)
        RaiseError("Duplicate parameter name");
      session.Database
          .Query("INSERT INTO VD_Params (Idtor, ParamName, ShortName, Category, ParamType, "
                 "DefValue, Descript, ValidTime) VALUES (?, ?, ?, ?, ?, ?, ?, ?)")
          .Bind(parameter.Idtor, parameter.ParamName, parameter.ShortName, parameter.Category,
                parameter.ParamType, TBlob{packed[i]}, parameter.Descript, parameter.ValidTime)
          .Run();
    }
    work.Commit();
  });
  std::vector<TParameter*> added = session.Project->AdoptParameters(std::move(parameters));
  deferred.Finish();
  return added;
}

void APSUpdateParameter(const TParameter& parameter) {
  TDatabase& database = APSDatabase();
  const std::string packed = PackedDefault(parameter);
  Guarded([&] {
    auto exists = database.Query("SELECT 1 FROM VD_Params WHERE Idtor = ?");
    exists.Bind(parameter.Idtor);
    if (!exists.Step())
      RaiseSystemError("Can't find parameter. Idtor = " + std::to_string(parameter.Idtor));
    if (NameTaken(database, parameter)) RaiseError("Duplicate parameter name");
    database
        .Query("UPDATE VD_Params SET ParamName = ?, ShortName = ?, Category = ?, ParamType = ?, "
               "DefValue = ?, Descript = ?, ValidTime = ? WHERE Idtor = ?")
        .Bind(parameter.ParamName, parameter.ShortName, parameter.Category, parameter.ParamType,
              TBlob{packed}, parameter.Descript, parameter.ValidTime, parameter.Idtor)
        .Run();
  });
}

void APSDeleteParameter(int32_t id) {
  TDatabase& database = APSDatabase();
  Guarded([&] { database.Query("DELETE FROM VD_Params WHERE Idtor = ?").Bind(id).Run(); });
}

void LoadParameters() {
  TStorageSession& session = RequireSession();
  std::vector<std::unique_ptr<TParameter>> parameters;
  Guarded([&] {
    auto query = session.Database.Query(
        "SELECT Idtor, ParamName, ShortName, Category, ParamType, DefValue, Descript, ValidTime "
        "FROM VD_Params ORDER BY rowid");
    while (query.Step()) {
      auto parameter = std::make_unique<TParameter>();
      parameter->Idtor = static_cast<int32_t>(query.Int(0));
      parameter->ParamName = query.Text(1);
      parameter->ShortName = query.Text(2);
      parameter->Category = query.Text(3);
      parameter->ParamType = static_cast<int32_t>(query.Int(4));
      parameter->Descript = query.Text(6);
      parameter->ValidTime = static_cast<int32_t>(query.Int(7));
      parameter->Fit();
      const std::string packed = query.Blob(5);
      if (!packed.empty()) {
        try {
          parameter->DefValue.UnpackValue(packed, 1);
        } catch (const ErrorException&) {
          // Reported already. The parameter stays usable without its
          // default; the stored bytes are left as they are.
          parameter->DefValue.Clear();
        }
      }
      parameters.push_back(std::move(parameter));
    }
  });
  session.Project->ReplaceParameters(std::move(parameters));
}

} // namespace vandro
