// vandro-cli import, import-units and export: objects, states and units
// between a project and delimited text files (or spreadsheets, for import).
//
// Files are read as UTF-8 or code page 1251, whichever they are, and written
// in UTF-8. The summary goes to stdout, each message about a skipped line to
// stderr; while the import runs on a terminal, stderr shows how far it got.
// export --known-at writes the project as it was known then.
#include "cli_sink.h"
#include "commands.h"
#include "data_file.h"
#include "exchange/export_objects.h"
#include "exchange/import_dialog.h"
#include "exchange/import_objects.h"
#include "exchange/units_file.h"
#include "model/known_at.h"
#include "model/object_set.h"
#include "model/state_track.h"
#include "project_session.h"
#include "shell/clock.h"
#include "shell/messages.h"
#include "shell/text.h"
#include "storage/objects.h"
#include "storage/project_lifecycle.h"

#include <charconv>
#include <iostream>
#include <ostream>
#include <tuple>
#include <unistd.h>

namespace vandro::cli {

namespace {

// --sep, tab when it is not given; false after a usage error.
bool ReadSeparator(const TRun& run, std::string& separator) {
  separator = "\t";
  if (!run.args.Has("--sep") || SeparatorFromOption(run.args.Value("--sep"), separator))
    return true;
  run.Usage("--sep needs a separator");
  return false;
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

// "COLUMN=TEXT", both sides trimmed and not empty.
bool SplitColumnOption(const std::string& text, std::pair<std::string, std::string>& pair) {
  const size_t equals = text.find('=');
  if (equals == std::string::npos) return false;
  pair = {Trim(text.substr(0, equals)), Trim(text.substr(equals + 1))};
  return !pair.first.empty() && !pair.second.empty();
}

int RunImport(const TRun& run) {
  TImportSettings settings;
  // Without --sep the file's first lines tell.
  if (!run.args.Has("--sep"))
    settings.Separator = GuessFileSeparator(run.args[1]);
  else if (!ReadSeparator(run, settings.Separator))
    return kExitUsage;
  for (const auto& [option, list, value] : {std::tuple{"--unit", &settings.Units, "UNIT"},
                                            std::tuple{"--rename", &settings.Renamed, "NAME"}})
    for (const std::string& text : run.args.Values(option)) {
      std::pair<std::string, std::string> pair;
      if (!SplitColumnOption(text, pair))
        return run.Usage(std::string(option) + " takes COLUMN=" + value + ", not " + text);
      list->push_back(std::move(pair));
    }
  for (const std::string& column : run.args.Values("--skip"))
    settings.Skipped.push_back(Trim(column));
  settings.RenameAdvice = [](const std::string& column) {
    return "use --rename " + column + "=NEW_NAME";
  };
  settings.NameColumn = run.args.Value("--name-column");
  settings.TimeColumn = run.args.Value("--time-column");
  if (run.args.Has("--mode"))
    settings.Mode = static_cast<TImportMode>(run.args.Value("--mode")[0] - '0');
  if (run.streams.inIsTerminal)
    settings.InputName = [&streams = run.streams](const std::string& prompt, std::string& name) {
      streams.err << ForTerminal(prompt) << ": " << std::flush;
      std::string line;
      if (!std::getline(streams.in, line)) return false;
      return Utf8ToCp1251(line, name);
    };
  TProjectSession session(run.args);
  return session.Run(run.args[0], TAccess::Change, [&](TProject&) {
    if (run.args.Has("--group")) {
      const std::string group = run.args.Value("--group");
      const int32_t id = APSFindObject(group);
      if (id != 0 && IsGroup(id))
        settings.GroupId = id;
      else
        settings.GroupName = group;
    }
    const std::unique_ptr<TProgress> progress = ProgressFor(run.streams);
    TImportResult result;
    const bool imported = ImportObjectsFromFile(run.args[1], settings, progress.get(), result);
    // A stop says how many lines are stored; the command still failed.
    if (!result.Summary.empty()) run.streams.out << ForTerminal(result.Summary) << "\n";
    return imported && !result.Stopped ? kExitOk : kExitFailed;
  });
}

int RunImportUnits(const TRun& run) {
  std::string separator;
  if (!ReadSeparator(run, separator)) return kExitUsage;
  TProjectSession session(run.args);
  return session.Run(run.args[0], TAccess::Change, [&](TProject&) {
    TUnitImportResult result;
    if (!ImportUnitsFromFile(run.args[1], separator, result)) return kExitFailed;
    run.streams.out << ForTerminal(result.Summary) << "\n";
    return kExitOk;
  });
}

int RunExport(const TRun& run) {
  const std::string what = run.args.Value("--what");
  const std::string output = run.args.Value("--output");
  if (output.empty()) return run.Usage("--output needs a value");
  const bool named = what == "object" || what == "group";
  if (named != run.args.Has("--name"))
    return run.Usage(named ? "--name is needed for " + what
                           : "--name is only for object and group");
  TExportSettings settings;
  settings.History = run.args.Has("--history");
  if (run.args.Has("--as")) settings.AsTable = run.args.Value("--as") == "table";
  if (!ReadSeparator(run, settings.Separator)) return kExitUsage;
  TProjectSession session(run.args);
  std::optional<double> knownAt;
  if (!ReadTime(run, "--known-at", knownAt)) return kExitUsage;
  return session.Run(run.args[0], TAccess::Read, [&](TProject&) {
    const TKnownAtScope past(knownAt);
    std::string summary;
    if (what == "units") {
      if (ExportUnits(output, settings.Separator, summary) < 0) return kExitFailed;
    } else {
      TExportResult result;
      bool written = false;
      if (what == "all") {
        const std::unique_ptr<TProgress> progress = ProgressFor(run.streams);
        written = ExportAllObjects(output, settings, progress.get(), result);
      } else {
        const int32_t target = NamedTarget(run.args.Value("--name"));
        if (target == 0) return kExitFailed;
        written = what == "object" ? ExportObject(output, target, settings, result)
                                   : ExportGroup(output, target, settings, result);
      }
      if (!written) return kExitFailed;
      summary = result.Summary;
    }
    run.streams.out << ForTerminal(summary) << "\n";
    return kExitOk;
  });
}

} // namespace vandro::cli
