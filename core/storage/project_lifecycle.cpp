#include "storage/project_lifecycle.h"

#include "shell/clock.h"
#include "shell/messages.h"
#include "shell/text.h"
#include "storage/access.h"
#include "storage/descriptors.h"
#include "storage/index_rows.h"
#include "storage/new_project.h"
#include "storage/parameter_rows.h"
#include "storage/project_file.h"
#include "storage/project_paths.h"
#include "storage/schema.h"
#include "storage/session.h"
#include "storage/template_rows.h"
#include "storage/unit_rows.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <vector>

namespace vandro {

namespace {

std::string LoginName() {
  std::vector<char> buffer(4096);
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
      found->pw_name && *found->pw_name)
    return found->pw_name;
  if (const char* user = std::getenv("USER"); user && *user) return user;
  return "n/a";
}

int64_t LargestStored(TDatabase& database, const char* sql) {
  auto query = database.Query(sql);
  return query.Step() && !query.IsNull(0) ? query.Int(0) : 0;
}

// A counter with fewer identifiers left than this is taken for damage (a
// project holding two billion identifiers is not a project anyone made) and
// set again from the identifiers stored.
constexpr int64_t kIdentifiersKeptInReserve = 1000;

// What a counter read from the project file becomes: at least the largest
// identifier stored, so that none is handed out twice after a crash between
// storing a row and rewriting the file; and, when it stands within the
// reserve of its end, the largest identifier stored itself, so that a
// damaged file cannot block every new record. step is 32 for objects.
int64_t MendedCounter(int64_t counter, int64_t largestStored, int64_t least, int64_t step) {
  constexpr int64_t kLargest = std::numeric_limits<int32_t>::max();
  const int64_t end = kLargest / step * step;
  if (counter < largestStored || counter < least ||
      counter > end - kIdentifiersKeptInReserve * step)
    counter = std::max(largestStored, least);
  return std::min((counter + step - 1) / step * step, end);
}

// Sets the counters from the identifiers stored where they are behind them,
// damaged or near their end; a project opened to be changed says so and
// has its file rewritten.
void MendCounters(TStorageSession& session) {
  TProject& project = *session.Project;
  const int64_t objects =
      LargestStored(session.Database, "SELECT max(m) FROM (SELECT max(ObjIdtor) AS m FROM "
                                      "VD_Objects UNION ALL SELECT max(ObjIdtor) FROM VD_Records "
                                      "UNION ALL SELECT max(ObjIdtor) FROM VD_Object_NDX)");
  const int64_t others = LargestStored(
      session.Database,
      "SELECT max(m) FROM (SELECT max(Idtor) AS m FROM VD_Params UNION ALL SELECT max(Idtor) "
      "FROM VD_Records UNION ALL SELECT max(UntIdtor) FROM VD_Units UNION ALL SELECT max(Idtor) "
      "FROM VD_Templates UNION ALL SELECT max(Idtor) FROM VD_Param_Templ UNION ALL SELECT "
      "max(Idtor) FROM VD_Act_Templ)");
  const int64_t objectCounter = MendedCounter(project.ObjectCounter(), objects, 32, 32);
  const int64_t idCounter = MendedCounter(project.IdCounter(), others, 1, 1);
  if (objectCounter == project.ObjectCounter() && idCounter == project.IdCounter()) return;
  std::string told;
  const auto tell = [&](const char* which, int64_t was, int64_t now) {
    if (was == now) return;
    if (!told.empty()) told += kLineBreak;
    told += "The " + std::string(which) + " counter of the project was " + std::to_string(was) +
            "; it is set to " + std::to_string(now) + " from the identifiers stored";
  };
  tell("object identifier", project.ObjectCounter(), objectCounter);
  tell("identifier", project.IdCounter(), idCounter);
  project.SetCounters(static_cast<int32_t>(objectCounter), static_cast<int32_t>(idCounter));
  // A look writes nothing and hands out no identifier: the file is mended
  // when the project is opened to be changed.
  if (session.ReadOnly) return;
  session.WriteProjectFileNow();
  ShowMsg(told);
}

// Why the project's files cannot be written, or empty when they can: SQLite
// needs the folder for its journal, and the database and the project file
// themselves.
std::string WhyNotWritable(const TProjectPaths& paths) {
  for (const std::string& path :
       {paths.directory, paths.file, APSDatabasePath(paths.directory, paths.name)})
    if (::access(OsPath(path).c_str(), W_OK) != 0 && errno != ENOENT)
      return path + ": " + std::strerror(errno);
  return {};
}

// Binds a fresh project to the session whose tables were just opened.
TProject& BindProject(const TProjectPaths& paths) {
  TStorageSession& session = *Session();
  session.ProjectPath = paths.file;
  session.Project = std::make_unique<TProject>();
  session.Project->SetStore(&session);
  return *session.Project;
}

} // namespace

TProjectInfo NewProjectInfo(std::string_view name) {
  TProjectInfo info;
  info.Name = std::string(name);
  info.Version = "1.0";
  info.Author = LoginName();
  info.Fit();
  return info;
}

bool APSCreateProject(const std::string& path, const std::string& basePath,
                      const TProjectInfo& info) {
  CloseProject();
  const TProjectPaths paths = ResolveProjectPaths(path);
  if (paths.name.empty()) {
    ShowMsg("Invalid project file name: " + path);
    return false;
  }
  std::error_code error;
  if (!std::filesystem::is_directory(OsPath(paths.directory), error)) {
    std::filesystem::create_directories(OsPath(paths.directory), error);
    if (!std::filesystem::is_directory(OsPath(paths.directory), error)) {
      ShowMsg("Can't create a new directory: " + paths.directory);
      return false;
    }
  }
  if (!APSCreateDatabase(paths.directory, paths.name)) return false;
  try {
    {
      TDatabase database;
      const std::string databasePath = APSDatabasePath(paths.directory, paths.name);
      if (!database.Open(databasePath, TDatabase::TMode::ReadWrite)) {
        ShowMsg("Can't connect to database:" + std::string(kLineBreak) + databasePath);
        return false;
      }
      CreateSchema(database);
    }
    if (!APSOpenTables(paths.directory, paths.name)) return false;
    TProject& project = BindProject(paths);
    project.SetCounters(32, 1);
    Session()->WriteProjectFileNow();
    WriteNewProjectContent();
    if (!basePath.empty()) {
      try {
        if (!APSCopyStructure(basePath)) ShowMsg("Can't copy structures from " + basePath);
      } catch (const ErrorException&) {
        // The copy's own message has been shown; what it copied stays.
      }
    }
    TProjectInfo& stored = project.Info();
    stored = info;
    stored.Location = paths.file;
    stored.StartDate = stored.LastOpened = stored.EarliestRecordTime = Now();
    stored.Fit();
    Session()->WriteProjectFileNow();
    APSCloseTables();
    return true;
  } catch (const TDatabaseFailure& failure) {
    ShowMsg(failure.what());
  } catch (const ErrorException&) {
    // Shown already.
  }
  APSCloseTables();
  return false;
}

bool APSOpenProject(const std::string& path, TOpenMode mode) {
  CloseProject();
  const TProjectPaths paths = ResolveProjectPaths(path);
  std::error_code error;
  if (!std::filesystem::is_directory(OsPath(paths.directory), error)) {
    ShowMsg("Can't find the directory: " + paths.directory);
    return false;
  }
  TProjectFileContent content;
  std::string reason;
  if (paths.name.empty()) reason = "The file name is empty";
  if (paths.name.empty() || !ReadProjectFile(paths.file, content, &reason)) {
    ShowMsg("Can't open file " + paths.name + kLineBreak + reason);
    return false;
  }
  if (mode == TOpenMode::EditOrLook) {
    const std::string why = WhyNotWritable(paths);
    if (!why.empty())
      ShowMsg("The project " + paths.file + " can't be changed:" + kLineBreak + why + kLineBreak +
              "It is opened read-only.");
    mode = why.empty() ? TOpenMode::Edit : TOpenMode::Look;
  }
  if (!APSOpenTables(paths.directory, paths.name, mode == TOpenMode::Look)) return false;
  TProject& project = BindProject(paths);
  project.SetCounters(content.ObjectCounter, content.IdCounter);
  project.Info() = content.Info;
  try {
    MendCounters(*Session());
    LoadParameters();
    APSLoadUnits();
    LoadIndexEntries();
    LoadTemplateNames();
    LoadChartNames();
    LoadVariables();
  } catch (const TDatabaseFailure& failure) {
    ShowMsg(failure.what());
    APSCloseTables();
    return false;
  } catch (const ErrorException&) {
    APSCloseTables();
    return false;
  }
  SetCurrentProject(&project);
  return true;
}

bool OpenProject(const std::string& path, TOpenMode mode) {
  CloseProject();
  const std::string file = ResolveProjectPaths(path).file;
  bool opened = APSOpenProject(path, mode);
  if (opened) {
    TProject& project = *CurrentProject();
    NormalizeAllUnits(project.Units());
    if (!ProjectIsReadOnly()) {
      project.Info().LastOpened = Now();
      try {
        project.WriteProjectFile();
      } catch (const ErrorException&) {
        APSCloseTables();
        opened = false;
      }
    }
  }
  if (!opened) ShowMsg("Can't open the project " + file);
  return opened;
}

void CloseProject() {
  TStorageSession* session = Session();
  if (!session) return;
  if (session->Project && !session->ReadOnly) {
    try {
      session->WriteProjectFileNow();
    } catch (const ErrorException&) {
      // Shown; the tables close all the same and the counters are raised
      // again at the next open.
    }
  }
  APSCloseTables();
}

bool ProjectIsReadOnly() {
  const TStorageSession* session = Session();
  return session && session->Project && session->ReadOnly;
}

void WriteProjectFile() {
  RequireSession().WriteProjectFileNow();
}

void NoteRecordTime(double t) {
  RequireSession().Project->NoteRecordTime(t);
}

} // namespace vandro
