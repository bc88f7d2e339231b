// vandro-cli query and eval --project: the project language over the records
// of a project on disk.
//
// Times are read in the date style of the settings file (the European
// "dd.MM.yyyy hh:mm:ss" when there is none), or the one --date-style names;
// a missing --at means now.
#include "cli_sink.h"
#include "command_scope.h"
#include "commands.h"
#include "language/executor.h"
#include "language/query.h"
#include "language/record_evaluation.h"
#include "model/object_reference.h"
#include "model/object_set.h"
#include "model/project.h"
#include "model/state_track.h"
#include "shell/clock.h"
#include "shell/datetime.h"
#include "shell/messages.h"
#include "shell/settings.h"
#include "shell/text.h"
#include "storage/objects.h"
#include "storage/project_lifecycle.h"
#include "values/value_text.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <ostream>

namespace vandro::cli {

namespace {

struct TWords {
  std::vector<std::string> positional;
  std::optional<std::string> project, object, at;
};

// Reads args against the valued options allowed; false after a usage error.
bool ReadWords(const std::vector<std::string>& args, const TCommand& command,
               std::initializer_list<std::string_view> valued, TCliStreams& streams, TWords& words,
               int& status) {
  const auto fail = [&](const std::string& problem) {
    status = UsageError(streams, command, problem);
    return false;
  };
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& word = args[i];
    if (word.rfind("--", 0) != 0 || word.size() == 2) {
      words.positional.push_back(word);
      continue;
    }
    const bool known =
        word == "--date-style" || std::find(valued.begin(), valued.end(), word) != valued.end();
    if (!known) return fail("unknown option " + word);
    if (i + 1 == args.size()) return fail(word + " needs a value");
    const std::string& value = args[++i];
    if (word == "--date-style") {
      if (SameText(value, "european"))
        SetDateStyle(TDateStyle::European);
      else if (SameText(value, "us"))
        SetDateStyle(TDateStyle::US);
      else
        return fail("unknown date style " + value);
    } else if (word == "--project") {
      words.project = value;
    } else if (word == "--object") {
      words.object = value;
    } else if (word == "--at") {
      words.at = value;
    }
  }
  return true;
}

bool ReadMoment(const std::string& text, const TCommand& command, TCliStreams& streams,
                double& moment, int& status) {
  if (TryTextToDateTime(text, DateStyle(), moment)) return true;
  status = UsageError(
      streams, command,
      "--at " + text + ": not a date and time in the style " +
          (DateStyle() == TDateStyle::European ? "dd.MM.yyyy hh:mm:ss" : "MM/dd/yyyy hh:mm:ss"));
  return false;
}

} // namespace

int RunQuery(const std::vector<std::string>& args, TCliStreams& streams) {
  const TCommand& command = CommandNamed("query");
  TCommandScope scope;
  TWords words;
  int status = kExitOk;
  if (!ReadWords(args, command, {}, streams, words, status)) return status;
  if (words.positional.size() != 2)
    return UsageError(streams, command, "PROJECT and one QUERY (quoted) are needed");
  if (!OpenProject(words.positional[0])) return kExitFailed;
  TQExpression query;
  query.Text = words.positional[1];
  TValue::Ptr result;
  try {
    result = query.Execute(nullptr, nullptr);
  } catch (const ErrorException&) {
    return kExitFailed; // shown already
  }
  if (!result) {
    streams.err << ForTerminal(query.Message) << '\n';
    return kExitFailed;
  }
  for (int i = 0; i < result->ItemCount(); ++i)
    streams.out << ForTerminal(ToDisplayText(&result->GetItem(i))) << '\n';
  return kExitOk;
}

int RunEvalOnProject(const std::vector<std::string>& args, TCliStreams& streams) {
  const TCommand& command = CommandNamed("eval");
  TCommandScope scope;
  TWords words;
  int status = kExitOk;
  if (!ReadWords(args, command, {"--project", "--object", "--at"}, streams, words, status))
    return status;
  if (!words.project) return UsageError(streams, command, "--project needs a value");
  if (words.positional.size() != 1)
    return UsageError(streams, command, "one EXPRESSION is needed (quote it)");
  if (words.at && !words.object) return UsageError(streams, command, "--at needs --object");
  double moment = Now();
  if (words.at && !ReadMoment(*words.at, command, streams, moment, status)) return status;
  if (!OpenProject(*words.project)) return kExitFailed;
  try {
    // The object's state at the moment is the record the names read.
    TObjectSet set;
    TStateTrack track;
    if (words.object) {
      const int32_t object = APSFindObject(*words.object);
      if (object == 0) {
        ShowMsg("Object " + *words.object + " doesn't exist");
        return kExitFailed;
      }
      if (!set.Load(object) || !set.LatestStateAt(moment, track)) {
        ShowMsg("Object hasn't any actual state (Id=" + std::to_string(object) + ")." + kLineBreak +
                "Make sure that date and time are valid.");
        return kExitFailed;
      }
      track.ConstructState();
    }
    TExecutor executor;
    const TValue& result =
        executor.Run(nullptr, words.object ? track.State.get() : nullptr, words.positional[0]);
    const bool failed = executor.Failed() || result.IsError();
    if (failed)
      streams.err << ForTerminal(result.Text()) << '\n';
    else
      streams.out << ForTerminal(ToDisplayText(&result)) << '\n';
    return failed ? kExitFailed : kExitOk;
  } catch (const ErrorException&) {
    return kExitFailed; // shown already
  }
}

} // namespace vandro::cli
