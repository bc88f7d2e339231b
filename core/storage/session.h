// The storage layer's module state: the one project whose database is
// connected, with its files, its lock and the TProject bound to it. Storage
// code reaches the database only through RequireSession().Database; nothing
// outside core/storage includes this header.
#pragma once

#include "model/project.h"
#include "storage/database.h"
#include "storage/project_lock.h"

#include <memory>
#include <optional>
#include <string>

namespace vandro {

class TStorageSession final : public TProjectStore {
public:
  TDatabase Database;
  TProjectLock Lock;
  std::string ProjectPath; // the project file P
  std::string Directory;   // D, absolute
  std::string Name;        // N: P's file name up to its first "."
  // The project bound to the open tables: the open project, or a project
  // being created. Owned here; nullptr while only connected.
  std::unique_ptr<TProject> Project;
  // GroupTag the object pages keep to (0 objects, 1 groups), -1 for all.
  int ObjectFilter = -1;
  // Opened for looking: nothing is written, the project file included.
  bool ReadOnly = false;
  // A project opened for looking is read in one transaction from open to
  // close: no statement pays for taking the file lock on its own.
  std::optional<TReadTogether> Reading;
  // The object a record was last stored for, and when (record_rows.cpp).
  struct TFoundObject {
    int32_t id = 0;
    uint64_t rollbacks = 0;
  } LastObjectFound;

  // Whether VD_RecordVersions may hold a row (record_rows.cpp): looked up
  // once, then set by this session's corrections. A reader's view of the
  // file stays as it opened; a writer is the only one writing.
  std::optional<bool> VersionRows;
  // Open TCompletingRecords scopes (record_rows.h).
  int CompletingRecords = 0;

  std::string DatabasePath() const;

  // Writes the project file now; raises when it cannot be written.
  void WriteProjectFileNow();

  void ProjectFileChanged(const TProject& project) override;
  void InsertParameter(const TParameter& parameter) override;
  void UpdateParameter(const TParameter& parameter) override;
  void DeleteParameter(int32_t id) override;
  TTemplateStore* Templates() override; // storage/template_rows.cpp
  TIndexStore* IndexEntries() override; // storage/index_rows.cpp
  bool SaveVariable(const TVariable& variable, std::string_view storedName) override;
  void DeleteVariable(std::string_view name) override;
  std::string ObjectName(int32_t id) override;
  std::string RecordName(int32_t id) override;
  TRecordStore* Records() override;

private:
  friend class TDeferredProjectFile;
  int deferDepth_ = 0;
  bool fileDirty_ = false;
};

// The session, or nullptr when no database is connected.
TStorageSession* Session();
// Creates the session when there is none.
TStorageSession& MakeSession();
// Frees the session: connection, lock and bound project.
void EndSession();
// The session with a bound project; raises a system error without one.
TStorageSession& RequireSession();
TDatabase& APSDatabase();

// Whether VD_RecordVersions may hold a row (record_rows.cpp). Most projects
// have no correction at all: then their versions cost nothing to read.
bool VersionsMayExist(TStorageSession& session);

// Bulk work (a new project's content, copying a structure, an import) hands
// out many identifiers; inside this scope the project file is written once at
// the end instead of at every counter change. A crash inside loses nothing:
// opening raises the counters to the largest identifier stored.
class TDeferredProjectFile {
public:
  explicit TDeferredProjectFile(TStorageSession& session);
  ~TDeferredProjectFile();
  TDeferredProjectFile(const TDeferredProjectFile&) = delete;
  TDeferredProjectFile& operator=(const TDeferredProjectFile&) = delete;
  // Writes a deferred change now (raises on failure); the destructor only
  // tries.
  void Finish();

private:
  TStorageSession& session_;
  bool finished_ = false;
};

} // namespace vandro
