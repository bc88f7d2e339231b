// vandro-cli import, import-units and export: objects, states and units
// between a project and delimited text files (or spreadsheets, for import).
//
// Files are read as UTF-8 or code page 1251, whichever they are, and written
// in UTF-8. The summary goes to stdout, each message about a skipped line to
// stderr; while the import runs on a terminal, stderr shows how far it got.
#include "cli_sink.h"
#include "command_scope.h"
#include "commands.h"
#include "data_file.h"
#include "exchange/export_objects.h"
#include "exchange/import_objects.h"
#include "exchange/units_file.h"
#include "model/object_set.h"
#include "model/state_track.h"
#include "shell/clock.h"
#include "shell/messages.h"
#include "shell/text.h"
#include "storage/objects.h"
#include "storage/project_lifecycle.h"

#include <charconv>
#include <functional>
#include <iostream>
#include <map>
#include <ostream>
#include <unistd.h>

namespace vandro::cli {

namespace {

// Positional words and the options given (the last of each counts).
struct TExchangeArguments {
  std::vector<std::string> positional;
  std::map<std::string, std::string, std::less<>> options;

  bool Has(std::string_view option) const { return options.find(option) != options.end(); }
  std::string Value(std::string_view option) const {
    const auto at = options.find(option);
    return at == options.end() ? std::string() : at->second;
  }
};

bool ReadExchangeArguments(const std::vector<std::string>& args, const TCommand& command,
                           std::initializer_list<std::string_view> valued,
                           std::initializer_list<std::string_view> flags, TCliStreams& streams,
                           TExchangeArguments& out, int& status) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& word = args[i];
    if (word.rfind("--", 0) != 0 || word.size() == 2) {
      out.positional.push_back(word);
      continue;
    }
    if (std::find(flags.begin(), flags.end(), word) != flags.end()) {
      out.options[word];
      continue;
    }
    if (std::find(valued.begin(), valued.end(), word) == valued.end()) {
      status = UsageError(streams, command, "unknown option " + word);
      return false;
    }
    if (i + 1 == args.size()) {
      status = UsageError(streams, command, word + " needs a value");
      return false;
    }
    out.options[word] = args[++i];
  }
  return true;
}

// --sep, tab when it is not given; false after a usage error.
bool Separator(const TExchangeArguments& arguments, const TCommand& command, TCliStreams& streams,
               std::string& separator, int& status) {
  separator = "\t";
  if (!arguments.Has("--sep") || SeparatorFromOption(arguments.Value("--sep"), separator))
    return true;
  status = UsageError(streams, command, "--sep needs a separator");
  return false;
}

int OnOpenProject(const std::string& path, const std::function<int()>& body) {
  if (!OpenProject(path)) return kExitFailed;
  try {
    return body();
  } catch (const ErrorException&) {
    return kExitFailed;
  }
}

// "Import progress: 42%" rewritten in place on the terminal.
class TTerminalProgress final : public TProgress {
public:
  explicit TTerminalProgress(std::ostream& err) : err_(err) {}
  void Start(const std::string& caption) override {
    caption_ = ForTerminal(caption);
    Show(0);
  }
  bool Update(double share) override {
    Show(static_cast<int>(share * 100));
    return true;
  }
  void End() override {
    if (shown_ >= 0) err_ << "\r" << caption_ << ": done\n" << std::flush;
  }

private:
  void Show(int percent) {
    if (percent == shown_) return;
    shown_ = percent;
    err_ << "\r" << caption_ << ": " << percent << "%" << std::flush;
  }

  std::ostream& err_;
  std::string caption_;
  int shown_ = -1;
};

// Progress only for a person watching stderr.
std::unique_ptr<TProgress> ProgressFor(TCliStreams& streams) {
  if (&streams.err != &std::cerr || isatty(STDERR_FILENO) != 1) return nullptr;
  return std::make_unique<TTerminalProgress>(streams.err);
}

// An object named by the user: its name, or "#" and an identifier (of a
// state's record, or of an object). 0 after a message.
int32_t NamedTarget(const std::string& text) {
  if (text.size() > 1 && text[0] == '#') {
    int32_t id = 0;
    const char* end = text.data() + text.size();
    const auto [at, error] = std::from_chars(text.data() + 1, end, id);
    if (error == std::errc() && at == end && id > 0) return id;
  } else if (const int32_t id = APSFindObject(text); id != 0) {
    return id;
  }
  ShowMsg("Object " + text + " doesn't exist");
  return 0;
}

// Whether the object has ever had members: a group chosen by name.
bool IsGroup(int32_t id) {
  TObjectSet set;
  if (!set.Load(id)) return false;
  TStateTrack track;
  if (!track.FirstStateTrack(set, Now())) return false;
  track.ConstructState();
  return track.State->Content.has_value();
}

} // namespace

int RunImport(const std::vector<std::string>& args, TCliStreams& streams) {
  const TCommand& command = CommandNamed("import");
  TCommandScope scope;
  TExchangeArguments arguments;
  int status = kExitOk;
  if (!ReadExchangeArguments(args, command,
                             {"--sep", "--name-column", "--time-column", "--mode", "--group"}, {},
                             streams, arguments, status))
    return status;
  if (arguments.positional.size() != 2)
    return UsageError(streams, command, "PROJECT and FILE are needed");
  TImportSettings settings;
  if (!Separator(arguments, command, streams, settings.Separator, status)) return status;
  settings.NameColumn = arguments.Value("--name-column");
  settings.TimeColumn = arguments.Value("--time-column");
  if (arguments.Has("--mode")) {
    const std::string mode = arguments.Value("--mode");
    if (mode != "0" && mode != "1" && mode != "2")
      return UsageError(streams, command, "--mode is 0, 1 or 2");
    settings.Mode = static_cast<TImportMode>(mode[0] - '0');
  }
  if (streams.inIsTerminal)
    settings.InputName = [&streams](const std::string& prompt, std::string& name) {
      streams.err << ForTerminal(prompt) << ": " << std::flush;
      std::string line;
      if (!std::getline(streams.in, line)) return false;
      return Utf8ToCp1251(line, name);
    };
  return OnOpenProject(arguments.positional[0], [&] {
    if (arguments.Has("--group")) {
      const std::string group = arguments.Value("--group");
      const int32_t id = APSFindObject(group);
      if (id != 0 && IsGroup(id))
        settings.GroupId = id;
      else
        settings.GroupName = group;
    }
    const std::unique_ptr<TProgress> progress = ProgressFor(streams);
    TImportResult result;
    if (!ImportObjectsFromFile(arguments.positional[1], settings, progress.get(), result))
      return kExitFailed;
    if (!result.Summary.empty()) streams.out << ForTerminal(result.Summary) << "\n";
    return result.Stopped ? kExitFailed : kExitOk;
  });
}

int RunImportUnits(const std::vector<std::string>& args, TCliStreams& streams) {
  const TCommand& command = CommandNamed("import-units");
  TCommandScope scope;
  TExchangeArguments arguments;
  int status = kExitOk;
  if (!ReadExchangeArguments(args, command, {"--sep"}, {}, streams, arguments, status))
    return status;
  if (arguments.positional.size() != 2)
    return UsageError(streams, command, "PROJECT and FILE are needed");
  std::string separator;
  if (!Separator(arguments, command, streams, separator, status)) return status;
  return OnOpenProject(arguments.positional[0], [&] {
    TUnitImportResult result;
    if (!ImportUnitsFromFile(arguments.positional[1], separator, result)) return kExitFailed;
    streams.out << ForTerminal(result.Summary) << "\n";
    return kExitOk;
  });
}

int RunExport(const std::vector<std::string>& args, TCliStreams& streams) {
  const TCommand& command = CommandNamed("export");
  TCommandScope scope;
  TExchangeArguments arguments;
  int status = kExitOk;
  if (!ReadExchangeArguments(args, command, {"--what", "--name", "--as", "--sep", "--output"},
                             {"--history"}, streams, arguments, status))
    return status;
  if (arguments.positional.size() != 1) return UsageError(streams, command, "PROJECT is needed");
  const std::string what = arguments.Value("--what");
  const std::string output = arguments.Value("--output");
  if (what != "units" && what != "object" && what != "group" && what != "all")
    return UsageError(streams, command, "--what is units, object, group or all");
  if (output.empty()) return UsageError(streams, command, "--output FILE is needed");
  const bool named = what == "object" || what == "group";
  if (named != arguments.Has("--name"))
    return UsageError(streams, command,
                      named ? "--name is needed for " + what
                            : "--name is only for object and group");
  TExportSettings settings;
  settings.History = arguments.Has("--history");
  if (arguments.Has("--as")) {
    const std::string as = arguments.Value("--as");
    if (as != "table" && as != "text") return UsageError(streams, command, "--as is table or text");
    settings.AsTable = as == "table";
  }
  if (!Separator(arguments, command, streams, settings.Separator, status)) return status;
  return OnOpenProject(arguments.positional[0], [&] {
    std::string summary;
    if (what == "units") {
      if (ExportUnits(output, settings.Separator, summary) < 0) return kExitFailed;
    } else {
      TExportResult result;
      bool written = false;
      if (what == "all") {
        const std::unique_ptr<TProgress> progress = ProgressFor(streams);
        written = ExportAllObjects(output, settings, progress.get(), result);
      } else {
        const int32_t target = NamedTarget(arguments.Value("--name"));
        if (target == 0) return kExitFailed;
        written = what == "object" ? ExportObject(output, target, settings, result)
                                   : ExportGroup(output, target, settings, result);
      }
      if (!written) return kExitFailed;
      summary = result.Summary;
    }
    streams.out << ForTerminal(summary) << "\n";
    return kExitOk;
  });
}

} // namespace vandro::cli
