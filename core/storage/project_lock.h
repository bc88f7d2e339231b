// Keeps a project to one writer at a time: an exclusive advisory lock
// (flock) on the project's database file, taken before the database is
// connected for changing and let go after it is closed. A project opened
// only for looking takes none: SQLite's own locking keeps readers and the
// writer apart for the moment of each commit. The operating system drops
// the lock when the process ends, so a crash leaves nothing to clean up.
// Two locks on the same file exclude each other even inside one process.
#pragma once

#include <string>

namespace vandro {

class TProjectLock {
public:
  TProjectLock() = default;
  ~TProjectLock();
  TProjectLock(const TProjectLock&) = delete;
  TProjectLock& operator=(const TProjectLock&) = delete;

  enum class TResult { Locked, Busy, Failed };
  // Failed: the file cannot be opened (reason says why).
  TResult Acquire(const std::string& path, std::string* reason = nullptr);
  void Release();
  bool Held() const { return fd_ >= 0; }

  // Whether another holder has the file locked now.
  static bool HeldElsewhere(const std::string& path);

private:
  int fd_ = -1;
};

} // namespace vandro
