#include "storage/access.h"

#include "shell/messages.h"
#include "shell/text.h"
#include "storage/schema.h"
#include "storage/session.h"

#include <filesystem>
#include <system_error>

namespace vandro {

namespace {

std::string InUseMessage(const std::string& databasePath) {
  return "The project is open in another program:" + std::string(kLineBreak) + databasePath;
}

// Deletes path after the user agrees; true when it is gone.
bool DeleteExisting(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::exists(OsPath(path), error)) return true;
  if (!Ask("File " + path + " already exists" + kLineBreak + "Do you want to delete it?", false))
    return false;
  if (std::filesystem::remove(OsPath(path), error)) return true;
  ShowMsg("Can't delete file " + path + kLineBreak + error.message());
  return false;
}

} // namespace

std::string APSDatabasePath(const std::string& dir, const std::string& name) {
  return dir + "/" + name + ".vdb";
}

bool APSConnect(const std::string& dir, const std::string& name) {
  const std::string path = APSDatabasePath(dir, name);
  TStorageSession& session = MakeSession();
  std::error_code error;
  // Opening read-write never creates the file: a missing database is a
  // failure here, not a new empty one.
  if (!std::filesystem::is_regular_file(OsPath(path), error) ||
      !session.Database.Open(path, TDatabase::TMode::ReadWrite)) {
    ShowMsg("Can't connect to database:" + std::string(kLineBreak) + path);
    return false;
  }
  return true;
}

bool APSCreateDatabase(const std::string& dir, const std::string& name) {
  const std::string path = APSDatabasePath(dir, name);
  std::error_code error;
  if (std::filesystem::exists(OsPath(path), error) && TProjectLock::HeldElsewhere(path)) {
    ShowMsg(InUseMessage(path));
    return false;
  }
  // The journal of the old database would be played into the new one.
  if (!DeleteExisting(path) || !DeleteExisting(path + "-journal")) return false;
  TDatabase database;
  if (!database.Open(path, TDatabase::TMode::Create)) {
    ShowMsg("Can't create database:" + std::string(kLineBreak) + path);
    return false;
  }
  return true;
}

bool APSOpenTables(const std::string& dir, const std::string& name) {
  if (Session()) APSCloseTables();
  const std::string path = APSDatabasePath(dir, name);
  TStorageSession& session = MakeSession();
  session.Directory = dir;
  session.Name = name;
  // The lock comes first: reading a database that another process writes
  // could show it half-changed.
  switch (session.Lock.Acquire(path)) {
  case TProjectLock::TResult::Locked:
    break;
  case TProjectLock::TResult::Busy:
    ShowMsg(InUseMessage(path));
    EndSession();
    return false;
  case TProjectLock::TResult::Failed:
    ShowMsg("Can't connect to database:" + std::string(kLineBreak) + path);
    EndSession();
    return false;
  }
  if (!APSConnect(dir, name)) {
    EndSession();
    return false;
  }
  try {
    const std::string missing = MissingTable(session.Database);
    if (!missing.empty()) {
      ShowMsg("The database has no table " + missing + ":" + kLineBreak + path);
      EndSession();
      return false;
    }
  } catch (const TDatabaseFailure& failure) {
    ShowMsg(failure.what());
    EndSession();
    return false;
  }
  return true;
}

void APSCloseTables() {
  if (TStorageSession* session = Session(); session && session->Project)
    session->Project->ClearLists();
  EndSession();
}

int32_t APSNewId() {
  return RequireSession().Project->NewId();
}

int32_t APSNewObjectId() {
  return RequireSession().Project->NewObjectId();
}

std::string APSProjectPath() {
  return Session() && Session()->Project ? Session()->ProjectPath : std::string();
}

std::string APSProjectDirectory() {
  return Session() && Session()->Project ? Session()->Directory : std::string();
}

std::string APSProjectName() {
  return Session() && Session()->Project ? Session()->Name : std::string();
}

} // namespace vandro
