// vandro-cli eval: one formula over a record made from --set pairs, in the
// project named by --project (its parameters, units and variables; nothing
// is written to it), or else in an in-memory project with the system
// parameters and the default units, where each --set name not yet known
// becomes a parameter.
#include "cli_sink.h"
#include "commands.h"
#include "language/executor.h"
#include "language/record_evaluation.h"
#include "model/data_record.h"
#include "model/project.h"
#include "shell/datetime.h"
#include "shell/messages.h"
#include "shell/text.h"
#include "storage/project_lifecycle.h"
#include "values/value_text.h"

#include <filesystem>
#include <ostream>

namespace vandro::cli {

namespace {

const TCommand& EvalCommand() {
  return CommandNamed("eval");
}

struct TSetting {
  std::string name;
  std::string value;
};

// The date style for the run, and the project closed, whatever way it ends.
class TEvalScope {
public:
  TEvalScope() : savedStyle_(DateStyle()) {}
  ~TEvalScope() {
    if (onDisk_) CloseProject();
    SetDateStyle(savedStyle_);
  }
  TEvalScope(const TEvalScope&) = delete;
  TEvalScope& operator=(const TEvalScope&) = delete;

  // The project on disk at path, or a new one in memory; nullptr after a
  // message when the project cannot be opened.
  TProject* Open(const std::string& path) {
    if (path.empty()) {
      inMemory_ = TProject::CreateInMemory();
      scoped_ = std::make_unique<ScopedProject>(*inMemory_);
      return inMemory_.get();
    }
    onDisk_ = true;
    return APSOpenProject(path) ? CurrentProject() : nullptr;
  }

private:
  TDateStyle savedStyle_;
  bool onDisk_ = false;
  std::unique_ptr<TProject> inMemory_;
  std::unique_ptr<ScopedProject> scoped_;
};

} // namespace

void ReadValueArgument(const std::string& text, TValue& value) {
  if (!text.empty() && text[0] == '=')
    value.SetText(vkCalculated, text.substr(1));
  else
    value.SetPlain(text);
}

int RunEval(const std::vector<std::string>& args, TCliStreams& streams) {
  // A state of an object as the context belongs to the record commands.
  for (const std::string& word : args)
    if (word == "--object" || word == "--at") return RunEvalOnProject(args, streams);
  std::vector<TSetting> settings;
  std::string expression;
  std::string projectPath;
  bool haveExpression = false;
  TDateStyle style = TDateStyle::European;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& word = args[i];
    if (word == "--set" || word == "--date-style" || word == "--project") {
      if (i + 1 == args.size()) return UsageError(streams, EvalCommand(), word + " needs a value");
      const std::string& value = args[++i];
      if (word == "--project") {
        if (!projectPath.empty())
          return UsageError(streams, EvalCommand(), "--project is given twice");
        projectPath = value;
        continue;
      }
      if (word == "--date-style") {
        if (SameText(value, "european"))
          style = TDateStyle::European;
        else if (SameText(value, "us"))
          style = TDateStyle::US;
        else
          return UsageError(streams, EvalCommand(), "unknown date style " + value);
        continue;
      }
      const size_t equals = value.find('=');
      if (equals == std::string::npos || equals == 0)
        return UsageError(streams, EvalCommand(), "--set takes NAME=VALUE, not " + value);
      settings.push_back({value.substr(0, equals), value.substr(equals + 1)});
    } else if (word.rfind("--", 0) == 0 && word.size() > 2) {
      return UsageError(streams, EvalCommand(), "unknown option " + word);
    } else if (haveExpression) {
      return UsageError(streams, EvalCommand(), "one EXPRESSION only (quote it)");
    } else {
      expression = word;
      haveExpression = true;
    }
  }
  if (!haveExpression) return UsageError(streams, EvalCommand(), "EXPRESSION is missing");
  for (const auto& setting : settings)
    if (!IsName(setting.name) || IsSystemName(setting.name))
      return UsageError(streams, EvalCommand(),
                        "--set " + setting.name +
                            ": a parameter name is a letter followed by "
                            "letters and digits, and not a system name");

  TEvalScope scope;
  SetDateStyle(style);
  TProject* project = scope.Open(projectPath);
  if (!project) return kExitFailed;
  ScopedLanguage language;
  ScopedRecords records; // "object.parameter" reads the project's records

  // Names are parameters of the project. One in memory takes a new one;
  // nothing is ever added to a project on disk.
  TDataRecord record;
  for (const auto& setting : settings) {
    const TParameter* parameter = project->FindParameter(setting.name);
    if (!parameter && !projectPath.empty()) {
      ShowMsg("Parameter " + setting.name + " doesn't exist");
      return kExitFailed;
    }
    if (!parameter) {
      auto created = std::make_unique<TParameter>();
      created->ParamName = setting.name;
      created->Category = "Imported";
      parameter = &project->AddParameter(std::move(created));
    }
    TValue value;
    ReadValueArgument(setting.value, value);
    if (TPVRelation* existing = record.FindPV(parameter->ParamName))
      existing->Value.Assign(value);
    else
      record.AddPV(*parameter, value);
  }

  TExecutor executor;
  const TValue& result = executor.Run(nullptr, &record, expression);
  const bool failed = executor.Failed() || result.IsError();
  if (failed)
    streams.err << ForTerminal(result.Text()) << '\n';
  else
    streams.out << ForTerminal(ToDisplayText(&result)) << '\n';
  return failed ? kExitFailed : kExitOk;
}

} // namespace vandro::cli
