// Keeps a project to one process at a time: an exclusive advisory lock
// (flock) on the project's database file, taken before the database is
// connected and let go after it is closed. A project opened only for
// looking takes a shared lock, which other lookers share and a writer
// excludes. The operating system drops it when
// the process ends, so a crash leaves nothing to clean up. Two locks on the
// same file exclude each other even inside one process.
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
  TResult Acquire(const std::string& path, std::string* reason = nullptr, bool shared = false);
  void Release();
  bool Held() const { return fd_ >= 0; }

  // Whether another holder has the file locked now.
  static bool HeldElsewhere(const std::string& path);

private:
  int fd_ = -1;
};

} // namespace vandro
