// vandro-cli new, info, params, units, templates, vars, param, var and unit:
// a project's files, its information and its structure.
//
// Listings are tables: a header line, then one line per item, cells joined
// by tabs; a tab or line break inside a cell is written as a blank. Dates are
// written in the date style of the settings file (the European dd.MM.yyyy
// when there is none). The commands that change a project open it as the
// program does (its "last opened" time is set); the listings only read it.
#include "cli_sink.h"
#include "commands.h"
#include "editing/parameter_list.h"
#include "editing/project_info.h"
#include "editing/unit_editor.h"
#include "editing/unit_list.h"
#include "model/project.h"
#include "model/template.h"
#include "project_session.h"
#include "shell/datetime.h"
#include "shell/numbers.h"
#include "shell/text.h"
#include "storage/project_lifecycle.h"
#include "storage/project_paths.h"
#include "storage/unit_rows.h"
#include "values/value_text.h"

#include <algorithm>
#include <optional>
#include <ostream>

namespace vandro::cli {

namespace {

void PrintRow(std::ostream& out, std::initializer_list<std::string> cells) {
  PrintTableRow(out, cells);
}

// The first of the options that was given; empty when none was. An action
// given an option it does not take is wrong usage.
std::string_view FirstGiven(const TRun& run, std::initializer_list<std::string_view> options) {
  for (const std::string_view option : options)
    if (run.args.Has(option)) return option;
  return {};
}

} // namespace

int RunNew(const TRun& run) {
  const std::string& path = run.args[0];
  const TProjectPaths paths = ResolveProjectPaths(path);

  TProjectInfo info = NewProjectInfo(paths.name);
  const std::pair<const char*, std::string*> fields[] = {
      {"--name", &info.Name},
      {"--version", &info.Version},
      {"--description", &info.Description},
      {"--author", &info.Author},
      {"--organization", &info.Organization},
      {"--comments", &info.Comments},
  };
  for (const auto& [option, field] : fields)
    if (run.args.Has(option)) *field = run.args.Value(option);

  TProjectSession session(run.args);
  if (!APSCreateProject(path, run.args.Value("--base"), info)) return kExitFailed;
  run.streams.out << ForTerminal(paths.file) << '\n';
  return kExitOk;
}

int RunInfo(const TRun& run) {
  TProjectSession session(run.args);
  return session.Run(run.args[0], TAccess::Read, [&](TProject& project) {
    for (const TInfoRowText& row : ProjectInfoRows(project.Info(), TInfoUse::Showing))
      run.streams.out << row.Title << ": " << TableCell(row.Text) << '\n';
    return kExitOk;
  });
}

int RunParams(const TRun& run) {
  TProjectSession session(run.args);
  return session.Run(run.args[0], TAccess::Read, [&](TProject& project) {
    PrintRow(run.streams.out,
             {"Param Name", "Brief Name", "Default Value", "Description", "Category"});
    for (const auto& parameter : project.Parameters())
      PrintRow(run.streams.out,
               {parameter->ParamName, parameter->ShortName, ToDisplayText(&parameter->DefValue),
                parameter->Descript, parameter->Category});
    return kExitOk;
  });
}

int RunUnits(const TRun& run) {
  TProjectSession session(run.args);
  return session.Run(run.args[0], TAccess::Read, [&](TProject& project) {
    TUnitCatalogue& units = project.Units();
    std::optional<std::string> category;
    if (run.args.Has("--category") && run.args.Value("--category") != "(AllCategories)")
      category = run.args.Value("--category");
    if (category) {
      const auto& known = units.Categories();
      if (std::none_of(known.begin(), known.end(),
                       [&](const std::string& c) { return SameText(c, *category); })) {
        ShowMsg("Unknown unit category: " + *category);
        return kExitFailed;
      }
    }
    // Units whose dimension cannot be worked out are named on stderr; the
    // grid shows them without one, as the window does.
    NormalizeAllUnits(units);
    const TUnitListGrid grid = UnitListGrid(units, category.value_or(std::string()));
    PrintTableRow(run.streams.out, grid.Columns);
    for (const TUnitListRow& row : grid.Rows)
      PrintTableRow(run.streams.out, row.Cells);
    return kExitOk;
  });
}

int RunTemplates(const TRun& run) {
  TProjectSession session(run.args);
  return session.Run(run.args[0], TAccess::Read, [&](TProject& project) {
    if (run.args.Positional().size() == 1) {
      PrintRow(run.streams.out, {"Template Name"});
      for (const auto& name : project.TemplateNames())
        PrintRow(run.streams.out, {name});
      return kExitOk;
    }
    TTemplate tmpl("vandro-cli templates");
    tmpl.Name = run.args[1];
    tmpl.Load();
    PrintRow(run.streams.out,
             {"Parameter", "Default Value", "Constraints", "Optional", "Invisible"});
    for (const auto& line : tmpl.ParamLines)
      PrintRow(run.streams.out, {line->Parameter ? line->Parameter->ParamName : std::string(),
                                 ToDisplayText(&line->DefValue), ToDisplayText(&line->Constr),
                                 ShownYesNo(line->Optional), ShownYesNo(line->Invisible)});
    return kExitOk;
  });
}

int RunVars(const TRun& run) {
  TProjectSession session(run.args);
  return session.Run(run.args[0], TAccess::Read, [&](TProject& project) {
    PrintRow(run.streams.out, {"Name", "Value", "Comment"});
    for (const auto& variable : project.Variables())
      PrintRow(run.streams.out,
               {variable->Name, ToDisplayText(&variable->Value), variable->Comment});
    return kExitOk;
  });
}

int RunParam(const TRun& run) {
  const std::string& verb = run.args[0];
  const std::string_view unused =
      verb == "add" ? FirstGiven(run, {"--rename"})
      : verb == "delete"
          ? FirstGiven(run, {"--rename", "--short", "--category", "--default", "--description"})
          : std::string_view();
  if (!unused.empty()) return run.Usage(verb + " takes no " + std::string(unused));
  const std::string& name = run.args[2];
  TProjectSession session(run.args);
  return session.Run(run.args[1], TAccess::Change, [&](TProject& project) {
    if (verb == "delete") return DeleteParameterFromList(name) ? kExitOk : kExitFailed;
    TParameter edited;
    if (verb == "add") {
      edited.ParamName = name;
      edited.ShortName = name.substr(0, kShortNameCapacity);
      edited.Category = "None";
    } else {
      const TParameter* original = project.FindParameter(name);
      if (!original) {
        ShowMsg("Unknown Parameter:" + name);
        return kExitFailed;
      }
      edited.Assign(*original);
    }
    const std::pair<const char*, std::string*> fields[] = {
        {"--rename", &edited.ParamName},
        {"--short", &edited.ShortName},
        {"--category", &edited.Category},
        {"--description", &edited.Descript},
    };
    for (const auto& [option, field] : fields)
      if (run.args.Has(option)) *field = run.args.Value(option);
    if (run.args.Has("--default")) ReadValueArgument(run.args.Value("--default"), edited.DefValue);
    if (verb == "edit") return UpdateParameterFromEditor(edited) ? kExitOk : kExitFailed;
    auto added = std::make_unique<TParameter>();
    added->Assign(edited);
    const TParameter* stored = AddParameterFromEditor(std::move(added));
    if (!stored) return kExitFailed;
    run.streams.out << stored->Idtor << '\n';
    return kExitOk;
  });
}

int RunVar(const TRun& run) {
  const std::string& verb = run.args[0];
  const std::string_view unused =
      verb == "delete" ? FirstGiven(run, {"--value", "--comment"}) : std::string_view();
  if (!unused.empty()) return run.Usage(verb + " takes no " + std::string(unused));
  const std::string& name = run.args[2];
  TProjectSession session(run.args);
  return session.Run(run.args[1], TAccess::Change, [&](TProject& project) {
    TVariable* existing = project.FindVariable(name);
    if (verb == "delete") {
      if (!existing) {
        ShowMsg("Can't find variable " + name);
        return kExitFailed;
      }
      project.DeleteVariable(name);
      return kExitOk;
    }
    // PROJECT.name reaches a variable only when its name is an identifier.
    if (name.empty() || !IsName(name)) {
      ShowMsg("Variable name should be an identifier: " + name);
      return kExitFailed;
    }
    TVariable variable;
    variable.Name = name;
    if (existing) {
      variable.Comment = existing->Comment;
      variable.Value.Assign(existing->Value);
    }
    if (run.args.Has("--value")) ReadValueArgument(run.args.Value("--value"), variable.Value);
    if (run.args.Has("--comment")) variable.Comment = run.args.Value("--comment");
    return project.SaveVariable(variable) ? kExitOk : kExitFailed;
  });
}

int RunUnit(const TRun& run) {
  const std::string& verb = run.args[0];
  const std::string_view unused =
      verb == "add" ? std::string_view()
                    : FirstGiven(run, {"--short", "--category", "--factor", "--offset", "--formula",
                                       "--description", "--basic"});
  if (!unused.empty()) return run.Usage(verb + " takes no " + std::string(unused));
  const std::string& name = run.args[2];
  TProjectSession session(run.args);
  return session.Run(run.args[1], TAccess::Change, [&](TProject& project) {
    if (verb == "add") {
      TUnitForm form;
      form.Name = name;
      form.ShortName = name;
      form.Factor = "1";
      const std::pair<const char*, std::string*> fields[] = {
          {"--short", &form.ShortName}, {"--category", &form.Category},
          {"--factor", &form.Factor},   {"--offset", &form.Offset},
          {"--formula", &form.Formula}, {"--description", &form.Description},
      };
      for (const auto& [option, field] : fields)
        if (run.args.Has(option)) *field = run.args.Value(option);
      form.Basic = run.args.Has("--basic");
      const int32_t id = StoreUnitForm(form);
      if (id == 0) return kExitFailed;
      run.streams.out << id << '\n';
      return kExitOk;
    }
    const TUnit* unit = project.Units().FindUnit(name);
    if (!unit) {
      ShowMsg("Unknown unit: " + name);
      return kExitFailed;
    }
    const int32_t id = unit->id;
    return (verb == "delete" ? DeleteUnit(id) : MakeBasic(id)) ? kExitOk : kExitFailed;
  });
}

} // namespace vandro::cli
