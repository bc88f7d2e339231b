#include "storage/access.h"

#include "shell/messages.h"
#include "shell/text.h"
#include "storage/schema.h"
#include "storage/session.h"

#include <unistd.h>

#include <filesystem>
#include <system_error>
#include <vector>

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

// A database written by an earlier version, whose name columns declare a
// collation of ours, is converted before anything reads it. A copy is
// written beside it first and kept when the conversion fails; the
// conversion is one transaction, so a failure leaves the database as it was.
bool ConvertEarlierSchema(TDatabase& database, const std::string& path) {
  const std::vector<std::string> tables = TablesToConvert(database);
  if (tables.empty()) return true;
  const std::string heading = "Can't convert the project database " + path +
                              " to the current format:" + std::string(kLineBreak);
  const std::string copy = path + ".bak";
  std::string reason;
  if (!database.CopyTo(copy, reason)) {
    ShowMsg(heading + "the copy " + copy + " could not be written: " + reason + kLineBreak +
            "The database was not changed.");
    return false;
  }
  try {
    ConvertTables(database, tables);
  } catch (const TDatabaseFailure& failure) {
    ShowMsg(heading + failure.what() + kLineBreak +
            "The database was not changed; a copy of it is kept in " + copy + ".");
    return false;
  }
  std::error_code error;
  std::filesystem::remove(OsPath(copy), error);
  return true;
}

std::string ConnectFailure(const std::string& path, const std::string& reason) {
  return "Can't connect to database:" + std::string(kLineBreak) + path + kLineBreak + reason;
}

} // namespace

std::string APSDatabasePath(const std::string& dir, const std::string& name) {
  return dir + "/" + name + ".vdb";
}

bool APSConnect(const std::string& dir, const std::string& name, bool readOnly) {
  const std::string path = APSDatabasePath(dir, name);
  TStorageSession& session = MakeSession();
  std::error_code error;
  std::string reason = "The file does not exist";
  // A look at files that can be written may roll back what a stopped
  // writer left half-done (SQLite needs the folder for the journal);
  // nothing else is ever written through it.
  TDatabase::TMode mode = TDatabase::TMode::ReadWrite;
  if (readOnly)
    mode = ::access(OsPath(dir).c_str(), W_OK) == 0 && ::access(OsPath(path).c_str(), W_OK) == 0
               ? TDatabase::TMode::Look
               : TDatabase::TMode::ReadOnly;
  // Opening never creates the file: a missing database is a failure here,
  // not a new empty one.
  if (!std::filesystem::is_regular_file(OsPath(path), error) ||
      !session.Database.Open(path, mode, &reason)) {
    ShowMsg(ConnectFailure(path, reason));
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

bool APSOpenTables(const std::string& dir, const std::string& name, bool readOnly) {
  if (Session()) APSCloseTables();
  const std::string path = APSDatabasePath(dir, name);
  TStorageSession& session = MakeSession();
  session.Directory = dir;
  session.Name = name;
  session.ReadOnly = readOnly;
  // Only writers take the lock, before connecting, so that a second writer
  // is refused whole. A reader needs none: SQLite's own locking shows it
  // the last committed state while a writer works beside it.
  std::string reason;
  switch (readOnly ? TProjectLock::TResult::Locked : session.Lock.Acquire(path, &reason)) {
  case TProjectLock::TResult::Locked:
    break;
  case TProjectLock::TResult::Busy:
    ShowMsg(InUseMessage(path));
    EndSession();
    return false;
  case TProjectLock::TResult::Failed:
    ShowMsg(ConnectFailure(path, reason));
    EndSession();
    return false;
  }
  if (!APSConnect(dir, name, readOnly)) {
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
    // A database only looked at is read as it is: the collation of earlier
    // versions is registered on every connection.
    if (!readOnly && !ConvertEarlierSchema(session.Database, path)) {
      EndSession();
      return false;
    }
    // A project written before corrections kept their versions gets the
    // table when it is first opened to be changed; looking leaves it as it
    // is, and reading does without.
    if (!readOnly) AddVersionsTable(session.Database);
    if (readOnly) session.Reading.emplace(session.Database);
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

TProjectWork::TProjectWork()
    : transaction_(Guarded([] { return std::make_unique<TTransaction>(APSDatabase()); })) {}

TProjectWork::~TProjectWork() = default;

void TProjectWork::Commit() {
  Guarded([&] { transaction_->Commit(); });
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
