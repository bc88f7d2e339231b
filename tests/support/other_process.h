// Another program at work on a project while a test looks on: a child
// process (fork) runs body, says whether it succeeded, and keeps whatever
// body left open (a project, a transaction) until the test ends it. A body
// that ends the process itself (_exit, leaving its work half-done, as a
// crash would) is seen as not started.
#pragma once

#include "storage/database.h"
#include "storage/project_lifecycle.h"
#include "storage/session.h"

#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>

namespace vandro::testing {

class TOtherProcess {
public:
  explicit TOtherProcess(const std::function<bool()>& body) {
    if (pipe(toChild_) != 0 || pipe(toParent_) != 0) return;
    child_ = fork();
    if (child_ != 0) {
      close(toChild_[0]);
      close(toParent_[1]);
      return;
    }
    close(toChild_[1]);
    close(toParent_[0]);
    bool done = false;
    try {
      done = body();
    } catch (...) {
    }
    const char said = done ? '1' : '0';
    if (write(toParent_[1], &said, 1) != 1) _exit(2);
    // Until the test closes its end.
    char ignored = 0;
    while (read(toChild_[0], &ignored, 1) > 0) {
    }
    CloseProject();
    _exit(0);
  }
  ~TOtherProcess() { End(); }
  TOtherProcess(const TOtherProcess&) = delete;
  TOtherProcess& operator=(const TOtherProcess&) = delete;

  // Waits until body has run; whether it succeeded and the process still runs.
  bool Started() {
    char said = 0;
    return child_ > 0 && read(toParent_[0], &said, 1) == 1 && said == '1';
  }

  // Lets the process close what it holds and end; its exit status, or -1
  // when it did not exit by itself (or never ran).
  int End() {
    if (child_ <= 0) return -1;
    close(toChild_[1]);
    int status = 0;
    const pid_t ended = waitpid(child_, &status, 0);
    close(toParent_[0]);
    child_ = -1;
    return ended > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

private:
  pid_t child_ = -1;
  int toChild_[2] = {-1, -1};
  int toParent_[2] = {-1, -1};
};

// Leaves the project at projectFile as a writer killed in the middle of a
// change leaves it: the change half in the database, its journal beside it
// (hot: no one holds it). The committed state has no units at all in the
// change. True when the journal is there.
inline bool LeaveHalfWritten(const std::string& projectFile, const std::string& databaseFile) {
  TOtherProcess writer([&] {
    if (!OpenProject(projectFile)) return false;
    TDatabase& database = APSDatabase();
    // A small cache makes SQLite write the changed pages into the database
    // (after saving the old ones in the journal) long before a commit.
    database.Execute("PRAGMA cache_size = 10");
    database.Execute("BEGIN");
    database.Execute("DELETE FROM VD_Units");
    database.Execute("CREATE TABLE Filler AS WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT "
                     "i + 1 FROM n WHERE i < 20000) SELECT i, randomblob(100) AS b FROM n");
    _exit(0); // neither committed nor undone
  });
  writer.End();
  std::error_code error;
  return std::filesystem::exists(databaseFile + "-journal", error);
}

} // namespace vandro::testing
