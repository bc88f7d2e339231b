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
#include "model/project.h"
#include "model/template.h"
#include "shell/datetime.h"
#include "shell/numbers.h"
#include "shell/settings.h"
#include "shell/text.h"
#include "storage/project_lifecycle.h"
#include "storage/project_paths.h"
#include "storage/unit_catalogue.h"
#include "storage/unit_rows.h"
#include "values/value_text.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <ostream>
#include <set>

namespace vandro::cli {

namespace {

// The words of a command line: positional words, valued options and flags.
struct TOptions {
  std::vector<std::string> positional;
  std::map<std::string, std::string, std::less<>> values;
  std::set<std::string, std::less<>> flags;

  const std::string* Value(std::string_view option) const {
    const auto it = values.find(option);
    return it == values.end() ? nullptr : &it->second;
  }
  bool Has(std::string_view option) const { return Value(option) || flags.count(option); }
};

// Reads args against the options the command takes; false after a usage
// error (status holds the exit status then).
bool ReadOptions(const std::vector<std::string>& args, const TCommand& command,
                 std::initializer_list<std::string_view> valued,
                 std::initializer_list<std::string_view> flags, TCliStreams& streams, TOptions& out,
                 int& status) {
  const auto fail = [&](const std::string& problem) {
    status = UsageError(streams, command, problem);
    return false;
  };
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& word = args[i];
    if (word.rfind("--", 0) != 0 || word.size() == 2) {
      out.positional.push_back(word);
      continue;
    }
    const bool isFlag = std::find(flags.begin(), flags.end(), word) != flags.end();
    const bool isValued = std::find(valued.begin(), valued.end(), word) != valued.end();
    if (!isFlag && !isValued) return fail("unknown option " + word);
    if (out.Has(word)) return fail(word + " is given twice");
    if (isFlag) {
      out.flags.insert(word);
      continue;
    }
    if (i + 1 == args.size()) return fail(word + " needs a value");
    out.values.emplace(word, args[++i]);
  }
  return true;
}

// A tab or a line break inside a cell would break the table.
std::string Cell(std::string_view text) {
  std::string cell(text);
  for (char& c : cell)
    if (c == '\t' || c == '\r' || c == '\n') c = ' ';
  return ForTerminal(cell);
}

void PrintRow(std::ostream& out, std::initializer_list<std::string> cells) {
  bool first = true;
  for (const auto& cell : cells) {
    if (!first) out << '\t';
    out << Cell(cell);
    first = false;
  }
  out << '\n';
}

std::string YesNo(bool flag) {
  return flag ? "Yes" : "No";
}

// A number as the windows show it; one that has no text (never stored by
// the program) as empty.
std::string Number(long double value) {
  try {
    return FloatToText(value);
  } catch (const EConvertError&) {
    return {};
  }
}

// The run of one command on a project: the date style of the settings file
// while it runs, the project closed and the style put back afterwards.
class TProjectRun {
public:
  TProjectRun() : savedStyle_(DateStyle()) {
    const std::string path = SettingsPath();
    std::error_code error;
    if (std::filesystem::is_regular_file(path, error)) TSettings().Load(path);
  }
  ~TProjectRun() {
    CloseProject();
    SetDateStyle(savedStyle_);
  }
  TProjectRun(const TProjectRun&) = delete;
  TProjectRun& operator=(const TProjectRun&) = delete;

  // Opens the project to read it, or as the program opens it to work on it.
  // The failure has been shown.
  TProject* Open(const std::string& path, bool toChange) {
    if (!(toChange ? OpenProject(path) : APSOpenProject(path))) return nullptr;
    return CurrentProject();
  }

private:
  TDateStyle savedStyle_;
};

// Runs body on the project named by the first positional word; a raised
// error (shown already) fails the command.
int OnProject(const TOptions& options, bool toChange, const std::function<int(TProject&)>& body) {
  TProjectRun run;
  TProject* project = run.Open(options.positional.front(), toChange);
  if (!project) return kExitFailed;
  try {
    return body(*project);
  } catch (const ErrorException&) {
    return kExitFailed;
  }
}

// Reads a listing command's words: PROJECT and up to extra more.
bool ReadListing(const std::vector<std::string>& args, const char* name,
                 std::initializer_list<std::string_view> valued, size_t extra, TCliStreams& streams,
                 TOptions& options, int& status) {
  const TCommand& command = CommandNamed(name);
  if (!ReadOptions(args, command, valued, {}, streams, options, status)) return false;
  if (options.positional.empty() || options.positional.size() > 1 + extra) {
    status = UsageError(streams, command,
                        options.positional.empty() ? "PROJECT is missing" : "too many arguments");
    return false;
  }
  return true;
}

// "add PROJECT NAME" and the like: the action, then PROJECT and NAME.
bool ReadAction(const std::vector<std::string>& args, const char* name,
                std::initializer_list<std::string_view> actions,
                std::initializer_list<std::string_view> valued,
                std::initializer_list<std::string_view> flags, TCliStreams& streams,
                std::string& action, TOptions& options, int& status) {
  const TCommand& command = CommandNamed(name);
  if (!ReadOptions(args, command, valued, flags, streams, options, status)) return false;
  const auto fail = [&](const std::string& problem) {
    status = UsageError(streams, command, problem);
    return false;
  };
  if (options.positional.empty()) return fail("the action is missing");
  if (std::find(actions.begin(), actions.end(), options.positional[0]) == actions.end())
    return fail("unknown action " + options.positional[0]);
  if (options.positional.size() < 3) return fail("PROJECT and NAME are needed");
  if (options.positional.size() > 3) return fail("too many arguments");
  action = options.positional.front();
  options.positional.erase(options.positional.begin()); // PROJECT first, as OnProject reads
  return true;
}

// Options an action does not take are wrong usage.
bool HasUnusedOption(const TOptions& options, std::initializer_list<std::string_view> unused,
                     const char* name, const std::string& action, TCliStreams& streams,
                     int& status) {
  for (const auto option : unused)
    if (options.Has(option)) {
      status = UsageError(streams, CommandNamed(name), action + " takes no " + std::string(option));
      return true;
    }
  return false;
}

} // namespace

int RunNew(const std::vector<std::string>& args, TCliStreams& streams) {
  const TCommand& command = CommandNamed("new");
  TOptions options;
  int status = kExitOk;
  if (!ReadOptions(args, command,
                   {"--base", "--name", "--version", "--description", "--author", "--organization",
                    "--comments"},
                   {}, streams, options, status))
    return status;
  if (options.positional.size() != 1)
    return UsageError(streams, command,
                      options.positional.empty() ? "PATH is missing" : "one PATH only");
  const std::string& path = options.positional.front();
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
    if (const std::string* value = options.Value(option)) *field = *value;
  const std::string* base = options.Value("--base");

  TProjectRun run;
  if (!APSCreateProject(path, base ? *base : std::string(), info)) return kExitFailed;
  streams.out << ForTerminal(paths.file) << '\n';
  return kExitOk;
}

int RunInfo(const std::vector<std::string>& args, TCliStreams& streams) {
  TOptions options;
  int status = kExitOk;
  if (!ReadListing(args, "info", {}, 0, streams, options, status)) return status;
  return OnProject(options, false, [&](TProject& project) {
    const TProjectInfo& info = project.Info();
    const std::pair<const char*, std::string> rows[] = {
        {"Project Name", info.Name},
        {"Version", info.Version},
        {"Project Description", info.Description},
        {"Author Name", info.Author},
        {"Organization", info.Organization},
        {"Start Date", DateTimeToText(info.StartDate)},
        {"Last Opened", DateTimeToText(info.LastOpened)},
        {"Comments", info.Comments},
    };
    for (const auto& [title, value] : rows)
      streams.out << title << ": " << Cell(value) << '\n';
    return kExitOk;
  });
}

int RunParams(const std::vector<std::string>& args, TCliStreams& streams) {
  TOptions options;
  int status = kExitOk;
  if (!ReadListing(args, "params", {}, 0, streams, options, status)) return status;
  return OnProject(options, false, [&](TProject& project) {
    PrintRow(streams.out, {"Param Name", "Brief Name", "Default Value", "Description", "Category"});
    for (const auto& parameter : project.Parameters())
      PrintRow(streams.out,
               {parameter->ParamName, parameter->ShortName, ToDisplayText(&parameter->DefValue),
                parameter->Descript, parameter->Category});
    return kExitOk;
  });
}

int RunUnits(const std::vector<std::string>& args, TCliStreams& streams) {
  TOptions options;
  int status = kExitOk;
  if (!ReadListing(args, "units", {"--category"}, 0, streams, options, status)) return status;
  return OnProject(options, false, [&](TProject& project) {
    TUnitCatalogue& units = project.Units();
    const std::string* category = options.Value("--category");
    if (category && *category == "(AllCategories)") category = nullptr;
    if (category) {
      const auto& known = units.Categories();
      if (std::none_of(known.begin(), known.end(),
                       [&](const std::string& c) { return SameText(c, *category); })) {
        ShowMsg("Unknown unit category: " + *category);
        return kExitFailed;
      }
    }
    NormalizeAllUnits(units);
    PrintRow(streams.out,
             {"Item No", "Unit Name", "UntNm", "Category", "Factor", "Offset", "Formula", "Basic",
              "Dimension", "Dim.Factor", "Generic", "Description"});
    int shown = 0;
    for (int i = 0; i < units.Count(); ++i) {
      const TUnit& unit = units[i];
      if (category && !SameText(unit.category, *category)) continue;
      const bool normal = unit.normalForm.has_value();
      PrintRow(streams.out,
               {std::to_string(++shown), unit.name, unit.shortName, unit.category,
                Number(unit.coefficient), Number(unit.offset), unit.formula, YesNo(unit.basic),
                normal ? NormalFormText(*unit.normalForm) : std::string(),
                normal ? Number(unit.normalForm->factor) : std::string(), YesNo(unit.generic),
                unit.description});
    }
    return kExitOk;
  });
}

int RunTemplates(const std::vector<std::string>& args, TCliStreams& streams) {
  TOptions options;
  int status = kExitOk;
  if (!ReadListing(args, "templates", {}, 1, streams, options, status)) return status;
  return OnProject(options, false, [&](TProject& project) {
    if (options.positional.size() == 1) {
      PrintRow(streams.out, {"Template Name"});
      for (const auto& name : project.TemplateNames())
        PrintRow(streams.out, {name});
      return kExitOk;
    }
    TTemplate tmpl("vandro-cli templates");
    tmpl.Name = options.positional[1];
    tmpl.Load();
    PrintRow(streams.out, {"Parameter", "Default Value", "Constraints", "Optional", "Invisible"});
    for (const auto& line : tmpl.ParamLines)
      PrintRow(streams.out, {line->Parameter ? line->Parameter->ParamName : std::string(),
                             ToDisplayText(&line->DefValue), ToDisplayText(&line->Constr),
                             YesNo(line->Optional), YesNo(line->Invisible)});
    return kExitOk;
  });
}

int RunVars(const std::vector<std::string>& args, TCliStreams& streams) {
  TOptions options;
  int status = kExitOk;
  if (!ReadListing(args, "vars", {}, 0, streams, options, status)) return status;
  return OnProject(options, false, [&](TProject& project) {
    PrintRow(streams.out, {"Name", "Value", "Comment"});
    for (const auto& variable : project.Variables())
      PrintRow(streams.out, {variable->Name, ToDisplayText(&variable->Value), variable->Comment});
    return kExitOk;
  });
}

int RunParam(const std::vector<std::string>& args, TCliStreams& streams) {
  TOptions options;
  std::string verb;
  int status = kExitOk;
  if (!ReadAction(args, "param", {"add", "edit", "delete"},
                  {"--rename", "--short", "--category", "--default", "--description"}, {}, streams,
                  verb, options, status))
    return status;
  if (verb == "add" && HasUnusedOption(options, {"--rename"}, "param", verb, streams, status))
    return status;
  if (verb == "delete" &&
      HasUnusedOption(options, {"--rename", "--short", "--category", "--default", "--description"},
                      "param", verb, streams, status))
    return status;
  const std::string& name = options.positional[1];
  return OnProject(options, true, [&](TProject& project) {
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
    if (const std::string* value = options.Value("--rename")) edited.ParamName = *value;
    if (const std::string* value = options.Value("--short")) edited.ShortName = *value;
    if (const std::string* value = options.Value("--category")) edited.Category = *value;
    if (const std::string* value = options.Value("--description")) edited.Descript = *value;
    if (const std::string* value = options.Value("--default"))
      ReadValueArgument(*value, edited.DefValue);
    if (verb == "edit") return UpdateParameterFromEditor(edited) ? kExitOk : kExitFailed;
    auto added = std::make_unique<TParameter>();
    added->Assign(edited);
    const TParameter* stored = AddParameterFromEditor(std::move(added));
    if (!stored) return kExitFailed;
    streams.out << stored->Idtor << '\n';
    return kExitOk;
  });
}

int RunVar(const std::vector<std::string>& args, TCliStreams& streams) {
  TOptions options;
  std::string verb;
  int status = kExitOk;
  if (!ReadAction(args, "var", {"set", "delete"}, {"--value", "--comment"}, {}, streams, verb,
                  options, status))
    return status;
  if (verb == "delete" &&
      HasUnusedOption(options, {"--value", "--comment"}, "var", verb, streams, status))
    return status;
  const std::string& name = options.positional[1];
  return OnProject(options, true, [&](TProject& project) {
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
    if (const std::string* value = options.Value("--value"))
      ReadValueArgument(*value, variable.Value);
    if (const std::string* comment = options.Value("--comment")) variable.Comment = *comment;
    return project.SaveVariable(variable) ? kExitOk : kExitFailed;
  });
}

int RunUnit(const std::vector<std::string>& args, TCliStreams& streams) {
  TOptions options;
  std::string verb;
  int status = kExitOk;
  if (!ReadAction(args, "unit", {"add", "delete", "make-basic"},
                  {"--short", "--category", "--factor", "--offset", "--formula", "--description"},
                  {"--basic"}, streams, verb, options, status))
    return status;
  if (verb != "add" && HasUnusedOption(options,
                                       {"--short", "--category", "--factor", "--offset",
                                        "--formula", "--description", "--basic"},
                                       "unit", verb, streams, status))
    return status;
  const std::string& name = options.positional[1];
  return OnProject(options, true, [&](TProject& project) {
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
        if (const std::string* value = options.Value(option)) *field = *value;
      form.Basic = options.Has("--basic");
      const int32_t id = StoreUnitForm(form);
      if (id == 0) return kExitFailed;
      streams.out << id << '\n';
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
