#include "storage/template_rows.h"

#include "shell/messages.h"
#include "shell/names.h"
#include "shell/text.h"
#include "storage/access.h"
#include "storage/session.h"

#include <algorithm>
#include <limits>

namespace vandro {

namespace {

constexpr size_t kTemplateNameCapacity = 32;

std::string StoredName(std::string_view name) {
  return UpperCase(name);
}

std::string Packed(const TValue& value) {
  return value.IsNull() ? std::string() : value.PackValue();
}

void Unpack(const std::string& packed, TValue& value) {
  value.Clear();
  if (!packed.empty()) value.UnpackValue(packed, 1);
}

// A stored code as read; a number outside int fails every range check.
int Code(int64_t stored) {
  return stored >= std::numeric_limits<int>::min() && stored <= std::numeric_limits<int>::max()
             ? static_cast<int>(stored)
             : -1;
}

int32_t ParamIdOf(const TParamTemplate& line) {
  return line.Parameter ? line.Parameter->Idtor : line.ParamId;
}

template <class Line> void SortBySerialNum(std::vector<std::unique_ptr<Line>>& lines) {
  std::stable_sort(lines.begin(), lines.end(),
                   [](const auto& a, const auto& b) { return a->SerialNum < b->SerialNum; });
}

// The lines of a template, in identifier order and then by SerialNum.
// Parameters are not resolved here.
void ReadParamLines(TDatabase& database, int32_t templateId,
                    std::vector<std::unique_ptr<TParamTemplate>>& lines, const char* origin) {
  auto query = database.Query("SELECT Idtor, SerialNum, ParamId, TemplateId, DefValue, Constr, "
                              "Optional, Invisible FROM VD_Param_Templ WHERE TemplateId = ? "
                              "ORDER BY Idtor");
  query.Bind(templateId);
  while (query.Step()) {
    auto line = std::make_unique<TParamTemplate>(origin);
    line->Idtor = static_cast<int32_t>(query.Int(0));
    line->SerialNum = static_cast<int16_t>(query.Int(1));
    line->ParamId = static_cast<int32_t>(query.Int(2));
    line->TemplateId = static_cast<int32_t>(query.Int(3));
    line->Optional = query.Int(6) == 1;
    line->Invisible = query.Int(7) == 1;
    lines.push_back(std::move(line));
    // Added before the values are read: a damaged value leaves the template
    // partly filled, as the caller expects, and the line is freed with it.
    Unpack(query.Blob(4), lines.back()->DefValue);
    Unpack(query.Blob(5), lines.back()->Constr);
  }
  SortBySerialNum(lines);
}

void ReadActions(TDatabase& database, int32_t templateId,
                 std::vector<std::unique_ptr<TActionTemplate>>& actions, const char* origin) {
  auto query = database.Query("SELECT Idtor, SerialNum, ActionType, TemplateId, Condition, "
                              "Argument, Launch, ApplyTo FROM VD_Act_Templ WHERE TemplateId = ? "
                              "ORDER BY Idtor");
  query.Bind(templateId);
  while (query.Step()) {
    const int type = Code(query.Int(2));
    const int launch = Code(query.Int(6));
    const int applyTo = Code(query.Int(7));
    CheckActionCodes(type, launch, applyTo);
    auto action = std::make_unique<TActionTemplate>(origin);
    action->Idtor = static_cast<int32_t>(query.Int(0));
    action->SerialNum = static_cast<int16_t>(query.Int(1));
    action->TemplateId = static_cast<int32_t>(query.Int(3));
    action->ActionType = static_cast<uint8_t>(type);
    action->Launch = static_cast<uint8_t>(launch);
    action->ApplyTo = static_cast<uint8_t>(applyTo);
    actions.push_back(std::move(action));
    Unpack(query.Blob(4), actions.back()->Condition);
    Unpack(query.Blob(5), actions.back()->Argument);
  }
  SortBySerialNum(actions);
}

void WriteParamLine(TDatabase& database, TParamTemplate& line) {
  const std::string defValue = Packed(line.DefValue);
  const std::string constraint = Packed(line.Constr);
  const int32_t paramId = ParamIdOf(line);
  if (line.Idtor == 0) {
    line.Idtor = APSNewId();
    database
        .Query("INSERT INTO VD_Param_Templ (Idtor, SerialNum, ParamId, TemplateId, DefValue, "
               "Constr, Optional, Invisible) VALUES (?, ?, ?, ?, ?, ?, ?, ?)")
        .Bind(line.Idtor, int32_t{line.SerialNum}, paramId, line.TemplateId, TBlob{defValue},
              TBlob{constraint}, line.Optional, line.Invisible)
        .Run();
  } else {
    database
        .Query("UPDATE VD_Param_Templ SET SerialNum = ?, ParamId = ?, TemplateId = ?, "
               "DefValue = ?, Constr = ?, Optional = ?, Invisible = ? WHERE Idtor = ?")
        .Bind(int32_t{line.SerialNum}, paramId, line.TemplateId, TBlob{defValue}, TBlob{constraint},
              line.Optional, line.Invisible, line.Idtor)
        .Run();
    if (database.Changes() == 0)
      RaiseSystemError("PT idtor doesn't exist:" + std::to_string(line.Idtor));
  }
  line.ParamId = paramId;
}

void WriteAction(TDatabase& database, TActionTemplate& action) {
  CheckActionCodes(action.ActionType, action.Launch, action.ApplyTo);
  const std::string condition = Packed(action.Condition);
  const std::string argument = Packed(action.Argument);
  if (action.Idtor == 0) {
    action.Idtor = APSNewId();
    database
        .Query("INSERT INTO VD_Act_Templ (Idtor, SerialNum, ActionType, TemplateId, Condition, "
               "Argument, Launch, ApplyTo) VALUES (?, ?, ?, ?, ?, ?, ?, ?)")
        .Bind(action.Idtor, int32_t{action.SerialNum}, int32_t{action.ActionType},
              action.TemplateId, TBlob{condition}, TBlob{argument}, int32_t{action.Launch},
              int32_t{action.ApplyTo})
        .Run();
  } else {
    database
        .Query("UPDATE VD_Act_Templ SET SerialNum = ?, ActionType = ?, TemplateId = ?, "
               "Condition = ?, Argument = ?, Launch = ?, ApplyTo = ? WHERE Idtor = ?")
        .Bind(int32_t{action.SerialNum}, int32_t{action.ActionType}, action.TemplateId,
              TBlob{condition}, TBlob{argument}, int32_t{action.Launch}, int32_t{action.ApplyTo},
              action.Idtor)
        .Run();
    if (database.Changes() == 0)
      RaiseSystemError("AT idtor doesn't exist:" + std::to_string(action.Idtor));
  }
}

void DeleteLine(const char* sql, const char* missing, int32_t id) {
  TDatabase& database = APSDatabase();
  Guarded([&] {
    database.Query(sql).Bind(id).Run();
    if (database.Changes() == 0) RaiseSystemError(missing + std::to_string(id));
  });
}

// What a save changes in memory, put back when the save fails.
class TSavedIdentifiers {
public:
  explicit TSavedIdentifiers(const TTemplate& tmpl) : idtor_(tmpl.Idtor), name_(tmpl.Name) {
    for (const auto& line : tmpl.ParamLines)
      lines_.push_back({line->Idtor, line->SerialNum, line->ParamId, line->TemplateId});
    for (const auto& action : tmpl.Actions)
      actions_.push_back({action->Idtor, action->SerialNum, 0, action->TemplateId});
  }
  void Restore(TTemplate& tmpl) const {
    tmpl.Idtor = idtor_;
    tmpl.Name = name_;
    for (size_t i = 0; i < lines_.size(); ++i) {
      TParamTemplate& line = *tmpl.ParamLines[i];
      line.Idtor = lines_[i].idtor;
      line.SerialNum = lines_[i].serialNum;
      line.ParamId = lines_[i].paramId;
      line.TemplateId = lines_[i].templateId;
    }
    for (size_t i = 0; i < actions_.size(); ++i) {
      TActionTemplate& action = *tmpl.Actions[i];
      action.Idtor = actions_[i].idtor;
      action.SerialNum = actions_[i].serialNum;
      action.TemplateId = actions_[i].templateId;
    }
  }

private:
  struct TLineIds {
    int32_t idtor;
    int16_t serialNum;
    int32_t paramId;
    int32_t templateId;
  };
  int32_t idtor_;
  std::string name_;
  std::vector<TLineIds> lines_;
  std::vector<TLineIds> actions_;
};

bool NameHeldByAnother(TDatabase& database, const std::string& name, int32_t idtor) {
  auto query = database.Query("SELECT 1 FROM VD_Templates WHERE Name = ? AND Idtor <> ?");
  query.Bind(name, idtor);
  return query.Step();
}

void WriteTemplate(TDatabase& database, TTemplate& tmpl) {
  const std::string naming = Packed(tmpl.Naming);
  TTransaction transaction(database);
  if (tmpl.Idtor == 0) {
    tmpl.Idtor = APSNewId();
    database.Query("INSERT INTO VD_Templates (Idtor, Name, Naming) VALUES (?, ?, ?)")
        .Bind(tmpl.Idtor, tmpl.Name, TBlob{naming})
        .Run();
  } else {
    database.Query("UPDATE VD_Templates SET Name = ?, Naming = ? WHERE Idtor = ?")
        .Bind(tmpl.Name, TBlob{naming}, tmpl.Idtor)
        .Run();
    if (database.Changes() == 0)
      RaiseSystemError("Template doesn't exist. Id:" + std::to_string(tmpl.Idtor));
  }
  for (const int32_t id : tmpl.RemovedParamLines()) {
    database.Query("DELETE FROM VD_Param_Templ WHERE Idtor = ?").Bind(id).Run();
    if (database.Changes() == 0) RaiseSystemError("PT idtor doesn't exist:" + std::to_string(id));
  }
  for (const int32_t id : tmpl.RemovedActions()) {
    database.Query("DELETE FROM VD_Act_Templ WHERE Idtor = ?").Bind(id).Run();
    if (database.Changes() == 0) RaiseSystemError("AT idtor doesn't exist:" + std::to_string(id));
  }
  for (size_t i = 0; i < tmpl.ParamLines.size(); ++i) {
    TParamTemplate& line = *tmpl.ParamLines[i];
    line.TemplateId = tmpl.Idtor;
    line.SerialNum = static_cast<int16_t>(i);
    WriteParamLine(database, line);
  }
  for (size_t i = 0; i < tmpl.Actions.size(); ++i) {
    TActionTemplate& action = *tmpl.Actions[i];
    action.TemplateId = tmpl.Idtor;
    action.SerialNum = static_cast<int16_t>(i);
    WriteAction(database, action);
  }
  transaction.Commit();
}

class TTemplateRows final : public TTemplateStore {
public:
  void GetTemplate(TTemplate& tmpl) override { APSTemplateGet(tmpl); }
  bool PutTemplate(TTemplate& tmpl) override { return APSTemplatePut(tmpl); }
  void PutParamLine(TParamTemplate& line) override { APSPutParamLine(line); }
  void PutActionLine(TActionTemplate& action) override { APSPutActionLine(action); }
  void DeleteParamLine(int32_t id) override { APSDeleteParamLine(id); }
  void DeleteActionLine(int32_t id) override { APSDeleteActionLine(id); }
  void DeleteTemplate(std::string_view name) override { APSDeleteTemplate(name); }
  std::vector<std::string> ListTemplates() override {
    std::vector<std::string> names;
    APSListTemplates(names);
    return names;
  }
};

// The parameter of the new project named name: by its name first, since
// another parameter's short name may read the same.
const TParameter* ParameterNamed(const TProject& project, const std::string& name) {
  for (const auto& parameter : project.Parameters())
    if (SameText(parameter->ParamName, name)) return parameter.get();
  return project.FindParameter(name);
}

} // namespace

void APSPutParamLine(TParamTemplate& line) {
  TDatabase& database = APSDatabase();
  Guarded([&] { WriteParamLine(database, line); });
}

void APSPutActionLine(TActionTemplate& action) {
  TDatabase& database = APSDatabase();
  Guarded([&] { WriteAction(database, action); });
}

void APSDeleteParamLine(int32_t id) {
  DeleteLine("DELETE FROM VD_Param_Templ WHERE Idtor = ?", "PT idtor doesn't exist:", id);
}

void APSDeleteActionLine(int32_t id) {
  DeleteLine("DELETE FROM VD_Act_Templ WHERE Idtor = ?", "AT idtor doesn't exist:", id);
}

bool APSTemplatePut(TTemplate& tmpl) {
  TDatabase& database = APSDatabase();
  if (tmpl.ParamLines.size() > static_cast<size_t>(std::numeric_limits<int16_t>::max()) + 1 ||
      tmpl.Actions.size() > static_cast<size_t>(std::numeric_limits<int16_t>::max()) + 1) {
    ShowMsg("The template has too many lines to store: " + tmpl.Name);
    return false;
  }
  if (!CheckStorableName(tmpl.Name, kTemplateNameCapacity)) return false;
  const TSavedIdentifiers saved(tmpl);
  tmpl.Name = StoredName(tmpl.Name);
  try {
    Guarded([&] {
      if (NameHeldByAnother(database, tmpl.Name, tmpl.Idtor))
        RaiseError("The template name should be unique within project");
      WriteTemplate(database, tmpl);
    });
  } catch (const ErrorException&) {
    // Shown already; the transaction took back every row it wrote.
    saved.Restore(tmpl);
    return false;
  }
  tmpl.ForgetRemovedLines();
  return true;
}

bool APSTemplateGet(TTemplate& tmpl) {
  TStorageSession& session = RequireSession();
  TDatabase& database = session.Database;
  const std::string name = StoredName(tmpl.Name);
  tmpl.ParamLines.clear();
  tmpl.Actions.clear();
  tmpl.ForgetRemovedLines();
  Guarded([&] {
    int32_t idtor = 0;
    std::string naming;
    {
      auto query = database.Query("SELECT Idtor, Name, Naming FROM VD_Templates WHERE Name = ?");
      query.Bind(name);
      if (!query.Step()) RaiseError("Template doesn't exist. Name: " + tmpl.Name);
      idtor = static_cast<int32_t>(query.Int(0));
      tmpl.Name = StoredName(query.Text(1));
      naming = query.Blob(2);
    }
    tmpl.Idtor = idtor;
    Unpack(naming, tmpl.Naming);
    ReadParamLines(database, idtor, tmpl.ParamLines, "APSTemplateGet");
    ReadActions(database, idtor, tmpl.Actions, "APSTemplateGet");
  });
  for (const auto& line : tmpl.ParamLines)
    line->Parameter = session.Project->ParameterById(line->ParamId);
  return true;
}

void APSDeleteTemplate(std::string_view name) {
  TDatabase& database = APSDatabase();
  Guarded([&] {
    int32_t idtor = 0;
    {
      auto query = database.Query("SELECT Idtor FROM VD_Templates WHERE Name = ?");
      query.Bind(StoredName(name));
      if (!query.Step()) RaiseError("Template doesn't exist. Name: " + std::string(name));
      idtor = static_cast<int32_t>(query.Int(0));
    }
    TTransaction transaction(database);
    database.Query("DELETE FROM VD_Param_Templ WHERE TemplateId = ?").Bind(idtor).Run();
    database.Query("DELETE FROM VD_Act_Templ WHERE TemplateId = ?").Bind(idtor).Run();
    database.Query("DELETE FROM VD_Templates WHERE Idtor = ?").Bind(idtor).Run();
    transaction.Commit();
  });
}

void APSListTemplates(std::vector<std::string>& list) {
  TDatabase& database = APSDatabase();
  const size_t from = list.size();
  Guarded([&] {
    auto query = database.Query("SELECT Name FROM VD_Templates");
    while (query.Step())
      list.push_back(StoredName(query.Text(0)));
  });
  SortTexts(list, from);
}

void LoadTemplateNames() {
  TStorageSession& session = RequireSession();
  std::vector<std::string> names;
  APSListTemplates(names);
  session.Project->TemplateNames() = std::move(names);
}

void CopyTemplates(TDatabase& base, const std::map<int32_t, std::string>& parameterNames) {
  TProject& project = *RequireSession().Project;
  struct TRow {
    int32_t idtor;
    std::string name;
    std::string naming;
  };
  std::vector<TRow> rows;
  {
    auto query = base.Query("SELECT Idtor, Name, Naming FROM VD_Templates ORDER BY rowid");
    while (query.Step())
      rows.push_back({static_cast<int32_t>(query.Int(0)), query.Text(1), query.Blob(2)});
  }
  for (const TRow& row : rows) {
    TTemplate copy("APSCopyStructure");
    copy.Name = StoredName(row.name);
    Unpack(row.naming, copy.Naming);
    ReadParamLines(base, row.idtor, copy.ParamLines, "APSCopyStructure");
    ReadActions(base, row.idtor, copy.Actions, "APSCopyStructure");
    for (const auto& line : copy.ParamLines) {
      line->Idtor = 0;
      line->TemplateId = 0;
      if (line->DefValue.IsObject()) line->DefValue.Clear();
      const auto known = parameterNames.find(line->ParamId);
      line->Parameter =
          known == parameterNames.end() ? nullptr : ParameterNamed(project, known->second);
      if (!line->Parameter) RaiseError("Parameter not found");
    }
    for (const auto& action : copy.Actions) {
      action->Idtor = 0;
      action->TemplateId = 0;
      if (action->Argument.IsObject()) action->Argument.Clear();
    }
    // A refusal has been shown; it ends the copy like any other error.
    if (!APSTemplatePut(copy)) throw ErrorException("Can't copy template " + copy.Name);
  }
}

TTemplateStore* TStorageSession::Templates() {
  static TTemplateRows rows;
  return &rows;
}

} // namespace vandro
