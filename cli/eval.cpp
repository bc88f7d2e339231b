// vandro-cli eval: one formula over a record made from --set pairs, in the
// project named by --project (its parameters, units and variables; nothing
// is written to it), or else in an in-memory project with the system
// parameters and the default units, where each --set name not yet known
// becomes a parameter. With --known-at the project's records are read as
// they were known then (model/known_at.h).
#include "cli_sink.h"
#include "commands.h"
#include "language/executor.h"
#include "language/record_evaluation.h"
#include "model/data_record.h"
#include "model/known_at.h"
#include "model/project.h"
#include "project_session.h"
#include "shell/datetime.h"
#include "shell/messages.h"
#include "shell/text.h"
#include "storage/project_lifecycle.h"
#include "values/unknown_unit.h"
#include "values/value_text.h"

#include <ostream>

namespace vandro::cli {

namespace {

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
    return OpenProject(path, TOpenMode::Look) ? CurrentProject() : nullptr;
  }

private:
  TDateStyle savedStyle_;
  bool onDisk_ = false;
  std::unique_ptr<TProject> inMemory_;
  std::unique_ptr<ScopedProject> scoped_;
};

} // namespace

void ReadValueArgument(const std::string& text, TValue& value) {
  if (!text.empty() && text[0] == '=') {
    value.SetText(vkCalculated, text.substr(1));
  } else {
    value.SetPlain(text);
    WarnOfUnknownUnit(value);
  }
}

int RunEval(const TRun& run) {
  // A state of an object as the context belongs to the record commands.
  if (run.args.Has("--object") || run.args.Has("--at")) return RunEvalOnObject(run);
  std::vector<TSetting> settings;
  for (const std::string& text : run.args.Values("--set")) {
    const size_t equals = text.find('=');
    if (equals == std::string::npos || equals == 0)
      return run.Usage("--set takes NAME=VALUE, not " + text);
    settings.push_back({text.substr(0, equals), text.substr(equals + 1)});
  }
  for (const auto& setting : settings)
    if (!IsName(setting.name) || IsSystemName(setting.name))
      return run.Usage("--set " + setting.name +
                       ": a parameter name is a letter followed by "
                       "letters and digits, and not a system name");
  const std::string projectPath = run.args.Value("--project");
  const std::string& expression = run.args[0];

  // Without --date-style the European style, whatever the settings say.
  TEvalScope scope;
  SetDateStyle(run.args.Value("--date-style") == "us" ? TDateStyle::US : TDateStyle::European);
  std::optional<double> knownAt;
  if (!ReadTime(run, "--known-at", knownAt)) return kExitUsage;
  if (knownAt && projectPath.empty()) return run.Usage("--known-at needs --project");
  TProject* project = scope.Open(projectPath);
  if (!project) return kExitFailed;
  const ScopedEngine engine;

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

  const TKnownAtScope past(knownAt);
  TExecutor executor;
  const TValue& result = executor.Run(nullptr, &record, expression);
  const bool failed = executor.Failed() || result.IsError();
  if (failed)
    run.streams.err << ForTerminal(result.Text()) << '\n';
  else
    run.streams.out << ForTerminal(ToDisplayText(&result)) << '\n';
  return failed ? kExitFailed : kExitOk;
}

} // namespace vandro::cli
