// vandro-cli record, terminate, group, state, history and rollback: the
// records of a project on disk.
//
// Times are read and written in the date style of the settings file (the
// European "dd.MM.yyyy hh:mm:ss" when there is none), or the one --date-style
// names; a missing --at means now. A new record follows the object's state
// current at its time (the latest by real time when several are), or starts
// the object's history; a record dated before later ones is linked between
// its neighbours, as the record dialog does.
#include "cli_sink.h"
#include "command_scope.h"
#include "commands.h"
#include "language/executor.h"
#include "language/record_evaluation.h"
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
#include "storage/record_rows.h"
#include "storage/rollback.h"
#include "values/value_text.h"

#include <charconv>
#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>

namespace vandro::cli {

namespace {

// The words of a command line: positional words, and the options that were
// given with their values in order.
struct TArguments {
  std::vector<std::string> positional;
  std::vector<std::pair<std::string, std::string>> options;
  std::optional<double> at;

  std::vector<std::string> All(std::string_view option) const {
    std::vector<std::string> values;
    for (const auto& [name, value] : options)
      if (name == option) values.push_back(value);
    return values;
  }
  bool Has(std::string_view option) const {
    for (const auto& [name, value] : options)
      if (name == option) return true;
    return false;
  }
};

// Reads args against the options the command takes (valued: with a value);
// returns false after a usage error was written.
bool ReadArguments(const std::vector<std::string>& args, const TCommand& command,
                   std::initializer_list<std::string_view> valued,
                   std::initializer_list<std::string_view> flags, TCliStreams& streams,
                   TArguments& out, int& status) {
  const auto fail = [&](const std::string& problem) {
    status = UsageError(streams, command, problem);
    return false;
  };
  std::optional<TDateStyle> style;
  std::string atText;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& word = args[i];
    if (word.rfind("--", 0) != 0 || word.size() == 2) {
      out.positional.push_back(word);
      continue;
    }
    const bool isFlag = std::find(flags.begin(), flags.end(), word) != flags.end();
    const bool isValued =
        word == "--date-style" || std::find(valued.begin(), valued.end(), word) != valued.end();
    if (!isFlag && !isValued) return fail("unknown option " + word);
    if (isFlag) {
      out.options.emplace_back(word, "");
      continue;
    }
    if (i + 1 == args.size()) return fail(word + " needs a value");
    const std::string& value = args[++i];
    if (word == "--date-style") {
      if (SameText(value, "european"))
        style = TDateStyle::European;
      else if (SameText(value, "us"))
        style = TDateStyle::US;
      else
        return fail("unknown date style " + value);
      continue;
    }
    out.options.emplace_back(word, value);
  }
  if (style) SetDateStyle(*style);
  for (const auto& [name, value] : out.options) {
    if (name != "--at" && name != "--after") continue;
    double moment = 0;
    if (!TryTextToDateTime(value, DateStyle(), moment))
      return fail(
          name + " " + value + ": not a date and time in the style " +
          (DateStyle() == TDateStyle::European ? "dd.MM.yyyy hh:mm:ss" : "MM/dd/yyyy hh:mm:ss"));
    out.at = moment;
  }
  return true;
}

// Runs body on the open project; a raised error (shown already) fails.
int OnProject(const std::string& path, const std::function<int()>& body) {
  if (!OpenProject(path)) return kExitFailed;
  try {
    return body();
  } catch (const ErrorException&) {
    return kExitFailed;
  }
}

// The identifier of an existing object, or 0 after a message.
int32_t ExistingObject(const std::string& name) {
  const int32_t id = APSFindObject(name);
  if (id == 0) ShowMsg("Object " + name + " doesn't exist");
  return id;
}

// The object named, created first with --new; 0 after a message.
int32_t TargetObject(const std::string& name, bool create) {
  if (!create) return ExistingObject(name);
  const int32_t id = APSCreateObject(name);
  if (id == 0) ShowMsg("Object named " + name + " already exists. Change the name and try again");
  return id;
}

void NoState(int32_t object) {
  ShowMsg("Object hasn't any actual state (Id=" + std::to_string(object) + ")." + kLineBreak +
          "Make sure that date and time are valid.");
}

void NotAtThisMoment(double time, const TStateTrack& track) {
  ShowMsg(DateTimeToText(time) + kLineBreak + "Record can't be created at this moment" +
          kLineBreak + "The state it follows is dated " + DateTimeToText(track.State->RealTime));
}

// The parameter of that name; a new one (category "Imported") when there
// is none, as the object import makes them.
const TParameter& ParameterNamed(const std::string& name) {
  if (const TParameter* parameter = CurrentProject()->FindParameter(name)) return *parameter;
  auto created = std::make_unique<TParameter>();
  created->ParamName = name.substr(0, kNameCapacity);
  created->ShortName = name.substr(0, kShortNameCapacity);
  created->Category = "Imported";
  created->Descript = "Automatically generated by vandro-cli (" + DateTimeToText(Now()) + ")";
  const TParameter& added = CurrentProject()->AddParameter(std::move(created));
  ShowMsg("Parameter " + added.ParamName + " was created");
  return added;
}

// A group member: an object name, or "#" and the identifier of a record (or
// an object). False after a message.
bool ReadMember(const std::string& text, TValue& member) {
  if (text.size() > 1 && text[0] == '#') {
    int32_t id = 0;
    const char* end = text.data() + text.size();
    const auto [at, error] = std::from_chars(text.data() + 1, end, id);
    const bool exists = error == std::errc() && at == end && id > 0 &&
                        (id % 32 == 0 ? !APSObjectName(id).empty() : APSRecordObject(id) != 0);
    if (!exists) {
      ShowMsg("No object or record has the identifier " + text.substr(1));
      return false;
    }
    member.SetText(vkObject, std::to_string(id));
    return true;
  }
  const int32_t id = ExistingObject(text);
  if (id == 0) return false;
  member.SetText(vkObject, std::to_string(id));
  return true;
}

} // namespace

int RunRecord(const std::vector<std::string>& args, TCliStreams& streams) {
  const TCommand& command = CommandNamed("record");
  TCommandScope scope;
  TArguments arguments;
  int status = kExitOk;
  if (!ReadArguments(args, command, {"--at"}, {"--new"}, streams, arguments, status)) return status;
  if (arguments.positional.size() < 3)
    return UsageError(streams, command, "PROJECT, OBJECT and at least one NAME=VALUE are needed");
  struct TSetting {
    std::string name, value;
  };
  std::vector<TSetting> settings;
  for (size_t i = 2; i < arguments.positional.size(); ++i) {
    const std::string& word = arguments.positional[i];
    const size_t equals = word.find('=');
    if (equals == std::string::npos || equals == 0)
      return UsageError(streams, command, "NAME=VALUE expected, not " + word);
    TSetting setting{word.substr(0, equals), word.substr(equals + 1)};
    if (!IsName(setting.name) || IsSystemName(setting.name))
      return UsageError(streams, command,
                        setting.name + ": a parameter name is a letter followed by letters and "
                                       "digits, and not a system name");
    for (const auto& earlier : settings)
      if (SameText(earlier.name, setting.name))
        return UsageError(streams, command, setting.name + " is given twice");
    settings.push_back(std::move(setting));
  }
  const double time = arguments.at.value_or(Now());
  return OnProject(arguments.positional[0], [&] {
    std::vector<std::unique_ptr<TPVRelation>> pairs;
    for (const auto& setting : settings) {
      auto pair = std::make_unique<TPVRelation>();
      const std::string& text = setting.value;
      if (!text.empty() && text[0] == '@') {
        const int32_t id = ExistingObject(text.substr(1));
        if (id == 0) return kExitFailed;
        pair->Value.SetText(vkObject, std::to_string(id));
      } else if (!text.empty() && text[0] == '=') {
        pair->Value.SetText(vkCalculated, text.substr(1));
      } else {
        pair->Value.SetPlain(text);
      }
      pair->Modified = true;
      pairs.push_back(std::move(pair));
    }
    const int32_t object = TargetObject(arguments.positional[1], arguments.Has("--new"));
    if (object == 0) return kExitFailed;
    for (size_t i = 0; i < settings.size(); ++i)
      pairs[i]->Parameter = &ParameterNamed(settings[i].name);
    TObjectSet set;
    if (!set.Load(object)) return kExitFailed;
    TStateTrack track;
    set.LatestStateAt(time, track);
    const int32_t id = track.ModifyRecord(std::move(pairs), time, TPlacement::BetweenNeighbours);
    if (id == 0) {
      NotAtThisMoment(time, track);
      return kExitFailed;
    }
    streams.out << id << '\n';
    return kExitOk;
  });
}

int RunTerminate(const std::vector<std::string>& args, TCliStreams& streams) {
  const TCommand& command = CommandNamed("terminate");
  TCommandScope scope;
  TArguments arguments;
  int status = kExitOk;
  if (!ReadArguments(args, command, {"--at"}, {}, streams, arguments, status)) return status;
  if (arguments.positional.size() != 2)
    return UsageError(streams, command, "PROJECT and OBJECT are needed");
  const double time = arguments.at.value_or(Now());
  return OnProject(arguments.positional[0], [&] {
    const int32_t object = ExistingObject(arguments.positional[1]);
    if (object == 0) return kExitFailed;
    TObjectSet set;
    if (!set.Load(object)) return kExitFailed;
    TStateTrack track;
    if (!set.LatestStateAt(time, track)) {
      NoState(object);
      return kExitFailed;
    }
    const int32_t id = track.Terminate(time);
    if (id == 0) {
      NotAtThisMoment(time, track);
      return kExitFailed;
    }
    streams.out << id << '\n';
    return kExitOk;
  });
}

int RunGroup(const std::vector<std::string>& args, TCliStreams& streams) {
  const TCommand& command = CommandNamed("group");
  TCommandScope scope;
  TArguments arguments;
  int status = kExitOk;
  if (!ReadArguments(args, command, {"--at", "--add", "--remove"}, {"--new"}, streams, arguments,
                     status))
    return status;
  if (arguments.positional.size() != 2)
    return UsageError(streams, command, "PROJECT and GROUP are needed");
  const auto additions = arguments.All("--add");
  const auto removals = arguments.All("--remove");
  if (additions.empty() && removals.empty())
    return UsageError(streams, command, "nothing to --add or --remove");
  const double time = arguments.at.value_or(Now());
  return OnProject(arguments.positional[0], [&] {
    std::vector<TValue::Ptr> added, deleted;
    for (const auto& [texts, members] :
         {std::pair{&additions, &added}, std::pair{&removals, &deleted}}) {
      for (const auto& text : *texts) {
        members->push_back(TValue::Create("vandro-cli group"));
        if (!ReadMember(text, *members->back())) return kExitFailed;
      }
    }
    const int32_t group = TargetObject(arguments.positional[1], arguments.Has("--new"));
    if (group == 0) return kExitFailed;
    TObjectSet set;
    if (!set.Load(group)) return kExitFailed;
    TStateTrack track;
    set.LatestStateAt(time, track);
    track.ConstructState();
    const auto isMember = [&](const TValue& member) {
      const auto& content = track.State->Content;
      return content && std::any_of(content->begin(), content->end(), [&](const auto& item) {
               return item->Text() == member.Text();
             });
    };
    for (size_t i = 0; i < added.size(); ++i)
      if (isMember(*added[i])) ShowMsg(additions[i] + " is a member already");
    for (size_t i = 0; i < deleted.size(); ++i)
      if (!isMember(*deleted[i])) ShowMsg(removals[i] + " is not a member");
    const int32_t id = track.ModifyGroup(added, deleted, time, TPlacement::BetweenNeighbours);
    if (id == 0) {
      NotAtThisMoment(time, track);
      return kExitFailed;
    }
    streams.out << id << '\n';
    return kExitOk;
  });
}

namespace {

// The plain-text export of every state of the object current at time.
int ExportStates(const std::vector<std::string>& args, TCliStreams& streams, const char* name,
                 bool history) {
  const TCommand& command = CommandNamed(name);
  TCommandScope scope;
  TArguments arguments;
  int status = kExitOk;
  if (!ReadArguments(args, command,
                     history ? std::initializer_list<std::string_view>{}
                             : std::initializer_list<std::string_view>{"--at"},
                     {}, streams, arguments, status))
    return status;
  if (arguments.positional.size() != 2)
    return UsageError(streams, command, "PROJECT and OBJECT are needed");
  const double time = arguments.at.value_or(Now());
  return OnProject(arguments.positional[0], [&] {
    const int32_t object = ExistingObject(arguments.positional[1]);
    if (object == 0) return kExitFailed;
    TObjectSet set;
    if (!set.Load(object)) return kExitFailed;
    std::vector<std::unique_ptr<TStateTrack>> tracks;
    set.StatesAt(time, tracks);
    if (tracks.empty()) {
      NoState(object);
      return kExitFailed;
    }
    for (size_t i = 0; i < tracks.size(); ++i)
      streams.out << ForTerminal(
          tracks[i]->ExportState(history, tracks.size() > 1 ? static_cast<int>(i) + 1 : 0));
    return kExitOk;
  });
}

} // namespace

int RunState(const std::vector<std::string>& args, TCliStreams& streams) {
  return ExportStates(args, streams, "state", false);
}

int RunHistory(const std::vector<std::string>& args, TCliStreams& streams) {
  return ExportStates(args, streams, "history", true);
}

int RunRollback(const std::vector<std::string>& args, TCliStreams& streams) {
  const TCommand& command = CommandNamed("rollback");
  TCommandScope scope;
  TArguments arguments;
  int status = kExitOk;
  if (!ReadArguments(args, command, {"--after"}, {}, streams, arguments, status)) return status;
  if (arguments.positional.size() != 1) return UsageError(streams, command, "PROJECT is needed");
  if (!arguments.at) return UsageError(streams, command, "--after TIME is needed");
  const double moment = *arguments.at;
  return OnProject(arguments.positional[0], [&] {
    if (!Ask(RollbackQuestion(moment), false)) {
      ShowMsg("Nothing was deleted");
      return kExitFailed;
    }
    streams.out << ForTerminal(DeletedRecordsText(DeleteRecordsAfter(moment))) << '\n';
    return kExitOk;
  });
}

} // namespace vandro::cli
