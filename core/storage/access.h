// The access layer: connection, database files and identifier counters of
// the one project whose tables are open. Every other part of the system
// reaches the project database only through the APS functions (this header,
// objects.h, parameter_rows.h, unit_rows.h, descriptors.h).
//
// Files of a project: the project file D/N.vdp (project_file.h) and beside it
// the database D/N.vdb. While the tables are open for changing the database
// is locked against every other writer (project_lock.h); readers share it
// with a writer and with each other.
#pragma once

#include "shell/messages.h"

#include <cstdint>
#include <memory>
#include <string>

namespace vandro {

class TTransaction;

// The database engine failed (a full disk, an I/O error, a damaged file):
// raised by the storage functions after the system error is shown. Work of
// many items stops at it, where an item refused for its content is skipped.
class TStorageFailure : public ErrorException {
public:
  using ErrorException::ErrorException;
};

// A unit of work on the open project's database: what is written between
// construction and Commit is kept whole, or undone when the work ends
// without Commit (an error raised, an early return). Works nest.
class TProjectWork {
public:
  TProjectWork();
  ~TProjectWork();
  TProjectWork(const TProjectWork&) = delete;
  TProjectWork& operator=(const TProjectWork&) = delete;
  void Commit();

private:
  std::unique_ptr<TTransaction> transaction_;
};

// D/N.vdb.
std::string APSDatabasePath(const std::string& dir, const std::string& name);

// Connects to D/N.vdb, for reading only when readOnly; "Can't connect to
// database:" + CR LF + the path + CR LF + the reason, and false, when it
// cannot be used.
bool APSConnect(const std::string& dir, const std::string& name, bool readOnly = false);

// Creates an empty database D/N.vdb. An existing database (and its journal)
// is deleted only when the user says so; No gives false and leaves it as it
// is. A database open in another program is never deleted.
bool APSCreateDatabase(const std::string& dir, const std::string& name);

// Locks and connects D/N.vdb, checks that it holds the nine tables,
// converts a database of an earlier version and adds the table of record
// versions when it lacks it (schema.h); false, after a message, when it
// cannot. readOnly: for looking only (no lock, nothing written, no
// conversion, no table added; a change a stopped writer left half-done is
// rolled back first when the files can be written).
bool APSOpenTables(const std::string& dir, const std::string& name, bool readOnly = false);

// Closes the connection, lets go of the lock and frees the project bound to
// the tables with its lists; the open project is then none.
void APSCloseTables();

// The identifier counters of the open project (each change rewrites the
// project file): multiples of 32 for objects, every other number for the rest.
int32_t APSNewId();
int32_t APSNewObjectId();

// The open project's file, directory and name; empty when none is open.
std::string APSProjectPath();
std::string APSProjectDirectory();
std::string APSProjectName();

} // namespace vandro
