// vandro-cli eval: one formula over a record made from --set pairs, in an
// in-memory project with the system parameters and the default units.
#include "cli_sink.h"
#include "commands.h"
#include "language/executor.h"
#include "model/data_record.h"
#include "model/project.h"
#include "shell/datetime.h"
#include "shell/text.h"
#include "values/value_text.h"

#include <ostream>

namespace vandro::cli {

namespace {

const TCommand& EvalCommand() {
  return Commands().front();
}

struct TSetting {
  std::string name;
  std::string value;
};

// A VALUE starting with "=" is a calculated value whose text is the rest, as
// in imported files; any other text is a plain value.
void ReadValue(const std::string& text, TValue& value) {
  if (!text.empty() && text[0] == '=')
    value.SetText(vkCalculated, text.substr(1));
  else
    value.SetPlain(text);
}

} // namespace

int RunEval(const std::vector<std::string>& args, TCliStreams& streams) {
  for (const std::string& word : args)
    if (word == "--project") return RunEvalOnProject(args, streams);
  std::vector<TSetting> settings;
  std::string expression;
  bool haveExpression = false;
  TDateStyle style = TDateStyle::European;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& word = args[i];
    if (word == "--set" || word == "--date-style") {
      if (i + 1 == args.size()) return UsageError(streams, EvalCommand(), word + " needs a value");
      const std::string& value = args[++i];
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

  const TDateStyle savedStyle = DateStyle();
  SetDateStyle(style);
  auto project = TProject::CreateInMemory();
  ScopedProject open(*project);
  ScopedLanguage language;

  TDataRecord record;
  for (const auto& setting : settings) {
    if (!IsName(setting.name) || IsSystemName(setting.name)) {
      SetDateStyle(savedStyle);
      return UsageError(streams, EvalCommand(),
                        "--set " + setting.name +
                            ": a parameter name is a letter followed by "
                            "letters and digits, and not a system name");
    }
    const TParameter* parameter = project->FindParameter(setting.name);
    if (!parameter) {
      auto created = std::make_unique<TParameter>();
      created->ParamName = setting.name;
      created->Category = "Imported";
      parameter = &project->AddParameter(std::move(created));
    }
    TValue value;
    ReadValue(setting.value, value);
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
  SetDateStyle(savedStyle);
  return failed ? kExitFailed : kExitOk;
}

} // namespace vandro::cli
