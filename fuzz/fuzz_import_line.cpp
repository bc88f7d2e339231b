// Lines of an imported file: reading them in either encoding, splitting
// them, and importing them into a project. Whatever the bytes, the import
// must report and skip what it cannot take, never crash, and leave every
// record it counts in the project with a history that loads.
//
// Input: the first byte chooses the separator (tab, ";", "::"), the mode
// for objects with several states and whether to name a time column; the
// rest is the file.
#include "exchange/import_objects.h"
#include "fuzz/quiet_sink.h"
#include "language/executor.h"
#include "language/record_evaluation.h"
#include "model/object_set.h"
#include "model/project.h"
#include "model/state_track.h"
#include "shell/delimited_text.h"
#include "storage/project_lifecycle.h"
#include "storage/session.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <signal.h>
#include <sstream>
#include <string>
#include <unistd.h>

using namespace vandro;

namespace {

// One project for the whole run, in memory-backed storage when there is
// some; emptied after every input. libFuzzer ends a run without the exit
// handlers, so each run removes the projects of runs that have ended.
void OpenFuzzProject() {
  const std::filesystem::path base =
      std::filesystem::exists("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path();
  const std::string prefix = "vandro-fuzz-import-";
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator(base, ignored)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind(prefix, 0) != 0) continue;
    const pid_t owner = static_cast<pid_t>(std::atol(name.c_str() + prefix.size()));
    if (owner > 0 && kill(owner, 0) != 0 && errno == ESRCH)
      std::filesystem::remove_all(entry.path(), ignored);
  }
  const std::filesystem::path dir = base / (prefix + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const std::string project = (dir / "Fuzz.vdp").string();
  if (!APSCreateProject(project, "", NewProjectInfo("Fuzz")) || !OpenProject(project)) std::abort();
}

int64_t Count(const char* sql) {
  auto query = APSDatabase().Query(sql);
  return query.Step() ? query.Int(0) : -1;
}

void Empty() {
  APSDatabase().Execute("DELETE FROM VD_Records");
  APSDatabase().Execute("DELETE FROM VD_Objects");
  APSDatabase().Execute("DELETE FROM VD_Object_NDX");
  TProject& project = *CurrentProject();
  std::vector<int32_t> imported;
  for (const auto& parameter : project.Parameters())
    if (parameter->Category == "Imported") imported.push_back(parameter->Idtor);
  for (const int32_t id : imported)
    project.DeleteParameter(id);
}

void CheckLines(const std::string& text) {
  std::istringstream in(text);
  TTextLines lines(in);
  TSourceLine line;
  int64_t number = 0;
  while (lines.Next(line)) {
    if (line.Number != ++number) std::abort();
    if (line.Text.find_first_of("\r\n") != std::string::npos) std::abort();
    if (line.Text.size() > kMaxLineLength) std::abort();
    if (!line.Problem.empty() && !line.Text.empty()) std::abort();
  }
  if (lines.ShareRead() != 1.0) std::abort();

  // Every record's fields, written back as the exports write them, read
  // back the same (a record has no empty last field).
  std::istringstream again(text);
  TTextLines source(again);
  TDelimitedRecords records(source, ";");
  const auto trimmed = [](std::vector<std::string> fields) {
    while (!fields.empty() && fields.back().empty())
      fields.pop_back();
    return fields;
  };
  while (records.Next(line)) {
    if (!line.Problem.empty()) continue;
    const std::vector<std::string> fields = trimmed(SplitImportLine(line.Text, ";"));
    if (trimmed(SplitImportLine(JoinFields(fields, ";"), ";")) != fields) std::abort();
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static fuzzing::QuietSink sink;
  static const bool ready = [] {
    SetMessageSink(&sink);
    InstallLanguage();
    InstallRecords();
    OpenFuzzProject();
    return true;
  }();
  (void)ready;
  if (size == 0) return 0;
  const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  CheckLines(text);

  static const char* const separators[] = {"\t", ";", "::"};
  TImportSettings settings;
  settings.Separator = separators[data[0] % 3];
  settings.Mode = static_cast<TImportMode>((data[0] / 3) % 3);
  if (data[0] & 0x80) settings.TimeColumn = "T";
  settings.RowsPerCommit = 7;
  std::istringstream in(text);
  TTextLines lines(in);
  TImportResult result;
  try {
    ImportObjects(lines, settings, nullptr, result);
  } catch (const ErrorException&) {
    // Only a refused header of its own making may end the import early.
  }
  if (Count("SELECT count(*) FROM VD_Records") != result.ModifiedStates) std::abort();
  if (Count("SELECT count(*) FROM VD_Objects") < result.NewObjects) std::abort();
  TObjectSet set;
  ForEachObjectHistory(set, [](TObjectSet& history) {
    std::vector<std::unique_ptr<TStateTrack>> tracks;
    history.StatesAt(1e6, tracks);
    return true;
  });
  Empty();
  return 0;
}
